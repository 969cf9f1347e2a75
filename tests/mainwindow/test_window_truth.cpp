// What the window shows must be what is: a box is never hidden behind a
// window kept on top, the measurement's state is said, a value no answer
// refreshed looks stale, a closed port closes every door to the line, and a
// value less a tare says so.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <memory>

#include "mainwindow/measurement_bar.h"
#include "session/measurement_status.h"
#include "ui/qt_prompter.h"
#include "ui/qt_serial_line.h"
#include "ui/window_placement.h"
#include "window_test_support.h"

namespace rm27::test {
namespace {

TEST(BoxesInFront, ABoxBelongsToTheWindowKeptOnTopWhicheverIsActive) {
    QMainWindow main;
    main.show();
    QMainWindow editor(&main);
    editor.setWindowFlag(Qt::Window, true);
    editor.show();
    SetTopmost(&editor, true);
    main.activateWindow();
    QtPrompter prompter(&main, QStringLiteral("RM-27/RMU Manager"));
    // The window the box that `show` brings up belongs to; the box is
    // closed as soon as it shows.
    const auto parentOf = [](const std::function<void()>& show) {
        const auto parent = std::make_shared<QWidget*>(nullptr);
        QTimer::singleShot(0, [parent] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            *parent = box->parentWidget();
            box->close();
        });
        show();
        return *parent;
    };
    EXPECT_EQ(parentOf([&] { prompter.critical(Text::Value("Kalibrační list byl uložen")); }),
              &editor);
    EXPECT_EQ(parentOf([&] { prompter.question(Text::Value("?"), MessageAnswer::No); }), &editor);
    EXPECT_EQ(parentOf([&] { prompter.inputBox(Text::Value("Hodnota"), {}, "1"); }), &editor);
    // Without a window on top the box is the main window's.
    SetTopmost(&editor, false);
    editor.hide();
    EXPECT_EQ(parentOf([&] { prompter.critical(Text::Value("x")); }), &main);
}

class WindowTruth : public WindowTest {
protected:
    QString Indicator(const TestWindow& w) { return Child<QLabel>(w, "lblMereni")->text(); }
    // The offer of the indicator, "" when it offers nothing.
    QString Offer(const TestWindow& w) {
        auto* b = Child<QPushButton>(w, "cmdMereni");
        return b->isHidden() ? QString() : b->text();
    }
};

TEST_F(WindowTruth, TheIndicatorSaysWhyValuesStopAndStaleValuesLookIt) {
    Pty pty;
    auto w = LoadedWindow(QStringLiteral("zirkon"));
    EXPECT_EQ(Indicator(*w), QStringLiteral("Měření zastaveno: port je odpojen"));
    ASSERT_TRUE(ConnectTo(*w, pty));
    w->state().DeviceId = "0001RM2701";
    w->session().live().seen.fill(true);
    auto* value = Child<QLabel>(*w, "lblR27Val_0");

    // Started by hand; an answer just came: live.
    w->measurementBar().refresh();
    Child<QAction>(*w, "mMereni")->trigger();
    w->session().live().answeredMs = instant.nowMs();
    w->measurementBar().staleTimeout();
    EXPECT_EQ(Indicator(*w), QStringLiteral("Měření běží"));
    EXPECT_EQ(Offer(*w), QString());
    EXPECT_FALSE(value->toolTip().contains(QStringLiteral("není aktuální")));
    // No answer for longer than the limit: dimmed, with why.
    DelayMs(instant, kStaleAfterMs + 1);
    w->measurementBar().staleTimeout();
    EXPECT_TRUE(value->toolTip().contains(QStringLiteral("Hodnota není aktuální")));
    EXPECT_NE(value->palette().color(QPalette::WindowText),
              QApplication::palette(value).color(QPalette::WindowText));

    // During a command that only reads: stopped, and it may be cut short.
    bool cancelled = false;
    w->RunCommand([&](Operations& ops) {
        EXPECT_EQ(Indicator(*w), QStringLiteral("Měření zastaveno: probíhá příkaz"));
        EXPECT_EQ(Offer(*w), QStringLiteral("Přerušit"));
        Child<QPushButton>(*w, "cmdMereni")->click();
        cancelled = ops.cancelled();
    });
    EXPECT_TRUE(cancelled);

    // "x" refused (no mV/V typed): stopped after it, and it can be started.
    Child<QPushButton>(*w, "cmdSetmVVKQ_8")->click();
    EXPECT_EQ(Indicator(*w), QStringLiteral("Měření zastaveno po příkazu „x“"));
    EXPECT_EQ(Offer(*w), QStringLiteral("Spustit měření"));
    Child<QPushButton>(*w, "cmdMereni")->click();
    EXPECT_TRUE(w->measurementTimerEnabled());
    EXPECT_EQ(Indicator(*w), QStringLiteral("Měření běží"));
}

TEST_F(WindowTruth, AClosedPortDisablesEveryControlThatSendsAndRefusesAtOnce) {
    Pty pty;
    auto w = LoadedWindow(QStringLiteral("zirkon"));
    ASSERT_TRUE(ConnectTo(*w, pty));
    w->state().DeviceId = "0001RM2701";
    w->session().live().answeredMs = instant.nowMs();
    w->cmdConnect_Click(); // "Odpojit"
    ASSERT_FALSE(w->serialLine().portOpen());
    EXPECT_EQ(Indicator(*w), QStringLiteral("Měření zastaveno: port je odpojen"));
    EXPECT_TRUE(Child<QLabel>(*w, "lblR27mVV_2")->toolTip().contains(
        QStringLiteral("Hodnota není aktuální")));
    for (const FrmMain::CommandStarter& s : FrmMain::CommandStarters()) {
        QObject* o = w->findChild<QObject*>(s.control);
        ASSERT_NE(o, nullptr);
        const bool on = qobject_cast<QAction*>(o) != nullptr ? qobject_cast<QAction*>(o)->isEnabled()
                                                              : qobject_cast<QWidget*>(o)->isEnabled();
        EXPECT_EQ(on, !s.needsLine) << s.control.toStdString();
    }
    // refused at once (what that means is the connection's: tests/session)
    bool ran = false;
    EXPECT_FALSE(w->RunCommand([&](Operations&) { ran = true; }));
    EXPECT_FALSE(ran);
}

using TareShown = WindowTest;

// A double click tares that input only.
TEST_F(TareShown, NetBesideATaredValueUntilItsPopupClearsTheTare) {
    auto w = LoadedWindow();
    w->show();
    w->state().records[2].unit = "kg  ";
    w->state().records[2].numberFormat = "###0.00 ";
    w->session().live().value = {1.0f, 2.0f, 12.5f, 4.0f};
    auto* value = Child<QLabel>(*w, "lblR27Val_2");
    auto* net = Child<QLabel>(*w, "lblR27Net_2");
    const QString shown = value->text();
    EXPECT_FALSE(net->isVisible());

    QTest::mouseDClick(value, Qt::LeftButton);
    EXPECT_EQ(w->session().live().tare, (std::array<float, 4>{0.0f, 0.0f, 12.5f, 0.0f}));
    EXPECT_TRUE(net->isVisible());
    EXPECT_EQ(net->text(), QStringLiteral("NET"));
    EXPECT_EQ(net->toolTip(), QStringLiteral("Netto: tára 12.50 kg odečtena"));
    EXPECT_EQ(value->text(), shown);
    EXPECT_FALSE(Child<QLabel>(*w, "lblR27Net_1")->isVisible());

    auto* popup = Child<QMenu>(*w, "mTare");
    auto* clear = Child<QAction>(*w, "mClearTare");
    QTest::mouseClick(Child<QLabel>(*w, "lblR27Val_1"), Qt::RightButton);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_FALSE(clear->isEnabled()); // nothing to clear on input 2
    popup->close();
    QTest::mouseClick(value, Qt::RightButton);
    ASSERT_TRUE(popup->isVisible());
    ASSERT_TRUE(clear->isEnabled());
    clear->trigger();
    popup->close();
    EXPECT_FALSE(net->isVisible());
    EXPECT_EQ(w->session().live().tare[2], 0.0f);
}

} // namespace
} // namespace rm27::test
