// Port choice, connecting and disconnecting, the port search, measurement
// start and reading: what the connection does reaches the window (its
// rules: tests/session).
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/qt_serial_line.h"
#include "window_test_support.h"

namespace rm27::test {
namespace {

class ConnectionTest : public WindowTest {
protected:
    // The controls of the closed (open == false) or open state.
    void ExpectState(TestWindow& w, bool open) {
        auto* connect = Child<QPushButton>(w, "cmdConnect");
        EXPECT_EQ(connect->text().remove(QLatin1Char('&')),
                  open ? QStringLiteral("Spojeno") : QStringLiteral("Připojit"));
        EXPECT_EQ(connect->palette().color(QPalette::Button),
                  open ? QColor(0, 255, 0) : QColor(Qt::white));
        EXPECT_EQ(Child<QComboBox>(w, "cmbSelectPort")->isEnabled(), !open);
        EXPECT_EQ(Child<QPushButton>(w, "cmdDevRead")->isEnabled(), open);
        EXPECT_EQ(w.serialLine().portOpen(), open);
    }
};

TEST_F(ConnectionTest, PortNumberFromTheEntryText) {
    auto w = MakeWindow();
    auto* combo = Child<QComboBox>(*w, "cmbSelectPort");
    combo->addItems({QStringLiteral("COM12:"), QStringLiteral("COMx:"),
                     QStringLiteral("COM3: ttyUSB0"), QStringLiteral("COM16:"),
                     QStringLiteral("COM0:")});
    const struct {
        int entry;
        int portNumber;
    } steps[] = {{0, 12}, {1, 12}, {2, 3}, {3, 3}, {4, 3}};
    for (const auto& s : steps) {
        combo->setCurrentIndex(s.entry);
        EXPECT_EQ(w->state().PortNumber, s.portNumber) << combo->currentText().toStdString();
    }
}

TEST_F(ConnectionTest, AMissingDeviceIsSaidThenAPtyConnectsAndDisconnects) {
    Pty pty;
    auto w = LoadedWindow();
    EXPECT_FALSE(ConnectTo(*w, QStringLiteral("/nonexistent/ttyRM27"), 4));
    EXPECT_EQ(prompter.criticals, std::vector<std::string>{"Nelze otevřít komunikační port"});
    EXPECT_EQ(prompter.calls.size(), 1u);
    EXPECT_FALSE(Child<QPushButton>(*w, "cmdDevRead")->isEnabled());
    EXPECT_FALSE(settings->store().contains("MRU/COMPortIndex"));

    prompter.calls.clear();
    ASSERT_TRUE(ConnectTo(*w, pty, 3));
    ExpectState(*w, true);
    EXPECT_EQ(settings->GetSetting("MRU", "COMPortIndex"), QStringLiteral("2"));
    EXPECT_TRUE(prompter.calls.empty());
    w->cmdConnect_Click();
    ExpectState(*w, false);
    // The line works after the round trip.
    ASSERT_TRUE(ConnectTo(*w, pty, 3));
    w->serialLine().output("$01@\r");
    EXPECT_EQ(pty.read(5), "$01@\r");
}

TEST_F(ConnectionTest, DisconnectHidesTheRmuMenuOnlyAfterAnRmu) {
    for (const bool rmu : {true, false}) {
        SCOPED_TRACE(rmu);
        Pty pty;
        auto w = LoadedWindow(QStringLiteral("zirkon"));
        ASSERT_TRUE(ConnectTo(*w, pty));
        w->state().IsRMU = rmu;
        w->cmdConnect_Click();
        EXPECT_EQ(Child<QMenu>(*w, "mRMUmain")->menuAction()->isVisible(), !rmu);
    }
}

TEST_F(ConnectionTest, PortSearchListsWhatOpensAndClosesAnOpenPort) {
    Pty pty;
    auto w = LoadedWindow();
    ASSERT_TRUE(ConnectTo(*w, pty, 2));
    for (int n = 1; n <= kPortCount; ++n) {
        if (n != 2)
            ports.setFixed(n, PortDevice{QStringLiteral("/nonexistent/tty%1").arg(n), {}});
    }
    w->ListSerialPorts();
    ExpectState(*w, false);
    auto* combo = Child<QComboBox>(*w, "cmbSelectPort");
    ASSERT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("COM2: pty"));
    EXPECT_EQ(w->state().PortNumber, 2);
    EXPECT_EQ(w->serialLine().settings(), QStringLiteral("9600,n,8,1"));

    // Nothing opens: the list empties and the port number stays.
    ports.setFixed(2, PortDevice{QStringLiteral("/nonexistent/tty2"), {}});
    w->ListSerialPorts();
    EXPECT_EQ(combo->count(), 0);
    EXPECT_EQ(w->state().PortNumber, 2);
}

TEST_F(ConnectionTest, StartRunsTheTimerOnlyOnAnOpenPortAndDropsWhatWaits) {
    Pty pty;
    auto w = LoadedWindow();
    auto* timer = Child<QTimer>(*w, "tmrCasovac");
    for (int i = 0; i < 4; ++i)
        w->setCaption("lblHodnota_" + std::to_string(i), Text::Value("123"));
    w->StartMeasurement();
    EXPECT_FALSE(timer->isActive());
    for (const char* raw : {"lblHodnota_0", "lblHodnota_1", "lblHodnota_2", "lblHodnota_3"})
        EXPECT_TRUE(Child<QLabel>(*w, raw)->text().isEmpty()) << raw;

    ASSERT_TRUE(ConnectTo(*w, pty));
    pty.write("stale");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->serialLine().inBufferCount() >= 5; }, 2000));
    ASSERT_EQ(w->serialLine().inBufferCount(), 5);
    w->StartMeasurement();
    EXPECT_EQ(w->serialLine().inBufferCount(), 0);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 500);
}

// The scan's list: Enter or a double click on a converter selects its
// address and reads it; a row that names no address does nothing.
TEST_F(ConnectionTest, AConverterChosenInTheScanListIsSelectedAndRead) {
    Pty pty;
    auto w = LoadedWindow();
    ASSERT_TRUE(ConnectTo(*w, pty));
    auto* list = Child<QListWidget>(*w, "lstCurves");
    list->addItem(QStringLiteral("@0x1F 0123RM2712 KQ:0x03"));
    list->addItem(QStringLiteral("nothing here"));
    for (const int row : {1, 0}) {
        list->setCurrentRow(row);
        emit list->itemActivated(list->currentItem());
    }
    EXPECT_EQ(w->reads, 1);
    EXPECT_EQ(Child<QComboBox>(*w, "cmbSelectAdr")->currentIndex(), 31);
    EXPECT_EQ(pty.read(5), "$1F@\r");
}

TEST_F(ConnectionTest, ReadSavesTheAddressAndBracketsTheExchange) {
    Pty pty;
    auto w = LoadedWindow();
    ASSERT_TRUE(ConnectTo(*w, pty));
    auto* timer = Child<QTimer>(*w, "tmrCasovac");
    Child<QComboBox>(*w, "cmbSelectAdr")->setCurrentIndex(7);
    Child<QComboBox>(*w, "cmbSelectAdr")->setCurrentIndex(3);
    EXPECT_TRUE(pty.readAll().empty()); // choosing an address sends nothing
    bool timerOffDuringRead = false;
    w->duringRead = [&] { timerOffDuringRead = !timer->isActive(); };
    w->cmdDevRead_Click();
    EXPECT_EQ(w->reads, 1);
    EXPECT_TRUE(timerOffDuringRead);
    EXPECT_EQ(pty.read(5), "$03@\r");
    EXPECT_EQ(settings->GetSetting("MRU", "AddressIndex"), QStringLiteral("3"));
    EXPECT_TRUE(timer->isActive());
    EXPECT_TRUE(Child<QPushButton>(*w, "cmdReset")->isEnabled());
    EXPECT_EQ(Child<QLabel>(*w, "lblStatus")->text(), QStringLiteral("OK, měření spuštěno ..."));

    w->readOk = false;
    w->cmdDevRead_Click();
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(Child<QLabel>(*w, "lblStatus")->text(), QStringLiteral("Jednotka nenalezena!"));
}

} // namespace
} // namespace rm27::test
