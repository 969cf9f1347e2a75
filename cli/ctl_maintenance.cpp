// r27ctl's maintenance commands: the eKey copies and initialisation, the
// EEPROM image files, the RMU user limits, the eKey backups and an input's
// block as a .bin file. Each reads the converter first, as "Načíst" does,
// so that the address, the eKey mask and the records they work on are the
// converter's own; then it runs the window's operation and the terminal
// shows its boxes. Every eKey write
// then says on stderr which journal entry holds the block's old image and
// whether the converter read it back as written. "backups" needs no converter.
#include <unistd.h>

#include <array>
#include <iomanip>
#include <optional>

#include "calibration/texts.h"
#include "cli/ctl_commands.h"
#include "cli/ctl_runner.h"
#include "cli/texts.h"
#include "maintenance/eeprom.h"
#include "maintenance/ekey_bin.h"
#include "maintenance/ekey_copy.h"
#include "maintenance/ekey_init.h"
#include "maintenance/ekey_restore.h"
#include "maintenance/rmu_settings.h"
#include "maintenance/texts.h"

namespace rm27 {

int ExitOf(const Result& result) {
    switch (result.code()) {
    case ResultCode::Ok:
        return kExitOk;
    case ResultCode::Refused:
    case ResultCode::ZeroEntered:
        return kExitRefused;
    default:
        // The messages said what failed, what the converter holds, or why
        // the command could not run.
        return kExitNoAnswer;
    }
}

namespace {

// One line per fact, so that a script can grep for the block it cares
// about; the window says the same on its status line.
void PrintWrites(CtlRunner& r, const std::vector<GuardedWrite>& writes) {
    if (r.ops().cancelled()) return;
    std::ostream& err = r.err();
    for (const GuardedWrite& w : writes) {
        const std::string block = "block " + std::to_string(w.block()) + ": ";
        if (w.refused()) continue; // a box said why nothing was sent
        err << block << "journal entry " << w.entry.id << "\n";
        if (!w.written)
            err << block << "the write failed\n";
        else if (!w.checked || w.result == WriteCheckResult::NotReadAgain)
            err << block << "not checked: the block could not be read back\n";
        else if (w.result == WriteCheckResult::Same)
            err << block << "read back as written\n";
        else
            err << block << "read back DIFFERENT from what was written\n";
    }
    err.flush();
}

// The external-to-internal copy's information: whether the block the
// reading takes the input's internal copy from holds the copy as well.
void PrintShown(CtlRunner& r, const CopyResult& copied) {
    if (copied.shown == CopyShown::Unknown || copied.writes.empty() ||
        copied.readingBlock == copied.writes.front().block())
        return;
    r.err() << "block " << copied.readingBlock << ": the input's internal copy as the reading "
            << "finds it "
            << (copied.shown == CopyShown::Shown
                    ? "holds the copy too\n"
                    : "does not hold the copy (only block " +
                          std::to_string(copied.writes.front().block()) + " does)\n");
}

template <class Writes> int Reported(CtlRunner& r, const Writes& result, const Result& outcome) {
    PrintWrites(r, result.writes);
    return ExitOf(outcome);
}

int ListBackups(BackupStore& backups, const std::string& where, std::ostream& out,
                std::ostream& err, const Wording& wording) {
    const std::vector<BackupEntry> all = backups.list();
    if (all.empty()) {
        err << "r27ctl: " << Text(texts::cli::kNoBackups, where).render(wording) << std::endl;
        return kExitOk;
    }
    // The sensor identifier has 8 characters and may hold blanks: the
    // columns are fixed, the path (which may too) comes last.
    for (const BackupEntry& e : all) {
        out << IsoTime(e.time) << "  " << std::left << std::setw(10) << TrimBlanks(e.deviceId)
            << "  " << std::right << std::setw(3) << e.address << "  block " << std::setw(3)
            << e.block << "  " << std::left << std::setw(8)
            << (TrimBlanks(e.sensorId).empty() ? std::string("-") : TrimBlanks(e.sensorId))
            << std::right << "  " << e.path << "\n";
    }
    out.flush();
    return kExitOk;
}

// A load takes about a minute: on a terminal it shows how far it got, one
// line rewritten in place. In a pipe only the summary counts, and with
// --verbose the status lines say it already.
EepromProgress TerminalProgress(CtlRunner& r, const TextId& what) {
    if (r.options().verbose || ::isatty(STDERR_FILENO) == 0) return {};
    return [&r, &what](int done, int total) {
        r.err() << "\r" << r.view().shown(Progress::Counted(what, done, total).text())
                << (done == total ? "\n" : "") << std::flush;
    };
}

int RmuLimits(CtlRunner& r) {
    DeviceState& st = r.state();
    if (!st.IsRMU) {
        r.sayError(Text(texts::cli::kNotAnRmu, st.DeviceAddress, Text::Value(st.DeviceId)));
        return kExitRefused;
    }
    const std::vector<std::string>& words = r.options().rmuLimits;
    int status = kExitOk;
    if (!words.empty()) {
        std::array<std::optional<std::string>, kInputCount> texts;
        for (std::size_t k = 0; k < texts.size(); ++k) {
            if (words[k] != "-") texts[k] = words[k];
        }
        RmuStoreResult stored;
        RunRmuSettings(r.ops(), [&] {
            stored = StoreRmuLimits(r.ops(), texts, [&r](const Text& text) {
                if (r.options().verbose && !text.empty())
                    r.err() << r.view().shown(text) << std::endl;
            });
        });
        CheckRmuStore(r.ops(), stored);
        if (r.ops().cancelled()) return kExitNoAnswer;
        if (stored.refused) return ExitOf(stored.outcome()); // the message said which row
        PrintWrites(r, stored.writes);
        r.out() << "limits written: " << stored.written << ", failed: " << stored.failed
                << "; the converter restarts\n";
        status = ExitOf(stored.outcome());
    }
    for (int i = 0; i < kInputCount; ++i) {
        const SensorRecord& rec = st.records[static_cast<std::size_t>(i)];
        r.out() << r.view().shown(RmuRowCaption(rec, i)) << "  " << RmuLimitText(rec) << "\n";
    }
    r.out().flush();
    return status;
}

} // namespace

void DescribeMaintenanceCommands(CLI::App& app, CtlOptions& o) {
    AddCommand(app, o, "ekey-copy",
               "copy input I's external eKey into the converter's internal memory")
        ->add_option("I", o.ekeyInput, "the input, 1..4")
        ->required()
        ->check(WholeNumber(1, 4, "the input"));
    AddCommand(app, o, "ekey-copy-1to4",
               "copy input 1's eKey image into input 4's eKey, keeping input 4's identifier");
    AddCommand(app, o, "ekey-init", "give every plugged eKey its first content; prints the report")
        ->add_flag("--davro", o.davro, "the DAVRO contents (unit mVV) instead of R-27 (div)")
        ->disable_flag_override();
    AddCommand(app, o, "eeprom-load",
               "overwrite the converter's EEPROM from a .eep file (checked first); prints the "
               "summary")
        ->add_option("FILE", o.eepFile, "the .eep file")
        ->required();
    AddCommand(app, o, "eeprom-save", "read the 256 EEPROM locations into a .eep file")
        ->add_option("FILE", o.eepFile, "the .eep file to write")
        ->required();
    AddCommand(app, o, "ekey-restore",
               "write a kept backup of an eKey or internal copy back to its block (asks first), "
               "then read it back")
        ->add_option("FILE", o.backupFile, "the backup file (.ekey), see \"backups\"")
        ->required();
    for (const auto& [name, what] :
         {std::pair{"ekey-save-bin", "save input I's block as read (its eKey, else its internal "
                                     "copy) into a .bin file of exactly its 256 bytes"},
          std::pair{"ekey-restore-bin", "write a .bin file of 256 bytes to input I's block as "
                                        "ekey-restore writes a backup (asks first)"}}) {
        CLI::App* command = AddCommand(app, o, name, what);
        command->add_option("I", o.ekeyInput, "the input, 1..4")
            ->required()
            ->check(WholeNumber(1, 4, "the input"));
        command->add_option("FILE", o.binFile, "the .bin file")->required();
    }
    AddCommand(app, o, "backups",
               "list the kept eKey backups, newest first: time, converter, address, block, "
               "sensor, file (no converter needed)");
    AddCommand(app, o, "rmu-limits",
               "print the RMU's four user limits, or store L1..L4 (the changed ones are "
               "written, then the converter restarts)")
        ->add_option("L", o.rmuLimits,
                     "the four limits, input 1 first; a decimal comma is accepted, \"-\" keeps "
                     "that input's limit")
        ->expected(kInputCount)
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                return text == "-" ? std::string() : NumberError(text, "a limit", CheckSingle);
            },
            "NUMBER|-"));
}

std::optional<int> RunMaintenanceCommand(CtlRunner& r) {
    const CtlOptions& o = r.options();
    const std::string& c = o.command;
    if (c != "ekey-copy" && c != "ekey-copy-1to4" && c != "ekey-init" && c != "eeprom-load" &&
        c != "eeprom-save" && c != "rmu-limits" && c != "ekey-restore" && c != "ekey-save-bin" &&
        c != "ekey-restore-bin")
        return std::nullopt;
    if (!r.devRead()) return kExitNoAnswer;
    Operations& ops = r.ops();
    if (c == "ekey-copy") {
        const CopyResult copied = CopyEKeyExtToInt(ops, o.ekeyInput - 1);
        const int status = Reported(r, copied, copied.outcome);
        PrintShown(r, copied);
        return status;
    }
    if (c == "ekey-copy-1to4") {
        const CopyResult copied = CopyEKey1To4(ops);
        return Reported(r, copied, copied.outcome);
    }
    if (c == "ekey-init") {
        const EKeyInitResult init =
            InitEKeys(ops, o.davro ? EKeyInitVariant::Davro : EKeyInitVariant::R27);
        return Reported(r, init, init.outcome);
    }
    if (c == "ekey-restore") {
        r.view().answerFileWith(o.backupFile);
        const RestoreResult restored = RestoreEKey(ops);
        return Reported(r, restored, restored.outcome);
    }
    if (c == "ekey-save-bin") {
        r.view().answerFileWith(o.binFile);
        return ExitOf(SaveEKeyBin(ops, o.ekeyInput - 1));
    }
    if (c == "ekey-restore-bin") {
        r.view().answerFileWith(o.binFile);
        const RestoreResult restored = RestoreEKeyBin(ops, o.ekeyInput - 1);
        return Reported(r, restored, restored.outcome);
    }
    if (c == "eeprom-load") {
        r.view().answerFileWith(o.eepFile);
        return ExitOf(LoadEeprom(ops, TerminalProgress(r, texts::maintenance::kEepromWriting)));
    }
    if (c == "eeprom-save") {
        r.view().answerFileWith(o.eepFile);
        return ExitOf(SaveEeprom(ops, TerminalProgress(r, texts::maintenance::kEepromReading)));
    }
    return RmuLimits(r);
}

std::optional<int> CheckInputFile(const CtlOptions& o, std::ostream& err, const Wording& wording) {
    Text refusal;
    if (o.command == "eeprom-load") {
        std::vector<EepromByte> bytes;
        refusal = ReadEepFile(o.eepFile, bytes);
    } else if (o.command == "ekey-restore") {
        BackupEntry entry;
        refusal = ReadBackupFile(nullptr, o.backupFile, entry);
    } else if (o.command == "ekey-restore-bin") {
        std::string image;
        refusal = ReadBinFile(o.binFile, image);
    } else if (o.command == "calibrate" && !o.fromFile.empty()) {
        // Its groups are judged against the input's record, once read.
        std::string text;
        if (const Text why = ReadWholeFile(o.fromFile, kClbFile, text); !why.empty())
            refusal = Text(texts::calibration::kFileUnreadable, o.fromFile, why);
    }
    if (refusal.empty()) return std::nullopt;
    err << "r27ctl: " << refusal.render(wording) << std::endl;
    return kExitUsage;
}

std::optional<int> RunOfflineMaintenanceCommand(const CtlOptions& options, BackupStore& backups,
                                                const std::string& where, std::ostream& out,
                                                std::ostream& err, const Wording& wording) {
    if (options.command != "backups") return std::nullopt;
    return ListBackups(backups, where, out, err, wording);
}

} // namespace rm27
