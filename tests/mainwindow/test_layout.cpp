// The window's layout under resizing: the width settles where it was asked,
// the lower rows stay under the input columns and the column numbers over
// their middles, in both modes.
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include <string>
#include <utility>
#include <vector>

#include "window_test_support.h"

namespace rm27::test {
namespace {

// Pixels a frame border, a rounding or a centred odd width may shift.
constexpr int kSlack = 3;

// A bounded number of rounds, so that a layout that feeds on itself shows
// as a width still moving at the end, not as a test that never returns.
void Settle() {
    for (int i = 0; i < 12; ++i)
        QCoreApplication::processEvents();
}

QRect InWindow(const QWidget& w) {
    return {w.mapTo(w.window(), QPoint(0, 0)), w.size()};
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

class WindowLayout : public WindowTest, public ::testing::WithParamInterface<const char*> {
protected:
    std::unique_ptr<TestWindow> Shown() {
        auto w = LoadedWindow(QString::fromLatin1(GetParam()));
        w->show();
        Settle();
        return w;
    }

    // Where control base_index stands in the window; it must be shown.
    QRect At(const TestWindow& w, const char* base, int index) {
        const std::string name = std::string(base) + "_" + std::to_string(index);
        auto* c = Child<QWidget>(w, name.c_str());
        if (c == nullptr) return {};
        EXPECT_TRUE(c->isVisible()) << name;
        return InWindow(*c);
    }

    // The lower rows under the input columns, the numbers over their middles.
    void ExpectAligned(const TestWindow& w) {
        const bool extended = std::string(GetParam()) == "zirkon";
        for (int i = 0; i < 4; ++i) {
            const QRect input = At(w, "lblR27Val", i);
            std::vector<std::pair<const char*, int>> under = {{"lblHodnota", i},
                                                              {"lblHodnota", i + 4}};
            if (extended) under.insert(under.end(), {{"lblR38mVVK", i}, {"lblR38mVVQ", i}});
            for (const auto& [base, index] : under) {
                EXPECT_NEAR(At(w, base, index).left(), input.left(), kSlack) << base << index;
                EXPECT_NEAR(At(w, base, index).right(), input.right(), kSlack) << base << index;
            }
            if (!extended) continue;
            const int middle = input.center().x();
            EXPECT_NEAR(At(w, "cmdCopyEKEY_Ext2Int", i).center().x(), middle, kSlack) << i;
            // Zero, slope and manual entry fill their input's column.
            EXPECT_NEAR(At(w, "cmdSetmVVKQ", i).left(), input.left(), kSlack) << i;
            EXPECT_NEAR(At(w, "cmdSetmVVKQ", i + 8).right(), input.right(), kSlack) << i;
        }
        auto* numbers = Child<QLabel>(w, "Label4");
        ASSERT_NE(numbers, nullptr);
        const std::vector<int> middles = InkMiddles(*numbers);
        ASSERT_EQ(middles.size(), 4u) << "the numbers 1 to 4, each on its own";
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(middles[static_cast<std::size_t>(i)] + InWindow(*numbers).left(),
                        At(w, "lblR27Val", i).center().x(), kSlack)
                << "number " << i + 1;
        }
    }
};

TEST_P(WindowLayout, RowsStayUnderTheColumnsWhateverTheWidthOrTheFont) {
    auto w = Shown();
    const QSize minimum = w->minimumSizeHint();
    const QSize preferred = w->sizeHint();
    ExpectAligned(*w);
    // A small step, a large one, back, then maximised: each settles in one
    // go, and the alignment never asks the window for more room.
    for (const int width : {w->width() + 10, 1600, 1200, 0}) {
        SCOPED_TRACE(width);
        if (width > 0)
            w->resize(width, w->height());
        else
            w->showMaximized();
        Settle();
        const auto shown = [&] { return width > 0 ? w->width() : w->frameGeometry().width(); };
        const int settled = shown();
        EXPECT_NEAR(settled, width > 0 ? width : w->screen()->availableGeometry().width(),
                    width > 0 ? kSlack : 0);
        Settle();
        EXPECT_EQ(shown(), settled) << "still growing";
        EXPECT_EQ(w->minimumSizeHint(), minimum);
        EXPECT_EQ(w->sizeHint(), preferred);
        ExpectAligned(*w);
    }
    // Larger headings move the lower rows with the table.
    w = Shown();
    QFont larger = w->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.6);
    w->setFont(larger);
    Settle();
    ExpectAligned(*w);
}

INSTANTIATE_TEST_SUITE_P(BothModes, WindowLayout, ::testing::Values("", "zirkon"),
                         [](const ::testing::TestParamInfo<const char*>& mode) {
                             return std::string(mode.param).empty() ? "Normal" : "Extended";
                         });

} // namespace
} // namespace rm27::test
