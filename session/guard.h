// One exchange at a time, for every window, dialog and the command-line
// tool alike. The converter's answers carry no framing but their length, so
// two sequences interleaved on the line corrupt each other, and every wait
// for the converter keeps servicing events (clicks, timer ticks).
//
// Two levels:
//   - a *command* holds the program: no other command may start; the
//     window disables whatever would start one;
//   - while a command exchanges frames it also holds the *line*: no
//     measurement tick runs. A command that waits for the user with the
//     measurement still running (the address prompt, the questions before
//     an eKey write, the calibration editor) releases the line for that
//     long, so that the values stay live.
//
// Cancellation: closing the program or losing the line cancels the
// running command. Its waits return at once, no further frame goes out,
// and its messages are not shown; the command unwinds, and whoever
// cancelled it says what happened, once.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "link/line.h"

namespace rm27 {

class CommandGuard {
public:
    explicit CommandGuard(EventPump& pump) : pump_(pump) {}
    CommandGuard(const CommandGuard&) = delete;
    CommandGuard& operator=(const CommandGuard&) = delete;

    // Runs `command` as a command. Refuses (returns false, runs nothing)
    // while another command runs. The cancellation of a command ends with it.
    bool run(const std::function<void()>& command);

    bool commandRunning() const { return running_; }
    bool lineHeld() const { return running_ && lineDepth_ > 0; }
    // Whether a measurement tick may run now.
    bool tickAllowed() const { return !lineHeld(); }
    // Commands refused so far (a click while another command ran).
    int refusals() const { return refusals_; }

    // Inside a command: the line is free for as long as the object lives
    // (ticks run); a nested Hold takes it back for an exchange.
    class [[nodiscard]] LineScope {
    public:
        LineScope(CommandGuard& guard, int depth);
        LineScope(const LineScope&) = delete;
        LineScope& operator=(const LineScope&) = delete;
        ~LineScope();

    private:
        CommandGuard& guard_;
        int saved_;
    };
    LineScope releaseLine() { return LineScope(*this, 0); }
    LineScope holdLine() { return LineScope(*this, lineDepth_ + 1); }

    // A measurement tick, which runs outside every command's exchanges:
    // the line is the ticker's for as long as the object lives.
    class [[nodiscard]] TickScope {
    public:
        explicit TickScope(CommandGuard& guard) : guard_(guard) { guard_.ticking_ = true; }
        TickScope(const TickScope&) = delete;
        TickScope& operator=(const TickScope&) = delete;
        ~TickScope() { guard_.ticking_ = false; }

    private:
        CommandGuard& guard_;
    };
    TickScope ticking() { return TickScope(*this); }
    // Whether a frame may go out now: a command holds the line, or a tick runs.
    bool mayExchange() const { return lineHeld() || ticking_; }

    // Inside a command whose window holds the user's work while it waits
    // with the line let go (the calibration editor): a lost line does not
    // cancel such a command. Its window keeps the work and refuses what
    // needs the line until the line is back.
    class [[nodiscard]] WorkScope {
    public:
        explicit WorkScope(CommandGuard& guard) : guard_(guard), saved_(guard.keepsWork_) {
            guard_.keepsWork_ = true;
        }
        WorkScope(const WorkScope&) = delete;
        WorkScope& operator=(const WorkScope&) = delete;
        ~WorkScope() { guard_.keepsWork_ = saved_; }

    private:
        CommandGuard& guard_;
        bool saved_;
    };
    WorkScope keepingWork() { return WorkScope(*this); }
    // A command runs, waits for the user with the line let go, and holds
    // work a lost line must not take.
    bool waitsWithWork() const { return running_ && lineDepth_ == 0 && keepsWork_; }

    // Cancel the running command; false (and nothing happens) when none
    // runs. The pump is woken so that a wait in progress ends now.
    bool cancel();
    // Cancel the running command once the frame in flight is answered (its
    // wait runs on): a write stopped so knows which bytes went through.
    bool cancelAfterFrame();
    bool cancelled() const { return token_.requested(); }
    CancelToken& token() { return token_; }

    // Whether the running command has begun a write to the converter (a
    // journal entry): from then on, cutting it short may leave a block or
    // cells half written. Set by the write path, cleared when it ends.
    bool writing() const { return running_ && writing_; }
    void noteWriting() { writing_ = true; }

    // Called whenever commandRunning() or lineHeld() changes. Returns an
    // id for unsubscribe().
    int subscribe(std::function<void()> listener);
    void unsubscribe(int id);

private:
    void notify();

    EventPump& pump_;
    bool running_ = false;
    bool writing_ = false;
    bool ticking_ = false;
    bool keepsWork_ = false;
    int lineDepth_ = 0;
    int refusals_ = 0;
    CancelToken token_;
    int nextId_ = 1;
    std::map<int, std::function<void()>> listeners_;
};

} // namespace rm27
