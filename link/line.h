// The two seams through which the link reaches the outside world: the serial
// line and the wait. The program plugs a QSerialPort and a Qt event loop in
// here, the tests a virtual-time simulator, the command-line tool a terminal.
#pragma once

#include <cassert>
#include <cstdint>
#include <functional>
#include <string>

#include "link/doubt.h"

namespace rm27 {

// The converter's only line settings: 9600 baud, no parity, 8 data bits, 1 stop
// bit, in the "baud,parity,data,stop" notation the serial adapters take.
inline constexpr const char* kLineSettings = "9600,n,8,1";

// What the protocol needs from a serial port: the converter answers with
// unframed text, so the only tools are "how many characters are waiting" and
// "take everything waiting".
class SerialLine {
public:
    virtual ~SerialLine() = default;
    virtual bool isOpen() const = 0;
    // Write text; no-op when the line is closed.
    virtual void output(const std::string& text) = 0;
    // Characters received and not yet taken.
    virtual int inBufferCount() = 0;
    // Take and remove every waiting character.
    virtual std::string input() = 0;
};

// A monotonic millisecond clock and a wait that keeps servicing pending
// events (window repaints, clicks, timer ticks) while it waits.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Monotonic milliseconds since an arbitrary origin; never wraps.
    virtual std::int64_t nowMs() = 0;
    // Service events for up to ms milliseconds. May return early (an event
    // was handled); DelayMs loops until the clock says the time is up.
    virtual void waitFor(std::int64_t ms) = 0;
    // End the waits in progress now (a command was cancelled). The default
    // does nothing: a pump whose waits are short finds out at the next one.
    virtual void wake() {}
};

// Raised by the owner of the line when the command in progress must stop
// at once: the program is closing, or the line itself is gone. The device
// operations look at it between polls and before every send.
//
// A write may instead be stopped after the frame in flight: its answer is
// still waited for, so that the byte it carried is known to have landed or
// not, and the command is cancelled when it tries to send the next one.
class CancelToken {
public:
    bool requested() const { return requested_; }
    void request() { requested_ = true; }
    void requestBeforeNextFrame() { beforeNextFrame_ = true; }
    bool stopsBeforeNextFrame() const { return beforeNextFrame_; }
    void clear() { requested_ = beforeNextFrame_ = false; }

private:
    bool requested_ = false;
    bool beforeNextFrame_ = false;
};

// The serial line together with the clock that paces it: what every device
// operation receives as its "port". `cancel` is optional; without it
// nothing can stop an operation before its own time-outs do.
struct Port {
    SerialLine& line;
    EventPump& pump;
    CancelToken* cancel = nullptr;
    // The answers still owed on this line: what tells an answer taken from
    // the late answer of another request (see link/doubt.h).
    AnswerLedger answers{};
    // Frames that went out so far: whether a write got as far as its first.
    std::uint64_t framesSent = 0;
    // Whether whoever sends a frame now may: the session answers "a command
    // that holds the line, or the measurement ticker". Two exchanges on one
    // line corrupt each other's answers, so debug builds stop at a frame
    // sent by anyone else. Unset: anyone may (a bare port in a test).
    std::function<bool()> mayExchange{};

    bool cancelled() const { return cancel != nullptr && cancel->requested(); }
    // Every frame goes out through here: once the command is cancelled,
    // not one more reaches the converter.
    void send(const std::string& text) {
        if (!mayFrame()) return;
        ++framesSent;
        line.output(text);
    }
    // A request that expects an answer of answerLength characters (CR
    // included): noted in the ledger, then sent.
    void ask(const std::string& frame, int answerLength) {
        if (!mayFrame()) return;
        ++framesSent;
        answers.asked(frame, answerLength, pump.nowMs());
        line.output(frame);
    }
    // Take every waiting character and throw it away; the ledger counts
    // the answers it held.
    void flush() { answers.discarded(line.input()); }

private:
    // A stop asked for after the frame in flight takes effect here.
    bool mayFrame() {
        assert((!mayExchange || mayExchange()) && "a frame from outside the line's holder");
        if (cancel != nullptr && cancel->stopsBeforeNextFrame()) cancel->request();
        return !cancelled();
    }
};

} // namespace rm27
