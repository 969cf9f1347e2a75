#include "calibration/certificate.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>

#include "calibration/clb_file.h"
#include "calibration/texts.h"
#include "link/codecs.h"
#include "link/memory.h"
#include "session/device_state.h"
#include "watch/csv_format.h"

namespace rm27 {

namespace {

const char* const kUncertaintyFormat = "##0.0###";

// Six significant digits, "." whatever the region: a deviation needs no
// more, and a spreadsheet reads it anywhere.
std::string PlainNumber(double value) {
    if (std::isnan(value)) return "";
    char buffer[32];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, r.ptr);
}

std::string Dash(const std::string& text) {
    return text.empty() ? "–" : text;
}

std::vector<std::pair<std::string, std::string>> Fields(const CertificateData& c, bool plain) {
    const std::string uncertainty =
        plain ? PlainNumber(c.uncertainty)
              : TrimBlanks(FormatFixed(c.uncertainty, kUncertaintyFormat));
    const LinearityReport& r = c.linearity;
    std::string largest = "–";
    if (r.valid &&
        !std::isnan(r.deviations[static_cast<std::size_t>(r.largestEndPoint)].endPointPct)) {
        const double pct = r.deviations[static_cast<std::size_t>(r.largestEndPoint)].endPointPct;
        largest = (plain ? PlainNumber(pct) : TrimBlanks(FormatFixed(pct, "##0.000"))) +
                  " % rozsahu (od přímky krajních bodů, bod " +
                  std::to_string(r.largestEndPoint + 1) + ")";
    }
    std::vector<std::pair<std::string, std::string>> f = {
        {"Identifikátor snímače", Dash(c.sensorId)},
        {"Popis", Dash(c.description)},
        {"Jednotka", Dash(c.unit)},
        {"Převodník", Dash(c.converterId)},
        {"Adresa převodníku", std::to_string(c.address)},
        {"Vstup", std::to_string(c.input) + (c.ekey ? " (eKey" : " (vnitřní kopie") + ", blok " +
                      std::to_string(c.block) + ")"},
        {"Zesílení", TrimBlanks(texts::calibration::kGainRows[c.gainCode & 7].czech)},
        {"Datum uložení", Dash(CertificateDate(c.dateOfSave))},
        {"Platnost kalibrace", Dash(CertificateDate(c.validity))},
        {"Nejistota", uncertainty + " %"},
        {"Největší chyba linearity", largest},
    };
    if (!c.serialNumber.empty()) f.insert(f.begin() + 1, {"Výrobní číslo", c.serialNumber});
    if (!c.sheetNumber.empty())
        f.insert(f.begin() + 1, {"Číslo kalibračního listu", c.sheetNumber});
    f.emplace_back("Vystaveno", CertificateDate(DateYYMMDD(c.issued)));
    f.emplace_back("Program", c.program);
    return f;
}

} // namespace

InputCheck ReadStated(const std::string& uncertainty, const std::string& validity,
                      CertificateStated& stated, const Text& uncertaintyField,
                      const Text& validityField) {
    double percent = 0;
    const InputCheck u = CheckTyped(uncertainty, CheckPercent, uncertaintyField, percent);
    if (!u) return u;
    stated.uncertainty = percent;
    const InputCheck v = CheckDate(validity, validityField);
    if (!v) return v;
    stated.validity = TrimBlanks(validity);
    return {};
}

CertificateData MakeCertificate(const SensorRecord& rec, const std::string& converterId,
                                int address, const CertificateStated& stated,
                                const std::string& program, const CivilDateTime& issued) {
    const auto given = [](const std::optional<std::string>& typed, const std::string& kept) {
        return TrimBlanks(typed ? *typed : kept);
    };
    CertificateData c;
    c.sensorId = TrimBlanks(rec.sensorId);
    c.serialNumber = given(stated.serialNumber, rec.serialNumber);
    c.description = TrimBlanks(rec.description);
    c.unit = TrimBlanks(rec.unit);
    c.numberFormat = TrimBlanks(rec.numberFormat);
    c.converterId = TrimBlanks(converterId);
    c.address = address;
    c.input = InputOfBlock(rec.adr, rec.subAdr);
    c.ekey = rec.adr < kInputCount;
    c.block = BlockNumber(rec.adr, rec.subAdr);
    c.gainCode = rec.gainCode;
    c.signalMvV = (rec.curveFlags & kCurveSignalMvV) != 0;
    std::vector<CurveSample> points;
    for (int k = 0; k < std::clamp(rec.pointCount, 0, kMaxPoints); ++k) {
        const auto i = static_cast<std::size_t>(k);
        points.push_back({rec.pointSignals[i], rec.userValues[i]});
    }
    c.linearity = Linearity(points);
    c.dateOfSave = TrimBlanks(rec.dateOfSave);
    c.validity = given(stated.validity, rec.validity);
    c.uncertainty = stated.uncertainty.value_or(rec.uncertainty);
    c.sheetNumber = given(stated.sheetNumber, rec.sheetNumber);
    c.program = program;
    c.issued = issued;
    return c;
}

std::string CertificateDate(const std::string& yymmdd) {
    const std::string t = TrimBlanks(yymmdd);
    if (t.size() != 6 || t.find_first_not_of("0123456789") != std::string::npos) return t;
    return t.substr(4, 2) + "." + t.substr(2, 2) + ".20" + t.substr(0, 2);
}

std::vector<std::pair<std::string, std::string>> CertificateFields(const CertificateData& c) {
    return Fields(c, false);
}

LinearityTexts CertificateTable(const CertificateData& c) {
    return LinearityTable(c.linearity, c.numberFormat, c.signalMvV, c.unit);
}

std::string CertificateCsv(const CertificateData& c) {
    std::string csv = CsvRecord({kCertificateTitle}, kCsvComma);
    for (const auto& [label, value] : Fields(c, true))
        csv += CsvRecord({label, value}, kCsvComma);
    csv += "\r\n";
    const LinearityTexts t = CertificateTable(c);
    // The sheet is a Czech document, whoever prints it.
    std::vector<std::string> headers;
    for (const Text& h : t.headers)
        headers.push_back(h.czech());
    csv += CsvRecord(headers, kCsvComma);
    const LinearityReport& r = c.linearity;
    for (std::size_t k = 0; k < r.points.size(); ++k) {
        std::vector<std::string> row = {std::to_string(k + 1),
                                        SingleText(static_cast<float>(r.points[k].signal)),
                                        SingleText(static_cast<float>(r.points[k].value))};
        if (r.valid) {
            const PointDeviation& d = r.deviations[k];
            for (double v : {d.endPoint, d.endPointPct, d.leastSquares, d.leastSquaresPct})
                row.push_back(PlainNumber(v));
        }
        csv += CsvRecord(row, kCsvComma);
    }
    if (r.valid) {
        csv += "\r\n";
        const auto largest = [&](const char* what, int at, double PointDeviation::*value,
                                 double PointDeviation::*pct) {
            const PointDeviation& d = r.deviations[static_cast<std::size_t>(at)];
            return CsvRecord({std::string("Největší odchylka od ") + what, std::to_string(at + 1),
                              PlainNumber(d.*value), PlainNumber(d.*pct)},
                             kCsvComma);
        };
        csv += CsvRecord({"", "Bod", "Odchylka", "[% rozsahu]"}, kCsvComma);
        csv += largest("přímky krajních bodů", r.largestEndPoint, &PointDeviation::endPoint,
                       &PointDeviation::endPointPct);
        csv += largest("přímky nejmenších čtverců", r.largestLeastSquares,
                       &PointDeviation::leastSquares, &PointDeviation::leastSquaresPct);
    }
    return csv;
}

std::string WithExtension(const std::string& path, const std::string& extension) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + extension;
    return path.substr(0, dot) + extension;
}

} // namespace rm27
