// The window's popup, row colours, tare, and the view that the operations
// see.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest/QTest>

#include "window_test_support.h"

namespace rm27::test {
namespace {

using WindowStateTest = WindowTest;

TEST_F(WindowStateTest, RightClickOnTheInfoTextOpensThePopup) {
    auto w = MakeWindow();
    w->Form_Load();
    w->show();
    auto* popup = Child<QMenu>(*w, "MEKEY");
    auto* info = Child<QLabel>(*w, "lblR27Slide_2");

    QTest::mouseClick(info, Qt::LeftButton);
    EXPECT_FALSE(popup->isVisible());

    QTest::mouseClick(info, Qt::RightButton);
    EXPECT_TRUE(popup->isVisible());
    QStringList items;
    for (QAction* a : popup->actions())
        items << a->text();
    EXPECT_EQ(items, (QStringList{QStringLiteral("Uložit kalibraci do souboru BIN"),
                                  QStringLiteral("Obnovit kalibraci ze souboru BIN …")}));
    // over input 3, not read: nothing to save, and said for that input
    popup->actions().constFirst()->trigger();
    popup->close();
    ASSERT_EQ(prompter.criticals.size(), 1u);
    EXPECT_EQ(prompter.criticals[0].rfind("Blok vstupu 3 nebyl", 0), 0u) << prompter.criticals[0];
}

TEST_F(WindowStateTest, RowColourLeavesTheRawOver256Alone) {
    auto w = MakeWindow();
    w->Form_Load();
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

TEST_F(WindowStateTest, DoubleClickTaresThatInputOnly) {
    auto w = MakeWindow();
    w->Form_Load();
    w->show();
    w->session().live().value = {1.0f, 2.0f, 12.5f, 4.0f};
    QTest::mouseDClick(Child<QLabel>(*w, "lblR27Val_2"), Qt::LeftButton);
    EXPECT_EQ(w->session().live().tare, (std::array<float, 4>{0.0f, 0.0f, 12.5f, 0.0f}));
}

TEST_F(WindowStateTest, ViewEnablesGuardedControlsOnlyAfterTheCommand) {
    Pty pty;
    auto w = MakeWindow();
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    auto* reset = Child<QPushButton>(*w, "cmdReset");
    bool nestedRan = false;
    const bool ran = w->RunCommand([&](Operations&) {
        EXPECT_FALSE(w->RunCommand([&](Operations&) { nestedRan = true; }));
        w->setControlEnabled("cmdReset", true);
        w->setControlVisible("mRMUmain", true);
        w->setCaption("lblHodnota_5", Text::Value("65536"));
        EXPECT_FALSE(reset->isEnabled());
    });
    EXPECT_TRUE(ran);
    EXPECT_FALSE(nestedRan);
    EXPECT_TRUE(reset->isEnabled());
    EXPECT_TRUE(Child<QMenu>(*w, "mRMUmain")->menuAction()->isVisible());
    EXPECT_EQ(Child<QLabel>(*w, "lblHodnota_5")->text(), QStringLiteral("65536"));
}

} // namespace
} // namespace rm27::test
