// The wordings the steps every operation on the converter shares show.
#pragma once

#include "l10n/text.h"

namespace rm27::texts::device {

inline constexpr TextId kNotConnected{QT_TRANSLATE_NOOP("Texts", "Jednotka nepřipojena")};

} // namespace rm27::texts::device
