// The one refusal of a text an eKey cannot hold, said the same way by every
// writer of an image built from what a user typed (the editor's "Uložit
// kalibraci", r27ctl calibrate, the RMU limits).
#pragma once

#include <string>

#include "l10n/text.h"
#include "link/ekey.h"

namespace rm27 {

// Empty when rec's image can be built; otherwise the message naming the
// first character of its texts that the sensors' code page (Windows-1250)
// cannot hold, with its code point, since it may be invisible (a zero-width
// space pasted with a description). Callers show it before their first frame.
Text EKeyTextRefusal(const SensorRecord& rec);

} // namespace rm27
