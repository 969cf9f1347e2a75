// The window's side of one exchange at a time: every control that can
// start an exchange is disabled while a command runs and its handler is
// refused. (How the end and a lost line cancel a command is the
// connection's, tested on virtual time.)
#include <QAction>
#include <QComboBox>
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

// What the command's view changes shows once the command ends.
TEST_F(GuardTest, WhileACommandRunsEveryStarterIsDisabledAndRefused) {
    Pty pty;
    auto w = LoadedWindow(QStringLiteral("zirkon"));
    ASSERT_TRUE(ConnectTo(*w, pty));
    for (const FrmMain::CommandStarter& s : FrmMain::CommandStarters())
        w->setControlEnabled(s.control.toStdString(), s.control != QStringLiteral("cmdReset"));
    w->state().DeviceId = "0123RM2712";
    w->state().IsRMU = true;

    const bool ran = w->RunCommand([&](Operations&) {
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
        w->setControlEnabled("cmdReset", true);
        w->setCaption("lblHodnota_5", Text::Value("65536"));
        EXPECT_FALSE(Child<QPushButton>(*w, "cmdReset")->isEnabled());
    });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(pty.readAll().empty());
    EXPECT_TRUE(w->serialLine().portOpen());
    for (const FrmMain::CommandStarter& s : FrmMain::CommandStarters())
        EXPECT_TRUE(EnabledNow(w->findChild<QObject*>(s.control))) << s.control.toStdString();
    EXPECT_EQ(Child<QLabel>(*w, "lblHodnota_5")->text(), QStringLiteral("65536"));
}

} // namespace
} // namespace rm27::test
