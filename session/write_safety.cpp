#include "session/write_safety.h"

#include <algorithm>

#include "link/codecs.h"
#include "link/codepage.h"
#include "link/ekey.h"
#include "link/memory.h"
#include "session/measurement.h"

namespace rm27 {

namespace {

std::string BackupNote(const BlockBackup& backup) {
    const std::string block = std::to_string(backup.block);
    switch (backup.kind) {
    case BackupKind::NeverRead:
        return "Blok " + block + " nebyl před zápisem přečten: jeho obsah není zálohován.";
    case BackupKind::Failed:
        return "Zálohu bloku " + block + " nelze uložit: " + backup.error;
    case BackupKind::Kept:
    case BackupKind::NoStore:
        break;
    }
    return {};
}

} // namespace

std::string ImageSensorId(const std::string& image) {
    if (image.compare(0, 3, "FSN") != 0 || image.size() < kImageIdOffset + kSensorIdWidth)
        return "";
    return TrimBlanks(Cp1250ToUtf8(image.substr(kImageIdOffset, kSensorIdWidth)));
}

void RememberBlock(DeviceState& state, std::int32_t block, const std::string& image) {
    state.blocks[block & 0xFF] = {image, ++state.blockReads, state.DeviceId, state.DeviceAddress};
}

BlockBackup KeepBlockImage(Operations& ops, std::int32_t block) {
    BlockBackup backup;
    backup.block = block & 0xFF;
    if (ops.backups == nullptr) return backup;
    const auto it = ops.state.blocks.find(backup.block);
    if (it == ops.state.blocks.end() || it->second.deviceId != ops.state.DeviceId ||
        it->second.address != ops.state.DeviceAddress) {
        backup.kind = BackupKind::NeverRead;
        return backup;
    }
    BackupEntry entry;
    entry.deviceId = ops.state.DeviceId;
    entry.address = ops.state.DeviceAddress;
    entry.block = backup.block;
    entry.sensorId = ImageSensorId(it->second.image);
    entry.time = ops.clock.now();
    entry.image = it->second.image;
    backup.path = ops.backups->save(entry, &backup.error);
    backup.kind = backup.path.empty() ? BackupKind::Failed : BackupKind::Kept;
    return backup;
}

std::string BackUpBlock(Operations& ops, std::int32_t block) {
    const BlockBackup backup = KeepBlockImage(ops, block);
    const std::string note = BackupNote(backup);
    if (!note.empty()) ops.view.setStatus(note);
    return backup.path;
}

WriteCheck BeginWriteCheck(const Operations& ops, std::int32_t block, std::string written,
                           std::string backupPath) {
    return {block & 0xFF, std::move(written), ops.state.blockReads, std::move(backupPath)};
}

int FirstDifference(const std::string& written, const std::string& read) {
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (i >= read.size() || read[i] != written[i]) return static_cast<int>(i);
    }
    return -1;
}

WriteCheckResult FinishWriteCheck(Operations& ops, const WriteCheck& check) {
    const auto it = ops.state.blocks.find(check.block);
    if (it == ops.state.blocks.end() || it->second.readNumber <= check.readsBefore)
        return WriteCheckResult::NotReadAgain;
    const std::string& read = it->second.image;
    const int at = FirstDifference(check.written, read);
    if (at < 0) return WriteCheckResult::Same;
    const auto byteAt = [](const std::string& s, int i) {
        return i < static_cast<int>(s.size())
                   ? static_cast<unsigned char>(s[static_cast<std::size_t>(i)])
                   : 0u;
    };
    std::string text =
        "Blok " + std::to_string(check.block) +
        " po zápisu neobsahuje, co bylo zapsáno: první rozdíl v bajtu " + std::to_string(at) +
        " (zapsáno " + LongToHex(static_cast<std::int32_t>(byteAt(check.written, at)), 2) +
        "h, přečteno " + LongToHex(static_cast<std::int32_t>(byteAt(read, at)), 2) + "h).";
    if (!check.backupPath.empty())
        text += "\r\nPůvodní obsah bloku je v záloze " + check.backupPath;
    ops.prompter.critical(text);
    return WriteCheckResult::Differs;
}

GuardedWrite BeforeBlockWrite(Operations& ops, std::int32_t block, const std::string& image) {
    GuardedWrite w;
    w.backup = KeepBlockImage(ops, block);
    w.check = BeginWriteCheck(ops, block, image, w.backup.path);
    return w;
}

namespace {

// The read-back proper, the measurement already stopped. Only a block that
// came back whole and clean is remembered and compared: a doubtful one
// would prove nothing either way.
WriteCheckResult ReadBackStopped(Operations& ops, const WriteCheck& check) {
    DeviceState& st = ops.state;
    std::string image;
    Doubt doubt;
    const std::int32_t read =
        BlockReadChecked(ops.port, image, st.DeviceAddress, check.block / kPagesPerInput,
                         check.block % kPagesPerInput, doubt);
    if (ops.cancelled()) return WriteCheckResult::NotReadAgain;
    if (read == kBlockReadOk && !doubt) {
        RememberBlock(st, check.block, image);
        return FinishWriteCheck(ops, check);
    }
    ops.prompter.critical("Zápis bloku " + std::to_string(check.block) +
                          " nelze ověřit: blok se nepodařilo spolehlivě přečíst zpět.");
    return WriteCheckResult::NotReadAgain;
}

} // namespace

bool NeedsReadBack(const GuardedWrite& w) {
    return w.written && (!w.checked || w.result == WriteCheckResult::NotReadAgain);
}

WriteCheckResult ReadBackAndCheck(Operations& ops, const WriteCheck& check) {
    if (ops.cancelled()) return WriteCheckResult::NotReadAgain;
    StopMeasurement(ops.port, ops.view);
    const WriteCheckResult result = ReadBackStopped(ops, check);
    StartMeasurement(ops.port, ops.view);
    return result;
}

void ReadBackUnchecked(Operations& ops, std::vector<GuardedWrite>& writes) {
    if (ops.cancelled() || std::none_of(writes.begin(), writes.end(), NeedsReadBack)) return;
    StopMeasurement(ops.port, ops.view);
    for (GuardedWrite& w : writes) {
        if (!NeedsReadBack(w) || ops.cancelled()) continue;
        w.result = ReadBackStopped(ops, w.check);
        w.checked = true;
    }
    StartMeasurement(ops.port, ops.view);
}

bool AllWritesConfirmed(const std::vector<GuardedWrite>& writes) {
    return std::all_of(writes.begin(), writes.end(), [](const GuardedWrite& w) {
        return !w.written || (w.checked && w.result == WriteCheckResult::Same);
    });
}

void CheckWrites(Operations& ops, std::vector<GuardedWrite>& writes) {
    if (ops.cancelled()) return;
    for (GuardedWrite& w : writes) {
        if (!w.written) continue;
        w.result = FinishWriteCheck(ops, w.check);
        w.checked = true;
    }
}

std::string WriteSafetyNote(const std::vector<GuardedWrite>& writes) {
    std::string note;
    const auto add = [&note](const std::string& text) {
        if (text.empty()) return;
        if (!note.empty()) note += " ";
        note += text;
    };
    for (const GuardedWrite& w : writes) {
        const std::string block = std::to_string(w.block());
        add(BackupNote(w.backup));
        if (!w.written) {
            // The write's own message gave the code; where the old image
            // went is what is left to say, as the block may now be a mix.
            if (w.backup.kind == BackupKind::Kept)
                add("Původní obsah bloku " + block + " je v záloze " + w.backup.path);
            continue;
        }
        if (!w.checked || w.result == WriteCheckResult::NotReadAgain)
            add("Zápis bloku " + block + " nebyl ověřen novým čtením.");
        else if (w.result == WriteCheckResult::Differs)
            add("Blok " + block + " po zápisu neobsahuje, co bylo zapsáno.");
    }
    return note;
}

void ShowWriteSafetyNote(Operations& ops, const std::vector<GuardedWrite>& writes) {
    if (ops.cancelled()) return;
    const std::string note = WriteSafetyNote(writes);
    if (!note.empty()) ops.view.setStatus(note);
}

} // namespace rm27
