// The calibration certificate as an A4 PDF. Needs a QGuiApplication (the
// fonts); r27ctl starts one on the offscreen platform for it.
#pragma once

#include "calibration/certificate.h"

namespace rm27 {

class QtCertificatePrinter final : public CertificatePrinter {
public:
    bool writePdf(const CertificateData& c, const std::string& path, Text& reason) override;
};

} // namespace rm27
