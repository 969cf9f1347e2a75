// Reconnecting after the line was lost: the window watches for the same
// device file to come back, reopens it and repeats the last "Načíst"; the
// user ends the watch by taking the port over. And the status line's hint
// when the user may not open the port.
#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "sim/pty_server.h"
#include "support/access_denied.h"
#include "ui/qt_serial_line.h"
#include "window_test_support.h"

namespace rm27::test {
namespace {

class FixedClock : public WallClock {
public:
    CivilDateTime now() override { return {2026, 12, 4, 10, 15, 2}; }
};

// The milliseconds from start() until the window's port is open. Its timer
// also fires inside the nested waits of the reading that follows the
// reopening at once, so the reading's time is not counted.
class OpenProbe {
public:
    explicit OpenProbe(FrmMain& w) : w_(w) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (openedMs_ < 0 && w_.serialLine().portOpen()) openedMs_ = clock_.elapsed();
        });
    }
    void start() {
        clock_.start();
        timer_.start();
    }
    qint64 openedMs() const { return openedMs_; }
    qint64 elapsed() const { return clock_.elapsed(); }

private:
    FrmMain& w_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 openedMs_ = -1;
};

// The device is a link in a temporary folder to a pseudo-terminal: pulling
// the adapter removes the link and closes the terminal, plugging it in
// makes a new terminal behind the same link.
class ReconnectTest : public WindowTest {
protected:
    std::unique_ptr<TestWindow> Window(bool realTime = false) {
        FrmMainSetup setup;
        setup.ports = &ports;
        setup.settings = settings.get();
        setup.prompter = &prompter;
        setup.pump = realTime ? static_cast<EventPump*>(&real) : &instant;
        setup.clock = &clock;
        setup.quit = [this] { ++quits; };
        auto w = std::make_unique<TestWindow>(setup);
        w->Form_Load();
        return w;
    }
    void Plug() {
        pty = std::make_unique<Pty>();
        QFile::remove(link);
        ASSERT_TRUE(QFile::link(pty->slavePath(), link));
    }
    void Unplug() {
        QFile::remove(link);
        pty->closeMaster();
    }
    bool Connect(TestWindow& w) {
        ports.setFixed(1, PortDevice{link, QStringLiteral("rm27")});
        Child<QComboBox>(w, "cmbSelectPort")->setCurrentIndex(0);
        w.cmdConnect_Click();
        return w.serialLine().portOpen();
    }
    // Connected, read at address 5, then the address list moved on to 7
    // without a reading, and the adapter pulled.
    void ReadThenLose(TestWindow& w) {
        Plug();
        ASSERT_TRUE(Connect(w));
        Child<QComboBox>(w, "cmbSelectAdr")->setCurrentIndex(5);
        w.cmdDevRead_Click();
        ASSERT_EQ(w.reads, 1);
        Child<QComboBox>(w, "cmbSelectAdr")->setCurrentIndex(7);
        pty->readAll();
        Unplug();
        for (int i = 0; i < 200 && prompter.calls.empty(); ++i)
            RunFor(10);
        ASSERT_EQ(prompter.calls.size(), 1u);
    }
    QString Status(TestWindow& w) { return Child<QLabel>(w, "lblStatus")->text(); }

    QTemporaryDir dir;
    QString link = dir.filePath(QStringLiteral("rm27"));
    std::unique_ptr<Pty> pty;
    FixedClock clock;
};

TEST_F(ReconnectTest, DeviceBackIsReopenedAndReadAtTheAddressLastRead) {
    auto w = Window();
    ReadThenLose(*w);
    ASSERT_FALSE(w->serialLine().portOpen());
    EXPECT_EQ(prompter.calls[0].text.rfind("Komunikační port byl uzavřen: ", 0), 0u);
    // the closed state as ever, and the watch beside it
    EXPECT_EQ(Status(*w), QStringLiteral("Komunikační port uzavřen."));
    EXPECT_EQ(Child<QPushButton>(*w, "cmdConnect")->text(), QStringLiteral("Připojit"));
    auto* timer = Child<QTimer>(*w, "tmrReconnect");
    EXPECT_TRUE(w->watchingForDevice());
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    auto* waiting = Child<QLabel>(*w, "lblReconnect");
    EXPECT_FALSE(waiting->isHidden());
    EXPECT_EQ(waiting->text(), QStringLiteral("Čekám na návrat portu COM1 (%1) ...").arg(link));

    // Not there yet: the watch looks and leaves everything as it is.
    w->tmrReconnect_Timer();
    EXPECT_FALSE(w->serialLine().portOpen());
    EXPECT_EQ(w->reads, 1);

    Plug();
    // Another command running: the watch waits its turn (no refused click).
    w->RunCommand([&](Operations&) { w->tmrReconnect_Timer(); });
    EXPECT_FALSE(w->serialLine().portOpen());
    EXPECT_EQ(w->guard().refusals(), 0);
    w->tmrReconnect_Timer();
    ASSERT_TRUE(w->serialLine().portOpen());
    EXPECT_EQ(w->reads, 2);
    EXPECT_EQ(pty->read(5), "$05@\r");
    EXPECT_EQ(Status(*w), QStringLiteral("Převodník se znovu připojil (10:15:02), měření běží."));
    EXPECT_EQ(Child<QPushButton>(*w, "cmdConnect")->text(), QStringLiteral("Spojeno"));
    EXPECT_FALSE(w->watchingForDevice());
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(waiting->isHidden());
    EXPECT_EQ(prompter.calls.size(), 1u);
}

TEST_F(ReconnectTest, WithoutAReadingOnlyThePortIsReopened) {
    auto w = Window();
    Plug();
    ASSERT_TRUE(Connect(*w));
    Unplug();
    for (int i = 0; i < 200 && prompter.calls.empty(); ++i)
        RunFor(10);
    Plug();
    w->tmrReconnect_Timer();
    ASSERT_TRUE(w->serialLine().portOpen());
    EXPECT_EQ(w->reads, 0);
    EXPECT_EQ(Status(*w), QStringLiteral("Převodník se znovu připojil (10:15:02)."));
}

TEST_F(ReconnectTest, TheUserTakingThePortOverEndsTheWatch) {
    const struct {
        const char* what;
        std::function<void(ReconnectTest&, TestWindow&)> takeOver;
    } cases[] = {
        {"Připojit by hand", [](ReconnectTest&, TestWindow& w) { w.cmdConnect_Click(); }},
        {"port search", [](ReconnectTest&, TestWindow& w) { w.cmdFindPorts_Click(); }},
        {"another port",
         [](ReconnectTest& t, TestWindow& w) {
             t.Child<QComboBox>(w, "cmbSelectPort")->setCurrentIndex(2);
         }},
        {"switch off",
         [](ReconnectTest& t, TestWindow& w) { t.Child<QAction>(w, "mReconnect")->trigger(); }},
        {"window closed", [](ReconnectTest&, TestWindow& w) { w.close(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.calls.clear();
        settings->store().clear(); // the switch back on
        auto w = Window();
        ReadThenLose(*w);
        ASSERT_TRUE(w->watchingForDevice());
        c.takeOver(*this, *w);
        EXPECT_FALSE(w->watchingForDevice());
        EXPECT_FALSE(Child<QTimer>(*w, "tmrReconnect")->isActive());
        EXPECT_TRUE(Child<QLabel>(*w, "lblReconnect")->isHidden());
        Plug();
        w->tmrReconnect_Timer();
        EXPECT_FALSE(w->serialLine().portOpen());
        EXPECT_EQ(w->reads, 1);
    }
}

TEST_F(ReconnectTest, TheSwitchIsRememberedAndMayComeOnWhileClosed) {
    {
        auto w = Window();
        auto* on = Child<QAction>(*w, "mReconnect");
        EXPECT_TRUE(on->isCheckable());
        EXPECT_TRUE(on->isChecked()); // on until turned off
        on->trigger();
        EXPECT_EQ(settings->GetSetting("Connection", "Reconnect"), QStringLiteral("0"));
    }
    auto w = Window();
    auto* on = Child<QAction>(*w, "mReconnect");
    EXPECT_FALSE(on->isChecked());
    ReadThenLose(*w);
    EXPECT_FALSE(w->watchingForDevice());
    EXPECT_FALSE(Child<QTimer>(*w, "tmrReconnect")->isActive());

    // Turned on after the loss: the port lost is still the one wanted.
    on->trigger();
    EXPECT_EQ(settings->GetSetting("Connection", "Reconnect"), QStringLiteral("1"));
    EXPECT_TRUE(Child<QTimer>(*w, "tmrReconnect")->isActive());
    Plug();
    w->tmrReconnect_Timer();
    EXPECT_TRUE(w->serialLine().portOpen());
    EXPECT_EQ(w->reads, 2);
}

TEST_F(ReconnectTest, ReopensWhileTheLossBoxWaitsForTheOperator) {
    auto w = Window(true);
    bool inBox = false;
    int readsInBox = 0;
    OpenProbe probe(*w);
    prompter.whileOpen = [&] {
        if (inBox) return;
        inBox = true;
        // Nobody at the screen to close the box; the adapter comes back.
        Plug();
        probe.start();
        while (w->reads < 2 && probe.elapsed() < 5000)
            RunFor(20);
        readsInBox = w->reads;
    };
    ReadThenLose(*w);
    ASSERT_TRUE(inBox);
    EXPECT_TRUE(w->serialLine().portOpen());
    EXPECT_GE(probe.openedMs(), 0);
    EXPECT_LE(probe.openedMs(), 2000); // a look a second
    EXPECT_EQ(readsInBox, 2);
}

// The simulated converter on a pseudo-terminal served in this process, its
// terminal removed and made again under the same link.
TEST_F(ReconnectTest, SimulatorBackUnderItsLinkIsReadAgainWithinTwoSeconds) {
    sim::PtyServer server;
    server.bus().add({});
    std::string error;
    ASSERT_TRUE(server.open(&error)) << error;
    ASSERT_TRUE(server.createLink(link.toStdString(), &error)) << error;
    server.start();
    ports.setFixed(1, PortDevice{link, QStringLiteral("rm27sim")});

    FrmMainSetup setup;
    setup.ports = &ports;
    setup.settings = settings.get();
    setup.prompter = &prompter;
    setup.pump = &real;
    setup.clock = &clock;
    setup.quit = [this] { ++quits; };
    FrmMain w(setup);
    w.Form_Load();
    auto label = [&](const char* name) { return Child<QLabel>(w, name)->text().trimmed(); };
    Child<QComboBox>(w, "cmbSelectPort")->setCurrentIndex(0);
    w.cmdConnect_Click();
    ASSERT_TRUE(w.serialLine().portOpen());
    Child<QComboBox>(w, "cmbSelectAdr")->setCurrentIndex(1);
    w.cmdDevRead_Click(); // the whole read, in real time
    ASSERT_EQ(label("lblID"), QStringLiteral("0123RM2712"));
    const auto identifications = [&] {
        return server.withBus([](sim::Bus& bus) {
            int n = 0;
            for (const sim::Request& r : bus.requests())
                n += r.raw == "$01@";
            return n;
        });
    };
    ASSERT_EQ(identifications(), 1);

    server.close();
    for (int i = 0; i < 200 && prompter.calls.empty(); ++i)
        RunFor(10);
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(label("lblStatus"), QStringLiteral("Komunikační port uzavřen."));
    RunFor(1500); // gone for a while: nothing to open
    EXPECT_FALSE(w.serialLine().portOpen());

    ASSERT_TRUE(server.open(&error)) << error;
    ASSERT_TRUE(server.createLink(link.toStdString(), &error)) << error;
    OpenProbe back(w);
    back.start();
    server.start();
    // The reading runs inside the timer's command; its end is the status.
    const QString done = QStringLiteral("Převodník se znovu připojil (10:15:02), měření běží.");
    while (label("lblStatus") != done && back.elapsed() < 20000)
        RunFor(50);
    ASSERT_TRUE(w.serialLine().portOpen());
    EXPECT_GE(back.openedMs(), 0);
    EXPECT_LE(back.openedMs(), 2000);
    EXPECT_EQ(label("lblStatus"), done);
    EXPECT_EQ(identifications(), 2);
    RunFor(1200); // live again
    bool number = false;
    EXPECT_GT(label("lblHodnota_0").toLongLong(&number), 0);
    EXPECT_TRUE(number) << label("lblHodnota_0").toStdString();
    EXPECT_EQ(prompter.calls.size(), 1u) << prompter.calls.back().text;
    server.close();
}

TEST_F(ReconnectTest, PortTheUserMayNotOpenNamesTheGroupInTheStatus) {
    const QString device = dir.filePath(QStringLiteral("ttyUSB7"));
    ASSERT_TRUE(MakeDeniedFile(device.toStdString()));
    ports.setFixed(2, PortDevice{device, QStringLiteral("ttyUSB7")});
    auto w = Window();
    Child<QComboBox>(*w, "cmbSelectPort")->setCurrentIndex(1);
    {
        WithoutDacOverride denied;
        ASSERT_TRUE(denied.inForce());
        w->cmdConnect_Click();
    }
    EXPECT_EQ(prompter.criticals, std::vector<std::string>{"Nelze otevřít komunikační port"});
    EXPECT_FALSE(w->serialLine().portOpen());
    const QString status = Status(*w);
    const QString group = RunningAsRoot() ? QString::fromStdString(DeniedGroup())
                                          : w->serialLine().openHint().section("„", 1, 1);
    EXPECT_TRUE(status.startsWith(QStringLiteral("Port %1 ").arg(device)) ||
                status.startsWith(QStringLiteral("Uživatel ")))
        << status.toStdString();
    EXPECT_TRUE(status.contains(QStringLiteral("„%1“").arg(group))) << status.toStdString();

    // Another cause (the device is missing) leaves the status alone.
    prompter.calls.clear();
    QFile::remove(device);
    w->cmdConnect_Click();
    EXPECT_EQ(prompter.criticals.size(), 2u);
    EXPECT_EQ(Status(*w), status);
    EXPECT_TRUE(w->serialLine().openHint().isEmpty());
}

} // namespace
} // namespace rm27::test
