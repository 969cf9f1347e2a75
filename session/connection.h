// The one way a front end runs its commands on the converter and ends, the
// same for the window and r27ctl. A command that is cut short (the program
// ends, the line goes) is cancelled, unwinds at once, and only then is the
// user told, once: a lost line after the unwind, not at each step that
// failed for want of it; the program's end after what a cut write left
// has been said. A write in progress is not cut short without asking.
//
// The measurement ticker is the connection's too: the window's timer and
// r27ctl's monitor drive the same tick, which never runs while a command
// holds the line and says what it came to as a value.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "session/device_state.h"
#include "session/journal.h"
#include "session/operations.h"
#include "session/reconnect.h"

namespace rm27 {

class Connection {
public:
    enum class Ending { Exit, Close };

    // What the front end does at each turn; an unset hook does nothing
    // (mayInterruptWrite unset: a write is cut without asking).
    struct Hooks {
        // Asked before a write in progress is cut short; true: cut it.
        std::function<bool()> mayInterruptWrite;
        // The program ends (or the window closes), the command unwound.
        std::function<void(Ending)> end;
        // The line went, told once the command it cut short has unwound
        // (at once when none ran).
        std::function<void(const std::string& reason)> tellLineLost;
        // A write left half done, told on the way out of the program.
        std::function<void(const Journal&, const JournalEntry&)> tellUnfinished;
        // Writes left half done while the program goes on: the way back.
        std::function<void()> offerWayBack;
        // The reading's part of a tick (the session does not know the
        // converter's answers): whether a converter was read that ticks
        // ask, and the tick's exchange, which takes the answer to the last
        // request and sends the next (true: the answer decoded). Unset:
        // no tick asks anything.
        std::function<bool(const DeviceState&)> converterRead;
        std::function<bool(Operations&)> measure;
    };

    // What one measurement tick came to.
    struct Tick {
        enum class Result {
            NotAsked,   // a command held the line, or nothing to ask (no
                        // converter read, the line closed)
            Unanswered, // asked, but no whole answer came since the last tick
            Decoded,    // the answer decoded: `live` holds its values
        };
        Result result = Result::NotAsked;
        LiveValues live{};
    };

    Connection(Session& session, Hooks hooks) : session_(session), hooks_(std::move(hooks)) {}
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool busy() const { return session_.guard().commandRunning(); }
    // Runs fn as a command (false, nothing run, while another runs), then
    // what its end deferred: the program's end, the lost line, the way back.
    bool run(const std::function<void(Operations&)>& fn);
    // Ends the program (or closes the window): at once when no command
    // runs; else the command is cancelled, after the question when it
    // writes, and the end follows its unwind. False: the user let the
    // write go on, and nothing happens.
    bool end(Ending how);
    // The line went: a running command is cancelled and the reason told
    // once it has unwound; with none running, told now.
    void lineLost(const std::string& reason);

    // The port went under the program and its device is waited for, until
    // it is back, the user takes the port over, or another is chosen.
    void watchForLostPort(LineReconnect device) { lostPort_.emplace(std::move(device)); }
    void forgetLostPort() { lostPort_.reset(); }
    // The device a lost port is waited on; empty: none.
    std::string lostDevice() const { return lostPort_ ? lostPort_->device() : std::string(); }
    // One look for it: true once it is open again, and no longer waited
    // for; a reason it will not open yet comes back in `tell`, once.
    bool lookForLostPort(std::string& tell);

    // One tick, as the window's timer runs it: not while a command holds
    // the line (one waiting for the user has let it go, and the values stay
    // live).
    Tick tick();
    // r27ctl's monitor, a command that lets the line go to the ticker: one
    // measurement interval on the pump, then the tick; NotAsked when the
    // wait was cancelled or `stop` says the monitor ends.
    Tick tickAfterInterval(const std::function<bool()>& stop = {});

    // How a monitor's run of ticks ended.
    enum class TicksEnd { Stopped, LineClosed, Silent };
    // r27ctl's monitor, inside its command with the line let go to the
    // ticker: a tick every interval while `more`, each decoded one handed
    // to `decoded` (false: enough); it ends too when the line closes, or
    // after `silentLimit` ticks in a row without an answer.
    TicksEnd tickWhile(const std::function<bool()>& more, const std::function<bool()>& decoded,
                       int silentLimit);
    // Outside every command: looks for a lost device every kReconnectPollMs
    // until it is open again (true) or `stop` (false); a reason it will not
    // open yet goes to `tell`, once.
    bool waitForDevice(ReconnectWatch& watch, const std::function<bool()>& stop,
                       const std::function<void(const std::string&)>& tell);

    // The program was asked to end by a signal (r27ctl): no question, the
    // running command is cancelled, but a write only after the frame in
    // flight, so that what it left is known; a second signal cancels it at
    // once. No command starts any more.
    void interrupt();
    bool interrupted() const { return interrupted_; }

private:
    void afterCommand();

    Session& session_;
    Hooks hooks_;
    bool ending_ = false;
    Ending pending_ = Ending::Exit;
    // The first reason a line went while a command ran, until told.
    std::optional<std::string> lostReason_;
    bool interrupted_ = false;
    std::optional<ReconnectWatch> lostPort_;
};

} // namespace rm27
