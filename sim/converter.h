// The model of one RM-27 / RMU converter: its configuration memory, its
// 256-byte blocks (eKeys and internal copies), what is applied to its four
// inputs, and how it answers each request.
//
// Measurement model. The converter's ADC turns the applied signal into raw
// divisions through its factory constants (factoryK in mV/V per division at
// gain 128x, factoryQ in divisions):
//     raw = Q + signal / Keff,   Keff = K * 2^(7 - gain)
// (the 2^(7 - gain) applies unless bit 1 of the input's definition byte is
// set, the same rule the calibration commands use). The converter reports
// mV/V through the K and Q in its memory (cells 148 + 8i and 144 + 8i),
// read at boot and on "LT". By default memory and factory constants agree,
// so raw = signal / K + Q; after the host has calibrated zero and slope the
// reported mV/V matches the applied signal again, as on the real device.
//
// Block map. Blocks are input x 32 + page. Blocks 0, 32, 64, 96 are the
// eKeys plugged into inputs 0..3; an unplugged eKey does not answer "KB"
// or "KW" at all. The internal copy of input n lives in block 128 + n.
// Blocks 160, 192 and 224 (input n + 4, page 0, n = 1..3), the addressing
// of the external-to-internal copy, are by default the same storage as
// 129, 130, 131: both ways of naming the internal copy reach one image
// (128 is already both). With ConverterSetup::copiesApart they are blocks
// of their own, and the measurement goes on using 129..131. Every other
// block is plain storage.
//
// Answers (each ends with CR): "AUTO00" -> "00"; "@" -> the 10-character
// identification; "ERll" -> the byte; "EWllbb" -> writes, echoes bb; "DEF"
// -> the 4 definition bytes; "KQ" -> the eKey mask; "KBbb" -> 512 hex
// digits; "KWbbiivv" -> writes, echoes vv; "MK" -> per input 6 hex digits
// raw, then signal mV/V, net divisions (raw - Q) and the value in user
// units as singles most significant byte first, then the eKey mask as the
// two closing characters: 123 characters with the CR. "LT", "LTxx" and
// "X" have no answer, nor has a malformed frame (wrong length, lower-case
// or non-hex parameters, unknown command).
//
// Value in user units: the curve of the plugged eKey's image, else of the
// internal copy, else the reported mV/V itself. The curve's signal is mV/V
// or raw divisions as its flags say.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/load_cell.h"
#include "sim/request.h"

namespace rm27::sim {

enum class Variant { RM27, RMU };

inline constexpr int kInputs = 4;
inline constexpr int kMemorySize = 256;
inline constexpr int kBlockCount = 256;
inline constexpr int kBlockSize = 256;

// Memory cells the converter itself uses.
inline constexpr int kCellAddress = 0x00;
inline constexpr int kCellFilter = 0x05;
inline constexpr int CellQ(int input) {
    return 144 + 8 * input;
}
inline constexpr int CellK(int input) {
    return 148 + 8 * input;
}

// Default factory constants: 2 mV/V gives 4 000 000 divisions above a
// mid-scale zero, so the 24-bit reading spans about -4.19..+4.19 mV/V.
inline constexpr float kDefaultK = 5.0e-7f;
inline constexpr float kDefaultQ = 8388608.0f;

struct ConverterSetup {
    int address = 1;
    Variant variant = Variant::RM27;
    // 10-character identification. Empty: serial (4 digits) + "RM27" +
    // firmware, or serial + "RMU " + firmware, e.g. "0123RM2712".
    std::string id{};
    int serial = 123;
    std::string firmware = "12";
    std::array<bool, kInputs> plugged{true, true, false, false};
    // Images (byte strings, padded to 256 with zero bytes). Empty: a
    // default sensor is built for that input (see DefaultSensorImage).
    std::array<std::string, kInputs> ekeyImages{};
    std::array<std::string, kInputs> internalImages{};
    // Applied signal per input, mV/V.
    std::array<double, kInputs> signalMvV{0.5, 1.0, 1.5, 2.0};
    // Amplifier gain code per input (0 = 1x .. 7 = 128x).
    std::array<int, kInputs> gainCode{7, 7, 7, 7};
    // The four bytes of the "DEF" answer.
    std::array<std::uint8_t, kInputs> definition{0, 0, 0, 0};
    std::array<float, kInputs> factoryK{kDefaultK, kDefaultK, kDefaultK, kDefaultK};
    std::array<float, kInputs> factoryQ{kDefaultQ, kDefaultQ, kDefaultQ, kDefaultQ};
    std::uint8_t filterCode = 0x0A;
    // Configuration cells 0x28, 0x29, 0x2A.
    std::array<std::uint8_t, 3> config{0x01, 0x00, 0x03};
    // Uniform noise added to the applied signal, +/- noiseMvV.
    double noiseMvV = 2.0e-6;
    std::uint64_t noiseSeed = 1;
    // Below 0: the bus's default turnaround.
    double turnaroundMs = -1.0;
    // After a restart the converter hears nothing for this long.
    double bootMs = 300.0;
    // Blocks 160, 192, 224 kept apart from 129, 130, 131 (see the block map).
    bool copiesApart = false;
};

// From fromMs on (the bus's clock, ms) the input carries mVV: a test hangs
// weights on a load cell by listing the steps in time order.
struct SignalStep {
    double fromMs = 0.0;
    double mVV = 0.0;
};

// One input's part of an "MK" answer.
struct MeasuredInput {
    std::uint32_t raw = 0;  // 24-bit
    float signalMvV = 0.0f; // through the memory K, Q
    float third = 0.0f;     // net divisions, raw - Q
    float value = 0.0f;     // user units through the input's curve
};

class Converter {
public:
    explicit Converter(ConverterSetup setup);

    const ConverterSetup& setup() const { return setup_; }
    // The address the converter answers (memory cell 0 at its last boot).
    int address() const { return address_; }
    std::string id() const { return id_; }
    bool isRmu() const { return setup_.variant == Variant::RMU; }

    // Configuration memory, as "ER"/"EW" see it.
    std::uint8_t memory(int cell) const { return memory_[cell & 0xFF]; }
    void setMemory(int cell, std::uint8_t value) { memory_[cell & 0xFF] = value; }
    float memoryFloat(int cell) const; // IEEE single, LSB first
    void setMemoryFloat(int cell, float value);
    // K and Q in effect (loaded at boot and by "LT").
    float activeK(int input) const { return activeK_[input]; }
    float activeQ(int input) const { return activeQ_[input]; }

    // Blocks as byte strings of 256 characters (aliases resolved).
    const std::string& block(int number) const;
    void setBlock(int number, std::string image); // padded/cut to 256
    std::uint8_t blockByte(int number, int index) const;
    // Storage block behind a block number (160 -> 129, ... unless the
    // copies are kept apart).
    int storageBlock(int number) const;

    bool plugged(int input) const { return setup_.plugged[input]; }
    void setPlugged(int input, bool plugged) { setup_.plugged[input] = plugged; }
    std::uint8_t ekeyMask() const;

    double signal(int input) const { return setup_.signalMvV[input]; }
    void setSignal(int input, double mVV) { setup_.signalMvV[input] = mVV; }
    // The signal follows the steps over time; before the first step (and
    // with no steps) the fixed signal above applies. Replaces any earlier
    // script of the input.
    void setSignalScript(int input, std::vector<SignalStep> steps);
    // One more step at the end of the input's script (a live control
    // adds them as they come).
    void addSignalStep(int input, SignalStep step);
    // A load cell on the input: from now on the input carries what the
    // cell puts out, whatever its fixed signal and script say, until the
    // cell is taken off again.
    LoadCell& attachLoadCell(int input, LoadCellSpec spec);
    LoadCell* loadCell(int input) { return cells_[input] ? &*cells_[input] : nullptr; }
    void detachLoadCell(int input) { cells_[input].reset(); }
    // What is applied to the input at timeMs.
    double signalAt(int input, double timeMs) const;
    int gainCode(int input) const { return setup_.gainCode[input]; }
    void setGainCode(int input, int code) { setup_.gainCode[input] = code & 7; }

    // Deafness after a restart.
    bool deafAt(double timeMs) const { return timeMs < deafUntil_; }
    int restartCount() const { return restarts_; }
    // Restart: deaf for bootMs from timeMs; address, K and Q from memory.
    void restart(double timeMs);

    // Whether a frame with this address is for this converter (its own
    // address, or the universal address 0).
    bool hears(const Request& request) const;
    // Carry out a request meant for this converter. The answer includes
    // its CR; nothing when the request has no answer (restart, "LT",
    // unknown commands, an unplugged eKey...).
    std::optional<std::string> handle(const Request& request);

    // One reading of input i at timeMs (draws noise).
    MeasuredInput measure(int input, double timeMs);

    // Count of requests this converter has carried out, per command.
    int handledCount() const { return handled_; }

private:
    std::string mkAnswer(double timeMs);
    void loadConstants();
    double effectiveScale(int input, float k) const;
    double noise();

    ConverterSetup setup_;
    std::string id_;
    int address_ = 1;
    std::array<std::uint8_t, kMemorySize> memory_{};
    std::array<std::string, kBlockCount> blocks_;
    std::array<float, kInputs> activeK_{};
    std::array<float, kInputs> activeQ_{};
    std::array<std::vector<SignalStep>, kInputs> scripts_;
    std::array<std::optional<LoadCell>, kInputs> cells_;
    double deafUntil_ = -1.0;
    int restarts_ = 0;
    int handled_ = 0;
    std::uint64_t noiseState_ = 0;
};

// Hex helpers of the simulator (upper-case, as the converter sends them).
std::string HexByte(unsigned value);
// IEEE single as 8 hex digits, most significant byte first (the "MK" order).
std::string SingleHexMsbFirst(float value);

} // namespace rm27::sim
