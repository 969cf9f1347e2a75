// The two seams through which the link reaches the outside world: the serial
// line and the wait. The program plugs a QSerialPort and a Qt event loop in
// here, the tests a virtual-time simulator, the command-line tool a terminal.
#pragma once

#include <cstdint>
#include <string>

namespace rm27 {

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
};

// The serial line together with the clock that paces it: what every device
// operation receives as its "port".
struct Port {
    SerialLine& line;
    EventPump& pump;
};

} // namespace rm27
