// The point table, the checks a curve must pass, and the editor's fields.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "calibration/curve.h"
#include "link/codecs.h"
#include "support/recorder.h"

namespace rm27 {
namespace {

using test::Recorder;

struct P {
    float signal;
    float value;
};

PointTable Table(const std::vector<P>& points) {
    PointTable t;
    for (std::size_t k = 0; k < points.size(); ++k) {
        CurvePoint& s = t.slot(static_cast<int>(k) + 1);
        s.signal = points[k].signal;
        s.userValue = points[k].value;
        s.state = kSlotUsed;
    }
    t.setCount(static_cast<int>(points.size()));
    return t;
}

// "signal:value ..." of the points, for comparing tables at a glance.
std::string CurveText(const std::vector<P>& points) {
    std::string out;
    for (const P& p : points)
        out += SingleText(p.signal) + ":" + SingleText(p.value) + " ";
    return out;
}

std::string Points(const PointTable& t) {
    std::vector<P> out;
    for (int k = 1; k <= t.count(); ++k)
        out.push_back({t.slot(k).signal, t.slot(k).userValue});
    return CurveText(out);
}

EditorFields ValidFields() {
    EditorFields f;
    f.txtPopis = "  Siločlen 50 kg  ";
    f.txtJednotka = " kg ";
    f.cmbFormat = 3;
    f.cmbGain = 5;
    f.cmbSlide = 0;
    f.cmbSlideRychl = 10;
    f.cmbCurveType = 0;
    return f;
}

const CivilDateTime kToday{2026, 12, 4, 0, 0, 19};

TEST(PointTable, SortIsStableAndLeavesFreeSlotsAlone) {
    PointTable t = Table({{2, 20}, {1, 10}, {2, 21}, {0.5f, 5}, {1, 11}});
    t.slot(7).signal = -5; // a free slot with an old signal stays where it is
    t.SortPoints();
    EXPECT_EQ(Points(t), "0.5:5 1:10 1:11 2:20 2:21 ");
    EXPECT_EQ(t.slot(7).signal, -5);
    EXPECT_EQ(t.slot(7).state, kSlotFree);
}

TEST(PointTable, CountDeleteAndFind) {
    PointTable t = Table({{1, 10}, {2, 20}, {3, 30}});
    t.setCount(0);
    t.CountPoints();
    EXPECT_EQ(t.count(), 3);

    EXPECT_EQ(t.FindSignal(2), 2);
    EXPECT_EQ(t.FindSignal(2.5f), 0);
    EXPECT_EQ(t.FirstFreeSlot(), 4);

    t.DeletePoint(2);
    EXPECT_EQ(Points(t), "1:10 3:30 ");
    EXPECT_EQ(t.slot(3).state, kSlotFree);
    t.CountPoints();
    EXPECT_EQ(t.count(), 2);

    // a full table: the last slot is vacated, not duplicated
    PointTable full;
    for (int k = 1; k <= kPointSlots; ++k)
        full.slot(k) = {static_cast<float>(k), static_cast<float>(k), kSlotUsed};
    full.setCount(kPointSlots);
    full.DeletePoint(1);
    full.CountPoints();
    EXPECT_EQ(full.count(), kPointSlots - 1);
    EXPECT_EQ(full.slot(1).signal, 2);
}

TEST(PointTable, DuplicatesAreReportedFirstFoundOnly) {
    struct Case {
        std::vector<P> points;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {{{1, 10}, {2, 20}, {3, 30}}, {}},
        {{{1, 10}, {2, 10}}, {"Hondota etalonu 10 se vyskytuje opakovaně. "}},
        {{{0.1f, 1}, {0.1f, 2}}, {"Hodnota signálu 0.1 se vyskytuje opakovaně. "}},
        // point 1's signal repeats before the values of points 2 and 3 do
        {{{1, 5}, {2, 7}, {1, 7}}, {"Hodnota signálu 1 se vyskytuje opakovaně. "}},
        // for one point its user value is looked at before its signal
        {{{1.5f, 2.5f}, {1.5f, 2.5f}}, {"Hondota etalonu 2.5 se vyskytuje opakovaně. "}},
        {{{1e-05f, 1}, {2, 1e-05f}, {3, 1e-05f}},
         {"Hondota etalonu 1e-05 se vyskytuje opakovaně. "}},
    };
    for (const Case& c : cases) {
        Recorder r;
        EXPECT_EQ(Table(c.points).CheckDuplicates(r), c.messages.empty());
        EXPECT_EQ(r.messageTexts(), c.messages);
        EXPECT_EQ(r.criticals, c.messages);
    }
}

TEST(Txt2xxx, RefusalsShowTheirMessagesAndLeaveTheRecord) {
    struct Case {
        std::vector<P> points;
        std::string description;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {{{1, 10}, {2, 10}},
         "A",
         {"Hondota etalonu 10 se vyskytuje opakovaně. ",
          "Kalibrační křivka numůže obsahovat dva shodné body."}},
        {{{1, 10}}, "A", {"Kalibrační křivka musí mít alespoň dva body."}},
        {{}, "A", {"Kalibrační křivka musí mít alespoň dva body."}},
        {{{1, 10}, {2, 20}}, "    ", {"Kalibrační křivka musí mít jméno (popis)."}},
    };
    for (const Case& c : cases) {
        Recorder r;
        PointTable t = Table(c.points);
        EditorFields f = ValidFields();
        f.txtPopis = c.description;
        SensorRecord rec;
        rec.description = FixedText("old", kDescriptionWidth);
        const SensorRecord before = rec;
        EXPECT_FALSE(TXT2XXX(t, f, rec, r, kToday, [] { return 0.5; }));
        EXPECT_EQ(r.criticals, c.messages);
        EXPECT_EQ(rec, before);
    }
}

TEST(Txt2xxx, BuildsTheRecordFromTheFields) {
    Recorder r;
    PointTable t = Table({{2, 200}, {0, 0}, {1, 100}});
    SensorRecord rec;
    rec.sensorId = "AC04BBAA";
    rec.curveFlags = 0x6F; // wide points and three values are dropped, bits 0..2 kept
    rec.limit = 5;
    rec.uncertainty = 3;
    rec.zeroOffset = 7;
    rec.pointSignals[3] = 42; // beyond the count: kept
    ASSERT_TRUE(TXT2XXX(t, ValidFields(), rec, r, kToday, [] { return 0.5; }));
    EXPECT_TRUE(r.calls.empty());
    EXPECT_EQ(rec.description, FixedText("Siločlen 50 kg", kDescriptionWidth));
    EXPECT_EQ(rec.unit, "kg    ");
    EXPECT_EQ(rec.serialNumber, FixedText("00000000", kSerialNumberWidth));
    EXPECT_EQ(rec.sheetText, FixedText("KL0000", kSheetTextWidth));
    EXPECT_EQ(rec.uncertainty, 0);
    EXPECT_EQ(rec.numberFormat, "##0.000 ");
    EXPECT_EQ(rec.limit, 9999);
    EXPECT_EQ(rec.gainCode, 5);
    EXPECT_EQ(rec.dateOfSave, "261204");
    EXPECT_EQ(rec.sensorId, "AC04BBAA");
    EXPECT_EQ(rec.slidingLength, 1);      // "Vypnuto"
    EXPECT_EQ(rec.fastSlidingLength, 12); // row 10 is "12"
    EXPECT_EQ(rec.curveFlags, 0x97);
    EXPECT_EQ(rec.zeroOffset, 0);
    EXPECT_EQ(rec.pointCount, 3);
    const float signals[] = {0, 1, 2, 42};
    const float values[] = {0, 100, 200, 0};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(rec.pointSignals[k], signals[k]) << k;
        EXPECT_EQ(rec.userValues[k], values[k]) << k;
    }
    // the editor's table is left sorted too
    EXPECT_EQ(t.slot(1).signal, 0);

    // an identifier outside "0".."Z" is made anew from today's date
    rec.sensorId = "ac04bbaa";
    ASSERT_TRUE(TXT2XXX(t, ValidFields(), rec, r, kToday, [] { return 0.5; }));
    EXPECT_NE(rec.sensorId, "ac04bbaa");
    EXPECT_EQ(rec.sensorId.substr(0, 4), "AC04");
    EXPECT_EQ(rec.sensorId.back(), '7');
}

TEST(LoadCalibration, FillsTheFieldsFromTheRecord) {
    struct Case {
        std::string format;
        int gain, slide, fast;
        int formatRow, gainRow, slideRow, fastRow;
    };
    const Case cases[] = {
        {"##0.000 ", 7, 12, 50, 3, 7, 10, 15},
        {"0.00000", 0, 2, 1, 5, 0, 1, 0},
        {"#.#", 8, 11, 0, 0, 0, 0, 0},
        {"######0 ", 3, 1, 20, 0, 3, 0, 12},
    };
    for (const Case& c : cases) {
        SensorRecord rec;
        rec.numberFormat = c.format;
        rec.gainCode = c.gain;
        rec.slidingLength = c.slide;
        rec.fastSlidingLength = c.fast;
        rec.description = FixedText(" Váha ", kDescriptionWidth);
        rec.sensorId = "AC04BBAA";
        rec.limit = 9999;
        rec.uncertainty = 0.5f;
        rec.pointCount = 45; // more than the table holds
        for (std::size_t k = 0; k < kCurveSlots; ++k) {
            rec.pointSignals[k] = static_cast<float>(k);
            rec.userValues[k] = static_cast<float>(10 * k);
        }
        PointTable t;
        EditorFields f;
        LoadCalibration(t, rec, 4, 2, f);
        EXPECT_EQ(f.cmbFormat, c.formatRow) << c.format;
        EXPECT_EQ(f.cmbGain, c.gainRow) << c.gain;
        EXPECT_EQ(f.cmbSlide, c.slideRow) << c.slide;
        EXPECT_EQ(f.cmbSlideRychl, c.fastRow) << c.fast;
        EXPECT_EQ(t.count(), 40);
        EXPECT_EQ(f.label3, "40");
        EXPECT_EQ(t.slot(40).signal, 39);
        EXPECT_EQ(f.lstKrivka.size(), 40u);
        EXPECT_EQ(f.caption.czech(), "Kalibrace [ Váha ] Adr=4 SubAdr=2");
        EXPECT_EQ(f.frame2.czech(), "Snímač [ID:AC04BBAA]");
        EXPECT_EQ(f.txtLimit, "9999");
        EXPECT_EQ(f.txtNejistota, "0.5");
    }
}

TEST(ShowCurve, LinesAndCaptionsFollowTheCurveType) {
    SetDecimalSeparator('.');
    PointTable t = Table({{0.5f, 12.5f}, {1234567, 100}});
    SensorRecord rec;
    rec.numberFormat = "####0.0 ";
    EditorFields f;
    f.lstKrivkaSelected = 1;
    ShowCurve(t, rec, f);
    EXPECT_EQ(f.lblLiveUnit, "div");
    EXPECT_EQ(f.lblCurveSignalPopis.czech(), "Signál [div]");
    EXPECT_EQ(f.cmbCurveType, 0);
    EXPECT_EQ(f.lstKrivkaSelected, -1);
    EXPECT_EQ(f.lstKrivka, (std::vector<std::string>{"       1     12.5 ", " 1234567    100.0 "}));

    rec.curveFlags = kCurveSignalMvV;
    ShowCurve(t, rec, f);
    EXPECT_EQ(f.lblLiveUnit, "mV/V");
    EXPECT_EQ(f.lblCurveSignalPopis.czech(), "Signál [mV/V]");
    EXPECT_EQ(f.cmbCurveType, 1);
    EXPECT_EQ(f.lstKrivka[0], "    0.50000     12.5 ");
    SetDecimalSeparator('\0');
}

} // namespace
} // namespace rm27
