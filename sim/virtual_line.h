// The serial line and the clock of the tests: virtual time that moves only
// when someone waits, with a bus of simulated converters at the other end.
//
//   rm27::sim::Bus bus;
//   bus.add({.address = 1});
//   rm27::sim::VirtualLine line(bus);
//   rm27::Port port{line, line};
//   line.output("$01@\r");
//   line.waitFor(30);                 // virtual: returns at once
//   line.input();                     // "0123RM2712\r"
//
// waitFor(ms) advances the clock by exactly ms. On the way it lets the
// converters carry out every frame whose CR has arrived, makes visible every
// answer character whose time has come, and runs the user events (see at())
// at their due time. A user event may itself write and wait (a click in the
// middle of a device wait); a nested wait moves the clock on, and the outer
// wait then ends at its own target or at once if that has passed.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/line.h"
#include "sim/bus.h"

namespace rm27::sim {

struct SentFrame {
    std::int64_t timeMs = 0;
    std::string text; // exactly what output() got
};

class VirtualLine : public SerialLine, public EventPump {
public:
    explicit VirtualLine(Bus& bus) : bus_(bus) {}

    // SerialLine
    bool isOpen() const override { return open_; }
    void output(const std::string& text) override;
    int inBufferCount() override;
    std::string input() override;

    // EventPump
    std::int64_t nowMs() override { return now_; }
    void waitFor(std::int64_t ms) override;

    // A closed line drops output and receives nothing; what arrived while
    // it was closed is gone when it opens again. Starts open.
    void setOpen(bool open);

    // Run userEvent when the clock reaches timeMs (inside a waitFor). Events
    // due at the same time run in the order they were added. An event in
    // the past runs at the next wait.
    void at(std::int64_t timeMs, std::function<void()> userEvent);
    void after(std::int64_t delayMs, std::function<void()> userEvent) {
        at(now_ + delayMs, std::move(userEvent));
    }
    std::size_t pendingEvents() const { return events_.size(); }

    // Every output() on an open line, with the virtual time it was written.
    const std::vector<SentFrame>& sent() const { return sent_; }
    // Everything input() has returned, concatenated.
    const std::string& received() const { return received_; }
    // Number of waitFor calls so far (nested ones included).
    std::int64_t waitCalls() const { return waitCalls_; }

    Bus& bus() { return bus_; }

private:
    void runUntil(std::int64_t target);

    Bus& bus_;
    bool open_ = true;
    std::int64_t now_ = 0;
    std::multimap<std::int64_t, std::function<void()>> events_;
    std::vector<SentFrame> sent_;
    std::string received_;
    std::int64_t waitCalls_ = 0;
};

} // namespace rm27::sim
