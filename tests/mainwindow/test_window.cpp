// The window's popup, row colours, and the tool tips of doubtful values.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QtTest/QTest>

#include "link/doubt.h"
#include "window_test_support.h"

namespace rm27::test {
namespace {

using WindowStateTest = WindowTest;

TEST_F(WindowStateTest, RightClickOnTheInfoTextOpensThePopupForThatInput) {
    auto w = LoadedWindow();
    w->show();
    auto* popup = Child<QMenu>(*w, "MEKEY");
    auto* info = Child<QLabel>(*w, "lblR27Slide_2");
    QTest::mouseClick(info, Qt::LeftButton);
    EXPECT_FALSE(popup->isVisible());
    QTest::mouseClick(info, Qt::RightButton);
    ASSERT_TRUE(popup->isVisible());
    // over input 3, not read: nothing to save, and said for that input
    popup->actions().constFirst()->trigger();
    popup->close();
    ASSERT_EQ(prompter.criticals.size(), 1u);
    EXPECT_EQ(prompter.criticals[0].rfind("Blok vstupu 3 nebyl", 0), 0u) << prompter.criticals[0];
}

TEST_F(WindowStateTest, RowColourLeavesTheRawOver256Alone) {
    auto w = LoadedWindow();
    w->Form_Activate();
    w->SetInputRowColor(1, kRgbRed);
    auto color = [&](const char* name) {
        return Child<QLabel>(*w, name)->palette().color(QPalette::Window);
    };
    for (const char* name : {"lblHodnota_1", "lblR27ID_1", "lblR27mVV_1", "lblR27Popis_1",
                             "lblR27Slide_1", "lblR27Unit_1", "lblR27Val_1"})
        EXPECT_EQ(color(name), QColor(255, 0, 0)) << name;
    EXPECT_EQ(color("lblHodnota_5"), QColor(Qt::white));
    EXPECT_EQ(color("lblR27ID_0"), QColor(Qt::white));
}

// A value the converter may not have sent keeps the text the operation gave
// it; the reason goes into the control's tool tip, after its own.
TEST_F(WindowStateTest, TheReasonFollowsTheControlsOwnTipAndTheTextStays) {
    auto w = LoadedWindow();
    auto* k = Child<QLabel>(*w, "lblR38mVVK_1");
    ASSERT_NE(k, nullptr);
    ASSERT_TRUE(k->toolTip().isEmpty());
    EXPECT_FALSE(Child<QLabel>(*w, "lblR27Val_2")->toolTip().isEmpty()); // it has one of its own
    w->setCaption("lblR38mVVK_1", Text::Value("-1.#QNB E+00"));
    const QString bad = QString::fromStdString(DoubtText(kDoubtBadCharacter).czech());
    for (const char* name :
         {"lblR38mVVK_1", "lblR27Val_2", "cmbFreq", "lblAdresa", "lblR27Slide_0"}) {
        SCOPED_TRACE(name);
        auto* c = Child<QWidget>(*w, name);
        ASSERT_NE(c, nullptr);
        const QString own = c->toolTip();
        w->setDoubt(name, DoubtText(kDoubtBadCharacter));
        EXPECT_TRUE(c->toolTip().startsWith(own));
        EXPECT_TRUE(c->toolTip().endsWith(bad));
        if (own.isEmpty()) {
            EXPECT_EQ(c->toolTip(), bad);
        }
        // a second doubt replaces the first, it does not pile up
        w->setDoubt(name, DoubtText(kDoubtMaybeLate));
        EXPECT_FALSE(c->toolTip().contains(bad));
        w->setDoubt(name, Text());
        EXPECT_EQ(c->toolTip(), own);
    }
    EXPECT_EQ(k->text(), QStringLiteral("-1.#QNB E+00"));
}

} // namespace
} // namespace rm27::test
