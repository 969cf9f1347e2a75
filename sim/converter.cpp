#include "sim/converter.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "sim/sensor_images.h"

namespace rm27::sim {

namespace {

constexpr std::uint32_t kRawMax = 0xFFFFFF;

// Narrowing that never leaves the float range (the cast itself would be
// undefined for values beyond it).
float ToSingle(double v) {
    if (std::isnan(v)) {
        return 0.0f;
    }
    return static_cast<float>(
        std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

std::string FitTo(std::string text, std::size_t width, char pad) {
    text.resize(width, pad);
    return text;
}

std::string Erased() {
    return std::string(kBlockSize, '\xFF');
}

bool IsEKeyBlock(int number) {
    return number >= 0 && number < 128 && number % 32 == 0;
}

} // namespace

std::string HexByte(unsigned value) {
    static const char kDigits[] = "0123456789ABCDEF";
    value &= 0xFFu;
    return {kDigits[value >> 4], kDigits[value & 0xFu]};
}

std::string SingleHexMsbFirst(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += HexByte(bits >> shift);
    }
    return out;
}

Converter::Converter(ConverterSetup setup) : setup_(std::move(setup)) {
    if (setup_.id.empty()) {
        std::string serial = std::to_string(std::abs(setup_.serial) % 10000);
        serial.insert(0, 4 - serial.size(), '0');
        id_ = serial + (isRmu() ? "RMU " : "RM27") + FitTo(setup_.firmware, 2, '0');
    } else {
        id_ = setup_.id;
    }
    id_ = FitTo(id_, 10, ' ');
    for (int i = 0; i < kInputs; ++i) {
        setup_.gainCode[i] &= 7;
    }

    memory_.fill(0);
    memory_[kCellAddress] = static_cast<std::uint8_t>(setup_.address & 0xFF);
    memory_[kCellFilter] = setup_.filterCode;
    for (int k = 0; k < 3; ++k) {
        memory_[0x28 + k] = setup_.config[k];
    }
    for (int i = 0; i < kInputs; ++i) {
        setMemoryFloat(CellK(i), setup_.factoryK[i]);
        setMemoryFloat(CellQ(i), setup_.factoryQ[i]);
    }

    for (auto& b : blocks_) {
        b = Erased();
    }
    for (int i = 0; i < kInputs; ++i) {
        // An unplugged input keeps its sensor's image too, so plugging it
        // in later (setPlugged) shows a sensor.
        setBlock(32 * i,
                 setup_.ekeyImages[i].empty() ? DefaultSensorImage(i) : setup_.ekeyImages[i]);
        setBlock(128 + i, setup_.internalImages[i].empty() ? DefaultInternalImage(i)
                                                           : setup_.internalImages[i]);
    }

    address_ = setup_.address;
    noiseState_ = setup_.noiseSeed;
    loadConstants();
}

float Converter::memoryFloat(int cell) const {
    std::uint32_t bits = 0;
    for (int k = 3; k >= 0; --k) {
        bits = (bits << 8) | memory_[(cell + k) & 0xFF];
    }
    return std::bit_cast<float>(bits);
}

void Converter::setMemoryFloat(int cell, float value) {
    auto bits = std::bit_cast<std::uint32_t>(value);
    for (int k = 0; k < 4; ++k) {
        memory_[(cell + k) & 0xFF] = static_cast<std::uint8_t>(bits & 0xFFu);
        bits >>= 8;
    }
}

int Converter::storageBlock(int number) const {
    number &= 0xFF;
    if (!setup_.copiesApart && (number == 160 || number == 192 || number == 224)) {
        return 128 + (number - 128) / 32;
    }
    return number;
}

const std::string& Converter::block(int number) const {
    return blocks_[storageBlock(number)];
}

void Converter::setBlock(int number, std::string image) {
    image.resize(kBlockSize, '\0');
    blocks_[storageBlock(number)] = std::move(image);
}

std::uint8_t Converter::blockByte(int number, int index) const {
    return static_cast<std::uint8_t>(block(number)[index & 0xFF]);
}

std::uint8_t Converter::ekeyMask() const {
    unsigned mask = 0;
    for (int i = 0; i < kInputs; ++i) {
        if (setup_.plugged[i]) {
            mask |= 1u << i;
        }
    }
    return static_cast<std::uint8_t>(mask);
}

void Converter::loadConstants() {
    for (int i = 0; i < kInputs; ++i) {
        activeK_[i] = memoryFloat(CellK(i));
        activeQ_[i] = memoryFloat(CellQ(i));
    }
}

void Converter::restart(double timeMs) {
    deafUntil_ = timeMs + setup_.bootMs;
    address_ = memory_[kCellAddress];
    loadConstants();
    ++restarts_;
}

bool Converter::hears(const Request& request) const {
    return request.addressed && request.address >= 0 &&
           (request.address == 0 || request.address == address_);
}

std::optional<std::string> Converter::handle(const Request& r) {
    const std::string cmd = r.command();
    // Frames with a wrong length or non-hex parameters are line noise to
    // the converter: it keeps quiet.
    const std::size_t paramChars = r.body.size() - cmd.size();
    auto params = [&](int n) {
        if (paramChars != static_cast<std::size_t>(2 * n)) {
            return false;
        }
        for (int k = 0; k < n; ++k) {
            if (r.param(k) < 0) {
                return false;
            }
        }
        return true;
    };
    ++handled_;

    if (cmd == "AUTO" && params(1)) {
        // Switches automatic sending off; the converter confirms with 00.
        return std::string("00\r");
    }
    if (cmd == "@" && params(0)) {
        return id_ + "\r";
    }
    if (cmd == "ER" && params(1)) {
        return HexByte(memory_[r.param(0)]) + "\r";
    }
    if (cmd == "EW" && params(2)) {
        memory_[r.param(0)] = static_cast<std::uint8_t>(r.param(1));
        return HexByte(static_cast<unsigned>(r.param(1))) + "\r";
    }
    if (cmd == "DEF" && params(0)) {
        std::string out;
        for (auto d : setup_.definition) {
            out += HexByte(d);
        }
        return out + "\r";
    }
    if (cmd == "KQ" && params(0)) {
        return HexByte(ekeyMask()) + "\r";
    }
    if ((cmd == "KB" && params(1)) || (cmd == "KW" && params(3))) {
        const int number = r.param(0);
        // No eKey on the input: nothing to talk to.
        if (IsEKeyBlock(number) && !setup_.plugged[number / 32]) {
            return std::nullopt;
        }
        std::string& image = blocks_[storageBlock(number)];
        if (cmd == "KW") {
            image[static_cast<std::size_t>(r.param(1))] = static_cast<char>(r.param(2));
            return HexByte(static_cast<unsigned>(r.param(2))) + "\r";
        }
        std::string out;
        out.reserve(2 * kBlockSize + 1);
        for (char c : image) {
            out += HexByte(static_cast<unsigned char>(c));
        }
        return out + "\r";
    }
    if (cmd == "MK" && params(0)) {
        return mkAnswer(r.timeMs);
    }
    if (cmd == "LT" && (params(0) || params(1))) {
        loadConstants();
        return std::nullopt;
    }
    if (cmd == "X" && params(0)) {
        restart(r.timeMs);
        return std::nullopt;
    }
    --handled_;
    return std::nullopt;
}

double Converter::effectiveScale(int input, float k) const {
    // K is kept referred to gain 128x unless the definition byte says the
    // input is calibrated at its own gain.
    const int shift = (setup_.definition[input] & 0x02) ? 0 : 7 - setup_.gainCode[input];
    return static_cast<double>(k) * std::ldexp(1.0, shift);
}

double Converter::noise() {
    noiseState_ += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = noiseState_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    const double u = static_cast<double>(z >> 11) * 0x1.0p-53; // [0, 1)
    return (2.0 * u - 1.0) * setup_.noiseMvV;
}

void Converter::setSignalScript(int input, std::vector<SignalStep> steps) {
    std::stable_sort(steps.begin(), steps.end(),
                     [](const SignalStep& a, const SignalStep& b) { return a.fromMs < b.fromMs; });
    scripts_[input] = std::move(steps);
}

void Converter::addSignalStep(int input, SignalStep step) {
    auto& script = scripts_[input];
    if (!script.empty() && step.fromMs < script.back().fromMs) step.fromMs = script.back().fromMs;
    script.push_back(step);
}

LoadCell& Converter::attachLoadCell(int input, LoadCellSpec spec) {
    return cells_[input].emplace(spec);
}

double Converter::signalAt(int input, double timeMs) const {
    if (cells_[input]) return cells_[input]->outputAt(timeMs);
    double mVV = setup_.signalMvV[input];
    for (const SignalStep& step : scripts_[input]) {
        if (step.fromMs > timeMs) break;
        mVV = step.mVV;
    }
    return mVV;
}

MeasuredInput Converter::measure(int input, double timeMs) {
    MeasuredInput m;
    const double applied = signalAt(input, timeMs) + noise();
    const double kHardware = effectiveScale(input, setup_.factoryK[input]);
    double raw = static_cast<double>(setup_.factoryQ[input]);
    if (kHardware != 0.0) {
        raw += applied / kHardware;
    }
    raw = std::isfinite(raw) ? std::clamp(std::round(raw), 0.0, static_cast<double>(kRawMax)) : 0.0;
    m.raw = static_cast<std::uint32_t>(raw);

    const double net = raw - static_cast<double>(activeQ_[input]);
    const double mvv = effectiveScale(input, activeK_[input]) * net;
    m.signalMvV = ToSingle(mvv);
    m.third = ToSingle(net);

    // The value through the sensor's curve: the plugged eKey first, then
    // the converter's own copy, else the bare signal.
    std::optional<SensorCurve> curve;
    if (setup_.plugged[input]) {
        curve = DecodeSensorCurve(block(32 * input));
    }
    if (!curve) {
        curve = DecodeSensorCurve(block(128 + input));
    }
    if (curve) {
        m.value = ToSingle(CurveValue(*curve, curve->signalInMvV ? mvv : raw));
    } else {
        m.value = m.signalMvV;
    }
    return m;
}

std::string Converter::mkAnswer(double timeMs) {
    std::string out;
    out.reserve(123);
    for (int i = 0; i < kInputs; ++i) {
        const MeasuredInput m = measure(i, timeMs);
        out += HexByte(m.raw >> 16) + HexByte(m.raw >> 8) + HexByte(m.raw);
        out += SingleHexMsbFirst(m.signalMvV);
        out += SingleHexMsbFirst(m.third);
        out += SingleHexMsbFirst(m.value);
    }
    // Two status characters close the frame: the eKey mask.
    out += HexByte(ekeyMask());
    return out + "\r";
}

} // namespace rm27::sim
