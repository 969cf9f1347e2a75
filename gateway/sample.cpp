#include "gateway/sample.h"

#include "link/ekey.h"

namespace rm27 {

ConverterDescription DescriptionOf(const DeviceState& st) {
    ConverterDescription d;
    d.deviceId = TrimBlanks(st.DeviceId);
    d.address = st.DeviceAddress;
    for (std::size_t i = 0; i < d.inputs.size(); ++i) {
        const SensorRecord& rec = st.records[i];
        d.inputs[i] = {TrimBlanks(rec.sensorId), TrimBlanks(rec.description), TrimBlanks(rec.unit),
                       TrimBlanks(rec.numberFormat)};
    }
    return d;
}

ConverterSample ConverterSampleOf(const DeviceState& st, const LiveValues& live, bool answered,
                                  std::int64_t monoMs, std::int64_t wallMs) {
    ConverterSample s;
    s.address = st.DeviceAddress;
    s.deviceId = TrimBlanks(st.DeviceId);
    for (std::size_t i = 0; i < s.inputs.size(); ++i) {
        const SensorRecord& rec = st.records[i];
        const LiveValues::Doubts& d = live.doubts[i];
        InputReading& in = s.inputs[i];
        in.wallMs = wallMs;
        in.monoMs = monoMs;
        // The raw field is six hex digits: whole and below 2^24.
        in.raw = static_cast<std::uint32_t>(live.raw[i]);
        in.mvv = live.signal[i];
        // The same rule as the live update's: without a curve point the
        // converter has nothing to turn divisions into the sensor's unit.
        if (rec.pointCount >= 1) in.value = live.value[i];
        in.unit = TrimBlanks(rec.unit);
        in.doubt = d.raw | d.signal | d.value;
        in.fresh = answered;
    }
    return s;
}

std::string ConverterTopicId(const std::string& deviceId, std::int32_t address) {
    std::string id = TrimBlanks(deviceId);
    for (char& c : id) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (!plain) c = '_';
    }
    if (id.empty()) id = "unknown";
    return id + "-" + std::to_string(address);
}

} // namespace rm27
