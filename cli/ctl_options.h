// The command line of r27ctl: global switches, one command, its own
// switches, parsed with CLI11 into a plain struct so that every rule
// (ranges, which switch belongs to which command) can be checked without a
// port. Every command has its own --help.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rm27 {

// Exit status of r27ctl.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNoAnswer = 1; // the converter did not answer, or a read failed
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPort = 3;    // the port could not be opened
inline constexpr int kExitRefused = 4; // a check refused the command (or the user said No)

// The commands are words ("read", "set-address", ...); each group of
// commands describes its own words and switches (see ctl_commands.h).
struct CtlOptions {
    std::string command;
    // A device path or "COMn"; empty means COM1, the window's first port.
    std::string port;
    bool simulator = false;
    // Converter addresses are 1..159; 0 is the universal address that any
    // single converter on the line answers.
    int address = 0;
    bool json = false;  // read, set-address, restart
    bool csv = false;   // monitor
    int count = 0;      // monitor: lines to print; 0 = until SIGINT/SIGTERM
    int newAddress = 0; // set-address
    bool logFrames = false;
    bool verbose = false; // status lines to stderr
    // Answer Yes to every question the command asks. Without it a question
    // is asked on the terminal, and answered No when there is none.
    bool yes = false;
    bool help = false;
    bool version = false;
    // "en" or "cs"; empty: as the system's language says, as the window does.
    std::string lang;
    // monitor: the European CSV, ";" between fields and a decimal comma
    // (implies csv).
    bool csvSemicolon = false;
    // monitor: when the line is lost, wait for the device to come back,
    // reopen it, read again and go on (the CSV without a second header).
    bool reconnect = false;

    // ---- calibration commands (ctl_calibration.cpp)
    int input = 0;   // zero, span, calibrate: 1..4, as the window's columns
    std::string mvv; // span --mvv, as typed ("" = the 2 mV/V step)
    bool mvvGiven = false;
    int filterCode = 0; // filter: 0..15
    // calibrate: the editor's fields; what is not given keeps the record's.
    std::string description;
    std::optional<std::string> unit;
    std::optional<std::string> format;
    std::optional<int> gain;
    std::optional<int> slide;
    std::optional<int> fast;
    std::vector<std::string> points;        // "SIGNAL:VALUE" as typed
    std::string fromFile;                   // calibrate --from: a .CLB file instead of the fields
    std::string saveFile;                   // calibration --save: write the record to a .CLB file
    std::string pdfFile;                    // certificate --pdf
    std::string csvFile;                    // certificate --csv ("" = none)
    std::optional<std::string> uncertainty; // certificate --uncertainty, as typed
    std::optional<std::string> validity;    // certificate --validity, YYMMDD
    std::optional<std::string> serial;      // certificate --serial

    // ---- maintenance commands (ctl_maintenance.cpp)
    int ekeyInput = 0;                  // ekey-copy: input 1..4
    bool davro = false;                 // ekey-init: the DAVRO contents
    std::string eepFile;                // eeprom-load, eeprom-save
    std::vector<std::string> rmuLimits; // rmu-limits: none (print) or four ("-" keeps one)
    std::string backupFile;             // ekey-restore: the backup to write back
    std::string binFile;                // ekey-save-bin, ekey-restore-bin: the block's image
    int journalId = 0;                  // undo, redo: the journal entry (undo: 0 = the last)

    // ---- load series (ctl_procedure.cpp)
    std::string readingsFile; // procedure evaluate
    int degree = 1;           // of the fitted polynomial
    std::string classesFile;  // "" = the usual four classes
};

struct CtlParse {
    CtlOptions options;
    std::string error;    // empty: parsed
    std::string helpText; // with options.help: the help of the command asked about
    bool ok() const { return error.empty(); }
};

// args: the words after the program's name. Global switches may stand
// before or after the command; "--name=value" and "--name value" are both
// accepted.
CtlParse ParseCtlArgs(const std::vector<std::string>& args);

// "COM7" (any case) -> 7; anything else, or a number outside 1..15, -> 0.
int ComPortNumber(const std::string& text);

// The program's help text (what --help prints).
std::string CtlUsage();

} // namespace rm27
