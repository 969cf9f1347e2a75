// r27ctl's calibration commands: the window's "0", "2" and "x" buttons,
// "Zápis" of the filter and "Změnit" with a scripted editor (its fields
// typed in, or a calibration file opened). Each reads the converter as
// "Načíst" does, waits for the first answered measurement (the live
// readings the commands use), runs the window's operation and prints what
// changed. "calibration" and "certificate" only read: an input's record as
// the converter holds it, printed, saved to a calibration file, or made
// into a calibration certificate.
#include <algorithm>
#include <cmath>

#include "calibration/certificate.h"
#include "calibration/clb_file.h"
#include "calibration/commands.h"
#include "calibration/curve.h"
#include "calibration/texts.h"
#include "cli/ctl_commands.h"
#include "cli/ctl_runner.h"
#include "cli/texts.h"
#include "device/converter.h"
#include "link/codecs.h"
#include "link/memory.h"
#include "link/transact.h"
#include "session/measurement.h"

namespace rm27 {

namespace {

const char* const kZero = "zero";
const char* const kSpan = "span";
const char* const kFilter = "filter";
const char* const kCalibrate = "calibrate";
const char* const kCalibration = "calibration";
const char* const kCertificate = "certificate";

// The averaging lengths the editor's lists offer; 1 is "off".
const int kLengths[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 15, 20, 30, 40, 50};

int RowOfLength(int length) {
    const auto* it = std::find(std::begin(kLengths), std::end(kLengths), length);
    return static_cast<int>(it - std::begin(kLengths));
}

CLI::Validator AveragingLength(const std::string& what) {
    return CLI::Validator(
        [what](std::string& text) -> std::string {
            for (int n : kLengths) {
                if (text == std::to_string(n)) return {};
            }
            return text + ": " + what + " is 1 (off), 2..10, 12, 15, 20, 30, 40 or 50 readings";
        },
        "");
}

CLI::Validator FormatText() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            for (const char* f : kFormatRows) {
                if (text == f) return {};
            }
            return text + ": the format is one of ######0 ####0.0 ###0.00 ##0.000 #0.0000 "
                          "0.00000";
        },
        "");
}

// "0,5:100": a signal and a value as the user types them into the point
// dialog; each is read there with the decimal comma allowed, and goes into
// the eKey as its own float.
CLI::Validator PointText() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const auto colon = text.find(':');
            if (colon == std::string::npos || colon == 0 || colon + 1 == text.size() ||
                text.find(':', colon + 1) != std::string::npos) {
                return text + ": a point is SIGNAL:VALUE, e.g. 0,5:100";
            }
            std::string error = NumberError(text.substr(0, colon), "the signal", CheckDeviceFloat);
            if (error.empty())
                error = NumberError(text.substr(colon + 1), "the value", CheckDeviceFloat);
            return error;
        },
        "");
}

std::string Trimmed(const std::string& text) {
    return TrimBlanks(text);
}

// After "Načíst" the window shows live values from the second tick on; the
// commands take their readings from there.
bool WaitForLiveReading(CtlRunner& r) {
    Operations& ops = r.ops();
    for (int tick = 0; tick < CtlMonitor::kSilentTickLimit; ++tick) {
        DelayMs(ops.port, kMeasurementIntervalMs);
        if (ops.cancelled()) return false;
        if (MeasurementTick(ops)) return true;
        if (!ops.port.line.isOpen()) break;
    }
    r.sayError(Text(texts::cli::kNoMeasurement));
    return false;
}

std::string KText(double k) {
    return Trimmed(FormatWhole(k, kFormatK)) + " (" + SingleText(static_cast<float>(k)) + ")";
}

std::string QText(double q) {
    return Trimmed(FormatWhole(q, kFormatQ));
}

std::string FilterText(int code) {
    return std::to_string(code) + " (" + Trimmed(kFilterRows[static_cast<std::size_t>(code & 15)]) +
           ")";
}

int Zero(CtlRunner& r) {
    const int i = r.options().input - 1;
    const double before = r.state().Q[static_cast<std::size_t>(i)];
    const Result outcome = SetmVVKQ(r.ops(), i);
    if (outcome == ResultCode::Ok) {
        r.out() << "input " << i + 1 << ": Q " << QText(before) << " -> "
                << QText(r.state().Q[static_cast<std::size_t>(i)]) << " (cells " << CellQ(i) << ".."
                << CellQ(i) + 3 << ")" << std::endl;
    }
    return ExitOf(outcome);
}

int Span(CtlRunner& r) {
    const CtlOptions& o = r.options();
    const int i = o.input - 1;
    const double before = r.state().K[static_cast<std::size_t>(i)];
    int index = kInputCount + i;
    if (o.mvvGiven) {
        // The "x" button: its input box gets the value as typed.
        r.view().answerInputWith(o.mvv);
        index = 2 * kInputCount + i;
    }
    const Result outcome = SetmVVKQ(r.ops(), index);
    if (outcome == ResultCode::Ok) {
        r.out() << "input " << i + 1 << ": K " << KText(before) << " -> "
                << KText(r.state().K[static_cast<std::size_t>(i)]) << " mV/V per division (cells "
                << CellK(i) << ".." << CellK(i) + 3 << ")" << std::endl;
    }
    return ExitOf(outcome);
}

int Filter(CtlRunner& r) {
    const int before = r.state().FilterCode;
    const Result outcome = WriteFilter(r.ops(), r.options().filterCode);
    if (outcome == ResultCode::Ok) {
        r.out() << "filter: " << FilterText(before) << " -> " << FilterText(r.state().FilterCode)
                << " (cell " << kCellFilter << ")" << std::endl;
    }
    return ExitOf(outcome);
}

// The editor as the command line fills it: the sensor's old points go, the
// given fields and points come in through the editor's own handlers (so the
// limit of nine points and the duplicate check apply), or the given
// calibration file is opened through its menu (so the file's checks
// apply), then "Uložit kalibraci"; whatever stops the save ends the run
// with "Storno".
class CommandLineEditor final : public ScriptedCalibrationEditor {
public:
    explicit CommandLineEditor(CtlRunner& r)
        : ScriptedCalibrationEditor(r.ops()), runner_(r), options_(r.options()) {
        model_.files = r.calibrationTools().files;
        model_.program = r.calibrationTools().program;
    }

    void Show() override {
        Activate();
        if (!options_.fromFile.empty()) {
            runner_.view().answerFileWith(options_.fromFile);
            SaveOrCancel(model_.mFileOpen_Click());
            return;
        }
        DeleteAllPoints();
        EditorFields& f = model_.fields;
        f.txtPopis = options_.description;
        if (options_.unit) f.txtJednotka = *options_.unit;
        if (options_.format) {
            const auto* it = std::find_if(kFormatRows.begin(), kFormatRows.end(),
                                          [&](const char* row) { return *options_.format == row; });
            f.cmbFormat = static_cast<int>(it - kFormatRows.begin());
        }
        if (options_.gain) f.cmbGain = *options_.gain;
        if (options_.slide) f.cmbSlide = RowOfLength(*options_.slide);
        if (options_.fast) f.cmbSlideRychl = RowOfLength(*options_.fast);
        bool refused = false;
        for (const std::string& point : options_.points) {
            const auto colon = point.find(':');
            refused = !AddPoint(point.substr(0, colon), point.substr(colon + 1)) || refused;
        }
        SaveOrCancel(!refused);
    }

private:
    CtlRunner& runner_;
    const CtlOptions& options_;
};

std::string BlockText(const SensorRecord& rec) {
    const std::int32_t block = BlockNumber(rec.adr, rec.subAdr);
    if (rec.adr < kInputCount) {
        return "the eKey of input " + std::to_string(rec.adr + 1) + " (block " +
               std::to_string(block) + ")";
    }
    return "the internal copy of input " + std::to_string(rec.subAdr + 1) + " (block " +
           std::to_string(block) + ")";
}

// A record as the editor shows it, one field a line, then its curve.
void PrintRecord(std::ostream& out, const TerminalView& view, const SensorRecord& rec, bool full) {
    PointTable points;
    EditorFields fields;
    LoadCalibration(points, rec, rec.adr, rec.subAdr, fields);
    out << "  description  " << Trimmed(rec.description) << "\n"
        << "  unit         " << Trimmed(rec.unit) << "\n"
        << "  format       " << Trimmed(rec.numberFormat) << "\n"
        << "  gain         "
        << Trimmed(view.shown(Text(texts::calibration::kGainRows[rec.gainCode & 7]))) << "\n"
        << "  averaging    " << rec.slidingLength << ", fast " << rec.fastSlidingLength << "\n"
        << "  identifier   " << Trimmed(rec.sensorId) << "\n"
        << "  saved        " << rec.dateOfSave << "\n";
    if (full) {
        out << "  validity     " << rec.validity << "\n"
            << "  limit        " << SingleText(rec.limit) << "\n";
    }
    out << "  " << view.shown(fields.lblCurveSignalPopis) << "  value\n";
    for (const std::string& line : fields.lstKrivka)
        out << "  " << line.substr(0, line.find_last_not_of(' ') + 1) << "\n";
    out.flush();
}

int Calibrate(CtlRunner& r) {
    const int i = r.options().input - 1;
    const SensorRecord target = r.state().records[static_cast<std::size_t>(i)];
    CommandLineEditor editor(r);
    bool reread = false;
    const CalibrationRun run =
        ChangeCalibration(r.ops(), i, editor, [&](Operations&) { reread = r.devRead(); });
    // Cancelled: the reason is printed.
    if (run.tag == EditorTag::None) return ExitOf(ResultCode::Cancelled);
    if (run.tag != EditorTag::Store) return ExitOf(ResultCode::Refused);
    // Nothing sent: the block's old content or the journal was not to be had.
    if (run.built.size() > 0 && run.write.refused()) return ExitOf(ResultCode::Refused);
    // A failed build or write: its message is printed.
    if (!run.stored()) return ExitOf(ResultCode::Failed);
    r.out() << "input " << i + 1 << ": calibration stored in " << BlockText(target) << ", "
            << run.image.size() << " bytes (journal entry " << run.write.entry.id << ")"
            << std::endl;
    // The message of a block that did not read back as written, or could
    // not be read back, is printed.
    if (!reread || run.checkResult != WriteCheckResult::Same)
        return ExitOf(ResultCode::NotConfirmed);

    // What the converter gives back now.
    PrintRecord(r.out(), r.view(), r.state().records[static_cast<std::size_t>(i)], false);
    return kExitOk;
}

// The input's record as read, when there is one: a record that stands in
// for an unreadable block is no sensor's calibration.
const SensorRecord* ReadRecord(CtlRunner& r) {
    const auto i = static_cast<std::size_t>(r.options().input - 1);
    if (r.state().sources[i] == InputSource::EKey || r.state().sources[i] == InputSource::Internal)
        return &r.state().records[i];
    r.sayError(Text(texts::cli::kNoCalibrationToRead, static_cast<int>(i) + 1));
    return nullptr;
}

int Calibration(CtlRunner& r) {
    const SensorRecord* rec = ReadRecord(r);
    if (rec == nullptr) return kExitRefused;
    const int input = r.options().input;
    const std::string& path = r.options().saveFile;
    if (path.empty()) {
        r.out() << "input " << input << ": " << BlockText(*rec) << "\n";
        PrintRecord(r.out(), r.view(), *rec, true);
        return kExitOk;
    }
    const CalibrationTools& tools = r.calibrationTools();
    Text reason(texts::calibration::kNoFileStore);
    if (tools.files == nullptr ||
        !tools.files->writeGroup(path, CalibrationGroup(kClbMenuGroup, *rec, tools.program),
                                 reason)) {
        r.err() << "Write data to file failed. \n"
                << path << "\n"
                << r.view().shown(reason) << std::endl;
        return kExitRefused;
    }
    r.out() << "input " << input << ": calibration from " << BlockText(*rec) << " saved to " << path
            << " [" << kClbMenuGroup << "]" << std::endl;
    return kExitOk;
}

int Certificate(CtlRunner& r) {
    const SensorRecord* rec = ReadRecord(r);
    if (rec == nullptr) return kExitRefused;
    const CtlOptions& o = r.options();
    const CalibrationTools& tools = r.calibrationTools();
    // --uncertainty and --validity were checked on the command line; a
    // record's dates from the converter are checked here.
    CertificateStated stated;
    double uncertainty = 0;
    if (o.uncertainty && ParseNumber(*o.uncertainty, uncertainty)) stated.uncertainty = uncertainty;
    stated.validity = o.validity;
    stated.serialNumber = o.serial;
    const CertificateData c = MakeCertificate(*rec, r.state().DeviceId, r.state().DeviceAddress,
                                              stated, tools.program, r.ops().clock.now());
    InputCheck dates = CheckDate(c.dateOfSave, texts::calibration::kFieldDateOfSave);
    if (dates) dates = CheckDate(c.validity, texts::calibration::kFieldValidity);
    if (!dates) {
        r.err() << r.view().shown(dates.message()) << std::endl;
        return kExitRefused;
    }
    Text reason(texts::calibration::kNoPdfWriter);
    if (tools.certificates == nullptr || !tools.certificates->writePdf(c, o.pdfFile, reason)) {
        r.err() << TerminalText(r.view().shown(
                       Text(texts::calibration::kCertificateNotSaved, o.pdfFile, reason)))
                << std::endl;
        return kExitRefused;
    }
    if (!o.csvFile.empty()) {
        if (const Text why = WriteWholeFile(o.csvFile, CertificateCsv(c)); !why.empty()) {
            r.err() << TerminalText(r.view().shown(
                           Text(texts::calibration::kCertificateNotSaved, o.csvFile, why)))
                    << std::endl;
            return kExitRefused;
        }
    }
    r.out() << "input " << o.input << ": " << kCertificateTitle << " " << c.sensorId << " -> "
            << o.pdfFile;
    if (!o.csvFile.empty()) r.out() << ", " << o.csvFile;
    r.out() << "\n";
    const LinearityTexts t = CertificateTable(c);
    r.out() << "  "
            << (t.largestEndPoint.empty() ? "no linearity: fewer than two distinct points"
                                          : r.view().shown(t.largestEndPoint))
            << "\n";
    if (!t.largestLeastSquares.empty())
        r.out() << "  " << r.view().shown(t.largestLeastSquares) << "\n";
    r.out().flush();
    return kExitOk;
}

void AddInput(CLI::App* sub, CtlOptions& o) {
    sub->add_option("I", o.input, "the input, 1..4 as the window's columns")
        ->required()
        ->check(WholeNumber(1, 4, "the input"));
}

void DescribeLiveCommands(CLI::App& app, CtlOptions& o) {
    AddInput(AddCommand(app, o, kZero,
                        "set the zero of input I from its live reading (the \"0\" button)"),
             o);
    CLI::App* span =
        AddCommand(app, o, kSpan,
                   "set the slope of input I against 2 mV/V, or against X mV/V (\"2\" / \"x\")");
    AddInput(span, o);
    span->add_option_function<std::string>(
            "--mvv",
            [&o](const std::string& x) {
                o.mvv = x;
                o.mvvGiven = true;
            },
            "the mV/V applied now (decimal comma allowed); 0 is refused")
        ->type_name("X")
        ->check(Number("the mV/V", CheckSingle));
    AddCommand(app, o, kFilter, "write the measuring filter, 0..15 (\"Zápis\")")
        ->add_option("CODE", o.filterCode, "the filter row, 0 = Stopped .. 15 = 4.17 Hz")
        ->required()
        ->check(WholeNumber(0, 15, "the filter code"));
}

// The record's fields and points as typed on the command line.
std::vector<CLI::Option*> AddTypedRecord(CLI::App* cal, CtlOptions& o) {
    std::vector<CLI::Option*> typed;
    typed.push_back(
        cal->add_option("--description", o.description, "the sensor's description (32 characters)")
            ->type_name("TEXT"));
    typed.push_back(
        cal->add_option_function<std::string>(
               "--unit", [&o](const std::string& u) { o.unit = u; }, "unit (6 characters)")
            ->type_name("U"));
    typed.push_back(cal->add_option_function<std::string>(
                           "--format", [&o](const std::string& f) { o.format = f; },
                           "display format: ######0 ####0.0 ###0.00 ##0.000 #0.0000 0.00000")
                        ->type_name("F")
                        ->check(FormatText()));
    typed.push_back(
        cal->add_option_function<int>(
               "--gain", [&o](const int& g) { o.gain = g; }, "gain code 0..7 (1x..128x)")
            ->type_name("G")
            ->check(WholeNumber(0, 7, "the gain code")));
    typed.push_back(
        cal->add_option_function<int>(
               "--slide", [&o](const int& n) { o.slide = n; }, "averaging length (1 = off)")
            ->type_name("N")
            ->check(AveragingLength("the averaging length")));
    typed.push_back(
        cal->add_option_function<int>(
               "--fast", [&o](const int& n) { o.fast = n; }, "fast averaging length (1 = off)")
            ->type_name("N")
            ->check(AveragingLength("the fast averaging length")));
    typed.push_back(cal->add_option("--point", o.points,
                                    "a curve point: signal in mV/V and value, e.g. 0,5:100; "
                                    "repeat for each point (2 to 9); they replace the sensor's "
                                    "curve")
                        ->type_name("SIGNAL:VALUE")
                        ->expected(1)
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                        ->check(PointText()));
    return typed;
}

void DescribeCalibrate(CLI::App& app, CtlOptions& o) {
    CLI::App* cal = AddCommand(
        app, o, kCalibrate,
        "build the record as \"Uložit kalibraci\" does and store it in input I's eKey (or the "
        "internal copy it was read from); asks first, --yes answers");
    AddInput(cal, o);
    CLI::Option* from =
        cal->add_option("--from", o.fromFile,
                        "open this calibration file (.CLB) in the editor instead of typing the "
                        "fields and points: its group [Kalibrace\\SnimacNN] of the input, else "
                        "[Kalibrace], is checked and stored")
            ->type_name("FILE.CLB");
    for (CLI::Option* option : AddTypedRecord(cal, o))
        from->excludes(option);
    cal->parse_complete_callback([cal] {
        if (cal->count("--from") > 0) return;
        if (cal->count("--description") == 0 || cal->count("--point") == 0) {
            throw CLI::ValidationError("calibrate",
                                       "give --from FILE.CLB, or --description TEXT and the "
                                       "curve's --point SIGNAL:VALUE");
        }
    });
}

void DescribeShow(CLI::App& app, CtlOptions& o) {
    CLI::App* show =
        AddCommand(app, o, kCalibration,
                   "print input I's calibration as read (eKey or internal copy), or save it to a "
                   "calibration file");
    AddInput(show, o);
    show->add_option("--save", o.saveFile,
                     "write it to this calibration file (.CLB), group [Kalibrace]; the file's "
                     "other groups stay")
        ->type_name("FILE.CLB");
}

void DescribeCertificate(CLI::App& app, CtlOptions& o) {
    CLI::App* cert = AddCommand(app, o, kCertificate,
                                "write the calibration certificate (\"Kalibrační list\") of input "
                                "I's calibration as read: an A4 PDF, and a CSV when asked");
    AddInput(cert, o);
    cert->add_option("--pdf", o.pdfFile, "the PDF to write")->required()->type_name("FILE");
    cert->add_option("--csv", o.csvFile, "also write the certificate as CSV")->type_name("FILE");
    cert->add_option_function<std::string>(
            "--uncertainty", [&o](const std::string& u) { o.uncertainty = u; },
            "the uncertainty to state, 0..100 % (decimal comma allowed); default: the "
            "record's")
        ->type_name("PCT")
        ->check(Number("the uncertainty", CheckPercent));
    cert->add_option_function<std::string>(
            "--validity", [&o](const std::string& v) { o.validity = v; },
            "the calibration's validity to state, YYMMDD; default: the record's")
        ->type_name("YYMMDD")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                return CheckDate(text, Text::Value("the validity"))
                           ? std::string()
                           : text + ": the validity is YYMMDD of a day that exists";
            },
            ""));
    cert->add_option_function<std::string>(
            "--serial", [&o](const std::string& s) { o.serial = s; },
            "the sensor's serial number to state; default: none")
        ->type_name("S/N");
}

} // namespace

void DescribeCalibrationCommands(CLI::App& app, CtlOptions& o) {
    DescribeLiveCommands(app, o);
    DescribeCalibrate(app, o);
    DescribeShow(app, o);
    DescribeCertificate(app, o);
}

std::optional<int> RunCalibrationCommand(CtlRunner& r) {
    const std::string& c = r.options().command;
    if (c == kCalibration || c == kCertificate) {
        if (!r.devRead()) return kExitNoAnswer;
        return c == kCalibration ? Calibration(r) : Certificate(r);
    }
    if (c != kZero && c != kSpan && c != kFilter && c != kCalibrate) return std::nullopt;
    if (!r.devRead()) return kExitNoAnswer;
    if (!WaitForLiveReading(r)) return kExitNoAnswer;
    if (c == kZero) return Zero(r);
    if (c == kSpan) return Span(r);
    if (c == kFilter) return Filter(r);
    return Calibrate(r);
}

} // namespace rm27
