// Logging the answered ticks into a CSV file while the window measures.
//
// Each record reaches the file as soon as it is made (see record_file.h),
// so a crash of the program or a pulled converter loses nothing that was
// already shown. The log never stands in the measurement's way: when the
// file can no longer be written (a full disk, a folder or medium that went
// away) the log stops, cuts the file back to its last complete record, and
// says why; the caller shows that and the measurement goes on.
#pragma once

#include <cstdint>
#include <string>

#include "watch/csv_format.h"
#include "watch/record_file.h"
#include "watch/tick_sample.h"

namespace rm27 {

enum class LogStop {
    None,          // running, or never started
    ByUser,        // stop()
    WriteFailed,   // the file refused a record (disk full, I/O error)
    Vanished,      // the file or its folder is gone
    HeaderChanged, // a new reading named the converter or the inputs differently, or
                   // an input's tare changed
};

class CsvLog {
public:
    CsvLog() = default;
    CsvLog(const CsvLog&) = delete;
    CsvLog& operator=(const CsvLog&) = delete;

    // Creates (or empties) `path` and writes the header. Returns nothing
    // when the log runs, else the reason it could not start.
    Text start(const std::string& path, const WatchHeader& header, const CsvDialect& dialect);
    // One record per answered tick; unanswered ticks are ignored. False
    // when this tick stopped the log (see stopReason(), failure()).
    bool record(const TickSample& sample);
    void stop();

    bool active() const { return file_.isOpen(); }
    std::int64_t rows() const { return rows_; }
    const std::string& path() const { return path_; }
    const CsvDialect& dialect() const { return dialect_; }
    LogStop stopReason() const { return stop_; }
    // Why the log stopped on its own, in words for the user.
    const Text& failure() const { return failure_; }

private:
    void fail(LogStop why, Text text);

    RecordFile file_;
    std::string path_;
    WatchHeader header_;
    CsvDialect dialect_;
    std::int64_t rows_ = 0;
    LogStop stop_ = LogStop::None;
    Text failure_;
};

} // namespace rm27
