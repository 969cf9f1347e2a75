// ValComma on anything a user may type: a finite number, never -0; and a
// number printed with a decimal comma reads back as itself.
#include <cmath>
#include <cstring>

#include "fuzz/oracle.h"
#include "link/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string text = rm27::fuzz::Text(data, size);
    const double v = rm27::ValComma(text);
    FUZZ_CHECK(std::isfinite(v), "\"%s\" read as %g", text.c_str(), v);
    FUZZ_CHECK(!(v == 0.0 && std::signbit(v)), "\"%s\" read as -0", text.c_str());

    if (size >= sizeof(double)) {
        double x = 0;
        std::memcpy(&x, data, sizeof x);
        if (std::isfinite(x)) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.17g", x);
            std::string typed = buf;
            const auto dot = typed.find('.');
            if (dot != std::string::npos) typed[dot] = ',';
            const double back = rm27::ValComma(typed);
            FUZZ_CHECK(back == x || (x == 0.0 && back == 0.0), "\"%s\" read as %.17g",
                       typed.c_str(), back);
        }
    }
    return 0;
}
