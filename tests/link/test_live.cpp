#include "link/live.h"

#include <gtest/gtest.h>

#include <array>

namespace rm27 {
namespace {

// Straight line through (0, 0) and (1, slope), divisions as its signal.
SensorRecord Line(float slope, int sliding, int fast) {
    SensorRecord r;
    InitSensorRecord(r, "line", 0, 0, 1.0f, slope, sliding, "##0.000", "kg", fast, false, 0, 0,
                     0x80, CivilDateTime{}, 0);
    return r;
}

void Feed(SensorRecord& r, float div, std::int64_t nowMs = 0) {
    r.liveDiv = div;
    UpdateSensorRecord(r, 1, nowMs);
}

TEST(LiveUpdate, AverageFollowsTheSlidingLengthAndCarriesOverALengthChange) {
    SensorRecord r = Line(1.0f, 1, 1);
    for (const float v : {3.0f, -7.5f, 12.25f, 2.0f}) {
        Feed(r, v);
        EXPECT_EQ(r.averagedValue, v);
        EXPECT_EQ(r.userValue, v);
        EXPECT_TRUE(r.newSample);
    }
    EXPECT_FALSE(r.restart);
    EXPECT_EQ(r.window.size(), 2u);
    SetAveragingLength(r, 4, 0);
    EXPECT_EQ(r.window, std::vector<float>(5, 2.0f));
    Feed(r, 2.0f);
    EXPECT_EQ(r.averagedValue, 2.0f);
    Feed(r, 10.0f); // (2 + 2 + 2 + 10) / 4
    EXPECT_EQ(r.averagedValue, 4.0f);
    for (int k = 0; k < 4; ++k)
        Feed(r, 6.0f);
    EXPECT_EQ(r.averagedValue, 6.0f);
    r.slidingLength = 0; // no length: nothing to restart from
    SetAveragingLength(r, 8, 0);
    EXPECT_EQ(r.slidingLength, 0);
    Feed(r, 6.0f);
    EXPECT_EQ(r.averagedValue, 0.0f);
}

TEST(LiveUpdate, CurveSegmentsAndExtensions) {
    SensorRecord r = Line(1.0f, 1, 1);
    r.pointCount = 3;
    r.pointSignals = {0, 10, 20};
    r.userValues = {0, 100, 300};
    PrepareSlopes(r, 0);
    const std::pair<float, float> cases[] = {{-5, -50}, {5, 50},   {10, 100},
                                             {15, 200}, {20, 300}, {25, 400}};
    for (const auto& [signal, user] : cases) {
        Feed(r, signal);
        EXPECT_FLOAT_EQ(r.userValue, user) << signal;
    }

    // Equal first signals: the slopes stay as they were and are used so.
    r.pointSignals = {5, 5, 10};
    r.slopes = {7, 3, 3};
    PrepareSlopes(r, 0);
    Feed(r, 2.0f);
    EXPECT_FLOAT_EQ(r.userValue, (2.0f - 5.0f) * 7.0f);
    Feed(r, 5.0f); // a signal equal to a point starts the next segment
    EXPECT_FLOAT_EQ(r.userValue, 100.0f);

    r.pointCount = 0; // no curve: the user value is left alone
    Feed(r, 1.0f);
    EXPECT_FLOAT_EQ(r.userValue, 100.0f);
}

TEST(LiveUpdate, TrendIsTheLeastSquaresSlopeTimesTheOverallSlope) {
    for (const int fast : {0, 1}) { // a trend only with a fast length above one
        SensorRecord r = Line(2.0f, 1, fast);
        r.trend = 123.0f;
        for (int k = 0; k < 12; ++k)
            Feed(r, static_cast<float>(k), k * 1000);
        EXPECT_EQ(r.trend, 123.0f);
        EXPECT_FALSE(r.trendReady);
    }
    SensorRecord r = Line(2.0f, 1, 5);
    for (int k = 0; k < 5; ++k) // the first window starts with the restart
        Feed(r, static_cast<float>(k + 5), k * 1000);
    EXPECT_TRUE(r.trendReady);
    EXPECT_EQ(r.trendN, 0.0f);
    for (int k = 5; k < 10; ++k) // value rising 1 per second
        Feed(r, static_cast<float>(k + 5), k * 1000);
    EXPECT_FLOAT_EQ(r.trend, 2.0f);

    for (int k = 0; k < 5; ++k) // no time passes: the line is undefined
        Feed(r, 1.0f, 9000);
    EXPECT_EQ(r.trend, 999999.0f);
}

// Each reading is stamped with the elapsed time the update before it
// stored, one interval late; a finished window starts the stamps at 0 again.
// At an even rate the lag does not change the slope, at uneven intervals it
// does.
TEST(LiveUpdate, TrendStampsEachReadingWithThePreviousElapsedTime) {
    SensorRecord r = Line(2.0f, 1, 3);
    // A value rising 1 per second, read at 0, 1 and 4 s: stamps 0, 0, 1 s.
    Feed(r, 0.0f, 0);
    Feed(r, 1.0f, 1000);
    Feed(r, 4.0f, 4000);
    // n 3, St 1, St2 1, Sy 5, Sty 4: (3 * 4 - 1 * 5) / (3 * 1 - 1 * 1) = 3.5
    EXPECT_FLOAT_EQ(r.trend, 3.5f * 2.0f);

    // Read at 4.5, 6.5 and 7 s: stamps 0, 0.5, 2.5 s.
    Feed(r, 2.0f, 4500);
    Feed(r, 3.0f, 6500);
    Feed(r, 5.0f, 7000);
    // St 3, St2 6.5, Sy 10, Sty 14: (3 * 14 - 3 * 10) / (3 * 6.5 - 3 * 3) = 12 / 10.5
    EXPECT_FLOAT_EQ(r.trend, 12.0f * 2.0f / 10.5f);
}

// A change of the averaging length opens a new trend window; readings from
// before it must not count towards the next trend. The elapsed time is not
// part of the window and carries on.
TEST(LiveUpdate, LengthChangeRestartsTheTrendSums) {
    SensorRecord r = Line(2.0f, 1, 3);
    Feed(r, 0.0f, 0);
    Feed(r, 0.0f, 1000); // two of three readings in, 1 s elapsed
    SetAveragingLength(r, 4, 1500);
    Feed(r, 4.0f, 2000); // stamped 1 s
    EXPECT_FALSE(r.trendReady);
    Feed(r, 2.0f, 3000); // stamped 0.5 s
    Feed(r, 8.0f, 4000); // stamped 1.5 s
    // St 3, St2 3.5, Sy 14, Sty 17: (3 * 17 - 3 * 14) / (3 * 3.5 - 3 * 3) = 6
    EXPECT_TRUE(r.trendReady);
    EXPECT_FLOAT_EQ(r.trend, 6.0f * 2.0f);
}

// A re-read of the sensor (its image decoded again) restarts the average
// and the trend sums but not the elapsed time: the first reading after it
// is stamped with the time the last update stored.
TEST(LiveUpdate, ReReadKeepsTheElapsedTimeForTheFirstStamp) {
    SensorRecord r = Line(2.0f, 1, 5);
    Feed(r, 0.0f, 0);
    Feed(r, 0.0f, 3000); // 3 s into an unfinished trend window
    SensorRecord source = Line(2.0f, 1, 2);
    std::string image;
    ASSERT_TRUE(BuildEKeyImage(image, source, 1, CivilDateTime{}).ok());
    image.resize(256, '\0');
    ASSERT_EQ(DecodeEKeyImage(image, r, 0, 0, 5000), ResultCode::Ok);
    EXPECT_EQ(r.trendN, 0.0f);
    Feed(r, 10.0f, 6000); // stamped 3 s
    Feed(r, 4.0f, 7000);  // stamped 0 s: the restart opened the window at 6000
    // (4 - 10) / (0 - 3) = 2 per second, times the overall slope 2
    EXPECT_FLOAT_EQ(r.trend, 4.0f);
}

TEST(LiveUpdate, NetValueAndItsExtremes) {
    SensorRecord r = Line(1.0f, 1, 1);
    r.zeroOffset = 1.0f;
    r.factor = 2;
    r.maximum = -1000000;
    r.minimum = 1000000;
    Feed(r, 3.0f); // the first reading sets both extremes
    EXPECT_EQ((std::array{r.netValue, r.maximum, r.minimum}), (std::array{4.0f, 4.0f, 4.0f}));
    Feed(r, 7.0f);
    Feed(r, -2.0f);
    EXPECT_EQ((std::array{r.netValue, r.maximum, r.minimum}), (std::array{-6.0f, 12.0f, -6.0f}));
}

TEST(LiveUpdate, GainTableAndSignalSelection) {
    SensorRecord r = Line(1.0f, 1, 1);
    r.gainCode = 2;
    r.gainTable[2] = GainEntry{0.5f, 100.0f};
    r.liveDiv = 300.0f;
    UpdateSensorRecord(r, 0, 0);
    EXPECT_EQ(r.liveMvV, 100.0f);
    EXPECT_EQ(r.liveSelected, 300.0f); // curve in divisions

    r.curveFlags |= kCurveSignalMvV;
    UpdateSensorRecord(r, 0, 0);
    EXPECT_EQ(r.liveSelected, 100.0f);
    EXPECT_EQ(r.userValue, 100.0f);

    r.liveMvV = 7.0f; // any other mode: the caller delivered mV/V
    UpdateSensorRecord(r, 1, 0);
    EXPECT_EQ(r.liveSelected, 7.0f);

    r.gainCode = 9; // no such gain: mV/V is left as it was
    UpdateSensorRecord(r, 0, 0);
    EXPECT_EQ(r.liveMvV, 7.0f);
}

} // namespace
} // namespace rm27
