// What a soak run is judged by: the converter in the simulator knows what it
// holds and what it sent, so every value the program shows and every byte
// it means to write can be held against the truth.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "session/device_state.h"
#include "sim/bus.h"
#include "sim/virtual_line.h"

namespace rm27::soak {

// The values a command showed, against the converter.
struct ShownValues {
    int shown = 0;
    int markedWrong = 0;   // wrong and marked: what the marks are for
    int markedRight = 0;   // marked although right (a false alarm)
    int unmarkedWrong = 0; // wrong and not marked: silent
    // Wrong, not marked, and beyond any rule: an identification character
    // replaced by one an identification may hold (a letter, digit, blank).
    int undetectable = 0;
    std::string firstSilent; // what the first unmarked wrong value was
    ShownValues& operator+=(const ShownValues& o);
};

// Every value a reading leaves in the state (identification, address,
// filter, definition and configuration bytes, K and Q, the eKey mask, and
// each input's record with where it was read from), against the first
// converter on the bus.
ShownValues CheckReading(const DeviceState& state, sim::Bus& bus);

// The live values of the last decoded tick, against every measurement
// answer the converter gave (a late answer is an older measurement, not a
// wrong one).
ShownValues CheckTick(const DeviceState& state, const sim::Bus& bus);

// Configuration memory and every block, as the converter keeps them.
struct ConverterImage {
    std::array<std::uint8_t, 256> memory{};
    std::array<std::string, 256> blocks; // by storage block (aliases resolved)
};
ConverterImage Snapshot(const sim::Converter& converter);
// Puts the value of every "EW" and "KW" frame the host wrote from frame
// `from` on into image, in order: what the commands meant to write.
void ApplyHostWrites(ConverterImage& image, const std::vector<sim::SentFrame>& sent,
                     std::size_t from);
// Where the converter differs from `expected` ("cell 92h", "block 128 byte
// 7"), "" when nowhere.
std::string FirstDifference(const ConverterImage& expected, const sim::Converter& actual);

} // namespace rm27::soak
