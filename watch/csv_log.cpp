#include "watch/csv_log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rm27 {

namespace {

std::string ErrnoText(int error) {
    return std::strerror(error);
}

} // namespace

CsvLog::~CsvLog() {
    closeFile();
}

std::string CsvLog::start(const std::string& path, const WatchHeader& header,
                          const CsvDialect& dialect) {
    stop();
    stop_ = LogStop::None;
    failure_.clear();
    rows_ = 0;
    goodSize_ = 0;
    path_ = path;
    header_ = header;
    dialect_ = dialect;
    // Non-blocking: a pipe nobody reads must not hang the window.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd_ < 0) return ErrnoText(errno);
    struct stat st {};
    if (::fstat(fd_, &st) == 0) {
        device_ = static_cast<std::uint64_t>(st.st_dev);
        inode_ = static_cast<std::uint64_t>(st.st_ino);
    }
    if (!write(CsvHeader(header, LogColumns(), dialect))) {
        const std::string why = failure_;
        closeFile();
        stop_ = LogStop::None;
        failure_.clear();
        return why;
    }
    return {};
}

bool CsvLog::record(const TickSample& sample) {
    if (!active() || !sample.answered) return true;
    if (!(sample.header == header_)) {
        fail(LogStop::HeaderChanged,
             "převodník byl načten znovu a jeho vstupy jsou popsány jinak než v hlavičce záznamu");
        return false;
    }
    // Writing into a file whose folder was deleted succeeds and ends in
    // nothing; better to say so at once.
    if (!stillThere()) {
        fail(LogStop::Vanished, "soubor nebo jeho složka již neexistuje");
        return false;
    }
    if (!write(CsvLogRow(sample, dialect_))) return false;
    ++rows_;
    return true;
}

void CsvLog::stop() {
    if (!active()) return;
    closeFile();
    stop_ = LogStop::ByUser;
}

bool CsvLog::write(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            // Leave whole records only: a reader of the file must not
            // trip over half of one.
            if (::ftruncate(fd_, static_cast<off_t>(goodSize_)) != 0) {
                // Nothing more can be done about that file.
            }
            fail(LogStop::WriteFailed, ErrnoText(error));
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    goodSize_ += static_cast<std::int64_t>(text.size());
    return true;
}

bool CsvLog::stillThere() {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) return false;
    return static_cast<std::uint64_t>(st.st_dev) == device_ &&
           static_cast<std::uint64_t>(st.st_ino) == inode_;
}

void CsvLog::fail(LogStop why, const std::string& text) {
    closeFile();
    stop_ = why;
    failure_ = text;
}

void CsvLog::closeFile() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

} // namespace rm27
