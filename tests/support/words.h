// A command line as the shell would split it (no quoting needed in tests),
// and a program's output split into its lines.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace rm27::test {

inline std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

} // namespace rm27::test
