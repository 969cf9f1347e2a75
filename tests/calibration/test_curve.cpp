// The point table, the checks a curve must pass, the editor's fields, and
// the deviations from the end-point and least-squares lines, worked out by
// hand.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "calibration/curve.h"
#include "calibration/linearity.h"
#include "link/codecs.h"
#include "support/recorder.h"

namespace rm27 {
namespace {

using Texts = std::vector<std::string>;
using Points = std::vector<std::pair<float, float>>;

PointTable Table(const Points& points) {
    PointTable t;
    int k = 0;
    for (const auto& [signal, value] : points)
        t.slot(++k) = {value, signal, kSlotUsed};
    t.setCount(k);
    return t;
}

// "signal:value ..." of the points, for comparing tables at a glance.
std::string Shown(const PointTable& t) {
    std::string out;
    for (int k = 1; k <= t.count(); ++k)
        out += SingleText(t.slot(k).signal) + ":" + SingleText(t.slot(k).userValue) + " ";
    return out;
}

const CivilDateTime kToday{2026, 12, 4, 0, 0, 19};

TEST(PointTable, SortIsStableDeleteShiftsAndCountFollows) {
    PointTable t = Table({{2, 20}, {1, 10}, {2, 21}, {0.5f, 5}, {1, 11}});
    t.slot(7).signal = -5; // a free slot with an old signal stays where it is
    t.SortPoints();
    EXPECT_EQ(Shown(t), "0.5:5 1:10 1:11 2:20 2:21 ");
    EXPECT_EQ(t.slot(7).signal, -5);
    EXPECT_EQ(t.FindSignal(2), 4);
    EXPECT_EQ(t.FirstFreeSlot(), 6);
    t.DeletePoint(2);
    EXPECT_EQ(Shown(t), "0.5:5 1:11 2:20 2:21 ");
    t.setCount(0);
    t.CountPoints();
    EXPECT_EQ(t.count(), 4);

    // a full table: the last slot is vacated, not duplicated
    PointTable full;
    for (int k = 1; k <= kPointSlots; ++k)
        full.slot(k) = {static_cast<float>(k), static_cast<float>(k), kSlotUsed};
    full.setCount(kPointSlots);
    full.DeletePoint(1);
    full.CountPoints();
    EXPECT_EQ(full.count(), kPointSlots - 1);
}

TEST(PointTable, DuplicatesAreReportedFirstFoundOnly) {
    const std::pair<Points, Texts> cases[] = {
        {{{1, 10}, {2, 20}, {3, 30}}, {}},
        {{{1, 10}, {2, 10}}, {"Hondota etalonu 10 se vyskytuje opakovaně. "}},
        {{{0.1f, 1}, {0.1f, 2}}, {"Hodnota signálu 0.1 se vyskytuje opakovaně. "}},
        // point 1's signal repeats before the values of points 2 and 3 do
        {{{1, 5}, {2, 7}, {1, 7}}, {"Hodnota signálu 1 se vyskytuje opakovaně. "}},
        // for one point its user value is looked at before its signal
        {{{1.5f, 2.5f}, {1.5f, 2.5f}}, {"Hondota etalonu 2.5 se vyskytuje opakovaně. "}},
    };
    for (const auto& [points, messages] : cases) {
        test::Recorder r;
        EXPECT_EQ(Table(points).CheckDuplicates(r), messages.empty());
        EXPECT_EQ(r.criticals, messages);
    }
}

TEST(Txt2xxx, BuildsTheRecordFromTheFieldsOrRefuses) {
    EditorFields f;
    f.txtPopis = "  Siločlen 50 kg  ";
    f.txtJednotka = " kg ";
    f.cmbFormat = 3;
    f.cmbGain = 5;
    f.cmbSlideRychl = 10;
    const std::pair<Points, Texts> refused[] = {
        {{{1, 10}, {2, 10}},
         {"Hondota etalonu 10 se vyskytuje opakovaně. ",
          "Kalibrační křivka numůže obsahovat dva shodné body."}},
        {{{1, 10}}, {"Kalibrační křivka musí mít alespoň dva body."}},
    };
    SensorRecord rec;
    for (const auto& [points, messages] : refused) {
        test::Recorder r;
        PointTable t = Table(points);
        EXPECT_FALSE(TXT2XXX(t, f, rec, r, kToday, [] { return 0.5; }));
        EXPECT_EQ(r.criticals, messages);
        EXPECT_EQ(rec, SensorRecord{});
    }
    test::Recorder r;
    PointTable t = Table({{2, 200}, {0, 0}, {1, 100}});
    f.txtPopis = "    ";
    EXPECT_FALSE(TXT2XXX(t, f, rec, r, kToday, [] { return 0.5; }));
    EXPECT_EQ(r.criticals, Texts{"Kalibrační křivka musí mít jméno (popis)."});

    f.txtPopis = "  Siločlen 50 kg  ";
    rec.sensorId = "ac04bbaa"; // outside "0".."Z": made anew from today's date
    rec.curveFlags = 0x6F;     // wide points and three values are dropped, bits 0..2 kept
    rec.uncertainty = 3;
    rec.zeroOffset = 7;
    rec.pointSignals[3] = 42; // beyond the count: kept
    ASSERT_TRUE(TXT2XXX(t, f, rec, r, kToday, [] { return 0.5; }));
    EXPECT_EQ(rec.description, FixedText("Siločlen 50 kg", kDescriptionWidth));
    EXPECT_EQ(rec.unit, "kg    ");
    EXPECT_EQ(rec.serialNumber, FixedText("00000000", kSerialNumberWidth));
    EXPECT_EQ(rec.sheetText, FixedText("KL0000", kSheetTextWidth));
    EXPECT_EQ(rec.uncertainty, 0);
    EXPECT_EQ(rec.numberFormat, "##0.000 ");
    EXPECT_EQ(rec.limit, 9999);
    EXPECT_EQ(rec.gainCode, 5);
    EXPECT_EQ(rec.dateOfSave, "261204");
    EXPECT_EQ(rec.sensorId.substr(0, 4), "AC04");
    EXPECT_EQ(rec.slidingLength, 1);      // "Vypnuto"
    EXPECT_EQ(rec.fastSlidingLength, 12); // row 10 is "12"
    EXPECT_EQ(rec.curveFlags, 0x97);
    EXPECT_EQ(rec.zeroOffset, 0);
    EXPECT_EQ(rec.pointCount, 3);
    EXPECT_EQ(Shown(t), "0:0 1:100 2:200 "); // the editor's table is left sorted too
    EXPECT_EQ(rec.pointSignals, (decltype(rec.pointSignals){0, 1, 2, 42}));
    EXPECT_EQ(rec.userValues, (decltype(rec.userValues){0, 100, 200}));
    rec.sensorId = "ZZ99BBAA"; // a good identifier stays
    ASSERT_TRUE(TXT2XXX(t, f, rec, r, kToday, [] { return 0.5; }));
    EXPECT_EQ(rec.sensorId, "ZZ99BBAA");
}

TEST(ShowCurve, LinesFollowTheCurveTypeAndATooWideValueHasATip) {
    SetDecimalSeparator('.');
    PointTable t = Table({{0.5f, 12.5f}, {1234567, 123456}});
    SensorRecord rec;
    rec.numberFormat = "####0.0 ";
    EditorFields f;
    f.lstKrivkaSelected = 1;
    ShowCurve(t, rec, f);
    EXPECT_EQ(f.lblLiveUnit, "div");
    EXPECT_EQ(f.cmbCurveType, 0);
    EXPECT_EQ(f.lstKrivkaSelected, -1);
    // the line as the format cuts it, the whole value in its tip
    EXPECT_EQ(f.lstKrivka, (Texts{"       1     12.5 ", " 1234567  23456.0 "}));
    EXPECT_EQ(f.lstKrivkaTips[1].czech(), "Hodnota se nevejde do formátu ####0.0: 123456.0");
    rec.curveFlags = kCurveSignalMvV;
    ShowCurve(t, rec, f);
    EXPECT_EQ(f.lblLiveUnit, "mV/V");
    EXPECT_EQ(f.lblCurveSignalPopis.czech(), "Signál [mV/V]");
    EXPECT_EQ(f.cmbCurveType, 1);
    EXPECT_EQ(f.lstKrivka[0], "    0.50000     12.5 ");
    SetDecimalSeparator('\0');
}

TEST(Linearity, KnownCurveAgainstBothLines) {
    const LinearityReport r = Linearity({{0, 0}, {1, 100}, {2, 201}});
    ASSERT_TRUE(r.valid);
    EXPECT_DOUBLE_EQ(r.span, 201);
    // end-point line through (0, 0) and (2, 201); least squares by hand:
    // mean x 1, mean y 301/3, Sxx 2, Sxy 201, slope 100.5, intercept -1/6
    EXPECT_NEAR(r.leastSquaresLine.intercept, -1.0 / 6, 1e-12);
    const double endPoint[] = {0, -0.5, 0};
    const double leastSquares[] = {1.0 / 6, -1.0 / 3, 1.0 / 6};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(r.deviations[k].endPoint, endPoint[k], 1e-12) << k;
        EXPECT_NEAR(r.deviations[k].endPointPct, endPoint[k] / 201 * 100, 1e-12) << k;
        EXPECT_NEAR(r.deviations[k].leastSquares, leastSquares[k], 1e-12) << k;
        EXPECT_NEAR(r.deviations[k].leastSquaresPct, leastSquares[k] / 201 * 100, 1e-12) << k;
    }
    EXPECT_EQ(r.largestEndPoint, 1);
    EXPECT_EQ(r.largestLeastSquares, 1);
    // where the live signal lies: on a segment, or its extension at either end
    const std::pair<double, double> live[] = {{-1, -100}, {1.5, 150.5}, {3, 302}};
    for (const auto& [x, y] : live)
        EXPECT_DOUBLE_EQ(CurveValueAt(r.points, x), y) << x;
}

TEST(Linearity, FallingCurvesSpansAndWhatHasNoLine) {
    // falling: the span is a magnitude, the largest deviation is by magnitude
    LinearityReport r = Linearity({{0, 10}, {1, 4}, {2, 1}, {3, 0}});
    EXPECT_DOUBLE_EQ(r.span, 10);
    EXPECT_NEAR(r.deviations[1].endPoint, 4 - 20.0 / 3, 1e-12);
    EXPECT_EQ(r.largestEndPoint, 1);
    for (const auto& points :
         {std::vector<CurveSample>{{1, 1}}, std::vector<CurveSample>{{1, 0}, {2, 3}, {1, 5}}}) {
        r = Linearity(points);
        EXPECT_FALSE(r.valid) << points.size();
        EXPECT_EQ(r.largestEndPoint, -1);
    }
    EXPECT_TRUE(std::isnan(CurveValueAt({{1, 1}}, 1)));

    // divisions, whole numbers, first and last value equal: no percentage
    SetDecimalSeparator('.');
    const LinearityTexts d = LinearityTable(Linearity({{8388608, 5}, {9388608, 7}, {10388608, 5}}),
                                            "######0", false, "");
    EXPECT_EQ(d.headers[2].czech(), "Hodnota");
    EXPECT_EQ(d.rows[1], (Texts{"2", "9388608", "7", "2.00", "–", "1.33", "–"}));
    const LinearityTexts none = LinearityTable(r, "##0.000", true, "N");
    EXPECT_EQ(none.rows[0], (Texts{"1", "1.00000", "0.000", "", "", "", ""}));
    EXPECT_TRUE(none.largestEndPoint.empty());
    SetDecimalSeparator('\0');
}

} // namespace
} // namespace rm27
