#include "procedure/stability.h"

#include <algorithm>
#include <cmath>

namespace rm27 {

bool StabilityDetector::fitsBand() const {
    const auto [lo, hi] =
        std::minmax_element(samples_.begin(), samples_.end(),
                            [](const Sample& a, const Sample& b) { return a.signal < b.signal; });
    return hi->signal - lo->signal <= criterion_.bandMvV;
}

void StabilityDetector::feed(std::int64_t timeMs, double signalMvV) {
    if (!std::isfinite(signalMvV) || (!samples_.empty() && timeMs < samples_.back().timeMs)) {
        samples_.clear();
        if (!std::isfinite(signalMvV)) return;
    }
    samples_.push_back({timeMs, signalMvV});
    while (!fitsBand())
        samples_.pop_front();
    // The oldest sample still needed is the last one at or before the
    // start of the time asked for.
    while (samples_.size() > 1 && samples_[1].timeMs <= timeMs - criterion_.timeMs)
        samples_.pop_front();
}

double StabilityDetector::progress() const {
    if (samples_.empty()) return 0.0;
    if (criterion_.timeMs <= 0) return 1.0;
    const auto covered = static_cast<double>(samples_.back().timeMs - samples_.front().timeMs);
    return std::clamp(covered / criterion_.timeMs, 0.0, 1.0);
}

} // namespace rm27
