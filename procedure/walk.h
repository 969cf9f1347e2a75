// The walk through a plan, step by step, as the technician goes: the
// preloads, then per series its zero reading, its loads (smallest first,
// or largest first for a "down" series) and its closing zero reading.
// Pure state: it is told what happened (a reading taken, a step skipped
// or to be taken again, a pause) and says which step is next; the window
// and r27ctl do the waiting, the capture and the writing.
#pragma once

#include <cstddef>
#include <vector>

#include "procedure/plan.h"
#include "procedure/readings.h"

namespace rm27 {

enum class StepKind { Preload, ZeroBefore, Load, ZeroAfter };

struct Step {
    StepKind kind = StepKind::Load;
    int preload = 0;   // Preload: 1..preloads
    int series = 0;    // the others: 1..series
    double load = 0.0; // Load and Preload (the largest load); 0 for a zero
    double positionDeg = 0.0;
    Direction direction = Direction::Up;
    bool takesReading() const { return kind != StepKind::Preload; }
    bool operator==(const Step&) const = default;
};

// Every step of the plan in order.
std::vector<Step> PlanSteps(const Plan& plan);

class Walk {
public:
    explicit Walk(const Plan& plan) : steps_(PlanSteps(plan)), skipped_(steps_.size(), false) {}

    const std::vector<Step>& steps() const { return steps_; }
    bool done() const { return next_ >= steps_.size(); }
    // The step to do now; only while !done().
    const Step& current() const { return steps_[next_]; }
    std::size_t index() const { return next_; }

    bool paused() const { return paused_; }
    void pause() { paused_ = true; }
    void resume() { paused_ = false; }

    // The current step was done (its reading taken, the preload made).
    // False, and nothing changes, while paused or when done.
    bool complete();
    // The current step is left without a reading. False as complete().
    bool skip();
    // The step before the current one is to be done again (a reading that
    // looked wrong). False at the first step or while paused.
    bool repeat();

    // The steps skipped and not taken since.
    std::vector<Step> skipped() const;

    // The row of the readings file for the current step (which takes a
    // reading) with what was read.
    Reading readingOf(double signalMvV, double value) const;

private:
    bool movable() const { return !paused_ && !done(); }

    std::vector<Step> steps_;
    std::vector<bool> skipped_;
    std::size_t next_ = 0;
    bool paused_ = false;
};

} // namespace rm27
