#include "cli/ctl_options.h"

#include <CLI/CLI.hpp>

#include "cli/ctl_commands.h"

#include <cctype>
#include <charconv>

namespace rm27 {

namespace {

constexpr int kPortCount = 15; // COM1..COM15, as the window lists them

// Whole decimal numbers only: an address typed as "3,6" or "0x10" is more
// likely a slip than a wish.
bool ParseInt(const std::string& text, int& out) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, out);
    return first != last && ec == std::errc() && ptr == last;
}

bool LooksLikeComName(const std::string& text) {
    if (text.size() < 4) return false;
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != "COM"[i]) return false;
    }
    for (std::size_t i = 3; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

const char* const kFooter =
    "Exit status: 0 success, 1 the converter did not answer or failed the command,\n"
    "2 usage error, 3 the port could not be opened, 4 a check refused the command\n"
    "(or a question was answered No).";

} // namespace

CLI::Validator WholeNumber(int lo, int hi, const std::string& what) {
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            int n = 0;
            if (!ParseInt(text, n) || n < lo || n > hi) {
                return text + ": " + what + " is a whole number " + std::to_string(lo) + " to " +
                       std::to_string(hi);
            }
            return {};
        },
        std::to_string(lo) + ".." + std::to_string(hi));
}

std::string NumberError(const std::string& text, const std::string& what,
                        InputCheck (*check)(double, const Text&)) {
    double value = 0;
    if (!ParseNumber(text, value)) {
        return text + ": " + what +
               " is a number: digits with one decimal point or comma and an optional exponent "
               "(12, 0,5, 1e-3)";
    }
    const InputCheck c = check(value, Text::Value(what));
    return c ? std::string() : text + ": " + what + " cannot be stored: " + c.rangeInEnglish();
}

CLI::Validator Number(const std::string& what, InputCheck (*check)(double, const Text&)) {
    return CLI::Validator(
        [=](std::string& text) -> std::string { return NumberError(text, what, check); }, "");
}

CLI::App* AddCommand(CLI::App& app, CtlOptions& o, const char* name, const char* what) {
    CLI::App* sub = app.add_subcommand(name, what);
    sub->callback([&o, word = std::string(name)] { o.command = word; });
    sub->footer(kFooter);
    return sub;
}

namespace {

// Builds the whole command line; the parsed values land in `o`.
void Describe(CLI::App& app, CtlOptions& o) {
    app.description("Talks to an RM-27/RMU converter over a serial line (9600 baud, 8N1).");
    app.footer(kFooter);
    app.fallthrough();
    app.require_subcommand(1);
    app.set_help_flag("-h,--help", "show this text (after a command: the command's help)");
    app.get_formatter()->column_width(30);

    auto* port = app.add_option("--port", o.port,
                                "device path (/dev/ttyUSB0) or COMn as the window numbers the "
                                "ports (default COM1)")
                     ->type_name("DEVICE")
                     ->check(CLI::Validator(
                         [](std::string& text) -> std::string {
                             if (text.empty()) return "--port needs a device or COMn";
                             if (LooksLikeComName(text) && ComPortNumber(text) == 0)
                                 return text + ": the ports are COM1 to COM15";
                             return {};
                         },
                         ""));
    auto* simulator =
        app.add_flag("--simulator", o.simulator, "use a built-in simulated converter at address 1");
    port->excludes(simulator);
    app.add_option("--address", o.address,
                   "address of the converter, 0..159 (default 0, any one converter)")
        ->type_name("N")
        ->check(WholeNumber(0, 159, "the address"));
    app.add_flag("--log-frames", o.logFrames, "log every frame sent and received to stderr");
    app.add_flag("-v,--verbose", o.verbose, "show the status lines on stderr");
    app.add_flag("-y,--yes", o.yes, "answer Yes to the command's questions");
    app.add_flag("--version", o.version, "show the version");
    app.add_option("--lang", o.lang,
                   "the language of the converter's texts: en or cs (default: the system's, "
                   "Czech for cs, sk or none)")
        ->type_name("en|cs")
        ->check(CLI::IsMember({"en", "cs", "cz"}, CLI::ignore_case));
    for (CLI::Option* opt : app.get_options())
        opt->disable_flag_override();

    DescribeReadingCommands(app, o);
    DescribeCalibrationCommands(app, o);
    DescribeMaintenanceCommands(app, o);
    DescribeProcedureCommands(app, o);
    DescribeJournalCommands(app, o);
}

} // namespace

void DescribeReadingCommands(CLI::App& app, CtlOptions& o) {
    auto command = [&](const char* name, const char* what) {
        return AddCommand(app, o, name, what);
    };
    command("ports", "serial devices with their COM numbers");
    command("read", "identify and read the converter and its four inputs")
        ->add_flag("--json", o.json, "one JSON object instead of text")
        ->disable_flag_override();
    CLI::App* monitor =
        command("monitor", "live measurement, one line per answered tick (until SIGINT or "
                           "SIGTERM without --count)");
    monitor->add_option("--count", o.count, "lines to print")
        ->type_name("N")
        ->check(WholeNumber(1, 1000000000, "the count"));
    monitor->add_flag("--csv", o.csv, "CSV: five header records, then one record per tick")
        ->disable_flag_override();
    monitor
        ->add_flag("--csv-semicolon", o.csvSemicolon,
                   "CSV with \";\" between fields and a decimal comma (European spreadsheets)")
        ->disable_flag_override();
    monitor
        ->add_flag("--reconnect", o.reconnect,
                   "when the port goes away (adapter pulled), wait for it to come back, read "
                   "again and go on")
        ->disable_flag_override();
    command("scan", "the converters at addresses 1..31");
    CLI::App* setAddress =
        command("set-address", "give the converter address N (1..159), restart, read");
    // Checked here: the window would ask again for an address out of
    // range, and the terminal has nobody to ask.
    setAddress->add_option("N", o.newAddress, "the new address")
        ->required()
        ->check(WholeNumber(1, 159, "the new address"));
    setAddress->add_flag("--json", o.json, "the reading as one JSON object")
        ->disable_flag_override();
    command("restart", "restart the converters on the line, then read")
        ->add_flag("--json", o.json, "the reading as one JSON object")
        ->disable_flag_override();
}

int ComPortNumber(const std::string& text) {
    if (!LooksLikeComName(text) || text.size() > 5) return 0;
    int n = 0;
    if (!ParseInt(text.substr(3), n) || n < 1 || n > kPortCount) return 0;
    return n;
}

CtlParse ParseCtlArgs(const std::vector<std::string>& args) {
    CtlParse result;
    CLI::App app("", "r27ctl");
    Describe(app, result.options);
    // CLI11 takes the words last to first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    // --version answers on its own, whatever else the line holds.
    for (const std::string& a : args) {
        if (a == "--version") {
            result.options.version = true;
            return result;
        }
    }
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        result.options.help = true;
        CLI::App* asked = &app;
        for (CLI::App* sub : app.get_subcommands())
            asked = sub;
        result.helpText = asked == &app ? app.help() : asked->help("r27ctl");
    } catch (const CLI::ParseError& e) {
        result.error = e.what();
        if (result.error.empty()) result.error = e.get_name();
    }
    return result;
}

std::string CtlUsage() {
    CtlOptions ignored;
    CLI::App app("", "r27ctl");
    Describe(app, ignored);
    return app.help();
}

} // namespace rm27
