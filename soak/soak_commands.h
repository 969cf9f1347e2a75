// Every command of the program, as one soak run each: a fresh converter, a
// clean start (the reading the window would have done), then the seeded
// faults and the command itself on virtual time, and the verdict.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "soak/soak_oracle.h"

namespace rm27::soak {

struct RunResult {
    bool success = false; // the command said it was done (for the ticks: decoded)
    bool hang = false;    // still running past its worst case: cut off
    std::int64_t virtualMs = 0;
    // The converter does not hold what the command meant to write: said
    // (the command reported a failure) or silent (it reported success).
    bool reportedCorruption = false;
    bool silentCorruption = false;
    // Silent, and gone when the same run is run again with the faults that
    // alter a field on its way in spared: a write the converter carried out
    // elsewhere behind a right echo, or a byte read from another place,
    // which no answer of the protocol tells apart (see AlteredFieldKinds).
    bool silentByAlteredField = false;
    // Failed with the converter changed, and did not say what it left (see
    // SaidWhatItLeft; judged only when Judging::journal is on).
    bool unsaid = false;
    // Unsaid, and gone when run again with the faults that alter a field
    // spared: a byte carried out elsewhere behind a right echo, which the
    // program could not see and so could not tell of.
    bool unsaidByAlteredField = false;
    // The reading before the command failed three times: not run.
    bool notRun = false;
    // The command said the write could not be checked (counted apart from
    // success: nothing was claimed).
    bool unchecked = false;
    ShownValues shown; // the reading's values, the ticks' values
    int ticks = 0;     // monitor: ticks run and decoded
    int ticksDecoded = 0;
    std::string detail; // what went wrong, for the list of seeds
    // What the user was told, in order (filled on a replay).
    std::vector<std::string> told;
    // Every fault the plan applied, in order (filled on a replay).
    std::vector<std::string> faults;
};

// A replay fills RunResult::faults (a soak of many runs does not).
void KeepFaultLogs(bool keep);

struct Command {
    std::string name;
    bool write = false;
    // The worst case of the part run under faults, from the protocol's
    // waits and retry counts; a run still going after it is a hang.
    std::int64_t boundMs = 0;
    std::function<RunResult(std::uint64_t seed, double rate)> run;
};

// Every command, in the order of the table. `workDir` holds the soak's
// files (the .eep file loaded, the ones saved).
std::vector<Command> AllCommands(const std::string& workDir);

} // namespace rm27::soak
