// r27ctl monitor: "Načíst", then the measurement's rows (text or CSV) as the
// window's ticks see them, on a line that may be lost and got back.
#pragma once

#include <optional>
#include <string>

#include "cli/ctl_options.h"
#include "session/reconnect.h"
#include "watch/csv_format.h"
#include "watch/record_file.h"
#include "watch/wall_time.h"

namespace rm27 {

class CtlRunner;

class CtlMonitor {
public:
    explicit CtlMonitor(CtlRunner& runner) : runner_(runner) {}

    // The rows go to fd (standard output) instead of the runner's out: a
    // write that fails ends the monitor with 1 and a message, and a regular
    // file behind fd is cut back to its last whole record; a reader that
    // went away (a closed pipe) ends it quietly with 0. So does a file
    // behind fd that was removed meanwhile (with 1).
    void setOutputFd(int fd) { output_.attach(fd); }
    // How a monitor started with --reconnect gets its device back: the rows
    // go on under the header already written, as long as the converter read
    // again still matches it.
    ReconnectPolicy reconnectPolicy(LineReconnect device);

    // Inside the runner's command: the reading, the header, the rows.
    int run();
    // The whole monitor when it reconnects: run() and then, each time the
    // line is lost, a wait for the device and the rows again.
    int runReconnecting();

    // A monitor gives up after this many ticks in a row without an answer.
    static constexpr int kSilentTickLimit = 20;

private:
    bool csv() const;
    CsvDialect dialect() const;
    // The monitor's rows, after its reading (and its header).
    int ticks();
    // Writes the monitor's text; the exit status when that ends it.
    std::optional<int> put(const std::string& text);

    CtlRunner& runner_;
    RecordFile output_;
    // One run across reconnections: one CSV header, one count, one clock
    // for the stamps.
    std::string csvHeader_;
    int printed_ = 0;
    // The exit status of the last run, first or after a reconnection.
    int repeated_ = kExitUsage;
    WallAnchor wall_;
};

} // namespace rm27
