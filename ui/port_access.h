// Why a serial device may not be opened by this user. On Linux the device
// files of serial adapters belong to a group (usually "dialout"); a user
// outside it gets EACCES and the port looks as if it were broken. The hint
// names the group to join, so the operator can fix it without a search.
#pragma once

#include <QString>

#include <sys/types.h>

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
QString PortPermissionHint(const QString& path, const PortAccessFacts& facts);
inline QString PortPermissionHint(const QString& path) {
    return PortPermissionHint(path, ReadPortAccess(path));
}

} // namespace rm27
