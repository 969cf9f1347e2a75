// The wordings the maintenance commands show: the EEPROM image files, the
// eKey copies, initialisation and restore, the RMU user limits, and taking
// a write back or doing it again.
#pragma once

#include "l10n/text.h"

namespace rm27::texts::maintenance {

// --- Loading the EEPROM from an image file, and saving it into one.
// The file dialogs' titles and filter, as the window presets them.
inline constexpr TextId kEepOpenTitle{
    QT_TRANSLATE_NOOP("Texts", "Výběr souboru s obsahem pro eeprom")};
inline constexpr TextId kEepFilter{
    QT_TRANSLATE_NOOP("Texts", "Soubory  (*.eep)|*.eep|Všechny |*.*")};
inline constexpr TextId kEepSaveTitle{QT_TRANSLATE_NOOP("Texts", "Uložit obsah EEPROM do souboru")};
inline constexpr TextId kLoadPortClosed{
    QT_TRANSLATE_NOOP("Texts", "Komunikační port není otevřen. Do EEPROM nebylo nic zapsáno.")};
inline constexpr TextId kEepUnreadable{
    QT_TRANSLATE_NOOP("Texts", "Soubor %1 nelze přečíst (%2). Do EEPROM nebylo nic zapsáno.")};
inline constexpr TextId kEepTooManyLines{
    QT_TRANSLATE_NOOP("Texts", "Soubor %1 má víc než %2 řádků s hodnotou (paměť převodníku "
                               "má %3 adres). Do EEPROM nebylo nic zapsáno.")};
inline constexpr TextId kEepBadLine{QT_TRANSLATE_NOOP(
    "Texts", "Řádek %1 souboru %2 nemá tvar \"LL VV\" (adresa a hodnota, každá dvěma "
             "šestnáctkovými číslicemi): \"%3\". Do EEPROM nebylo nic zapsáno.")};
inline constexpr TextId kEepEmpty{QT_TRANSLATE_NOOP(
    "Texts", "Soubor %1 neobsahuje žádný řádek s hodnotou. Do EEPROM nebylo nic zapsáno.")};
inline constexpr TextId kLoadWarning{QT_TRANSLATE_NOOP(
    "Texts", "Tato funkce slouží k blokovému přepsání paměti eeprom převodníku hodnotami z "
             "datového souboru. Používá se zejména při výrobě nebo řešení abnormálních "
             "stavů. Zavedením standardního obsahu se mimo jiné ruší dosavadní kalibrace.")};
inline constexpr TextId kContinueAnyway{
    QT_TRANSLATE_NOOP("Texts", "    Chcete přesto pokračovat v akci?")};
// The progress lines: done, total, percent.
inline constexpr TextId kEepromWriting{QT_TRANSLATE_NOOP("Texts", "Zápis EEPROM %1/%2 ... %3%")};
inline constexpr TextId kEepromReading{QT_TRANSLATE_NOOP("Texts", "Čtení EEPROM %1/%2 ... %3%")};
inline constexpr TextId kEepromVerifying{
    QT_TRANSLATE_NOOP("Texts", "Ověření EEPROM %1/%2 ... %3%")};
// The load's summary: the file, bytes written, echoes that differed, and
// for the first of them its location, the byte written and the echo (or
// kNoEcho).
inline constexpr TextId kLoadSummaryDiffering{QT_TRANSLATE_NOOP(
    "Texts", "Zápis EEPROM ze souboru %1 skončil. Zapsáno bajtů: %2, z toho s odlišnou "
             "odpovědí převodníku: %3 (první na adrese %4: zapsáno %5, odpověď %6).")};
inline constexpr TextId kLoadSummary{
    QT_TRANSLATE_NOOP("Texts", "Zápis EEPROM ze souboru %1 skončil. Zapsáno bajtů: %2, z toho "
                               "s odlišnou odpovědí převodníku: %3.")};
inline constexpr TextId kNoEcho{QT_TRANSLATE_NOOP("Texts", "žádná")};
inline constexpr TextId kAfterRestart{
    QT_TRANSLATE_NOOP("Texts", "Nový obsah platí po restartu převodníku.")};
inline constexpr TextId kLoadConfirmed{
    QT_TRANSLATE_NOOP("Texts", "Zpětným čtením ověřeno: převodník drží všechny zapsané bajty.")};
inline constexpr TextId kSavePortClosed{
    QT_TRANSLATE_NOOP("Texts", "Komunikační port není otevřen, obsah EEPROM nelze přečíst.")};
inline constexpr TextId kSaveNoAnswer{QT_TRANSLATE_NOOP(
    "Texts", "Převodník neodpověděl na žádné čtení EEPROM, soubor %1 nebyl uložen.")};
inline constexpr TextId kFileNotWritten{QT_TRANSLATE_NOOP("Texts", "Soubor %1 nelze zapsat (%2).")};
inline constexpr TextId kSaved{
    QT_TRANSLATE_NOOP("Texts", "Obsah EEPROM uložen do souboru %1. Uloženo bajtů: %2.")};
// Locations left out of a saved file: how many, the first.
inline constexpr TextId kSaveMissing{
    QT_TRANSLATE_NOOP("Texts", "Adresy bez odpovědi převodníku: %1 (první %2), v souboru chybí.")};
inline constexpr TextId kSaveUncertain{QT_TRANSLATE_NOOP(
    "Texts", "Adresy s nejistou odpovědí převodníku: %1 (první %2), v souboru chybí.")};

// --- The eKey copies. The wordings in English are the converter tools' own.
inline constexpr TextId kCopyExtToIntQuestion{QT_TRANSLATE_NOOP(
    "Texts", "Tato funkce zkopíruje externí ekey (256B) do interni pameti. Chcete pokračovat ?")};
inline constexpr TextId kCopy1To4Question{
    QT_TRANSLATE_NOOP("Texts", "Tato funkce zkopíruje binarní obraz ekey (256B) ve vstupu 1 do "
                               "ekeye na vstupu 4. Chcete pokračovat ?")};
inline constexpr TextId kEKeyNotPresent{QT_TRANSLATE_NOOP("Texts", "EKEY (Vstup%1) not present")};
inline constexpr TextId kEKeysNotPresent{QT_TRANSLATE_NOOP("Texts", "EKEYS not present")};
inline constexpr TextId kReadingSource{
    QT_TRANSLATE_NOOP("Texts", "Reading source e-key Vstup%1 ...")};
inline constexpr TextId kReadingDestination{
    QT_TRANSLATE_NOOP("Texts", "Reading destination e-key Vstup4 ...")};
inline constexpr TextId kReadError{QT_TRANSLATE_NOOP("Texts", "Error reading EKEY@vstup%1 block")};
inline constexpr TextId kWritingInternal{
    QT_TRANSLATE_NOOP("Texts", "Writing to internal Vstup%1 ...")};
inline constexpr TextId kWriting1To4{
    QT_TRANSLATE_NOOP("Texts", "WRITING source e-key Vstup1 to e-key Vstup4 ...")};
// Both copies name input 4, whichever input was written.
inline constexpr TextId kWriteError{
    QT_TRANSLATE_NOOP("Texts", "Error during writing EKEY@Vstup4 [E:%1]")};
inline constexpr TextId kCopied{QT_TRANSLATE_NOOP("Texts", "Copied. Read=%1 WRITE=%2")};
inline constexpr TextId kSaved1To4{QT_TRANSLATE_NOOP("Texts", "Saved. Read=%1>%2 WRITE=%3")};
// What the external-to-internal copy found where the reading looks: input,
// the reading's block, and the block written.
inline constexpr TextId kCopyShown{
    QT_TRANSLATE_NOOP("Texts", "Vnitřní kopie vstupu %1 (blok %2) obsahuje zkopírovaný eKey: "
                               "převodník ho bez eKey použije.")};
inline constexpr TextId kCopyNotShown{
    QT_TRANSLATE_NOOP("Texts", "Vnitřní kopie vstupu %1 (blok %2) zkopírovaný eKey neobsahuje: "
                               "převodník ho bez eKey nepoužije, kopie je jen v bloku %3.")};

// What a question before an eKey write adds in its second paragraph: the
// input and the sensor on it (%2 its identifier, %3 its description), and
// the way back.
inline constexpr TextId kTouchesInternalCopy{QT_TRANSLATE_NOOP(
    "Texts", "Přepíše se vnitřní kopie vstupu %1; zkopíruje se do ní eKey snímače %2 „%3“.")};
inline constexpr TextId kTouchesEKey4{QT_TRANSLATE_NOOP(
    "Texts", "Přepíše se eKey na vstupu 4 (snímač %1 „%2“) obrazem eKey na vstupu 1 (snímač %3 „%4“).")};
inline constexpr TextId kTouchesPlugged{
    QT_TRANSLATE_NOOP("Texts", "Přepíší se tyto eKey (kalibrace se v nich ztratí):")};
// One plugged eKey in that list, a line of its own: its input and its sensor.
inline constexpr TextId kPluggedEKey{QT_TRANSLATE_NOOP("Texts", "– vstup %1: snímač %2")};
inline constexpr TextId kNonePlugged{
    QT_TRANSLATE_NOOP("Texts", "Není připojen žádný eKey: nic se nepřepíše.")};
inline constexpr TextId kJournalKeeps{QT_TRANSLATE_NOOP(
    "Texts", "Dosavadní obsah se před zápisem uloží do deníku zápisů; zápis lze vrátit "
             "příkazem „Vrátit poslední zápis …“ (r27ctl undo).")};

// --- The eKey initialisation and its report, one line per input.
inline constexpr TextId kInitQuestion{
    QT_TRANSLATE_NOOP("Texts", "Tato funkce provede prvotní inicializaci VŠECH připojených "
                               "e-Key. Chcete pokračovat ?")};
inline constexpr TextId kInitNoEKey{QT_TRANSLATE_NOOP("Texts", "%1 - neni eKey")};
inline constexpr TextId kInitNotBuilt{QT_TRANSLATE_NOOP("Texts", "%1 - neslo vytvorit {%2)")};
inline constexpr TextId kInitNotWritten{QT_TRANSLATE_NOOP("Texts", "%1 - neslo zapsat")};
inline constexpr TextId kInitWriteFailed{QT_TRANSLATE_NOOP("Texts", "%1 - neslo zapsat {%2)")};
inline constexpr TextId kInitWritten{QT_TRANSLATE_NOOP("Texts", "%1 - ID [ %2 ]")};
inline constexpr TextId kInitReport{QT_TRANSLATE_NOOP("Texts", "Vysledek : ")};

// --- Restoring a kept backup.
inline constexpr TextId kNoSensorId{QT_TRANSLATE_NOOP("Texts", "(bez identifikátoru)")};
inline constexpr TextId kRestoreTitle{QT_TRANSLATE_NOOP("Texts", "Obnovit eKey ze zálohy")};
inline constexpr TextId kRestoreFilter{
    QT_TRANSLATE_NOOP("Texts", "Zálohy eKey (*.ekey)|*.ekey|Všechny |*.*")};
inline constexpr TextId kNoBackup{
    QT_TRANSLATE_NOOP("Texts", "Soubor %1 nelze použít jako zálohu eKey: %2")};
inline constexpr TextId kBlockNotRestorable{
    QT_TRANSLATE_NOOP("Texts", "Blok %1 není eKey ani interní kopie: záloha se nezapíše.")};
// The table of kept backups the restore offers, and its way to any file.
inline constexpr TextId kBackupTaken{QT_TRANSLATE_NOOP("Texts", "Pořízena")};
inline constexpr TextId kBackupBlock{QT_TRANSLATE_NOOP("Texts", "Blok")};
inline constexpr TextId kBackupInput{QT_TRANSLATE_NOOP("Texts", "Vstup")};
inline constexpr TextId kBackupSensor{QT_TRANSLATE_NOOP("Texts", "Snímač")};
inline constexpr TextId kBackupDescription{QT_TRANSLATE_NOOP("Texts", "Popis")};
inline constexpr TextId kOtherBackupFile{QT_TRANSLATE_NOOP("Texts", "Jiný soubor …")};
inline constexpr TextId kRestoreQuestion{
    QT_TRANSLATE_NOOP("Texts", "Zapsat zálohu zpět do převodníku ?")};
inline constexpr TextId kBackupFile{QT_TRANSLATE_NOOP("Texts", "Záloha: %1")};
// The converter's identification and address.
inline constexpr TextId kConverter{QT_TRANSLATE_NOOP("Texts", "Převodník: %1, adresa %2")};
// The block's number and what it is (an eKey or an internal copy).
inline constexpr TextId kBlock{QT_TRANSLATE_NOOP("Texts", "Blok: %1 (%2)")};
inline constexpr TextId kSensor{QT_TRANSLATE_NOOP("Texts", "Snímač: %1")};
inline constexpr TextId kTaken{QT_TRANSLATE_NOOP("Texts", "Pořízena: %1")};
inline constexpr TextId kBlockNowSame{QT_TRANSLATE_NOOP(
    "Texts", "Blok nyní obsahuje (podle posledního čtení): snímač %1, shodný se zálohou")};
inline constexpr TextId kBlockNow{
    QT_TRANSLATE_NOOP("Texts", "Blok nyní obsahuje (podle posledního čtení): snímač %1")};
inline constexpr TextId kOtherSensorInBlock{
    QT_TRANSLATE_NOOP("Texts", "Pozor: v bloku je jiný snímač, než ze kterého je záloha.")};
inline constexpr TextId kBlockNotRead{
    QT_TRANSLATE_NOOP("Texts", "Blok nebyl přečten: před zápisem se přečte do deníku zápisů.")};
inline constexpr TextId kOtherConverter{QT_TRANSLATE_NOOP(
    "Texts", "Pozor: záloha je z jiného převodníku (připojen je %1, adresa %2).")};
// The sensor in the backup's image: identifier, description.
inline constexpr TextId kImageSensor{
    QT_TRANSLATE_NOOP("Texts", "Obraz v záloze: snímač %1, popis „%2“.")};
inline constexpr TextId kImageNoSensor{
    QT_TRANSLATE_NOOP("Texts", "Obraz v záloze není záznam snímače.")};
// The input, the sensor there now and its description.
inline constexpr TextId kOtherSensorOnInput{
    QT_TRANSLATE_NOOP("Texts", "Pozor: na vstupu %1 je nyní snímač %2, popis „%3“.")};
inline constexpr TextId kRestoring{QT_TRANSLATE_NOOP("Texts", "Obnovuji blok %1 ze zálohy ...")};
inline constexpr TextId kRestoreWriteError{
    QT_TRANSLATE_NOOP("Texts", "Chyba zápisu bloku %1 ze zálohy [E:%2]")};
inline constexpr TextId kRestored{
    QT_TRANSLATE_NOOP("Texts", "Blok %1 obnoven ze zálohy a ověřen čtením.")};

// --- An input's block image in a .bin file, and back.
inline constexpr TextId kBinSaveTitle{
    QT_TRANSLATE_NOOP("Texts", "Uložit kalibraci do souboru BIN")};
inline constexpr TextId kBinOpenTitle{
    QT_TRANSLATE_NOOP("Texts", "Obnovit kalibraci ze souboru BIN")};
inline constexpr TextId kBinFilter{
    QT_TRANSLATE_NOOP("Texts", "Obraz bloku (*.bin)|*.bin|Všechny |*.*")};
// The input.
inline constexpr TextId kBinNotRead{QT_TRANSLATE_NOOP(
    "Texts", "Blok vstupu %1 nebyl z připojeného převodníku přečten, není co uložit. "
             "Načtěte převodník (Načíst).")};
inline constexpr TextId kBinInputNotRead{
    QT_TRANSLATE_NOOP("Texts", "Vstup %1 nebyl načten, není známo, do kterého bloku obraz zapsat. "
                               "Načtěte převodník (Načíst).")};
// The block, its role and the file.
inline constexpr TextId kBinSaved{QT_TRANSLATE_NOOP("Texts", "Blok %1 (%2) uložen do souboru %3.")};
// The file and why it is refused.
inline constexpr TextId kBinUnusable{
    QT_TRANSLATE_NOOP("Texts", "Soubor %1 nelze použít jako obraz bloku: %2")};
inline constexpr TextId kBinWrongSize{
    QT_TRANSLATE_NOOP("Texts", "obraz bloku má přesně 256 bajtů, soubor jich má %1")};

// --- The RMU user limits.
// Row i of the dialog: input number, the description and the unit, both
// blank-padded to their widths.
inline constexpr TextId kRmuRow{QT_TRANSLATE_NOOP("Texts", "Vstup%1> Internal: %2  [%3]")};
// The field a refused limit names.
inline constexpr TextId kLimitField{QT_TRANSLATE_NOOP("Texts", "Limit vstupu %1")};
inline constexpr TextId kNothingSent{
    QT_TRANSLATE_NOOP("Texts", "Nic nebylo odesláno, převodník se nerestartuje.")};
inline constexpr TextId kStoring{QT_TRANSLATE_NOOP("Texts", "Ukládání nastavení %1/4 ...")};
inline constexpr TextId kNotStored{QT_TRANSLATE_NOOP("Texts", "Nelze uložit nastavení [ERR:%1]")};
inline constexpr TextId kStoreError{
    QT_TRANSLATE_NOOP("Texts", "Chyba ukládání nastavení. [ERR:%1]")};
// Seconds waited, the blocks written.
inline constexpr TextId kNotBack{
    QT_TRANSLATE_NOOP("Texts", "Převodník se do %1 s po restartu neozval: zapsané bloky (%2) "
                               "nelze ověřit zpětným čtením.")};

// --- Taking a write back, or doing it again.
inline constexpr TextId kUndoQuestion{QT_TRANSLATE_NOOP("Texts", "Vrátit zápis č. %1 ?")};
inline constexpr TextId kRedoQuestion{QT_TRANSLATE_NOOP("Texts", "Zopakovat zápis č. %1 ?")};
// The entry's command and time.
inline constexpr TextId kEntry{QT_TRANSLATE_NOOP("Texts", "Zápis: %1, %2")};
inline constexpr TextId kInput{QT_TRANSLATE_NOOP("Texts", "Vstup: %1")};
inline constexpr TextId kEntryResult{QT_TRANSLATE_NOOP("Texts", "Výsledek zápisu: %1")};
// How the entry's write ended, nested into kEntryResult.
inline constexpr TextId kResultDone{QT_TRANSLATE_NOOP("Texts", "zapsán a ověřen čtením")};
inline constexpr TextId kResultStoppedAt{QT_TRANSLATE_NOOP("Texts", "zastavil se u bajtu %1")};
inline constexpr TextId kResultFailed{QT_TRANSLATE_NOOP("Texts", "nepodařil se")};
inline constexpr TextId kResultInterrupted{QT_TRANSLATE_NOOP("Texts", "přerušen")};
inline constexpr TextId kResultDiffered{QT_TRANSLATE_NOOP("Texts", "čtení ukázalo jiný obsah")};
inline constexpr TextId kResultUnverified{QT_TRANSLATE_NOOP("Texts", "neověřen čtením")};
inline constexpr TextId kResultNone{QT_TRANSLATE_NOOP("Texts", "bez výsledku")};
inline constexpr TextId kRedoWrites{
    QT_TRANSLATE_NOOP("Texts", "Zapíše se znovu obsah, který tento zápis zapisoval.")};
inline constexpr TextId kUndoWrites{
    QT_TRANSLATE_NOOP("Texts", "Zapíše se zpět obsah z doby před tímto zápisem.")};
// The converter and address written to, and those connected now.
inline constexpr TextId kWrittenElsewhere{QT_TRANSLATE_NOOP(
    "Texts", "Pozor: zápis byl do převodníku %1 na adrese %2, připojen je %3 na adrese %4.")};
// The input, the sensor there now, and the one the write concerned.
inline constexpr TextId kOtherSensorNow{QT_TRANSLATE_NOOP(
    "Texts", "Pozor: na vstupu %1 je nyní snímač %2, zápis se týkal snímače %3.")};
inline constexpr TextId kJournalUnreadable{
    QT_TRANSLATE_NOOP("Texts", "Deník zápisů nelze přečíst (%1).")};
inline constexpr TextId kNothingToUndo{
    QT_TRANSLATE_NOOP("Texts", "V deníku zápisů není žádný zápis, který by šlo vrátit.")};
inline constexpr TextId kNoSuchEntry{
    QT_TRANSLATE_NOOP("Texts", "V deníku zápisů není zápis č. %1.")};
inline constexpr TextId kBlockWriteError{
    QT_TRANSLATE_NOOP("Texts", "Chyba zápisu bloku %1 [E:%2]")};
inline constexpr TextId kUndoing{QT_TRANSLATE_NOOP("Texts", "Vracím zápis č. %1 ...")};
inline constexpr TextId kRedoing{QT_TRANSLATE_NOOP("Texts", "Opakuji zápis č. %1 ...")};
// The entry taken back or repeated, and the undo's own entry.
inline constexpr TextId kUndone{
    QT_TRANSLATE_NOOP("Texts", "Zápis č. %1 vrácen a ověřen čtením (záznam č. %2).")};
inline constexpr TextId kRedone{
    QT_TRANSLATE_NOOP("Texts", "Zápis č. %1 zopakován a ověřen čtením (záznam č. %2).")};

} // namespace rm27::texts::maintenance
