// The calibration certificate ("Kalibrační list") of one sensor: who and
// what was calibrated (sensor, converter, input, gain), the curve with each
// point's deviation from the end-point and least-squares lines, the
// largest linearity error, dates, validity, uncertainty and the program.
// The same content goes into a PDF (CertificatePrinter; QPdfWriter in the
// program) and a CSV for the lab's records.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "calibration/linearity.h"
#include "link/ekey.h"
#include "session/files.h"
#include "session/input_checks.h"

namespace rm27 {

inline const std::string kCertificateTitle = "Kalibrační list";

struct CertificateData {
    std::string sensorId;
    std::string serialNumber;
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

// What a certificate states as the user typed it rather than as the
// record holds it. Building an eKey image leaves these alone (the eKey has
// no room for them, and its validity is the one it was built with), so the
// editor's boxes and r27ctl's options are where they come from. What is
// not given is the record's.
struct CertificateStated {
    std::optional<double> uncertainty;   // %
    std::optional<std::string> validity; // "YYMMDD"
    std::optional<std::string> serialNumber;
    std::optional<std::string> sheetNumber;
};

// The uncertainty (a number 0..100, decimal comma allowed) and the validity
// (blank, or "YYMMDD" of a day that exists) as typed into `stated`; the
// first one refused, named by `uncertaintyField` or `validityField`, ends
// the check and `stated` keeps what passed.
InputCheck ReadStated(const std::string& uncertainty, const std::string& validity,
                      CertificateStated& stated, const Text& uncertaintyField,
                      const Text& validityField);

// The certificate of a record: texts trimmed, the curve's linearity, and
// what `stated` gives in place of the record's.
CertificateData MakeCertificate(const SensorRecord& rec, const std::string& converterId,
                                int address, const CertificateStated& stated,
                                const std::string& program, const CivilDateTime& issued);

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
