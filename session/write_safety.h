// Every write to the converter goes one way, whichever command makes it:
//   1. what it will replace is known: the last reading's bytes of that
//      converter, else read first, as a step of its own before the
//      command's own frames (KnowBlocks, KnowCells);
//   2. the journal gets the entry, on disk, before the write's first frame
//      (BeginBlockWrite, BeginCellsWrite); a journal that cannot be written
//      stops the write before anything is sent;
//   3. the command's own frames, whose result is noted (EndBlockWrite,
//      EndCellsWrite): a write that failed or was cut short gets its
//      outcome at once;
//   4. the read-back, after the command's steps, which settles the rest
//      (CheckWrites, ReadBackUnchecked, SettleWrites, SettleCells).
// A write left half done is remembered by the journal; once the command has
// ended, AskWayBack says which block or cells may now hold a mix of old and
// new bytes, names the entry, and offers to repeat the write or to put the
// old content back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "link/result.h"
#include "link/transact.h"
#include "session/journal.h"
#include "session/operations.h"

namespace rm27 {

// Notes an image just read from `block` (BlockRead's 256 characters) in the
// block cache, with the converter it came from (the identification and
// address in the device state).
void RememberBlock(Operations& ops, std::int32_t block, const std::string& image);
// The same for a memory cell read cleanly.
void RememberCell(Operations& ops, std::int32_t cell, std::int32_t value);

// The sensor identifier an eKey image carries, as UTF-8; "" when the image is not
// one (blank, or not written by this family).
std::string ImageSensorId(const std::string& image);

// One memory cell read with "ER" for a command of this program's own (not
// a reading the window's steps prescribe): an answer that came but may not
// be this cell's (not hex, misframed, maybe an earlier request's) is asked
// for again, up to kCellAsks times in all; a cell that does not answer at
// all (DevTransact's four sends) is not asked again. A clean answer is
// remembered.
inline constexpr int kCellAsks = 5;
inline constexpr std::int32_t kCellReadTimeoutMs = 100;
ByteAnswer ReadCellChecked(Operations& ops, std::int32_t cell, std::int32_t timeoutMs);

// What a command that wrote the converter's memory finds when it reads the
// cells back, after its own steps are done.
struct MemoryConfirmation {
    enum Result {
        Confirmed,  // every cell holds what was written last to it
        Differs,    // a cell answered cleanly with another value
        Unreadable, // a cell's answer was missing or doubtful: nothing can be said
    };
    Result result = Confirmed;
    std::int32_t cell = -1;  // the first cell that differs or could not be read
    std::int32_t wanted = 0; // what was written there
    std::int32_t found = -1; // what it answered
    bool confirmed() const { return result == Confirmed; }
};
using CellValues = std::vector<std::pair<std::int32_t, std::int32_t>>; // cell, value
// Reads back each cell of `written` ({cell, value} in the order written; a
// cell written twice must hold the later value), with the measurement
// stopped for it and started again after. `progress` (done, total) is
// called after each cell. Each cell is read with ReadCellChecked: an
// answer still doubtful after that proves nothing either way.
MemoryConfirmation ConfirmMemory(Operations& ops, const CellValues& written,
                                 const std::function<void(int, int)>& progress = {});
// The message for a write that was not confirmed ("" when it was).
Text ConfirmationText(const MemoryConfirmation& confirmation);

// ---------------------------------------------------------- before the write

// Makes sure the content of these blocks (or cells) of the converter now
// connected is known, reading what the last reading did not bring; the
// measurement must be stopped. False, after a critical box naming what
// could not be read, when one does not come back cleanly: nothing may then
// be written.
bool KnowBlocks(Operations& ops, const std::vector<std::int32_t>& blocks);
bool KnowCells(Operations& ops, const std::vector<std::int32_t>& cells);

// A block written, a check against the block as read again.
struct WriteCheck {
    std::int32_t block = 0;
    std::string written; // the bytes sent, from byte 0
    std::uint64_t readsBefore = 0;
};

enum class WriteCheckResult {
    Same,         // read back as written
    Differs,      // a message named the block and the first differing byte
    NotReadAgain, // the reading did not read that block (another source)
};

// One write of a command, from its journal entry to its outcome.
struct GuardedWrite {
    JournalEntry entry;   // id 0: not journaled, and so not to be sent
    WriteCheck check;     // blocks
    bool written = false; // every byte went through with a good echo
    bool settled = false; // its outcome is in the journal
    bool checked = false; // a read-back compared it
    WriteCheckResult result = WriteCheckResult::NotReadAgain;
    std::uint64_t framesBefore = 0; // Port::framesSent when it was journaled
    std::int32_t block() const { return entry.block; }
    bool refused() const { return entry.id == 0; }
};

// Just before the write's first frame: the journal entry (the old bytes as
// known, the new ones given), on disk. When the old content is not known
// or the journal cannot be written, a critical box says so and the write
// is refused(): the caller sends nothing for it. `of`: the entry an undo
// or a redo goes back to.
GuardedWrite BeginBlockWrite(Operations& ops, const char* command, std::int32_t block,
                             const std::string& image, int of = 0);
// Cells in the order they will be written (a cell written twice keeps its
// later value); `input` 0..3 when they belong to one input, else -1.
GuardedWrite BeginCellsWrite(Operations& ops, const char* command, const CellValues& cells,
                             int input, int of = 0);

// ---------------------------------------------------------- after the frames

// BlockWrite's result for w: a failure or an interruption is the write's
// outcome now (and the way back will be offered).
void EndBlockWrite(Operations& ops, GuardedWrite& w, const Result& result);
// The cells' frames are done: `echoed` when every byte came back right;
// failedAt the byte (from 1) where a write stopped, 0 when it did not.
void EndCellsWrite(Operations& ops, GuardedWrite& w, bool echoed, int failedAt = 0);
// The cells as a reading since the write found them (none read again:
// Unreadable), for a command whose own reading asked for them.
MemoryConfirmation ConfirmFromReading(const BlockCache& cache, const GuardedWrite& w);
// The cells' read-back decides a cells write that was not already settled.
void SettleCells(Operations& ops, GuardedWrite& w, const MemoryConfirmation& confirmation);

// The first byte (from 0) where `read` differs from `written`, -1 when it
// does not. Every byte counts, the date of a freshly built image too: it is
// compared with the bytes sent, not with a new build, and a byte stored at
// the wrong place shows there like anywhere else.
int FirstDifference(const std::string& written, const std::string& read);

// After the reading that ends the command: checks every block written
// (a critical box for each that differs). Nothing once the command was
// cancelled: its reading did not run.
void CheckWrites(Operations& ops, std::vector<GuardedWrite>& writes);
// After the command's steps and its StartMeasurement: every block written
// that the command's reading did not read again is read back on its own
// (one measurement stop for all of them). A block that does not come back
// cleanly gives a critical box of its own.
void ReadBackUnchecked(Operations& ops, std::vector<GuardedWrite>& writes);
// Written, and not yet seen held or refused by a read-back.
bool NeedsReadBack(const GuardedWrite& w);
// Every write read back as written: only then may a command that wrote
// say it is done.
bool AllWritesConfirmed(const std::vector<GuardedWrite>& writes);
// Last of all: the outcome of every write not settled yet goes to the
// journal, and what no box said goes on the status line (a write the
// read-back could not check, one that differs).
void SettleWrites(Operations& ops, std::vector<GuardedWrite>& writes);

// ---------------------------------------------------------- the way back

// What an entry left, for the operator: which block or cells may now hold a
// mix of old and new bytes, why, and the journal entry.
Text UnfinishedText(const Journal& journal, const JournalEntry& entry);

struct WayBack {
    enum Kind { Redo, Undo } kind = Undo;
    int id = 0;
};
// Once the command has ended: one box per write it left unfinished, with
// the two ways back; the ways chosen, in order, for the caller to run as
// commands of their own.
std::vector<WayBack> AskWayBack(Operations& ops);

} // namespace rm27
