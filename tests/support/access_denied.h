// A device file this user may not open, for root and for everyone else.
//
// Root opens anything: its capabilities CAP_DAC_OVERRIDE and
// CAP_DAC_READ_SEARCH skip the permission bits. So as root the file is
// given to "nobody" and the group "dialout" (rw for the group only), and
// the code under test runs without those two capabilities: in this thread
// (WithoutDacOverride, lowered and raised again) or in a child program
// (DropDacOverrideForExec, from its bounding set, so exec does not give
// them back). Root is then refused by the permission bits like any user
// outside the group. Anyone else simply gets a file with no permissions.
#pragma once

#include <QString>

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <grp.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace rm27::test {

inline bool RunningAsRoot() {
    return ::geteuid() == 0;
}

// The group the file is given to as root.
inline std::string DeniedGroup() {
    return ::getgrnam("dialout") != nullptr ? "dialout" : "tty";
}

// Makes `path` (created if missing) a file this process may not open once
// WithoutDacOverride is in force. False when that cannot be arranged.
inline bool MakeDeniedFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    if (fd < 0) return false;
    ::close(fd);
    if (!RunningAsRoot()) return ::chmod(path.c_str(), 0) == 0;
    const group* g = ::getgrnam(DeniedGroup().c_str());
    if (g == nullptr) return false;
    return ::chown(path.c_str(), 65534, g->gr_gid) == 0 && ::chmod(path.c_str(), 0660) == 0;
}

// For as long as it lives, this thread is subject to the permission bits
// even as root. Does nothing for other users.
class WithoutDacOverride {
public:
    WithoutDacOverride() {
        if (!RunningAsRoot()) return;
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
            lowered[CAP_TO_INDEX(cap)].effective &= ~CAP_TO_MASK(cap);
        header_.pid = 0;
        active_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~WithoutDacOverride() {
        if (!active_) return;
        header_.pid = 0;
        ::syscall(SYS_capset, &header_, saved_);
    }
    WithoutDacOverride(const WithoutDacOverride&) = delete;
    WithoutDacOverride& operator=(const WithoutDacOverride&) = delete;
    // Whether the permission bits now apply (always for other users).
    bool inForce() const { return active_ || !RunningAsRoot(); }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
    bool active_ = false;
};

// In a child between fork and exec (QProcess::setChildProcessModifier).
inline void DropDacOverrideForExec() {
    if (!RunningAsRoot()) return;
    ::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
    ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
}

} // namespace rm27::test
