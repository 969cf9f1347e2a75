#include "sim/load_cell.h"

#include <bit>
#include <cmath>
#include <numbers>

namespace rm27::sim {

namespace {

// Uniform in [-1, 1), a function of the seed and the time only.
double NoiseAt(std::uint64_t seed, double timeMs) {
    std::uint64_t z = seed ^ std::bit_cast<std::uint64_t>(timeMs);
    z += 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return 2.0 * (static_cast<double>(z >> 11) * 0x1.0p-53) - 1.0;
}

} // namespace

double SettledOutput(const LoadCellSpec& spec, double load, double positionDeg,
                     double fallingFrom) {
    const double f = spec.nominalLoad != 0.0 ? load / spec.nominalLoad : 0.0;
    const double s = spec.sensitivityMvV *
                     (1.0 + spec.positionEffect * std::cos(positionDeg * std::numbers::pi / 180.0));
    double shape = f + 4.0 * spec.nonLinearity * f * (1.0 - f);
    if (fallingFrom > 0.0 && spec.nominalLoad != 0.0) {
        const double peak = fallingFrom / spec.nominalLoad;
        shape += 4.0 * spec.hysteresis * f * (peak - f) / peak;
    }
    return spec.zeroMvV + s * shape;
}

void LoadCell::add(Step step) {
    if (!steps_.empty() && step.timeMs <= steps_.back().timeMs) {
        step.timeMs = steps_.back().timeMs;
        steps_.back() = step;
        return;
    }
    steps_.push_back(step);
}

void LoadCell::applyLoad(double timeMs, double load) {
    add({timeMs, load, steps_.empty() ? 0.0 : steps_.back().positionDeg});
}

void LoadCell::mount(double timeMs, double positionDeg) {
    add({timeMs, steps_.empty() ? 0.0 : steps_.back().load, positionDeg});
}

double LoadCell::loadAt(double timeMs) const {
    double load = 0.0;
    for (const Step& s : steps_) {
        if (s.timeMs > timeMs) break;
        load = s.load;
    }
    return load;
}

double LoadCell::outputAt(double timeMs) const {
    // The branch (rising, or falling from a peak) and the last change of
    // output follow from the history of loads up to timeMs.
    double load = 0.0, settled = SettledOutput(spec_, 0.0, 0.0);
    double peak = 0.0, changedAtMs = 0.0, change = 0.0;
    bool falling = false;
    for (const Step& s : steps_) {
        if (s.timeMs > timeMs) break;
        if (s.load < load && !falling) {
            falling = true;
            peak = load;
        } else if (s.load > load) {
            falling = false;
        }
        load = s.load;
        const double next = SettledOutput(spec_, load, s.positionDeg, falling ? peak : 0.0);
        if (next != settled) {
            change = next - settled;
            changedAtMs = s.timeMs;
            settled = next;
        }
    }
    double out = settled;
    if (spec_.creep != 0.0 && spec_.creepTimeMs > 0.0)
        out += spec_.creep * change * (1.0 - std::exp(-(timeMs - changedAtMs) / spec_.creepTimeMs));
    if (spec_.noiseMvV != 0.0) out += spec_.noiseMvV * NoiseAt(spec_.noiseSeed, timeMs);
    return out;
}

} // namespace rm27::sim
