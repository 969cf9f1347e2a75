// Why a serial device may not be opened by this user. On Linux the device
// files of serial adapters belong to a group (usually "dialout"); a user
// outside it gets EACCES and the port looks as if it were broken. The hint
// names the group to join, so the operator can fix it without a search.
#pragma once

#include <QString>

#include <sys/types.h>

#include "l10n/text.h"

namespace rm27 {

// What the system says about a device file, as seen by this process.
struct PortAccessFacts {
    // errno of a read/write access check with the process's effective ids
    // (0: allowed; ENOENT: no such device; EACCES: the permissions say no).
    int accessError = 0;
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;             // permission bits of the file
    QString ownerName;           // user name of the owner ("" when unknown)
    QString groupName;           // group name ("" when unknown)
    QString userName;            // the user running the program
    bool processIsOwner = false; // the running process owns the file
    bool processInGroup = false; // the running process has the file's group
    // The user's account lists the group, but this process started before
    // it was added (a login session keeps the groups it started with).
    bool accountInGroup = false;
};

// The facts of `path` (a symbolic link is followed). Only accessError is
// filled in unless it is EACCES.
PortAccessFacts ReadPortAccess(const QString& path);

// The status-line hint for a device that did not open because the user may
// not use it; empty when the facts say nothing of the kind (the device is
// missing or busy, or the process may use it).
Text PortPermissionHint(const QString& path, const PortAccessFacts& facts);
inline Text PortPermissionHint(const QString& path) {
    return PortPermissionHint(path, ReadPortAccess(path));
}

// Who keeps a device from opening, as far as this process can see. Qt's
// QSerialPort takes a lock file for every port it opens; a program killed
// with the port open leaves it behind, and a second program then gets
// nothing better than "Permission error while locking the device".
struct PortHolder {
    QString lockFile;    // the lock file of the device, "" when there is none
    QString lockOwner;   // the user who owns that file
    qint64 pid = 0;      // the process holding the port, 0 when none is known
    QString program;     // its name ("" when unknown)
    bool stale = false;  // the lock names a process that no longer runs
    int removeError = 0; // errno of a failed attempt to remove a stale lock
};

// The lock file QSerialPort takes for a device: "LCK.." and the device's
// name below /dev (its whole path otherwise) with "/" made "_", in the
// first lock folder it may read and either finds the file in or may write.
QString SerialLockFile(const QString& devicePath);

// The lock file's process (by the number on its first line) when there is
// a lock, else a process of this user that has the device open.
PortHolder FindPortHolder(const QString& devicePath);

// What the user is told about the holder of port (e.g. "COM1") at
// devicePath; empty when nothing is known or the lock was stale and gone.
Text PortHolderHint(const QString& port, const QString& devicePath, const PortHolder& holder);

} // namespace rm27
