#include "ui/port_access.h"

#include <QByteArray>

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rm27 {

namespace {

// The texts of the hint, in one place.
const char* const kJoinGroup = "Port %1 smí používat jen členové skupiny „%2“: přidejte uživatele "
                               "%3 do skupiny (sudo usermod -aG %2 %3) a přihlaste se znovu.";
const char* const kLoginAgain = "Uživatel %1 už je ve skupině „%2“, ale program byl spuštěn dřív: "
                                "odhlaste se a přihlaste znovu.";
const char* const kNoRights =
    "Uživatel %3 nemá k portu %1 přístup (vlastník %4, skupina „%2“, práva %5).";

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

} // namespace

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

QString PortPermissionHint(const QString& path, const PortAccessFacts& facts) {
    if (facts.accessError != EACCES) return QString();
    const QString group =
        facts.groupName.isEmpty() ? QString::number(facts.group) : facts.groupName;
    const QString owner =
        facts.ownerName.isEmpty() ? QString::number(facts.owner) : facts.ownerName;
    const QString user = facts.userName.isEmpty() ? QStringLiteral("$USER") : facts.userName;
    const bool groupMayUse = (facts.mode & 060) == 060;
    // An owner is judged by the owner's bits alone, so the group is no way
    // in for the file's own owner.
    if (groupMayUse && !facts.processInGroup && !facts.processIsOwner) {
        if (facts.accountInGroup) return QString::fromUtf8(kLoginAgain).arg(user, group);
        return QString::fromUtf8(kJoinGroup).arg(path, group, user);
    }
    return QString::fromUtf8(kNoRights).arg(path, group, user, owner, ModeText(facts.mode));
}

} // namespace rm27
