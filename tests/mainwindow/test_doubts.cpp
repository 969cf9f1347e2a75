// A value the converter may not have sent keeps the text the operation gave
// it; the reason goes into the control's tool tip, beside its own.
#include <QComboBox>
#include <QLabel>

#include "link/doubt.h"
#include "window_test_support.h"

namespace rm27::test {
namespace {

class DoubtTips : public WindowTest {};

TEST_F(DoubtTips, TheReasonGoesIntoTheTipAndTheTextStays) {
    auto w = MakeWindow();
    w->Form_Load();
    auto* k = Child<QLabel>(*w, "lblR38mVVK_1");
    ASSERT_NE(k, nullptr);
    ASSERT_TRUE(k->toolTip().isEmpty());
    w->setCaption("lblR38mVVK_1", Text::Value("-1.#QNB E+00"));
    const Text why = DoubtText(kDoubtNoAnswer);
    w->setDoubt("lblR38mVVK_1", why);
    EXPECT_EQ(k->text(), QStringLiteral("-1.#QNB E+00"));
    EXPECT_EQ(k->toolTip().toStdString(), why.czech());
    w->setDoubt("lblR38mVVK_1", Text());
    EXPECT_TRUE(k->toolTip().isEmpty());
    EXPECT_EQ(k->text(), QStringLiteral("-1.#QNB E+00"));
}

TEST_F(DoubtTips, AControlsOwnTipComesFirstAndBack) {
    auto w = MakeWindow();
    w->Form_Load();
    for (const char* name : {"lblR27Val_2", "cmbFreq", "lblAdresa", "lblR27Slide_0"}) {
        SCOPED_TRACE(name);
        auto* c = Child<QWidget>(*w, name);
        ASSERT_NE(c, nullptr);
        const QString own = c->toolTip();
        w->setDoubt(name, DoubtText(kDoubtBadCharacter));
        const QString tip = c->toolTip();
        EXPECT_TRUE(tip.startsWith(own));
        EXPECT_TRUE(tip.endsWith(QString::fromStdString(DoubtText(kDoubtBadCharacter).czech())));
        // a second doubt replaces the first, it does not pile up
        w->setDoubt(name, DoubtText(kDoubtMaybeLate));
        EXPECT_FALSE(
            c->toolTip().contains(QString::fromStdString(DoubtText(kDoubtBadCharacter).czech())));
        w->setDoubt(name, Text());
        EXPECT_EQ(c->toolTip(), own);
    }
    EXPECT_FALSE(Child<QLabel>(*w, "lblR27Val_2")->toolTip().isEmpty()); // it has one of its own
}

} // namespace
} // namespace rm27::test
