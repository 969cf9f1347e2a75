#include "calibration/commands.h"

#include <cmath>
#include <limits>
#include <optional>

#include "calibration/texts.h"
#include "device/converter.h"
#include "link/codecs.h"
#include "link/doubt.h"
#include "link/memory.h"
#include "link/transact.h"
#include "session/controls.h"
#include "session/ekey_text.h"
#include "session/input_checks.h"
#include "session/measurement.h"

namespace rm27 {

namespace {

namespace tx = texts::calibration;

// The slope is kept referred to 128x (gain code 7); an input of definition
// bit 1 is calibrated at its own gain and needs no referring.
constexpr std::int32_t kDefOwnGain = 0x02;
constexpr int kReferenceGain = 7;
constexpr double kReferenceMvV = 2.0;
// Fewer divisions than this between the reading and the zero: more likely
// an unloaded input (noise would then swing the value by thousands) than
// a calibration.
constexpr double kPlausibleSpan = 1000;
constexpr std::int32_t kConstantWriteTimeoutMs = 100;
constexpr std::int32_t kEditorIntervalMs = 100;
// How often the wait for the editor looks at its tag; the wait sleeps in
// the event loop in between, so the windows stay live.
constexpr std::int64_t kEditorPollMs = 20;
constexpr std::int64_t kRestartWaitMs = 500;

double ToReferenceGain(double k, const SensorRecord& rec) {
    return k / std::ldexp(1.0, kReferenceGain - (rec.gainCode & 7));
}

// The steps are done; now the converter is asked what it holds. Its echoes
// said only that a byte arrived somewhere.
Result Confirm(Operations& ops, GuardedWrite& w, const CellValues& written) {
    const MemoryConfirmation c = ConfirmMemory(ops, written);
    SettleCells(ops, w, c);
    if (ops.cancelled()) return ResultCode::NotRun;
    if (c.confirmed()) return ResultCode::Ok;
    ops.prompter.critical(Text(ConfirmationText(c)));
    return ResultCode::NotConfirmed;
}

// The write of `cells`, journaled before its first frame (the cells' old
// content read first when the reading did not bring it); refused() when
// it may not go out, a box having said why.
GuardedWrite JournalCells(Operations& ops, const char* command, const CellValues& cells,
                          int input) {
    std::vector<std::int32_t> where;
    for (const auto& [cell, value] : cells)
        where.push_back(cell);
    if (!KnowCells(ops, where)) return {};
    return BeginCellsWrite(ops, command, cells, input);
}

CellValues FloatCells(std::int32_t cell, double value) {
    CellValues cells;
    const std::array<std::int32_t, 4> bytes = FloatBytes(value);
    for (int k = 0; k < 4; ++k)
        cells.emplace_back(cell + k, bytes[static_cast<std::size_t>(k)]);
    return cells;
}

// The "x" button's value, read as a single into `reference`; the outcome
// when it ends the command. Zero (also an empty answer, Cancel or text that
// reads as 0) gives "nemuze to byt nula" and leaves the measurement
// stopped; a value no single holds is refused and the measurement runs
// again.
std::optional<Result> EnteredMvV(Operations& ops, double& reference) {
    const double typed = ValComma(ops.prompter.inputBox(Text(tx::kEnterMvV), Text(), "2"));
    if (std::fabs(typed) <= std::numeric_limits<float>::max() && static_cast<float>(typed) == 0) {
        ops.prompter.critical(Text(tx::kZeroMvV));
        return ResultCode::ZeroEntered;
    }
    if (const InputCheck c = CheckSingle(typed, tx::kFieldEnteredMvV); !c) {
        ops.prompter.critical(c.message().then(Text(tx::kNothingWritten)));
        StartMeasurement(ops.port, ops.view);
        return ResultCode::Refused;
    }
    reference = static_cast<float>(typed);
    return std::nullopt;
}

// K of input against `reference` mV/V at the live reading, referred to
// 128x; nothing when refused (the reading equals Q, or K is no number a
// single holds) or when the operator does not confirm a span so small
// that the input is more likely unloaded than calibrated.
std::optional<double> CheckedSlope(Operations& ops, int input, double reference, bool entered) {
    const DeviceState& st = ops.state;
    const auto i = static_cast<std::size_t>(input);
    const double span = static_cast<double>(ops.live.raw[i]) - st.Q[i];
    if (span == 0) {
        ops.prompter.critical(Text(tx::kSlopeUndefined));
        return std::nullopt;
    }
    double k = reference / span;
    if (entered || (st.definitionBytes[i] & kDefOwnGain) == 0)
        k = ToReferenceGain(k, st.records[i]);
    const int n = input + 1;
    if (const InputCheck c = CheckNonZeroSingle(k, Text(tx::kFieldSlope, n)); !c) {
        ops.prompter.critical(c.message().then(Text(tx::kNothingWritten)));
        return std::nullopt;
    }
    if (std::fabs(span) < kPlausibleSpan &&
        !ops.prompter.question(
            Text(tx::kSmallSpan, n, NumberText(span), TrimBlanks(FormatFixed(k, kFormatK))),
            MessageAnswer::No))
        return std::nullopt;
    return k;
}

// A new zero is the live reading; a new slope also rests on Q and on the
// gain the reading found. Any of them not clean as the converter sent it, and
// the constant written would be made up: refused before anything goes out.
bool LiveBasisTrusted(Operations& ops, int input, bool slope) {
    const DeviceState& st = ops.state;
    const auto i = static_cast<std::size_t>(input);
    const int n = input + 1;
    const Doubt basis = st.doubts.Q[i] | st.doubts.definition[i] | st.doubts.records[i];
    Text refusal;
    if (!ops.live.seen[i])
        refusal = Text(tx::kNoLiveValue, n);
    else if (ops.live.doubts[i].raw)
        refusal = Text(tx::kLiveDoubtful, n, DoubtReasons(ops.live.doubts[i].raw));
    else if (slope && basis)
        refusal = Text(tx::kBasisDoubtful, n, DoubtReasons(basis));
    if (refusal.empty()) return true;
    ops.prompter.critical(refusal.then(Text(tx::kNothingWritten)));
    return false;
}

std::string TwoDigits(int n) {
    std::string text = std::to_string(n);
    if (text.size() < 2) text.insert(0, 2 - text.size(), '0');
    return text;
}

} // namespace

Result SetmVVKQ(Operations& ops, int index) {
    if (index < 0 || index >= 3 * kInputCount) return ResultCode::NotRun;
    DeviceState& st = ops.state;
    StopMeasurement(ops.port, ops.view);
    if (ops.cancelled()) return ResultCode::NotRun;

    const int input = index % kInputCount;
    const auto i = static_cast<std::size_t>(input);
    const bool zero = index < kInputCount;
    if (!LiveBasisTrusted(ops, input, !zero)) {
        StartMeasurement(ops.port, ops.view);
        return ResultCode::Refused;
    }
    double value = ops.live.raw[i];
    if (!zero) {
        double reference = kReferenceMvV;
        const bool entered = index >= 2 * kInputCount;
        // The measurement is stopped already: the reading the slope is
        // taken from cannot move while the user types.
        if (entered) {
            if (const auto stop = EnteredMvV(ops, reference)) return *stop;
        }
        const std::optional<double> k = CheckedSlope(ops, input, reference, entered);
        if (!k) {
            // Nothing reached the converter: it measures on as before.
            StartMeasurement(ops.port, ops.view);
            return ResultCode::Refused;
        }
        value = *k;
    }
    const int cell = zero ? CellQ(input) : CellK(input);
    const CellValues cells = FloatCells(cell, value);
    GuardedWrite w = JournalCells(ops, zero ? journaled::kZero : journaled::kSpan, cells, input);
    if (w.refused()) {
        StartMeasurement(ops.port, ops.view);
        return ResultCode::Refused;
    }
    (zero ? st.Q[i] : st.K[i]) = value;
    const bool echoed =
        MemWriteFloat(ops.port, st.DeviceAddress, cell, value, kConstantWriteTimeoutMs) == 1.0;
    EndCellsWrite(ops, w, echoed);
    ShowConstants(ops.view, st, input);
    // The converter works with the constants it loaded; "LT" has it load
    // the new ones from memory. It does not answer.
    ops.port.send(BuildFrame(st.DeviceAddress, "LT"));
    StartMeasurement(ops.port, ops.view);
    if (ops.cancelled()) return ResultCode::NotRun;
    return Confirm(ops, w, cells);
}

Result WriteFilter(Operations& ops, int filterCode) {
    if (filterCode < 0 || filterCode > 15) return ResultCode::NotRun;
    StopMeasurement(ops.port, ops.view);
    if (ops.cancelled()) return ResultCode::NotRun;
    const CellValues cells = {{kCellFilter, filterCode}};
    GuardedWrite w = JournalCells(ops, journaled::kFilter, cells, -1);
    if (w.refused()) {
        StartMeasurement(ops.port, ops.view);
        return ResultCode::Refused;
    }
    ops.state.FilterCode = filterCode;
    QuickWriteByte(ops, ops.state.DeviceAddress, kCellFilter, filterCode);
    // The echo is not the filter's to judge: the read-back is.
    EndCellsWrite(ops, w, true);
    StartMeasurement(ops.port, ops.view);
    if (ops.cancelled()) return ResultCode::NotRun;
    return Confirm(ops, w, cells);
}

namespace {

// The editor's record into its block: the journal first, the write, and
// the restart that has the converter take the block up.
void StoreEdited(Operations& ops, CalibrationEditorModel& m, int input, CalibrationRun& run) {
    DeviceState& st = ops.state;
    const auto i = static_cast<std::size_t>(input);
    ops.view.setStatus(Text(tx::kStoppingMeasurement));
    StopMeasurement(ops.port, ops.view);
    // What the block holds goes to the journal with the store; it is
    // usually known from the reading, else read now, before anything
    // is written.
    const std::int32_t block = BlockNumber(m.Adr, m.SubAdr);
    const bool known = KnowBlocks(ops, {block});
    SensorRecord& rec = st.records[i];
    rec = m.xXx;
    rec.zeroOffset = 0;
    ops.view.setStatus(Text(tx::kSavingCalibration, input + 1));
    // The editor refuses such a text already; any other way in is named too.
    if (const Text refusal = EKeyTextRefusal(rec); !refusal.empty())
        ops.prompter.critical(refusal);
    run.built = BuildEKeyImage(run.image, rec, 1, ops.clock.now());
    if (!run.built.ok()) {
        run.image.clear();
        ops.prompter.plain(Text(tx::kCurveNotBuilt, run.built.shownNumber()));
    } else if (known) {
        run.write = BeginBlockWrite(ops, journaled::kCalibration, block, run.image);
    }
    if (!run.write.refused()) {
        run.writeResult = BlockWrite(ops.port, run.image, st.DeviceAddress, m.Adr, m.SubAdr);
        EndBlockWrite(ops, run.write, run.writeResult);
        // Stored: the work kept in case it was lost is no longer needed.
        if (run.writeResult.ok())
            m.DropDraft();
        else
            ops.prompter.plain(Text(tx::kCalibrationWriteError, run.writeResult.shownNumber()));
    }
    // A restart has the converter take up the block it was given.
    ops.port.send(BuildFrame(st.DeviceAddress, "X"));
    DelayMs(ops.port, kRestartWaitMs);
}

} // namespace

CalibrationRun DoCalibration(Operations& ops, int input, CalibrationEditor& editor) {
    CalibrationRun run;
    if (input < 0 || input >= kInputCount) return run;
    DeviceState& st = ops.state;
    const auto i = static_cast<std::size_t>(input);

    CalibrationEditorModel& m = editor.Load();
    m.xXx = st.records[i];
    m.FNX = kTargetEKey;
    m.FNXSection = "Kalibrace\\Snimac" + TwoDigits(input + 1);
    m.LiveDivRef = &ops.live.raw[i];
    m.LiveMvvRef = &ops.live.signal[i];
    m.Adr = m.xXx.adr;
    m.SubAdr = m.xXx.subAdr;
    m.Input = input;
    m.Tag = EditorTag::None;
    editor.RunTimer(kEditorIntervalMs);
    editor.UpdateCalibration();
    {
        // The user edits with the values live: the main window's ticks run
        // and keep the editor's signal moving. Nothing else may start.
        const auto free = ops.guard.releaseLine();
        // Points captured over hours are not dropped with a lost line: the
        // editor stays open and waits for the line to come back.
        const auto work = ops.guard.keepingWork();
        editor.Show();
        while (m.Tag == EditorTag::None && !ops.cancelled())
            DelayMs(ops.port, kEditorPollMs);
    }
    run.tag = m.Tag;
    editor.Unload();
    if (ops.cancelled()) {
        run.tag = EditorTag::None;
        return run;
    }

    if (run.tag == EditorTag::Store) StoreEdited(ops, m, input, run);
    ops.view.setStatus(Text(tx::kStartingMeasurement));
    StartMeasurement(ops.port, ops.view);
    ops.view.setStatus(Text(tx::kMeasurementStarted));
    return run;
}

CalibrationRun ChangeCalibration(Operations& ops, int input, CalibrationEditor& editor,
                                 const std::function<void(Operations&)>& readAction) {
    if (input < 0 || input >= kInputCount) return {};
    StopMeasurement(ops.port, ops.view);
    if (ops.cancelled()) return {};
    ReadEKeyPresence(ops);
    StartMeasurement(ops.port, ops.view);
    if (ops.cancelled()) return {};
    CalibrationRun run = DoCalibration(ops, input, editor);
    if (readAction && !ops.cancelled()) readAction(ops);
    if (run.write.refused()) return run;
    // The store is checked against what the reading found in its block;
    // a block the reading did not read (no eKey seen there this time, or it
    // failed) is read on its own, after everything else.
    std::vector<GuardedWrite> writes = {run.write};
    CheckWrites(ops, writes);
    ReadBackUnchecked(ops, writes);
    SettleWrites(ops, writes);
    run.write = writes.front();
    run.checkResult = run.write.result;
    return run;
}

} // namespace rm27
