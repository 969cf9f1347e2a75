#include "session/guard.h"

#include <vector>

namespace rm27 {

bool CommandGuard::run(const std::function<void()>& command) {
    if (running_) {
        ++refusals_;
        return false;
    }
    running_ = true;
    writing_ = false;
    lineDepth_ = 1;
    token_.clear();
    notify();
    command();
    running_ = false;
    writing_ = false;
    lineDepth_ = 0;
    token_.clear();
    notify();
    return true;
}

CommandGuard::LineScope::LineScope(CommandGuard& guard, int depth)
    : guard_(guard), saved_(guard.lineDepth_) {
    guard_.lineDepth_ = depth;
    if ((saved_ > 0) != (depth > 0)) guard_.notify();
}

CommandGuard::LineScope::~LineScope() {
    const bool changed = (guard_.lineDepth_ > 0) != (saved_ > 0);
    guard_.lineDepth_ = saved_;
    if (changed) guard_.notify();
}

bool CommandGuard::cancel() {
    if (!running_) return false;
    token_.request();
    pump_.wake();
    return true;
}

bool CommandGuard::cancelAfterFrame() {
    if (!running_) return false;
    token_.requestBeforeNextFrame();
    return true;
}

int CommandGuard::subscribe(std::function<void()> listener) {
    const int id = nextId_++;
    listeners_.emplace(id, std::move(listener));
    return id;
}

void CommandGuard::unsubscribe(int id) {
    listeners_.erase(id);
}

void CommandGuard::notify() {
    // A listener may unsubscribe (a dialog closing): walk a copy.
    std::vector<std::function<void()>> calls;
    calls.reserve(listeners_.size());
    for (const auto& [id, f] : listeners_)
        calls.push_back(f);
    for (const auto& f : calls)
        f();
}

} // namespace rm27
