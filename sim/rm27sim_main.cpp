// rm27sim: simulated RM-27 / RMU converters on a pseudo-terminal, for
// running the program or any serial tool without hardware.

#include <array>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "sim/command_line.h"
#include "sim/control.h"
#include "sim/number_text.h"
#include "sim/pty_server.h"

#ifndef RM27_VERSION
#define RM27_VERSION "0.0.0"
#endif

namespace {

using rm27::sim::AddValue;
using rm27::sim::RefuseValue;

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
    bool version = false;
};

int WholeIn(const std::string& option, const std::string& text, long long lo, long long hi) {
    long long n = 0;
    if (!rm27::sim::ReadWholeNumber(text, n) || n < lo || n > hi)
        RefuseValue(option, text, std::to_string(lo) + ".." + std::to_string(hi));
    return static_cast<int>(n);
}

double NumberIn(const std::string& option, const std::string& text, double lo, double hi) {
    double d = 0.0;
    if (!rm27::sim::ReadFiniteNumber(text, d) || d < lo || d > hi) RefuseValue(option, text);
    return d;
}

// The mask is a bit pattern, so hexadecimal is welcome here (0x05).
unsigned EKeyMask(const std::string& text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const char* first = text.data() + 2;
        const char* last = text.data() + text.size();
        unsigned n = 0;
        const auto [end, ec] = std::from_chars(first, last, n, 16);
        if (ec != std::errc() || end != last || n > 15) RefuseValue("--ekeys", text, "0..15");
        return n;
    }
    return static_cast<unsigned>(WholeIn("--ekeys", text, 0, 15));
}

std::pair<int, double> Signal(const std::string& text) {
    const auto sep = text.find('=');
    if (sep == std::string::npos) RefuseValue("--signal", text, "I=MVV");
    const double mVV =
        NumberIn("--signal", text.substr(sep + 1), -std::numeric_limits<double>::max(),
                 std::numeric_limits<double>::max());
    return {WholeIn("--signal", text.substr(0, sep), 0, 3), mVV};
}

void Cell(const std::string& text, Options& o) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) RefuseValue("--cell", text, "I:SPEC");
    const int input = WholeIn("--cell", text.substr(0, colon), 1, 4);
    rm27::sim::LoadCellSpec spec;
    std::string why;
    if (!rm27::sim::ParseLoadCellSpec(text.substr(colon + 1), &spec, &why))
        RefuseValue("--cell", text, why);
    o.cells[static_cast<std::size_t>(input - 1)] = spec;
}

void DescribeCellsAndFiles(CLI::App& app, Options& o) {
    AddValue(app, "--cell", "I:SPEC",
             "a load cell on input I (1..4), SPEC as key=value pairs\n"
             "separated by commas: nominal (load, default 1000),\n"
             "sensitivity (mV/V at nominal, default 2), zero (mV/V),\n"
             "nonlinearity, hysteresis, creep (fractions of the nominal\n"
             "output), creep-ms (default 60000), position-effect,\n"
             "noise (mV/V), seed; e.g. --cell 1:nominal=500,hysteresis=0.001",
             [&o](const std::string& t) { Cell(t, o); });
    app.add_option("--control", o.control,
                   "make PATH a FIFO taking lines \"load I VALUE\",\n"
                   "\"signal I MVV\" and \"position I DEG\" (I = 1..4); a load\n"
                   "on an input without --cell puts the default cell there")
        ->type_name("PATH");
    app.add_option("--link", o.link, "also make PATH a symbolic link to the terminal")
        ->type_name("PATH");
    app.add_option("--dump", o.dump,
                   "write every converter's memory and blocks to FILE on SIGUSR1\n"
                   "and at the end (one line per memory or block, 512 hex digits)")
        ->type_name("FILE");
    app.add_flag("--verbose", o.verbose, "log every request and answer to stderr");
    app.add_flag("--version", o.version, "show the version and exit");
    // Given twice, the last one counts (the options above see every one,
    // so each is checked, and keep the last where they keep one value).
    for (CLI::Option* option : app.get_options()) {
        if (option->get_multi_option_policy() != CLI::MultiOptionPolicy::TakeAll)
            option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    }
}

void Describe(CLI::App& app, Options& o) {
    rm27::sim::DescribeProgram(
        app,
        "Serves simulated RM-27/RMU converters on a pseudo-terminal at 9600 baud.\n"
        "The first line printed is the terminal to open; runs until SIGINT or SIGTERM.",
        21);
    AddValue(
        app, "--address", "N",
        "add a converter at address N (1..159); repeat for several\n"
        "converters on one line (default: one converter at 1)",
        [&o](const std::string& t) { o.addresses.push_back(WholeIn("--address", t, 1, 159)); });
    AddValue(app, "--variant", "V", "rm27 or rmu (default rm27)", [&o](const std::string& t) {
        if (t != "rm27" && t != "rmu") RefuseValue("--variant", t, "rm27 or rmu");
        o.variant = t == "rmu" ? rm27::sim::Variant::RMU : rm27::sim::Variant::RM27;
    });
    AddValue(app, "--ekeys", "MASK",
             "eKeys plugged in, bit i for input i, e.g. 0x05 (default 0x03)",
             [&o](const std::string& t) { o.ekeys = EKeyMask(t); });
    AddValue(app, "--signal", "I=MVV",
             "signal applied to input I (0..3) in mV/V, e.g. --signal 2=1.25",
             [&o](const std::string& t) { o.signals.push_back(Signal(t)); });
    AddValue(app, "--fault-rate", "R",
             "fraction of requests (0..1) that get a random fault (default 0)",
             [&o](const std::string& t) { o.faultRate = NumberIn("--fault-rate", t, 0.0, 1.0); });
    AddValue(app, "--fault-seed", "S", "seed of the random faults (default 1)",
             [&o](const std::string& t) {
                 long long n = 0;
                 if (!rm27::sim::ReadWholeNumber(t, n)) RefuseValue("--fault-seed", t);
                 o.faultSeed = static_cast<unsigned long long>(n);
             });
    const double kForever = std::numeric_limits<double>::max();
    AddValue(app, "--turnaround", "MS", "pause before each answer in ms (default 2)",
             [&o, kForever](const std::string& t) {
                 o.turnaroundMs = NumberIn("--turnaround", t, 0.0, kForever);
             });
    AddValue(
        app, "--boot", "MS", "time a restarted converter stays deaf in ms (default 300)",
        [&o, kForever](const std::string& t) { o.bootMs = NumberIn("--boot", t, 0.0, kForever); });
    app.add_flag("--copies-apart", o.copiesApart,
                 "keep blocks 160, 192, 224 apart from the internal copies\n"
                 "129, 130, 131 (default: one storage under both numbers)");
    DescribeCellsAndFiles(app, o);
}

// 0: run, 1: exit 0 (help, version), 2: usage error.
int ParseArgs(int argc, char** argv, Options& o) {
    CLI::App app("", "rm27sim");
    Describe(app, o);
    if (const int parsed = rm27::sim::ParseCommandLine(app, argc, argv); parsed != 0) {
        return parsed;
    }
    if (o.version) {
        std::cout << "rm27sim " << RM27_VERSION << "\n";
        return 1;
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
