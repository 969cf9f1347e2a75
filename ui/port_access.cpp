#include "ui/port_access.h"

#include <QByteArray>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "session/files.h"
#include "ui/texts.h"

namespace rm27 {

namespace {

namespace t = texts::ui;

// A lock file and a process's name are a few bytes; the lock folder is
// writable by everyone, so whatever stands there is read with care.
constexpr FileKind kSmallFile{4 * 1024};

QString UserName(uid_t uid) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return QString();
    return QString::fromLocal8Bit(found->pw_name);
}

QString GroupName(gid_t gid) {
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return QString();
    return QString::fromLocal8Bit(found->gr_name);
}

bool ProcessHasGroup(gid_t gid) {
    if (getegid() == gid) return true;
    const int n = getgroups(0, nullptr);
    if (n <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(n));
    const int got = getgroups(n, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[static_cast<std::size_t>(i)] == gid) return true;
    }
    return false;
}

// The groups the account gets at its next login.
bool AccountHasGroup(const QString& user, gid_t gid) {
    if (user.isEmpty()) return false;
    const QByteArray name = user.toLocal8Bit();
    int n = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(n));
    if (getgrouplist(name.constData(), getegid(), groups.data(), &n) < 0) {
        groups.resize(static_cast<std::size_t>(n));
        if (getgrouplist(name.constData(), getegid(), groups.data(), &n) < 0) return false;
    }
    for (int i = 0; i < n; ++i) {
        if (groups[static_cast<std::size_t>(i)] == gid) return true;
    }
    return false;
}

QString ModeText(mode_t mode) {
    const char letters[] = "rwxrwxrwx";
    QString text;
    for (int bit = 0; bit < 9; ++bit)
        text += (mode & (0400u >> bit)) != 0 ? QLatin1Char(letters[bit]) : QLatin1Char('-');
    return text;
}

QString SmallFileText(const QString& path) {
    std::string text;
    if (!ReadWholeFile(path.toStdString(), kSmallFile, text).empty()) return QString();
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// The number a lock file starts with (QLockFile's and the UUCP locks'
// first line alike); 0 when there is none that could be a process.
qint64 LockPid(const QString& text) {
    bool ok = false;
    const qint64 pid = text.section(QLatin1Char('\n'), 0, 0).trimmed().toLongLong(&ok);
    return ok && pid > 0 && pid <= INT_MAX ? pid : 0;
}

// A zombie has closed its files and given up its locks already.
bool ProcessRuns(qint64 pid) {
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return false;
    const QString stat = SmallFileText(QStringLiteral("/proc/%1/stat").arg(pid));
    return stat.section(QStringLiteral(") "), -1).left(1) != QLatin1String("Z");
}

QString ProcessName(qint64 pid) {
    return SmallFileText(QStringLiteral("/proc/%1/comm").arg(pid)).trimmed();
}

// A process of this user (others' descriptors cannot be looked at) that
// has the device open: a program that takes no lock still holds the port.
qint64 ProcessWithDeviceOpen(const QString& devicePath) {
    struct stat device {};
    if (::stat(devicePath.toLocal8Bit().constData(), &device) != 0) return 0;
    DIR* processes = ::opendir("/proc");
    if (processes == nullptr) return 0;
    qint64 found = 0;
    while (found == 0) {
        const dirent* p = ::readdir(processes);
        if (p == nullptr) break;
        const qint64 pid = std::strtoll(p->d_name, nullptr, 10);
        if (pid <= 0 || pid == ::getpid()) continue;
        const std::string fdFolder = std::string("/proc/") + p->d_name + "/fd";
        DIR* fds = ::opendir(fdFolder.c_str());
        if (fds == nullptr) continue;
        while (const dirent* fd = ::readdir(fds)) {
            struct stat st {};
            if (fd->d_name[0] == '.' || ::stat((fdFolder + "/" + fd->d_name).c_str(), &st) != 0)
                continue;
            if (st.st_dev == device.st_dev && st.st_ino == device.st_ino) {
                found = pid;
                break;
            }
        }
        ::closedir(fds);
    }
    ::closedir(processes);
    return found;
}

} // namespace

QString SerialLockFile(const QString& devicePath) {
    QString name = devicePath.startsWith(QLatin1String("/dev/")) ? devicePath.mid(5) : devicePath;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QStringList folders = {QStringLiteral("/var/lock"),
                                 QStringLiteral("/etc/locks"),
                                 QStringLiteral("/var/spool/locks"),
                                 QStringLiteral("/var/spool/uucp"),
                                 QStringLiteral("/tmp"),
                                 QStringLiteral("/var/tmp"),
                                 QStringLiteral("/var/lock/lockdev"),
                                 QStringLiteral("/run/lock"),
                                 QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
    for (const QString& folder : folders) {
        const QString file = folder + QStringLiteral("/LCK..") + name;
        const QFileInfo info(folder);
        if (info.isReadable() && (QFileInfo::exists(file) || info.isWritable())) return file;
    }
    return QString();
}

PortHolder FindPortHolder(const QString& devicePath) {
    PortHolder h;
    const QString lock = SerialLockFile(devicePath);
    struct stat st {};
    if (!lock.isEmpty() && ::lstat(lock.toLocal8Bit().constData(), &st) == 0) {
        h.lockFile = lock;
        h.lockOwner = UserName(st.st_uid);
        const QString text = SmallFileText(lock);
        h.pid = LockPid(text);
        if (h.pid == ::getpid()) return {};
        h.stale = h.pid == 0 || !ProcessRuns(h.pid);
        if (!h.stale) {
            h.program = ProcessName(h.pid);
            // The name the lock was taken under, when /proc does not say.
            if (h.program.isEmpty()) h.program = text.section(QLatin1Char('\n'), 1, 1).trimmed();
        }
        return h;
    }
    h.pid = ProcessWithDeviceOpen(devicePath);
    if (h.pid != 0) h.program = ProcessName(h.pid);
    return h;
}

Text PortHolderHint(const QString& port, const QString& devicePath, const PortHolder& h) {
    const auto s = [](const QString& text) { return text.toStdString(); };
    if (h.stale) {
        if (h.removeError == 0) return {};
        const std::string pid = h.pid > 0 ? std::to_string(h.pid) : "?";
        const std::string owner = h.lockOwner.isEmpty() ? "?" : s(h.lockOwner);
        return Text(t::kStaleLock, s(port), s(devicePath), pid, s(h.lockFile), owner);
    }
    if (h.pid <= 0) return {};
    if (h.program.isEmpty()) return Text(t::kInUseUnnamed, s(port), s(devicePath), h.pid);
    return Text(t::kInUse, s(port), s(devicePath), s(h.program), h.pid);
}

PortAccessFacts ReadPortAccess(const QString& path) {
    PortAccessFacts f;
    const QByteArray file = path.toLocal8Bit();
    // The effective ids decide what open() may do, not the real ones.
    f.accessError = faccessat(AT_FDCWD, file.constData(), R_OK | W_OK, AT_EACCESS) == 0 ? 0 : errno;
    // The rest only matters for a refusal, and the user and group look-ups
    // may go to the network: a port search fails on many missing devices.
    if (f.accessError != EACCES) return f;
    f.userName = UserName(geteuid());
    struct stat st {};
    if (::stat(file.constData(), &st) != 0) return f;
    f.owner = st.st_uid;
    f.group = st.st_gid;
    f.mode = st.st_mode & 07777;
    f.ownerName = UserName(st.st_uid);
    f.groupName = GroupName(st.st_gid);
    f.processIsOwner = st.st_uid == geteuid();
    f.processInGroup = ProcessHasGroup(st.st_gid);
    f.accountInGroup = AccountHasGroup(f.userName, st.st_gid);
    return f;
}

Text PortPermissionHint(const QString& path, const PortAccessFacts& facts) {
    if (facts.accessError != EACCES) return {};
    const std::string group =
        facts.groupName.isEmpty() ? std::to_string(facts.group) : facts.groupName.toStdString();
    const std::string owner =
        facts.ownerName.isEmpty() ? std::to_string(facts.owner) : facts.ownerName.toStdString();
    const std::string user =
        facts.userName.isEmpty() ? std::string("$USER") : facts.userName.toStdString();
    const bool groupMayUse = (facts.mode & 060) == 060;
    // An owner is judged by the owner's bits alone, so the group is no way
    // in for the file's own owner.
    if (groupMayUse && !facts.processInGroup && !facts.processIsOwner) {
        if (facts.accountInGroup) return Text(t::kLoginAgain, user, group);
        return Text(t::kJoinGroup, path.toStdString(), group, user);
    }
    return Text(t::kNoRights, path.toStdString(), group, user, owner,
                ModeText(facts.mode).toStdString());
}

} // namespace rm27
