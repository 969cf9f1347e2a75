// No write may lose a sensor's calibration unnoticed: before an eKey or an
// internal copy is overwritten, the image the program last read of that
// block is kept as a backup (no frame on the line for it), and when the
// reading that ends the command reads the block again, what came back is
// compared with what was written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/operations.h"

namespace rm27 {

// Notes an image just read from `block` (BlockRead's 256 characters), with
// the converter it came from (the identification and address in `state`).
void RememberBlock(DeviceState& state, std::int32_t block, const std::string& image);

// The sensor identifier an eKey image carries, as UTF-8; "" when the image is not
// one (blank, or not written by this family).
std::string ImageSensorId(const std::string& image);

// How the backup before a write went.
enum class BackupKind {
    Kept,      // the image last read is in the store
    NoStore,   // backups are off (no store)
    NeverRead, // the block was never read from this converter: nothing to keep
    Failed,    // the store could not keep it (`error` says why)
};

struct BlockBackup {
    std::int32_t block = 0;
    BackupKind kind = BackupKind::NoStore;
    std::string path;  // Kept: the backup file
    std::string error; // Failed: why
};

// Keeps the last image read of `block` in ops.backups before it is
// written, without a frame on the line. Only an image read from the
// converter now connected counts: a backup holds what the block really
// held, never what a write meant it to hold. Says nothing to the user:
// the caller reports (see WriteSafetyNote).
BlockBackup KeepBlockImage(Operations& ops, std::int32_t block);

// KeepBlockImage for a caller that reports nothing itself: returns the
// backup's path, or "" when there is nothing to keep (no store, or the
// block was never read) or the store failed; the last two are said on the
// status line, the write goes on.
std::string BackUpBlock(Operations& ops, std::int32_t block);

// A write to check once the block has been read again.
struct WriteCheck {
    std::int32_t block = 0;
    std::string written; // the bytes sent, from byte 0
    std::uint64_t readsBefore = 0;
    std::string backupPath; // named in the message when there is one
};
WriteCheck BeginWriteCheck(const Operations& ops, std::int32_t block, std::string written,
                           std::string backupPath);

enum class WriteCheckResult {
    Same,         // read back as written
    Differs,      // a message named the block and the first differing byte
    NotReadAgain, // the reading did not read that block (another source)
};
// Compares the block as read since BeginWriteCheck with what was written.
WriteCheckResult FinishWriteCheck(Operations& ops, const WriteCheck& check);

// The first byte (from 0) where `read` differs from `written`, -1 when it
// does not. Every byte counts, the date of a freshly built image too: it is
// compared with the bytes sent, not with a new build, and a byte stored at
// the wrong place shows there like anywhere else.
int FirstDifference(const std::string& written, const std::string& read);

// For a write the command's own reading did not read again (an internal
// copy behind a plugged eKey, a block written before a restart, a command
// that ends without a reading): reads the block itself and checks it as
// FinishWriteCheck does. A block that does not come back cleanly gives a
// critical box of its own and stays NotReadAgain. Called only once the
// command's steps are done: the measurement is stopped for it and started
// again after.
WriteCheckResult ReadBackAndCheck(Operations& ops, const WriteCheck& check);

// One block write of a command, from its backup to its check, for the
// command to report when it ends.
struct GuardedWrite {
    BlockBackup backup;
    WriteCheck check;
    bool written = false; // BlockWrite succeeded; a failed write is not checked
    bool checked = false; // FinishWriteCheck ran
    WriteCheckResult result = WriteCheckResult::NotReadAgain;
    std::int32_t block() const { return check.block; }
};

// What a command does just before it writes `image` to `block`: keeps the
// block's last image read, then starts the write's check. No frame.
GuardedWrite BeforeBlockWrite(Operations& ops, std::int32_t block, const std::string& image);

// After the reading that ends the command: checks every write that
// succeeded (a critical box for each that differs). Nothing when the
// command was cancelled: its reading did not run.
void CheckWrites(Operations& ops, std::vector<GuardedWrite>& writes);

// After the command's steps and its StartMeasurement: every write that
// succeeded and that the command's reading did not read again is read back
// on its own (one measurement stop for all of them), as ReadBackAndCheck.
void ReadBackUnchecked(Operations& ops, std::vector<GuardedWrite>& writes);

// Written, and not yet seen held or refused by a read-back.
bool NeedsReadBack(const GuardedWrite& w);
// Every write that succeeded read back as written: only then may a command
// that wrote blocks say it is done.
bool AllWritesConfirmed(const std::vector<GuardedWrite>& writes);

// What the operator must still be told about the writes, for the status
// line once the command's own texts are done: a block with no backup, a
// backup that failed, a failed write and where its old image is, a write
// that no reading checked, a write that read back different. "" when every
// backup was kept and every write read back as written.
std::string WriteSafetyNote(const std::vector<GuardedWrite>& writes);
// The note on the status line, last so that it stays; nothing once the
// command was cancelled (whoever cancelled it has said why).
void ShowWriteSafetyNote(Operations& ops, const std::vector<GuardedWrite>& writes);

} // namespace rm27
