#include "cli/ctl_runner.h"

#include "cli/ctl_commands.h"
#include "cli/ctl_report.h"
#include "session/measurement.h"
#include "session/texts.h"

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

void CtlRunner::sayError(const Text& text) {
    err_ << "r27ctl: " << view_.shown(text) << std::endl;
}

void CtlRunner::setReconnect(LineReconnect device) {
    connection_.setReconnect(monitor_.reconnectPolicy(std::move(device)));
}

void CtlRunner::interrupt() {
    connection_.interrupt();
}

int CtlRunner::run() {
    if (connection_.interrupted()) return kExitOk;
    if (connection_.reconnecting()) return monitor_.runReconnecting();
    int status = kExitUsage;
    connection_.run([&](Operations&) { status = dispatch(); });
    return connection_.lineWasLost() || leftUnfinished_ ? kExitNoAnswer : status;
}

int CtlRunner::dispatch() {
    for (const auto group :
         {RunReadingCommand, RunCalibrationCommand, RunMaintenanceCommand, RunJournalCommand}) {
        if (const auto status = group(*this)) return *status;
    }
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

} // namespace rm27
