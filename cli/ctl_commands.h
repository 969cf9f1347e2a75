// How a group of r27ctl commands plugs in: it describes its words and
// switches on the command line, and runs them on the runner. Each group
// lives in its own file: the reading commands (ctl_options.cpp,
// ctl_reading.cpp and ctl_monitor.cpp), the calibration commands (ctl_calibration.cpp), the
// maintenance commands (ctl_maintenance.cpp), the load series
// (ctl_procedure.cpp).
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <ostream>
#include <string>

#include "cli/ctl_options.h"
#include "link/result.h"
#include "session/backups.h"
#include "session/input_checks.h"
#include "session/journal.h"

namespace rm27 {

class CtlRunner;

// A subcommand whose callback sets o.command to its name.
CLI::App* AddCommand(CLI::App& app, CtlOptions& o, const char* name, const char* what);
// A whole decimal number in lo..hi ("3,6" and "0x10" are refused).
CLI::Validator WholeNumber(int lo, int hi, const std::string& what);
// A number typed whole (ParseNumber: a decimal comma allowed, "1abc",
// "0x10", "1,5,5", "nan", "inf" refused) that `check` takes; `what`
// names it in the usage error.
CLI::Validator Number(const std::string& what, InputCheck (*check)(double, const Text&));
// The usage error for text as `what`, "" when check takes it.
std::string NumberError(const std::string& text, const std::string& what,
                        InputCheck (*check)(double, const Text&));

void DescribeReadingCommands(CLI::App& app, CtlOptions& o);
void DescribeCalibrationCommands(CLI::App& app, CtlOptions& o);
void DescribeMaintenanceCommands(CLI::App& app, CtlOptions& o);
void DescribeProcedureCommands(CLI::App& app, CtlOptions& o);
void DescribeJournalCommands(CLI::App& app, CtlOptions& o);

// The exit status when the command is one of the group's; nothing when not.
// Each runs inside the runner's command (the guard is held).
std::optional<int> RunReadingCommand(CtlRunner& runner);
std::optional<int> RunCalibrationCommand(CtlRunner& runner);
std::optional<int> RunMaintenanceCommand(CtlRunner& runner);
std::optional<int> RunJournalCommand(CtlRunner& runner);

// The exit status of a command on the converter that ended so: the one
// mapping from results to r27ctl's exit statuses.
int ExitOf(const Result& result);

// Every write the command left half done, on err: what it left, its
// journal entry and the two commands that lead back. False when none.
bool ReportUnfinishedWrites(CtlRunner& runner);

// The commands below run before the terminal's view exists: each says its
// words through `wording` (empty: Czech).

// "journal", which needs no converter; nothing when the command is another.
std::optional<int> RunOfflineJournalCommand(const CtlOptions& options, const Journal& journal,
                                            std::ostream& out, std::ostream& err,
                                            const Wording& wording = {});

// The maintenance commands that need no converter and no port ("backups"),
// run before the port is opened; nothing when the command is another.
// `where` names the backups' folder in messages.
std::optional<int> RunOfflineMaintenanceCommand(const CtlOptions& options, BackupStore& backups,
                                                const std::string& where, std::ostream& out,
                                                std::ostream& err, const Wording& wording = {});

// The load-series commands that need no converter ("procedure evaluate");
// nothing when the command is another.
std::optional<int> RunOfflineProcedureCommand(const CtlOptions& options, std::ostream& out,
                                              std::ostream& err, const Wording& wording = {});

// The file a command reads (eeprom-load's .eep, ekey-restore's backup,
// ekey-restore-bin's .bin, calibrate --from's .CLB), read and checked
// before the port is opened: the usage status with the reason said on err
// when it is refused; nothing when the command reads no file or the file
// is usable.
std::optional<int> CheckInputFile(const CtlOptions& options, std::ostream& err,
                                  const Wording& wording = {});

} // namespace rm27
