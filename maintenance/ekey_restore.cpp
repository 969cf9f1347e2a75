#include "maintenance/ekey_restore.h"

#include <filesystem>

#include "device/converter.h"
#include "device/texts.h"
#include "link/memory.h"
#include "maintenance/texts.h"
#include "maintenance/write_questions.h"
#include "device/converter.h"
#include "session/ekey_mask.h"
#include "session/measurement.h"

namespace rm27 {

namespace t = texts::maintenance;

namespace {

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The sensor an image holds, as the decoder reads it (identifier and
// description without their blanks); false when it is no sensor record.
bool ImageSensor(const std::string& image, std::string& id, std::string& description) {
    SensorRecord rec;
    const Result decoded = DecodeEKeyImage(image, rec, 0, 0, 0);
    // The texts come before any check the decoder may still refuse.
    if (decoded == ResultCode::Short || decoded == ResultCode::NoFsn) return false;
    id = TrimBlanks(rec.sensorId);
    description = TrimBlanks(rec.description);
    return true;
}

// The file's own "sensor" line is only a label: what the write puts back
// is the image, so the question shows the sensor inside it, and warns when
// the input now holds another one.
Text ImageParagraph(const DeviceState& st, const BackupEntry& b) {
    std::string id;
    std::string description;
    Text text = ImageSensor(b.image, id, description)
                    ? Text(t::kImageSensor, ShownSensor(id), description)
                    : Text(t::kImageNoSensor);
    const int input = BlockInput(b.block);
    if (input < 0) return text;
    const auto i = static_cast<std::size_t>(input);
    if (st.sources[i] != InputSource::EKey && st.sources[i] != InputSource::Internal) return text;
    const std::string nowId = TrimBlanks(st.records[i].sensorId);
    const std::string nowDescription = TrimBlanks(st.records[i].description);
    if (nowId != id || nowDescription != description) {
        text.then(Text(t::kOtherSensorOnInput, input + 1, ShownSensor(nowId), nowDescription));
    }
    return text;
}

// The block's image as read from the converter now connected, if it was.
const BlockCache::BlockImage* LastRead(const DeviceState& st, const BlockCache& cache,
                                       std::int32_t block) {
    return cache.knownBlock(block, st.DeviceId, st.DeviceAddress);
}

// The write is checked against the reading that ends the command; an
// internal copy behind a plugged eKey is not part of that reading, so it
// is read on its own. This is the restore's own sequence: no prescribed
// one is lengthened.
void ReadBlockIfNotRead(Operations& ops, const GuardedWrite& w) {
    if (!w.written || ops.cancelled()) return;
    DeviceState& st = ops.state;
    const BlockCache::BlockImage* read = LastRead(st, ops.cache, w.block());
    if (read != nullptr && read->readNumber > w.check.readsBefore) return;
    std::string image;
    if (BlockRead(ops.port, image, st.DeviceAddress, w.block() / kPagesPerInput,
                  w.block() % kPagesPerInput)
            .ok())
        RememberBlock(ops, w.block(), image);
}

// A block the restore may write: an input's eKey or internal copy.
Text RestorableBlock(std::int32_t block) {
    return BlockRole(block).empty() ? Text(t::kBlockNotRestorable, block) : Text();
}

enum class Pick { Kept, File, Nothing };

// A kept backup from the table (already read whole by the listing), or
// "another file" (also when none is kept yet), or nothing.
Pick PickKept(Operations& ops, BackupEntry& entry) {
    std::vector<BackupEntry> kept =
        ops.backups != nullptr ? ops.backups->list() : std::vector<BackupEntry>{};
    if (kept.empty()) return Pick::File;
    const int row = ops.prompter.pickRow(
        Text(t::kRestoreTitle),
        {Text(t::kBackupTaken), Text(t::kBackupBlock), Text(t::kBackupInput),
         Text(t::kBackupSensor), Text(t::kBackupDescription)},
        BackupRows(kept), Text(t::kOtherBackupFile));
    if (row >= 0 && row < static_cast<int>(kept.size())) {
        entry = std::move(kept[static_cast<std::size_t>(row)]);
        return Pick::Kept;
    }
    return row == Prompter::kPickOther ? Pick::File : Pick::Nothing;
}

} // namespace

std::vector<std::vector<Text>> BackupRows(const std::vector<BackupEntry>& entries) {
    std::vector<std::vector<Text>> rows;
    for (const BackupEntry& b : entries) {
        std::string id;
        std::string description;
        if (!ImageSensor(b.image, id, description)) id = TrimBlanks(b.sensorId);
        rows.push_back({Text::Value(ShownTime(b.time)), Text::Value(std::to_string(b.block)),
                        BlockRole(b.block), ShownSensor(id), Text::Value(description)});
    }
    return rows;
}

FileDialogSpec RestoreDialogSpec(const std::string& backupFolder, const std::string& owner) {
    FileDialogSpec dialog;
    // In Czech: the window shows them in the reader's language.
    dialog.title = t::kRestoreTitle.czech;
    dialog.filter = t::kRestoreFilter.czech;
    dialog.defaultExt = ".ekey";
    dialog.initDir = backupFolder;
    dialog.owner = owner;
    return dialog;
}

Text ReadBackupFile(BackupStore* store, const std::string& path, BackupEntry& entry) {
    Text error;
    // Any file may be chosen, not only one of the store's own folder.
    FolderBackupStore files(std::filesystem::path(path).parent_path().string());
    if (!(store != nullptr ? *store : files).load(path, entry, &error))
        return Text(t::kNoBackup, path, error);
    return RestorableBlock(entry.block);
}

Text RestoreQuestion(const DeviceState& st, const BlockCache& cache, const BackupEntry& b) {
    Text text(t::kRestoreQuestion);
    text.then(Text());
    text.then(Text(t::kBackupFile, FileNameOf(b.path)));
    text.then(Text(t::kConverter, TrimBlanks(b.deviceId), b.address));
    // The block's role is the journal's sentence.
    text.then(Text(t::kBlock, b.block, BlockRole(b.block)));
    // The sensor in the image that would be written, not the file's label.
    const std::string id = ImageSensorId(b.image);
    text.then(Text(t::kSensor, ShownSensor(id)));
    text.then(Text(t::kTaken, ShownTime(b.time)));
    text.then(Text());

    const BlockCache::BlockImage* now = LastRead(st, cache, b.block);
    if (now != nullptr) {
        const std::string sensor = ImageSensorId(now->image);
        const bool same = now->image == b.image;
        text.then(Text(same ? t::kBlockNowSame : t::kBlockNow, ShownSensor(sensor)));
        if (!same && sensor != id) text.then(Text(t::kOtherSensorInBlock));
    } else {
        text.then(Text(t::kBlockNotRead));
    }
    if (TrimBlanks(b.deviceId) != TrimBlanks(st.DeviceId) || b.address != st.DeviceAddress)
        text.then(Text(t::kOtherConverter, TrimBlanks(st.DeviceId), st.DeviceAddress));
    text.then(Text());
    return text.then(ImageParagraph(st, b));
}

namespace {

bool ChooseBackupFile(Operations& ops, BackupEntry& entry) {
    const Pick pick = PickKept(ops, entry);
    if (pick == Pick::Nothing) return false;
    Text refusal;
    if (pick == Pick::Kept) {
        refusal = RestorableBlock(entry.block);
    } else {
        FileDialogSpec& dialog = ops.dialogs->restore;
        if (!ops.prompter.showOpen(dialog) || dialog.fileName.empty()) return false;
        // Read whole and checked before anything is read from or sent to
        // the converter.
        refusal = ReadBackupFile(ops.backups, dialog.fileName, entry);
    }
    if (refusal.empty()) return true;
    ops.prompter.critical(refusal);
    return false;
}

// The choice, the eKey's checks and the question; false when the write
// is not to go ahead (Failed set on a doubtful eKey mask).
bool MayRestore(Operations& ops, const BackupChoice& choose, RestoreResult& result) {
    DeviceState& st = ops.state;
    // Nothing goes out before the answer: the values stay live meanwhile.
    const auto free = ops.guard.releaseLine();
    if (!choose(ops, result.backup)) return false;
    const std::int32_t block = result.backup.block;
    if (IsEKeyBlock(block) && !EKeyMaskReliable(ops)) {
        result.outcome = ResultCode::Failed;
        return false;
    }
    // An eKey that is not plugged does not answer: the write would
    // only fail at its first byte.
    if (IsEKeyBlock(block) && ((st.EKeyMask >> (block / kPagesPerInput)) & 1U) == 0) {
        ops.prompter.critical(Text(t::kEKeyNotPresent, block / kPagesPerInput + 1));
        return false;
    }
    // Overwriting a sensor's calibration is not undone by Enter.
    return ops.prompter.question(RestoreQuestion(st, ops.cache, result.backup), MessageAnswer::No);
}

} // namespace

RestoreResult RestoreEKey(Operations& ops) {
    return RestoreChosen(ops, ChooseBackupFile);
}

RestoreResult RestoreChosen(Operations& ops, const BackupChoice& choose) {
    RestoreResult result;
    DeviceState& st = ops.state;
    if (!IsFamilyId(st.DeviceId)) {
        ops.prompter.critical(Text(texts::device::kNotConnected));
        return result;
    }
    if (!MayRestore(ops, choose, result)) return result;
    StopMeasurement(ops.port, ops.view);
    if (ops.cancelled()) return result;

    const BackupEntry& b = result.backup;
    // What the block holds now goes to the journal: the restore is a write
    // like any other, and can be undone.
    if (KnowBlocks(ops, {b.block}))
        result.writes.push_back(BeginBlockWrite(ops, journaled::kRestore, b.block, b.image));
    if (result.writes.empty() || result.writes.back().refused()) {
        StartMeasurement(ops.port, ops.view);
        if (!ops.cancelled()) result.outcome = ResultCode::Failed;
        return result;
    }
    ops.view.setStatus(Text(t::kRestoring, b.block));
    GuardedWrite& w = result.writes.back();
    result.writeResult = BlockWrite(ops.port, b.image, st.DeviceAddress, b.block / kPagesPerInput,
                                    b.block % kPagesPerInput);
    EndBlockWrite(ops, w, result.writeResult);
    if (!w.written && !ops.cancelled())
        ops.prompter.critical(
            Text(t::kRestoreWriteError, b.block, result.writeResult.shownNumber()));

    if (!ops.cancelled()) ReadConverter(ops, st.DeviceAddress);
    ReadBlockIfNotRead(ops, w);
    CheckWrites(ops, result.writes);
    if (w.checked && w.result == WriteCheckResult::Same) {
        result.outcome = ResultCode::Ok;
        ops.prompter.information(Text(t::kRestored, b.block));
    } else if (!ops.cancelled()) {
        result.outcome = ResultCode::Failed;
    }
    StartMeasurement(ops.port, ops.view);
    SettleWrites(ops, result.writes);
    return result;
}

} // namespace rm27
