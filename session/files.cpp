#include "session/files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace rm27 {

namespace {

std::string SystemError() {
    return errno != 0 ? std::string(std::strerror(errno)) : std::string("I/O error");
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& text, std::string& error) {
    // A folder opens like a file here and simply reads as empty.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        error = std::strerror(EISDIR);
        return false;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = SystemError();
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = SystemError();
        return false;
    }
    return true;
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
