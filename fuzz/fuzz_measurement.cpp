// The "MK" answer: only 123 characters decode; an answer built from four
// inputs' values decodes to exactly those values.
#include <bit>
#include <cmath>
#include <cstring>

#include "fuzz/oracle.h"
#include "link/codecs.h"
#include "reading/operations.h"

namespace {

std::string MsbFirst(float f) {
    return rm27::ReverseHexBytes(rm27::SingleToHex(f));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string text = rm27::fuzz::Text(data, size);
    const auto decoded = rm27::DecodeMeasurementAnswer(text);
    FUZZ_CHECK(decoded.has_value() == (size == rm27::kMeasurementAnswerLength), "%zu characters",
               size);
    if (decoded) {
        for (int i = 0; i < 4; ++i)
            FUZZ_CHECK(decoded->raw[i] >= 0 && decoded->raw[i] <= 16777215.0f, "raw %g",
                       decoded->raw[i]);
    }

    // Build an answer from the input's bytes and read it back.
    if (size < 4 * 13) return 0;
    std::string answer;
    float signal[4], value[4];
    std::uint32_t raw[4];
    for (int i = 0; i < 4; ++i) {
        const unsigned char* p = data + 13 * i;
        raw[i] = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
        std::memcpy(&signal[i], p + 3, 4);
        std::memcpy(&value[i], p + 7, 4);
        answer += rm27::LongToHex(static_cast<std::int32_t>(raw[i]), 6) + MsbFirst(signal[i]) +
                  MsbFirst(0.0f) + MsbFirst(value[i]);
    }
    answer += "03\r";
    const auto back = rm27::DecodeMeasurementAnswer(answer);
    FUZZ_CHECK(back.has_value(), "a built answer of %zu characters refused", answer.size());
    for (int i = 0; i < 4; ++i) {
        FUZZ_CHECK(back->raw[i] == static_cast<float>(raw[i]), "raw %u became %g", raw[i],
                   back->raw[i]);
        FUZZ_CHECK(std::bit_cast<std::uint32_t>(back->signal[i]) ==
                       std::bit_cast<std::uint32_t>(signal[i]),
                   "signal of input %d changed", i);
        FUZZ_CHECK(std::bit_cast<std::uint32_t>(back->value[i]) ==
                       std::bit_cast<std::uint32_t>(value[i]),
                   "value of input %d changed", i);
    }
    return 0;
}
