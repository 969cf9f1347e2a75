#include "session/ekey_text.h"

#include "link/codepage.h"

namespace rm27 {

std::string EKeyTextRefusal(const SensorRecord& rec) {
    const std::string character = UnencodableEKeyCharacter(rec);
    if (character.empty()) return {};
    return "Znak „" + ReplaceInvalidUtf8(character) + "“ (" + CodePointText(character) +
           ") nelze uložit do eKey: kódová stránka snímače (Windows-1250) ho neobsahuje.";
}

} // namespace rm27
