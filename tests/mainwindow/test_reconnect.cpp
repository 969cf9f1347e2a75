// The window's wiring of the reconnection (the rules themselves are the
// connection's, tested on virtual time in tests/session): its switch,
// timer and note in the status bar around a device that comes back and is
// read again at the address last read. And the status line's hint when the
// user may not open the port.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "l10n/localizer.h"
#include "support/access_denied.h"
#include "support/sim_rig.h"
#include "ui/qt_serial_line.h"
#include "window_test_support.h"

namespace rm27::test {
namespace {

// Every event the application delivers while it lives.
class EventCount : public QObject {
public:
    EventCount() { QCoreApplication::instance()->installEventFilter(this); }
    ~EventCount() override { QCoreApplication::instance()->removeEventFilter(this); }
    int n = 0;

protected:
    bool eventFilter(QObject*, QEvent*) override {
        ++n;
        return false;
    }
};

// The device is a link in a temporary folder to a pseudo-terminal: pulling
// the adapter removes the link and closes the terminal, plugging it in
// makes a new terminal behind the same link.
class ReconnectTest : public WindowTest {
protected:
    ReconnectTest() {
        fixedClock.when = {2026, 12, 4, 10, 15, 2};
        clock = &fixedClock;
    }
    void Plug() {
        pty = std::make_unique<Pty>();
        QFile::remove(link);
        ASSERT_TRUE(QFile::link(pty->slavePath(), link));
    }
    QString Status(TestWindow& w) { return Child<QLabel>(w, "lblStatus")->text(); }

    QTemporaryDir dir;
    QString link = dir.filePath(QStringLiteral("rm27"));
    std::unique_ptr<Pty> pty;
    FixedClock fixedClock;
};

TEST_F(ReconnectTest, DeviceBackIsReopenedAndReadAtTheAddressLastRead) {
    auto w = LoadedWindow();
    Plug();
    ASSERT_TRUE(ConnectTo(*w, link));
    // read at 5, then the address list moved on to 7 without a reading
    Child<QComboBox>(*w, "cmbSelectAdr")->setCurrentIndex(5);
    w->cmdDevRead_Click();
    ASSERT_EQ(w->reads, 1);
    Child<QComboBox>(*w, "cmbSelectAdr")->setCurrentIndex(7);
    pty->readAll();
    QFile::remove(link); // the adapter pulled
    pty->closeMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompter.calls.empty(); }, 2000));
    ASSERT_EQ(prompter.calls.size(), 1u);
    ASSERT_FALSE(w->serialLine().portOpen());
    EXPECT_EQ(prompter.calls[0].text.rfind("Komunikační port byl uzavřen: ", 0), 0u);
    auto* timer = Child<QTimer>(*w, "tmrReconnect");
    EXPECT_TRUE(w->watchingForDevice());
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    auto* waiting = Child<QLabel>(*w, "lblReconnect");
    EXPECT_FALSE(waiting->isHidden());
    EXPECT_EQ(waiting->text(), QStringLiteral("Čekám na návrat portu COM1 (%1) ...").arg(link));
    // A device that keeps failing must not spin the event loop: whatever
    // the failure posts would be there again at every turn of the loop,
    // where an idle window has none.
    {
        const EventCount events;
        for (int turn = 0; turn < 100; ++turn)
            QCoreApplication::processEvents();
        EXPECT_LT(events.n, 50) << events.n;
    }
    // The switch, remembered: off ends the watch, on again takes it up.
    auto* on = Child<QAction>(*w, "mReconnect");
    on->trigger();
    EXPECT_EQ(settings->GetSetting("Connection", "Reconnect"), QStringLiteral("0"));
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(waiting->isHidden());
    on->trigger();
    EXPECT_EQ(settings->GetSetting("Connection", "Reconnect"), QStringLiteral("1"));
    EXPECT_TRUE(timer->isActive());

    Plug();
    // Another command running: the watch waits its turn (no refused click).
    w->session().run([&](Operations&) { w->tmrReconnect_Timer(); });
    EXPECT_FALSE(w->serialLine().portOpen());
    EXPECT_EQ(w->guard().refusals(), 0);
    w->tmrReconnect_Timer();
    ASSERT_TRUE(w->serialLine().portOpen());
    EXPECT_EQ(w->reads, 2);
    EXPECT_EQ(pty->read(5), "$05@\r");
    EXPECT_EQ(Status(*w), QStringLiteral("Převodník se znovu připojil (10:15:02), měření běží."));
    EXPECT_FALSE(w->watchingForDevice());
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(waiting->isHidden());
    EXPECT_EQ(prompter.calls.size(), 1u);
}

TEST_F(ReconnectTest, PortTheUserMayNotOpenNamesTheGroupInTheStatus) {
    const QString device = dir.filePath(QStringLiteral("ttyUSB7"));
    ASSERT_TRUE(MakeDeniedFile(device.toStdString()));
    auto w = LoadedWindow();
    {
        WithoutDacOverride denied;
        ASSERT_TRUE(denied.inForce());
        EXPECT_FALSE(ConnectTo(*w, device, 2));
    }
    EXPECT_EQ(prompter.criticals, std::vector<std::string>{"Nelze otevřít komunikační port"});
    const QString status = Status(*w);
    const QString group = RunningAsRoot() ? QString::fromStdString(DeniedGroup())
                                          : Shown(w->serialLine().openHint()).section("„", 1, 1);
    EXPECT_TRUE(status.startsWith(QStringLiteral("Port %1 ").arg(device)) ||
                status.startsWith(QStringLiteral("Uživatel ")))
        << status.toStdString();
    EXPECT_TRUE(status.contains(QStringLiteral("„%1“").arg(group))) << status.toStdString();

    // Another cause (the device is missing) leaves the status alone.
    QFile::remove(device);
    w->cmdConnect_Click();
    EXPECT_EQ(prompter.criticals.size(), 2u);
    EXPECT_EQ(Status(*w), status);
    EXPECT_TRUE(w->serialLine().openHint().empty());
}

} // namespace
} // namespace rm27::test
