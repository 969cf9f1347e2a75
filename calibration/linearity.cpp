#include "calibration/linearity.h"

#include <cmath>
#include <limits>

#include "calibration/texts.h"
#include "link/codecs.h"

namespace rm27 {

namespace {

namespace tx = texts::calibration;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const char* const kPercentFormat = "##0.000";
const char* const kSignalFormatDiv = "#######0";
const char* const kSignalFormatMvV = "####0.00000";
// A percentage of a span of 0 means nothing.
const char* const kNoPercent = "–";

double Percent(double deviation, double span) {
    return span == 0 ? kNaN : deviation / span * 100.0;
}

int Largest(const std::vector<PointDeviation>& d, double PointDeviation::*field) {
    int at = -1;
    for (std::size_t k = 0; k < d.size(); ++k) {
        if (at < 0 || std::fabs(d[k].*field) > std::fabs(d[static_cast<std::size_t>(at)].*field))
            at = static_cast<int>(k);
    }
    return at;
}

std::string Number(double value, const std::string& format) {
    return TrimBlanks(FormatFixed(value, format));
}

std::string PercentText(double pct) {
    return std::isnan(pct) ? kNoPercent : Number(pct, kPercentFormat);
}

Text WithUnit(const TextId& bare, const TextId& withUnit, const std::string& unit) {
    return unit.empty() ? Text(bare) : Text(withUnit, unit);
}

Text LargestText(const TextId& what, const LinearityReport& r, int at,
                 double PointDeviation::*value, double PointDeviation::*pct,
                 const std::string& format, const std::string& unit) {
    const PointDeviation& d = r.deviations[static_cast<std::size_t>(at)];
    const std::string deviation = Number(d.*value, format);
    if (unit.empty()) return Text(tx::kLargest, Text(what), deviation, PercentText(d.*pct), at + 1);
    return Text(tx::kLargestWithUnit, Text(what), deviation, unit, PercentText(d.*pct), at + 1);
}

} // namespace

std::vector<CurveSample> CurveSamples(const PointTable& points) {
    std::vector<CurveSample> out;
    for (int k = 1; k <= points.count(); ++k)
        out.push_back({points.slot(k).signal, points.slot(k).userValue});
    return out;
}

double CurveValueAt(const std::vector<CurveSample>& p, double x) {
    if (p.size() < 2) return kNaN;
    std::size_t i = 0;
    while (i + 2 < p.size() && !(x < p[i + 1].signal))
        ++i;
    const CurveSample& a = p[i];
    const CurveSample& b = p[i + 1];
    if (b.signal == a.signal) return a.value;
    return a.value + (x - a.signal) * (b.value - a.value) / (b.signal - a.signal);
}

LinearityReport Linearity(const std::vector<CurveSample>& points) {
    LinearityReport r;
    r.points = points;
    if (points.size() < 2) return r;
    const CurveSample& first = points.front();
    const CurveSample& last = points.back();
    if (first.signal == last.signal) return r;
    r.valid = true;
    r.span = std::fabs(last.value - first.value);
    r.endPointLine.slope = (last.value - first.value) / (last.signal - first.signal);
    r.endPointLine.intercept = first.value - r.endPointLine.slope * first.signal;

    // Least squares about the means: better conditioned than the raw sums
    // when the signals are large division counts.
    const auto n = static_cast<double>(points.size());
    double meanX = 0, meanY = 0;
    for (const CurveSample& p : points) {
        meanX += p.signal / n;
        meanY += p.value / n;
    }
    double sxx = 0, sxy = 0;
    for (const CurveSample& p : points) {
        sxx += (p.signal - meanX) * (p.signal - meanX);
        sxy += (p.signal - meanX) * (p.value - meanY);
    }
    r.leastSquaresLine.slope = sxy / sxx; // sxx > 0: first and last signals differ
    r.leastSquaresLine.intercept = meanY - r.leastSquaresLine.slope * meanX;

    for (const CurveSample& p : points) {
        PointDeviation d;
        d.endPoint = p.value - r.endPointLine.at(p.signal);
        d.leastSquares = p.value - r.leastSquaresLine.at(p.signal);
        d.endPointPct = Percent(d.endPoint, r.span);
        d.leastSquaresPct = Percent(d.leastSquares, r.span);
        r.deviations.push_back(d);
    }
    r.largestEndPoint = Largest(r.deviations, &PointDeviation::endPoint);
    r.largestLeastSquares = Largest(r.deviations, &PointDeviation::leastSquares);
    return r;
}

std::string DeviationFormat(const std::string& numberFormat) {
    const std::string f = TrimBlanks(numberFormat);
    return f + (f.find('.') == std::string::npos ? ".00" : "00");
}

LinearityTexts LinearityTable(const LinearityReport& r, const std::string& numberFormat,
                              bool signalMvV, const std::string& unit) {
    LinearityTexts t;
    t.headers = {Text(tx::kHeadingPoint),
                 Text(signalMvV ? tx::kSignalMvV : tx::kSignalDiv),
                 WithUnit(tx::kHeadingValue, tx::kHeadingValueIn, unit),
                 WithUnit(tx::kHeadingEndPoint, tx::kHeadingEndPointIn, unit),
                 Text(tx::kHeadingPercent),
                 WithUnit(tx::kHeadingLeastSquares, tx::kHeadingLeastSquaresIn, unit),
                 Text(tx::kHeadingPercent)};
    const std::string signalFormat = signalMvV ? kSignalFormatMvV : kSignalFormatDiv;
    // A record without a format shows whole numbers, as the editor's list
    // falls back to its first row.
    const std::string valueFormat =
        TrimBlanks(numberFormat).empty() ? kFormatRows[0] : TrimBlanks(numberFormat);
    const std::string deviationFormat = DeviationFormat(valueFormat);
    for (std::size_t k = 0; k < r.points.size(); ++k) {
        std::vector<std::string> row = {std::to_string(k + 1),
                                        Number(r.points[k].signal, signalFormat),
                                        Number(r.points[k].value, valueFormat)};
        if (r.valid) {
            const PointDeviation& d = r.deviations[k];
            row.push_back(Number(d.endPoint, deviationFormat));
            row.push_back(PercentText(d.endPointPct));
            row.push_back(Number(d.leastSquares, deviationFormat));
            row.push_back(PercentText(d.leastSquaresPct));
        } else {
            row.insert(row.end(), 4, "");
        }
        t.rows.push_back(std::move(row));
    }
    if (r.valid) {
        t.largestEndPoint =
            LargestText(tx::kEndPointLine, r, r.largestEndPoint, &PointDeviation::endPoint,
                        &PointDeviation::endPointPct, deviationFormat, unit);
        t.largestLeastSquares = LargestText(
            tx::kLeastSquaresLine, r, r.largestLeastSquares, &PointDeviation::leastSquares,
            &PointDeviation::leastSquaresPct, deviationFormat, unit);
    }
    return t;
}

} // namespace rm27
