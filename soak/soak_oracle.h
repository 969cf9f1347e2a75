// What a soak run is judged by: the converter in the simulator knows what it
// holds and what it sent, so every value the program shows and every byte
// it means to write can be held against the truth.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/ekey.h"
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
ShownValues CheckTick(const LiveValues& live, const sim::Bus& bus);

// Configuration memory and every block, as the converter keeps them.
struct ConverterImage {
    std::array<std::uint8_t, 256> memory{};
    // By storage block (aliases resolved). In an image of what was meant,
    // an empty block is one whose content is not what was meant.
    std::array<std::string, 256> blocks;
};
ConverterImage Snapshot(const sim::Converter& converter);
// Where the converter differs from `expected` ("cell 92h", "block 128 byte
// 7"), "" when nowhere.
std::string FirstDifference(const ConverterImage& expected, const sim::Converter& actual);

// The single the memory holds at cells cell..cell + 3 (little-endian), and
// the same written into an image.
float FloatAt(const ConverterImage& image, int cell);
void PutFloat(ConverterImage& image, int cell, float value);

// Every raw reading of `input` the converter sent in a measurement answer:
// what a zero or a span taken from the live signal may rest on.
std::vector<float> RawReadings(const sim::Bus& bus, int input);

// A block's record as it decodes, on its own (the block 0 of input 0);
// nullopt when it does not decode.
std::optional<SensorRecord> RecordOf(const std::string& image);

// Whether a command that failed and left the converter changed said what
// it left: that the block or cells may now hold a mix of old and new bytes,
// and under which number the write journal keeps the write. Judged only
// with Judging::journal on: a program without a write journal cannot.
bool SaidWhatItLeft(const std::vector<std::string>& told);

struct Judging {
    static bool journal;
};

} // namespace rm27::soak
