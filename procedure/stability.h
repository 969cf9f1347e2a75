// When a reading may be taken: the signal has stayed within a band
// (largest minus smallest) for a time. Fed with the live samples as they
// come; a jump out of the band starts the wait again from the samples
// that still agree with the newest one.
#pragma once

#include <cstdint>
#include <deque>

#include "procedure/plan.h"

namespace rm27 {

class StabilityDetector {
public:
    explicit StabilityDetector(StabilityCriterion criterion) : criterion_(criterion) {}

    // A sample at timeMs (the samples' own clock, not going backwards: an
    // earlier sample starts the wait again). A sample that is not a number
    // (no answer) starts it again too.
    void feed(std::int64_t timeMs, double signalMvV);
    void reset() { samples_.clear(); }

    // The samples since the wait began stayed in the band for the time.
    bool stable() const { return progress() >= 1.0; }
    // How far the wait is, 0..1, for a stability bar.
    double progress() const;

private:
    struct Sample {
        std::int64_t timeMs;
        double signal;
    };
    bool fitsBand() const;

    StabilityCriterion criterion_;
    // Since the wait began; older ones are dropped once they are no longer
    // needed to show the time covered.
    std::deque<Sample> samples_;
};

} // namespace rm27
