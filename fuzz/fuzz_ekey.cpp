// DecodeEKeyImage on any bytes: one of its codes, never a read past the
// image; a record it accepts builds into an image that decodes to the same
// sensor (texts, flags, points within the float format's precision), its
// texts in the very bytes the key held.
#include <cmath>

#include "fuzz/oracle.h"
#include "link/ekey.h"
#include "link/result.h"

namespace {

bool Close(float a, float b, int bytes) {
    if (a == b) return true;
    const double scale =
        std::max(std::fabs(static_cast<double>(a)), std::fabs(static_cast<double>(b)));
    return std::fabs(static_cast<double>(a) - b) <= std::ldexp(scale, bytes == 4 ? -22 : -14);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    // The block holds 256 bytes; shorter texts exercise the length check.
    std::string image = rm27::fuzz::Text(data, std::min<std::size_t>(size, 256));
    rm27::SensorRecord rec;
    const rm27::Result decoded = rm27::DecodeEKeyImage(image, rec, 1, 0, 0);
    // Every refusal shows the decoder's own number, none of another function's.
    FUZZ_CHECK(decoded.ok() || decoded.shownNumber() != 0, "result %s",
               std::string(decoded.name()).c_str());
    if (!decoded.ok()) return 0;
    FUZZ_CHECK(rec.pointCount >= 2 && rec.pointCount <= 40, "%d points", rec.pointCount);
    for (int k = 0; k < rec.pointCount; ++k) {
        FUZZ_CHECK(std::isfinite(rec.pointSignals[k]) && std::isfinite(rec.userValues[k]),
                   "point %d not finite", k);
    }

    // Build it again (as a calibration store would) and read it back.
    rm27::SensorRecord again = rec;
    again.curveFlags &= static_cast<std::uint8_t>(~rm27::kCurveThreeValues);
    std::string built;
    const rm27::Result rebuilt =
        rm27::BuildEKeyImage(built, again, 1, rm27::CivilDateTime{2026, 12, 6});
    // Every text decoded from a key encodes back; only a curve too long for
    // the block is refused, not cut.
    FUZZ_CHECK(rebuilt != rm27::ResultCode::UnencodableText, "decoded texts refused");
    if (!rebuilt.ok()) return 0;
    const std::int32_t size2 = rebuilt.size();
    // The same text bytes (the identifier and validity as they stood; the
    // description and unit trimmed of blanks, as decoding does).
    FUZZ_CHECK(built.substr(55, 14) == image.substr(55, 14),
               "identifier or validity bytes changed");
    FUZZ_CHECK(rm27::TrimBlanks(built.substr(8, 32)) == rm27::TrimBlanks(image.substr(8, 32)) &&
                   rm27::TrimBlanks(built.substr(41, 6)) == rm27::TrimBlanks(image.substr(41, 6)),
               "description or unit bytes changed");
    const int w = (again.curveFlags & rm27::kCurveWidePoints) != 0 ? 4 : 3;
    FUZZ_CHECK(size2 == 72 + again.pointCount * 2 * w, "size %d for %d points", size2,
               again.pointCount);
    FUZZ_CHECK(built.size() == static_cast<std::size_t>(size2) + 32, "image %zu for size %d",
               built.size(), size2);
    built.resize(256, '\0');
    rm27::SensorRecord back;
    FUZZ_CHECK(rm27::DecodeEKeyImage(built, back, 1, 0, 0).ok(), "rebuilt image refused");
    FUZZ_CHECK(back.pointCount == again.pointCount, "%d points back of %d", back.pointCount,
               again.pointCount);
    FUZZ_CHECK(back.description == again.description, "description changed");
    FUZZ_CHECK(back.unit == again.unit, "unit changed");
    FUZZ_CHECK(back.sensorId == again.sensorId, "identifier changed");
    FUZZ_CHECK(back.gainCode == again.gainCode, "gain changed");
    for (int k = 0; k < back.pointCount; ++k) {
        FUZZ_CHECK(Close(back.pointSignals[k], again.pointSignals[k], w) &&
                       Close(back.userValues[k], again.userValues[k], w),
                   "point %d: %g/%g became %g/%g", k, again.pointSignals[k], again.userValues[k],
                   back.pointSignals[k], back.userValues[k]);
    }
    return 0;
}
