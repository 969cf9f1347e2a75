// What one measurement tick leaves behind for the windows that watch the
// inputs (the chart, the CSV log): the numbers of the four inputs and what
// names them. Built by the main window after every tick, so that nothing
// that watches has to reach into the device state or the protocol.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "session/device_state.h"

namespace rm27 {

// An input as its sensor record names it, blanks trimmed.
struct InputLabel {
    std::string sensorId;
    std::string description;
    std::string unit;
    std::string numberFormat; // the display format of the value, e.g. "##0.00"
    bool operator==(const InputLabel&) const = default;
};

// Which converter and which sensors the numbers belong to.
struct WatchHeader {
    std::string deviceId;
    std::int32_t address = 0;
    std::array<InputLabel, kInputCount> inputs{};
    // Subtracted from each input's value (user units); 0: as measured.
    std::array<double, kInputCount> tare{};
    bool operator==(const WatchHeader&) const = default;
};

struct TickSample {
    // False: the tick found no usable answer (the window showed "-----");
    // the numbers are then the last ones and mean nothing new.
    bool answered = false;
    // The program's monotonic clock, and the local wall time it stands for
    // (milliseconds since the epoch).
    std::int64_t monoMs = 0;
    std::int64_t wallMs = 0;
    std::array<float, kInputCount> raw{};    // divisions
    std::array<float, kInputCount> signal{}; // mV/V
    // In user units less the input's tare: the number the window shows
    // (worked out in double, as the window does).
    std::array<double, kInputCount> value{};
    WatchHeader header;
};

WatchHeader HeaderOf(const DeviceState& state, const LiveValues& live);
TickSample SampleOf(const DeviceState& state, const LiveValues& live, bool answered,
                    std::int64_t monoMs, std::int64_t wallMs);

// Digits after the decimal point of a display format ("##0.000" -> 3,
// "#####0" -> 0).
int DecimalsOf(const std::string& numberFormat);

} // namespace rm27
