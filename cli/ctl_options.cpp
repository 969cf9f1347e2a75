#include "cli/ctl_options.h"

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

struct CommandName {
    const char* word;
    CtlCommand command;
};
constexpr CommandName kCommands[] = {
    {"ports", CtlCommand::Ports},
    {"read", CtlCommand::Read},
    {"monitor", CtlCommand::Monitor},
    {"scan", CtlCommand::Scan},
    {"set-address", CtlCommand::SetAddress},
    {"restart", CtlCommand::Restart},
};

} // namespace

int ComPortNumber(const std::string& text) {
    if (!LooksLikeComName(text) || text.size() > 5) return 0;
    int n = 0;
    if (!ParseInt(text.substr(3), n) || n < 1 || n > kPortCount) return 0;
    return n;
}

CtlParse ParseCtlArgs(const std::vector<std::string>& args) {
    CtlParse result;
    CtlOptions& o = result.options;
    std::vector<std::string> words;
    bool countGiven = false;
    bool portGiven = false;

    auto fail = [&](const std::string& why) {
        result.error = why;
        return result;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg.size() < 2 || arg[0] != '-') {
            words.push_back(arg);
            continue;
        }
        std::string value;
        bool inlineValue = false;
        const auto eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.erase(eq);
            inlineValue = true;
        }
        const auto takeValue = [&]() {
            if (inlineValue) return true;
            if (i + 1 >= args.size()) return false;
            value = args[++i];
            return true;
        };
        const bool takesValue = arg == "--port" || arg == "--address" || arg == "--count";
        if (inlineValue && !takesValue) return fail(arg + " takes no value");

        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return result;
        } else if (arg == "--version") {
            o.version = true;
            return result;
        } else if (arg == "--port") {
            if (!takeValue() || value.empty()) return fail("--port needs a device or COMn");
            if (LooksLikeComName(value) && ComPortNumber(value) == 0) {
                return fail("--port " + value + ": the ports are COM1 to COM15");
            }
            o.port = value;
            portGiven = true;
        } else if (arg == "--simulator") {
            o.simulator = true;
        } else if (arg == "--address") {
            if (!takeValue()) return fail("--address needs a number");
            if (!ParseInt(value, o.address) || o.address < 0 || o.address > 159) {
                return fail("--address " + value + ": the address is 0 to 159");
            }
        } else if (arg == "--json") {
            o.json = true;
        } else if (arg == "--csv") {
            o.csv = true;
        } else if (arg == "--count") {
            if (!takeValue()) return fail("--count needs a number");
            if (!ParseInt(value, o.count) || o.count < 1) {
                return fail("--count " + value + ": a whole number of lines, at least 1");
            }
            countGiven = true;
        } else if (arg == "--log-frames") {
            o.logFrames = true;
        } else if (arg == "--verbose" || arg == "-v") {
            o.verbose = true;
        } else {
            return fail("unknown option " + arg);
        }
    }

    if (words.empty()) return fail("no command given");
    for (const CommandName& c : kCommands) {
        if (words[0] == c.word) o.command = c.command;
    }
    if (o.command == CtlCommand::None) return fail("unknown command " + words[0]);

    if (o.command == CtlCommand::SetAddress) {
        if (words.size() < 2) return fail("set-address needs the new address");
        // Checked here: the window would ask again for an address out of
        // range, and the terminal has nobody to ask.
        if (!ParseInt(words[1], o.newAddress) || o.newAddress < 1 || o.newAddress > 159) {
            return fail("set-address " + words[1] + ": the new address is 1 to 159");
        }
        if (words.size() > 2) return fail("unexpected argument " + words[2]);
    } else if (words.size() > 1) {
        return fail("unexpected argument " + words[1]);
    }

    if (portGiven && o.simulator) return fail("--port and --simulator exclude each other");
    const bool reads = o.command == CtlCommand::Read || o.command == CtlCommand::SetAddress ||
                       o.command == CtlCommand::Restart;
    if (o.json && !reads) return fail("--json belongs to read, set-address and restart");
    if ((o.csv || countGiven) && o.command != CtlCommand::Monitor) {
        return fail(std::string(o.csv ? "--csv" : "--count") + " belongs to monitor");
    }
    return result;
}

std::string CtlUsage() {
    return "Usage: r27ctl [--port DEVICE | --simulator] [--address N] COMMAND\n"
           "Talks to an RM-27/RMU converter over a serial line (9600 baud, 8N1).\n"
           "\n"
           "Commands:\n"
           "  ports                        serial devices with their COM numbers\n"
           "  read [--json]                identify and read the converter and its four inputs\n"
           "  monitor [--count N] [--csv]  live measurement, one line per answered tick\n"
           "                               (until SIGINT/SIGTERM without --count)\n"
           "  scan                         the converters at addresses 1..31\n"
           "  set-address N                give the converter address N (1..159), restart, read\n"
           "  restart                      restart the converters on the line, then read\n"
           "\n"
           "Options:\n"
           "  --port DEVICE   device path (/dev/ttyUSB0) or COMn as the window numbers the ports\n"
           "                  (default COM1)\n"
           "  --simulator     use a built-in simulated converter at address 1\n"
           "  --address N     address of the converter, 0..159 (default 0, any one converter)\n"
           "  --log-frames    log every frame sent and received to stderr\n"
           "  --verbose, -v   show the status lines on stderr\n"
           "  --help, -h      show this text\n"
           "  --version       show the version\n"
           "\n"
           "Exit status: 0 success, 1 the converter did not answer or a read failed,\n"
           "2 usage error, 3 the port could not be opened.\n";
}

} // namespace rm27
