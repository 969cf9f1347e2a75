// The simulated converter's eKeys are bytes of their own, not the program's
// output: the program's codec must read them as the sensors they are and
// write the same bytes again, or a fault shared by its builder and decoder
// would pass unseen.
#include <gtest/gtest.h>

#include <array>

#include "link/ekey.h"
#include "sim/sensor_images.h"

namespace rm27 {
namespace {

TEST(EKeyImages, TheSimulatorsKeysDecodeAndBuildByteForByte) {
    const struct {
        const char* description; // UTF-8, as decoded from Windows-1250
        const char* unit;
        const char* format;
        const char* id;
        std::array<float, 3> values; // at 0, 1 and 2 mV/V
    } keys[] = {
        {"Load cell 500 kg", "kg", "####0.0", "SIMKEY01", {0.0f, 249.8f, 500.0f}},
        {"Force sensor 10 kN \u2013 C3", "N", "######0", "SIMKEY02", {0.0f, 5003.0f, 10000.0f}},
        {"Load cell 2000 kg", "kg", "####0.0", "SIMKEY03", {0.0f, 1000.4f, 2000.0f}},
        {"Force sensor 50 N", "N", "##0.000", "SIMKEY04", {0.0f, 24.96f, 50.0f}},
    };
    const CivilDateTime built{2026, 1, 15, 10, 0, 0};
    for (int input = 0; input < 4; ++input) {
        const auto& key = keys[input];
        SCOPED_TRACE(key.id);
        const std::string image = sim::DefaultSensorImage(input);
        ASSERT_EQ(image.size(), 256u);
        EXPECT_EQ(sim::DefaultInternalImage(input), image);
        SensorRecord rec;
        ASSERT_EQ(DecodeEKeyImage(image, rec, input, 0, 0), ResultCode::Ok);
        EXPECT_EQ(TrimBlanks(rec.description), key.description);
        EXPECT_EQ(TrimBlanks(rec.unit), key.unit);
        EXPECT_EQ(TrimBlanks(rec.numberFormat), key.format);
        EXPECT_EQ(rec.sensorId, key.id);
        EXPECT_EQ(rec.gainCode, 7);
        EXPECT_EQ(rec.validity, "271231");
        EXPECT_EQ(rec.dateOfSave, "260115");
        EXPECT_EQ(rec.curveFlags, kCurveHasCurve | kCurveWidePoints | kCurveSignalMvV);
        ASSERT_EQ(rec.pointCount, 3);
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_FLOAT_EQ(rec.pointSignals[k], static_cast<float>(k)) << k;
            EXPECT_FLOAT_EQ(rec.userValues[k], key.values[k]) << k;
        }
        std::string rebuilt;
        ASSERT_TRUE(BuildEKeyImage(rebuilt, rec, 1, built).ok());
        rebuilt.resize(256, '\0');
        EXPECT_EQ(rebuilt, image);
    }
}

} // namespace
} // namespace rm27
