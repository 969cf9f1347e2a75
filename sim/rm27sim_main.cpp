// rm27sim: simulated RM-27 / RMU converters on a pseudo-terminal, for
// running the program or any serial tool without hardware.

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "sim/control.h"
#include "sim/pty_server.h"

#ifndef RM27_VERSION
#define RM27_VERSION "0.0.0"
#endif

namespace {

const char kUsage[] =
    "Usage: rm27sim [options]\n"
    "Serves simulated RM-27/RMU converters on a pseudo-terminal at 9600 baud.\n"
    "The first line printed is the terminal to open; runs until SIGINT or SIGTERM.\n"
    "\n"
    "Options:\n"
    "  --address N        add a converter at address N (1..159); repeat for several\n"
    "                     converters on one line (default: one converter at 1)\n"
    "  --variant V        rm27 or rmu (default rm27)\n"
    "  --ekeys MASK       eKeys plugged in, bit i for input i, e.g. 0x05 (default 0x03)\n"
    "  --signal I=MVV     signal applied to input I (0..3) in mV/V, e.g. --signal 2=1.25\n"
    "  --fault-rate R     fraction of requests (0..1) that get a random fault (default 0)\n"
    "  --fault-seed S     seed of the random faults (default 1)\n"
    "  --turnaround MS    pause before each answer in ms (default 2)\n"
    "  --boot MS          time a restarted converter stays deaf in ms (default 300)\n"
    "  --copies-apart     keep blocks 160, 192, 224 apart from the internal copies\n"
    "                     129, 130, 131 (default: one storage under both numbers)\n"
    "  --cell I:SPEC      a load cell on input I (1..4), SPEC as key=value pairs\n"
    "                     separated by commas: nominal (load, default 1000),\n"
    "                     sensitivity (mV/V at nominal, default 2), zero (mV/V),\n"
    "                     nonlinearity, hysteresis, creep (fractions of the nominal\n"
    "                     output), creep-ms (default 60000), position-effect,\n"
    "                     noise (mV/V), seed; e.g. --cell 1:nominal=500,hysteresis=0.001\n"
    "  --control PATH     make PATH a FIFO taking lines \"load I VALUE\",\n"
    "                     \"signal I MVV\" and \"position I DEG\" (I = 1..4); a load\n"
    "                     on an input without --cell puts the default cell there\n"
    "  --link PATH        also make PATH a symbolic link to the terminal\n"
    "  --dump FILE        write every converter's memory and blocks to FILE on SIGUSR1\n"
    "                     and at the end (one line per memory or block, 512 hex digits)\n"
    "  --verbose          log every request and answer to stderr\n"
    "  --help             show this text and exit\n"
    "  --version          show the version and exit\n";

struct Options {
    std::vector<int> addresses;
    rm27::sim::Variant variant = rm27::sim::Variant::RM27;
    unsigned ekeys = 0x03;
    std::vector<std::pair<int, double>> signals;
    double faultRate = 0.0;
    unsigned long long faultSeed = 1;
    double turnaroundMs = 2.0;
    double bootMs = 300.0;
    bool copiesApart = false;
    std::string link;
    std::string control;
    std::array<std::optional<rm27::sim::LoadCellSpec>, rm27::sim::kInputs> cells;
    std::string dump;
    bool verbose = false;
};

bool ParseNumber(const std::string& text, double& out) {
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0';
}

bool ParseInteger(const std::string& text, long long& out) {
    char* end = nullptr;
    out = std::strtoll(text.c_str(), &end, 0);
    return !text.empty() && end && *end == '\0';
}

// "I:SPEC" of --cell; false (with the reason said) when it is not one.
bool ParseCell(const std::string& value, Options& o) {
    long long n = 0;
    const auto colon = value.find(':');
    if (colon == std::string::npos || !ParseInteger(value.substr(0, colon), n) || n < 1 || n > 4)
        return false;
    rm27::sim::LoadCellSpec spec;
    std::string why;
    if (!rm27::sim::ParseLoadCellSpec(value.substr(colon + 1), &spec, &why)) {
        std::cerr << "rm27sim: --cell: " << why << "\n";
        return false;
    }
    o.cells[static_cast<std::size_t>(n - 1)] = spec;
    return true;
}

// 0: run, 1: exit 0 (help, version), 2: usage error.
int ParseArgs(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool hasValue = false;
        const auto eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        auto need = [&]() {
            if (hasValue) {
                return true;
            }
            if (i + 1 >= argc) {
                std::cerr << "rm27sim: " << arg << " needs a value\n";
                return false;
            }
            value = argv[++i];
            return true;
        };
        auto bad = [&]() {
            std::cerr << "rm27sim: bad value for " << arg << ": " << value << "\n";
            return 2;
        };
        long long n = 0;
        double d = 0.0;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 1;
        } else if (arg == "--version") {
            std::cout << "rm27sim " << RM27_VERSION << "\n";
            return 1;
        } else if (arg == "--verbose") {
            o.verbose = true;
        } else if (arg == "--copies-apart") {
            o.copiesApart = true;
        } else if (arg == "--address") {
            if (!need()) return 2;
            if (!ParseInteger(value, n) || n < 1 || n > 159) return bad();
            o.addresses.push_back(static_cast<int>(n));
        } else if (arg == "--variant") {
            if (!need()) return 2;
            if (value == "rm27") {
                o.variant = rm27::sim::Variant::RM27;
            } else if (value == "rmu") {
                o.variant = rm27::sim::Variant::RMU;
            } else {
                return bad();
            }
        } else if (arg == "--ekeys") {
            if (!need()) return 2;
            if (!ParseInteger(value, n) || n < 0 || n > 15) return bad();
            o.ekeys = static_cast<unsigned>(n);
        } else if (arg == "--signal") {
            if (!need()) return 2;
            const auto sep = value.find('=');
            if (sep == std::string::npos || !ParseInteger(value.substr(0, sep), n) || n < 0 ||
                n > 3 || !ParseNumber(value.substr(sep + 1), d)) {
                return bad();
            }
            o.signals.emplace_back(static_cast<int>(n), d);
        } else if (arg == "--fault-rate") {
            if (!need()) return 2;
            if (!ParseNumber(value, d) || d < 0.0 || d > 1.0) return bad();
            o.faultRate = d;
        } else if (arg == "--fault-seed") {
            if (!need()) return 2;
            if (!ParseInteger(value, n)) return bad();
            o.faultSeed = static_cast<unsigned long long>(n);
        } else if (arg == "--turnaround") {
            if (!need()) return 2;
            if (!ParseNumber(value, d) || d < 0.0) return bad();
            o.turnaroundMs = d;
        } else if (arg == "--boot") {
            if (!need()) return 2;
            if (!ParseNumber(value, d) || d < 0.0) return bad();
            o.bootMs = d;
        } else if (arg == "--cell") {
            if (!need()) return 2;
            if (!ParseCell(value, o)) return bad();
        } else if (arg == "--control") {
            if (!need()) return 2;
            o.control = value;
        } else if (arg == "--link") {
            if (!need()) return 2;
            o.link = value;
        } else if (arg == "--dump") {
            if (!need()) return 2;
            o.dump = value;
        } else {
            std::cerr << "rm27sim: unknown option " << arg << "\n" << kUsage;
            return 2;
        }
    }
    if (o.addresses.empty()) {
        o.addresses.push_back(1);
    }
    return 0;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    out.reserve(2 * bytes.size());
    for (const char c : bytes)
        out += rm27::sim::HexByte(static_cast<unsigned char>(c));
    return out;
}

// "converter ADDRESS", "memory HEX", then "block NNN HEX" for each of the
// 256 block numbers, per converter. Written to a new file and renamed, so
// a reader never sees half of it.
void DumpState(rm27::sim::PtyServer& server, const std::string& path) {
    const std::string text = server.withBus([](rm27::sim::Bus& bus) {
        std::string out;
        for (std::size_t k = 0; k < bus.size(); ++k) {
            const rm27::sim::Converter& c = bus.converter(k);
            out += "converter " + std::to_string(c.address()) + "\n";
            std::string memory;
            for (int cell = 0; cell < rm27::sim::kMemorySize; ++cell)
                memory += static_cast<char>(c.memory(cell));
            out += "memory " + Hex(memory) + "\n";
            for (int b = 0; b < rm27::sim::kBlockCount; ++b)
                out += "block " + std::to_string(b) + " " + Hex(c.block(b)) + "\n";
        }
        return out;
    });
    const std::string partial = path + ".part";
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        file << text;
    }
    std::rename(partial.c_str(), path.c_str());
}

// The converters of the command line, each with its load cells.
void AddConverters(rm27::sim::Bus& bus, const Options& o) {
    for (std::size_t k = 0; k < o.addresses.size(); ++k) {
        rm27::sim::ConverterSetup setup;
        setup.address = o.addresses[k];
        setup.variant = o.variant;
        setup.serial = 123 + 111 * static_cast<int>(k);
        setup.firmware = o.variant == rm27::sim::Variant::RMU ? "10" : "12";
        setup.bootMs = o.bootMs;
        setup.copiesApart = o.copiesApart;
        setup.noiseSeed = 1 + k;
        for (int i = 0; i < rm27::sim::kInputs; ++i) {
            setup.plugged[i] = (o.ekeys >> i) & 1u;
        }
        for (const auto& [input, mVV] : o.signals) {
            setup.signalMvV[input] = mVV;
        }
        rm27::sim::Converter& converter = bus.add(setup);
        for (int i = 0; i < rm27::sim::kInputs; ++i) {
            if (o.cells[static_cast<std::size_t>(i)])
                converter.attachLoadCell(i, *o.cells[static_cast<std::size_t>(i)]);
        }
    }
}

// Each line of the control FIFO, carried out at the time it came.
void ApplyControlLine(rm27::sim::PtyServer& server, const Options& o, const std::string& line) {
    std::string why;
    const auto command = rm27::sim::ParseControlLine(line, &why);
    if (!command) {
        std::cerr << "rm27sim: control: " << why << std::endl;
        return;
    }
    server.withBus([&](rm27::sim::Bus& bus) {
        const auto input = static_cast<std::size_t>(command->input);
        rm27::sim::ApplyControl(bus, *command, server.elapsedMs(),
                                o.cells[input].value_or(rm27::sim::LoadCellSpec{}));
    });
    if (o.verbose) std::cerr << "control: " << line << std::endl;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    const int parsed = ParseArgs(argc, argv, o);
    if (parsed != 0) {
        return parsed == 1 ? 0 : 2;
    }

    rm27::sim::PtyServer server;
    rm27::sim::Bus& bus = server.bus();
    bus.setTurnaroundMs(o.turnaroundMs);
    AddConverters(bus, o);
    if (o.faultRate > 0.0) {
        bus.faults().random(o.faultSeed, o.faultRate);
    }
    if (o.verbose) {
        server.log = [](const std::string& line) { std::cerr << line << std::endl; };
    }

    // Blocked before anyone learns the terminal (and may signal us); the
    // server thread inherits the mask, so the signals reach sigwait here.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::string error;
    if (!server.open(&error)) {
        std::cerr << "rm27sim: " << error << "\n";
        return 1;
    }
    if (!o.link.empty() && !server.createLink(o.link, &error)) {
        std::cerr << "rm27sim: cannot create link " << error << "\n";
        return 1;
    }
    rm27::sim::ControlFifo control;
    if (!o.control.empty() && !control.open(o.control, &error)) {
        std::cerr << "rm27sim: --control " << error << "\n";
        return 1;
    }
    std::cout << server.slavePath() << std::endl;

    server.start();
    control.start([&server, &o](const std::string& line) { ApplyControlLine(server, o, line); });
    for (;;) {
        int received = 0;
        sigwait(&signals, &received);
        if (!o.dump.empty()) DumpState(server, o.dump);
        if (received != SIGUSR1) break;
    }
    control.stop();
    server.close();
    return 0;
}
