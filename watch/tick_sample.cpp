#include "watch/tick_sample.h"

#include "link/ekey.h"

namespace rm27 {

WatchHeader HeaderOf(const DeviceState& st, const LiveValues& live) {
    WatchHeader h;
    h.deviceId = TrimBlanks(st.DeviceId);
    h.address = st.DeviceAddress;
    for (int i = 0; i < kInputCount; ++i) {
        const SensorRecord& rec = st.records[i];
        InputLabel& in = h.inputs[static_cast<std::size_t>(i)];
        in.sensorId = TrimBlanks(rec.sensorId);
        in.description = TrimBlanks(rec.description);
        in.unit = TrimBlanks(rec.unit);
        in.numberFormat = TrimBlanks(rec.numberFormat);
    }
    for (std::size_t i = 0; i < h.tare.size(); ++i)
        h.tare[i] = live.tare[i];
    return h;
}

TickSample SampleOf(const DeviceState& st, const LiveValues& live, bool answered,
                    std::int64_t monoMs, std::int64_t wallMs) {
    TickSample s;
    s.answered = answered;
    s.monoMs = monoMs;
    s.wallMs = wallMs;
    s.raw = live.raw;
    s.signal = live.signal;
    for (std::size_t i = 0; i < s.value.size(); ++i)
        s.value[i] = static_cast<double>(live.value[i]) - live.tare[i];
    s.header = HeaderOf(st, live);
    return s;
}

int DecimalsOf(const std::string& numberFormat) {
    const std::size_t dot = numberFormat.find_first_of(".,");
    if (dot == std::string::npos) return 0;
    int n = 0;
    for (std::size_t i = dot + 1; i < numberFormat.size(); ++i) {
        const char c = numberFormat[i];
        if (c != '0' && c != '#') break;
        ++n;
    }
    return n;
}

} // namespace rm27
