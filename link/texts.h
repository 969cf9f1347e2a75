// The wordings the link shows: why a value read from the converter may not
// be what the converter holds.
#pragma once

#include "l10n/text.h"

namespace rm27::texts::link {

// A value's tool tip: %1 the reasons, one a line.
inline constexpr TextId kValueUncertain{QT_TRANSLATE_NOOP("Texts", "Hodnota je nejistá: %1")};
inline constexpr TextId kReasonNoAnswer{QT_TRANSLATE_NOOP(
    "Texts", "převodník neodpověděl, zobrazená hodnota jen stojí na jejím místě.")};
inline constexpr TextId kReasonBadCharacter{
    QT_TRANSLATE_NOOP("Texts", "odpověď převodníku obsahovala znak, který v ní nemůže být.")};
inline constexpr TextId kReasonMisframed{QT_TRANSLATE_NOOP(
    "Texts", "odpověď převodníku neskončila tam, kde měla (mohou to být kusy dvou odpovědí).")};
inline constexpr TextId kReasonStray{
    QT_TRANSLATE_NOOP("Texts", "na lince čekaly znaky, o které se nikdo nežádal.")};
inline constexpr TextId kReasonMaybeLate{
    QT_TRANSLATE_NOOP("Texts", "může to být opožděná odpověď na jiný, dřívější dotaz.")};
inline constexpr TextId kReasonDerived{
    QT_TRANSLATE_NOOP("Texts", "vychází z jiné nejisté hodnoty (masky eKey).")};

} // namespace rm27::texts::link
