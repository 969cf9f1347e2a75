// HexToLong on any text: the answer's digits as the converter's reckoning
// reads them, never a negative or undefined number; LongToHex gives back
// every text of hex digits it reads.
#include <cstdint>

#include "fuzz/oracle.h"
#include "link/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string text = rm27::fuzz::Text(data, size);
    const std::int32_t value = rm27::HexToLong(text);
    FUZZ_CHECK(value >= 0, "HexToLong(\"%s\") = %d", text.c_str(), value);
    if (text.size() >= 8) FUZZ_CHECK(value == 0, "8 digits or more read as %d", value);

    // Each character counts as (code - 48), less 7 above 9; anything outside
    // 0..15 makes the whole text 0.
    std::int64_t expected = 0;
    const bool fits = text.size() < 8;
    bool usable = fits;
    for (const char c : fits ? text : std::string()) {
        int d = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c) - 48;
        if (d > 9) d -= 7;
        if (d < 0 || d > 15) usable = false;
        expected = expected * 16 + d;
    }
    FUZZ_CHECK(value == (usable ? expected : 0), "\"%s\": %d, reckoned %lld", text.c_str(), value,
               static_cast<long long>(usable ? expected : 0));

    bool plainHex = !text.empty() && text.size() < 8;
    for (const char c : text)
        plainHex = plainHex && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    if (plainHex) {
        const std::string back = rm27::LongToHex(value, static_cast<int>(text.size()));
        FUZZ_CHECK(back == text, "\"%s\" -> %d -> \"%s\"", text.c_str(), value, back.c_str());
    }
    // Any value, any width: exactly that many upper-case digits.
    if (size >= 5) {
        std::int32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = static_cast<std::int32_t>((static_cast<std::uint32_t>(v) << 8) | data[i]);
        const int width = data[4] % 12;
        const std::string hex = rm27::LongToHex(v, width);
        FUZZ_CHECK(hex.size() == static_cast<std::size_t>(width), "width %d gave %zu", width,
                   hex.size());
        for (const char c : hex)
            FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'), "digit '%c'", c);
    }
    return 0;
}
