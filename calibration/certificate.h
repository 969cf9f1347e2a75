// The calibration certificate ("Kalibrační list") of one sensor: who and
// what was calibrated (sensor, converter, input, gain), the curve with each
// point's deviation from the end-point and least-squares lines, the
// largest linearity error, dates, validity, uncertainty and the program.
// The same content goes into a PDF (CertificatePrinter; QPdfWriter in the
// program) and a CSV for the lab's records.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "calibration/linearity.h"
#include "link/ekey.h"
#include "session/files.h"

namespace rm27 {

inline const std::string kCertificateTitle = "Kalibrační list";

struct CertificateData {
    std::string sensorId;
    std::string description;
    std::string unit;
    std::string numberFormat;
    std::string converterId; // the converter's answer to "@"
    int address = 0;
    int input = 1;    // 1..4
    bool ekey = true; // the sensor's eKey; false: the converter's internal copy
    int block = 0;    // block number the record belongs to
    int gainCode = 0; // 0..7
    bool signalMvV = true;
    LinearityReport linearity;
    std::string dateOfSave; // "YYMMDD"
    std::string validity;   // "YYMMDD"
    double uncertainty = 0; // %
    std::string sheetNumber;
    std::string program;
    CivilDateTime issued;
};

// The certificate of a record: texts trimmed, the curve's linearity.
CertificateData MakeCertificate(const SensorRecord& rec, const std::string& converterId,
                                int address, double uncertainty, const std::string& program,
                                const CivilDateTime& issued);

// "YYMMDD" as "DD.MM.20YY"; any other text trimmed as it is.
std::string CertificateDate(const std::string& yymmdd);

// The heading part, label and text, in the order both files show it.
std::vector<std::pair<std::string, std::string>> CertificateFields(const CertificateData& c);

// The point table with its headings and the largest deviations, as shown.
LinearityTexts CertificateTable(const CertificateData& c);

// The CSV: the fields as label,value rows, an empty row, the point table
// (numbers at full precision, "." as the decimal sign whatever the user's
// region, so that any spreadsheet reads them), an empty row, the largest
// deviations. Fields with a comma or a quote are quoted. Lines end in CR LF.
std::string CertificateCsv(const CertificateData& c);

class CertificatePrinter {
public:
    virtual ~CertificatePrinter() = default;
    // Writes the certificate as an A4 PDF. False with the reason.
    virtual bool writePdf(const CertificateData& c, const std::string& path, Text& reason) = 0;
};

// path with its extension replaced: "a/b.pdf", ".csv" -> "a/b.csv".
std::string WithExtension(const std::string& path, const std::string& extension);

} // namespace rm27
