// The converter's float: any 6 or 8 hex digits decode to a finite number;
// every number in the format's range survives FloatToDevHex and back to
// within the mantissa's last bit.
#include <cmath>
#include <cstring>

#include "fuzz/oracle.h"
#include "link/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string text = rm27::fuzz::Text(data, size);
    const double decoded = rm27::DevHexToFloat(text);
    FUZZ_CHECK(std::isfinite(decoded), "\"%s\" decoded as %g", text.c_str(), decoded);
    if (text.size() != 6 && text.size() != 8)
        FUZZ_CHECK(decoded == 0.0, "wrong length gave %g", decoded);

    if (size >= sizeof(double) + 1) {
        double v = 0;
        std::memcpy(&v, data, sizeof v);
        const int n = (data[sizeof v] & 1) != 0 ? 4 : 3;
        const std::string hex = rm27::FloatToDevHex(v, n);
        if (std::isnan(v)) {
            FUZZ_CHECK(hex.empty(), "NaN encoded as \"%s\"", hex.c_str());
        } else {
            FUZZ_CHECK(hex.size() == static_cast<std::size_t>(2 * n), "%g in %d bytes: \"%s\"", v,
                       n, hex.c_str());
            const double mag = std::fabs(v);
            if (mag >= std::ldexp(1.0, -127) && mag < std::ldexp(1.0, 126)) {
                const double back = rm27::DevHexToFloat(hex);
                const double ulp = std::ldexp(mag, n == 3 ? -15 : -23);
                FUZZ_CHECK(std::fabs(back - v) <= ulp, "%.17g -> \"%s\" -> %.17g", v, hex.c_str(),
                           back);
            }
        }
    }
    return 0;
}
