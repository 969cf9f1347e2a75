// The wordings the session shows: what guards a write to the converter
// (the journal, the read-backs, the way back from a mixed write), the eKey
// mask a command relies on, a value too wide for its format, why a file or
// an eKey backup is not read, and the port as the connection opens, loses
// and gets it back.
#pragma once

#include "l10n/text.h"

namespace rm27::texts::session {

// A value's tool tip: %1 the format, %2 the value whole.
inline constexpr TextId kFormatOverflow{
    QT_TRANSLATE_NOOP("Texts", "Hodnota se nevejde do formátu %1: %2")};
// A command that would rely on a doubtful eKey mask: %1 the reasons.
inline constexpr TextId kMaskUncertain{QT_TRANSLATE_NOOP("Texts", "maska eKey je nejistá: %1")};

// A write refused before its first frame: %1 why the journal failed, or
// the block (number) or memory cell (hex with "h") whose content is missing.
inline constexpr TextId kJournalUnwritable{QT_TRANSLATE_NOOP(
    "Texts", "Deník zápisů nelze zapsat (%1). Zápis se neprovede, nic nebylo zapsáno.")};
inline constexpr TextId kOldBlockUnread{
    QT_TRANSLATE_NOOP("Texts", "Původní obsah bloku %1 se nepodařilo přečíst. Zápis se "
                               "neprovede, nic nebylo zapsáno.")};
inline constexpr TextId kOldCellUnread{
    QT_TRANSLATE_NOOP("Texts", "Původní obsah adresy paměti %1 se nepodařilo přečíst. Zápis se "
                               "neprovede, nic nebylo zapsáno.")};
inline constexpr TextId kOldBlockUnknown{QT_TRANSLATE_NOOP(
    "Texts", "Původní obsah bloku %1 není znám. Zápis se neprovede, nic nebylo zapsáno.")};
inline constexpr TextId kOldCellUnknown{QT_TRANSLATE_NOOP(
    "Texts", "Původní obsah adresy paměti %1 není znám. Zápis se neprovede, nic nebylo zapsáno.")};

// The read-backs after a write.
inline constexpr TextId kBlockDiffersAt{
    QT_TRANSLATE_NOOP("Texts", "Blok %1 po zápisu neobsahuje, co bylo zapsáno: první rozdíl v "
                               "bajtu %2 (zapsáno %3h, přečteno %4h).")};
inline constexpr TextId kBlockUnverifiable{QT_TRANSLATE_NOOP(
    "Texts", "Zápis bloku %1 nelze ověřit: blok se nepodařilo spolehlivě přečíst zpět.")};
inline constexpr TextId kMemoryDiffers{
    QT_TRANSLATE_NOOP("Texts", "Zápis do paměti převodníku se nepodařil: na adrese %1 je %2h, "
                               "zapsáno bylo %3h.")};
inline constexpr TextId kMemoryUnverifiable{
    QT_TRANSLATE_NOOP("Texts", "Zápis do paměti převodníku nelze ověřit: adresu %1 se "
                               "nepodařilo spolehlivě přečíst zpět.")};
// The status after several writes: one sentence a block, side by side.
inline constexpr TextId kBlockDiffers{
    QT_TRANSLATE_NOOP("Texts", "Blok %1 po zápisu neobsahuje, co bylo zapsáno.")};
inline constexpr TextId kBlockNotReadAgain{
    QT_TRANSLATE_NOOP("Texts", "Zápis bloku %1 nebyl ověřen novým čtením.")};

// What a write left (%1 where it wrote, %2 why), and the two ways back.
inline constexpr TextId kMayBeMixed{
    QT_TRANSLATE_NOOP("Texts", "%1 teď může obsahovat směs starých a nových bajtů: %2.")};
inline constexpr TextId kMayBeMixedPlural{
    QT_TRANSLATE_NOOP("Texts", "%1 teď mohou obsahovat směs starých a nových bajtů: %2.")};
inline constexpr TextId kStoppedAtByte{QT_TRANSLATE_NOOP("Texts", "zápis se zastavil u bajtu %1")};
inline constexpr TextId kWriteFailed{QT_TRANSLATE_NOOP("Texts", "zápis se nepodařil")};
inline constexpr TextId kWriteInterrupted{QT_TRANSLATE_NOOP("Texts", "zápis byl přerušen")};
inline constexpr TextId kReadBackDiffered{
    QT_TRANSLATE_NOOP("Texts", "zpětné čtení ukázalo jiný obsah, než byl zapsán")};
inline constexpr TextId kReadBackFailed{
    QT_TRANSLATE_NOOP("Texts", "zapsaný obsah se nepodařilo ověřit zpětným čtením")};
inline constexpr TextId kWriteUnfinished{QT_TRANSLATE_NOOP("Texts", "zápis nebyl dokončen")};
inline constexpr TextId kJournalNumber{
    QT_TRANSLATE_NOOP("Texts", "Zápis je v deníku zápisů pod číslem %1.")};
inline constexpr TextId kJournalNumberPath{
    QT_TRANSLATE_NOOP("Texts", "Zápis je v deníku zápisů pod číslem %1 (%2).")};
inline constexpr TextId kWaysBack{
    QT_TRANSLATE_NOOP("Texts", "„Zopakovat zápis“ zapíše celý nový obsah znovu, „Obnovit "
                               "původní obsah“ vrátí obsah z doby před zápisem.")};
inline constexpr TextId kRedoChoice{QT_TRANSLATE_NOOP("Texts", "Zopakovat zápis")};
inline constexpr TextId kUndoChoice{QT_TRANSLATE_NOOP("Texts", "Obnovit původní obsah")};

// Where a journal entry wrote: %1 the block, %2 its role; %1, %2 cells in
// hex with "h", %3 how many.
inline constexpr TextId kTargetBlock{QT_TRANSLATE_NOOP("Texts", "Blok %1")};
inline constexpr TextId kTargetBlockRole{QT_TRANSLATE_NOOP("Texts", "Blok %1 (%2)")};
inline constexpr TextId kTargetCell{QT_TRANSLATE_NOOP("Texts", "Adresa paměti %1")};
inline constexpr TextId kTargetCellRun{QT_TRANSLATE_NOOP("Texts", "Adresy paměti %1–%2")};
inline constexpr TextId kTargetCells{
    QT_TRANSLATE_NOOP("Texts", "Adresy paměti %1 … %2 (%3 adres)")};
// The role of a block: %1 the input, 1 .. 4.
inline constexpr TextId kRoleEKey{QT_TRANSLATE_NOOP("Texts", "eKey Vstup%1")};
inline constexpr TextId kRoleInternal{QT_TRANSLATE_NOOP("Texts", "interní kopie Vstup%1")};

// The operator's names of the commands that write, in the journal's list
// of them.
inline constexpr TextId kLabelZero{QT_TRANSLATE_NOOP("Texts", "nula vstupu")};
inline constexpr TextId kLabelSpan{QT_TRANSLATE_NOOP("Texts", "strmost vstupu")};
inline constexpr TextId kLabelFilter{QT_TRANSLATE_NOOP("Texts", "filtr")};
inline constexpr TextId kLabelAddress{QT_TRANSLATE_NOOP("Texts", "změna adresy")};
inline constexpr TextId kLabelEepromLoad{QT_TRANSLATE_NOOP("Texts", "zápis EEPROM ze souboru")};
inline constexpr TextId kLabelCalibration{QT_TRANSLATE_NOOP("Texts", "uložení kalibrace")};
inline constexpr TextId kLabelEKeyCopy{QT_TRANSLATE_NOOP("Texts", "kopie eKey do interní paměti")};
inline constexpr TextId kLabelEKeyCopy14{
    QT_TRANSLATE_NOOP("Texts", "kopie eKey vstupu 1 do vstupu 4")};
inline constexpr TextId kLabelEKeyInit{QT_TRANSLATE_NOOP("Texts", "inicializace eKey")};
inline constexpr TextId kLabelRmuLimits{QT_TRANSLATE_NOOP("Texts", "uživatelské limity RMU")};
inline constexpr TextId kLabelRestore{QT_TRANSLATE_NOOP("Texts", "obnovení eKey ze zálohy")};
inline constexpr TextId kLabelUndo{QT_TRANSLATE_NOOP("Texts", "vrácení zápisu")};
inline constexpr TextId kLabelRedo{QT_TRANSLATE_NOOP("Texts", "zopakování zápisu")};

// A text an eKey cannot hold: %1 the character, %2 its code point.
inline constexpr TextId kUnencodableCharacter{
    QT_TRANSLATE_NOOP("Texts", "Znak „%1“ (%2) nelze uložit do eKey: kódová stránka snímače "
                               "(Windows-1250) ho neobsahuje.")};

// A value refused before anything is written: %1 the field, %2 the value,
// %3 what the field takes (one of the ranges below).
inline constexpr TextId kValueRefused{
    QT_TRANSLATE_NOOP("Texts", "%1: hodnotu %2 nelze použít, přípustné jsou hodnoty %3.")};
inline constexpr TextId kRangeBetween{QT_TRANSLATE_NOOP("Texts", "%1 až %2")};
inline constexpr TextId kRangeZeroOr{QT_TRANSLATE_NOOP("Texts", "0 nebo %1 ≤ |x| ≤ %2")};
inline constexpr TextId kRangeDate{QT_TRANSLATE_NOOP("Texts", "RRMMDD (skutečné datum)")};

// Why a file is not read (the system's own reasons travel as values).
inline constexpr TextId kIsFolder{QT_TRANSLATE_NOOP("Texts", "je to složka, ne soubor")};
inline constexpr TextId kIsFifo{
    QT_TRANSLATE_NOOP("Texts", "je to pojmenovaná roura (FIFO), ne soubor")};
inline constexpr TextId kIsDevice{QT_TRANSLATE_NOOP("Texts", "je to zařízení, ne soubor")};
inline constexpr TextId kNotRegular{QT_TRANSLATE_NOOP("Texts", "není to obyčejný soubor")};
// %1: the kind's limit in KiB.
inline constexpr TextId kFileTooLarge{QT_TRANSLATE_NOOP("Texts", "soubor je větší než %1 KiB")};

// Why a file is no eKey backup; a line's reason (%1 the line, %2 why)
// names the line.
inline constexpr TextId kNoBackupFile{QT_TRANSLATE_NOOP("Texts", "není to záloha eKey")};
inline constexpr TextId kBackupOnLine{QT_TRANSLATE_NOOP("Texts", "řádek %1: %2")};
inline constexpr TextId kBackupBadAddress{
    QT_TRANSLATE_NOOP("Texts", "adresa musí být celé číslo od 0 do 255: „%1“")};
inline constexpr TextId kBackupBadBlock{
    QT_TRANSLATE_NOOP("Texts", "blok musí být celé číslo od 0 do 255: „%1“")};
inline constexpr TextId kBackupBadTime{QT_TRANSLATE_NOOP("Texts", "chybný čas „%1“")};
inline constexpr TextId kBackupBadImage{
    QT_TRANSLATE_NOOP("Texts", "obraz musí mít 512 šestnáctkových číslic")};
inline constexpr TextId kBackupUnknownKey{QT_TRANSLATE_NOOP("Texts", "neznámá položka „%1“")};
inline constexpr TextId kBackupKeyTwice{
    QT_TRANSLATE_NOOP("Texts", "položka „%1“ je v souboru podruhé")};
inline constexpr TextId kBackupNoBlock{QT_TRANSLATE_NOOP("Texts", "chybí číslo bloku")};
inline constexpr TextId kBackupNoImage{QT_TRANSLATE_NOOP("Texts", "chybí obraz")};
// The port's button and the status line as the port opens and closes.
inline constexpr TextId kConnect{QT_TRANSLATE_NOOP("Texts", "Připojit")};
inline constexpr TextId kConnected{QT_TRANSLATE_NOOP("Texts", "Spojeno")};
inline constexpr TextId kPortClosed{QT_TRANSLATE_NOOP("Texts", "Komunikační port uzavřen.")};
inline constexpr TextId kPortOpened{QT_TRANSLATE_NOOP("Texts", "Komunikační port otevřen")};
inline constexpr TextId kPortNotOpened{
    QT_TRANSLATE_NOOP("Texts", "Nelze otevřít komunikační port")};
// The line went: %1 why, in the serial line's words; or no reason came.
inline constexpr TextId kLineLost{QT_TRANSLATE_NOOP("Texts", "Komunikační port byl uzavřen: %1")};
inline constexpr TextId kLineClosed{QT_TRANSLATE_NOOP("Texts", "Komunikační port byl uzavřen.")};
// Getting it back: %1 the device file waited for; %1 the time it came back.
inline constexpr TextId kWaitingForDevice{
    QT_TRANSLATE_NOOP("Texts", "Čekám na návrat portu %1 ...")};
inline constexpr TextId kReconnectReading{
    QT_TRANSLATE_NOOP("Texts", "Převodník se znovu připojil, načítám ...")};
inline constexpr TextId kReconnectDone{
    QT_TRANSLATE_NOOP("Texts", "Převodník se znovu připojil (%1), měření běží.")};
inline constexpr TextId kReconnectOpened{
    QT_TRANSLATE_NOOP("Texts", "Převodník se znovu připojil (%1).")};
inline constexpr TextId kOtherConverter{QT_TRANSLATE_NOOP(
    "Texts", "Po opětovném připojení odpovídá jiný převodník nebo jiné snímače, než uvádí "
             "záhlaví CSV; sledování končí.")};

// The measurement as the status bar tells it. %1 the time of the last
// answer; %1 the command after which it stayed stopped.
inline constexpr TextId kMeasuring{QT_TRANSLATE_NOOP("Texts", "Měření běží")};
inline constexpr TextId kMeasuringSince{
    QT_TRANSLATE_NOOP("Texts", "Měření běží, poslední odpověď %1")};
inline constexpr TextId kStoppedCommand{
    QT_TRANSLATE_NOOP("Texts", "Měření zastaveno: probíhá příkaz")};
inline constexpr TextId kStoppedCommandNamed{
    QT_TRANSLATE_NOOP("Texts", "Měření zastaveno: probíhá příkaz „%1“")};
inline constexpr TextId kStoppedDisconnected{
    QT_TRANSLATE_NOOP("Texts", "Měření zastaveno: port je odpojen")};
inline constexpr TextId kStoppedLineLost{
    QT_TRANSLATE_NOOP("Texts", "Měření zastaveno: spojení s převodníkem se ztratilo")};
inline constexpr TextId kStoppedNotRead{
    QT_TRANSLATE_NOOP("Texts", "Měření zastaveno: převodník není načten")};
inline constexpr TextId kStoppedAfter{
    QT_TRANSLATE_NOOP("Texts", "Měření zastaveno po příkazu „%1“")};
inline constexpr TextId kStopped{QT_TRANSLATE_NOOP("Texts", "Měření zastaveno")};
inline constexpr TextId kStartMeasurement{QT_TRANSLATE_NOOP("Texts", "Spustit měření")};
inline constexpr TextId kCancelCommand{QT_TRANSLATE_NOOP("Texts", "Přerušit")};
// A value in the window that no answer has refreshed: %1 the time of the
// last answer, or none came since the reading.
inline constexpr TextId kStaleSince{
    QT_TRANSLATE_NOOP("Texts", "Hodnota není aktuální: poslední odpověď převodníku %1.")};
inline constexpr TextId kStaleNever{
    QT_TRANSLATE_NOOP("Texts", "Hodnota není aktuální: převodník od načtení neodpověděl.")};
// A command that needs the converter, started while the port is closed:
// %1 the caption of the button that opens it.
inline constexpr TextId kNoLine{QT_TRANSLATE_NOOP(
    "Texts", "Komunikační port není otevřen, příkaz se neprovede a nic nebylo odesláno. "
             "Otevřete port tlačítkem „%1“.")};
// A write: %1 the command, %2 where it writes; after it, %3 the time.
inline constexpr TextId kWriting{QT_TRANSLATE_NOOP("Texts", "Zapisuji: %1, %2 …")};
inline constexpr TextId kWrittenDone{
    QT_TRANSLATE_NOOP("Texts", "Zapsáno a ověřeno: %1, %2 (%3)")};
inline constexpr TextId kWrittenUnchecked{
    QT_TRANSLATE_NOOP("Texts", "Zapsáno, ale neověřeno: %1, %2 (%3)")};
inline constexpr TextId kWrittenDiffers{
    QT_TRANSLATE_NOOP("Texts", "Zapsáno, ale zpětné čtení se liší: %1, %2 (%3)")};
inline constexpr TextId kWriteNotDone{
    QT_TRANSLATE_NOOP("Texts", "Zápis nedokončen: %1, %2 (%3)")};
inline constexpr TextId kOfInput{QT_TRANSLATE_NOOP("Texts", "%1 %2")};

} // namespace rm27::texts::session
