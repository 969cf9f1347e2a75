// What the gateway's outlets take in: per converter, one description after
// it was read, then one sample per poll. Plain values, no Qt and no device
// state, so that the outlets neither know the protocol nor reach into the
// session, and can be driven by a test with made-up numbers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "link/doubt.h"
#include "session/device_state.h"

namespace rm27 {

// One input of one answered (or missed) poll.
struct InputReading {
    // When the answer came: wall clock (ms since the epoch, UTC) for the
    // subscribers, the program's monotonic clock for the age of the
    // registers.
    std::int64_t wallMs = 0;
    std::int64_t monoMs = 0;
    std::uint32_t raw = 0; // divisions, 24 bits
    float mvv = 0;
    // In the sensor's unit as the converter computes it; none when the
    // input's record has no curve (the converter's number then means
    // nothing).
    std::optional<float> value;
    std::string unit;
    Doubt doubt; // why the numbers may not be what the converter sent
    // False: the poll went unanswered and the numbers are the last ones.
    bool fresh = true;
};

struct ConverterSample {
    std::int32_t address = 0;
    std::string deviceId; // blanks trimmed
    std::array<InputReading, kInputCount> inputs{};
};

struct InputDescription {
    std::string sensorId;
    std::string description;
    std::string unit;
    std::string format; // the display format, e.g. "##0.00"
};

struct ConverterDescription {
    std::string deviceId; // blanks trimmed
    std::int32_t address = 0;
    std::array<InputDescription, kInputCount> inputs{};
};

// The converter as the reading left it.
ConverterDescription DescriptionOf(const DeviceState& state);
// The last measurement answer of the state, taken at monoMs on the
// program's monotonic clock and wallMs on the wall clock (the order of the
// watch's tick sample). answered: this poll brought it; false marks every
// input stale. The tare is the window's display offset
// and is not applied.
ConverterSample ConverterSampleOf(const DeviceState& state, const LiveValues& live, bool answered,
                                  std::int64_t monoMs, std::int64_t wallMs);

// The topic-safe name of a converter: its identification and its address,
// "0123RM2712-3". Characters other than letters, digits, '-', '_' and '.'
// become '_' (MQTT gives '/', '+' and '#' a meaning); a converter that has
// no identification is "unknown-3".
std::string ConverterTopicId(const std::string& deviceId, std::int32_t address);

} // namespace rm27
