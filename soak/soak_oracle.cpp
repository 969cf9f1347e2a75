#include "soak/soak_oracle.h"

#include <bit>
#include <set>

#include "link/codecs.h"
#include "link/memory.h"
#include "reading/operations.h"

namespace rm27::soak {

namespace {

std::uint32_t Bits(double value) {
    return std::bit_cast<std::uint32_t>(static_cast<float>(value));
}

// Judges one value: right or not, marked or not.
void Judge(ShownValues& v, const char* what, bool right, Doubt doubt, bool undetectable = false) {
    ++v.shown;
    if (doubt) {
        (right ? v.markedRight : v.markedWrong)++;
        return;
    }
    if (right) return;
    if (undetectable) {
        ++v.undetectable;
        return;
    }
    if (v.unmarkedWrong++ == 0) v.firstSilent = what;
}

bool IdCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == ' ';
}

// An identification that differs from the converter's only where a fault
// put a character an identification may hold.
bool PlausibleIdReplacement(const std::string& shown, const std::string& truth) {
    if (shown.size() != truth.size()) return false;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] != truth[i] && !IdCharacter(shown[i])) return false;
    }
    return true;
}

} // namespace

ShownValues& ShownValues::operator+=(const ShownValues& o) {
    if (unmarkedWrong == 0 && o.unmarkedWrong > 0) firstSilent = o.firstSilent;
    shown += o.shown;
    markedWrong += o.markedWrong;
    markedRight += o.markedRight;
    unmarkedWrong += o.unmarkedWrong;
    undetectable += o.undetectable;
    return *this;
}

ShownValues CheckReading(const DeviceState& st, sim::Bus& bus) {
    const sim::Converter& c = bus.converter(0);
    const DeviceState::ReadingDoubts& d = st.doubts;
    ShownValues v;
    bool nonHexOnId = false;
    for (const sim::AppliedFault& f : bus.faults().log())
        nonHexOnId = nonHexOnId || (f.body == "@" && f.fault.kind == sim::FaultKind::NonHex);
    Judge(v, "identification", st.DeviceId == c.id(), d.id,
          nonHexOnId && PlausibleIdReplacement(st.DeviceId, c.id()));
    Judge(v, "address", st.DeviceAddress == c.address(), d.address);
    Judge(v, "filter", st.FilterCode == c.memory(kCellFilter), d.filter);
    for (int i = 0; i < kInputCount; ++i) {
        Judge(v, "definition byte", st.definitionBytes[i] == c.setup().definition[i],
              d.definition[i]);
        Judge(v, "K", Bits(st.K[i]) == std::bit_cast<std::uint32_t>(c.memoryFloat(CellK(i))),
              d.K[i]);
        Judge(v, "Q", Bits(st.Q[i]) == std::bit_cast<std::uint32_t>(c.memoryFloat(CellQ(i))),
              d.Q[i]);
    }
    const int cells[] = {kCellConfig0, kCellConfig1, kCellConfig2};
    for (std::size_t k = 0; k < 3; ++k)
        Judge(v, "configuration byte", st.configBytes[k] == c.memory(cells[k]), d.config[k]);
    Judge(v, "eKey mask", st.EKeyMaskValid && st.EKeyMask == c.ekeyMask(), d.ekeyMask);
    for (int i = 0; i < kInputCount; ++i) {
        // An input's record comes from its eKey when one is plugged, else
        // from the converter's internal copy.
        const bool plugged = c.plugged(i);
        const int block = plugged ? 32 * i : 128 + i;
        const bool fromRightPlace = plugged ? st.sources[i] == InputSource::EKey
                                            : (st.sources[i] == InputSource::Internal ||
                                               st.sources[i] == InputSource::InternalNA);
        Judge(v, "record", fromRightPlace && st.images[i] == c.block(block), d.records[i]);
    }
    return v;
}

ShownValues CheckTick(const LiveValues& live, const sim::Bus& bus) {
    // Every field each input ever had in an answer to "MK".
    std::array<std::set<std::uint32_t>, kInputCount> raws, signals, values;
    for (const sim::AnswerRecord& a : bus.answers()) {
        const std::optional<MeasuredInputs> m = DecodeMeasurementAnswer(a.sent);
        if (!m) continue;
        for (int i = 0; i < kInputCount; ++i) {
            raws[i].insert(std::bit_cast<std::uint32_t>(m->raw[i]));
            signals[i].insert(std::bit_cast<std::uint32_t>(m->signal[i]));
            values[i].insert(std::bit_cast<std::uint32_t>(m->value[i]));
        }
    }
    ShownValues v;
    for (int i = 0; i < kInputCount; ++i) {
        const LiveValues::Doubts& d = live.doubts[i];
        Judge(v, "raw reading", raws[i].count(std::bit_cast<std::uint32_t>(live.raw[i])) > 0,
              d.raw);
        Judge(v, "mV/V", signals[i].count(std::bit_cast<std::uint32_t>(live.signal[i])) > 0,
              d.signal);
        Judge(v, "value", values[i].count(std::bit_cast<std::uint32_t>(live.value[i])) > 0,
              d.value);
    }
    return v;
}

ConverterImage Snapshot(const sim::Converter& c) {
    ConverterImage image;
    for (int cell = 0; cell < 256; ++cell)
        image.memory[static_cast<std::size_t>(cell)] = c.memory(cell);
    for (int b = 0; b < 256; ++b)
        image.blocks[static_cast<std::size_t>(c.storageBlock(b))] = c.block(b);
    return image;
}

std::string FirstDifference(const ConverterImage& expected, const sim::Converter& actual) {
    for (int cell = 0; cell < 256; ++cell) {
        if (expected.memory[static_cast<std::size_t>(cell)] != actual.memory(cell))
            return "cell " + LongToHex(cell, 2) + "h";
    }
    for (int b = 0; b < 256; ++b) {
        if (actual.storageBlock(b) != b) continue;
        const std::string& want = expected.blocks[static_cast<std::size_t>(b)];
        const std::string& have = actual.block(b);
        if (want == have) continue;
        if (want.size() != have.size())
            return "block " + std::to_string(b) + " does not hold the record meant";
        for (std::size_t i = 0; i < want.size(); ++i) {
            if (want[i] != have[i])
                return "block " + std::to_string(b) + " byte " + std::to_string(i);
        }
    }
    return {};
}

float FloatAt(const ConverterImage& image, int cell) {
    std::uint32_t bits = 0;
    for (int k = 3; k >= 0; --k)
        bits = (bits << 8) | image.memory[static_cast<std::size_t>((cell + k) & 0xFF)];
    return std::bit_cast<float>(bits);
}

void PutFloat(ConverterImage& image, int cell, float value) {
    std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    for (int k = 0; k < 4; ++k, bits >>= 8)
        image.memory[static_cast<std::size_t>((cell + k) & 0xFF)] =
            static_cast<std::uint8_t>(bits & 0xFF);
}

std::vector<float> RawReadings(const sim::Bus& bus, int input) {
    std::vector<float> out;
    for (const sim::AnswerRecord& a : bus.answers()) {
        if (const std::optional<MeasuredInputs> m = DecodeMeasurementAnswer(a.sent))
            out.push_back(m->raw[static_cast<std::size_t>(input)]);
    }
    return out;
}

std::optional<SensorRecord> RecordOf(const std::string& image) {
    SensorRecord rec;
    if (!DecodeEKeyImage(image, rec, 0, 0, 0).ok()) return std::nullopt;
    return rec;
}

bool Judging::journal = false;

bool SaidWhatItLeft(const std::vector<std::string>& told) {
    static const std::string kMix = "směs starých a nových bajtů";
    static const std::string kEntry = "v deníku zápisů pod číslem ";
    for (const std::string& text : told) {
        const std::size_t entry = text.find(kEntry);
        if (text.find(kMix) == std::string::npos || entry == std::string::npos) continue;
        const std::size_t digit = entry + kEntry.size();
        if (digit < text.size() && text[digit] >= '1' && text[digit] <= '9') return true;
    }
    return false;
}

} // namespace rm27::soak
