// The one way a front end runs its commands on the converter and ends, the
// same for the window and r27ctl. A command that is cut short (the program
// ends, the line goes) is cancelled, unwinds at once, and only then is the
// user told, once: a lost line after the unwind, not at each step that
// failed for want of it; the program's end after what a cut write left
// has been said. A write in progress is not cut short without asking.
//
// The measurement ticker is the connection's too: the window's timer and
// r27ctl's monitor drive the same tick, which never runs while a command
// holds the line and says what it came to as a value. So is the port:
// opened and closed by hand, lost, waited for and read again as one
// reconnect policy says (session/reconnect.h).
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
        // The reading's part (the session does not know the converter's
        // answers): the tick's exchange, which takes the answer to the
        // last request and sends the next (true: the answer decoded;
        // unset: no tick asks anything), and "Načíst" at an address
        // (true: read, the measurement running).
        std::function<bool(Operations&)> measure;
        std::function<bool(Operations&, int address)> read;
        // The port itself: opens the port chosen (state's PortNumber)
        // with the line's settings, false when it would not (a reason the
        // user can mend already on the status line); closes it.
        std::function<bool()> openPort;
        std::function<void()> closePort;
        // Whether a lost port is waited for may have changed.
        std::function<void()> watchChanged;
        // A step of getting the line back worth telling the user.
        std::function<void(const Text&)> tellReconnect;
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
    // As run, for a command that talks to the converter: on a closed port
    // refused at once, with a message, sending nothing.
    bool runOnLine(const std::function<void(Operations&)>& fn);
    // The operator stops a command that writes nothing (a reading, the
    // scan): cancelled as closing the window cancels it. False when none
    // runs or the one running writes.
    bool cancelCommand();
    // Ends the program (or closes the window): at once when no command
    // runs; else the command is cancelled, after the question when it
    // writes, and the end follows its unwind. False: the user let the
    // write go on, and nothing happens.
    bool end(Ending how);
    // The line went: the port shows closed, its device is waited for as
    // the policy says, and a running command is cancelled and the reason
    // told once it has unwound (with none running, or one that waits with
    // the user's work, told now and nothing cancelled). Said once
    // until the port opens again ("" when it just closed, no reason given).
    void lineLost(const std::string& reason);
    bool lineWasLost() const { return lost_; }

    // "Připojit" / "Spojeno", a command of its own: an open port is closed,
    // a closed one opened (a box when it will not); the user has taken the
    // port over either way.
    bool connectOrDisconnect();
    // The port is closed if open, as a search of the ports or the window's
    // close wants, and a lost one no longer waited for.
    void closePort();
    // Another port may have been chosen (state's PortNumber): the lost one
    // is then no longer waited for.
    void portChosen();
    // "Načíst" at `address`, the address a reconnection reads again.
    bool read(Operations& ops, int address);

    void setReconnect(ReconnectPolicy policy);
    void setReconnecting(bool on);
    bool reconnecting() const { return policy_.on && policy_.device != nullptr; }
    // A lost port is waited for, the switch on.
    bool watching() const { return lostPort_ && policy_.on; }
    // The port waited for (an empty device: none).
    LineReconnect lostPort() const { return lostPort_ ? lostPort_->lost() : LineReconnect{}; }
    enum class Reconnect {
        NotWatching,    // nothing lost is waited for
        NotYet,         // not back, a command runs, or the port is open
        Opened,         // open again; nothing was read before to read again
        Read,           // open again and read at the address last read
        Unread,         // open again, but the reading failed (and said so)
        OtherConverter, // read, but not the converter the loss cut off
    };
    // One look for the lost port, as the window's timer takes it: once it
    // is back, reopened and read again as the policy says, in a command of
    // its own (under a command that waits with the user's work: reopened
    // only, the measurement running again); a reason it will not open yet comes back in `why`, once.
    Reconnect lookForLostPort(std::string& why);

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
    // r27ctl's wait, outside every command, after a command that may have
    // lost the line (or found it closed, which counts as lost): while it is
    // lost, says what it waits for and looks every kReconnectPollMs, the
    // policy's repeat running after each reading again, until the line is
    // no longer lost (NotYet: it never was; Read, Opened: what the policy
    // repeats ended on its own), the reading again fails (Unread) or finds
    // another converter, or `stop` (NotWatching). A reason it will not open
    // yet goes to `tell`, once.
    Reconnect waitForDevice(const std::function<bool()>& stop,
                            const std::function<void(const std::string&)>& tell);

    // The program was asked to end by a signal (r27ctl): no question, the
    // running command is cancelled, but a write only after the frame in
    // flight, so that what it left is known; a second signal cancels it at
    // once. No command starts any more.
    void interrupt();
    bool interrupted() const { return interrupted_; }

private:
    void afterCommand();
    bool openPort(MainView& view);
    void forgetLostPort();
    Reconnect reopenLostPort(Operations& ops, std::string& why);
    Reconnect reopenUnderWork(Operations& ops, std::string& why);
    Reconnect waitOnce(const std::function<bool()>& stop,
                       const std::function<void(const std::string&)>& tell);
    void tellReconnect(const Text& text) const;

    Session& session_;
    Hooks hooks_;
    bool ending_ = false;
    Ending pending_ = Ending::Exit;
    // The first reason a line went while a command ran, until told.
    std::optional<std::string> lostReason_;
    bool interrupted_ = false;
    std::optional<ReconnectWatch> lostPort_;
    bool lost_ = false;
    ReconnectPolicy policy_;
    // The address of the last "Načíst" (-1: none yet).
    int lastReadAddress_ = -1;
};

} // namespace rm27
