// Getting the line back once it was lost, the same way for the window and
// r27ctl: the device is looked for every kReconnectPollMs; once its file is
// back it is reopened with the line's settings; a reason it will not open
// yet (udev may still be giving it its group) is told once, not every
// second; once it is open, the front end repeats what the loss cut short
// (the window its last reading, r27ctl its monitor).
#pragma once

#include <functional>
#include <string>

namespace rm27 {

inline constexpr int kReconnectPollMs = 1000;

struct LineReconnect {
    std::string device; // what is waited for, as the user named it
    // The device is there again (its file exists); unset: always looked at.
    std::function<bool()> present;
    // Opens it with the settings it had; false with a reason worth telling
    // the user in `why` (or none).
    std::function<bool(std::string& why)> reopen;
};

class ReconnectWatch {
public:
    explicit ReconnectWatch(LineReconnect reconnect) : reconnect_(std::move(reconnect)) {}

    const std::string& device() const { return reconnect_.device; }
    // One look: true once the line is open again. A reason it would not
    // open that was not told before comes back in `tell` (else "").
    bool poll(std::string& tell);

private:
    LineReconnect reconnect_;
    std::string told_;
};

} // namespace rm27
