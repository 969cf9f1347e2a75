// One request frame as the converters on the line hear it.
#pragma once

#include <cstdint>
#include <string>

namespace rm27::sim {

// A frame is everything the host sent up to a CR. The converter needs no
// more than this to decide whether the frame is meant for it and what to do.
struct Request {
    // 1-based count of frames heard on the line since the bus was built
    // (every CR-terminated frame counts, also the bare "X" and frames that
    // nobody answers). The fault plan's at(n, ...) refers to this number.
    std::int64_t number = 0;
    // "$" + address + body. False for a bare frame such as the global "X".
    bool addressed = false;
    // The two hex digits after "$"; -1 when they are missing or not hex.
    int address = -1;
    // Command letters and parameters, e.g. "KW00050A", "ER05", "@", "X".
    std::string body;
    // The frame as heard, without its CR (leading junk before "$" removed).
    std::string raw;
    // When the frame's CR had fully arrived at the converters, virtual ms.
    double timeMs = 0.0;

    // The command letters at the start of body: "AUTO", "@", "ER", "EW",
    // "DEF", "KQ", "KB", "KW", "MK", "LT", "X"; for anything else the
    // leading run of non-digit characters.
    std::string command() const;
    // The i-th (0-based) two-hex-digit parameter after the command letters;
    // -1 when absent or not hex. "KW00050A": param(0)=0, (1)=5, (2)=10.
    int param(int i) const;
    // Number of complete two-character parameter fields after the command.
    int paramCount() const;
};

// Parses what a converter received between two CRs (CR excluded). Text
// before the last "$" is line noise and is dropped; a frame without "$" is
// kept as a bare frame (only the bare "X" means anything).
Request ParseRequest(const std::string& text, std::int64_t number, double timeMs);

} // namespace rm27::sim
