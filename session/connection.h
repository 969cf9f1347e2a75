// The one way a front end runs its commands on the converter and ends, the
// same for the window and r27ctl. A command that is cut short (the program
// ends, the line goes) is cancelled, unwinds at once, and only then is the
// user told, once: a lost line after the unwind, not at each step that
// failed for want of it; the program's end after what a cut write left
// has been said. A write in progress is not cut short without asking.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "session/journal.h"
#include "session/operations.h"

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

private:
    void afterCommand();

    Session& session_;
    Hooks hooks_;
    bool ending_ = false;
    Ending pending_ = Ending::Exit;
    // The first reason a line went while a command ran, until told.
    std::optional<std::string> lostReason_;
};

} // namespace rm27
