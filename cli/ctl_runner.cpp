#include "cli/ctl_runner.h"

#include <cerrno>
#include <cstring>

#include "cli/ctl_commands.h"
#include "cli/ctl_report.h"
#include "link/transact.h"
#include "session/controls.h"
#include "session/measurement.h"
#include "session/texts.h"
#include "watch/wall_time.h"

namespace rm27 {

namespace {

namespace ts = texts::session;

TerminalAnswers WithYes(TerminalAnswers answers, bool yes) {
    answers.yes = answers.yes || yes;
    return answers;
}

} // namespace

CtlRunner::CtlRunner(SerialLine& line, EventPump& pump, const CtlOptions& options,
                     std::ostream& out, std::ostream& err, TerminalAnswers answers,
                     WallClock* clock, RandomSource* random)
    : options_(options), out_(out), err_(err),
      view_(out, err, options.verbose, WithYes(answers, options.yes)),
      session_(line, pump, view_, view_, clock, random), connection_(session_, ConnectionHooks()) {
    // The writes, copies and restores end in a reading, as in the window.
    UseReadRM27(session_.ops());
}

Connection::Hooks CtlRunner::ConnectionHooks() {
    Connection::Hooks h;
    h.tellLineLost = [this](const std::string& reason) {
        say(reason.empty() ? Text(ts::kLineClosed) : Text(ts::kLineLost, Text::Value(reason)));
    };
    // Whatever the command's own status: the converter may now hold a mix.
    h.offerWayBack = [this] { leftUnfinished_ = ReportUnfinishedWrites(*this); };
    h.measure = MeasurementTick;
    h.read = DevRead;
    h.tellReconnect = [this](const Text& text) { say(text); };
    return h;
}

void CtlRunner::say(const Text& text) {
    err_ << view_.shown(text) << std::endl;
}

void CtlRunner::setReconnect(LineReconnect device) {
    // After a reconnection the rows go on under the header already
    // written, as long as it still describes them.
    const CsvDialect dialect = options_.csvSemicolon ? kCsvSemicolon : kCsvComma;
    connection_.setReconnect(ReconnectPolicy{
        options_.command == "monitor" && options_.reconnect, [device] { return device; },
        [this, dialect](const DeviceState& s) {
            return csvHeader_.empty() || MonitorCsvHeader(s, dialect) == csvHeader_;
        },
        [this](Operations&) { repeated_ = monitorTicks(); }});
}

void CtlRunner::interrupt() {
    connection_.interrupt();
}

int CtlRunner::run() {
    if (connection_.interrupted()) return kExitOk;
    if (connection_.reconnecting()) return monitorReconnecting();
    int status = kExitUsage;
    connection_.run([&](Operations&) { status = dispatch(); });
    return connection_.lineWasLost() || leftUnfinished_ ? kExitNoAnswer : status;
}

int CtlRunner::dispatch() {
    const std::string& c = options_.command;
    if (c == "read") return read();
    if (c == "monitor") return monitor();
    if (c == "scan") return scan();
    if (c == "set-address") return setAddress();
    if (c == "restart") return restart();
    if (const auto status = RunCalibrationCommand(*this)) return *status;
    if (const auto status = RunMaintenanceCommand(*this)) return *status;
    if (const auto status = RunJournalCommand(*this)) return *status;
    return kExitUsage;
}

bool CtlRunner::devRead() {
    // The read's own message box said why, or the line loss did.
    return connection_.read(ops(), options_.address);
}

void CtlRunner::printReading() {
    out_ << (options_.json ? ReadReportJson(state()) : ReadReportText(state()));
    out_.flush();
    err_ << DoubtWarnings(ReadingDoubtNotes(state())) << std::flush;
}

int CtlRunner::read() {
    if (!devRead()) return kExitNoAnswer;
    printReading();
    return kExitOk;
}

int CtlRunner::monitor() {
    if (!devRead()) return kExitNoAnswer;
    const bool csv = options_.csv || options_.csvSemicolon;
    const CsvDialect dialect = options_.csvSemicolon ? kCsvSemicolon : kCsvComma;
    if (csv) {
        const std::string header = MonitorCsvHeader(state(), dialect);
        if (const auto status = put(header)) return *status;
        csvHeader_ = header;
    }
    return monitorTicks();
}

int CtlRunner::monitorTicks() {
    const bool csv = options_.csv || options_.csvSemicolon;
    const CsvDialect dialect = options_.csvSemicolon ? kCsvSemicolon : kCsvComma;
    EventPump& pump = session_.port().pump;
    // Stamped as the window's log stamps: the wall clock once, then the
    // measurement's own clock (which runs on through a reconnection, so a
    // gap shows as a gap).
    wall_.wallMs(pump.nowMs());
    std::optional<int> status;
    const auto more = [this] {
        return (options_.count == 0 || printed_ < options_.count) && !stopRequested();
    };
    const auto ticker = session_.guard().releaseLine();
    const auto end = connection_.tickWhile(
        more,
        [&] {
            status = put(csv ? MonitorCsvRow(state(), live(), wall_.wallMs(pump.nowMs()), dialect)
                             : MonitorLine(state(), live()));
            if (status) return false;
            err_ << DoubtWarnings(LiveDoubtNotes(live())) << std::flush;
            ++printed_;
            return true;
        },
        kSilentTickLimit);
    if (status) return *status;
    // A reconnecting monitor takes a closed line as a lost one.
    if (end == Connection::TicksEnd::LineClosed && !connection_.reconnecting()) {
        err_ << "r27ctl: the port closed" << std::endl;
        return kExitNoAnswer;
    }
    if (end == Connection::TicksEnd::Silent) {
        err_ << "r27ctl: the converter stopped answering" << std::endl;
        return kExitNoAnswer;
    }
    return kExitOk;
}

std::optional<int> CtlRunner::put(const std::string& text) {
    if (!output_.isOpen()) {
        out_ << text << std::flush;
        return std::nullopt;
    }
    out_.flush(); // whatever was said there before comes first
    std::string why;
    if (!output_.stillThere()) {
        why = VanishedText();
        output_.close();
    } else if (output_.write(text)) {
        return std::nullopt;
    } else if (output_.error() == EPIPE) {
        // `r27ctl monitor | head -3`: the reader has what it wanted.
        return kExitOk;
    } else {
        why = std::strerror(output_.error());
    }
    err_ << RecordingStoppedText(output_.name(), why, printed_) << std::endl;
    return kExitNoAnswer;
}

int CtlRunner::monitorReconnecting() {
    connection_.run([&](Operations&) { repeated_ = monitor(); });
    using R = Connection::Reconnect;
    switch (
        connection_.waitForDevice([this] { return stopRequested(); },
                                  [this](const std::string& why) { err_ << why << std::endl; })) {
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

int CtlRunner::scan() {
    const std::vector<FoundConverter> found = ScanAddresses(ops());
    for (const FoundConverter& converter : found)
        out_ << ScanRow(converter) << "\n";
    out_.flush();
    if (found.empty()) {
        if (!ops().cancelled())
            err_ << "r27ctl: no converter answered at addresses 1 to 31" << std::endl;
        return kExitNoAnswer;
    }
    return kExitOk;
}

int CtlRunner::setAddress() {
    if (!devRead()) return kExitNoAnswer;
    view_.answerInputWith(std::to_string(options_.newAddress));
    if (!ReadingAfter(ops(), ChangeAddress, ReadRM27)) return kExitNoAnswer;
    // Without an echo the reading falls back to the universal address and
    // finds whichever converter answers there: make sure it is ours, moved.
    if (state().DeviceAddress != options_.newAddress) {
        err_ << "r27ctl: the converter answers at address " << state().DeviceAddress << ", not "
             << options_.newAddress << std::endl;
        return kExitNoAnswer;
    }
    printReading();
    return kExitOk;
}

int CtlRunner::restart() {
    if (!devRead()) return kExitNoAnswer;
    if (!ReadingAfter(ops(), RestartConverter, ReadRM27)) return kExitNoAnswer;
    printReading();
    return kExitOk;
}

} // namespace rm27
