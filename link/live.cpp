#include "link/live.h"

#include <algorithm>

namespace rm27 {

namespace {

constexpr float kTrendUndefined = 999999.0f;

// Ring of the last L readings with a running sum, so an update costs the
// same whatever the length. The vector carries one spare entry beyond the
// ring, as the record always has.
void UpdateAverage(SensorRecord& rec) {
    const std::int64_t length = rec.slidingLength;
    if (length >= 0 && length <= kMaxSlidingLength &&
        rec.window.size() != static_cast<std::size_t>(length + 1)) {
        rec.window.assign(static_cast<std::size_t>(length + 1), 0.0f);
    }
    if (rec.windowPos >= 0 && static_cast<std::size_t>(rec.windowPos) < rec.window.size()) {
        float& slot = rec.window[static_cast<std::size_t>(rec.windowPos)];
        rec.windowSum = rec.windowSum - slot + rec.liveSelected;
        slot = rec.liveSelected;
    }
    const std::int64_t next = std::int64_t{rec.windowPos} + 1;
    rec.windowPos = next > length - 1 ? 0 : static_cast<std::int32_t>(next);
    rec.averagedValue = length >= 1 ? rec.windowSum / static_cast<float>(length) : 0.0f;
}

// Least-squares slope of the selected value over F readings. Each reading is
// stamped with the time stored by the update before it, which keeps the
// stamps one interval behind; at an even reading rate the slope is the same.
void UpdateTrend(SensorRecord& rec, std::int64_t nowMs) {
    if (rec.fastSlidingLength <= 1) {
        return;
    }
    const auto t = static_cast<float>(rec.elapsedTime / 1000.0);
    rec.elapsedTime = static_cast<double>(nowMs) - rec.preparationTime;
    const float y = rec.liveSelected;
    rec.trendN += 1;
    rec.trendSumT += t;
    rec.trendSumT2 += t * t;
    rec.trendSumY += y;
    rec.trendSumTY += t * y;
    if (rec.trendN < static_cast<float>(rec.fastSlidingLength)) {
        return;
    }
    const float d = rec.trendN * rec.trendSumT2 - rec.trendSumT * rec.trendSumT;
    rec.trend = d != 0 ? (rec.trendN * rec.trendSumTY - rec.trendSumT * rec.trendSumY) *
                             rec.overallSlope / d
                       : kTrendUndefined;
    ClearTrendSums(rec);
    rec.preparationTime = static_cast<double>(nowMs);
    rec.elapsedTime = 0;
    rec.trendReady = true;
}

// Piecewise-linear curve; below the first point the first segment is
// extended, above the last point the last slope goes on.
void UpdateUserValue(SensorRecord& rec) {
    const std::int64_t count = rec.pointCount;
    const std::int64_t searchable = std::min<std::int64_t>(count, kCurveSlots);
    std::int64_t segment = count - 1;
    for (std::int64_t i = 0; i + 1 < searchable; ++i) {
        if (rec.averagedValue < rec.pointSignals[static_cast<std::size_t>(i + 1)]) {
            segment = i;
            break;
        }
    }
    if (segment < 0 || segment >= static_cast<std::int64_t>(kCurveSlots)) {
        return;
    }
    const auto k = static_cast<std::size_t>(segment);
    rec.userValue = (rec.averagedValue - rec.pointSignals[k]) * rec.slopes[k] + rec.userValues[k];
}

} // namespace

void UpdateSensorRecord(SensorRecord& rec, int mode, std::int64_t nowMs) {
    if (mode == 0 && rec.gainCode >= 0 &&
        rec.gainCode < static_cast<std::int32_t>(rec.gainTable.size())) {
        const GainEntry& gain = rec.gainTable[static_cast<std::size_t>(rec.gainCode)];
        rec.liveMvV = (rec.liveDiv - gain.zero) * gain.scale;
    }
    rec.liveSelected = (rec.curveFlags & kCurveSignalMvV) != 0 ? rec.liveMvV : rec.liveDiv;
    if (rec.restart) {
        rec.restart = false;
        SetAveragingLength(rec, rec.slidingLength, nowMs);
    }
    rec.newSample = true;
    UpdateAverage(rec);
    UpdateTrend(rec, nowMs);
    UpdateUserValue(rec);
    rec.netValue = (rec.userValue - rec.zeroOffset) * static_cast<float>(rec.factor);
    // Two separate tests: the first reading after decoding sets both.
    if (rec.netValue > rec.maximum) {
        rec.maximum = rec.netValue;
    }
    if (rec.netValue < rec.minimum) {
        rec.minimum = rec.netValue;
    }
}

void SetAveragingLength(SensorRecord& rec, int n, std::int64_t nowMs) {
    if (rec.slidingLength == 0) {
        return;
    }
    const float average = rec.windowSum / static_cast<float>(rec.slidingLength);
    if (n >= 0 && n <= kMaxSlidingLength) {
        rec.window.assign(static_cast<std::size_t>(n) + 1, average);
    }
    rec.windowSum = average * static_cast<float>(n);
    rec.slidingLength = n;
    rec.windowPos = 0;
    rec.averagedValue = 0;
    ClearTrendSums(rec);
    rec.overallSlope = 0;
    rec.preparationTime = static_cast<double>(nowMs);
    PrepareSlopes(rec, nowMs);
}

} // namespace rm27
