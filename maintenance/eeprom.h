// Overwriting the converter's configuration memory (EEPROM) from an image
// file, and keeping its contents in one. The new contents take effect when
// the converter restarts ("Reset").
#pragma once

#include <functional>
#include <string>

#include "l10n/text.h"
#include "link/result.h"
#include "maintenance/eeprom_file.h"
#include "session/operations.h"

namespace rm27 {

inline constexpr int kEepromSize = 256;
// How long a location's read may take, as for K and Q.
inline constexpr std::int32_t kEepromReadTimeoutMs = 100;

// Called after each location: done of total.
using EepromProgress = std::function<void(int done, int total)>;

// The .eep file a load would write, read whole and checked: an empty text
// with its bytes, or the message that refuses it (also for a file that is
// no regular file or is too large). Nothing is sent.
Text ReadEepFile(const std::string& path, std::vector<EepromByte>& bytes);

// The warning shown before anything is overwritten.
Text EepromLoadWarning();

// mLoadEE: the measurement stops; after the warning (No preselected) and
// the open-file dialog (ops.dialogs->eeprom) the whole file is read and
// checked before the first frame; then one QuickWriteByte per line and a
// summary of the echoes. The measurement starts again in every case. After
// that, every location written is read back (the measurement stopped once
// more): Done only when the converter holds every byte written; otherwise
// a critical box after the summary names the first location that differs
// or could not be read back.
Result LoadEeprom(Operations& ops, const EepromProgress& progress = {});

// mSaveEE: asks for the file (ops.dialogs->eepromSave) with the values
// still live, then with the measurement stopped reads locations 0..255
// ("ER") and writes every location that answered cleanly; a missing or
// doubtful answer leaves the location out (Failed, and the summary says so).
Result SaveEeprom(Operations& ops, const EepromProgress& progress = {});

// The file dialogs of these commands and of the eKey restore as a window
// presets them at start-up: the EEPROM images from `workingDir`, the eKey
// backups in their folder, each owned by the window named `owner`.
DialogPresets MaintenanceDialogs(const std::string& workingDir, const std::string& backupFolder,
                                 const std::string& owner);

} // namespace rm27
