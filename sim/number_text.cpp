#include "sim/number_text.h"

#include <charconv>
#include <cmath>

namespace rm27::sim {

namespace {

// from_chars takes a '-' but no '+'; both are fine to type.
const char* AfterPlus(const std::string& text) {
    const char* first = text.data();
    if (text.size() > 1 && *first == '+' && first[1] != '-') ++first;
    return first;
}

} // namespace

bool ReadWholeNumber(const std::string& text, long long& out) {
    const char* first = AfterPlus(text);
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, out);
    return first != last && ec == std::errc() && end == last;
}

bool ReadFiniteNumber(const std::string& text, double& out) {
    const char* first = AfterPlus(text);
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, out, std::chars_format::general);
    return first != last && ec == std::errc() && end == last && std::isfinite(out);
}

} // namespace rm27::sim
