#include "watch/wall_time.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace rm27 {

std::int64_t EpochNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string IsoLocalTime(std::int64_t epochMs) {
    // Floor division: a stamp before 1970 still gets a positive millisecond.
    std::int64_t seconds = epochMs / 1000;
    std::int64_t ms = epochMs % 1000;
    if (ms < 0) {
        ms += 1000;
        --seconds;
    }
    const auto t = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(ms));
    return text;
}

std::int64_t WallAnchor::wallMs(std::int64_t monoMs) {
    if (!set_) {
        set_ = true;
        epoch0_ = epochNow_();
        mono0_ = monoMs;
    }
    return epoch0_ + (monoMs - mono0_);
}

} // namespace rm27
