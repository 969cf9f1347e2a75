#include "session/files.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rm27 {

namespace {

std::string SystemError() {
    return errno != 0 ? std::string(std::strerror(errno)) : std::string("I/O error");
}

// Why a file of this type is no file to read.
std::string NotAFile(mode_t mode) {
    if (S_ISDIR(mode)) return "je to složka, ne soubor";
    if (S_ISFIFO(mode)) return "je to pojmenovaná roura (FIFO), ne soubor";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "je to zařízení, ne soubor";
    return "není to obyčejný soubor";
}

std::string TooLarge(const FileKind& kind) {
    return "soubor je větší než " + std::to_string(kind.maxBytes / 1024) + " KiB";
}

// Reads at most kind.maxBytes + 1 bytes: enough to tell that a file is too
// large, however large it claims (or does not claim) to be.
bool ReadCapped(int fd, const FileKind& kind, std::string& text, std::string& error) {
    text.assign(kind.maxBytes + 1, '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = SystemError();
            return false;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got > kind.maxBytes) {
        error = TooLarge(kind);
        return false;
    }
    text.resize(got);
    return true;
}

} // namespace

bool ReadWholeFile(const std::string& path, const FileKind& kind, std::string& text,
                   std::string& error) {
    // Looked at before it is opened: opening a device may do something
    // (a serial port drops its modem lines), and a FIFO waits for a writer.
    struct stat st {};
    errno = 0;
    if (::stat(path.c_str(), &st) != 0) {
        error = SystemError();
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = NotAFile(st.st_mode);
        return false;
    }
    if (static_cast<std::size_t>(st.st_size) > kind.maxBytes) {
        error = TooLarge(kind);
        return false;
    }
    // Non-blocking, and looked at again once open: the name may have been
    // given to something else in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = SystemError();
        return false;
    }
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok)
        error = SystemError();
    else if (!S_ISREG(st.st_mode))
        error = NotAFile(st.st_mode);
    ok = ok && S_ISREG(st.st_mode) && ReadCapped(fd, kind, text, error);
    ::close(fd);
    if (!ok) text.clear();
    return ok;
}

bool WriteWholeFile(const std::string& path, const std::string& text, std::string& error) {
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = SystemError();
        return false;
    }
    out << text;
    out.close();
    if (!out) {
        error = SystemError();
        return false;
    }
    return true;
}

} // namespace rm27
