// The .CLB reader: any group of keys either loads a curve of 2..9 distinct
// points with finite numbers, or is refused with a message and the record
// untouched; what it loads, written out again, loads the same.
#include <cmath>
#include <set>

#include "calibration/clb_file.h"
#include "fuzz/oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    // "key=value" lines, as QSettings hands them over.
    rm27::ClbGroup group;
    group.name = "Kalibrace";
    const std::string text = rm27::fuzz::Text(data, size);
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string line = text.substr(at, end - at);
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos)
            group.keys.emplace_back(line.substr(0, eq), line.substr(eq + 1));
        at = end + 1;
    }

    rm27::SensorRecord rec;
    rec.description = rm27::FixedText("untouched", rm27::kDescriptionWidth);
    const rm27::SensorRecord before = rec;
    rm27::Text error;
    if (!rm27::CalibrationFromGroup(group, rec, 9, error)) {
        FUZZ_CHECK(!error.empty(), "refused without a message");
        FUZZ_CHECK(rec == before, "a refused file changed the record");
        return 0;
    }
    FUZZ_CHECK(rec.pointCount >= 2 && rec.pointCount <= 9, "%d points", rec.pointCount);
    std::set<float> signals, values;
    for (int k = 0; k < rec.pointCount; ++k) {
        FUZZ_CHECK(std::isfinite(rec.pointSignals[k]) && std::isfinite(rec.userValues[k]),
                   "point %d not finite", k);
        signals.insert(rec.pointSignals[k]);
        values.insert(rec.userValues[k]);
    }
    FUZZ_CHECK(signals.size() == static_cast<std::size_t>(rec.pointCount) &&
                   values.size() == static_cast<std::size_t>(rec.pointCount),
               "a repeated signal or value was loaded");

    const rm27::ClbGroup written = rm27::CalibrationGroup("Kalibrace", rec, "fuzz");
    rm27::SensorRecord again;
    FUZZ_CHECK(rm27::CalibrationFromGroup(written, again, 9, error), "written back refused: %s",
               error.czech().c_str());
    FUZZ_CHECK(again.pointCount == rec.pointCount && again.description == rec.description &&
                   again.unit == rec.unit && again.sensorId == rec.sensorId &&
                   again.curveFlags == rec.curveFlags && again.gainCode == rec.gainCode,
               "a field changed on the way back");
    for (int k = 0; k < rec.pointCount; ++k) {
        FUZZ_CHECK(again.pointSignals[k] == rec.pointSignals[k] &&
                       again.userValues[k] == rec.userValues[k],
                   "point %d changed on the way back", k);
    }
    return 0;
}
