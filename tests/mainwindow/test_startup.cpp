// Start-up, remembered choices, the two modes, first activation, close.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "ui/qt_serial_line.h"
#include "window_test_support.h"

namespace rm27::test {
namespace {

using StartupTest = WindowTest;

TEST_F(StartupTest, ExtendedModeWordAnywhereInAnyCase) {
    const struct {
        const char* commandLine;
        bool extended;
    } cases[] = {{"", false},         {"ZIRKON", true}, {"-zirkon", true},
                 {"/xzirkonx", true}, {"zirko", false}, {"--simulator ZirKon", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        auto w = LoadedWindow(QString::fromLatin1(c.commandLine));
        EXPECT_EQ(w->state().ExtendedMode, c.extended);
        EXPECT_EQ(Child<QMenu>(*w, "mDevice")->menuAction()->isVisible(), c.extended);
        EXPECT_EQ(Child<QMenu>(*w, "mRMUmain")->menuAction()->isVisible(), c.extended);
        auto* adresa = Child<QPushButton>(*w, "cmdAdresa");
        EXPECT_EQ(adresa->isVisibleTo(w.get()), c.extended);
        EXPECT_FALSE(adresa->isEnabled());
        EXPECT_EQ(Child<QPushButton>(*w, "cmdGain")->isVisibleTo(w.get()), c.extended);
        // The raw readings show in both modes.
        EXPECT_TRUE(Child<QLabel>(*w, "lblHodnota_7")->isVisibleTo(w.get()));
    }
}

// Both lists are full (15 ports, addresses 0 to 255): out of range, a
// remembered position falls back to the first entry.
TEST_F(StartupTest, RememberedPositionsAndFallbacks) {
    const struct {
        const char* portIndex; // nullptr: not stored
        const char* addressIndex;
        int port;
        int address;
    } cases[] = {{"14", "255", 14, 255}, {"15", "300", 0, 0},     {"2", "-3", 2, 0},
                 {" 3", "010", 3, 10},   {nullptr, nullptr, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.portIndex ? c.portIndex : "-");
        settings->store().clear();
        if (c.portIndex)
            settings->SaveSetting("MRU", "COMPortIndex", QString::fromLatin1(c.portIndex));
        if (c.addressIndex)
            settings->SaveSetting("MRU", "AddressIndex", QString::fromLatin1(c.addressIndex));
        auto w = LoadedWindow();
        EXPECT_EQ(Child<QComboBox>(*w, "cmbSelectPort")->currentIndex(), c.port);
        EXPECT_EQ(w->state().PortNumber, c.port + 1);
        EXPECT_EQ(Child<QComboBox>(*w, "cmbSelectAdr")->currentIndex(), c.address);
        // Start-up reads, never writes.
        EXPECT_EQ(settings->store().contains("MRU/COMPortIndex"), c.portIndex != nullptr);
        if (c.portIndex) {
            EXPECT_EQ(settings->GetSetting("MRU", "COMPortIndex"),
                      QString::fromLatin1(c.portIndex));
        }
    }
}

TEST_F(StartupTest, FirstActivationPaintsRowsWhiteOnce) {
    auto w = LoadedWindow();
    auto* id = Child<QLabel>(*w, "lblR27ID_0");
    for (const QColor after : {QColor(Qt::white), QColor(Qt::red)}) {
        w->SetInputRowColor(0, kRgbRed);
        w->Form_Activate();
        EXPECT_EQ(id->palette().color(QPalette::Window), after);
    }
}

// The window closes the port, after the sequence running when it was asked.
TEST_F(StartupTest, ClosingTheWindowClosesThePortAfterWhatRuns) {
    for (const bool running : {false, true}) {
        SCOPED_TRACE(running);
        Pty pty;
        auto w = LoadedWindow();
        ASSERT_TRUE(ConnectTo(*w, pty));
        w->show();
        bool closed = false;
        w->duringRead = [&] { closed = w->close(); };
        if (running)
            w->cmdDevRead_Click();
        else
            closed = w->close();
        EXPECT_EQ(closed, !running);
        QCoreApplication::processEvents();
        EXPECT_FALSE(w->isVisible());
        EXPECT_FALSE(w->serialLine().portOpen());
    }
}

} // namespace
} // namespace rm27::test
