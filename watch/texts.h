// What the chart, trace and log windows tell the user.
#pragma once

#include "l10n/text.h"

namespace rm27::texts::watch {

// The file dialogs: the chart's picture and data, the trace, the log.
inline constexpr TextId kPngTitle{QT_TRANSLATE_NOOP("Texts", "Uložit graf jako obrázek")};
inline constexpr TextId kPngFilter{QT_TRANSLATE_NOOP("Texts", "Obrázek PNG (*.png)|*.png")};
inline constexpr TextId kCsvTitle{QT_TRANSLATE_NOOP("Texts", "Uložit zobrazená data")};
// Its second filter is the CSV dialect of a decimal comma.
inline constexpr TextId kCsvFilter{
    QT_TRANSLATE_NOOP("Texts", "CSV, oddělovač čárka, desetinná tečka (*.csv)|*.csv|CSV, "
                               "oddělovač středník, desetinná čárka (*.csv)|*.csv")};
inline constexpr TextId kTraceTitle{QT_TRANSLATE_NOOP("Texts", "Uložit komunikaci do souboru")};
inline constexpr TextId kTraceFilter{QT_TRANSLATE_NOOP("Texts", "Text (*.txt)|*.txt|Všechny |*.*")};
inline constexpr TextId kLogTitle{QT_TRANSLATE_NOOP("Texts", "Záznam do souboru")};

inline constexpr TextId kImageNotSaved{
    QT_TRANSLATE_NOOP("Texts", "Obrázek nelze uložit do souboru %1")};
// %1: the system's reason.
inline constexpr TextId kFileNotSaved{QT_TRANSLATE_NOOP("Texts", "Soubor nelze uložit: %1")};
inline constexpr TextId kLogNeedsReading{
    QT_TRANSLATE_NOOP("Texts", "Záznam lze začít až po načtení převodníku (Načíst).")};
inline constexpr TextId kLogNotStarted{
    QT_TRANSLATE_NOOP("Texts", "Záznam do souboru %1 nelze začít: %2")};
// Why a log stopped on its own (the system's reasons travel as values),
// and what is said then: %1 the file, %2 why, %3 the rows written.
inline constexpr TextId kFileVanished{
    QT_TRANSLATE_NOOP("Texts", "soubor nebo jeho složka již neexistuje")};
inline constexpr TextId kHeaderChanged{QT_TRANSLATE_NOOP(
    "Texts", "převodník byl načten znovu a jeho vstupy jsou popsány jinak než v hlavičce záznamu")};
inline constexpr TextId kTareChanged{QT_TRANSLATE_NOOP(
    "Texts", "tára vstupu se změnila a hodnoty by již neodpovídaly hlavičce záznamu")};
inline constexpr TextId kRecordingStopped{
    QT_TRANSLATE_NOOP("Texts", "Záznam do souboru %1 byl ukončen: %2. Zapsáno řádků: %3.")};

// The chart's title while no answer refreshes the values.
inline constexpr TextId kChartStale{
    QT_TRANSLATE_NOOP("Texts", "Hodnoty nejsou aktuální: převodník neodpovídá nebo měření neběží")};

} // namespace rm27::texts::watch
