// No write may lose a sensor's calibration unnoticed: before an eKey or an
// internal copy is overwritten, the image the program last read of that
// block is kept as a backup (no frame on the line for it), and when the
// reading that ends the command reads the block again, what came back is
// compared with what was written.
#pragma once

#include <cstdint>
#include <string>

#include "session/operations.h"

namespace rm27 {

// Notes an image just read from `block` (BlockRead's 256 characters).
void RememberBlock(DeviceState& state, std::int32_t block, const std::string& image);

// Keeps the last image read of `block` in ops.backups before it is
// written. Returns the backup's path, or "" when there is nothing to keep
// (no store, or the block was never read) or the store failed; a failure
// is said on the status line, the write goes on.
std::string BackUpBlock(Operations& ops, std::int32_t block);

// A write to check once the block has been read again.
struct WriteCheck {
    std::int32_t block = 0;
    std::string written;     // the bytes sent, from byte 0
    bool freshBuild = false; // built today: its date bytes may differ
    std::uint64_t readsBefore = 0;
    std::string backupPath; // named in the message when there is one
};
WriteCheck BeginWriteCheck(const Operations& ops, std::int32_t block, std::string written,
                           bool freshBuild, std::string backupPath);

enum class WriteCheckResult {
    Same,         // read back as written
    Differs,      // a message named the block and the first differing byte
    NotReadAgain, // the reading did not read that block (another source)
};
// Compares the block as read since BeginWriteCheck with what was written.
WriteCheckResult FinishWriteCheck(Operations& ops, const WriteCheck& check);

// The first byte (from 0) where `read` differs from `written`, -1 when it
// does not; the date bytes of a freshly built image are left out.
int FirstDifference(const std::string& written, const std::string& read, bool freshBuild);

} // namespace rm27
