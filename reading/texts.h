// The wordings the reading of a converter shows: its progress, what it
// found, and the address change and restart.
#pragma once

#include "l10n/text.h"

namespace rm27::texts::reading {

// Progress: %1 the percentage done.
inline constexpr TextId kLoadingPercent{QT_TRANSLATE_NOOP("Texts", "Načítám ... %1%")};
inline constexpr TextId kScanningPercent{QT_TRANSLATE_NOOP("Texts", "Skenuji ... %1%")};
inline constexpr TextId kReadingPercent{QT_TRANSLATE_NOOP("Texts", "Načítání ... %1%")};
inline constexpr TextId kReadingOnPercent{QT_TRANSLATE_NOOP("Texts", "Čtení ... %1%")};
inline constexpr TextId kDefinitionsPercent{
    QT_TRANSLATE_NOOP("Texts", "Načítání DEF kódů ... %1%")};
inline constexpr TextId kRecordsStart{QT_TRANSLATE_NOOP("Texts", "Načítám kalibrační data ...")};
inline constexpr TextId kRecordsPercent{
    QT_TRANSLATE_NOOP("Texts", "Čtení kalibračních dat ... %1%")};
inline constexpr TextId kIdentifying{QT_TRANSLATE_NOOP("Texts", "Identifikace jednotky ...")};
inline constexpr TextId kDone{QT_TRANSLATE_NOOP("Texts", "OK.")};
inline constexpr TextId kStopping{QT_TRANSLATE_NOOP("Texts", "Ukončuji měření  ...")};
inline constexpr TextId kReading{QT_TRANSLATE_NOOP("Texts", "Načítání ...")};
inline constexpr TextId kStartingLive{QT_TRANSLATE_NOOP("Texts", "Spouštím živé měření ...")};
inline constexpr TextId kLiveStarted{QT_TRANSLATE_NOOP("Texts", "OK, měření spuštěno ...")};
inline constexpr TextId kNotFound{QT_TRANSLATE_NOOP("Texts", "Jednotka nenalezena!")};

// Beside the scan's list heading: what it holds. %1 the count found.
inline constexpr TextId kScanFound{QT_TRANSLATE_NOOP("Texts", "(nalezeno: %1)")};

// Nobody, or somebody else, answered at address %1.
inline constexpr TextId kNoUnitAt{
    QT_TRANSLATE_NOOP("Texts", "Na adrese %1 nebyla nalezena žádná jednotka RM-27/RMU.")};
inline constexpr TextId kNoRm27At{
    QT_TRANSLATE_NOOP("Texts", "Na adrese %1 nebyla nalezena RM-27/RMU.")};

inline constexpr TextId kEKeyBlockUnread{QT_TRANSLATE_NOOP("Texts", "Error reading EKEY block")};
inline constexpr TextId kMemBlockUnread{QT_TRANSLATE_NOOP("Texts", "Error reading MEM block")};

// Where an input's record came from (lblR27ID); %1 the sensor's id.
inline constexpr TextId kSourceEKey{QT_TRANSLATE_NOOP("Texts", "eKey %1")};
inline constexpr TextId kSourceInternal{QT_TRANSLATE_NOOP("Texts", "Internal")};
inline constexpr TextId kSourceInternalNA{QT_TRANSLATE_NOOP("Texts", "Internal - N/A")};

// The tool tip of a tared input's value: %1 the tare in the sensor's
// format and unit ("12,5 kg").
inline constexpr TextId kTareNote{QT_TRANSLATE_NOOP("Texts", "Netto: tára %1 odečtena")};

// The address box: %1 the address now, two digits.
inline constexpr TextId kAddressPrompt{
    QT_TRANSLATE_NOOP("Texts", "Actual device address is %1. While changing address (in range "
                               "1 to 159) take care on address colision.")};
inline constexpr TextId kAddressTitle{QT_TRANSLATE_NOOP("Texts", "Change device address ")};

} // namespace rm27::texts::reading
