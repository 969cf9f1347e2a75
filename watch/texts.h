// What the chart, trace and log windows tell the user.
#pragma once

#include "l10n/text.h"

namespace rm27::texts::watch {

inline constexpr TextId kImageNotSaved{
    QT_TRANSLATE_NOOP("Texts", "Obrázek nelze uložit do souboru %1")};
// %1: the system's reason.
inline constexpr TextId kFileNotSaved{QT_TRANSLATE_NOOP("Texts", "Soubor nelze uložit: %1")};
inline constexpr TextId kLogNeedsReading{
    QT_TRANSLATE_NOOP("Texts", "Záznam lze začít až po načtení převodníku (Načíst).")};
inline constexpr TextId kLogNotStarted{
    QT_TRANSLATE_NOOP("Texts", "Záznam do souboru %1 nelze začít: %2")};

} // namespace rm27::texts::watch
