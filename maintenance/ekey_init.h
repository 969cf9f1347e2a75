// The first content of new eKeys: one default record, a fresh identifier
// per input, written into every plugged eKey at once, with a report that
// also goes to the clipboard (the identifiers are pasted elsewhere).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "l10n/text.h"
#include "link/ekey.h"
#include "link/result.h"
#include "session/operations.h"
#include "session/write_safety.h"

namespace rm27 {

enum class EKeyInitVariant {
    R27,   // "Inicializovat eKey pro R-27": unit "div"
    Davro, // "Inicializovat eKey pro DAVRO": unit "mVV"
};

// The record both variants start from: a straight line through (0, 0) and
// (1, 1), gain code 7, curve flags 0xD0, and the variant's texts, lengths
// and limit.
void FillInitRecord(SensorRecord& rec, EKeyInitVariant variant, const CivilDateTime& today,
                    std::int64_t nowMs);

// The builder's correction of the decimals byte: the DAVRO display shows
// one decimal more than the record's format.
int InitFormatPad(EKeyInitVariant variant);

struct EKeyInitResult {
    // Failed also when an eKey read back different from what was written.
    Result outcome = ResultCode::Refused;
    // One line per input, as the report and the clipboard show them.
    std::array<Text, kInputCount> lines{};
    // Every eKey write with its backup and check, in input order.
    std::vector<GuardedWrite> writes;
};

// mIniteKey / mIniteKeyDavro. Each eKey's image as the last reading found
// it is kept before it is overwritten, and the reading that ends the
// command checks every eKey written (the date bytes aside). A doubtful
// eKey mask is said before the question, and nothing else happens (Failed).
EKeyInitResult InitEKeys(Operations& ops, EKeyInitVariant variant);

} // namespace rm27
