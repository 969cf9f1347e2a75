// Getting the line back once it was lost, one policy for the window and
// r27ctl: the device is looked for every kReconnectPollMs; once its file is
// back it is reopened with the line's settings; a reason it will not open
// yet (udev may still be giving it its group) is told once, not every
// second; once it is open the converter is read again at the address last
// read, and, where the front end asks, checked to be the one the loss cut
// off (r27ctl's CSV header must still describe its rows); then what the
// loss cut short is repeated.
#pragma once

#include <functional>
#include <string>

#include "session/device_state.h"

namespace rm27 {
struct Operations;
}

namespace rm27 {

inline constexpr int kReconnectPollMs = 1000;

struct LineReconnect {
    std::string device; // what is waited for, as the user named it
    // The device is there again (its file exists); unset: always looked at.
    std::function<bool()> present;
    // Opens it with the settings it had; false with a reason worth telling
    // the user in `why` (or none).
    std::function<bool(std::string& why)> reopen;
    int port = 0; // COMn it was chosen as (0: named by its file alone)
};

struct ReconnectPolicy {
    // The switch: a lost port is waited for only while it is on.
    bool on = false;
    // The device of the port just lost, as it is to be looked for again;
    // unset: a loss leaves nothing to wait for.
    std::function<LineReconnect()> device;
    // After the reading again: whether it is still the converter (and the
    // sensors) the loss cut off; unset: any converter will do.
    std::function<bool(const DeviceState&)> sameConverter;
    // What the loss cut short, repeated after the reading again in the same
    // command (r27ctl its monitor); unset: nothing (the window's timer
    // measures on by itself).
    std::function<void(Operations&)> repeat;
};

class ReconnectWatch {
public:
    explicit ReconnectWatch(LineReconnect reconnect) : reconnect_(std::move(reconnect)) {}

    const LineReconnect& lost() const { return reconnect_; }
    bool present() const { return !reconnect_.present || reconnect_.present(); }
    // One look, the device being there: true once the line is open again.
    // A reason it would not open that was not told before comes back in
    // `tell` (else "").
    bool poll(std::string& tell);

private:
    LineReconnect reconnect_;
    std::string told_;
};

} // namespace rm27
