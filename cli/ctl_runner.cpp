#include "cli/ctl_runner.h"

#include <cerrno>
#include <cstring>

#include "cli/ctl_commands.h"
#include "cli/ctl_report.h"
#include "link/transact.h"
#include "session/controls.h"
#include "session/measurement.h"
#include "watch/wall_time.h"

namespace rm27 {

namespace {

// What monitor --reconnect says, in one place.
const char* const kLostNoReason = "Komunikační port byl uzavřen.";
const char* const kWaitingFor = "Čekám na návrat portu ";
const char* const kReconnected = "Převodník se znovu připojil, načítám ...";
const char* const kOtherConverter =
    "Po opětovném připojení odpovídá jiný převodník nebo jiné snímače, než uvádí záhlaví CSV; "
    "sledování končí.";

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
    // The restart and the address change read the converter at their end
    // but do not say whether that worked; the terminal must, in its status.
    session_.ops().readConverter = [this](std::int32_t& address) {
        lastReadOk_ = ReadRM27(session_.ops(), address);
        return lastReadOk_;
    };
}

Connection::Hooks CtlRunner::ConnectionHooks() {
    Connection::Hooks h;
    h.tellLineLost = [this](const std::string& reason) {
        err_ << "Komunikační port byl uzavřen: " << reason << std::endl;
    };
    // Whatever the command's own status: the converter may now hold a mix.
    h.offerWayBack = [this] { leftUnfinished_ = ReportUnfinishedWrites(*this); };
    h.converterRead = [](const DeviceState& s) { return IsFamilyId(s.DeviceId); };
    h.measure = MeasurementTick;
    return h;
}

void CtlRunner::lineLost(const std::string& reason) {
    if (lineLost_) return;
    lineLost_ = true;
    connection_.lineLost(reason);
}

void CtlRunner::interrupt() {
    connection_.interrupt();
}

int CtlRunner::run() {
    if (connection_.interrupted()) return kExitOk;
    if (options_.command == "monitor" && options_.reconnect && reconnect_.reopen)
        return monitorReconnecting();
    int status = kExitUsage;
    connection_.run([&](Operations&) { status = dispatch(); });
    return lineLost_ || leftUnfinished_ ? kExitNoAnswer : status;
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
    return DevRead(ops(), options_.address);
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
        // After a reconnection the rows go on under the header already
        // written, as long as it still describes them.
        const std::string header = MonitorCsvHeader(state(), dialect);
        if (csvHeader_.empty()) {
            if (const auto status = put(header)) return *status;
            csvHeader_ = header;
        } else if (header != csvHeader_) {
            err_ << kOtherConverter << std::endl;
            return kExitNoAnswer;
        }
    }
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
    if (end == Connection::TicksEnd::LineClosed && !(options_.reconnect && reconnect_.reopen)) {
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
    for (;;) {
        int status = kExitUsage;
        connection_.run([&](Operations&) { status = monitor(); });
        const bool lost = lineLost_ || !session_.port().line.isOpen();
        if (!lost) return status;
        // The loss was told by lineLost(), unless the line just closed.
        if (!lineLost_) err_ << kLostNoReason << std::endl;
        lineLost_ = false;
        if (!waitForDevice()) return kExitOk;
    }
}

bool CtlRunner::waitForDevice() {
    err_ << kWaitingFor << reconnect_.device << " ..." << std::endl;
    ReconnectWatch watch(reconnect_);
    if (!connection_.waitForDevice(
            watch, [this] { return stopRequested(); },
            [this](const std::string& why) { err_ << why << std::endl; }))
        return false;
    err_ << kReconnected << std::endl;
    return true;
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
    lastReadOk_ = false;
    ChangeAddress(ops());
    if (!lastReadOk_) return kExitNoAnswer;
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
    lastReadOk_ = false;
    RestartConverter(ops());
    if (!lastReadOk_) return kExitNoAnswer;
    printReading();
    return kExitOk;
}

} // namespace rm27
