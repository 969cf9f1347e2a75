// Calibration files as key/value groups: written, read back, picked, refused.
#include <gtest/gtest.h>

#include "calibration/clb_file.h"
#include "calibration/curve.h"
#include "support/memory_file_store.h"

namespace rm27 {
namespace {

using test::WithKey;

SensorRecord Sample() {
    SensorRecord r;
    r.sensorId = "AC04BBAA";
    r.description = FixedText("Siločlen, \"100\" kg; a=b", kDescriptionWidth);
    r.unit = FixedText("kg", kUnitWidth);
    r.numberFormat = FixedText("##0.000", kNumberFormatWidth);
    r.gainCode = 6;
    r.slidingLength = 12;
    r.fastSlidingLength = 1;
    r.curveFlags = 0x93;
    r.limit = 9999;
    r.zeroOffset = 0.25f;
    r.serialNumber = FixedText("00000000", kSerialNumberWidth);
    r.sheetText = FixedText("KL0000", kSheetTextWidth);
    r.sheetNumber = FixedText("7/2026", kSheetNumberWidth);
    r.uncertainty = 0.05f;
    r.dateOfSave = "261204";
    r.validity = "271204";
    r.adr = 4;
    r.subAdr = 2;
    r.pointCount = 4;
    // awkward singles: the file must give each back bit for bit (the last
    // the largest the eKey's own float holds)
    r.pointSignals = {-1e-7f, 0.1f, 1.2345679f, 1.7014117e38f};
    r.userValues = {-123.456f, 0, 1.0f / 3, 16777217.0f};
    return r;
}

TEST(ClbGroup, WritesEveryFieldAndReadsItBack) {
    const SensorRecord r = Sample();
    const ClbGroup g = CalibrationGroup("Kalibrace\\Snimac03", r, "RM-27/RMU Manager 1.2.3");
    EXPECT_EQ(g.name, "Kalibrace\\Snimac03");
    // clang-format off
    const std::pair<const char*, const char*> expected[] = {
        {"Program", "RM-27/RMU Manager 1.2.3"}, {"SensorId", "AC04BBAA"},
        {"Description", "Siločlen, \"100\" kg; a=b"}, {"Unit", "kg"},
        {"NumberFormat", "##0.000"}, {"GainCode", "6"}, {"SlidingLength", "12"},
        {"FastSlidingLength", "1"}, {"CurveFlags", "147"}, {"Limit", "9999"},
        {"ZeroOffset", "0.25"}, {"SheetNumber", "7/2026"}, {"Uncertainty", "0.05"},
        {"DateOfSave", "261204"}, {"Validity", "271204"},
        {"Input", "3"}, // the internal copy of input 3
        {"Adr", "4"}, {"SubAdr", "2"}, {"Points", "4"}, {"Signal1", "-1e-07"},
        {"Signal2", "0.1"}, {"Value1", "-123.456"}, {"Signal4", "1.7014117e+38"},
        {"Value4", "16777216"}
    };
    // clang-format on
    for (const auto& [key, value] : expected)
        EXPECT_EQ(g.find(key) ? *g.find(key) : "(none)", value) << key;

    SensorRecord back;
    back.adr = 1; // the block stays the reader's
    Text error;
    ASSERT_TRUE(CalibrationFromGroup(g, back, 9, error)) << error.czech();
    SensorRecord want = r;
    want.adr = 1;
    want.subAdr = 0;
    EXPECT_EQ(back, want);
}

TEST(ClbGroup, RefusalsNameTheKeyAndLeaveTheRecord) {
    SensorRecord r = Sample();
    r.pointCount = 3;
    const ClbGroup good = CalibrationGroup(kClbMenuGroup, r, "p");
    const std::string single = "přípustné jsou hodnoty 0 nebo 1.17549e-38 ≤ |x| ≤ 3.40282e+38.";
    const std::string device = "přípustné jsou hodnoty 0 nebo 2.93874e-39 ≤ |x| ≤ 1.70141e+38.";
    const struct {
        const char* key;
        const char* value; // nullptr: the key is taken out
        std::string message;
    } cases[] = {
        {"Description", nullptr, "Chybí položka \"Description\"."},
        {"Limit", "abc", "Položka \"Limit\" není číslo: \"abc\"."},
        {"Value1", "1e39", "Položka \"Value1\" je mimo rozsah: \"1e39\", " + device},
        {"Limit", "-2e38", "Položka \"Limit\" je mimo rozsah: \"-2e38\", " + device},
        {"ZeroOffset", "1e-40", "Položka \"ZeroOffset\" je mimo rozsah: \"1e-40\", " + single},
        {"Uncertainty", "101",
         "Položka \"Uncertainty\" je mimo rozsah: \"101\", přípustné jsou hodnoty 0 až 100."},
        {"GainCode", "8", "Položka \"GainCode\" musí být celé číslo od 0 do 7: \"8\"."},
        {"SlidingLength", "2.5",
         "Položka \"SlidingLength\" musí být celé číslo od 0 do 255: \"2.5\"."},
        {"Points", "1", "Položka \"Points\" = 1: kalibrační křivka může mít 2 až 9 bodů."},
        {"Points", "10", "Položka \"Points\" = 10: kalibrační křivka může mít 2 až 9 bodů."},
        {"Signal3", "0.1", "Položka \"Signal3\" = 0.1 opakuje položku \"Signal2\"."},
        {"Value3", "-123,456", "Položka \"Value3\" = -123.456 opakuje položku \"Value1\"."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        SensorRecord target;
        Text error;
        EXPECT_FALSE(CalibrationFromGroup(WithKey(good, c.key, c.value), target, 9, error));
        EXPECT_EQ(error.czech(), c.message);
        EXPECT_EQ(target, SensorRecord{});
    }
    // what only says where the record came from may be missing
    ClbGroup bare = good;
    for (const char* key : {"Program", "Input", "Adr", "SubAdr"})
        bare = WithKey(bare, key, nullptr);
    SensorRecord target;
    Text error;
    EXPECT_TRUE(CalibrationFromGroup(bare, target, 9, error)) << error.czech();
    EXPECT_EQ(target.pointCount, 3);
}

TEST(ClbGroup, TheInputsGroupFirstThenTheMenusThenTheOnlyOne) {
    const std::string one = "Kalibrace\\Snimac01";
    const std::string two = "Kalibrace\\Snimac02";
    const std::string none = "(none)";
    const struct {
        std::vector<std::string> groups;
        std::string preferred;
        std::string picked;
    } cases[] = {
        // clang-format off
        {{kClbMenuGroup, two}, two, two}, {{two, kClbMenuGroup}, one, kClbMenuGroup},
        {{two}, one, two},                {{two, "Kalibrace\\Snimac03"}, one, none},
        {{two, one}, "", none},           {{}, kClbMenuGroup, none},
    };
    // clang-format on
    for (const auto& c : cases) {
        std::vector<ClbGroup> groups;
        for (const std::string& name : c.groups)
            groups.push_back(ClbGroup{name, {}});
        const ClbGroup* g = PickCalibrationGroup(groups, c.preferred);
        EXPECT_EQ(g ? g->name : none, c.picked) << c.preferred;
    }
}

} // namespace
} // namespace rm27
