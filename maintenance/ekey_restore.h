// Writing a kept backup back to the block it was taken from: the way back
// from a write that went wrong (a copy over the wrong sensor, an
// initialisation of a calibrated eKey, a curve that read back damaged).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "l10n/text.h"
#include "link/result.h"
#include "session/backups.h"
#include "session/journal.h"
#include "session/operations.h"
#include "session/write_safety.h"

namespace rm27 {

// "Obnovit eKey ze zálohy ...": the dialog's settings, preset at start-up.
FileDialogSpec RestoreDialogSpec(const std::string& backupFolder, const std::string& owner);

// A backup file read and checked as the restore takes it (through `store`,
// or the folder the file is in when null): an empty text with the entry, or the
// message that refuses it: a file that is no backup (what is wrong, and on
// which line) or whose block is neither an eKey nor an internal copy.
Text ReadBackupFile(BackupStore* store, const std::string& path, BackupEntry& entry);

// The kept backups as the restore's table shows them, newest first: time
// taken, block, what the block is (an input's eKey or internal copy), the
// sensor identifier and description of the image.
std::vector<std::vector<Text>> BackupRows(const std::vector<BackupEntry>& entries);

// The question before the write: the backup (converter, block, the sensor
// its image holds, time) and what the block held at the last reading, with
// a warning when the backup was taken from another converter or another
// sensor; then the image's sensor with its description, and a warning when
// the input now holds another sensor.
Text RestoreQuestion(const DeviceState& state, const BlockCache& cache, const BackupEntry& backup);

struct RestoreResult {
    // Done: written and read back as written. Refused: nothing written
    // (No, no file, a file that is no backup, no converter or eKey).
    // Failed: the write failed, or the block read back different.
    Result outcome = ResultCode::Refused;
    BackupEntry backup;               // the backup chosen, once it could be read
    Result writeResult;               // BlockWrite's result, when it ran
    std::vector<GuardedWrite> writes; // the one write, with its journal entry
};

// Asks for a backup file (ops.dialogs->restore), shows what it is and asks;
// then stops the measurement, journals the write (the block's present image
// read first when the reading did not bring it), writes the backup's 256
// bytes to its block, reads the converter again
// and checks the block (reading the block itself when the reading does
// not), and starts the measurement again. The dialog and the question come
// before anything is sent; the values stay live meanwhile. An eKey block
// is not written on a doubtful eKey mask: that is said instead (Failed).
RestoreResult RestoreEKey(Operations& ops);

// Where a restore's image comes from: fills the entry (block, image, and
// what the question shows) with the line free for ticks, sending nothing;
// false when there is nothing to write (cancelled, or refused with a box
// that said why).
using BackupChoice = std::function<bool(Operations& ops, BackupEntry& entry)>;

// RestoreEKey with the entry from `choose` instead of the backup dialog;
// the rest is the same, from the eKey checks and the question on.
RestoreResult RestoreChosen(Operations& ops, const BackupChoice& choose);

} // namespace rm27
