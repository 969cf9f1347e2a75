#include "sim/sensor_images.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace rm27::sim {

namespace {

constexpr std::size_t kImageSize = 256;
constexpr std::size_t kRowBytes = 16;
constexpr std::size_t kRows = 8; // the rest of the block is zero

// The keys the simulated converter comes with, as a key programmer wrote
// them on 15 January 2026: three points each (real sensors are never quite
// linear), 4-byte point values, signal in mV/V, gain code 7, valid until
// 31 December 2027. The description is Windows-1250, as the makers' tools on
// Czech workstations write it, so the program reads keys it did not write
// itself. Kept as bytes, not built by the program's own codec: a fault in
// that codec must not go into the images the tests read.
using ImageRows = std::array<const char*, kRows>;
constexpr std::array<ImageRows, 4> kImages{{
    // Load cell 500 kg, kg, ####0.0, SIMKEY01: 0 / 249.8 / 500 at 0 / 1 / 2 mV/V
    {{
        "46534E01070000004C6F61642063656C",
        "6C20353030206B672020202020202020",
        "2020202020202020016B67202020200A",
        "0A32363031313532373132333153494D",
        "4B4559303191C34F80897A0000810000",
        "00000000000000000000000000000000",
        "4B5249D0030000000000000000000000",
        "810000008879CCCD82000000897A0000",
    }},
    // Force sensor 10 kN \x96 C3 (96: an en dash), N, ######0, SIMKEY02: 0 / 5003 / 10000
    {{
        "46534E0107000000466F726365207365",
        "6E736F72203130206B4E209620433320",
        "2020202020202020004E20202020200A",
        "0A32363031313532373132333153494D",
        "4B4559303291C34F808E1C4000810000",
        "00000000000000000000000000000000",
        "4B5249D0030000000000000000000000",
        "810000008D1C5800820000008E1C4000",
    }},
    // Load cell 2000 kg, kg, ####0.0, SIMKEY03: 0 / 1000.4 / 2000
    {{
        "46534E01070000004C6F61642063656C",
        "6C2032303030206B6720202020202020",
        "2020202020202020016B67202020200A",
        "0A32363031313532373132333153494D",
        "4B4559303391C34F808B7A0000810000",
        "00000000000000000000000000000000",
        "4B5249D0030000000000000000000000",
        "810000008A7A199A820000008B7A0000",
    }},
    // Force sensor 50 N, N, ##0.000, SIMKEY04: 0 / 24.96 / 50
    {{
        "46534E0107000000466F726365207365",
        "6E736F72203530204E20202020202020",
        "2020202020202020034E20202020200A",
        "0A32363031313532373132333153494D",
        "4B4559303491C34F8086480000810000",
        "00000000000000000000000000000000",
        "4B5249D0030000000000000000000000",
        "810000008547AE148200000086480000",
    }},
}};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    return c - 'A' + 10;
}

std::string ImageOf(const ImageRows& rows) {
    std::string image;
    image.reserve(kImageSize);
    for (const char* row : rows)
        for (std::size_t k = 0; k < 2 * kRowBytes; k += 2)
            image += static_cast<char>(16 * HexDigit(row[k]) + HexDigit(row[k + 1]));
    image.resize(kImageSize, '\0');
    return image;
}

// The record layout, as far as measuring needs it.
constexpr std::size_t kFlagsAt = 99;
constexpr std::size_t kCountAt = 100;
constexpr std::size_t kPointsAt = 104;
constexpr unsigned kHasCurve = 0x80;
constexpr unsigned kWideValues = 0x40;
constexpr unsigned kThirdValue = 0x20;
constexpr unsigned kSignalMvV = 0x10;
constexpr int kMaxPoints = 40;

unsigned ByteAt(const std::string& image, std::size_t at) {
    return static_cast<unsigned char>(image[at]);
}

// The key's own float: an exponent byte (+128, 0 for the value 0), then a
// mantissa, most significant byte first, whose top bit is the sign and
// stands for the 1 of the normalised fraction 0.5 <= f < 1.
double KeyFloat(const std::string& image, std::size_t at, int width) {
    const unsigned exponent = ByteAt(image, at);
    if (exponent == 0) return 0.0;
    std::uint32_t mantissa = 0;
    for (int k = 1; k < width; ++k)
        mantissa = mantissa << 8 | ByteAt(image, at + static_cast<std::size_t>(k));
    const int bits = 8 * (width - 1);
    const std::uint32_t top = 1u << (bits - 1);
    const bool negative = (mantissa & top) != 0;
    const double fraction = std::ldexp(static_cast<double>(mantissa | top), -bits);
    const double value = std::ldexp(fraction, static_cast<int>(exponent) - 128);
    return negative ? -value : value;
}

} // namespace

std::string DefaultSensorImage(int input) {
    return ImageOf(kImages[static_cast<std::size_t>(input & 3)]);
}

std::string DefaultInternalImage(int input) {
    // The image says nothing of where it is kept: the copy is the same bytes.
    return DefaultSensorImage(input);
}

std::optional<SensorCurve> DecodeSensorCurve(const std::string& image) {
    if (image.size() < kImageSize - 1 || image.compare(0, 3, "FSN") != 0 ||
        image.compare(96, 3, "KRI") != 0) {
        return std::nullopt;
    }
    const unsigned flags = ByteAt(image, kFlagsAt);
    if ((flags & kHasCurve) == 0) return std::nullopt;
    const int width = (flags & kWideValues) != 0 ? 4 : 3;
    const int perPoint = ((flags & kThirdValue) != 0 ? 3 : 2) * width;
    const int count = static_cast<int>(ByteAt(image, kCountAt));
    const std::size_t end = std::min(image.size(), kImageSize);
    if (count < 2 || count > kMaxPoints ||
        kPointsAt + static_cast<std::size_t>(count * perPoint) > end) {
        return std::nullopt;
    }
    SensorCurve curve;
    for (int k = 0; k < count; ++k) {
        const std::size_t at = kPointsAt + static_cast<std::size_t>(k * perPoint);
        curve.signals.push_back(KeyFloat(image, at, width));
        curve.values.push_back(KeyFloat(image, at + static_cast<std::size_t>(width), width));
    }
    curve.signalInMvV = (flags & kSignalMvV) != 0;
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
