// Where the program keeps what it writes for the user.
#pragma once

#include <QString>

namespace rm27 {

// The eKey backups: "backups" in the program's data folder of this user
// (the same for the window and r27ctl, whichever runs).
QString BackupFolder();
// The write journal, beside the backups it took over from.
QString JournalPath();
// The calibration editor's work in progress, in the same data folder.
QString DraftFolder();

} // namespace rm27
