// The window's layout under resizing: the width settles where it was asked,
// the lower rows stay under the input columns and the column numbers over
// their middles, in both modes.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <string>
#include <vector>

#include "window_test_support.h"

namespace rm27::test {
namespace {

// Pixels a frame border, a rounding or a centred odd width may shift.
constexpr int kSlack = 3;

// A bounded number of rounds, so that a layout that feeds on itself shows
// as a width still moving at the end, not as a test that never returns.
void Settle(int rounds = 12) {
    for (int i = 0; i < rounds; ++i)
        QCoreApplication::processEvents();
}

QRect InWindow(const QWidget& w) {
    return {w.mapTo(w.window(), QPoint(0, 0)), w.size()};
}

std::string Name(const char* base, int index) {
    return std::string(base) + "_" + std::to_string(index);
}

// Middles of the dark runs across the widget as drawn, for text on a light
// ground; runs closer than a glyph's own gaps count as one.
std::vector<int> InkMiddles(QWidget& w) {
    const QImage image = w.grab().toImage();
    std::vector<int> middles;
    int start = -1;
    int last = -10;
    for (int x = 0; x < image.width(); ++x) {
        bool ink = false;
        for (int y = 0; y < image.height() && !ink; ++y)
            ink = qGray(image.pixel(x, y)) < 128;
        if (!ink) continue;
        if (x - last > 3) {
            if (start >= 0) middles.push_back((start + last) / 2);
            start = x;
        }
        last = x;
    }
    if (start >= 0) middles.push_back((start + last) / 2);
    return middles;
}

class WindowLayoutTest : public WindowTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        w = MakeWindow(QString::fromLatin1(GetParam()));
        w->Form_Load();
        w->show();
        Settle();
        minimum = w->minimumSizeHint();
        preferred = w->sizeHint();
    }

    bool extended() const { return std::string(GetParam()) == "zirkon"; }

    // Left and right edges of `name` against those of input column i.
    void ExpectUnderColumn(const char* base, int index, int column) {
        const std::string name = Name(base, index);
        auto* c = Child<QWidget>(*w, name.c_str());
        ASSERT_NE(c, nullptr);
        ASSERT_TRUE(c->isVisible()) << name;
        const QRect under = InWindow(*c);
        const QRect input = InWindow(*Child<QWidget>(*w, Name("lblR27Val", column).c_str()));
        EXPECT_NEAR(under.left(), input.left(), kSlack) << name;
        EXPECT_NEAR(under.right(), input.right(), kSlack) << name;
    }

    void ExpectCentredUnderColumn(const char* base, int index, int column) {
        const std::string name = Name(base, index);
        auto* c = Child<QWidget>(*w, name.c_str());
        ASSERT_NE(c, nullptr);
        ASSERT_TRUE(c->isVisible()) << name;
        const QRect input = InWindow(*Child<QWidget>(*w, Name("lblR27Val", column).c_str()));
        EXPECT_NEAR(InWindow(*c).center().x(), input.center().x(), kSlack) << name;
    }

    void ExpectRowsUnderColumns() {
        for (int i = 0; i < 4; ++i) {
            ExpectUnderColumn("lblHodnota", i, i);
            ExpectUnderColumn("lblHodnota", i + 4, i);
            if (!extended()) continue;
            ExpectUnderColumn("lblR38mVVK", i, i);
            ExpectUnderColumn("lblR38mVVQ", i, i);
            ExpectCentredUnderColumn("cmdCopyEKEY_Ext2Int", i, i);
            // Zero, slope and manual entry fill their input's column.
            const QRect input = InWindow(*Child<QWidget>(*w, Name("lblR27Val", i).c_str()));
            EXPECT_NEAR(InWindow(*Child<QWidget>(*w, Name("cmdSetmVVKQ", i).c_str())).left(),
                        input.left(), kSlack);
            EXPECT_NEAR(InWindow(*Child<QWidget>(*w, Name("cmdSetmVVKQ", i + 8).c_str())).right(),
                        input.right(), kSlack);
        }
    }

    void ExpectNumbersOverColumns() {
        auto* numbers = Child<QLabel>(*w, "Label4");
        ASSERT_NE(numbers, nullptr);
        const std::vector<int> middles = InkMiddles(*numbers);
        ASSERT_EQ(middles.size(), 4u) << "the numbers 1 to 4, each on its own";
        const int origin = InWindow(*numbers).left();
        for (int i = 0; i < 4; ++i) {
            const int middle =
                InWindow(*Child<QWidget>(*w, Name("lblR27Val", i).c_str())).center().x() - origin;
            EXPECT_NEAR(middles[static_cast<std::size_t>(i)], middle, kSlack) << "number " << i + 1;
        }
    }

    // Whatever the width, the alignment never asks the window for more room.
    void ExpectSizeHintsUnchanged() {
        EXPECT_EQ(w->minimumSizeHint().width(), minimum.width());
        EXPECT_EQ(w->minimumSizeHint().height(), minimum.height());
        EXPECT_EQ(w->sizeHint().width(), preferred.width());
        EXPECT_EQ(w->sizeHint().height(), preferred.height());
    }

    std::unique_ptr<TestWindow> w;
    QSize minimum;
    QSize preferred;
};

TEST_P(WindowLayoutTest, AsShownTheRowsStandUnderTheColumns) {
    ExpectRowsUnderColumns();
    ExpectNumbersOverColumns();
}

TEST_P(WindowLayoutTest, ResizeSettlesAtTheWidthAsked) {
    // A small step, a large one, and back: each settles in one go.
    for (const int width : {w->width() + 10, 1600, 1200}) {
        SCOPED_TRACE(width);
        w->resize(width, w->height());
        Settle();
        EXPECT_NEAR(w->width(), width, kSlack);
        const int settled = w->width();
        Settle();
        EXPECT_EQ(w->width(), settled) << "still growing";
        ExpectSizeHintsUnchanged();
        ExpectRowsUnderColumns();
        ExpectNumbersOverColumns();
    }
}

TEST_P(WindowLayoutTest, MaximisedFillsTheScreenAndStaysSo) {
    w->resize(1600, w->height());
    Settle();
    w->showMaximized();
    Settle();
    const QRect screen = w->screen()->availableGeometry();
    EXPECT_EQ(w->frameGeometry().width(), screen.width());
    Settle();
    EXPECT_EQ(w->frameGeometry().width(), screen.width()) << "still growing";
    ExpectSizeHintsUnchanged();
    ExpectRowsUnderColumns();
    ExpectNumbersOverColumns();
}

TEST_P(WindowLayoutTest, LargerHeadingsMoveTheLowerRowsWithTheTable) {
    QFont larger = w->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.6);
    w->setFont(larger);
    Settle();
    ExpectRowsUnderColumns();
    ExpectNumbersOverColumns();
}

INSTANTIATE_TEST_SUITE_P(BothModes, WindowLayoutTest, ::testing::Values("", "zirkon"),
                         [](const ::testing::TestParamInfo<const char*>& mode) {
                             return std::string(mode.param).empty() ? "Normal" : "Extended";
                         });

} // namespace
} // namespace rm27::test
