// What the main window says of its own: the lost line, the watch for its
// return, the question before a write is cut.
#pragma once

#include "l10n/text.h"
#include "session/texts.h"

namespace rm27::texts::mainwindow {

// %1: why, in the serial line's words.
inline constexpr TextId kLineLost = texts::session::kLineLost;
inline constexpr TextId kReconnectSwitch{
    QT_TRANSLATE_NOOP("Texts", "Po odpojení převodníku znovu připojit")};
inline constexpr TextId kReconnectSwitchTip{QT_TRANSLATE_NOOP(
    "Texts", "Když se komunikační port ztratí (odpojený USB převodník), program čeká, až se "
             "vrátí, otevře ho znovu a zopakuje poslední načtení.")};
// %1 the port (COMn), %2 its device file.
inline constexpr TextId kReconnectWaiting{
    QT_TRANSLATE_NOOP("Texts", "Čekám na návrat portu %1 (%2) ...")};
inline constexpr TextId kInterruptWrite{
    QT_TRANSLATE_NOOP("Texts", "Probíhá zápis do převodníku. Přerušit ho a ukončit program?")};
inline constexpr TextId kInterruptLeavesMix{QT_TRANSLATE_NOOP(
    "Texts", "Přerušený zápis může v převodníku zanechat směs starého a nového obsahu.")};

// "Přerušit" in the status bar stopped the command.
inline constexpr TextId kCancelledByUser{QT_TRANSLATE_NOOP("Texts", "Příkaz byl přerušen.")};

} // namespace rm27::texts::mainwindow
