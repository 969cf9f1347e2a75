// An input's calibration as a .bin file: the 256 bytes of the block its
// record was read from (its eKey, or the converter's internal copy when no
// eKey is plugged), byte for byte, with nothing before or after them. The
// way back writes such a file to the input's block as a kept backup is
// written (ekey_restore.h).
#pragma once

#include <cstdint>
#include <string>

#include "l10n/text.h"
#include "link/result.h"
#include "maintenance/ekey_restore.h"
#include "session/operations.h"

namespace rm27 {

// The block input's record came from at the last reading: its eKey or its
// internal copy; -1 when the reading did not get to the input.
std::int32_t InputBlock(const DeviceState& st, int input);

// "Uložit kalibraci do souboru BIN": the image of the input's block as
// last read from the converter the state describes, to the .bin file
// chosen (offered under the sensor's identifier). Sends nothing, so it
// needs no open port; Refused with a box when that block was not read.
Result SaveEKeyBin(Operations& ops, int input);

// A .bin file read whole: an empty text with its bytes in `image`, or why
// it is refused (not exactly 256 bytes, not a regular file, unreadable).
Text ReadBinFile(const std::string& path, std::string& image);

// "Obnovit kalibraci ze souboru BIN ...": asks for a .bin file and writes
// it to the input's block as RestoreEKey writes a backup: the question
// naming block and sensor, the journal entry with the block's old image,
// the write and the read-back.
RestoreResult RestoreEKeyBin(Operations& ops, int input);

} // namespace rm27
