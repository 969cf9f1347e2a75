#include "watch/record_file.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "watch/texts.h"

namespace rm27 {

Text RecordingStopped(const std::string& name, const Text& why, std::int64_t rows) {
    return Text(texts::watch::kRecordingStopped, name, why, rows);
}

RecordFile::~RecordFile() {
    close();
}

std::string RecordFile::create(const std::string& path) {
    close();
    error_ = 0;
    // Non-blocking: a pipe nobody reads must not hang the window.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return std::strerror(errno);
    fd_ = fd;
    owned_ = true;
    path_ = path;
    name_ = path;
    remember();
    return {};
}

void RecordFile::attach(int fd) {
    close();
    error_ = 0;
    fd_ = fd;
    owned_ = false;
    path_.clear();
    // Asked now: once the file is removed, the system adds " (deleted)".
    char target[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target);
    name_ = n > 0 ? std::string(target, static_cast<std::size_t>(n)) : link;
    remember();
}

void RecordFile::remember() {
    struct stat st {};
    regular_ = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
    device_ = static_cast<std::uint64_t>(st.st_dev);
    inode_ = static_cast<std::uint64_t>(st.st_ino);
    goodSize_ = -1;
    if (!regular_) return;
    // Where this program's next record starts, also when it shares the file
    // with another writer (stderr into the same file) or appends to it.
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0 && (flags & O_APPEND) != 0) {
        if (::fstat(fd_, &st) == 0) goodSize_ = static_cast<std::int64_t>(st.st_size);
    } else {
        goodSize_ = static_cast<std::int64_t>(::lseek(fd_, 0, SEEK_CUR));
    }
}

bool RecordFile::write(const std::string& record) {
    if (fd_ < 0) return false;
    std::size_t done = 0;
    while (done < record.size()) {
        const ssize_t n = ::write(fd_, record.data() + done, record.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error_ = n < 0 ? errno : ENOSPC;
            if (goodSize_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(goodSize_)) != 0) {
                // Nothing more can be done about that file.
            }
            close();
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (regular_) remember();
    return true;
}

bool RecordFile::stillThere() const {
    if (fd_ < 0) return false;
    struct stat st {};
    if (!path_.empty()) {
        // Writing into a file whose folder was deleted succeeds and ends in
        // nothing; so does writing into one replaced under the same name.
        return ::stat(path_.c_str(), &st) == 0 &&
               static_cast<std::uint64_t>(st.st_dev) == device_ &&
               static_cast<std::uint64_t>(st.st_ino) == inode_;
    }
    if (::fstat(fd_, &st) != 0) return false;
    return !S_ISREG(st.st_mode) || st.st_nlink > 0;
}

void RecordFile::close() {
    if (fd_ >= 0 && owned_) ::close(fd_);
    fd_ = -1;
}

} // namespace rm27
