// The lines and fields of the procedure's CSV files. They hold words and
// numbers only, so there is no quoting to undo.
#pragma once

#include <string>
#include <vector>

namespace rm27 {

inline std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (const char c : line) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// take(line, number) for each line without its CR LF or LF, counting from
// 1, until it returns false. An empty text is one empty line; the line end
// of the last line does not start another.
template <class Take> void ForEachLine(const std::string& text, Take take) {
    std::size_t at = 0;
    for (int number = 1; at < text.size() || number == 1; ++number) {
        std::size_t eol = text.find('\n', at);
        if (eol == std::string::npos) eol = text.size();
        std::string line = text.substr(at, eol - at);
        at = eol + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!take(line, number)) return;
    }
}

} // namespace rm27
