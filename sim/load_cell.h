// A strain-gauge load cell on one input of the simulated converter: what
// it puts out (mV/V) for the load hung on it, with the faults a
// calibration laboratory looks for. Kept apart from the converter so that
// a test can compute from the same arithmetic what a whole load series
// should find.
//
// Output in mV/V for a load F, with f = F / nominalLoad:
//   settled = zero + S * (f + 4 n f (1 - f) + h(f)),  S = sensitivity * (1 + p cos(position))
// where n is the non-linearity (the deviation from the straight line
// through zero and the nominal output, at half load, as a fraction of the
// nominal output: a parabola) and h the hysteresis: 0 while the load rose
// last, and 4 hysteresis f (fp - f) / fp while it falls from the peak fp
// it last reached (so a cell unloaded from its nominal load reads
// hysteresis x S high at half load, and the branches meet at both ends).
// Creep: after the last change of load the output goes on moving, by
// creep x (that change of the settled output), approaching it with the
// time constant creepTimeMs (an earlier change's creep ends there). Noise: uniform, +/- noiseMvV,
// drawn from the time and the seed, so the same time always gives the same output.
#pragma once

#include <cstdint>
#include <vector>

namespace rm27::sim {

struct LoadCellSpec {
    double nominalLoad = 1000.0; // in the user's unit (kg, kN, ...)
    double sensitivityMvV = 2.0; // output at the nominal load
    double zeroMvV = 0.0;        // output without load
    double nonLinearity = 0.0;   // fraction of the nominal output, at half load
    double hysteresis = 0.0;     // fraction of the nominal output, at half load
    double creep = 0.0;          // fraction of each change of output
    double creepTimeMs = 60000.0;
    double positionEffect = 0.0; // relative change of sensitivity, times cos(position)
    double noiseMvV = 0.0;
    std::uint64_t noiseSeed = 1;
};

// The settled output (no creep, no noise) for `load` in mounting position
// positionDeg, reached while the load rose (fallingFrom <= 0) or while it
// fell from the peak load fallingFrom.
double SettledOutput(const LoadCellSpec& spec, double load, double positionDeg,
                     double fallingFrom = 0.0);

class LoadCell {
public:
    explicit LoadCell(LoadCellSpec spec = {}) : spec_(spec) {}

    const LoadCellSpec& spec() const { return spec_; }

    // From timeMs on the cell carries `load`; a step at the same time as
    // the last one replaces it. Steps are kept in time order: one earlier
    // than the last is taken as at the last one's time.
    void applyLoad(double timeMs, double load);
    // From timeMs on the cell is mounted turned to positionDeg (its load
    // unchanged).
    void mount(double timeMs, double positionDeg);

    double loadAt(double timeMs) const;
    // What the cell puts out at timeMs, mV/V (no load before the first step).
    double outputAt(double timeMs) const;

private:
    struct Step {
        double timeMs;
        double load;
        double positionDeg;
    };
    void add(Step step);

    LoadCellSpec spec_;
    std::vector<Step> steps_;
};

} // namespace rm27::sim
