// The eKey mask as the maintenance commands rely on it: which inputs have
// an eKey plugged, from the reading's "KQ".
#pragma once

#include "session/operations.h"

namespace rm27 {

// Whether the mask may be relied on. When the reading did not get it clean
// (no answer, a garbled one), which inputs hold an eKey is not known: a
// command would say "not present" of a key that is plugged, or write to one
// that is not. Then this says so with the reasons ("maska eKey je nejistá:
// ...") and returns false, before the command does anything.
bool EKeyMaskReliable(Operations& ops);

} // namespace rm27
