#include "maintenance/write_undo.h"

#include <algorithm>

#include "link/codecs.h"
#include "link/memory.h"
#include "session/ekey_mask.h"
#include "reading/operations.h"
#include "session/measurement.h"

namespace rm27 {

namespace {

// How long a cell's echo is waited for, as the constants' writes wait.
constexpr std::int32_t kCellWriteTimeoutMs = 100;
// The cells of K and Q: the converter takes them up after "LT".
constexpr std::int32_t kFirstConstantCell = 144;
constexpr std::int32_t kLastConstantCell = 175;

std::string ShownSensor(const std::string& id) {
    return id.empty() ? std::string("(bez identifikátoru)") : id;
}

std::string ResultText(const JournalEntry& e) {
    switch (e.result) {
    case JournalResult::Done:
        return "zapsán a ověřen čtením";
    case JournalResult::Failed:
        return e.at > 0 ? "zastavil se u bajtu " + std::to_string(e.at)
                        : std::string("nepodařil se");
    case JournalResult::Interrupted:
        return "přerušen";
    case JournalResult::NotConfirmed:
        return "čtení ukázalo jiný obsah";
    case JournalResult::Unverified:
        return "neověřen čtením";
    case JournalResult::Open:
        break;
    }
    return "bez výsledku";
}

// The sensor the write left on its input, and the one there now as far as
// the last reading knows; "" when nothing is known.
std::string SensorLeft(const JournalEntry& e, bool redo) {
    if (!e.isBlock()) return e.sensor;
    return redo ? e.sensor : ImageSensorId(e.newBytes);
}

std::string SensorNow(const DeviceState& st, const JournalEntry& e) {
    if (e.isBlock()) {
        const auto it = st.blocks.find(e.block);
        return it == st.blocks.end() || it->second.deviceId != st.DeviceId
                   ? std::string()
                   : ImageSensorId(it->second.image);
    }
    if (e.input < 1) return {};
    const auto i = static_cast<std::size_t>(e.input - 1);
    return st.sources[i] == InputSource::EKey || st.sources[i] == InputSource::Internal
               ? TrimBlanks(st.records[i].sensorId)
               : std::string();
}

std::string Warnings(const DeviceState& st, const JournalEntry& e, bool redo) {
    std::string text;
    if (TrimBlanks(e.deviceId) != TrimBlanks(st.DeviceId) || e.address != st.DeviceAddress) {
        text += "\r\nPozor: zápis byl do převodníku " + TrimBlanks(e.deviceId) + " na adrese " +
                std::to_string(e.address) + ", připojen je " + TrimBlanks(st.DeviceId) +
                " na adrese " + std::to_string(st.DeviceAddress) + ".";
    }
    const std::string now = SensorNow(st, e);
    const std::string left = SensorLeft(e, redo);
    if (e.input > 0 && !now.empty() && now != left) {
        text += "\r\nPozor: na vstupu " + std::to_string(e.input) + " je nyní snímač " + now +
                ", zápis se týkal snímače " + ShownSensor(left) + ".";
    }
    return text;
}

// The entry asked for, or the box that says why there is none.
bool FindTarget(Operations& ops, int id, bool redo, JournalEntry& out) {
    std::string error;
    const std::vector<JournalEntry> entries = ops.journal->entries(nullptr, &error);
    if (!error.empty()) {
        ops.prompter.critical("Deník zápisů nelze přečíst (" + error + ").");
        return false;
    }
    if (id == 0 && !redo) id = LastUndoable(entries);
    const JournalEntry* e = FindEntry(entries, id);
    if (e == nullptr) {
        ops.prompter.critical(id == 0
                                  ? std::string("V deníku zápisů není žádný zápis, který by "
                                                "šlo vrátit.")
                                  : "V deníku zápisů není zápis č. " + std::to_string(id) + ".");
        return false;
    }
    out = *e;
    return true;
}

// Whether the converter and, for an eKey, its key are there to be written.
bool CanWrite(Operations& ops, const JournalEntry& e, UndoResult& result) {
    const DeviceState& st = ops.state;
    if (!IsFamilyId(st.DeviceId)) {
        ops.prompter.critical("Jednotka nepřipojena");
        return false;
    }
    if (!e.isBlock() || !IsEKeyBlock(e.block)) return true;
    if (!EKeyMaskReliable(ops)) {
        result.outcome = Outcome::Failed;
        return false;
    }
    // An eKey that is not plugged does not answer: the write would only
    // fail at its first byte.
    if (((st.EKeyMask >> (e.block / kPagesPerInput)) & 1U) == 0) {
        ops.prompter.critical("EKEY (Vstup" + std::to_string(e.block / kPagesPerInput + 1) +
                              ") not present");
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
    const std::int32_t code = BlockWrite(ops.port, bytes, st.DeviceAddress,
                                         e.block / kPagesPerInput, e.block % kPagesPerInput);
    EndBlockWrite(ops, result.write, code);
    if (!result.write.written && !ops.cancelled())
        ops.prompter.critical("Chyba zápisu bloku " + std::to_string(e.block) +
                              " [E:" + std::to_string(code) + "]");
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
        result.outcome = Outcome::Failed;
        return result;
    }
    result.entry = e.id;
    if (!CanWrite(ops, e, result)) return result;
    if (ask) {
        // Nothing goes out before the answer: the values stay live meanwhile.
        const auto free = ops.guard.releaseLine();
        if (!ops.prompter.question(UndoQuestion(ops.state, e, redo), MessageAnswer::No))
            return result;
    }
    StopMeasurement(ops.port, ops.view);
    if (ops.cancelled()) return result;
    ops.view.setStatus((redo ? "Opakuji zápis č. " : "Vracím zápis č. ") + std::to_string(e.id) +
                       " ...");
    const std::string& bytes = redo ? e.newBytes : e.oldBytes;
    if (e.isBlock())
        WriteBlock(ops, e, bytes, redo, result);
    else
        WriteCells(ops, e, bytes, redo, result);
    if (result.write.refused()) {
        StartMeasurement(ops.port, ops.view);
        result.outcome = Outcome::Failed;
        return result;
    }
    const bool done = result.write.entry.result == JournalResult::Done;
    result.outcome = done ? Outcome::Done : Outcome::Failed;
    if (done && !ops.cancelled()) {
        ops.prompter.information((redo ? "Zápis č. " + std::to_string(e.id) + " zopakován"
                                       : "Zápis č. " + std::to_string(e.id) + " vrácen") +
                                 " a ověřen čtením (záznam č. " +
                                 std::to_string(result.write.entry.id) + ").");
    }
    return result;
}

} // namespace

std::string UndoQuestion(const DeviceState& st, const JournalEntry& e, bool redo) {
    const std::string crlf = "\r\n";
    std::string text = (redo ? "Zopakovat zápis č. " : "Vrátit zápis č. ") + std::to_string(e.id) +
                       " ?" + crlf + crlf;
    text += "Zápis: " + CommandLabel(e.command) + ", " + ShownTime(e.time) + crlf;
    text += "Převodník: " + TrimBlanks(e.deviceId) + ", adresa " + std::to_string(e.address) + crlf;
    text += TargetText(e) + crlf;
    if (!e.isBlock() && e.input > 0) text += "Vstup: " + std::to_string(e.input) + crlf;
    text += "Snímač: " + ShownSensor(e.sensor) + crlf;
    text += "Výsledek zápisu: " + ResultText(e) + crlf + crlf;
    text += redo ? "Zapíše se znovu obsah, který tento zápis zapisoval."
                 : "Zapíše se zpět obsah z doby před tímto zápisem.";
    return text + Warnings(st, e, redo);
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
