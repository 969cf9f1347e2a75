// r27ctl's commands on an open port: the window's own operations, run in
// the order the window's buttons run them, with the results printed
// instead of shown. Takes the line and the pump as seams, so the same code
// runs on a real serial line and on the simulator's virtual time.
#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "cli/ctl_monitor.h"
#include "cli/ctl_options.h"
#include "cli/terminal_view.h"
#include "link/line.h"
#include "reading/operations.h"
#include "session/connection.h"
#include "session/operations.h"
#include "session/reconnect.h"

namespace rm27 {

class CalibrationFileStore;
class CertificatePrinter;

// What the calibration commands write their files with; the program plugs
// in the Qt ones, the tests whatever they look at. Null: that kind of file
// cannot be written (or read).
struct CalibrationTools {
    CalibrationFileStore* files = nullptr;
    CertificatePrinter* certificates = nullptr;
    std::string program; // the program and its version, as the files name it
};

class CtlRunner {
public:
    // out: the results and information boxes; err: every other message.
    // answers.yes is taken from options.yes. The line must be open.
    CtlRunner(SerialLine& line, EventPump& pump, const CtlOptions& options, std::ostream& out,
              std::ostream& err, TerminalAnswers answers = {}, WallClock* clock = nullptr,
              RandomSource* random = nullptr);
    CtlRunner(const CtlRunner&) = delete;
    CtlRunner& operator=(const CtlRunner&) = delete;

    // Runs options.command (all but "ports", which needs no converter) as
    // one command of the session. Returns the exit status.
    int run();

    // The line went away: the running command is cancelled and unwinds at
    // once, the message is printed once, and run() returns 1.
    void lineLost(const std::string& reason) { connection_.lineLost(reason); }

    // Asked between measurement ticks; true ends the monitor with status 0.
    void setStopRequested(std::function<bool()> stop) { stop_ = std::move(stop); }
    // The program was asked to end (a signal): the running command is
    // cancelled as closing the window cancels it, a monitor ends with 0,
    // and no command starts any more. A command that is writing stops
    // after the frame in flight, unless it is asked a second time.
    void interrupt();
    // The monitor writes to fd (see CtlMonitor::setOutputFd).
    void setOutputFd(int fd) { monitor_.setOutputFd(fd); }
    // What monitor --reconnect needs; without it the option changes nothing.
    // After a reconnection the converter must still be the one the CSV
    // header describes.
    void setReconnect(LineReconnect device);

    DeviceState& state() { return session_.state(); }
    LiveValues& live() { return session_.live(); }
    TerminalView& view() { return view_; }
    Session& session() { return session_; }
    Operations& ops() { return session_.ops(); }
    Connection& connection() { return connection_; }
    CtlMonitor& monitor() { return monitor_; }
    const CtlOptions& options() const { return options_; }
    CalibrationTools& calibrationTools() { return calibrationTools_; }
    std::ostream& out() { return out_; }
    std::ostream& err() { return err_; }

    // "Načíst" at the address of the command line; false with the reason
    // already printed.
    bool devRead();
    // The reading as the command line asked for it (text or JSON).
    void printReading();
    // A line on err, in the language of the texts; sayError prefixes it
    // with the program's name, as every reason a command failed is.
    void say(const Text& text);
    void sayError(const Text& text);
    // The program was interrupted or the caller asked the monitor to stop.
    bool stopRequested() const { return connection_.interrupted() || (stop_ && stop_()); }

    bool lineWasLost() const { return connection_.lineWasLost(); }
    // The command left a write half done (and said so).
    bool leftUnfinished() const { return leftUnfinished_; }

private:
    Connection::Hooks ConnectionHooks();
    int dispatch();

    CtlOptions options_;
    std::ostream& out_;
    std::ostream& err_;
    TerminalView view_;
    Session session_;
    Connection connection_;
    std::function<bool()> stop_;
    bool leftUnfinished_ = false;
    CalibrationTools calibrationTools_;
    CtlMonitor monitor_{*this};
};

} // namespace rm27
