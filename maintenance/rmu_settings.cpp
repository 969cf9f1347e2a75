#include "maintenance/rmu_settings.h"

#include <algorithm>

#include "link/codecs.h"
#include "link/memory.h"
#include "link/transact.h"
#include "maintenance/texts.h"
#include "session/ekey_mask.h"
#include "session/ekey_text.h"
#include "session/input_checks.h"
#include "session/measurement.h"

namespace rm27 {

namespace t = texts::maintenance;

Text RmuRowCaption(const SensorRecord& rec, int index) {
    // The word before the description is always "Internal": nothing tells
    // the dialog where a record came from.
    return Text(t::kRmuRow, index + 1, FixedText(rec.description, kDescriptionWidth),
                FixedText(rec.unit, kUnitWidth));
}

std::string RmuLimitText(const SensorRecord& rec) {
    return FormatFixed(rec.auxSingle, rec.numberFormat);
}

Text RmuLimitOverflow(const SensorRecord& rec) {
    return FormatOverflow(rec.auxSingle, rec.numberFormat);
}

double RmuLimitOf(const std::string& text) {
    return ValComma(TrimBlanks(text));
}

bool RunRmuSettings(Operations& ops, const std::function<void()>& dialog) {
    if (!ops.state.IsRMU) return false;
    StopMeasurement(ops.port, ops.view);
    dialog();
    StartMeasurement(ops.port, ops.view);
    return true;
}

namespace {

// A limit goes into the image as a single, and its row shows it in the
// record's number format: what neither holds would come back as another
// number. Only the rows that would be written count.

bool RowsPass(Operations& ops, const std::array<std::optional<std::string>, kInputCount>& texts) {
    for (int i = 0; i < kInputCount; ++i) {
        const auto& text = texts[static_cast<std::size_t>(i)];
        if (!text) continue;
        const SensorRecord& rec = ops.state.records[static_cast<std::size_t>(i)];
        const Text field(t::kLimitField, i + 1);
        const double limit = RmuLimitOf(*text);
        InputCheck c = CheckSingle(limit, field);
        // The single is what the row will show; the message names the
        // number as typed.
        if (c && static_cast<float>(limit) != rec.auxSingle) {
            c = CheckFitsFormat(static_cast<float>(limit), rec.numberFormat, field);
            c.value = NumberText(limit);
        }
        if (!c) {
            ops.prompter.critical(c.message().then(Text(t::kNothingSent)));
            return false;
        }
        // The limit goes back to the block the record came from.
        if (static_cast<float>(limit) != rec.auxSingle &&
            !RecordSourceReliable(ops, i, t::kNothingSent))
            return false;
    }
    return true;
}

// The blocks of the rows that will be written: what they hold goes to the
// journal with each write, known from the reading, else read now, before
// the first frame.
bool KnowRmuBlocks(Operations& ops,
                   const std::array<std::optional<std::string>, kInputCount>& texts) {
    std::vector<std::int32_t> blocks;
    for (int i = 0; i < kInputCount; ++i) {
        const auto& text = texts[static_cast<std::size_t>(i)];
        const SensorRecord& rec = ops.state.records[static_cast<std::size_t>(i)];
        if (text && static_cast<float>(RmuLimitOf(*text)) != rec.auxSingle)
            blocks.push_back(BlockNumber(rec.adr, rec.subAdr));
    }
    return KnowBlocks(ops, blocks);
}

} // namespace

RmuStoreResult StoreRmuLimits(Operations& ops,
                              const std::array<std::optional<std::string>, kInputCount>& texts,
                              const std::function<void(const Text&)>& info) {
    DeviceState& st = ops.state;
    RmuStoreResult result;
    if (!RowsPass(ops, texts) || !KnowRmuBlocks(ops, texts)) {
        result.refused = true;
        return result;
    }
    for (int i = 0; i < kInputCount; ++i) {
        const auto& text = texts[static_cast<std::size_t>(i)];
        if (!text || ops.cancelled()) continue;
        SensorRecord& rec = st.records[static_cast<std::size_t>(i)];
        const auto limit = static_cast<float>(RmuLimitOf(*text));
        // Exactly: the text box shows the limit rounded to its format, and
        // a limit typed back as shown is a change like any other.
        if (limit == rec.auxSingle) continue;
        // Kept even when the write fails, until the converter is read again.
        rec.auxSingle = limit;
        if (info) info(Text(t::kStoring, i + 1));
        // A text the key cannot hold is named; the build then refuses it.
        if (const Text refusal = EKeyTextRefusal(rec); !refusal.empty())
            ops.prompter.critical(refusal);
        std::string image;
        if (!BuildEKeyImage(image, rec, 1, ops.clock.now()).ok()) {
            ops.prompter.plain(Text(t::kNotStored, i));
            ++result.failed;
            continue;
        }
        result.writes.push_back(
            BeginBlockWrite(ops, journaled::kRmuLimits, BlockNumber(rec.adr, rec.subAdr), image));
        if (result.writes.back().refused()) {
            ++result.failed;
            continue;
        }
        EndBlockWrite(ops, result.writes.back(),
                      BlockWrite(ops.port, image, st.DeviceAddress, rec.adr, rec.subAdr));
        if (!result.writes.back().written) {
            ops.prompter.plain(Text(t::kStoreError, i));
            ++result.failed;
            continue;
        }
        ++result.written;
    }
    if (info) info(Text());
    // The restart makes the converter take the new limits; "$00" reaches
    // it at whatever address it answers.
    ops.port.send("$00X\r");
    // A read now would meet a converter that is restarting: the writes are
    // read back once the dialog has gone (CheckRmuStore).
    return result;
}

namespace {

// Each ask sends "@" up to four times, 0.1 s apart: a booted converter is
// seen within half a second.
constexpr std::int32_t kBackPollTimeoutMs = 100;
// The identification's characters, without its CR.
constexpr std::int32_t kIdAnswerLength = 10;

// Whether the converter answers with its own identification again within
// kRestartBoundMs.
bool WaitUntilBack(Operations& ops) {
    StopMeasurement(ops.port, ops.view);
    // What the ticks asked before it booted will never be answered.
    ops.port.answers.forget();
    const std::int64_t until = ops.nowMs() + kRestartBoundMs;
    bool back = false;
    while (!back && !ops.cancelled() && ops.nowMs() < until) {
        back = DevQueryChecked(ops.port, ops.state.DeviceAddress, "@", kIdAnswerLength,
                               kBackPollTimeoutMs, AnswerForm::Text)
                   .text == ops.state.DeviceId;
    }
    StartMeasurement(ops.port, ops.view);
    return back;
}

std::string WrittenBlocks(const std::vector<GuardedWrite>& writes) {
    std::string list;
    for (const GuardedWrite& w : writes) {
        if (!w.written) continue;
        if (!list.empty()) list += ", ";
        list += std::to_string(w.block());
    }
    return list;
}

} // namespace

void CheckRmuStore(Operations& ops, RmuStoreResult& stored) {
    if (!ops.cancelled() &&
        std::any_of(stored.writes.begin(), stored.writes.end(), NeedsReadBack) &&
        !WaitUntilBack(ops) && !ops.cancelled()) {
        stored.notBack = true;
        ops.prompter.critical(
            Text(t::kNotBack, kRestartBoundMs / 1000, WrittenBlocks(stored.writes)));
        SettleWrites(ops, stored.writes);
        return;
    }
    ReadBackUnchecked(ops, stored.writes);
    // lblninfo went with the dialog: the main window's status line says it.
    SettleWrites(ops, stored.writes);
}

} // namespace rm27
