#include "session/ekey_mask.h"

#include "session/texts.h"

namespace rm27 {

bool EKeyMaskReliable(Operations& ops) {
    const Doubt doubt = ops.state.doubts.ekeyMask;
    if (!doubt) return true;
    ops.prompter.critical(Text(texts::session::kMaskUncertain, DoubtReasons(doubt)));
    return false;
}

bool RecordSourceReliable(Operations& ops, int input, const Text& after) {
    const DeviceState& st = ops.state;
    // A garbled block leaves the record doubtful but the block to write
    // known; only a record chosen by a doubtful mask may sit in the wrong one.
    const bool chosenByDoubt =
        input >= 0 && input < kInputCount &&
        st.doubts.records[static_cast<std::size_t>(input)].has(kDoubtDerived);
    const Doubt doubt = st.doubts.ekeyMask | (chosenByDoubt ? kDoubtDerived : Doubt{});
    if (!doubt) return true;
    ops.prompter.critical(Text(texts::session::kMaskUncertain, DoubtReasons(doubt)).then(after));
    return false;
}

} // namespace rm27
