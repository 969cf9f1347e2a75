// FormatFixed: whatever the value and the format text, the result is as wide
// as the format (its characters less the backslashes), and a plain format
// shows the value it was given to its last digit.
#include <cmath>
#include <cstring>

#include "fuzz/oracle.h"
#include "link/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size < sizeof(double) + 1) return 0;
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    rm27::SetDecimalSeparator((data[sizeof value] & 1) != 0 ? ',' : '.');
    const std::string format = rm27::fuzz::Text(data + sizeof value + 1, size - sizeof value - 1);
    if (format.size() > 64) return 0;
    std::size_t width = 0;
    for (const char c : format)
        width += c == '\\' ? 0 : 1;
    const std::string shown = rm27::FormatFixed(value, format);
    FUZZ_CHECK(shown.size() == width, "%.17g with \"%s\": \"%s\" (%zu wide, not %zu)", value,
               format.c_str(), shown.c_str(), shown.size(), width);

    // The display formats of the eKey: the number read back from the text
    // is the value rounded to the format's decimals.
    static const char* const kFormats[] = {"######0", "####0.0", "###0.00",
                                           "##0.000", "#0.0000", "0.00000"};
    const char* plain = kFormats[data[sizeof value] % 6];
    if (std::isfinite(value) && std::fabs(value) < 1e5) {
        const std::string text = rm27::FormatFixed(value, std::string("########") + plain);
        const double back = rm27::ValComma(text);
        const int decimals = static_cast<int>(data[sizeof value] % 6);
        // Rounded from the value's shortest decimal text, which may stand up
        // to a bit of the double away from the value itself.
        const double bound =
            0.5 * std::pow(10.0, -decimals) + std::ldexp(std::fabs(value), -50) + 1e-12;
        FUZZ_CHECK(std::fabs(back - value) <= bound, "%.17g shown \"%s\" reads %.17g", value,
                   text.c_str(), back);
    }
    rm27::SetDecimalSeparator('\0');
    return 0;
}
