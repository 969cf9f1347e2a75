// A CSV reader written for the tests from RFC 4180, knowing nothing of the
// program's writer: records end in CR LF or LF, a field in quotes may hold
// the separator, quotes (doubled) and line breaks.
#pragma once

#include <string>
#include <vector>

namespace rm27::test {

using CsvRecords = std::vector<std::vector<std::string>>;

// Fails (returns false) on a quote inside an unquoted field, text after a
// closing quote, a CR without its LF, or an unterminated quoted field.
inline bool ReadCsv(const std::string& text, char separator, CsvRecords& out) {
    out.clear();
    std::vector<std::string> record;
    std::string field;
    enum { Empty, Plain, Quoted, Closed } at = Empty; // within the current field
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (at == Quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else
                at = Closed;
        } else if (c == separator || c == '\r' || c == '\n') {
            if (c == '\r' && (i + 1 >= text.size() || text[++i] != '\n')) return false;
            record.push_back(field);
            field.clear();
            at = Empty;
            if (c == separator) continue;
            out.push_back(record);
            record.clear();
        } else if (c == '"' || at == Closed) {
            if (at != Empty) return false;
            at = Quoted;
        } else {
            field += c;
            at = Plain;
        }
    }
    if (at == Quoted) return false;
    if (at != Empty || !record.empty()) {
        record.push_back(field);
        out.push_back(record);
    }
    return true;
}

} // namespace rm27::test
