// Why a load series' plan, readings file or class table is not read, or
// the readings file not written. A value quoted from a file (a field, a
// word) is shown as it stands.
#pragma once

#include "l10n/text.h"

namespace rm27::texts::procedure {

// The plan: %1 the key that is missing or of the wrong type, or the series
// (from 1) whose direction is wrong.
inline constexpr TextId kPlanNotJson{
    QT_TRANSLATE_NOOP("Texts", "Plán nelze přečíst: není to JSON.")};
inline constexpr TextId kPlanMissing{
    QT_TRANSLATE_NOOP("Texts", "Plán: „%1“ chybí nebo nemá správný typ.")};
inline constexpr TextId kPlanInput{QT_TRANSLATE_NOOP("Texts", "Plán: vstup musí být 1 až 4.")};
inline constexpr TextId kPlanLoads{QT_TRANSLATE_NOOP(
    "Texts", "Plán: zatížení musí být nejméně dvě, každé větší než nula a větší než předchozí.")};
inline constexpr TextId kPlanPreloads{
    QT_TRANSLATE_NOOP("Texts", "Plán: počet předzatížení nesmí být záporný.")};
inline constexpr TextId kPlanNoSeries{QT_TRANSLATE_NOOP("Texts", "Plán: chybí série.")};
inline constexpr TextId kPlanDirection{
    QT_TRANSLATE_NOOP("Texts", "Plán: směr série %1 musí být „up“ nebo „down“.")};
inline constexpr TextId kPlanStability{QT_TRANSLATE_NOOP(
    "Texts", "Plán: pásmo stability musí být větší než nula a doba nesmí být záporná.")};

// Writing the readings file: %1 the file, %2 the system's reason.
inline constexpr TextId kReadingsNotOpened{
    QT_TRANSLATE_NOOP("Texts", "Soubor %1 nelze otevřít pro zápis: %2")};
inline constexpr TextId kReadingsNotWritten{
    QT_TRANSLATE_NOOP("Texts", "Do souboru %1 nelze zapsat: %2")};

// The readings file: %1 the line, %2 what is wrong on it.
inline constexpr TextId kOnLine{QT_TRANSLATE_NOOP("Texts", "Řádek %1: %2")};
// %1: the header the file must start with.
inline constexpr TextId kHeaderMustBe{QT_TRANSLATE_NOOP("Texts", "záhlaví musí být „%1“.")};
// %1: how many fields the line has.
inline constexpr TextId kFieldCount{
    QT_TRANSLATE_NOOP("Texts", "očekáváno 7 polí oddělených čárkou, je jich %1.")};
// %1: the field as it stands.
inline constexpr TextId kNotASeries{
    QT_TRANSLATE_NOOP("Texts", "„%1“ není číslo série (1, 2, ...).")};
inline constexpr TextId kNotANumber{QT_TRANSLATE_NOOP("Texts", "„%1“ není číslo.")};
inline constexpr TextId kBadDirection{
    QT_TRANSLATE_NOOP("Texts", "směr musí být „up“ nebo „down“, ne „%1“.")};
inline constexpr TextId kBadKind{
    QT_TRANSLATE_NOOP("Texts", "druh musí být „zero-before“, „load“ nebo „zero-after“, ne „%1“.")};
// %1: the series.
inline constexpr TextId kSeriesOutOfOrder{
    QT_TRANSLATE_NOOP("Texts", "série %1 nenavazuje na předchozí řádky.")};

// The class table: %1 the JSON's item or the CSV's line, from 1.
inline constexpr TextId kClassesNotJson{
    QT_TRANSLATE_NOOP("Texts", "Tabulku tříd nelze přečíst: není to JSON.")};
// %1: the header the CSV must start with.
inline constexpr TextId kClassesHeader{
    QT_TRANSLATE_NOOP("Texts", "Tabulka tříd, řádek 1: záhlaví musí být „%1“.")};
inline constexpr TextId kBadClassItem{QT_TRANSLATE_NOOP(
    "Texts", "Tabulka tříd, položka %1: očekáván název třídy a pět mezí (nezáporná čísla).")};
inline constexpr TextId kBadClassLine{QT_TRANSLATE_NOOP(
    "Texts", "Tabulka tříd, řádek %1: očekáván název třídy a pět mezí (nezáporná čísla).")};
inline constexpr TextId kClassesEmpty{QT_TRANSLATE_NOOP("Texts", "Tabulka tříd je prázdná.")};

} // namespace rm27::texts::procedure
