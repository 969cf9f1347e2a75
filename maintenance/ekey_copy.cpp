#include "maintenance/ekey_copy.h"

#include <string>

#include "device/converter.h"
#include "link/doubt.h"
#include "link/memory.h"
#include "link/transact.h"
#include "maintenance/texts.h"
#include "maintenance/write_questions.h"
#include "session/ekey_mask.h"
#include "session/measurement.h"
#include "session/write_safety.h"

namespace rm27 {

namespace t = texts::maintenance;

namespace {

constexpr std::uint8_t kInputs1And4 = 0x09;
// Where the reading finds the internal copies: input 4, page = input index.
constexpr std::int32_t kInternalCopiesInput = 4;

bool Ask(Operations& ops, const Text& text) {
    // Nothing goes out before the answer: the values stay live meanwhile.
    const auto free = ops.guard.releaseLine();
    return ops.prompter.question(text, MessageAnswer::No);
}

// Every copy that got past its question ends the same way, whatever
// happened: the window shows what the converter now holds. That reading is
// also what tells whether the write holds; an internal copy behind a
// plugged eKey is not part of it, and is read on its own once the copy's
// steps are done. What is left to say about the backup and the check goes
// on the status line last, where it stays.
void Finish(Operations& ops, CopyResult& result) {
    if (!ops.cancelled()) ReadConverter(ops, ops.state.DeviceAddress);
    CheckWrites(ops, result.writes);
    StartMeasurement(ops.port, ops.view);
    ReadBackUnchecked(ops, result.writes);
    SettleWrites(ops, result.writes);
    if (ops.cancelled()) return;
    // Done only for what the converter was seen to hold.
    if (!AllWritesConfirmed(result.writes) && result.outcome == ResultCode::Ok)
        result.outcome = ResultCode::Failed;
}

// A block read for a copy: the bytes go to another key as they came, so a
// block with a character that was not hex, a misplaced CR or an answer
// that may be another request's is as good as none (its result is then
// no answer, like a failed read's).
Result ReadForCopy(Operations& ops, std::string& image, std::int32_t input) {
    Doubt doubt;
    const Result read = BlockReadChecked(ops.port, image, ops.state.DeviceAddress, input, 0, doubt);
    return read.ok() && doubt ? Result::Of(ResultOf::BlockRead, ResultCode::NoAnswer) : read;
}

Result CopyToInternal(Operations& ops, int index, std::vector<GuardedWrite>& writes) {
    DeviceState& st = ops.state;
    const int n = index + 1;
    if (((st.EKeyMask >> index) & 1U) == 0) {
        ops.prompter.critical(Text(t::kEKeyNotPresent, n));
        return ResultCode::Refused;
    }
    // What the internal copy holds now goes to the journal with the copy:
    // read first when the reading did not bring it.
    const std::int32_t target = BlockNumber(InternalCopyInput(index), 0);
    if (!KnowBlocks(ops, {target})) return ResultCode::Failed;
    ops.view.setStatus(Text(t::kReadingSource, n));
    std::string image;
    const Result read = ReadForCopy(ops, image, index);
    if (!read.ok()) {
        ops.prompter.critical(Text(t::kReadError, n));
        return ResultCode::Failed;
    }
    RememberBlock(ops, BlockNumber(index, 0), image);
    ops.view.setStatus(Text(t::kWritingInternal, n));
    writes.push_back(BeginBlockWrite(ops, journaled::kEKeyCopy, target, image));
    if (writes.back().refused()) return ResultCode::Failed;
    const Result write = BlockWrite(ops.port, image, st.DeviceAddress, InternalCopyInput(index), 0);
    EndBlockWrite(ops, writes.back(), write);
    if (!write.ok()) {
        ops.prompter.critical(Text(t::kWriteError, write.shownNumber()));
        return ResultCode::Failed;
    }
    ops.view.setStatus(Text());
    ops.prompter.information(Text(t::kCopied, read.shownNumber(), write.shownNumber()));
    return ResultCode::Ok;
}

Result Copy1To4(Operations& ops, std::vector<GuardedWrite>& writes) {
    DeviceState& st = ops.state;
    if ((st.EKeyMask & kInputs1And4) != kInputs1And4) {
        ops.prompter.critical(Text(t::kEKeysNotPresent));
        return ResultCode::Refused;
    }
    ops.view.setStatus(Text(t::kReadingSource, 1));
    std::string source;
    const Result readSource = ReadForCopy(ops, source, 0);
    if (!readSource.ok()) {
        ops.prompter.critical(Text(t::kReadError, 1));
        return ResultCode::Failed;
    }
    RememberBlock(ops, BlockNumber(0, 0), source);
    ops.view.setStatus(Text(t::kReadingDestination));
    std::string destination;
    // Its identifier goes into the image written: it must be the key's.
    const Result readDestination = ReadForCopy(ops, destination, 3);
    if (!readDestination.ok()) {
        ops.prompter.critical(Text(t::kReadError, 4));
        return ResultCode::Failed;
    }
    // Read a moment ago: the freshest image of input 4 there is to keep.
    RememberBlock(ops, BlockNumber(3, 0), destination);
    // Two sensors must never share an identifier: input 4 keeps its own.
    source.replace(kImageIdOffset, kSensorIdWidth,
                   destination.substr(kImageIdOffset, kSensorIdWidth));
    ops.view.setStatus(Text(t::kWriting1To4));
    writes.push_back(BeginBlockWrite(ops, journaled::kEKeyCopy14, BlockNumber(3, 0), source));
    if (writes.back().refused()) return ResultCode::Failed;
    const Result write = BlockWrite(ops.port, source, st.DeviceAddress, 3, 0);
    EndBlockWrite(ops, writes.back(), write);
    if (!write.ok()) {
        ops.prompter.critical(Text(t::kWriteError, write.shownNumber()));
        return ResultCode::Failed;
    }
    ops.view.setStatus(Text());
    ops.prompter.information(Text(t::kSaved1To4, readSource.shownNumber(),
                                  readDestination.shownNumber(), write.shownNumber()));
    return ResultCode::Ok;
}

// The reading's block of the input, as read since the copy's write began
// (by the reading that ended the copy), else read now on its own.
bool ReadingBlockNow(Operations& ops, std::int32_t block, const WriteCheck& check,
                     std::string& image) {
    const BlockCache::BlockImage* known = ops.cache.block(block);
    if (known != nullptr && known->readNumber > check.readsBefore) {
        image = known->image;
        return true;
    }
    Doubt doubt;
    StopMeasurement(ops.port, ops.view);
    const Result read = BlockReadChecked(ops.port, image, ops.state.DeviceAddress,
                                         block / kPagesPerInput, block % kPagesPerInput, doubt);
    StartMeasurement(ops.port, ops.view);
    if (!read.ok() || doubt || ops.cancelled()) return false;
    RememberBlock(ops, block, image);
    return true;
}

// Once the copy read back as written: does the input's internal copy as
// the reading finds it hold the copy too? Said after the write's note, as
// information; the copy is done either way.
void SayWhatTheReadingFinds(Operations& ops, int index, CopyResult& result) {
    if (ops.cancelled() || result.writes.empty() || !AllWritesConfirmed(result.writes)) return;
    const WriteCheck& check = result.writes.front().check;
    result.readingBlock = BlockNumber(kInternalCopiesInput, index);
    if (result.readingBlock == check.block) {
        result.shown = CopyShown::Shown;
        return;
    }
    std::string image;
    if (!ReadingBlockNow(ops, result.readingBlock, check, image)) return;
    const bool same = FirstDifference(check.written, image) < 0;
    result.shown = same ? CopyShown::Shown : CopyShown::NotShown;
    ops.view.setStatus(same ? Text(t::kCopyShown, index + 1, result.readingBlock)
                            : Text(t::kCopyNotShown, index + 1, result.readingBlock, check.block));
}

} // namespace

CopyResult CopyEKeyExtToInt(Operations& ops, int index) {
    CopyResult result;
    if (index < 0 || index >= kInputCount) return result;
    if (!EKeyMaskReliable(ops)) {
        result.outcome = ResultCode::Failed;
        return result;
    }
    if (!Ask(ops, CopyExtToIntQuestion(ops.state, index))) return result;
    StopMeasurement(ops.port, ops.view);
    result.outcome = CopyToInternal(ops, index, result.writes);
    Finish(ops, result);
    SayWhatTheReadingFinds(ops, index, result);
    return result;
}

CopyResult CopyEKey1To4(Operations& ops) {
    CopyResult result;
    if (!EKeyMaskReliable(ops)) {
        result.outcome = ResultCode::Failed;
        return result;
    }
    if (!Ask(ops, Copy1To4Question(ops.state))) return result;
    StopMeasurement(ops.port, ops.view);
    result.outcome = Copy1To4(ops, result.writes);
    Finish(ops, result);
    return result;
}

} // namespace rm27
