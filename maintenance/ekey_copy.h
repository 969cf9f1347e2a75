// Copying whole eKey images over the link: an input's external eKey into the
// converter's internal memory, and input 1's eKey into input 4's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/ekey.h"
#include "link/result.h"
#include "session/operations.h"
#include "session/write_safety.h"

namespace rm27 {

// The external-to-internal copy of input index i (0..3) goes to input
// i + 4, page 0: blocks 128, 160, 192, 224. The reading finds the internal
// copies at input 4, page i (128..131): only for input 1 are the two one
// block number, and whether a converter keeps 160/192/224 as 129..131 is
// its own affair. So the copy backs up and reads back the block it writes,
// and looks at the reading's block only to say what the converter will show.
constexpr std::int32_t InternalCopyInput(int index) {
    return index + 4;
}

// Whether the block the reading takes input n's internal copy from holds
// what the external-to-internal copy wrote: information, not a check.
enum class CopyShown {
    Unknown, // not looked at: the copy did not read back as written, or the
             // block could not be read
    Shown,
    NotShown,
};

struct CopyResult {
    // Failed also when the write read back different from what was sent.
    Result outcome = ResultCode::Refused;
    // The write with its backup and check (none when nothing was written).
    std::vector<GuardedWrite> writes;
    CopyShown shown = CopyShown::Unknown;
    std::int32_t readingBlock = 0; // the block `shown` is about
};

// Both say a doubtful eKey mask before anything else (no question, nothing
// sent, Failed): which keys are plugged is then not known.

// "COPY Ext->Int" of input index 0..3: asks first (the values stay live
// meanwhile), copies the plugged eKey's 256 bytes unchanged, reads the
// converter again and restarts the measurement. The block written is read
// before the source (unless known) for the journal, and read back on its
// own after the steps: the reading that ends the copy reads the plugged
// eKey, not the internal copy. Then the reading's block of that input (when
// it is another block number) is read and said on the status line to hold
// the copy or not.
CopyResult CopyEKeyExtToInt(Operations& ops, int index);

// Input 1's eKey image into input 4's eKey, keeping input 4's identifier.
// Input 4's image as the copy read it goes to the journal, and the reading
// that ends the copy checks what input 4 now holds.
CopyResult CopyEKey1To4(Operations& ops);

} // namespace rm27
