// What the calibration commands, the calibration editor, its files and its
// certificate tell the user.
#pragma once

#include "l10n/text.h"

namespace rm27::texts::calibration {

// ---- the zero and slope buttons

// The live reading equals the zero: K would be a division by zero.
inline constexpr TextId kSlopeUndefined{QT_TRANSLATE_NOOP(
    "Texts", "Strmost nelze určit: živá hodnota vstupu se rovná nule (Q). Nic nebylo zapsáno.")};
// The line under a refused value's message.
inline constexpr TextId kNothingWritten{QT_TRANSLATE_NOOP("Texts", "Nic nebylo zapsáno.")};
inline constexpr TextId kEnterMvV{QT_TRANSLATE_NOOP("Texts", "Zadejte kolik to je mVV")};
inline constexpr TextId kZeroMvV{QT_TRANSLATE_NOOP("Texts", "nemuze to byt nula")};
// Fields named in a refused value's message.
inline constexpr TextId kFieldEnteredMvV{QT_TRANSLATE_NOOP("Texts", "Zadaná hodnota mV/V")};
inline constexpr TextId kFieldSlope{QT_TRANSLATE_NOOP("Texts", "Strmost K vstupu %1")};
// %1 input, %2 divisions from the zero, %3 the slope it would give.
inline constexpr TextId kSmallSpan{
    QT_TRANSLATE_NOOP("Texts", "Vstup %1 je od nuly (Q) vzdálen jen %2 dílků: strmost by "
                               "byla K = %3. Opravdu ji zapsat?")};
inline constexpr TextId kNoLiveValue{
    QT_TRANSLATE_NOOP("Texts", "Vstup %1 nemá živou hodnotu: od načtení převodníku nepřišla "
                               "žádná platná odpověď měření.")};
// %2: why the value is doubted.
inline constexpr TextId kLiveDoubtful{
    QT_TRANSLATE_NOOP("Texts", "Živá hodnota vstupu %1 je nejistá: %2")};
inline constexpr TextId kBasisDoubtful{
    QT_TRANSLATE_NOOP("Texts", "Nula (Q) nebo zesílení vstupu %1 je nejisté: %2")};

// ---- storing an edited calibration
inline constexpr TextId kStoppingMeasurement{QT_TRANSLATE_NOOP("Texts", "Zastavuji měření ...")};
inline constexpr TextId kSavingCalibration{
    QT_TRANSLATE_NOOP("Texts", "Ukládám kalibraci (Vstup %1) ...")};
inline constexpr TextId kCurveNotBuilt{QT_TRANSLATE_NOOP("Texts", "Nelze uložit křivku [ERR:%1]")};
inline constexpr TextId kCalibrationWriteError{
    QT_TRANSLATE_NOOP("Texts", "Chyba ukládání kalibrace. [ERR:%1]")};
inline constexpr TextId kStartingMeasurement{QT_TRANSLATE_NOOP("Texts", "Spouštím měření ...")};
inline constexpr TextId kMeasurementStarted{QT_TRANSLATE_NOOP("Texts", "OK, měření spuštěno.")};

// ---- the editor's lists and captions
inline constexpr TextId kGainRows[] = {
    {QT_TRANSLATE_NOOP("Texts", "Potenciometr G0/1x")},
    {QT_TRANSLATE_NOOP("Texts", "Potenciometr G1/2x")},
    {QT_TRANSLATE_NOOP("Texts", "Univerzální G2/4x  ")},
    {QT_TRANSLATE_NOOP("Texts", "Univerzální G3/8x  ")},
    {QT_TRANSLATE_NOOP("Texts", "Univerzální G4/16x ")},
    {QT_TRANSLATE_NOOP("Texts", "Univerzální G5/32x ")},
    {QT_TRANSLATE_NOOP("Texts", "Tenzometr G6/64x ")},
    {QT_TRANSLATE_NOOP("Texts", "Tenzometr G7/128x")},
};
inline constexpr TextId kCurveTypeRows[] = {
    {QT_TRANSLATE_NOOP("Texts", "div -> usr")},
    {QT_TRANSLATE_NOOP("Texts", "mV/V -> usr")},
};
inline constexpr TextId kSignalMvV{QT_TRANSLATE_NOOP("Texts", "Signál [mV/V]")};
inline constexpr TextId kSignalDiv{QT_TRANSLATE_NOOP("Texts", "Signál [div]")};
// %1: the sensor's identifier.
inline constexpr TextId kSensorFrame{QT_TRANSLATE_NOOP("Texts", "Snímač [ID:%1]")};
// %1: the description, %2 and %3 the block the record goes back to.
inline constexpr TextId kEditorCaption{
    QT_TRANSLATE_NOOP("Texts", "Kalibrace [ %1 ] Adr=%2 SubAdr=%3")};

// Leaving the editor with a curve that differs from the one it opened
// with; %1 the points it holds.
inline constexpr TextId kDiscardPoints{QT_TRANSLATE_NOOP(
    "Texts", "Křivka se od otevření editoru změnila a není uložená. Zavřít editor a zahodit ji "
             "(bodů: %1)?")};

// A new point at a reference value the table has: %1 the value, %2 the
// signal it has, %3 the new one.
inline constexpr TextId kReplacePoint{QT_TRANSLATE_NOOP(
    "Texts", "Bod s hodnotou etalonu %1 už v tabulce je (signál %2). Nahradit jeho signál novým "
             "(%3)? Ne: přidat další bod.")};

// ---- the curve refused
inline constexpr TextId kRepeatedValue{
    QT_TRANSLATE_NOOP("Texts", "Hondota etalonu %1 se vyskytuje opakovaně. ")};
inline constexpr TextId kRepeatedSignal{
    QT_TRANSLATE_NOOP("Texts", "Hodnota signálu %1 se vyskytuje opakovaně. ")};
inline constexpr TextId kTwoSamePoints{
    QT_TRANSLATE_NOOP("Texts", "Kalibrační křivka numůže obsahovat dva shodné body.")};
inline constexpr TextId kTooFewPoints{
    QT_TRANSLATE_NOOP("Texts", "Kalibrační křivka musí mít alespoň dva body.")};
inline constexpr TextId kNoDescription{
    QT_TRANSLATE_NOOP("Texts", "Kalibrační křivka musí mít jméno (popis).")};
inline constexpr TextId kTenthPoint{QT_TRANSLATE_NOOP(
    "Texts", "Kalibrační křivka může obsahovat maximálně 9 bodu, nelze přidat další bod.")};
inline constexpr TextId kFieldEtalon{QT_TRANSLATE_NOOP("Texts", "Etalon")};

// ---- the editor's commands
inline constexpr TextId kMarkPointFirst{
    QT_TRANSLATE_NOOP("Texts", "Nejprve označte bod křivky, který se má vymazat !")};
inline constexpr TextId kNewCurveQuestion{
    QT_TRANSLATE_NOOP("Texts", "Do you really want to create new calibration data ?")};
inline constexpr TextId kSavedOnSave{
    QT_TRANSLATE_NOOP("Texts", "The data will be saved after 'Save' button had been pressed")};
inline constexpr TextId kRemoveCurveQuestion{
    QT_TRANSLATE_NOOP("Texts", "Do you really want to remove all points of the curve ?")};
inline constexpr TextId kNoEKeyToWrite{
    QT_TRANSLATE_NOOP("Texts", "Kalibrační data nemohou být zapsána do snímače, protože "
                               "neobsahuje vniřní paměť dat (eKey).")};
inline constexpr TextId kWriteQuestion{
    QT_TRANSLATE_NOOP("Texts", "Chcete opravdu zapsat kalibrační data do snímače ?")};
inline constexpr TextId kCannotPrepare{
    QT_TRANSLATE_NOOP("Texts", "Calibation data cannot be prepared to save.")};
inline constexpr TextId kFileNotSaved{
    QT_TRANSLATE_NOOP("Texts", "Calibration data WERE NOT saved to calibration file.")};
// %1 the file, %2 why.
inline constexpr TextId kFileWriteFailed{
    QT_TRANSLATE_NOOP("Texts", "Write data to file failed. \r\n%1\r\n%2")};
inline constexpr TextId kFileUnreadable{
    QT_TRANSLATE_NOOP("Texts", "Kalibrační soubor nelze přečíst: %1\r\n%2")};
// The groups looked for: "[Kalibrace\Snimac01] ani [Kalibrace]".
inline constexpr TextId kGroupOrGroup{QT_TRANSLATE_NOOP("Texts", "[%1] ani %2")};
inline constexpr TextId kNoSuchGroup{
    QT_TRANSLATE_NOOP("Texts", "V kalibračním souboru %1 není skupina %2.")};
// %1 the file, %2 the group, %3 why.
inline constexpr TextId kGroupRefused{
    QT_TRANSLATE_NOOP("Texts", "Kalibrační soubor %1 nelze načíst, skupina [%2]:\r\n%3")};
// %1 the block, %2 what the reading found, %3 its code.
inline constexpr TextId kBlockUnread{
    QT_TRANSLATE_NOOP("Texts", "Kalibraci nelze načíst ze snímače (blok %1): %2 [ERR:%3]")};
inline constexpr TextId kBlockNotCalibration{
    QT_TRANSLATE_NOOP("Texts", "Blok %1 neobsahuje kalibrační data: %2 [ERR:%3]")};

// ---- the editor's file dialogs (their titles and filter rows)
inline constexpr TextId kSaveFileTitle{QT_TRANSLATE_NOOP("Texts", "Save calibration data to file")};
inline constexpr TextId kSaveFileFilter{
    QT_TRANSLATE_NOOP("Texts", "Calibration files (*.CLB)|*.CLB")};
inline constexpr TextId kOpenFileTitle{QT_TRANSLATE_NOOP("Texts", "Open calibration file")};
inline constexpr TextId kOpenFileFilter{
    QT_TRANSLATE_NOOP("Texts", "Calibration files (*.CLB)|*.CLB|All files (*.*)|*.*")};
inline constexpr TextId kCertificateTitle{QT_TRANSLATE_NOOP("Texts", "Uložit kalibrační list")};
inline constexpr TextId kCertificateFilter{
    QT_TRANSLATE_NOOP("Texts", "Kalibrační list PDF (*.pdf)|*.pdf")};

// ---- the certificate
inline constexpr TextId kFieldUncertainty{QT_TRANSLATE_NOOP("Texts", "Nejistota [%]")};
inline constexpr TextId kFieldValidity{QT_TRANSLATE_NOOP("Texts", "Platnost kalibrace")};
inline constexpr TextId kFieldDateOfSave{QT_TRANSLATE_NOOP("Texts", "Datum uložení")};
// %1 the file, %2 why.
inline constexpr TextId kCertificateNotSaved{
    QT_TRANSLATE_NOOP("Texts", "Kalibrační list nelze uložit do souboru %1\r\n%2")};
inline constexpr TextId kCertificateSaved{
    QT_TRANSLATE_NOOP("Texts", "Kalibrační list byl uložen do souborů\r\n%1\r\n%2")};

// Where a file or a writer is missing altogether (a build without one).
inline constexpr TextId kNoFileStore{QT_TRANSLATE_NOOP("Texts", "no calibration file store")};
inline constexpr TextId kNoPdfWriter{QT_TRANSLATE_NOOP("Texts", "no PDF writer")};
// Why a calibration file or a certificate was not written or read, when the
// system gives no reason of its own.
inline constexpr TextId kIsDirectory{QT_TRANSLATE_NOOP("Texts", "Is a directory")};
inline constexpr TextId kNotWritten{QT_TRANSLATE_NOOP("Texts", "The file could not be written")};
inline constexpr TextId kNotIniLeft{
    QT_TRANSLATE_NOOP("Texts", "The file is not an INI text file; it was left as it was")};
inline constexpr TextId kNotIni{QT_TRANSLATE_NOOP("Texts", "The file is not an INI text file")};
inline constexpr TextId kPdfNotStarted{QT_TRANSLATE_NOOP("Texts", "The PDF could not be started")};

// ---- a calibration file's group refused (%1 a key, quoted)
inline constexpr TextId kKeyNotNumber{QT_TRANSLATE_NOOP("Texts", "Položka %1 není číslo: %2.")};
// %3: what the key takes.
inline constexpr TextId kKeyOutOfRange{
    QT_TRANSLATE_NOOP("Texts", "Položka %1 je mimo rozsah: %2, přípustné jsou hodnoty %3.")};
inline constexpr TextId kKeyNotWhole{
    QT_TRANSLATE_NOOP("Texts", "Položka %1 musí být celé číslo od %2 do %3: %4.")};
inline constexpr TextId kKeyMissing{QT_TRANSLATE_NOOP("Texts", "Chybí položka %1.")};
inline constexpr TextId kPointCount{
    QT_TRANSLATE_NOOP("Texts", "Položka %1 = %2: kalibrační křivka může mít 2 až %3 bodů.")};
inline constexpr TextId kKeyRepeats{
    QT_TRANSLATE_NOOP("Texts", "Položka %1 = %2 opakuje položku %3.")};
inline constexpr TextId kBadUtf8{QT_TRANSLATE_NOOP(
    "Texts", "Soubor je označen jako UTF-8, ale řádek %1 není platný text UTF-8.")};
inline constexpr TextId kNotCp1250{
    QT_TRANSLATE_NOOP("Texts", "Soubor není v UTF-8 ani ve Windows-1250: řádek %1 obsahuje "
                               "bajt %2, který Windows-1250 nezná.")};

// ---- the curve's linearity
// %1 which line, %2 the deviation, %3 its unit, %4 percent of the span, %5 the point.
inline constexpr TextId kLargestWithUnit{
    QT_TRANSLATE_NOOP("Texts", "Největší odchylka od %1: %2 %3 = %4 % rozsahu (bod %5)")};
inline constexpr TextId kLargest{
    QT_TRANSLATE_NOOP("Texts", "Největší odchylka od %1: %2 = %3 % rozsahu (bod %4)")};
inline constexpr TextId kEndPointLine{QT_TRANSLATE_NOOP("Texts", "přímky krajních bodů")};
inline constexpr TextId kLeastSquaresLine{QT_TRANSLATE_NOOP("Texts", "přímky nejmenších čtverců")};
inline constexpr TextId kHeadingPoint{QT_TRANSLATE_NOOP("Texts", "Bod")};
inline constexpr TextId kHeadingValue{QT_TRANSLATE_NOOP("Texts", "Hodnota")};
inline constexpr TextId kHeadingValueIn{QT_TRANSLATE_NOOP("Texts", "Hodnota [%1]")};
inline constexpr TextId kHeadingEndPoint{
    QT_TRANSLATE_NOOP("Texts", "Odchylka od přímky krajních bodů")};
inline constexpr TextId kHeadingEndPointIn{
    QT_TRANSLATE_NOOP("Texts", "Odchylka od přímky krajních bodů [%1]")};
inline constexpr TextId kHeadingLeastSquares{
    QT_TRANSLATE_NOOP("Texts", "Odchylka od přímky nejmenších čtverců")};
inline constexpr TextId kHeadingLeastSquaresIn{
    QT_TRANSLATE_NOOP("Texts", "Odchylka od přímky nejmenších čtverců [%1]")};
inline constexpr TextId kHeadingPercent{QT_TRANSLATE_NOOP("Texts", "[% rozsahu]")};

// The editor while the line is away or the signal is old.
inline constexpr TextId kSignalStale{QT_TRANSLATE_NOOP(
    "Texts", "Signál není aktuální: převodník neodpověděl déle než 1,5 s nebo chybí spojení. Bod "
             "nelze zachytit, dokud měření znovu neběží.")};
inline constexpr TextId kEditorNoLine{QT_TRANSLATE_NOOP(
    "Texts", "Spojení s převodníkem je přerušeno. Body zůstávají v editoru; uložit je do převodníku "
             "lze, až se spojení obnoví. Do kalibračního souboru je lze uložit i nyní.")};
// Unsaved points of an earlier editing: %1 how many, %2 when they were kept.
inline constexpr TextId kRestoreDraft{QT_TRANSLATE_NOOP(
    "Texts", "Pro tento snímač jsou uloženy neuložené body z předchozí úpravy (bodů: %1, %2). "
             "Obnovit je?")};

} // namespace rm27::texts::calibration
