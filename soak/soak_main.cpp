// rm27soak: every command against the simulated converter on virtual time,
// under seeded random faults of every kind, many thousand times over; it
// counts what each command reported against what the converter holds and
// sent, and prints the table and the seeds worth replaying.
//
//   rm27soak [--runs N] [--rates 0.01,0.05,0.2] [--command NAME,...]
//            [--seed S] [--jobs J] [--seeds-shown K] [--journal]
//
// --journal also asks of every failure that changed the converter that it
// said what it left and named the write's journal entry.
//
// A run is replayed with --command NAME --rates R --seed S (the seed
// printed beside a failure), which also prints what the run came to.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "sim/command_line.h"
#include "sim/number_text.h"
#include "soak/soak_commands.h"

namespace {

using rm27::sim::AddValue;
using rm27::sim::RefuseValue;

using rm27::soak::Command;
using rm27::soak::RunResult;

struct Options {
    int runs = 10000;
    std::vector<double> rates{0.01, 0.05, 0.20};
    std::vector<std::string> commands; // empty: all
    std::int64_t seed = -1;            // >= 0: replay this one run
    std::uint64_t firstSeed = 1;
    int jobs = 1;
    int seedsShown = 5;
    bool journal = false;
};

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');)
        if (!item.empty()) out.push_back(item);
    return out;
}

constexpr long long kAny = std::numeric_limits<long long>::min();

long long Whole(const std::string& option, const std::string& text, long long lo) {
    long long n = 0;
    if (!rm27::sim::ReadWholeNumber(text, n) || n < lo) RefuseValue(option, text);
    return n;
}

void Describe(CLI::App& app, Options& o) {
    rm27::sim::DescribeProgram(
        app,
        "Runs every command against the simulated converter on virtual time under\n"
        "seeded random faults and prints what each reported against what the\n"
        "converter holds and sent, with the seeds worth replaying. A run is\n"
        "replayed with --command NAME --rates R --seed S.",
        24);
    AddValue(app, "--runs", "N", "runs per command and fault rate (default 10000)",
             [&o](const std::string& t) { o.runs = static_cast<int>(Whole("--runs", t, 1)); });
    AddValue(app, "--rates", "R,...", "fault rates, fractions of requests (default 0.01,0.05,0.2)",
             [&o](const std::string& t) {
                 o.rates.clear();
                 for (const std::string& r : Split(t)) {
                     double rate = 0.0;
                     if (!rm27::sim::ReadFiniteNumber(r, rate)) RefuseValue("--rates", r);
                     o.rates.push_back(rate);
                 }
                 if (o.rates.empty()) RefuseValue("--rates", t);
             });
    AddValue(app, "--command", "NAME,...", "only these commands (default: all)",
             [&o](const std::string& t) { o.commands = Split(t); });
    AddValue(app, "--seed", "S", "replay the run of this seed and list its faults (below 0: none)",
             [&o](const std::string& t) { o.seed = Whole("--seed", t, kAny); });
    AddValue(app, "--first-seed", "S", "seed of the first run (default 1)",
             [&o](const std::string& t) {
                 o.firstSeed = static_cast<std::uint64_t>(Whole("--first-seed", t, 0));
             });
    AddValue(app, "--jobs", "J", "threads (default 1)", [&o](const std::string& t) {
        o.jobs = static_cast<int>(std::clamp(Whole("--jobs", t, kAny), 1LL, 1024LL));
    });
    AddValue(app, "--seeds-shown", "K",
             "seeds worth replaying shown per command and rate (default 5)",
             [&o](const std::string& t) {
                 o.seedsShown = static_cast<int>(Whole("--seeds-shown", t, 0));
             });
    app.add_flag("--journal", o.journal,
                 "also ask of every failure that changed the converter that it\n"
                 "said what it left and named the write's journal entry");
}

// 0: run, 1: exit 0 (help), 2: usage error.
int Parse(int argc, char** argv, Options& o) {
    CLI::App app("", "rm27soak");
    Describe(app, o);
    return rm27::sim::ParseCommandLine(app, argc, argv);
}

struct Tally {
    int runs = 0;
    int success = 0;
    int failure = 0;
    int hangs = 0;
    int silent = 0;
    int silentAltered = 0;
    int reported = 0;
    int unchecked = 0;
    int unsaid = 0;
    int unsaidAltered = 0;
    int notRun = 0;
    std::int64_t maxMs = 0;
    int ticks = 0;
    int ticksDecoded = 0;
    rm27::soak::ShownValues shown;
    std::vector<std::pair<std::uint64_t, std::string>> seeds; // worth replaying

    void add(std::uint64_t seed, const RunResult& r) {
        ++runs;
        if (r.notRun)
            ++notRun;
        else if (r.hang)
            ++hangs;
        else
            (r.success ? success : failure)++;
        unsaid += r.unsaid;
        unsaidAltered += r.unsaidByAlteredField;
        silent += r.silentCorruption;
        silentAltered += r.silentByAlteredField;
        reported += r.reportedCorruption;
        unchecked += r.unchecked;
        maxMs = std::max(maxMs, r.virtualMs);
        ticks += r.ticks;
        ticksDecoded += r.ticksDecoded;
        shown += r.shown;
        if (r.hang || r.silentCorruption || r.unsaid || r.shown.unmarkedWrong > 0)
            seeds.emplace_back(seed, r.hang ? "hang" : r.detail);
    }
};

std::string Percent(double rate) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%g%%", rate * 100);
    return buf;
}

void Replay(const Command& c, double rate, std::uint64_t seed) {
    const RunResult r = c.run(seed, rate);
    std::cout << c.name << " at " << Percent(rate) << ", seed " << seed << ": "
              << (r.hang      ? "hang"
                  : r.success ? "success reported"
                              : "failure reported")
              << ", " << r.virtualMs << " ms virtual\n";
    if (r.silentCorruption) std::cout << "  SILENT corruption: " << r.detail << "\n";
    if (r.silentByAlteredField)
        std::cout << "  silent corruption by an altered field: " << r.detail << "\n";
    if (r.reportedCorruption) std::cout << "  corruption, reported: " << r.detail << "\n";
    if (r.unchecked) std::cout << "  the write was said to be unchecked\n";
    if (r.unsaid) std::cout << "  failed, changed the converter, did not say what it left\n";
    if (r.unsaidByAlteredField)
        std::cout << "  failed, a byte landed elsewhere by an altered field, not told\n";
    if (r.notRun) std::cout << "  not run: " << r.detail << "\n";
    for (const std::string& f : r.faults)
        std::cout << "  fault: " << f << "\n";
    for (const std::string& t : r.told)
        std::cout << "  told: " << t << "\n";
    if (r.shown.shown > 0) {
        std::cout << "  values shown " << r.shown.shown << ", marked wrong " << r.shown.markedWrong
                  << ", marked right " << r.shown.markedRight << ", unmarked wrong "
                  << r.shown.unmarkedWrong << " (" << r.shown.firstSilent << "), undetectable "
                  << r.shown.undetectable << "\n";
    }
}

// The commands named on the command line (all when none is); false when a
// name is no command.
bool ChooseCommands(const Options& o, std::vector<Command>& commands) {
    if (o.commands.empty()) return true;
    std::vector<Command> chosen;
    for (const std::string& name : o.commands) {
        const auto it = std::find_if(commands.begin(), commands.end(),
                                     [&](const Command& c) { return c.name == name; });
        if (it == commands.end()) {
            std::cerr << "rm27soak: no command " << name << "\n";
            return false;
        }
        chosen.push_back(*it);
    }
    commands = chosen;
    return true;
}

// Every run of c at rate, on o.jobs threads, tallied.
Tally RunAll(const Options& o, const Command& c, double rate) {
    std::vector<RunResult> results(static_cast<std::size_t>(o.runs));
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int k; (k = next++) < o.runs;)
            results[static_cast<std::size_t>(k)] =
                c.run(o.firstSeed + static_cast<std::uint64_t>(k), rate);
    };
    std::vector<std::thread> pool;
    for (int j = 1; j < o.jobs; ++j)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
    Tally t;
    for (int k = 0; k < o.runs; ++k)
        t.add(o.firstSeed + static_cast<std::uint64_t>(k), results[static_cast<std::size_t>(k)]);
    return t;
}

void PrintCommandRow(const Options& o, const Command& c, double rate, const Tally& t) {
    const std::string unsaid = o.journal ? std::to_string(t.unsaid) : "-";
    const std::string unsaidAltered = o.journal ? std::to_string(t.unsaidAltered) : "-";
    std::printf("| %s | %s | %d | %d | %d | %d | %d | %d | %d | %d | %s | %s | %d | %.1f | %.1f |\n",
                c.name.c_str(), Percent(rate).c_str(), t.runs, t.notRun, t.success, t.failure,
                t.hangs, t.silent, t.silentAltered, t.reported, unsaid.c_str(),
                unsaidAltered.c_str(), t.unchecked, static_cast<double>(t.maxMs) / 1000.0,
                static_cast<double>(c.boundMs) / 1000.0);
    std::fflush(stdout);
}

std::string ShownRow(const Command& c, double rate, const Tally& t) {
    char line[512];
    std::snprintf(line, sizeof line, "| %s | %s | %d | %d | %d | %d | %d | %d | %d |",
                  c.name.c_str(), Percent(rate).c_str(),
                  c.name == "monitor" ? t.ticksDecoded : t.success, t.shown.shown,
                  t.shown.markedWrong, t.shown.markedRight, t.shown.unmarkedWrong,
                  t.shown.undetectable, c.name == "monitor" ? t.ticks - t.ticksDecoded : t.failure);
    return line;
}

void AddSeedLines(const Options& o, const Command& c, double rate, const Tally& t,
                  std::vector<std::string>& seedLines) {
    const auto shown = static_cast<std::size_t>(o.seedsShown);
    for (std::size_t k = 0; k < t.seeds.size() && k < shown; ++k) {
        seedLines.push_back("  --command " + c.name + " --rates " + std::to_string(rate) +
                            " --seed " + std::to_string(t.seeds[k].first) + "   # " +
                            t.seeds[k].second);
    }
    if (t.seeds.size() > shown)
        seedLines.push_back("  ... and " + std::to_string(t.seeds.size() - shown) + " more of " +
                            c.name + " at " + Percent(rate));
}

void PrintTail(const std::vector<std::string>& reads, const std::vector<std::string>& seedLines) {
    if (!reads.empty()) {
        std::printf("\n| command | faults | readings (ticks) shown | values | marked wrong | "
                    "marked right | unmarked wrong | undetectable | readings (ticks) failed |\n"
                    "|---|---|---|---|---|---|---|---|---|\n");
        for (const std::string& line : reads)
            std::printf("%s\n", line.c_str());
    }
    std::printf("\nRuns worth replaying (rm27soak ... as below):\n");
    if (seedLines.empty()) std::printf("  none\n");
    for (const std::string& line : seedLines)
        std::printf("%s\n", line.c_str());
}

void RunTables(const Options& o, const std::vector<Command>& commands) {
    rm27::soak::Judging::journal = o.journal;
    std::printf("| command | faults | runs | not run | success | failure | hangs | "
                "silent corruptions | silent, by an altered field | failed, left changed | "
                "of those unsaid | unsaid, by an altered field | said unchecked | longest (s) | "
                "bound (s) |\n"
                "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    std::vector<std::string> reads;
    std::vector<std::string> seedLines;
    const auto started = std::chrono::steady_clock::now();
    for (const Command& c : commands) {
        for (const double rate : o.rates) {
            const Tally t = RunAll(o, c, rate);
            PrintCommandRow(o, c, rate, t);
            if (t.shown.shown > 0) reads.push_back(ShownRow(c, rate, t));
            AddSeedLines(o, c, rate, t, seedLines);
        }
    }
    PrintTail(reads, seedLines);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("\n%d runs per command and rate, first seed %llu, %.0f s\n", o.runs,
                static_cast<unsigned long long>(o.firstSeed), seconds);
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (const int parsed = Parse(argc, argv, o); parsed != 0) return parsed == 1 ? 0 : 2;
    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("rm27soak-" + std::to_string(::getpid()));
    std::filesystem::create_directories(work);
    std::vector<Command> commands = rm27::soak::AllCommands(work.string());
    if (!ChooseCommands(o, commands)) {
        std::filesystem::remove_all(work);
        return 2;
    }
    if (o.seed >= 0) {
        rm27::soak::KeepFaultLogs(true);
        for (const Command& c : commands)
            for (double rate : o.rates)
                Replay(c, rate, static_cast<std::uint64_t>(o.seed));
    } else {
        RunTables(o, commands);
    }
    std::filesystem::remove_all(work);
    return 0;
}
