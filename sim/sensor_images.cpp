#include "sim/sensor_images.h"

#include <array>

#include "link/ekey.h"

namespace rm27::sim {

namespace {

struct DefaultSensor {
    // The bytes the key holds: Windows-1250, as the makers' tools on Czech
    // workstations write it. They are put in place after building, so the
    // program reads keys it did not write itself.
    const char* description;
    const char* unit;
    const char* format;
    const char* id;
    std::array<float, 3> signals; // mV/V
    std::array<float, 3> values;
};

// What the simulated converter has plugged in: real sensors are never quite
// linear, hence the middle points.
const std::array<DefaultSensor, 4> kSensors{{
    {"Load cell 500 kg", "kg", "####0.0", "SIMKEY01", {0.0f, 1.0f, 2.0f}, {0.0f, 249.8f, 500.0f}},
    {"Force sensor 10 kN \x96 C3", // an en dash, 96 in Windows-1250
     "N",
     "######0",
     "SIMKEY02",
     {0.0f, 1.0f, 2.0f},
     {0.0f, 5003.0f, 10000.0f}},
    {"Load cell 2000 kg",
     "kg",
     "####0.0",
     "SIMKEY03",
     {0.0f, 1.0f, 2.0f},
     {0.0f, 1000.4f, 2000.0f}},
    {"Force sensor 50 N", "N", "##0.000", "SIMKEY04", {0.0f, 1.0f, 2.0f}, {0.0f, 24.96f, 50.0f}},
}};

// Fixed so that default images are the same on every run.
constexpr CivilDateTime kBuilt{2026, 1, 15, 10, 0, 0};

std::string BuildDefault(int input, int adr, int subAdr) {
    const DefaultSensor& s = kSensors[static_cast<std::size_t>(input & 3)];
    SensorRecord rec;
    const std::uint8_t flags = kCurveHasCurve | kCurveWidePoints | kCurveSignalMvV;
    InitSensorRecord(rec, "", s.signals[0], s.values[0], s.signals[2], s.values[2], 10, s.format,
                     s.unit, 10, false, adr, subAdr, flags, kBuilt, 0);
    for (std::size_t k = 0; k < 3; ++k) {
        rec.pointSignals[k] = s.signals[k];
        rec.userValues[k] = s.values[k];
    }
    rec.pointCount = 3;
    PrepareSlopes(rec, 0);
    rec.sensorId = s.id;
    rec.gainCode = 7;
    rec.validity = "271231";
    std::string image;
    if (BuildEKeyImage(image, rec, 1, kBuilt) < 0) {
        return std::string(256, '\xFF'); // cannot happen with these sensors
    }
    std::string description = s.description;
    description.resize(kDescriptionWidth, ' ');
    image.replace(kImageDescriptionOffset, kDescriptionWidth, description);
    image.resize(256, '\0');
    return image;
}

} // namespace

std::string DefaultSensorImage(int input) {
    return BuildDefault(input, input, 0);
}

std::string DefaultInternalImage(int input) {
    return BuildDefault(input, 4, input);
}

std::optional<SensorCurve> DecodeSensorCurve(const std::string& image, int adr, int subAdr) {
    SensorRecord rec;
    if (DecodeEKeyImage(image, rec, adr, subAdr, 0) != kDecodeOk) {
        return std::nullopt;
    }
    SensorCurve curve;
    const auto n = static_cast<std::size_t>(rec.pointCount);
    for (std::size_t k = 0; k < n && k < kCurveSlots; ++k) {
        curve.signals.push_back(rec.pointSignals[k]);
        curve.values.push_back(rec.userValues[k]);
    }
    curve.signalInMvV = (rec.curveFlags & kCurveSignalMvV) != 0;
    return curve;
}

double CurveValue(const SensorCurve& curve, double x) {
    const std::size_t n = std::min(curve.signals.size(), curve.values.size());
    if (n < 2) {
        return x;
    }
    std::size_t k = 0;
    while (k + 2 < n && x >= curve.signals[k + 1]) {
        ++k;
    }
    const double ds = curve.signals[k + 1] - curve.signals[k];
    if (ds == 0.0) {
        return curve.values[k];
    }
    return curve.values[k] + (curve.values[k + 1] - curve.values[k]) * (x - curve.signals[k]) / ds;
}

} // namespace rm27::sim
