// The window's side of one exchange at a time: every control that can
// start an exchange is disabled while a command runs and its handler is
// refused; the measurement stays live where a command waits for the user;
// "Ukončit", the close box and a lost line cancel the command at once.
#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "session/controls.h"
#include "ui/qt_serial_line.h"
#include "window_test_support.h"

namespace rm27::test {
namespace {

class GuardTest : public WindowTest {};

TEST_F(GuardTest, EveryControlNameOfTheOperationsIsAControlOfTheWindow) {
    auto w = MakeWindow(QStringLiteral("zirkon"));
    for (const std::string& name : ctl::AllNames())
        EXPECT_NE(w->findChild<QObject*>(QString::fromStdString(name)), nullptr) << name;
}

bool EnabledNow(const QObject* o) {
    if (const auto* a = qobject_cast<const QAction*>(o)) return a->isEnabled();
    return qobject_cast<const QWidget*>(o)->isEnabled();
}

TEST_F(GuardTest, WhileACommandRunsEveryStarterIsDisabledAndRefused) {
    Pty pty;
    auto w = MakeWindow(QStringLiteral("zirkon"));
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    for (const FrmMain::CommandStarter& s : FrmMain::CommandStarters())
        w->setControlEnabled(s.control.toStdString(), true);
    w->state().DeviceId = "0123RM2712";
    w->state().IsRMU = true;

    w->RunCommand([&](Operations&) {
        for (const FrmMain::CommandStarter& s : FrmMain::CommandStarters()) {
            SCOPED_TRACE(s.control.toStdString());
            const QObject* control = w->findChild<QObject*>(s.control);
            ASSERT_NE(control, nullptr);
            EXPECT_FALSE(EnabledNow(control));
            const int refusedBefore = w->guard().refusals();
            s.handler(*w);
            EXPECT_EQ(w->guard().refusals(), refusedBefore + 1);
        }
        w->tick();
    });
    EXPECT_TRUE(pty.readAll().empty());
    EXPECT_TRUE(w->serialLine().portOpen());
    for (const FrmMain::CommandStarter& s : FrmMain::CommandStarters())
        EXPECT_TRUE(EnabledNow(w->findChild<QObject*>(s.control))) << s.control.toStdString();
}

// A command on a line where nobody answers (the scan: about 2 s of waits),
// cancelled 700 ms into it.
class CancelTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        w = MakeWindow({}, true);
        w->Form_Load();
        w->show();
        ASSERT_TRUE(ConnectTo(*w, pty));
    }
    void ScanAndCancelWith(const std::function<void()>& cancel) {
        QTimer::singleShot(700, w.get(), [this, cancel] {
            writtenBefore = pty.readAll();
            clock.start();
            cancel();
        });
        w->cmdFindAdr_Click();
        ASSERT_TRUE(clock.isValid());
        unwoundMs = clock.elapsed();
        writtenAfter = pty.readAll();
    }

    Pty pty;
    std::unique_ptr<TestWindow> w;
    QElapsedTimer clock;
    qint64 unwoundMs = -1;
    std::string writtenBefore, writtenAfter;
};

TEST_F(CancelTest, LostLineEndsTheCommandWithOneMessage) {
    ScanAndCancelWith([this] { pty.closeMaster(); });
    EXPECT_LT(unwoundMs, 300);
    RunFor(100);
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].icon, MessageIcon::Critical);
    EXPECT_EQ(prompter.calls[0].text.rfind("Komunikační port byl uzavřen: ", 0), 0u)
        << prompter.calls[0].text;
    EXPECT_EQ(Child<QPushButton>(*w, "cmdConnect")->text(), QStringLiteral("Připojit"));
    EXPECT_TRUE(Child<QPushButton>(*w, "cmdConnect")->isEnabled());
}

} // namespace
} // namespace rm27::test
