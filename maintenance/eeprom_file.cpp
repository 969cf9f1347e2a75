#include "maintenance/eeprom_file.h"

#include "link/codecs.h"
#include "link/doubt.h"

namespace rm27 {

namespace {

constexpr std::size_t kLineColumns = 5; // "LL VV"

bool IsBlank(const std::string& line) {
    return line.find_first_not_of(" \t") == std::string::npos;
}

// HexToLong alone would read a stray ":" as a digit and any other text as
// 0: only real hex digits may reach it.
bool ParseLine(const std::string& line, EepromByte& out) {
    if (line.size() < kLineColumns) return false;
    for (std::size_t column : {0u, 1u, 3u, 4u}) {
        if (!IsHexDigit(line[column])) return false;
    }
    out.location = HexToLong(line.substr(0, 2));
    out.value = HexToLong(line.substr(3, 2));
    return true;
}

} // namespace

EepParse ParseEep(const std::string& text) {
    EepParse result;
    std::size_t at = 0;
    // An editor's byte-order mark is not part of the first line.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) at = 3;
    int number = 0;
    while (at < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", at);
        const std::string line =
            text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        ++number;
        if (end == std::string::npos)
            at = text.size();
        else
            at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (IsBlank(line)) continue;
        EepromByte byte;
        if (!ParseLine(line, byte)) {
            result.bytes.clear();
            result.badLine = number;
            result.badText = line;
            return result;
        }
        result.bytes.push_back(byte);
        if (result.bytes.size() > static_cast<std::size_t>(kMaxEepLines)) {
            result.bytes.clear();
            result.tooManyLines = true;
            return result;
        }
    }
    return result;
}

std::string FormatEep(const std::vector<EepromByte>& bytes) {
    std::string text;
    text.reserve(bytes.size() * 7);
    for (const EepromByte& b : bytes)
        text += LongToHex(b.location, 2) + " " + LongToHex(b.value, 2) + "\r\n";
    return text;
}

} // namespace rm27
