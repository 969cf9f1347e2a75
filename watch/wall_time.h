// Time stamps of the watched values. A tick is stamped on the program's
// monotonic clock; the wall time it stands for is that clock plus an offset
// taken once, so that the stamps of a run never jump or go backwards when
// the system clock is stepped, and run on virtual time exactly as the
// measurement does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace rm27 {

// Milliseconds since the epoch, from the system clock.
std::int64_t EpochNowMs();

// ISO 8601 local time with milliseconds, no zone: "2026-12-04T10:15:02.500".
// Daylight saving is applied per stamp, as the local clock would show it.
std::string IsoLocalTime(std::int64_t epochMs);

class WallAnchor {
public:
    explicit WallAnchor(std::function<std::int64_t()> epochNow = EpochNowMs)
        : epochNow_(std::move(epochNow)) {}
    // The first call ties monoMs to the wall clock's now; later calls count
    // from there.
    std::int64_t wallMs(std::int64_t monoMs);

private:
    std::function<std::int64_t()> epochNow_;
    bool set_ = false;
    std::int64_t epoch0_ = 0;
    std::int64_t mono0_ = 0;
};

} // namespace rm27
