// A command line as the shell would split it (no quoting needed in tests).
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

} // namespace rm27::test
