// r27ctl's guided load series: "procedure evaluate" reads the readings
// file a run wrote and prints the figures and the class, as text or as
// one JSON object. It needs no converter and no port.
#include <cmath>
#include <cstdio>

#include "cli/ctl_commands.h"
#include "cli/texts.h"
#include "procedure/evaluation.h"
#include "session/files.h"

namespace rm27 {

namespace {

namespace t = texts::cli;

const char* const kEvaluate = "procedure evaluate";

std::string Fixed(const std::optional<double>& v, int decimals) {
    if (!v) return "-";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, *v);
    return buf;
}

// Columns of 16 characters (not bytes: the headings have accents).
std::string Row(const std::vector<std::string>& cells) {
    std::string line;
    for (const std::string& cell : cells) {
        std::size_t width = 0;
        for (const char c : cell)
            width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        line += cell + std::string(width < 16 ? 16 - width : 1, ' ');
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line + "\n";
}

std::string FiguresText(const Evaluation& e, const Wording& wording) {
    const auto say = [&wording](const Text& text) { return text.render(wording); };
    std::string out = Row({say(Text(t::kLoadColumn)), say(Text(t::kDeflectionColumn)), "b (%)",
                           "b' (%)", "fc (%)", "v (%)"});
    for (const StepFigures& s : e.steps) {
        char load[32];
        std::snprintf(load, sizeof load, "%g", s.load);
        out += Row({load, Fixed(s.deflection, 6), Fixed(s.b, 4), Fixed(s.bPrime, 4), Fixed(s.fc, 4),
                    Fixed(s.v, 4)});
    }
    out += "\n" + Row({say(Text(t::kSeriesColumn)), "f0 (%)"});
    for (std::size_t k = 0; k < e.f0.size(); ++k)
        out += Row({std::to_string(k + 1), Fixed(e.f0[k], 4)});
    out += "\n" + say(Text(t::kWorst));
    for (const Figure f : kFigures)
        out += std::string("  ") + FigureName(f) + " " + Fixed(At(e.worst, f), 4);
    out += "\n" + say(Text(t::kPolynomial, e.degree));
    const char* const kNames[] = {"A", "B", "C"};
    for (std::size_t k = 0; k < e.coefficients.size() && k < 3; ++k) {
        char c[48];
        std::snprintf(c, sizeof c, "  %s = %.9g", kNames[k], e.coefficients[k]);
        out += c;
    }
    if (e.coefficients.empty()) out += "  -";
    const Text className = e.className ? Text::Value(*e.className) : Text(t::kNoClass);
    out += "\n" + say(Text(t::kClass, className)) + "\n";
    if (!e.missing.empty()) {
        out += say(Text(t::kUndetermined));
        for (const std::string& name : e.missing)
            out += " " + name;
        out += "\n";
    }
    return out;
}

bool ReadInto(const std::string& path, const FileKind& kind, std::string& text, std::ostream& err,
              const Wording& wording) {
    const Text why = ReadWholeFile(path, kind, text);
    if (why.empty()) return true;
    err << "r27ctl: " << path << ": " << why.render(wording) << std::endl;
    return false;
}

int Evaluate(const CtlOptions& o, std::ostream& out, std::ostream& err, const Wording& wording) {
    ClassTable classes = DefaultClassTable();
    std::string text;
    if (!o.classesFile.empty()) {
        if (!ReadInto(o.classesFile, kClassTableFile, text, err, wording)) return kExitRefused;
        ClassTableParse table = ParseClassTable(text);
        if (!table.ok()) {
            err << "r27ctl: " << o.classesFile << ": " << table.error.render(wording) << std::endl;
            return kExitRefused;
        }
        classes = std::move(table.table);
    }
    if (!ReadInto(o.readingsFile, kReadingsFile, text, err, wording)) return kExitRefused;
    const ReadingsParse readings = ParseReadings(text);
    if (!readings.ok()) {
        err << "r27ctl: " << o.readingsFile << ": " << readings.error.render(wording) << std::endl;
        return kExitRefused;
    }
    const Evaluation e = Evaluate(readings.readings, o.degree, classes);
    out << (o.json ? EvaluationJson(e) : FiguresText(e, wording)) << std::flush;
    return kExitOk;
}

} // namespace

void DescribeProcedureCommands(CLI::App& app, CtlOptions& o) {
    CLI::App* procedure =
        app.add_subcommand("procedure", "guided load series (no converter needed to evaluate)");
    procedure->require_subcommand(1);
    CLI::App* evaluate = AddCommand(
        *procedure, o, "evaluate",
        "the figures (b, b', fc, f0, v, per load and the worst) and the class of a readings file");
    evaluate->callback([&o] { o.command = kEvaluate; });
    evaluate->add_option("READINGS", o.readingsFile, "the readings file (CSV) a run wrote")
        ->required();
    evaluate->add_option("--degree", o.degree, "degree of the fitted polynomial, 1..3 (default 1)")
        ->type_name("D")
        ->check(WholeNumber(kMinDegree, kMaxDegree, "the degree"));
    evaluate
        ->add_option("--classes", o.classesFile,
                     "the class table (JSON or CSV) instead of the four usual classes")
        ->type_name("FILE");
    evaluate->add_flag("--json", o.json, "one JSON object instead of text")
        ->disable_flag_override();
}

std::optional<int> RunOfflineProcedureCommand(const CtlOptions& options, std::ostream& out,
                                              std::ostream& err, const Wording& wording) {
    if (options.command != kEvaluate) return std::nullopt;
    return Evaluate(options, out, err, wording);
}

} // namespace rm27
