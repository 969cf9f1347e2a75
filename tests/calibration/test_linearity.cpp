// Deviations from the end-point and least-squares lines, worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "calibration/linearity.h"
#include "link/codecs.h"

namespace rm27 {
namespace {

class LinearityTexts_ : public ::testing::Test {
protected:
    LinearityTexts_() { SetDecimalSeparator('.'); }
    ~LinearityTexts_() override { SetDecimalSeparator('\0'); }
};

TEST(Linearity, KnownCurveAgainstBothLines) {
    const LinearityReport r = Linearity({{0, 0}, {1, 100}, {2, 201}});
    ASSERT_TRUE(r.valid);
    EXPECT_DOUBLE_EQ(r.span, 201);
    // end-point line through (0, 0) and (2, 201): 100.5 at the middle
    EXPECT_DOUBLE_EQ(r.endPointLine.slope, 100.5);
    EXPECT_DOUBLE_EQ(r.deviations[1].endPoint, -0.5);
    EXPECT_NEAR(r.deviations[1].endPointPct, -0.5 / 201 * 100, 1e-12);
    EXPECT_NEAR(r.deviations[1].endPointPct, -0.249, 5e-4);
    EXPECT_DOUBLE_EQ(r.deviations[0].endPoint, 0);
    EXPECT_DOUBLE_EQ(r.deviations[2].endPoint, 0);
    // least squares by hand: mean x 1, mean y 301/3, Sxx 2, Sxy 201,
    // slope 100.5, intercept 301/3 - 100.5 = -1/6
    EXPECT_NEAR(r.leastSquaresLine.slope, 100.5, 1e-12);
    EXPECT_NEAR(r.leastSquaresLine.intercept, -1.0 / 6, 1e-12);
    const double expected[] = {1.0 / 6, -1.0 / 3, 1.0 / 6};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(r.deviations[k].leastSquares, expected[k], 1e-12) << k;
        EXPECT_NEAR(r.deviations[k].leastSquaresPct, expected[k] / 201 * 100, 1e-12) << k;
    }
    EXPECT_EQ(r.largestEndPoint, 1);
    EXPECT_EQ(r.largestLeastSquares, 1);
}

TEST(Linearity, FallingCurvesSpansAndWhatHasNoLine) {
    // falling: the span is a magnitude, the largest deviation is by magnitude
    LinearityReport r = Linearity({{0, 10}, {1, 4}, {2, 1}, {3, 0}});
    ASSERT_TRUE(r.valid);
    EXPECT_DOUBLE_EQ(r.span, 10);
    EXPECT_NEAR(r.deviations[1].endPoint, 4 - 20.0 / 3, 1e-12);
    EXPECT_NEAR(r.deviations[2].endPoint, 1 - 10.0 / 3, 1e-12);
    EXPECT_EQ(r.largestEndPoint, 1);
    EXPECT_NEAR(r.deviations[1].endPointPct, (4 - 20.0 / 3) * 10, 1e-9);

    // first and last value equal: deviations, but no percentage
    r = Linearity({{0, 5}, {1, 7}, {2, 5}});
    ASSERT_TRUE(r.valid);
    EXPECT_DOUBLE_EQ(r.deviations[1].endPoint, 2);
    EXPECT_TRUE(std::isnan(r.deviations[1].endPointPct));

    for (const auto& points : {std::vector<CurveSample>{}, std::vector<CurveSample>{{1, 1}},
                               std::vector<CurveSample>{{1, 0}, {2, 3}, {1, 5}}}) {
        r = Linearity(points);
        EXPECT_FALSE(r.valid) << points.size();
        EXPECT_TRUE(r.deviations.empty());
        EXPECT_EQ(r.largestEndPoint, -1);
    }
}

TEST(Linearity, CurveValueAsTheLiveUpdateDrawsIt) {
    const std::vector<CurveSample> p = {{0, 0}, {1, 100}, {2, 201}};
    const std::pair<double, double> cases[] = {
        {-1, -100}, // the first segment, extended
        {0.5, 50},  {1, 100}, {1.5, 150.5},
        {2, 201},   {3, 302}, // the last segment's slope, continued
    };
    for (const auto& [x, y] : cases)
        EXPECT_DOUBLE_EQ(CurveValueAt(p, x), y) << x;
    EXPECT_TRUE(std::isnan(CurveValueAt({{1, 1}}, 1)));
}

TEST_F(LinearityTexts_, RowsAndTheLargestNamed) {
    const LinearityTexts t =
        LinearityTable(Linearity({{0, 0}, {1, 100}, {2, 201}}), "####0.0 ", true, "kg");
    EXPECT_EQ(t.headers[1].czech(), "Signál [mV/V]");
    EXPECT_EQ(t.headers[3].czech(), "Odchylka od přímky krajních bodů [kg]");
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[1], (std::vector<std::string>{"2", "1.00000", "100.0", "-0.500", "-0.249",
                                                   "-0.333", "-0.166"}));
    EXPECT_EQ(t.largestEndPoint.czech(),
              "Největší odchylka od přímky krajních bodů: -0.500 kg = -0.249 % rozsahu (bod 2)");
    EXPECT_EQ(t.largestLeastSquares.czech(),
              "Největší odchylka od přímky nejmenších čtverců: -0.333 kg "
              "= -0.166 % rozsahu (bod 2)");

    // divisions, whole numbers, a span of 0, no unit
    const LinearityTexts d = LinearityTable(Linearity({{8388608, 5}, {9388608, 7}, {10388608, 5}}),
                                            "######0", false, "");
    EXPECT_EQ(d.headers[1].czech(), "Signál [div]");
    EXPECT_EQ(d.headers[2].czech(), "Hodnota");
    EXPECT_EQ(d.rows[1], (std::vector<std::string>{"2", "9388608", "7", "2.00", "–", "1.33", "–"}));
    // no line: the points without deviations
    const LinearityTexts none = LinearityTable(Linearity({{1, 1}}), "##0.000", true, "N");
    EXPECT_EQ(none.rows[0], (std::vector<std::string>{"1", "1.00000", "1.000", "", "", "", ""}));
    EXPECT_TRUE(none.largestEndPoint.empty());
}

} // namespace
} // namespace rm27
