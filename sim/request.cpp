#include "sim/request.h"

#include <array>
#include <string_view>

namespace rm27::sim {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1; // the converter speaks upper case only
}

int HexPair(const std::string& text, std::size_t pos) {
    if (pos + 2 > text.size()) {
        return -1;
    }
    const int hi = HexDigit(text[pos]);
    const int lo = HexDigit(text[pos + 1]);
    return (hi < 0 || lo < 0) ? -1 : hi * 16 + lo;
}

// Longer names first: "DEF" must not be taken for a hex parameter.
constexpr std::array<std::string_view, 11> kCommands{"AUTO", "DEF", "@",  "ER", "EW", "KQ",
                                                     "KB",   "KW",  "MK", "LT", "X"};

} // namespace

std::string Request::command() const {
    for (std::string_view c : kCommands) {
        if (body.compare(0, c.size(), c) == 0) {
            return std::string(c);
        }
    }
    std::size_t n = 0;
    while (n < body.size() && !(body[n] >= '0' && body[n] <= '9')) {
        ++n;
    }
    return body.substr(0, n);
}

int Request::paramCount() const {
    const std::size_t start = command().size();
    return start >= body.size() ? 0 : static_cast<int>((body.size() - start) / 2);
}

int Request::param(int i) const {
    if (i < 0) {
        return -1;
    }
    return HexPair(body, command().size() + 2 * static_cast<std::size_t>(i));
}

Request ParseRequest(const std::string& text, std::int64_t number, double timeMs) {
    Request r;
    r.number = number;
    r.timeMs = timeMs;
    const std::size_t dollar = text.rfind('$');
    if (dollar == std::string::npos) {
        // A stray line feed before a bare "X" is still a bare "X".
        std::string clean;
        for (char c : text) {
            if (c != '\n') {
                clean += c;
            }
        }
        r.raw = clean;
        r.body = clean;
        return r;
    }
    r.addressed = true;
    r.raw = text.substr(dollar);
    r.address = HexPair(r.raw, 1);
    r.body = r.raw.size() > 3 ? r.raw.substr(3) : std::string();
    return r;
}

} // namespace rm27::sim
