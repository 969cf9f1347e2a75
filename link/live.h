// What happens to a sensor record when the converter delivers a new reading:
// mV/V, sliding average, user value through the curve, net value with its
// extremes, and the trend.
#pragma once

#include "link/ekey.h"

#include <cstdint>

namespace rm27 {

// Longest sliding average the window will be sized for; a longer length is
// treated as a corrupt record and leaves the window as it is.
inline constexpr std::int32_t kMaxSlidingLength = 65535;

// Processes the reading in rec.liveDiv (mode 0: converter divisions, turned
// into mV/V through the gain table) or, with any other mode, in rec.liveMvV.
// nowMs is the caller's monotonic millisecond clock. A step that would index
// outside the record's arrays or divide by zero is skipped and the update
// goes on with the next one: a single bad reading must not stop the display.
void UpdateSensorRecord(SensorRecord& rec, int mode, std::int64_t nowMs);

// Restarts the sliding average with n readings, the window pre-filled with
// the current average so that the displayed value does not jump; also
// restarts the trend window and recomputes the slopes. Does nothing while
// the current length is 0.
void SetAveragingLength(SensorRecord& rec, int n, std::int64_t nowMs);

} // namespace rm27
