#include "maintenance/ekey_bin.h"

#include <sys/stat.h>

#include "link/ekey.h"
#include "link/memory.h"
#include "maintenance/texts.h"
#include "session/files.h"
#include "session/write_safety.h"

namespace rm27 {

namespace t = texts::maintenance;

namespace {

// "SIMKEY01.bin"; an input without an identifier by its number.
std::string BinFileName(const DeviceState& st, int input) {
    std::string name = FileNamePart(st.records[static_cast<std::size_t>(input)].sensorId);
    if (name.empty()) name = "Vstup" + std::to_string(input + 1);
    return name + ".bin";
}

// The file's last change, local time: when the image was taken, as far as
// a file without a header can say.
CivilDateTime ModifiedAt(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    return LocalTime(static_cast<std::int64_t>(info.st_mtime));
}

// In the folder the EEPROM images are offered from, owned by their window.
FileDialogSpec BinDialog(const Operations& ops, const TextId& title) {
    FileDialogSpec dialog;
    dialog.title = title.czech;
    dialog.filter = t::kBinFilter.czech;
    dialog.defaultExt = ".bin";
    dialog.initDir = ops.dialogs->eeprom.initDir;
    dialog.owner = ops.dialogs->eeprom.owner;
    return dialog;
}

bool ChooseBinFile(Operations& ops, int input, BackupEntry& entry) {
    const DeviceState& st = ops.state;
    const std::int32_t block = InputBlock(st, input);
    if (block < 0) {
        ops.prompter.critical(Text(t::kBinInputNotRead, input + 1));
        return false;
    }
    FileDialogSpec dialog = BinDialog(ops, t::kBinOpenTitle);
    if (!ops.prompter.showOpen(dialog) || dialog.fileName.empty()) return false;
    std::string image;
    if (const Text refusal = ReadBinFile(dialog.fileName, image); !refusal.empty()) {
        ops.prompter.critical(refusal);
        return false;
    }
    // The file says nothing of where it came from: it goes to this
    // converter's block of the input.
    entry.path = dialog.fileName;
    entry.deviceId = st.DeviceId;
    entry.address = st.DeviceAddress;
    entry.block = block;
    entry.sensorId = ImageSensorId(image);
    entry.time = ModifiedAt(dialog.fileName);
    entry.image = std::move(image);
    return true;
}

} // namespace

std::int32_t InputBlock(const DeviceState& st, int input) {
    if (input < 0 || input >= kInputCount) return -1;
    switch (st.sources[static_cast<std::size_t>(input)]) {
    case InputSource::EKey:
        return BlockNumber(input, 0);
    case InputSource::Internal:
    case InputSource::InternalNA:
        return BlockNumber(kInputCount, input);
    case InputSource::None:
        break;
    }
    return -1;
}

Result SaveEKeyBin(Operations& ops, int input) {
    const DeviceState& st = ops.state;
    const std::int32_t block = InputBlock(st, input);
    const BlockCache::BlockImage* read =
        block < 0 ? nullptr : ops.cache.knownBlock(block, st.DeviceId, st.DeviceAddress);
    if (read == nullptr || read->image.size() != kBlockSize) {
        ops.prompter.critical(Text(t::kBinNotRead, input + 1));
        return ResultCode::Refused;
    }
    const std::string image = read->image;
    FileDialogSpec dialog = BinDialog(ops, t::kBinSaveTitle);
    dialog.fileName = BinFileName(st, input);
    {
        // Nothing is sent: the values stay live while the dialog is open.
        const auto free = ops.guard.releaseLine();
        if (!ops.prompter.showSave(dialog) || dialog.fileName.empty()) return ResultCode::Refused;
    }
    if (const Text error = WriteWholeFile(dialog.fileName, image); !error.empty()) {
        ops.prompter.critical(Text(t::kFileNotWritten, dialog.fileName, error));
        return ResultCode::Failed;
    }
    ops.prompter.information(Text(t::kBinSaved, block, BlockRole(block), dialog.fileName));
    return ResultCode::Ok;
}

Text ReadBinFile(const std::string& path, std::string& image) {
    std::string bytes;
    if (const Text why = ReadWholeFile(path, kBinFile, bytes); !why.empty())
        return Text(t::kBinUnusable, path, why);
    if (bytes.size() != static_cast<std::size_t>(kBlockSize))
        return Text(t::kBinUnusable, path, Text(t::kBinWrongSize, bytes.size()));
    image = std::move(bytes);
    return {};
}

RestoreResult RestoreEKeyBin(Operations& ops, int input) {
    return RestoreChosen(
        ops, [input](Operations& o, BackupEntry& entry) { return ChooseBinFile(o, input, entry); });
}

} // namespace rm27
