// Port choice, connecting and disconnecting, the port search, and the loss
// of the line while connected.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>


#include "ui/qt_serial_line.h"
#include "window_test_support.h"

namespace rm27::test {
namespace {

class ConnectionTest : public WindowTest {
protected:
    // The controls of the closed (open == false) or open state.
    void ExpectState(TestWindow& w, bool open) {
        auto* connect = Child<QPushButton>(w, "cmdConnect");
        EXPECT_EQ(connect->text().remove(QLatin1Char('&')), open ? QStringLiteral("Spojeno") : QStringLiteral("Připojit"));
        EXPECT_EQ(connect->palette().color(QPalette::Button),
                  open ? QColor(0, 255, 0) : QColor(Qt::white));
        EXPECT_EQ(Child<QComboBox>(w, "cmbSelectPort")->isEnabled(), !open);
        EXPECT_EQ(Child<QPushButton>(w, "cmdFindPorts")->isEnabled(), !open);
        EXPECT_EQ(Child<QComboBox>(w, "cmbSelectAdr")->isEnabled(), open);
        EXPECT_EQ(Child<QPushButton>(w, "cmdDevRead")->isEnabled(), open);
        EXPECT_FALSE(Child<QPushButton>(w, "cmdReset")->isEnabled());
        EXPECT_FALSE(Child<QPushButton>(w, "cmdAdresa")->isEnabled());
        EXPECT_EQ(Child<QLabel>(w, "lblStatus")->text(),
                  open ? QStringLiteral("Komunikační port otevřen")
                       : QStringLiteral("Komunikační port uzavřen."));
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

TEST_F(ConnectionTest, ConnectAndDisconnectOnAPty) {
    Pty pty;
    auto w = MakeWindow();
    w->Form_Load();
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

TEST_F(ConnectionTest, MissingDeviceShowsTheMessageAndStaysClosed) {
    ports.setFixed(4, PortDevice{QStringLiteral("/nonexistent/ttyRM27"), QStringLiteral("gone")});
    auto w = MakeWindow();
    w->Form_Load();
    Child<QComboBox>(*w, "cmbSelectPort")->setCurrentIndex(3);
    w->cmdConnect_Click();
    EXPECT_EQ(prompter.criticals, std::vector<std::string>{"Nelze otevřít komunikační port"});
    EXPECT_EQ(prompter.calls.size(), 1u);
    EXPECT_FALSE(w->serialLine().portOpen());
    EXPECT_EQ(Child<QPushButton>(*w, "cmdConnect")->text().remove(QLatin1Char('&')), QStringLiteral("Spojit"));
    EXPECT_FALSE(Child<QPushButton>(*w, "cmdDevRead")->isEnabled());
    EXPECT_FALSE(settings->store().contains("MRU/COMPortIndex"));
}

TEST_F(ConnectionTest, DisconnectHidesTheRmuMenuOnlyAfterAnRmu) {
    for (const bool rmu : {true, false}) {
        SCOPED_TRACE(rmu);
        Pty pty;
        auto w = MakeWindow(QStringLiteral("zirkon"));
        w->Form_Load();
        ASSERT_TRUE(ConnectTo(*w, pty));
        w->state().IsRMU = rmu;
        w->cmdConnect_Click();
        EXPECT_EQ(Child<QMenu>(*w, "mRMUmain")->menuAction()->isVisible(), !rmu);
    }
}

TEST_F(ConnectionTest, PortSearchListsWhatOpensAndClosesAnOpenPort) {
    Pty pty;
    auto w = MakeWindow();
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty, 2));
    for (int n = 1; n <= kPortCount; ++n) {
        if (n != 2)
            ports.setFixed(
                n, PortDevice{QStringLiteral("/nonexistent/tty%1").arg(n), QStringLiteral("x")});
    }
    w->ListSerialPorts();
    ExpectState(*w, false);
    auto* combo = Child<QComboBox>(*w, "cmbSelectPort");
    ASSERT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("COM2: pty"));
    EXPECT_EQ(w->state().PortNumber, 2);
    EXPECT_EQ(w->serialLine().settings(), QStringLiteral("9600,n,8,1"));

    // Nothing opens: the list empties and the port number stays.
    ports.setFixed(2, PortDevice{QStringLiteral("/nonexistent/tty2"), QStringLiteral("x")});
    w->ListSerialPorts();
    EXPECT_EQ(combo->count(), 0);
    EXPECT_EQ(w->state().PortNumber, 2);
}

} // namespace
} // namespace rm27::test
