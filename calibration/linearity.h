// How straight a calibration curve is: each point's deviation from the
// straight line through the first and the last point (the end-point line)
// and from the least-squares line through all points, in the user's unit
// and in % of the span |last value - first value|. A point that was read
// wrong stands out here before the curve goes into an eKey.
#pragma once

#include <string>
#include <vector>

#include "calibration/curve.h"
#include "l10n/text.h"

namespace rm27 {

struct CurveSample {
    double signal = 0;
    double value = 0;
};

// The points of the table in its order (the editor keeps them sorted).
std::vector<CurveSample> CurveSamples(const PointTable& points);

// The curve's value at signal x as the live update draws it: straight
// between neighbouring points, the first segment extended below the first
// point and the last one above the last. NaN for fewer than 2 points.
double CurveValueAt(const std::vector<CurveSample>& points, double x);

struct StraightLine {
    double slope = 0;
    double intercept = 0;
    double at(double x) const { return slope * x + intercept; }
};

struct PointDeviation {
    double endPoint = 0;     // value - end-point line, user's unit
    double endPointPct = 0;  // % of the span; NaN when the span is 0
    double leastSquares = 0; // value - least-squares line
    double leastSquaresPct = 0;
};

struct LinearityReport {
    std::vector<CurveSample> points;
    // False for fewer than 2 points or equal first and last signals: no
    // line then, and no deviations.
    bool valid = false;
    double span = 0;
    StraightLine endPointLine;
    StraightLine leastSquaresLine;
    std::vector<PointDeviation> deviations; // one per point when valid
    // The points (0-based) of the largest deviation by magnitude; the
    // first of equal ones. -1 when not valid.
    int largestEndPoint = -1;
    int largestLeastSquares = -1;
};

LinearityReport Linearity(const std::vector<CurveSample>& points);

// The report as texts, for the linearity window and the certificate:
// numbers through FormatFixed, values in numberFormat, deviations with two
// more decimals, percentages in "##0.000"; blanks trimmed.
struct LinearityTexts {
    std::vector<Text> headers;
    std::vector<std::vector<std::string>> rows; // one per point
    Text largestEndPoint;                       // empty when not valid
    Text largestLeastSquares;
};
LinearityTexts LinearityTable(const LinearityReport& report, const std::string& numberFormat,
                              bool signalMvV, const std::string& unit);

// "####0.0" -> "####0.000", "######0" -> "######0.00".
std::string DeviationFormat(const std::string& numberFormat);

} // namespace rm27
