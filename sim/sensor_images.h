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

// A decodable 256-byte image for the sensor on input `input` (0..3):
// different sensors per input (load cells in kg, a force sensor in N).
std::string DefaultSensorImage(int input);
// The converter's own copy for input `input`: same sensor, its record
// addressed as the internal copy.
std::string DefaultInternalImage(int input);

// The curve of an image, or nothing when the image does not decode.
std::optional<SensorCurve> DecodeSensorCurve(const std::string& image, int adr, int subAdr);

// Piecewise-linear value of x on the curve; beyond the ends the first and
// last segments go on. A curve of fewer than 2 points gives x itself.
double CurveValue(const SensorCurve& curve, double x);

} // namespace rm27::sim
