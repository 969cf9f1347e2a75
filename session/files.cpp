#include "session/files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link/ekey.h"
#include "session/texts.h"

namespace rm27 {

namespace {

namespace t = texts::session;

Text SystemError() {
    return Text::Value(errno != 0 ? std::string(std::strerror(errno)) : std::string("I/O error"));
}

// Why a file of this type is no file to read.
Text NotAFile(mode_t mode) {
    if (S_ISDIR(mode)) return Text(t::kIsFolder);
    if (S_ISFIFO(mode)) return Text(t::kIsFifo);
    if (S_ISCHR(mode) || S_ISBLK(mode)) return Text(t::kIsDevice);
    return Text(t::kNotRegular);
}

Text TooLarge(const FileKind& kind) {
    return Text(t::kFileTooLarge, kind.maxBytes / 1024);
}

// Reads at most kind.maxBytes + 1 bytes: enough to tell that a file is too
// large, however large it claims (or does not claim) to be. What is held
// grows with what was read, not with what the kind allows.
bool ReadCapped(int fd, const FileKind& kind, std::string& text, Text& error) {
    text.clear();
    char buf[65536];
    while (text.size() <= kind.maxBytes) {
        const std::size_t want = std::min(sizeof buf, kind.maxBytes + 1 - text.size());
        const ssize_t n = ::read(fd, buf, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = SystemError();
            return false;
        }
        if (n == 0) break;
        text.append(buf, static_cast<std::size_t>(n));
    }
    if (text.size() > kind.maxBytes) {
        error = TooLarge(kind);
        return false;
    }
    return true;
}

} // namespace

Text ReadWholeFile(const std::string& path, const FileKind& kind, std::string& text) {
    // Looked at before it is opened: opening a device may do something
    // (a serial port drops its modem lines), and a FIFO waits for a writer.
    struct stat st {};
    errno = 0;
    text.clear();
    if (::stat(path.c_str(), &st) != 0) return SystemError();
    if (!S_ISREG(st.st_mode)) return NotAFile(st.st_mode);
    if (static_cast<std::size_t>(st.st_size) > kind.maxBytes) return TooLarge(kind);
    // Non-blocking, and looked at again once open: the name may have been
    // given to something else in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return SystemError();
    Text error;
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok)
        error = SystemError();
    else if (!S_ISREG(st.st_mode))
        error = NotAFile(st.st_mode);
    ok = ok && S_ISREG(st.st_mode) && ReadCapped(fd, kind, text, error);
    ::close(fd);
    if (!ok) text.clear();
    return error;
}

Text WriteWholeFile(const std::string& path, const std::string& text) {
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return SystemError();
    out << text;
    out.close();
    if (!out) return SystemError();
    return {};
}

std::string FileNamePart(const std::string& text, bool keepDots) {
    std::string out;
    for (const char c : TrimBlanks(text)) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || (keepDots && c == '.');
        out += plain ? c : '_';
    }
    return out;
}

} // namespace rm27
