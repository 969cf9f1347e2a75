#include "procedure/walk.h"

namespace rm27 {

std::vector<Step> PlanSteps(const Plan& plan) {
    std::vector<Step> steps;
    const double largest = plan.loads.empty() ? 0.0 : plan.loads.back();
    for (int k = 1; k <= plan.preloads; ++k)
        steps.push_back({StepKind::Preload, k, 0, largest, 0.0, Direction::Up});
    for (std::size_t s = 0; s < plan.series.size(); ++s) {
        const SeriesPlan& sp = plan.series[s];
        Step step{StepKind::ZeroBefore, 0,           static_cast<int>(s + 1), 0.0,
                  sp.positionDeg,       sp.direction};
        steps.push_back(step);
        step.kind = StepKind::Load;
        const std::size_t n = plan.loads.size();
        for (std::size_t k = 0; k < n; ++k) {
            step.load = plan.loads[sp.direction == Direction::Up ? k : n - 1 - k];
            steps.push_back(step);
        }
        step.kind = StepKind::ZeroAfter;
        step.load = 0.0;
        steps.push_back(step);
    }
    return steps;
}

bool Walk::complete() {
    if (!movable()) return false;
    skipped_[next_++] = false;
    return true;
}

bool Walk::skip() {
    if (!movable()) return false;
    skipped_[next_++] = true;
    return true;
}

bool Walk::repeat() {
    if (paused_ || next_ == 0) return false;
    --next_;
    return true;
}

std::vector<Step> Walk::skipped() const {
    std::vector<Step> out;
    for (std::size_t k = 0; k < steps_.size(); ++k) {
        if (skipped_[k]) out.push_back(steps_[k]);
    }
    return out;
}

Reading Walk::readingOf(double signalMvV, double value) const {
    const Step& s = current();
    const ReadingKind kind = s.kind == StepKind::ZeroBefore  ? ReadingKind::ZeroBefore
                             : s.kind == StepKind::ZeroAfter ? ReadingKind::ZeroAfter
                                                             : ReadingKind::Load;
    return {s.series, s.positionDeg, s.direction, kind, s.load, signalMvV, value};
}

} // namespace rm27
