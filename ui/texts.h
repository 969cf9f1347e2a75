// What the serial line tells the user about a port that will not open: the
// group to join, the program or the lock left behind that holds it; the
// buttons of the program's boxes.
#pragma once

#include "l10n/text.h"

namespace rm27::texts::ui {

// %1 the device, %2 its group, %3 the user; %4 the owner, %5 the
// permissions ("rw-rw----").
inline constexpr TextId kJoinGroup{
    QT_TRANSLATE_NOOP("Texts", "Port %1 smí používat jen členové skupiny „%2“: přidejte uživatele "
                               "%3 do skupiny (sudo usermod -aG %2 %3) a přihlaste se znovu.")};
// %1 the user, %2 the group.
inline constexpr TextId kLoginAgain{
    QT_TRANSLATE_NOOP("Texts", "Uživatel %1 už je ve skupině „%2“, ale program byl spuštěn dřív: "
                               "odhlaste se a přihlaste znovu.")};
inline constexpr TextId kNoRights{QT_TRANSLATE_NOOP(
    "Texts", "Uživatel %3 nemá k portu %1 přístup (vlastník %4, skupina „%2“, práva %5).")};
// %1 the port ("COM1"), %2 the device, then the program and its PID, or
// the PID, the lock file and its owner.
inline constexpr TextId kInUse{
    QT_TRANSLATE_NOOP("Texts", "%1 (%2) používá jiný program: %3, PID %4")};
inline constexpr TextId kInUseUnnamed{
    QT_TRANSLATE_NOOP("Texts", "%1 (%2) používá jiný program, PID %3")};
inline constexpr TextId kStaleLock{
    QT_TRANSLATE_NOOP("Texts", "Port %1 (%2) zůstal zamčený po programu, který už neběží (PID "
                               "%3): zámek %4 smí odstranit jen jeho vlastník (%5) nebo správce "
                               "(sudo rm %4).")};

// The buttons of the program's boxes, which would otherwise stay in the
// language Qt itself was built in.
inline constexpr TextId kButtonYes{QT_TRANSLATE_NOOP("Texts", "Ano")};
inline constexpr TextId kButtonNo{QT_TRANSLATE_NOOP("Texts", "Ne")};
inline constexpr TextId kButtonClose{QT_TRANSLATE_NOOP("Texts", "Zavřít")};
inline constexpr TextId kButtonCancel{QT_TRANSLATE_NOOP("Texts", "Zrušit")};
inline constexpr TextId kButtonChoose{QT_TRANSLATE_NOOP("Texts", "Vybrat")};

} // namespace rm27::texts::ui
