#include "cli/ctl_monitor.h"

#include <cerrno>
#include <cstring>

#include "cli/ctl_report.h"
#include "cli/ctl_runner.h"
#include "cli/texts.h"
#include "watch/texts.h"

namespace rm27 {

namespace tx = texts::cli;

bool CtlMonitor::csv() const {
    return runner_.options().csv || runner_.options().csvSemicolon;
}

CsvDialect CtlMonitor::dialect() const {
    return runner_.options().csvSemicolon ? kCsvSemicolon : kCsvComma;
}

ReconnectPolicy CtlMonitor::reconnectPolicy(LineReconnect device) {
    const CtlOptions& o = runner_.options();
    return ReconnectPolicy{o.command == "monitor" && o.reconnect, [device] { return device; },
                           [this](const DeviceState& s) {
                               return csvHeader_.empty() ||
                                      MonitorCsvHeader(s, dialect()) == csvHeader_;
                           },
                           [this](Operations&) { repeated_ = ticks(); }};
}

int CtlMonitor::run() {
    if (!runner_.devRead()) return kExitNoAnswer;
    if (csv()) {
        const std::string header = MonitorCsvHeader(runner_.state(), dialect());
        if (const auto status = put(header)) return *status;
        csvHeader_ = header;
    }
    return ticks();
}

int CtlMonitor::ticks() {
    const CsvDialect dialect = this->dialect();
    const int count = runner_.options().count;
    EventPump& pump = runner_.session().port().pump;
    // Stamped as the window's log stamps: the wall clock once, then the
    // measurement's own clock (which runs on through a reconnection, so a
    // gap shows as a gap).
    wall_.wallMs(pump.nowMs());
    std::optional<int> status;
    const auto more = [&] { return (count == 0 || printed_ < count) && !runner_.stopRequested(); };
    const auto row = [&] {
        const DeviceState& s = runner_.state();
        status = put(csv() ? MonitorCsvRow(s, runner_.live(), wall_.wallMs(pump.nowMs()), dialect)
                           : MonitorLine(s, runner_.live()));
        if (status) return false;
        runner_.err() << DoubtWarnings(LiveDoubtNotes(runner_.live())) << std::flush;
        ++printed_;
        return true;
    };
    Connection& connection = runner_.connection();
    const auto ticker = runner_.session().guard().releaseLine();
    const auto end = connection.tickWhile(more, row, kSilentTickLimit);
    if (status) return *status;
    // A reconnecting monitor takes a closed line as a lost one.
    if (end == Connection::TicksEnd::LineClosed && !connection.reconnecting()) {
        runner_.sayError(Text(tx::kPortClosed));
        return kExitNoAnswer;
    }
    if (end == Connection::TicksEnd::Silent) {
        runner_.sayError(Text(tx::kConverterSilent));
        return kExitNoAnswer;
    }
    return kExitOk;
}

std::optional<int> CtlMonitor::put(const std::string& text) {
    std::ostream& out = runner_.out();
    if (!output_.isOpen()) {
        out << text << std::flush;
        return std::nullopt;
    }
    out.flush(); // whatever was said there before comes first
    Text why;
    if (!output_.stillThere()) {
        why = Text(texts::watch::kFileVanished);
        output_.close();
    } else if (output_.write(text)) {
        return std::nullopt;
    } else if (output_.error() == EPIPE) {
        // `r27ctl monitor | head -3`: the reader has what it wanted.
        return kExitOk;
    } else {
        why = Text::Value(std::strerror(output_.error()));
    }
    runner_.say(RecordingStopped(output_.name(), why, printed_));
    return kExitNoAnswer;
}

int CtlMonitor::runReconnecting() {
    Connection& connection = runner_.connection();
    connection.run([&](Operations&) { repeated_ = run(); });
    using R = Connection::Reconnect;
    switch (connection.waitForDevice(
        [this] { return runner_.stopRequested(); },
        [this](const std::string& why) { runner_.err() << why << std::endl; })) {
    case R::NotYet:
    case R::Opened:
    case R::Read:
        return repeated_;
    case R::NotWatching:
        return kExitOk;
    default: // said why
        return kExitNoAnswer;
    }
}

} // namespace rm27
