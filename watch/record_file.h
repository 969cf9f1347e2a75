// A file that is written a whole record at a time and never ends in half
// of one: what the window's CSV log and r27ctl's monitor write through.
//
// Each record goes to the operating system as soon as it is made (one
// write, no buffer of our own), so a crash loses nothing already written.
// When a record cannot be written whole (a full disk, a file size limit,
// an I/O error) a regular file is cut back to the end of the last whole
// record, for a reader must not trip over half of one.
#pragma once

#include <cstdint>
#include <string>

#include "l10n/text.h"

namespace rm27 {

// What is said when writing records into `name` stopped for `why`, after
// `rows` records.
Text RecordingStopped(const std::string& name, const Text& why, std::int64_t rows);

class RecordFile {
public:
    RecordFile() = default;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    ~RecordFile();

    // Creates (or empties) path; "" when it is open, else the reason.
    std::string create(const std::string& path);
    // Writes to fd (standard output, say), which stays open after close().
    void attach(int fd);
    // False, with error() set, when the record did not reach the file
    // whole; the file is then cut back and closed.
    bool write(const std::string& record);
    // Whether the file written to can still be found: the file at the path
    // it was created at (neither removed nor replaced), or for an attached
    // file, one that still has a name. Anything but a regular file is.
    bool stillThere() const;
    void close();

    bool isOpen() const { return fd_ >= 0; }
    // errno of the failed write (ENOSPC when the system took nothing and
    // said nothing); EPIPE is a reader that went away.
    int error() const { return error_; }
    // What the file is called: its path, or (attached) the name the
    // system gives the descriptor's file, "pipe:[4711]" for a pipe.
    const std::string& name() const { return name_; }

private:
    void remember();

    int fd_ = -1;
    bool owned_ = false;
    std::string path_;
    std::string name_;
    bool regular_ = false;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    std::int64_t goodSize_ = -1; // where the last whole record ends; -1: cannot cut
    int error_ = 0;
};

} // namespace rm27
