// The sensors the simulated converters come with, and what the converter
// reads out of an eKey image to turn a signal into user units.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rm27::sim {

// The calibration curve of an image: points sorted as stored.
struct SensorCurve {
    std::vector<double> signals;
    std::vector<double> values;
    bool signalInMvV = true; // false: the curve's signal is in divisions
};

// The 256-byte eKey image of the sensor on input `input` (0..3):
// different sensors per input (load cells in kg, force sensors in N).
std::string DefaultSensorImage(int input);
// The converter's own copy for input `input`: the same sensor.
std::string DefaultInternalImage(int input);

// The curve of an image, read the way the converter reads it, or nothing
// when the converter would not measure with it (no "FSN" or "KRI" marker,
// no curve, a point count outside 2..40 or beyond the block).
std::optional<SensorCurve> DecodeSensorCurve(const std::string& image);

// Piecewise-linear value of x on the curve; beyond the ends the first and
// last segments go on. A curve of fewer than 2 points gives x itself.
double CurveValue(const SensorCurve& curve, double x);

} // namespace rm27::sim
