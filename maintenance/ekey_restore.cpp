#include "maintenance/ekey_restore.h"

#include <filesystem>

#include "link/memory.h"
#include "session/ekey_mask.h"
#include "reading/operations.h"
#include "session/measurement.h"

namespace rm27 {

namespace {

std::string ShownSensor(const std::string& id) {
    return id.empty() ? std::string("(bez identifikátoru)") : id;
}

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The sensor an image holds, as the decoder reads it (identifier and
// description without their blanks); false when it is no sensor record.
bool ImageSensor(const std::string& image, std::string& id, std::string& description) {
    SensorRecord rec;
    const std::int32_t code = DecodeEKeyImage(image, rec, 0, 0, 0);
    // The texts come before any check the decoder may still refuse.
    if (code == kDecodeShort || code == kDecodeNoFSN) return false;
    id = TrimBlanks(rec.sensorId);
    description = TrimBlanks(rec.description);
    return true;
}

// The file's own "sensor" line is only a label: what the write puts back
// is the image, so the question shows the sensor inside it, and warns when
// the input now holds another one.
std::string ImageParagraph(const DeviceState& st, const BackupEntry& b) {
    std::string id;
    std::string description;
    std::string text =
        ImageSensor(b.image, id, description)
            ? "Obraz v záloze: snímač " + ShownSensor(id) + ", popis „" + description + "“."
            : std::string("Obraz v záloze není záznam snímače.");
    const int input = BlockInput(b.block);
    if (input < 0) return text;
    const auto i = static_cast<std::size_t>(input);
    if (st.sources[i] != InputSource::EKey && st.sources[i] != InputSource::Internal) return text;
    const std::string nowId = TrimBlanks(st.records[i].sensorId);
    const std::string nowDescription = TrimBlanks(st.records[i].description);
    if (nowId != id || nowDescription != description) {
        text += "\r\nPozor: na vstupu " + std::to_string(input + 1) + " je nyní snímač " +
                ShownSensor(nowId) + ", popis „" + nowDescription + "“.";
    }
    return text;
}

// The block's image as read from the converter now connected, if it was.
const DeviceState::BlockImage* LastRead(const DeviceState& st, std::int32_t block) {
    const auto it = st.blocks.find(block);
    if (it == st.blocks.end() || it->second.deviceId != st.DeviceId ||
        it->second.address != st.DeviceAddress)
        return nullptr;
    return &it->second;
}

// The write is checked against the reading that ends the command; an
// internal copy behind a plugged eKey is not part of that reading, so it
// is read on its own. This is the restore's own sequence: no prescribed
// one is lengthened.
void ReadBlockIfNotRead(Operations& ops, const GuardedWrite& w) {
    if (!w.written || ops.cancelled()) return;
    DeviceState& st = ops.state;
    const DeviceState::BlockImage* read = LastRead(st, w.block());
    if (read != nullptr && read->readNumber > w.check.readsBefore) return;
    std::string image;
    if (BlockRead(ops.port, image, st.DeviceAddress, w.block() / kPagesPerInput,
                  w.block() % kPagesPerInput) == kBlockReadOk)
        RememberBlock(st, w.block(), image);
}

} // namespace

FileDialogSpec RestoreDialogSpec(const std::string& backupFolder, const std::string& owner) {
    FileDialogSpec dialog;
    dialog.title = "Obnovit eKey ze zálohy";
    dialog.filter = "Zálohy eKey (*.ekey)|*.ekey|Všechny |*.*";
    dialog.defaultExt = ".ekey";
    dialog.initDir = backupFolder;
    dialog.owner = owner;
    return dialog;
}

std::string ReadBackupFile(BackupStore* store, const std::string& path, BackupEntry& entry) {
    std::string error;
    // Any file may be chosen, not only one of the store's own folder.
    FolderBackupStore files(std::filesystem::path(path).parent_path().string());
    if (!(store != nullptr ? *store : files).load(path, entry, &error))
        return "Soubor " + path + " nelze použít jako zálohu eKey: " + error;
    if (BlockRole(entry.block).empty())
        return "Blok " + std::to_string(entry.block) +
               " není eKey ani interní kopie: záloha se nezapíše.";
    return {};
}

std::string RestoreQuestion(const DeviceState& st, const BackupEntry& b) {
    const std::string crlf = "\r\n";
    std::string text = "Zapsat zálohu zpět do převodníku ?" + crlf + crlf;
    text += "Záloha: " + FileNameOf(b.path) + crlf;
    text += "Převodník: " + TrimBlanks(b.deviceId) + ", adresa " + std::to_string(b.address) + crlf;
    text += "Blok: " + std::to_string(b.block) + " (" + BlockRole(b.block) + ")" + crlf;
    // The sensor in the image that would be written, not the file's label.
    const std::string id = ImageSensorId(b.image);
    text += "Snímač: " + ShownSensor(id) + crlf;
    text += "Pořízena: " + ShownTime(b.time) + crlf + crlf;

    const DeviceState::BlockImage* now = LastRead(st, b.block);
    if (now != nullptr) {
        const std::string sensor = ImageSensorId(now->image);
        text += "Blok nyní obsahuje (podle posledního čtení): snímač " + ShownSensor(sensor);
        if (now->image == b.image)
            text += ", shodný se zálohou";
        else if (sensor != id)
            text += crlf + "Pozor: v bloku je jiný snímač, než ze kterého je záloha.";
    } else {
        text += "Blok nebyl přečten: před zápisem se přečte do deníku zápisů.";
    }
    if (TrimBlanks(b.deviceId) != TrimBlanks(st.DeviceId) || b.address != st.DeviceAddress) {
        text += crlf + "Pozor: záloha je z jiného převodníku (připojen je " +
                TrimBlanks(st.DeviceId) + ", adresa " + std::to_string(st.DeviceAddress) + ").";
    }
    return text + crlf + crlf + ImageParagraph(st, b);
}

RestoreResult RestoreEKey(Operations& ops) {
    RestoreResult result;
    DeviceState& st = ops.state;
    if (!IsFamilyId(st.DeviceId)) {
        ops.prompter.critical("Jednotka nepřipojena");
        return result;
    }
    {
        // Nothing goes out before the answer: the values stay live meanwhile.
        const auto free = ops.guard.releaseLine();
        FileDialogSpec& dialog = ops.dialogs->restore;
        if (!ops.prompter.showOpen(dialog) || dialog.fileName.empty()) return result;
        // Read whole and checked before anything is read from or sent to
        // the converter.
        const std::string refusal = ReadBackupFile(ops.backups, dialog.fileName, result.backup);
        if (!refusal.empty()) {
            ops.prompter.critical(refusal);
            return result;
        }
        const std::int32_t block = result.backup.block;
        if (IsEKeyBlock(block) && !EKeyMaskReliable(ops)) {
            result.outcome = Outcome::Failed;
            return result;
        }
        // An eKey that is not plugged does not answer: the write would
        // only fail at its first byte.
        if (IsEKeyBlock(block) && ((st.EKeyMask >> (block / kPagesPerInput)) & 1U) == 0) {
            ops.prompter.critical("EKEY (Vstup" + std::to_string(block / kPagesPerInput + 1) +
                                  ") not present");
            return result;
        }
        // Overwriting a sensor's calibration is not undone by Enter.
        if (!ops.prompter.question(RestoreQuestion(st, result.backup), MessageAnswer::No))
            return result;
    }
    StopMeasurement(ops.port, ops.view);
    if (ops.cancelled()) return result;

    const BackupEntry& b = result.backup;
    const std::string block = std::to_string(b.block);
    // What the block holds now goes to the journal: the restore is a write
    // like any other, and can be undone.
    if (KnowBlocks(ops, {b.block}))
        result.writes.push_back(BeginBlockWrite(ops, journaled::kRestore, b.block, b.image));
    if (result.writes.empty() || result.writes.back().refused()) {
        StartMeasurement(ops.port, ops.view);
        if (!ops.cancelled()) result.outcome = Outcome::Failed;
        return result;
    }
    ops.view.setStatus("Obnovuji blok " + block + " ze zálohy ...");
    GuardedWrite& w = result.writes.back();
    result.writeResult = BlockWrite(ops.port, b.image, st.DeviceAddress, b.block / kPagesPerInput,
                                    b.block % kPagesPerInput);
    EndBlockWrite(ops, w, result.writeResult);
    if (!w.written && !ops.cancelled())
        ops.prompter.critical("Chyba zápisu bloku " + block +
                              " ze zálohy [E:" + std::to_string(result.writeResult) + "]");

    if (!ops.cancelled()) ReadConverter(ops, st.DeviceAddress);
    ReadBlockIfNotRead(ops, w);
    CheckWrites(ops, result.writes);
    if (w.checked && w.result == WriteCheckResult::Same) {
        result.outcome = Outcome::Done;
        ops.prompter.information("Blok " + block + " obnoven ze zálohy a ověřen čtením.");
    } else if (!ops.cancelled()) {
        result.outcome = Outcome::Failed;
    }
    StartMeasurement(ops.port, ops.view);
    SettleWrites(ops, result.writes);
    return result;
}

} // namespace rm27
