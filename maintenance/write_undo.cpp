#include "maintenance/write_undo.h"

#include <algorithm>

#include "device/converter.h"
#include "device/texts.h"
#include "link/codecs.h"
#include "link/memory.h"
#include "maintenance/texts.h"
#include "maintenance/write_questions.h"
#include "device/converter.h"
#include "session/ekey_mask.h"
#include "session/measurement.h"

namespace rm27 {

namespace t = texts::maintenance;

namespace {

// How long a cell's echo is waited for, as the constants' writes wait.
constexpr std::int32_t kCellWriteTimeoutMs = 100;
// The cells of K and Q: the converter takes them up after "LT".
constexpr std::int32_t kFirstConstantCell = 144;
constexpr std::int32_t kLastConstantCell = 175;

Text ResultText(const JournalEntry& e) {
    switch (e.result) {
    case JournalResult::Done:
        return Text(t::kResultDone);
    case JournalResult::Failed:
        return e.at > 0 ? Text(t::kResultStoppedAt, e.at) : Text(t::kResultFailed);
    case JournalResult::Interrupted:
        return Text(t::kResultInterrupted);
    case JournalResult::NotConfirmed:
        return Text(t::kResultDiffered);
    case JournalResult::Unverified:
        return Text(t::kResultUnverified);
    case JournalResult::Open:
        break;
    }
    return Text(t::kResultNone);
}

// The sensor the write left on its input, and the one there now as far as
// the last reading knows; "" when nothing is known.
std::string SensorLeft(const JournalEntry& e, bool redo) {
    if (!e.isBlock()) return e.sensor;
    return redo ? e.sensor : ImageSensorId(e.newBytes);
}

std::string SensorNow(const DeviceState& st, const BlockCache& cache, const JournalEntry& e) {
    if (e.isBlock()) {
        const BlockCache::BlockImage* read = cache.block(e.block);
        return read == nullptr || read->deviceId != st.DeviceId ? std::string()
                                                                : ImageSensorId(read->image);
    }
    if (e.input < 1) return {};
    const auto i = static_cast<std::size_t>(e.input - 1);
    return st.sources[i] == InputSource::EKey || st.sources[i] == InputSource::Internal
               ? TrimBlanks(st.records[i].sensorId)
               : std::string();
}

// The warnings under the question, each a line of its own.
void AddWarnings(Text& text, const DeviceState& st, const BlockCache& cache, const JournalEntry& e,
                 bool redo) {
    if (TrimBlanks(e.deviceId) != TrimBlanks(st.DeviceId) || e.address != st.DeviceAddress) {
        text.then(Text(t::kWrittenElsewhere, TrimBlanks(e.deviceId), e.address,
                       TrimBlanks(st.DeviceId), st.DeviceAddress));
    }
    const std::string now = SensorNow(st, cache, e);
    const std::string left = SensorLeft(e, redo);
    if (e.input > 0 && !now.empty() && now != left)
        text.then(Text(t::kOtherSensorNow, e.input, now, ShownSensor(left)));
}

// The entry asked for, or the box that says why there is none.
bool FindTarget(Operations& ops, int id, bool redo, JournalEntry& out) {
    std::string error;
    const std::vector<JournalEntry> entries = ops.journal->entries(nullptr, &error);
    if (!error.empty()) {
        // Why is the system's reason, with the journal's path.
        ops.prompter.critical(Text(t::kJournalUnreadable, Text::Value(error)));
        return false;
    }
    if (id == 0 && !redo) id = LastUndoable(entries);
    const JournalEntry* e = FindEntry(entries, id);
    if (e == nullptr) {
        ops.prompter.critical(id == 0 ? Text(t::kNothingToUndo) : Text(t::kNoSuchEntry, id));
        return false;
    }
    out = *e;
    return true;
}

// Whether the converter and, for an eKey, its key are there to be written.
bool CanWrite(Operations& ops, const JournalEntry& e, UndoResult& result) {
    const DeviceState& st = ops.state;
    if (!IsFamilyId(st.DeviceId)) {
        ops.prompter.critical(Text(texts::device::kNotConnected));
        return false;
    }
    if (!e.isBlock() || !IsEKeyBlock(e.block)) return true;
    if (!EKeyMaskReliable(ops)) {
        result.outcome = ResultCode::Failed;
        return false;
    }
    // An eKey that is not plugged does not answer: the write would only
    // fail at its first byte.
    if (((st.EKeyMask >> (e.block / kPagesPerInput)) & 1U) == 0) {
        ops.prompter.critical(Text(t::kEKeyNotPresent, e.block / kPagesPerInput + 1));
        return false;
    }
    return true;
}

void WriteBlock(Operations& ops, const JournalEntry& e, const std::string& bytes, bool redo,
                UndoResult& result) {
    DeviceState& st = ops.state;
    if (KnowBlocks(ops, {e.block}))
        result.write =
            BeginBlockWrite(ops, redo ? journaled::kRedo : journaled::kUndo, e.block, bytes, e.id);
    if (result.write.refused()) return;
    const Result written = BlockWrite(ops.port, bytes, st.DeviceAddress, e.block / kPagesPerInput,
                                      e.block % kPagesPerInput);
    EndBlockWrite(ops, result.write, written);
    if (!result.write.written && !ops.cancelled())
        ops.prompter.critical(Text(t::kBlockWriteError, e.block, written.shownNumber()));
    std::vector<GuardedWrite> writes = {result.write};
    if (!ops.cancelled()) ReadConverter(ops, st.DeviceAddress);
    CheckWrites(ops, writes);
    StartMeasurement(ops.port, ops.view);
    ReadBackUnchecked(ops, writes);
    SettleWrites(ops, writes);
    result.write = writes.front();
}

// One "EW" a cell, each echo checked; the first cell without a good echo
// stops the write, as a block write stops.
void WriteCells(Operations& ops, const JournalEntry& e, const std::string& bytes, bool redo,
                UndoResult& result) {
    DeviceState& st = ops.state;
    CellValues cells;
    for (std::size_t k = 0; k < e.cells.size(); ++k)
        cells.emplace_back(e.cells[k], static_cast<unsigned char>(bytes[k]));
    if (KnowCells(ops, e.cells))
        result.write = BeginCellsWrite(ops, redo ? journaled::kRedo : journaled::kUndo, cells,
                                       e.input - 1, e.id);
    if (result.write.refused()) return;
    int failedAt = 0;
    for (std::size_t k = 0; k < cells.size() && failedAt == 0 && !ops.cancelled(); ++k) {
        if (DevTransactWrite(ops.port, st.DeviceAddress, cells[k].first, cells[k].second,
                             kCellWriteTimeoutMs, "EW") < 0)
            failedAt = static_cast<int>(k) + 1;
    }
    EndCellsWrite(ops, result.write, failedAt == 0, failedAt);
    if (ops.cancelled()) return;
    const auto cell = [&](std::int32_t c) {
        return std::find(e.cells.begin(), e.cells.end(), c) != e.cells.end();
    };
    if (std::any_of(e.cells.begin(), e.cells.end(), [](std::int32_t c) {
            return c >= kFirstConstantCell && c <= kLastConstantCell;
        }))
        ops.port.send(BuildFrame(st.DeviceAddress, "LT"));
    if (cell(kCellAddress) && failedAt == 0) {
        // The address takes effect at the restart, which reads the
        // converter at it.
        st.DeviceAddress =
            cells[static_cast<std::size_t>(std::find(e.cells.begin(), e.cells.end(), kCellAddress) -
                                           e.cells.begin())]
                .second;
        RestartConverter(ops);
    } else {
        ReadConverter(ops, st.DeviceAddress);
        StartMeasurement(ops.port, ops.view);
    }
    SettleCells(ops, result.write, ConfirmMemory(ops, cells));
}

UndoResult Rewrite(Operations& ops, int id, bool redo, bool ask) {
    UndoResult result;
    JournalEntry e;
    if (!FindTarget(ops, id, redo, e)) {
        result.outcome = ResultCode::Failed;
        return result;
    }
    result.entry = e.id;
    if (!CanWrite(ops, e, result)) return result;
    if (ask) {
        // Nothing goes out before the answer: the values stay live meanwhile.
        const auto free = ops.guard.releaseLine();
        if (!ops.prompter.question(UndoQuestion(ops.state, ops.cache, e, redo), MessageAnswer::No))
            return result;
    }
    StopMeasurement(ops.port, ops.view);
    if (ops.cancelled()) return result;
    ops.view.setStatus(Text(redo ? t::kRedoing : t::kUndoing, e.id));
    const std::string& bytes = redo ? e.newBytes : e.oldBytes;
    if (e.isBlock())
        WriteBlock(ops, e, bytes, redo, result);
    else
        WriteCells(ops, e, bytes, redo, result);
    if (result.write.refused()) {
        StartMeasurement(ops.port, ops.view);
        result.outcome = ResultCode::Failed;
        return result;
    }
    const bool done = result.write.entry.result == JournalResult::Done;
    result.outcome = done ? ResultCode::Ok : ResultCode::Failed;
    if (done && !ops.cancelled()) {
        ops.prompter.information(Text(redo ? t::kRedone : t::kUndone, e.id, result.write.entry.id));
    }
    return result;
}

} // namespace

Text UndoQuestion(const DeviceState& st, const BlockCache& cache, const JournalEntry& e,
                  bool redo) {
    Text text(redo ? t::kRedoQuestion : t::kUndoQuestion, e.id);
    text.then(Text());
    text.then(Text(t::kEntry, CommandLabel(e.command), ShownTime(e.time)));
    text.then(Text(t::kConverter, TrimBlanks(e.deviceId), e.address));
    text.then(TargetText(e));
    if (!e.isBlock() && e.input > 0) text.then(Text(t::kInput, e.input));
    text.then(Text(t::kSensor, ShownSensor(e.sensor)));
    text.then(Text(t::kEntryResult, ResultText(e)));
    text.then(Text());
    text.then(Text(redo ? t::kRedoWrites : t::kUndoWrites));
    AddWarnings(text, st, cache, e, redo);
    return text;
}

UndoResult UndoWrite(Operations& ops, int id, bool ask) {
    return Rewrite(ops, id, false, ask);
}

UndoResult RedoWrite(Operations& ops, int id, bool ask) {
    return Rewrite(ops, id, true, ask);
}

UndoResult RunWayBack(Operations& ops, const WayBack& way) {
    return way.kind == WayBack::Redo ? RedoWrite(ops, way.id, false)
                                     : UndoWrite(ops, way.id, false);
}

} // namespace rm27
