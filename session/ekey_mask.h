// The eKey mask as the writing commands rely on it: which inputs have an
// eKey plugged, from the reading's "KQ", and so which block each input's
// record came from and goes back to.
#pragma once

#include "session/operations.h"

namespace rm27 {

// Whether the mask may be relied on. When the reading did not get it clean
// (no answer, a garbled one), which inputs hold an eKey is not known: a
// command would say "not present" of a key that is plugged, or write to one
// that is not. Then this says so with the reasons ("maska eKey je nejistá:
// ...") and returns false, before the command does anything.
bool EKeyMaskReliable(Operations& ops);

// The same for a command that writes input's record back where the reading
// took it from: a doubtful mask, or a record the reading doubted, may have
// sent it to the internal copy while the sensor's eKey keeps the old one.
// `after` follows the reasons on a line of its own (what was not done).
bool RecordSourceReliable(Operations& ops, int input, const Text& after);

} // namespace rm27
