#include "sim/virtual_line.h"

#include <algorithm>

namespace rm27::sim {

void VirtualLine::output(const std::string& text) {
    if (!open_) {
        return;
    }
    sent_.push_back({now_, text});
    bus_.hostWrite(static_cast<double>(now_), text);
}

int VirtualLine::inBufferCount() {
    if (!open_) {
        return 0;
    }
    bus_.advanceTo(static_cast<double>(now_));
    return static_cast<int>(bus_.arrivedCount(static_cast<double>(now_)));
}

std::string VirtualLine::input() {
    if (!open_) {
        return {};
    }
    bus_.advanceTo(static_cast<double>(now_));
    std::string text = bus_.takeArrived(static_cast<double>(now_));
    received_ += text;
    return text;
}

void VirtualLine::setOpen(bool open) {
    if (open && !open_) {
        // Nothing is received while the port is closed.
        bus_.advanceTo(static_cast<double>(now_));
        bus_.discardArrived(static_cast<double>(now_));
    }
    open_ = open;
}

void VirtualLine::at(std::int64_t timeMs, std::function<void()> userEvent) {
    events_.emplace(timeMs, std::move(userEvent));
}

void VirtualLine::waitFor(std::int64_t ms) {
    ++waitCalls_;
    runUntil(now_ + std::max<std::int64_t>(0, ms));
}

void VirtualLine::runUntil(std::int64_t target) {
    for (;;) {
        const double busNext = bus_.nextEventMs();
        const bool eventDue = !events_.empty() && events_.begin()->first <= target;
        const double eventNext = eventDue ? static_cast<double>(events_.begin()->first) : kNever;
        if (busNext <= static_cast<double>(target) && busNext <= eventNext) {
            bus_.advanceTo(busNext);
            continue;
        }
        if (!eventDue) {
            break;
        }
        auto it = events_.begin();
        now_ = std::max(now_, it->first);
        std::function<void()> event = std::move(it->second);
        events_.erase(it);
        event(); // may write and wait in its turn
    }
    now_ = std::max(now_, target);
    bus_.advanceTo(static_cast<double>(now_));
}

} // namespace rm27::sim
