// A CSV reader written for the tests from RFC 4180, knowing nothing of the
// program's writer: records end in CR LF or LF, a field in quotes may hold
// the separator, quotes (doubled) and line breaks.
#pragma once

#include <string>
#include <vector>

namespace rm27::test {

using CsvRecords = std::vector<std::vector<std::string>>;

// Fails (returns false) on a quote inside an unquoted field, text after a
// closing quote, or an unterminated quoted field.
inline bool ReadCsv(const std::string& text, char separator, CsvRecords& out) {
    out.clear();
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;    // inside quotes
    bool wasQuoted = false; // the current field was quoted and closed
    bool fieldStarted = false;
    auto endField = [&] {
        record.push_back(field);
        field.clear();
        wasQuoted = false;
        fieldStarted = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
                wasQuoted = true;
            }
            continue;
        }
        if (c == separator) {
            endField();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) return false;
            if (c == '\r') ++i;
            endField();
            out.push_back(record);
            record.clear();
        } else if (c == '"') {
            if (fieldStarted || wasQuoted) return false;
            quoted = true;
            fieldStarted = true;
        } else {
            if (wasQuoted) return false;
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted) return false;
    if (fieldStarted || wasQuoted || !record.empty()) {
        endField();
        out.push_back(record);
    }
    return true;
}

} // namespace rm27::test
