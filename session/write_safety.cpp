#include "session/write_safety.h"

#include <algorithm>

#include "link/codecs.h"
#include "link/codepage.h"
#include "link/ekey.h"
#include "link/memory.h"
#include "session/measurement.h"
#include "session/texts.h"

namespace rm27 {

namespace {

std::string CellName(std::int32_t cell) {
    return LongToHex(cell, 2) + "h";
}

// What the last reading (or a read since) brought of the converter now
// connected; null when nothing, or when it came from another converter or
// address, whose bytes are no record of this one's.
const BlockCache::BlockImage* KnownBlock(const Operations& ops, std::int32_t block) {
    return ops.cache.knownBlock(block & 0xFF, ops.state.DeviceId, ops.state.DeviceAddress);
}

const BlockCache::CellValue* KnownCell(const Operations& ops, std::int32_t cell) {
    return ops.cache.knownCell(cell & 0xFF, ops.state.DeviceId, ops.state.DeviceAddress);
}

// The entry on disk, or the box that stops the write.
GuardedWrite Journaled(Operations& ops, JournalEntry entry) {
    GuardedWrite w;
    std::string error;
    if (!ops.journal->append(entry, &error)) {
        ops.prompter.critical(Text(texts::session::kJournalUnwritable, error));
        return w;
    }
    w.entry = std::move(entry);
    w.framesBefore = ops.port.framesSent;
    ops.guard.noteWriting();
    return w;
}

JournalEntry NewEntry(Operations& ops, const char* command, int of) {
    JournalEntry e;
    e.time = ops.clock.now();
    e.command = command;
    e.deviceId = ops.state.DeviceId;
    e.address = ops.state.DeviceAddress;
    e.of = of;
    return e;
}

void Settle(Operations& ops, GuardedWrite& w, JournalResult result, int at = 0) {
    if (w.refused() || w.settled) return;
    w.settled = true;
    w.entry.result = result;
    w.entry.at = at;
    // The write has happened; a journal that fails now loses only this
    // line, and the entry without an outcome still says it may be mixed.
    std::string ignored;
    ops.journal->settle(w.entry.id, result, at, &ignored);
    // A write not seen whole may have left anything from all old to all new
    // bytes: one whose read-back got no clean answer as much as one that
    // stopped half-way. One stopped before its first frame left everything
    // as it was.
    const bool mixed = result != JournalResult::Done && result != JournalResult::Open;
    if (mixed && ops.port.framesSent > w.framesBefore) ops.journal->noteUnfinished(w.entry);
}

// What a write's read-back made of it.
JournalResult Unconfirmed(const GuardedWrite& w) {
    if (w.checked && w.result == WriteCheckResult::Same) return JournalResult::Done;
    return w.checked && w.result == WriteCheckResult::Differs ? JournalResult::NotConfirmed
                                                              : JournalResult::Unverified;
}

// The read-back proper, the measurement already stopped. Only a block that
// came back whole and clean is remembered and compared: a doubtful one
// would prove nothing either way.
WriteCheckResult ReadBackStopped(Operations& ops, const WriteCheck& check);

WriteCheckResult FinishWriteCheck(Operations& ops, const WriteCheck& check) {
    const BlockCache::BlockImage* again = ops.cache.block(check.block);
    if (again == nullptr || again->readNumber <= check.readsBefore)
        return WriteCheckResult::NotReadAgain;
    const std::string& read = again->image;
    const int at = FirstDifference(check.written, read);
    if (at < 0) return WriteCheckResult::Same;
    const auto byteAt = [](const std::string& s, int i) {
        return i < static_cast<int>(s.size())
                   ? static_cast<unsigned char>(s[static_cast<std::size_t>(i)])
                   : 0u;
    };
    ops.prompter.critical(Text(texts::session::kBlockDiffersAt, check.block, at,
                               LongToHex(static_cast<std::int32_t>(byteAt(check.written, at)), 2),
                               LongToHex(static_cast<std::int32_t>(byteAt(read, at)), 2)));
    return WriteCheckResult::Differs;
}

WriteCheckResult ReadBackStopped(Operations& ops, const WriteCheck& check) {
    DeviceState& st = ops.state;
    std::string image;
    Doubt doubt;
    const Result read =
        BlockReadChecked(ops.port, image, st.DeviceAddress, check.block / kPagesPerInput,
                         check.block % kPagesPerInput, doubt);
    if (ops.cancelled()) return WriteCheckResult::NotReadAgain;
    if (read.ok() && !doubt) {
        RememberBlock(ops, check.block, image);
        return FinishWriteCheck(ops, check);
    }
    ops.prompter.critical(Text(texts::session::kBlockUnverifiable, check.block));
    return WriteCheckResult::NotReadAgain;
}

Text Reason(const JournalEntry& e) {
    switch (e.result) {
    case JournalResult::Failed:
        return e.at > 0 ? Text(texts::session::kStoppedAtByte, e.at)
                        : Text(texts::session::kWriteFailed);
    case JournalResult::Interrupted:
        return Text(texts::session::kWriteInterrupted);
    case JournalResult::NotConfirmed:
        return Text(texts::session::kReadBackDiffered);
    case JournalResult::Unverified:
        return Text(texts::session::kReadBackFailed);
    case JournalResult::Open:
    case JournalResult::Done:
        break;
    }
    return Text(texts::session::kWriteUnfinished);
}

} // namespace

std::string ImageSensorId(const std::string& image) {
    if (image.compare(0, 3, "FSN") != 0 || image.size() < kImageIdOffset + kSensorIdWidth)
        return "";
    return TrimBlanks(Cp1250ToUtf8(image.substr(kImageIdOffset, kSensorIdWidth)));
}

void RememberBlock(Operations& ops, std::int32_t block, const std::string& image) {
    ops.cache.rememberBlock(block, image, ops.state.DeviceId, ops.state.DeviceAddress);
}

void RememberCell(Operations& ops, std::int32_t cell, std::int32_t value) {
    ops.cache.rememberCell(cell, value, ops.state.DeviceId, ops.state.DeviceAddress);
}

ByteAnswer ReadCellChecked(Operations& ops, std::int32_t cell, std::int32_t timeoutMs) {
    ByteAnswer a;
    for (int ask = 0; ask < kCellAsks && !ops.cancelled(); ++ask) {
        a = DevTransactChecked(ops.port, ops.state.DeviceAddress, cell, timeoutMs, "ER");
        if (!a.doubt || a.doubt.has(kDoubtNoAnswer)) break;
    }
    if (!ops.cancelled() && !a.doubt && a.value >= 0) RememberCell(ops, cell, a.value);
    return a;
}

MemoryConfirmation ConfirmMemory(Operations& ops, const CellValues& written,
                                 const std::function<void(int, int)>& progress) {
    // The last value written to each cell, in the order the cells were
    // first written.
    CellValues cells;
    for (const auto& [cell, value] : written) {
        const auto it = std::find_if(cells.begin(), cells.end(),
                                     [cell = cell](const auto& c) { return c.first == cell; });
        if (it == cells.end())
            cells.emplace_back(cell & 0xFF, value & 0xFF);
        else
            it->second = value & 0xFF;
    }
    MemoryConfirmation result;
    StopMeasurement(ops.port, ops.view);
    const int total = static_cast<int>(cells.size());
    for (int k = 0; k < total && result.confirmed(); ++k) {
        const auto [cell, value] = cells[static_cast<std::size_t>(k)];
        // A doubtful answer proves nothing either way: the cell is asked
        // again (a lost echo before the read-back may still be owed).
        const ByteAnswer a = ReadCellChecked(ops, cell, kCellReadTimeoutMs);
        if (progress) progress(k + 1, total);
        if (ops.cancelled() || a.doubt)
            result = {MemoryConfirmation::Unreadable, cell, value, a.value};
        else if (a.value != value)
            result = {MemoryConfirmation::Differs, cell, value, a.value};
    }
    StartMeasurement(ops.port, ops.view);
    return result;
}

Text ConfirmationText(const MemoryConfirmation& c) {
    const std::string cell = CellName(c.cell);
    switch (c.result) {
    case MemoryConfirmation::Confirmed:
        break;
    case MemoryConfirmation::Differs:
        return Text(texts::session::kMemoryDiffers, cell, LongToHex(c.found, 2),
                    LongToHex(c.wanted, 2));
    case MemoryConfirmation::Unreadable:
        return Text(texts::session::kMemoryUnverifiable, cell);
    }
    return {};
}

bool KnowBlocks(Operations& ops, const std::vector<std::int32_t>& blocks) {
    DeviceState& st = ops.state;
    for (const std::int32_t block : blocks) {
        if (KnownBlock(ops, block) != nullptr) continue;
        std::string image;
        Doubt doubt;
        const Result read = BlockReadChecked(ops.port, image, st.DeviceAddress,
                                             block / kPagesPerInput, block % kPagesPerInput, doubt);
        if (ops.cancelled()) return false;
        if (!read.ok() || doubt) {
            ops.prompter.critical(Text(texts::session::kOldBlockUnread, block));
            return false;
        }
        RememberBlock(ops, block, image);
    }
    return true;
}

bool KnowCells(Operations& ops, const std::vector<std::int32_t>& cells) {
    for (const std::int32_t cell : cells) {
        if (KnownCell(ops, cell) != nullptr) continue;
        const ByteAnswer a = ReadCellChecked(ops, cell, kCellReadTimeoutMs);
        if (ops.cancelled()) return false;
        if (a.doubt || a.value < 0) {
            ops.prompter.critical(Text(texts::session::kOldCellUnread, CellName(cell)));
            return false;
        }
    }
    return true;
}

GuardedWrite BeginBlockWrite(Operations& ops, const char* command, std::int32_t block,
                             const std::string& image, int of) {
    const BlockCache::BlockImage* old = KnownBlock(ops, block);
    if (old == nullptr) {
        ops.prompter.critical(Text(texts::session::kOldBlockUnknown, block & 0xFF));
        return {};
    }
    JournalEntry e = NewEntry(ops, command, of);
    e.block = block & 0xFF;
    e.input = BlockInput(e.block) + 1;
    e.oldBytes = old->image;
    // A shorter image leaves the rest of the block as it was.
    e.newBytes = image.substr(0, e.oldBytes.size()) +
                 e.oldBytes.substr(std::min(image.size(), e.oldBytes.size()));
    e.sensor = ImageSensorId(e.oldBytes);
    const std::uint64_t readsBefore = ops.cache.blockReads();
    GuardedWrite w = Journaled(ops, std::move(e));
    if (w.refused()) return w;
    w.check = {w.entry.block, image, readsBefore};
    // From the first frame on, what the block holds is not known until it
    // is read again.
    ops.cache.forgetBlock(w.entry.block);
    return w;
}

GuardedWrite BeginCellsWrite(Operations& ops, const char* command, const CellValues& cells,
                             int input, int of) {
    DeviceState& st = ops.state;
    JournalEntry e = NewEntry(ops, command, of);
    for (const auto& [cell, value] : cells) {
        const auto at = std::find(e.cells.begin(), e.cells.end(), cell & 0xFF);
        if (at != e.cells.end()) {
            e.newBytes[static_cast<std::size_t>(at - e.cells.begin())] = static_cast<char>(value);
            continue;
        }
        const BlockCache::CellValue* old = KnownCell(ops, cell);
        if (old == nullptr) {
            ops.prompter.critical(Text(texts::session::kOldCellUnknown, CellName(cell)));
            return {};
        }
        e.cells.push_back(cell & 0xFF);
        e.oldBytes += static_cast<char>(old->value);
        e.newBytes += static_cast<char>(value);
    }
    if (input >= 0 && input < kInputCount) {
        e.input = input + 1;
        const auto i = static_cast<std::size_t>(input);
        if (st.sources[i] == InputSource::EKey || st.sources[i] == InputSource::Internal)
            e.sensor = TrimBlanks(st.records[i].sensorId);
    }
    GuardedWrite w = Journaled(ops, std::move(e));
    w.check.readsBefore = ops.cache.cellReads();
    for (const std::int32_t cell : w.entry.cells)
        ops.cache.forgetCell(cell);
    return w;
}

MemoryConfirmation ConfirmFromReading(const BlockCache& cache, const GuardedWrite& w) {
    for (std::size_t k = 0; k < w.entry.cells.size(); ++k) {
        const std::int32_t cell = w.entry.cells[k];
        const auto wanted = static_cast<unsigned char>(w.entry.newBytes[k]);
        const BlockCache::CellValue* read = cache.cell(cell);
        if (read == nullptr || read->readNumber <= w.check.readsBefore ||
            read->deviceId != w.entry.deviceId)
            return {MemoryConfirmation::Unreadable, cell, wanted, -1};
        if (read->value != wanted) return {MemoryConfirmation::Differs, cell, wanted, read->value};
    }
    return {};
}

void EndBlockWrite(Operations& ops, GuardedWrite& w, const Result& result) {
    if (w.refused()) return;
    w.written = result.ok();
    if (w.written) return;
    if (ops.cancelled() || result == ResultCode::PortClosed) {
        Settle(ops, w, JournalResult::Interrupted);
        return;
    }
    Settle(ops, w, JournalResult::Failed, result.byte());
}

void EndCellsWrite(Operations& ops, GuardedWrite& w, bool echoed, int failedAt) {
    if (w.refused()) return;
    w.written = echoed && !ops.cancelled();
    if (ops.cancelled())
        Settle(ops, w, JournalResult::Interrupted);
    else if (!echoed)
        Settle(ops, w, JournalResult::Failed, failedAt);
}

void SettleCells(Operations& ops, GuardedWrite& w, const MemoryConfirmation& c) {
    if (w.refused() || w.settled) return;
    w.checked = !ops.cancelled() && c.result != MemoryConfirmation::Unreadable;
    w.result = c.confirmed() ? WriteCheckResult::Same
               : w.checked   ? WriteCheckResult::Differs
                             : WriteCheckResult::NotReadAgain;
    if (ops.cancelled() && !w.written)
        Settle(ops, w, JournalResult::Interrupted);
    else
        Settle(ops, w, Unconfirmed(w));
}

int FirstDifference(const std::string& written, const std::string& read) {
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (i >= read.size() || read[i] != written[i]) return static_cast<int>(i);
    }
    return -1;
}

bool NeedsReadBack(const GuardedWrite& w) {
    return w.written && (!w.checked || w.result == WriteCheckResult::NotReadAgain);
}

void CheckWrites(Operations& ops, std::vector<GuardedWrite>& writes) {
    if (ops.cancelled()) return;
    for (GuardedWrite& w : writes) {
        if (!w.written) continue;
        w.result = FinishWriteCheck(ops, w.check);
        w.checked = true;
    }
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

void SettleWrites(Operations& ops, std::vector<GuardedWrite>& writes) {
    Text note;
    for (GuardedWrite& w : writes) {
        if (w.refused()) continue;
        const bool same = w.checked && w.result == WriteCheckResult::Same;
        Settle(ops, w, Unconfirmed(w));
        if (!w.written || same) continue;
        const Text sentence(w.result == WriteCheckResult::Differs
                                ? texts::session::kBlockDiffers
                                : texts::session::kBlockNotReadAgain,
                            w.block());
        note.join(sentence, Joint::Space);
    }
    // Last, so that it stays; nothing once the command was cancelled
    // (whoever cancelled it has said why).
    if (!note.empty() && !ops.cancelled()) ops.view.setStatus(note);
}

Text UnfinishedText(const Journal& journal, const JournalEntry& e) {
    const bool plural = !e.isBlock() && e.cells.size() > 1;
    Text text(plural ? texts::session::kMayBeMixedPlural : texts::session::kMayBeMixed,
              TargetText(e), Reason(e));
    text.then(journal.path().empty()
                  ? Text(texts::session::kJournalNumber, e.id)
                  : Text(texts::session::kJournalNumberPath, e.id, journal.path()));
    return text.then(Text(texts::session::kWaysBack));
}

std::vector<WayBack> AskWayBack(Operations& ops) {
    std::vector<WayBack> chosen;
    for (const JournalEntry& e : ops.journal->takeUnfinished()) {
        const int choice = ops.prompter.choose(
            Prompter::Box(UnfinishedText(*ops.journal, e), MessageIcon::Critical),
            {Text(texts::session::kRedoChoice), Text(texts::session::kUndoChoice)});
        if (choice == 0) chosen.push_back({WayBack::Redo, e.id});
        if (choice == 1) chosen.push_back({WayBack::Undo, e.id});
    }
    return chosen;
}

} // namespace rm27
