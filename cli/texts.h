// What r27ctl says in words of its own: the load series' figures, and why
// it stopped before or instead of its command (a signal, a port or a
// simulator that would not open). What scripts read (JSON, CSV, the
// report's English keys) is no wording and stays as it is.
#pragma once

#include "l10n/text.h"

namespace rm27::texts::cli {

// %1: the signal's name ("SIGINT").
inline constexpr TextId kInterrupted{QT_TRANSLATE_NOOP("Texts", "přerušeno (%1)")};
// %1: the device and the system's reason.
inline constexpr TextId kPortNotOpened{
    QT_TRANSLATE_NOOP("Texts", "Nelze otevřít komunikační port (%1)")};
// %1: why, in the simulator's words.
inline constexpr TextId kSimulatorNotStarted{
    QT_TRANSLATE_NOOP("Texts", "Simulátor nelze spustit: %1")};

// Why a command on the converter ended without its result: the monitor's
// line closed or its converter fell silent, the scan found nobody (%1..%2
// the addresses it probed), the converter moved to another address than
// asked (%1 where it answers, %2 the address asked for).
inline constexpr TextId kPortClosed{QT_TRANSLATE_NOOP("Texts", "port se zavřel")};
inline constexpr TextId kConverterSilent{QT_TRANSLATE_NOOP("Texts", "převodník přestal odpovídat")};
inline constexpr TextId kNoConverterFound{
    QT_TRANSLATE_NOOP("Texts", "na adresách %1 až %2 neodpověděl žádný převodník")};
inline constexpr TextId kAnswersElsewhere{
    QT_TRANSLATE_NOOP("Texts", "převodník odpovídá na adrese %1, ne na %2")};

// A command's converter or files without what it needs: no serial device
// at all (ports), no measurement came
// (calibrate), input %1 has no calibration to start from, the converter at
// address %1 (identified as %2) is no RMU, no backups or journal entries
// in %1, and %1 lines of the journal %2 that could not be read.
inline constexpr TextId kNoSerialDevices{
    QT_TRANSLATE_NOOP("Texts", "nebylo nalezeno žádné sériové zařízení")};
inline constexpr TextId kNoMeasurement{
    QT_TRANSLATE_NOOP("Texts", "převodník neposlal žádné měření")};
inline constexpr TextId kNoCalibrationToRead{QT_TRANSLATE_NOOP(
    "Texts", "vstup %1 nemá kalibraci, kterou by šlo přečíst (ani v eKey, ani ve vnitřní kopii)")};
inline constexpr TextId kNotAnRmu{
    QT_TRANSLATE_NOOP("Texts", "převodník na adrese %1 není RMU (%2)")};
inline constexpr TextId kNoBackups{QT_TRANSLATE_NOOP("Texts", "ve složce %1 nejsou žádné zálohy")};
inline constexpr TextId kNoWrites{QT_TRANSLATE_NOOP("Texts", "v deníku %1 nejsou žádné zápisy")};
inline constexpr TextId kUnreadableLines{
    QT_TRANSLATE_NOOP("Texts", "nečitelné řádky deníku %2: %1")};

// The figures of a load series: the headings of the steps' and the series'
// columns, then the worst figures, the polynomial (%1 its degree), the
// class (%1 its name, or "none") and the figures that could not be told.
inline constexpr TextId kLoadColumn{QT_TRANSLATE_NOOP("Texts", "Zatížení")};
inline constexpr TextId kDeflectionColumn{QT_TRANSLATE_NOOP("Texts", "Výchylka (mV/V)")};
inline constexpr TextId kSeriesColumn{QT_TRANSLATE_NOOP("Texts", "Série")};
inline constexpr TextId kWorst{QT_TRANSLATE_NOOP("Texts", "Nejhorší:")};
inline constexpr TextId kPolynomial{QT_TRANSLATE_NOOP("Texts", "Polynom stupně %1:")};
inline constexpr TextId kClass{QT_TRANSLATE_NOOP("Texts", "Třída: %1")};
inline constexpr TextId kNoClass{QT_TRANSLATE_NOOP("Texts", "žádná")};
inline constexpr TextId kUndetermined{QT_TRANSLATE_NOOP("Texts", "Nelze určit:")};

} // namespace rm27::texts::cli
