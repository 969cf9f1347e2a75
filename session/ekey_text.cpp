#include "session/ekey_text.h"

#include "link/codepage.h"
#include "session/texts.h"

namespace rm27 {

Text EKeyTextRefusal(const SensorRecord& rec) {
    const std::string character = UnencodableEKeyCharacter(rec);
    if (character.empty()) return {};
    return Text(texts::session::kUnencodableCharacter, ReplaceInvalidUtf8(character),
                CodePointText(character));
}

} // namespace rm27
