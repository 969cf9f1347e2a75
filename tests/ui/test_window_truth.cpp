// What the window shows must be what is: a box is never hidden behind a
// window kept on top, and a value less a tare says so.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
#include <QtTest/QTest>

#include "ui/qt_prompter.h"
#include "ui/window_placement.h"
#include "window_test_support.h"

namespace rm27 {
namespace {

// The window the next box, question or input box comes up in; the box is
// closed as soon as it shows.
class BoxParent {
public:
    void expectNext() {
        parent_ = nullptr;
        QTimer::singleShot(0, [this] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            parent_ = box->parentWidget();
            box->close();
        });
    }
    QWidget* parent() const { return parent_; }

private:
    QWidget* parent_ = nullptr;
};

TEST(WindowTruth, ABoxBelongsToTheWindowKeptOnTopWhicheverIsActive) {
    QMainWindow main;
    main.show();
    QMainWindow editor(&main);
    editor.setWindowFlag(Qt::Window, true);
    editor.show();
    SetTopmost(&editor, true);
    main.activateWindow();
    QtPrompter prompter(&main, QStringLiteral("RM-27/RMU Manager"));
    BoxParent box;

    box.expectNext();
    prompter.critical(Text::Value("Kalibrační list byl uložen"));
    EXPECT_EQ(box.parent(), &editor);
    box.expectNext();
    prompter.question(Text::Value("?"), MessageAnswer::No);
    EXPECT_EQ(box.parent(), &editor);
    box.expectNext();
    prompter.inputBox(Text::Value("Hodnota"), {}, "1");
    EXPECT_EQ(box.parent(), &editor);

    // Without a window on top the box is the main window's.
    SetTopmost(&editor, false);
    editor.hide();
    box.expectNext();
    prompter.critical(Text::Value("x"));
    EXPECT_EQ(box.parent(), &main);
}

using TareShown = test::WindowTest;

TEST_F(TareShown, NetBesideATaredValueUntilItsPopupClearsTheTare) {
    auto w = MakeWindow();
    w->Form_Load();
    w->show();
    w->state().records[2].unit = "kg  ";
    w->state().records[2].numberFormat = "###0.00 ";
    w->session().live().value = {1.0f, 2.0f, 12.5f, 4.0f};
    auto* value = Child<QLabel>(*w, "lblR27Val_2");
    auto* net = Child<QLabel>(*w, "lblR27Net_2");
    const QString shown = value->text();
    EXPECT_FALSE(net->isVisible());

    QTest::mouseDClick(value, Qt::LeftButton);
    EXPECT_TRUE(net->isVisible());
    EXPECT_EQ(net->text(), QStringLiteral("NET"));
    EXPECT_EQ(net->toolTip(), QStringLiteral("Netto: tára 12.50 kg odečtena"));
    EXPECT_EQ(value->text(), shown);
    EXPECT_FALSE(Child<QLabel>(*w, "lblR27Net_1")->isVisible());

    auto* popup = Child<QMenu>(*w, "mTare");
    auto* clear = Child<QAction>(*w, "mClearTare");
    EXPECT_EQ(clear->text(), QStringLiteral("Zrušit táru"));
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
} // namespace rm27
