// Taking a write back, or doing it again, from the journal: the bytes an
// entry replaced (undo) or meant to write (redo) go to the same block or
// cells, after a question that says what, where and when, and are read
// back. Either is a write like any other: journaled before its first
// frame, and itself undoable.
#pragma once

#include <string>

#include "l10n/text.h"
#include "link/result.h"
#include "session/journal.h"
#include "session/operations.h"
#include "session/write_safety.h"

namespace rm27 {

// The question before an undo (redo false) or a redo of `entry`: the
// entry, its command and time, the converter, the block or cells with the
// input, the sensor and how the write ended; a warning when another
// converter (or address) is connected now, or the input now holds another
// sensor than the write left there.
Text UndoQuestion(const DeviceState& state, const BlockCache& cache, const JournalEntry& entry,
                  bool redo);

struct UndoResult {
    // Done: written and read back as written. Refused: nothing written
    // (No, no such entry, no converter). Failed: the write or its
    // read-back failed, or the journal could not be read.
    Result outcome = ResultCode::Refused;
    int entry = 0;      // the entry taken back or repeated
    GuardedWrite write; // the undo's (or redo's) own write
};

// "Vrátit poslední zápis ..." and `r27ctl undo`: entry `id`, or with 0 the
// last write that can still be undone. After the question (No
// preselected; none when `ask` is false, the operator having chosen it
// already) the measurement stops, the block or cells get the entry's old
// bytes, the converter is read again (restarted first when its address
// cell was written) and what was written is read back; then the
// measurement starts again. An eKey block is written only with a reliable
// mask that shows its key plugged.
UndoResult UndoWrite(Operations& ops, int id, bool ask = true);
// "Zopakovat zápis" and `r27ctl redo`: the same with the entry's new bytes.
UndoResult RedoWrite(Operations& ops, int id, bool ask = true);
// A way back the operator chose after a write that failed.
UndoResult RunWayBack(Operations& ops, const WayBack& way);

} // namespace rm27
