#include "session/write_safety.h"

#include "link/codecs.h"
#include "link/ekey.h"

namespace rm27 {

namespace {

// Where BuildEKeyImage puts the day it built the image.
constexpr int kDateOffset = 49;
constexpr int kDateLength = 6;
constexpr int kIdOffset = 61;

std::string SensorIdOf(const std::string& image) {
    if (image.compare(0, 3, "FSN") != 0 || image.size() < kIdOffset + kSensorIdWidth) return "";
    return TrimBlanks(image.substr(kIdOffset, kSensorIdWidth));
}

} // namespace

void RememberBlock(DeviceState& state, std::int32_t block, const std::string& image) {
    state.blocks[block & 0xFF] = {image, ++state.blockReads};
}

std::string BackUpBlock(Operations& ops, std::int32_t block) {
    if (ops.backups == nullptr) return {};
    const auto it = ops.state.blocks.find(block & 0xFF);
    if (it == ops.state.blocks.end()) return {};
    BackupEntry entry;
    entry.deviceId = ops.state.DeviceId;
    entry.address = ops.state.DeviceAddress;
    entry.block = block & 0xFF;
    entry.sensorId = SensorIdOf(it->second.image);
    entry.time = ops.clock.now();
    entry.image = it->second.image;
    std::string error;
    const std::string path = ops.backups->save(entry, &error);
    if (path.empty())
        ops.view.setStatus("Zálohu bloku " + std::to_string(block) + " nelze uložit: " + error);
    return path;
}

WriteCheck BeginWriteCheck(const Operations& ops, std::int32_t block, std::string written,
                           bool freshBuild, std::string backupPath) {
    return {block & 0xFF, std::move(written), freshBuild, ops.state.blockReads,
            std::move(backupPath)};
}

int FirstDifference(const std::string& written, const std::string& read, bool freshBuild) {
    for (std::size_t i = 0; i < written.size(); ++i) {
        const int at = static_cast<int>(i);
        if (freshBuild && at >= kDateOffset && at < kDateOffset + kDateLength) continue;
        if (i >= read.size() || read[i] != written[i]) return at;
    }
    return -1;
}

WriteCheckResult FinishWriteCheck(Operations& ops, const WriteCheck& check) {
    const auto it = ops.state.blocks.find(check.block);
    if (it == ops.state.blocks.end() || it->second.readNumber <= check.readsBefore)
        return WriteCheckResult::NotReadAgain;
    const std::string& read = it->second.image;
    const int at = FirstDifference(check.written, read, check.freshBuild);
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

} // namespace rm27
