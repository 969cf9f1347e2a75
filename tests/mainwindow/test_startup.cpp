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

TEST_F(StartupTest, BothListsAndTheSimulatorsEntry) {
    ports.setFixed(1, PortDevice{QStringLiteral("/dev/pts/99"), QStringLiteral("simulator")});
    auto w = MakeWindow();
    w->Form_Load();
    auto* port = Child<QComboBox>(*w, "cmbSelectPort");
    ASSERT_EQ(port->count(), 15);
    EXPECT_EQ(port->itemText(0), QStringLiteral("COM1: simulator"));
    EXPECT_TRUE(port->itemText(14).startsWith(QStringLiteral("COM15:")));
    auto* adr = Child<QComboBox>(*w, "cmbSelectAdr");
    ASSERT_EQ(adr->count(), 256);
    EXPECT_EQ(adr->itemText(0), QStringLiteral("0-Default"));
    EXPECT_EQ(adr->itemText(10), QStringLiteral("010 [0x0A] "));
    EXPECT_EQ(adr->itemText(255), QStringLiteral("255 [0xFF] "));
}

TEST_F(StartupTest, ExtendedModeWordAnywhereInAnyCase) {
    const struct {
        const char* commandLine;
        bool extended;
    } cases[] = {{"", false},         {"ZIRKON", true}, {"-zirkon", true},
                 {"/xzirkonx", true}, {"zirko", false}, {"--simulator ZirKon", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        auto w = MakeWindow(QString::fromLatin1(c.commandLine));
        w->Form_Load();
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

TEST_F(StartupTest, RememberedPositionsAndFallbacks) {
    const struct {
        const char* portIndex; // nullptr: not stored
        const char* addressIndex;
        int port;
        int address;
    } cases[] = {
        {"14", "255", 14, 255}, {"15", "300", 0, 0},      {"abc", "7x", 0, 7},
        {"2", "-3", 2, 0},      {nullptr, nullptr, 0, 0}, {" 3", "010", 3, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.portIndex ? c.portIndex : "-") << " / "
                                        << (c.addressIndex ? c.addressIndex : "-"));
        settings->store().clear();
        if (c.portIndex)
            settings->SaveSetting("MRU", "COMPortIndex", QString::fromLatin1(c.portIndex));
        if (c.addressIndex)
            settings->SaveSetting("MRU", "AddressIndex", QString::fromLatin1(c.addressIndex));
        auto w = MakeWindow();
        w->Form_Load();
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
    auto w = MakeWindow();
    w->Form_Load();
    w->SetInputRowColor(0, kRgbRed);
    w->Form_Activate();
    auto* id = Child<QLabel>(*w, "lblR27ID_0");
    EXPECT_EQ(id->palette().color(QPalette::Window), QColor(Qt::white));
    w->SetInputRowColor(0, kRgbRed);
    w->Form_Activate();
    EXPECT_EQ(id->palette().color(QPalette::Window), QColor(Qt::red));
}

TEST_F(StartupTest, ClosingTheWindowClosesThePort) {
    Pty pty;
    auto w = MakeWindow();
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    w->show();
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(w->serialLine().portOpen());
}

TEST_F(StartupTest, CloseWaitsForTheRunningSequence) {
    Pty pty;
    auto w = MakeWindow();
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    w->show();
    bool closedInside = true;
    w->duringRead = [&] { closedInside = w->close(); };
    w->cmdDevRead_Click();
    EXPECT_FALSE(closedInside);
    QCoreApplication::processEvents();
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->serialLine().portOpen());
}

} // namespace
} // namespace rm27::test
