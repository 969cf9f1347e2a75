#include "maintenance/ekey_mask.h"

namespace rm27 {

bool EKeyMaskReliable(Operations& ops) {
    const Doubt doubt = ops.state.doubts.ekeyMask;
    if (!doubt) return true;
    ops.prompter.critical(DoubtText(doubt, "maska eKey je nejistá: "));
    return false;
}

} // namespace rm27
