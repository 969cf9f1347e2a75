// Certificates kept in memory, so that a test can look at what a command
// would have put on disk, or make the disk refuse.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "calibration/certificate.h"

namespace rm27::test {

class KeptCertificates final : public CertificatePrinter {
public:
    std::vector<std::pair<CertificateData, std::string>> written;
    std::string failWith; // not empty: every PDF fails with this reason
    bool writePdf(const CertificateData& c, const std::string& path, Text& reason) override {
        if (!failWith.empty()) {
            reason = Text::Value(failWith);
            return false;
        }
        written.emplace_back(c, path);
        return true;
    }
};

inline std::string ReadWholeText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace rm27::test
