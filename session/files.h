// Whole files, as bytes: what the EEPROM images, the backups, the
// calibration files and the certificates are read and written with.
#pragma once

#include <cstddef>
#include <string>

#include "l10n/text.h"

namespace rm27 {

// What a file is read as. Each kind has the size no honest file of its kind
// comes near: a file is read into memory whole before anything is sent, and
// a mistaken choice (a disk image, /dev/zero) must be refused, not read.
struct FileKind {
    std::size_t maxBytes = 0;
};

// 256 lines of "LL VV" take under 2 KiB, a calibration of nine points
// about 1 KiB: 64 KiB leaves room for comments and for other groups.
inline constexpr FileKind kEepFile{64 * 1024};
inline constexpr FileKind kClbFile{64 * 1024};
// Seven lines, the longest 518 characters.
inline constexpr FileKind kBackupFile{16 * 1024};
// A load series of ten series of a dozen steps is some 200 rows of under 80
// characters; a class table a handful of lines.
inline constexpr FileKind kReadingsFile{1024 * 1024};
inline constexpr FileKind kClassTableFile{64 * 1024};

// An input's block image as a .bin file: 256 bytes; room for a mistaken
// choice to be measured and refused by its size, not read without end.
inline constexpr FileKind kBinFile{64 * 1024};

// `text` without the blanks at its ends, fit for a file name on any system:
// letters, digits, '-' and '_' stay (and '.' when keepDots), anything else
// becomes '_'.
std::string FileNamePart(const std::string& text, bool keepDots = false);

// Reads a regular file of `kind` whole into text; empty when it was read,
// else why not. Refused in the program's words: anything but a regular
// file (a folder, a FIFO, a device; none is opened in a way that could
// block), and a file larger than kind.maxBytes (never more than one byte
// over it is read). A reason the system gives (no such file, no
// permission) is the system's text, a value.
Text ReadWholeFile(const std::string& path, const FileKind& kind, std::string& text);
// Replaces the file; empty when it was written, else the system's reason.
Text WriteWholeFile(const std::string& path, const std::string& text);

} // namespace rm27
