// r27ctl's commands on an open port: the window's own operations, run in
// the order the window's buttons run them, with the results printed
// instead of shown. Takes the port as a seam, so the same code runs on a
// real serial line and on the simulator's virtual time.
#pragma once

#include <functional>
#include <ostream>

#include "cli/ctl_options.h"
#include "cli/terminal_view.h"
#include "link/line.h"
#include "reading/device_state.h"
#include "reading/operations.h"

namespace rm27 {

class CtlRunner {
public:
    // out: the results; err: messages. The port must be open.
    CtlRunner(Port& port, const CtlOptions& options, std::ostream& out, std::ostream& err);
    CtlRunner(const CtlRunner&) = delete;
    CtlRunner& operator=(const CtlRunner&) = delete;

    // Runs options.command (all but "ports", which needs no converter).
    // Returns the exit status.
    int run();

    // Asked between measurement ticks; true ends the monitor with status 0.
    void setStopRequested(std::function<bool()> stop) { stop_ = std::move(stop); }

    // A monitor gives up after this many ticks in a row without an answer.
    static constexpr int kSilentTickLimit = 20;

    DeviceState& state() { return state_; }
    TerminalView& view() { return view_; }

private:
    int read();
    int monitor();
    int scan();
    int setAddress();
    int restart();
    // "Načíst" at the address of the command line.
    bool devRead();
    void printReading();
    bool stopRequested() const { return stop_ && stop_(); }

    Port& port_;
    CtlOptions options_;
    std::ostream& out_;
    std::ostream& err_;
    DeviceState state_;
    TerminalView view_;
    Operations ops_;
    bool lastReadOk_ = false;
    std::function<bool()> stop_;
};

} // namespace rm27
