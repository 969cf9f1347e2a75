#include "session/connection.h"

#include <utility>

#include "link/transact.h"
#include "session/measurement.h"

namespace rm27 {

bool Connection::run(const std::function<void(Operations&)>& fn) {
    if (interrupted_ || !session_.run(fn)) return false;
    afterCommand();
    return true;
}

bool Connection::end(Ending how) {
    if (!busy()) {
        if (hooks_.end) hooks_.end(how);
        return true;
    }
    // Asked once: a second request while the first one's cancel unwinds
    // only changes how the program ends.
    if (!ending_ && session_.guard().writing() && hooks_.mayInterruptWrite &&
        !hooks_.mayInterruptWrite())
        return false;
    ending_ = true;
    pending_ = how;
    session_.guard().cancel();
    return true;
}

void Connection::lineLost(const std::string& reason) {
    if (!busy()) {
        if (hooks_.tellLineLost) hooks_.tellLineLost(reason);
        return;
    }
    // The command cannot go on without its line: cancelled, it unwinds,
    // and the reason is told once, instead of each of its steps failing
    // aloud.
    if (!lostReason_) lostReason_ = reason;
    session_.guard().cancel();
}

bool Connection::lookForLostPort(std::string& tell) {
    if (!lostPort_ || !lostPort_->poll(tell)) return false;
    lostPort_.reset();
    return true;
}

Connection::Tick Connection::tick() {
    Tick t;
    CommandGuard& guard = session_.guard();
    if (!guard.tickAllowed()) return t;
    Operations& ops = session_.ops();
    const bool asks =
        hooks_.converterRead && hooks_.converterRead(ops.state) && ops.port.line.isOpen();
    bool decoded = false;
    {
        const auto ticking = guard.ticking();
        if (hooks_.measure) decoded = hooks_.measure(ops);
    }
    if (!asks) return t;
    t.result = decoded ? Tick::Result::Decoded : Tick::Result::Unanswered;
    if (decoded) t.live = session_.live();
    return t;
}

Connection::Tick Connection::tickAfterInterval(const std::function<bool()>& stop) {
    DelayMs(session_.port(), kMeasurementIntervalMs);
    if (session_.port().cancelled() || (stop && stop())) return {};
    return tick();
}

Connection::TicksEnd Connection::tickWhile(const std::function<bool()>& more,
                                           const std::function<bool()>& decoded, int silentLimit) {
    int silent = 0;
    while (more()) {
        bool stopped = false;
        const Tick t = tickAfterInterval([&] { return stopped = !more(); });
        if (stopped || session_.port().cancelled()) break;
        if (!session_.port().line.isOpen()) return TicksEnd::LineClosed;
        if (t.result != Tick::Result::Decoded) {
            if (++silent >= silentLimit) return TicksEnd::Silent;
            continue;
        }
        silent = 0;
        if (!decoded()) break;
    }
    return TicksEnd::Stopped;
}

bool Connection::waitForDevice(ReconnectWatch& watch, const std::function<bool()>& stop,
                               const std::function<void(const std::string&)>& tell) {
    // Outside any command: nothing else runs meanwhile, and a plain wait
    // (not the cancellable one of the port) sleeps in the event loop.
    for (;;) {
        if (stop()) return false;
        std::string why;
        if (watch.poll(why)) return true;
        if (!why.empty()) tell(why);
        DelayMs(session_.port().pump, kReconnectPollMs);
    }
}

void Connection::interrupt() {
    CommandGuard& guard = session_.guard();
    if (guard.writing() && !interrupted_)
        guard.cancelAfterFrame();
    else
        guard.cancel();
    interrupted_ = true;
}

void Connection::afterCommand() {
    if (ending_) {
        ending_ = false;
        Journal& journal = session_.journal();
        for (const JournalEntry& e : journal.takeUnfinished()) {
            if (hooks_.tellUnfinished) hooks_.tellUnfinished(journal, e);
        }
        if (hooks_.end) hooks_.end(pending_);
        return;
    }
    if (lostReason_) {
        const std::string reason = *std::exchange(lostReason_, std::nullopt);
        if (hooks_.tellLineLost) hooks_.tellLineLost(reason);
    }
    if (session_.journal().hasUnfinished() && hooks_.offerWayBack) hooks_.offerWayBack();
}

} // namespace rm27
