// The plan of a guided load series: which input, the loads to hang on the
// cell, how often to preload it, the series (each in its mounting position
// and direction) and when a reading counts as stable. Every series starts
// and ends with a zero reading (no load). Kept as JSON (see
// docs/procedure.md); nothing here talks to the converter.
#pragma once

#include <string>
#include <vector>

#include "l10n/text.h"

namespace rm27 {

enum class Direction { Up, Down };

// "up" / "down", as the files write them.
const char* DirectionWord(Direction d);
bool DirectionFromWord(const std::string& word, Direction& d);

struct SeriesPlan {
    double positionDeg = 0.0;
    Direction direction = Direction::Up;
    bool operator==(const SeriesPlan&) const = default;
};

// A reading is taken once the signal stayed within bandMvV (largest minus
// smallest) for timeMs.
struct StabilityCriterion {
    double bandMvV = 0.0005;
    int timeMs = 3000;
    bool operator==(const StabilityCriterion&) const = default;
};

struct Plan {
    int input = 1;    // 1..4, as the window numbers its columns
    std::string unit; // of the loads
    // The nominal loads, smallest first: an "up" series takes them in this
    // order, a "down" series from the largest to the smallest.
    std::vector<double> loads;
    int preloads = 0; // to the largest load and back, before the first series
    std::vector<SeriesPlan> series;
    StabilityCriterion stability;
    bool operator==(const Plan&) const = default;
};

struct PlanParse {
    Plan plan;
    Text error; // empty: the plan is usable
    bool ok() const { return error.empty(); }
};

// Reads and checks a plan: at least two loads, every one above zero and
// each larger than the one before, at least one series, the input 1..4, a
// band above zero and a time not below zero. The error names the field.
PlanParse ParsePlanJson(const std::string& text);
std::string PlanJson(const Plan& plan);

} // namespace rm27
