// The EEPROM image file (".eep"): plain text, one memory location per line,
// "LL VV" = location and value as two hexadecimal digits each, separated by
// one character; anything after the fifth column is a comment. Lines end
// with CR LF, CR or LF. Lines are applied in file order, so a location
// given twice takes its last value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/files.h"

namespace rm27 {

struct EepromByte {
    std::int32_t location = 0; // 0..255
    std::int32_t value = 0;    // 0..255
    bool operator==(const EepromByte&) const = default;
};

// A location may be given more than once, but not so often that a load
// runs for hours: four values for each of the 256 locations at most.
inline constexpr int kMaxEepLines = 1024;

struct EepParse {
    std::vector<EepromByte> bytes;
    // The first line that is neither blank nor of the form above: its
    // number (counting from 1) and its text; 0 when every line was usable.
    int badLine = 0;
    std::string badText;
    // More than kMaxEepLines lines with a value.
    bool tooManyLines = false;
    bool ok() const { return badLine == 0 && !tooManyLines; }
};

// The whole text is checked before anything is used: one bad line refuses
// the file (a line the converter would read as "location 0" must not be
// written), and so does a value line past kMaxEepLines. Blank lines are
// skipped.
EepParse ParseEep(const std::string& text);

// One line per byte, "LL VV" in upper-case hex, each ending in CR LF.
std::string FormatEep(const std::vector<EepromByte>& bytes);

} // namespace rm27
