// Calibration files as key/value groups: written, read back, picked, refused.
#include <gtest/gtest.h>

#include <limits>

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
    const float signals[] = {-1e-7f, 0.1f, 1.2345679f, 1.7014117e38f};
    const float values[] = {-123.456f, 0, 1.0f / 3, 16777217.0f};
    for (std::size_t k = 0; k < 4; ++k) {
        r.pointSignals[k] = signals[k];
        r.userValues[k] = values[k];
    }
    return r;
}

TEST(ClbGroup, WritesEveryFieldAndReadsItBack) {
    const SensorRecord r = Sample();
    const ClbGroup g = CalibrationGroup("Kalibrace\\Snimac03", r, "RM-27/RMU Manager 1.2.3");
    EXPECT_EQ(g.name, "Kalibrace\\Snimac03");
    const std::pair<const char*, const char*> expected[] = {
        {"Program", "RM-27/RMU Manager 1.2.3"},
        {"SensorId", "AC04BBAA"},
        {"Description", "Siločlen, \"100\" kg; a=b"},
        {"Unit", "kg"},
        {"NumberFormat", "##0.000"},
        {"GainCode", "6"},
        {"SlidingLength", "12"},
        {"FastSlidingLength", "1"},
        {"CurveFlags", "147"},
        {"Limit", "9999"},
        {"ZeroOffset", "0.25"},
        {"SheetNumber", "7/2026"},
        {"Uncertainty", "0.05"},
        {"DateOfSave", "261204"},
        {"Validity", "271204"},
        {"Input", "3"}, // the internal copy of input 3
        {"Adr", "4"},
        {"SubAdr", "2"},
        {"Points", "4"},
        {"Signal1", "-1e-07"},
        {"Signal2", "0.1"},
        {"Value1", "-123.456"},
        {"Signal4", "1.7014117e+38"},
        {"Value4", "16777216"},
    };
    for (const auto& [key, value] : expected) {
        ASSERT_NE(g.find(key), nullptr) << key;
        EXPECT_EQ(*g.find(key), value) << key;
    }

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
    struct Case {
        const char* key;
        const char* value; // nullptr: the key is taken out
        const char* message;
    };
    const Case cases[] = {
        {"Description", nullptr, "Chybí položka \"Description\"."},
        {"Value3", nullptr, "Chybí položka \"Value3\"."},
        {"Validity", nullptr, "Chybí položka \"Validity\"."},
        {"Limit", "abc", "Položka \"Limit\" není číslo: \"abc\"."},
        {"Signal2", "0.5x", "Položka \"Signal2\" není číslo: \"0.5x\"."},
        {"Signal2", "nan", "Položka \"Signal2\" není číslo: \"nan\"."},
        {"Value1", "1e39",
         "Položka \"Value1\" je mimo rozsah: \"1e39\", přípustné jsou hodnoty 0 nebo "
         "2.93874e-39 ≤ |x| ≤ 1.70141e+38."},
        {"Signal2", "1e-40",
         "Položka \"Signal2\" je mimo rozsah: \"1e-40\", přípustné jsou hodnoty 0 nebo "
         "2.93874e-39 ≤ |x| ≤ 1.70141e+38."},
        {"Limit", "-2e38",
         "Položka \"Limit\" je mimo rozsah: \"-2e38\", přípustné jsou hodnoty 0 nebo "
         "2.93874e-39 ≤ |x| ≤ 1.70141e+38."},
        {"Uncertainty", "101",
         "Položka \"Uncertainty\" je mimo rozsah: \"101\", přípustné jsou hodnoty 0 až 100."},
        {"ZeroOffset", "1e-40",
         "Položka \"ZeroOffset\" je mimo rozsah: \"1e-40\", přípustné jsou hodnoty 0 nebo "
         "1.17549e-38 ≤ |x| ≤ 3.40282e+38."},
        {"Value1", "", "Položka \"Value1\" není číslo: \"\"."},
        {"Value1", "1,5,2", "Položka \"Value1\" není číslo: \"1,5,2\"."},
        {"GainCode", "8", "Položka \"GainCode\" musí být celé číslo od 0 do 7: \"8\"."},
        {"SlidingLength", "2.5",
         "Položka \"SlidingLength\" musí být celé číslo od 0 do 255: \"2.5\"."},
        {"Points", "1", "Položka \"Points\" = 1: kalibrační křivka může mít 2 až 9 bodů."},
        {"Points", "10", "Položka \"Points\" = 10: kalibrační křivka může mít 2 až 9 bodů."},
        {"Signal3", "0.1", "Položka \"Signal3\" = 0.1 opakuje položku \"Signal2\"."},
        {"Value3", "-123,456", "Položka \"Value3\" = -123.456 opakuje položku \"Value1\"."},
    };
    for (const Case& c : cases) {
        SensorRecord target;
        target.description = FixedText("untouched", kDescriptionWidth);
        const SensorRecord before = target;
        Text error;
        EXPECT_FALSE(CalibrationFromGroup(WithKey(good, c.key, c.value), target, 9, error))
            << c.key;
        EXPECT_EQ(error.czech(), c.message) << c.key;
        EXPECT_EQ(target, before) << c.key;
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
    const auto named = [](std::initializer_list<const char*> names) {
        std::vector<ClbGroup> groups;
        for (const char* n : names)
            groups.push_back(ClbGroup{n, {}});
        return groups;
    };
    struct Case {
        std::vector<ClbGroup> groups;
        const char* preferred;
        const char* picked; // nullptr: none
    };
    const Case cases[] = {
        {named({"Kalibrace", "Kalibrace\\Snimac02"}), "Kalibrace\\Snimac02", "Kalibrace\\Snimac02"},
        {named({"Kalibrace\\Snimac02", "Kalibrace"}), "Kalibrace\\Snimac01", "Kalibrace"},
        {named({"Kalibrace\\Snimac02"}), "Kalibrace\\Snimac01", "Kalibrace\\Snimac02"},
        {named({"Kalibrace\\Snimac02", "Kalibrace\\Snimac03"}), "Kalibrace\\Snimac01", nullptr},
        {named({"Kalibrace\\Snimac02", "Kalibrace\\Snimac03"}), "", nullptr},
        {named({}), "Kalibrace", nullptr},
    };
    for (const Case& c : cases) {
        const ClbGroup* g = PickCalibrationGroup(c.groups, c.preferred);
        if (c.picked == nullptr)
            EXPECT_EQ(g, nullptr) << c.preferred;
        else
            EXPECT_EQ(g ? g->name : "(none)", c.picked) << c.preferred;
    }
}

} // namespace
} // namespace rm27
