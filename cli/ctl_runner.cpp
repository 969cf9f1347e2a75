#include "cli/ctl_runner.h"

#include "cli/ctl_report.h"
#include "link/transact.h"
#include "reading/measurement.h"

namespace rm27 {

CtlRunner::CtlRunner(Port& port, const CtlOptions& options, std::ostream& out, std::ostream& err)
    : port_(port), options_(options), out_(out), err_(err),
      view_(err, options.verbose), ops_{port_, state_, view_, view_} {
    // The restart and the address change read the converter at their end
    // but do not say whether that worked; the terminal must, in its status.
    ops_.readConverter = [this](std::int32_t& address) {
        lastReadOk_ = ReadRM27(ops_, address);
        return lastReadOk_;
    };
}

int CtlRunner::run() {
    switch (options_.command) {
    case CtlCommand::Read:
        return read();
    case CtlCommand::Monitor:
        return monitor();
    case CtlCommand::Scan:
        return scan();
    case CtlCommand::SetAddress:
        return setAddress();
    case CtlCommand::Restart:
        return restart();
    case CtlCommand::Ports:
    case CtlCommand::None:
        break;
    }
    return kExitUsage;
}

bool CtlRunner::devRead() {
    if (DevRead(ops_, options_.address)) return true;
    // The read's own message box said why, unless the line itself went.
    if (!port_.line.isOpen()) err_ << "r27ctl: the port closed during the read" << std::endl;
    return false;
}

void CtlRunner::printReading() {
    out_ << (options_.json ? ReadReportJson(state_, view_) : ReadReportText(state_, view_));
    out_.flush();
}

int CtlRunner::read() {
    if (!devRead()) return kExitNoAnswer;
    printReading();
    return kExitOk;
}

int CtlRunner::monitor() {
    if (!devRead()) return kExitNoAnswer;
    if (options_.csv) out_ << MonitorCsvHeader() << std::flush;
    const std::int64_t start = port_.pump.nowMs();
    int printed = 0;
    int silent = 0;
    // The window's timer, run by hand: each tick takes the answer to the
    // previous tick's request and sends the next one, so the first tick
    // after the read has nothing to show.
    while ((options_.count == 0 || printed < options_.count) && !stopRequested()) {
        DelayMs(port_.pump, kMeasurementIntervalMs);
        if (stopRequested()) break;
        // Only a decoded answer writes the mV/V labels.
        const int before = view_.captionWrites("lblR27mVV_0");
        MeasurementTick(ops_);
        if (!port_.line.isOpen()) {
            err_ << "r27ctl: the port closed" << std::endl;
            return kExitNoAnswer;
        }
        if (view_.captionWrites("lblR27mVV_0") == before) {
            if (++silent >= kSilentTickLimit) {
                err_ << "r27ctl: the converter stopped answering" << std::endl;
                return kExitNoAnswer;
            }
            continue;
        }
        silent = 0;
        out_ << (options_.csv ? MonitorCsvRow(view_, port_.pump.nowMs() - start)
                              : MonitorLine(view_))
             << std::flush;
        ++printed;
    }
    return kExitOk;
}

int CtlRunner::scan() {
    ScanAddresses(ops_);
    const auto& found = view_.rows("lstCurves");
    for (const std::string& line : found)
        out_ << line << "\n";
    out_.flush();
    if (found.empty()) {
        err_ << "r27ctl: no converter answered at addresses 1 to 31" << std::endl;
        return kExitNoAnswer;
    }
    return kExitOk;
}

int CtlRunner::setAddress() {
    if (!devRead()) return kExitNoAnswer;
    view_.answerInputWith(std::to_string(options_.newAddress));
    lastReadOk_ = false;
    ChangeAddress(ops_);
    if (!lastReadOk_) return kExitNoAnswer;
    // Without an echo the reading falls back to the universal address and
    // finds whichever converter answers there: make sure it is ours, moved.
    if (state_.DeviceAddress != options_.newAddress) {
        err_ << "r27ctl: the converter answers at address " << state_.DeviceAddress << ", not "
             << options_.newAddress << std::endl;
        return kExitNoAnswer;
    }
    printReading();
    return kExitOk;
}

int CtlRunner::restart() {
    if (!devRead()) return kExitNoAnswer;
    lastReadOk_ = false;
    RestartConverter(ops_);
    if (!lastReadOk_) return kExitNoAnswer;
    printReading();
    return kExitOk;
}

} // namespace rm27
