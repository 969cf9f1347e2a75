// The evaluation of a load series from its readings, in % throughout.
//
// Every series is measured against its own zero: a reading's deflection is
// X = signal - the signal of its series' zero-before reading. The reference
// series are the first "up" series of each mounting position (in file
// order); X-bar is their mean deflection at a load and X_N the X-bar of the
// largest load.
//   b'  repeatability   100 |X2 - X1| / ((X1 + X2) / 2), X1 and X2 from
//                       the first two "up" series in the first series'
//                       position
//   b   reproducibility 100 (max - min) / X-bar over the reference series
//   fc  interpolation   100 (X-bar - Xa) / Xa, Xa from the least-squares
//                       polynomial A F + B F^2 + C F^3 of the chosen
//                       degree (no constant) through (F, X-bar)
//   f0  zero, per series 100 (zero-after - zero-before) / X_N
//   v   reversibility   100 |X' - X| / X_N, X' from a "down" series and X
//                       from the last "up" series in its position before
//                       it, at each load but the largest
// Each per load step, and the worst (largest absolute value) of each. A
// figure that cannot be formed (a reading missing, one series where two
// are needed, no "down" series) is left out, never taken as 0.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "procedure/classes.h"
#include "procedure/readings.h"

namespace rm27 {

struct StepFigures {
    double load = 0.0;
    std::optional<double> deflection; // X-bar, mV/V
    std::optional<double> b, bPrime, fc, v;
};

struct Evaluation {
    std::vector<StepFigures> steps;        // smallest load first
    std::vector<std::optional<double>> f0; // per series, in file order
    FigureSet worst;
    int degree = 1;
    std::vector<double> coefficients; // A, B, C up to the degree; empty: no fit
    std::optional<std::string> className;
    // The names (FigureName) of the figures not formed at any step.
    std::vector<std::string> missing;
};

inline constexpr int kMinDegree = 1;
inline constexpr int kMaxDegree = 3;

// degree: kMinDegree..kMaxDegree. The fit needs more loads with an X-bar
// than its degree.
Evaluation Evaluate(const std::vector<Reading>& readings, int degree, const ClassTable& classes);

// The JSON form (see docs/procedure.md); a figure not formed is null.
std::string EvaluationJson(const Evaluation& e);

} // namespace rm27
