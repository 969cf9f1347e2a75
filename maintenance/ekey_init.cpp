#include "maintenance/ekey_init.h"

#include "device/converter.h"
#include "link/memory.h"
#include "maintenance/texts.h"
#include "maintenance/write_questions.h"
#include "session/ekey_mask.h"
#include "session/measurement.h"
#include "session/write_safety.h"

namespace rm27 {

namespace t = texts::maintenance;

namespace {

constexpr std::uint8_t kInitCurveFlags = kCurveHasCurve | kCurveWidePoints | kCurveSignalMvV;
constexpr std::int32_t kInitGainCode = 7;
constexpr int kInitFastSlidingLength = 10;
constexpr float kDavroLimit = 9.0f;

} // namespace

int InitFormatPad(EKeyInitVariant variant) {
    return variant == EKeyInitVariant::Davro ? 2 : 1;
}

void FillInitRecord(SensorRecord& rec, EKeyInitVariant variant, const CivilDateTime& today,
                    std::int64_t nowMs) {
    const bool davro = variant == EKeyInitVariant::Davro;
    InitSensorRecord(rec, davro ? "empty-mVV" : "empty-div", 0.0f, 0.0f, 1.0f, 1.0f, davro ? 5 : 1,
                     davro ? "#0.00" : "####0", davro ? "mVV" : "div", kInitFastSlidingLength,
                     false, 0, 0, kInitCurveFlags, today, nowMs);
    rec.gainCode = kInitGainCode;
    // The other variant keeps the limit the default record gives: its
    // last point's value, 1.
    if (davro) rec.limit = kDavroLimit;
}

namespace {

// Input n's eKey (from 1) initialised with rec: its line of the report;
// true when it was written.
bool InitOneEKey(Operations& ops, EKeyInitVariant variant, int n, SensorRecord& rec,
                 EKeyInitResult& result) {
    DeviceState& st = ops.state;
    Text& line = result.lines[static_cast<std::size_t>(n - 1)];
    if (((st.EKeyMask >> (n - 1)) & 1U) == 0) {
        line = Text(t::kInitNoEKey, n);
        return false;
    }
    // The input number ends the identifier, so that eKeys written in the
    // same second still differ.
    const CivilDateTime now = ops.clock.now();
    rec.sensorId = MakeEKeyId(now, "", n, ops.uniform());
    rec.dateOfSave = DateYYMMDD(now);
    rec.validity = DateYYMMDD(now);
    std::string image;
    const Result built = BuildEKeyImage(image, rec, InitFormatPad(variant), now);
    if (!built.ok()) {
        line = Text(t::kInitNotBuilt, n, built.shownNumber());
        return false;
    }
    result.writes.push_back(
        BeginBlockWrite(ops, journaled::kEKeyInit, BlockNumber(n - 1, 0), image));
    if (result.writes.back().refused()) {
        line = Text(t::kInitNotWritten, n);
        return false;
    }
    const Result write = BlockWrite(ops.port, image, st.DeviceAddress, n - 1, 0);
    EndBlockWrite(ops, result.writes.back(), write);
    if (!write.ok()) {
        ops.prompter.plain(Text(t::kInitNotWritten, n));
        line = Text(t::kInitWriteFailed, n, write.shownNumber());
        return false;
    }
    line = Text(t::kInitWritten, n, rec.sensorId);
    return true;
}

// The report, then the reading and the checks of what was written.
void ReportAndCheck(Operations& ops, EKeyInitResult& result) {
    Text report(t::kInitReport);
    // The identifiers are pasted elsewhere, as they stand: the clipboard
    // gets the lines in Czech whatever language the box speaks.
    std::string lines;
    for (const Text& line : result.lines) {
        report.then(line);
        lines += line.czech() + "\r\n";
    }
    ops.prompter.information(report.then(Text()));
    ops.prompter.clipboardClear();
    ops.prompter.clipboardSetText(lines);
    if (!ops.cancelled()) ReadConverter(ops, ops.state.DeviceAddress);
    CheckWrites(ops, result.writes);
    StartMeasurement(ops.port, ops.view);
    // A key the reading did not read again (its mask bit lost, its block
    // unreadable) is read on its own, after the steps.
    ReadBackUnchecked(ops, result.writes);
    // Last, so that it stays: what the report could not say about the
    // checks.
    SettleWrites(ops, result.writes);
}

} // namespace

EKeyInitResult InitEKeys(Operations& ops, EKeyInitVariant variant) {
    EKeyInitResult result;
    if (!EKeyMaskReliable(ops)) {
        result.outcome = ResultCode::Failed;
        return result;
    }
    {
        // Nothing goes out before the answer: the values stay live meanwhile.
        const auto free = ops.guard.releaseLine();
        if (!ops.prompter.question(InitQuestion(ops.state), MessageAnswer::No)) return result;
    }
    StopMeasurement(ops.port, ops.view);

    // What every plugged eKey holds goes to the journal with its write:
    // known from the reading, else read now, before the first frame.
    std::vector<std::int32_t> plugged;
    for (int i = 0; i < kInputCount; ++i) {
        if ((ops.state.EKeyMask >> i) & 1U) plugged.push_back(BlockNumber(i, 0));
    }
    if (!KnowBlocks(ops, plugged)) {
        StartMeasurement(ops.port, ops.view);
        result.outcome = ResultCode::Failed;
        return result;
    }
    SensorRecord rec;
    FillInitRecord(rec, variant, ops.clock.now(), ops.nowMs());
    int written = 0;
    for (int n = 1; n <= kInputCount; ++n)
        written += InitOneEKey(ops, variant, n, rec, result) ? 1 : 0;
    ReportAndCheck(ops, result);

    if (plugged.empty())
        result.outcome = ResultCode::Refused;
    else
        result.outcome =
            written == static_cast<int>(plugged.size()) && AllWritesConfirmed(result.writes)
                ? ResultCode::Ok
                : ResultCode::Failed;
    return result;
}

} // namespace rm27
