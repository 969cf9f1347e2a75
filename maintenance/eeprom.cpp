#include "maintenance/eeprom.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "device/converter.h"
#include "link/codecs.h"
#include "link/transact.h"
#include "maintenance/ekey_restore.h"
#include "maintenance/texts.h"
#include "session/measurement.h"
#include "session/write_safety.h"

namespace rm27 {

namespace t = texts::maintenance;

namespace {

constexpr std::size_t kShownLineChars = 40;

// A line of the file or an echo as a message can show it: control
// characters become "?", and a long line is cut.
std::string Shown(const std::string& text) {
    std::string out;
    for (char c : text.substr(0, kShownLineChars))
        out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    if (text.size() > kShownLineChars) out += "...";
    return out;
}

std::string Location(std::int32_t location) {
    return LongToHex(location, 2) + "h";
}

// What the load sent, for the read-back after it and its summary.
struct LoadRun {
    CellValues written; // location, value
    int differed = 0;
    std::int32_t firstLocation = 0;
    std::int32_t firstWritten = 0;
    std::string firstEcho;
    GuardedWrite write; // the whole load, one journal entry
};

// The cells the file will write, each once, their old content known (read
// now where the reading did not bring it), and the journal entry on disk:
// all before the first "EW".
GuardedWrite JournalLoad(Operations& ops, const std::vector<EepromByte>& bytes) {
    CellValues cells;
    std::vector<std::int32_t> where;
    for (const EepromByte& b : bytes) {
        cells.emplace_back(b.location, b.value);
        if (std::find(where.begin(), where.end(), b.location) == where.end())
            where.push_back(b.location);
    }
    if (!KnowCells(ops, where)) return {};
    return BeginCellsWrite(ops, journaled::kEepromLoad, cells, -1);
}

// What the echoes said: the bytes written, those echoed otherwise, and the
// first of them.
Text LoadSummary(const std::string& path, const LoadRun& run) {
    if (run.differed == 0) return Text(t::kLoadSummary, path, run.written.size(), run.differed);
    const Text echo = run.firstEcho.empty() ? Text(t::kNoEcho) : Text::Value(Shown(run.firstEcho));
    return Text(t::kLoadSummaryDiffering, path, run.written.size(), run.differed,
                Location(run.firstLocation), LongToHex(run.firstWritten, 2), echo);
}

Result LoadProper(Operations& ops, const EepromProgress& progress, LoadRun& run) {
    DeviceState& st = ops.state;
    if (!ops.port.line.isOpen()) {
        ops.prompter.critical(Text(t::kLoadPortClosed));
        return ResultCode::Refused;
    }
    if (ops.prompter.message(Prompter::Box(EepromLoadWarning(), MessageIcon::Exclamation,
                                           MessageButtons::YesNo, MessageAnswer::No)) !=
        MessageAnswer::Yes)
        return ResultCode::Refused;
    FileDialogSpec& dialog = ops.dialogs->eeprom;
    if (!ops.prompter.showOpen(dialog) || dialog.fileName.empty()) return ResultCode::Refused;
    const std::string path = dialog.fileName;

    // All of it before the first frame: half a file written is worse than
    // none.
    std::vector<EepromByte> bytes;
    if (const Text refusal = ReadEepFile(path, bytes); !refusal.empty()) {
        ops.prompter.critical(refusal);
        return ResultCode::Refused;
    }

    run.write = JournalLoad(ops, bytes);
    if (run.write.refused()) return ops.cancelled() ? ResultCode::Failed : ResultCode::Refused;
    const int total = static_cast<int>(bytes.size());
    for (const EepromByte& b : bytes) {
        const int written = static_cast<int>(run.written.size());
        ops.view.setProgress(Progress::Counted(t::kEepromWriting, written + 1, total));
        const std::string echo = QuickWriteByte(ops, st.DeviceAddress, b.location, b.value);
        if (ops.cancelled()) {
            EndCellsWrite(ops, run.write, false);
            return ResultCode::Failed;
        }
        run.written.emplace_back(b.location, b.value);
        // The converter echoes what it stored, in upper case; no echo at
        // all differs too.
        if (echo != LongToHex(b.value, 2) && run.differed++ == 0) {
            run.firstLocation = b.location;
            run.firstWritten = b.value;
            run.firstEcho = echo;
        }
        if (progress) progress(written + 1, total);
    }
    // The echoes are not the load's to judge: the read-back is.
    EndCellsWrite(ops, run.write, true);
    // The load's own summary, as the operator knows it: what the echoes
    // said. Whether the bytes are really there is the read-back's to say,
    // once the load is over.
    Text summary = LoadSummary(path, run);
    summary.then(Text(t::kAfterRestart));
    if (run.differed == 0)
        ops.prompter.information(summary);
    else
        ops.prompter.message(Prompter::Box(summary, MessageIcon::Exclamation));
    return ResultCode::Ok;
}

// After the load: the converter is asked back every location written. An
// echo says only that a byte arrived; a location hit on its way in stores
// the byte elsewhere and echoes it right, and a lost echo may hide a byte
// that landed. So the read-back, not the echoes, decides the outcome.
Result ConfirmLoad(Operations& ops, LoadRun& run) {
    const MemoryConfirmation c = ConfirmMemory(ops, run.written, [&ops](int done, int total) {
        ops.view.setProgress(Progress::Counted(t::kEepromVerifying, done, total));
    });
    SettleCells(ops, run.write, c);
    if (ops.cancelled()) return ResultCode::Failed;
    if (c.confirmed()) {
        ops.view.setStatus(Text(t::kLoadConfirmed));
        return ResultCode::Ok;
    }
    ops.prompter.critical(ConfirmationText(c));
    return ResultCode::Failed;
}

Result SaveProper(Operations& ops, const std::string& path, const std::string& partial,
                  const EepromProgress& progress) {
    std::vector<EepromByte> bytes;
    int missing = 0;
    std::int32_t firstMissing = 0;
    // An answer the converter may not have given for this location (not hex,
    // misframed, maybe another request's), also when asked again, is left
    // out like a missing one.
    int uncertain = 0;
    std::int32_t firstUncertain = 0;
    for (std::int32_t location = 0; location < kEepromSize; ++location) {
        ops.view.setProgress(Progress::Counted(t::kEepromReading, location + 1, kEepromSize));
        const ByteAnswer a = ReadCellChecked(ops, location, kEepromReadTimeoutMs);
        if (ops.cancelled()) return ResultCode::Failed;
        if (a.value < 0) {
            if (missing++ == 0) firstMissing = location;
        } else if (a.doubt) {
            if (uncertain++ == 0) firstUncertain = location;
        } else {
            bytes.push_back({location, a.value});
        }
        if (progress) progress(location + 1, kEepromSize);
    }
    if (bytes.empty()) {
        ops.prompter.critical(Text(t::kSaveNoAnswer, path));
        return ResultCode::Failed;
    }
    Text error = WriteWholeFile(partial, FormatEep(bytes));
    if (error.empty()) {
        std::error_code renamed;
        std::filesystem::rename(partial, path, renamed);
        if (renamed) error = Text::Value(renamed.message());
    }
    if (!error.empty()) {
        ops.prompter.critical(Text(t::kFileNotWritten, path, error));
        return ResultCode::Failed;
    }
    Text summary(t::kSaved, path, bytes.size());
    if (missing == 0 && uncertain == 0) {
        ops.prompter.information(summary);
        return ResultCode::Ok;
    }
    if (missing > 0) {
        summary.then(Text(t::kSaveMissing, missing, Location(firstMissing)));
    }
    if (uncertain > 0) {
        summary.then(Text(t::kSaveUncertain, uncertain, Location(firstUncertain)));
    }
    ops.prompter.message(Prompter::Box(summary, MessageIcon::Exclamation));
    return ResultCode::Failed;
}

} // namespace

Text ReadEepFile(const std::string& path, std::vector<EepromByte>& bytes) {
    bytes.clear();
    std::string text;
    if (const Text error = ReadWholeFile(path, kEepFile, text); !error.empty())
        return Text(t::kEepUnreadable, path, error);
    EepParse file = ParseEep(text);
    if (file.tooManyLines) return Text(t::kEepTooManyLines, path, kMaxEepLines, kEepromSize);
    if (!file.ok()) return Text(t::kEepBadLine, file.badLine, path, Shown(file.badText));
    if (file.bytes.empty()) return Text(t::kEepEmpty, path);
    bytes = std::move(file.bytes);
    return {};
}

Text EepromLoadWarning() {
    return Text(t::kLoadWarning).then(Text()).then(Text(t::kContinueAnyway));
}

Result LoadEeprom(Operations& ops, const EepromProgress& progress) {
    StopMeasurement(ops.port, ops.view);
    LoadRun run;
    const Result outcome = LoadProper(ops, progress, run);
    StartMeasurement(ops.port, ops.view);
    if (outcome != ResultCode::Ok || ops.cancelled()) return outcome;
    return ConfirmLoad(ops, run);
}

Result SaveEeprom(Operations& ops, const EepromProgress& progress) {
    if (!ops.port.line.isOpen()) {
        ops.prompter.critical(Text(t::kSavePortClosed));
        return ResultCode::Refused;
    }
    FileDialogSpec& dialog = ops.dialogs->eepromSave;
    {
        // Nothing goes out before the answer: the values stay live meanwhile.
        const auto free = ops.guard.releaseLine();
        if (!ops.prompter.showSave(dialog) || dialog.fileName.empty()) return ResultCode::Refused;
    }
    const std::string path = dialog.fileName;
    // The contents go to a file beside it first and replace the chosen file
    // only when complete: an earlier copy of the memory is not lost to a
    // converter that stops answering half-way. Writing there is tried
    // before the memory is read.
    const std::string partial = path + ".part";
    if (const Text error = WriteWholeFile(partial, ""); !error.empty()) {
        ops.prompter.critical(Text(t::kFileNotWritten, path, error));
        return ResultCode::Refused;
    }
    StopMeasurement(ops.port, ops.view);
    const Result outcome = SaveProper(ops, path, partial, progress);
    std::error_code ignored;
    std::filesystem::remove(partial, ignored); // gone already after a successful save
    StartMeasurement(ops.port, ops.view);
    return outcome;
}

DialogPresets MaintenanceDialogs(const std::string& workingDir, const std::string& backupFolder,
                                 const std::string& owner) {
    DialogPresets d;
    namespace tx = texts::maintenance;
    d.eeprom.title = tx::kEepOpenTitle.czech;
    d.eeprom.filter = tx::kEepFilter.czech;
    d.eeprom.defaultExt = ".eep";
    d.eeprom.initDir = workingDir;
    d.eeprom.owner = owner;
    d.eepromSave = d.eeprom;
    d.eepromSave.title = tx::kEepSaveTitle.czech;
    d.restore = RestoreDialogSpec(backupFolder, owner);
    return d;
}

} // namespace rm27
