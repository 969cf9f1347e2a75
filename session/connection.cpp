#include "session/connection.h"

#include <utility>

#include "link/transact.h"
#include "session/controls.h"
#include "session/measurement.h"
#include "session/measurement_status.h"
#include "session/texts.h"

namespace rm27 {

namespace {

namespace ts = texts::session;

// The port's controls: closed, a port (or the search) may be chosen and
// nothing read; open, the reading may start.
void ShowPortClosed(MainView& view, const DeviceState& st) {
    view.setControlColor(ctl::cmdConnect, kRgbWhite);
    view.setControlEnabled(ctl::cmbSelectPort, true);
    view.setControlEnabled(ctl::cmdFindPorts, true);
    view.setControlEnabled(ctl::cmdDevRead, false);
    view.setControlEnabled(ctl::cmbSelectAdr, false);
    view.setControlEnabled(ctl::cmdReset, false);
    view.setControlEnabled(ctl::cmdAdresa, false);
    view.setCaption(ctl::cmdConnect, Text(ts::kConnect));
    view.setStatus(Text(ts::kPortClosed));
    if (st.IsRMU) view.setControlVisible(ctl::mRMUmain, false);
}

void ShowPortOpen(MainView& view) {
    view.setControlColor(ctl::cmdConnect, kRgbGreen);
    view.setControlEnabled(ctl::cmbSelectPort, false);
    // A search would close the port under the user's feet.
    view.setControlEnabled(ctl::cmdFindPorts, false);
    view.setControlEnabled(ctl::cmbSelectAdr, true);
    view.setControlEnabled(ctl::cmdDevRead, true);
    view.setCaption(ctl::cmdConnect, Text(ts::kConnected));
    view.setStatus(Text(ts::kPortOpened));
}

} // namespace

bool Connection::run(const std::function<void(Operations&)>& fn) {
    if (interrupted_ || !session_.run(fn)) return false;
    afterCommand();
    return true;
}

bool Connection::runOnLine(const std::function<void(Operations&)>& fn) {
    if (!session_.port().line.isOpen()) {
        // At once: a command on a closed port would only wait out its
        // time-outs, and a reader might take its silence for the converter's.
        if (!busy() && !interrupted_) session_.ops().prompter.critical(Text(ts::kNoLine, Text(ts::kConnect)));
        return false;
    }
    return run(fn);
}

bool Connection::cancelCommand() {
    // A write is not cut by a click: what it would leave is worse than the
    // wait.
    if (!busy() || session_.guard().writing()) return false;
    return session_.guard().cancel();
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
    if (lost_) return;
    lost_ = true;
    ShowPortClosed(session_.ops().view, session_.state());
    if (policy_.device) lostPort_.emplace(policy_.device());
    if (hooks_.watchChanged) hooks_.watchChanged();
    // With none running, or one that waits with the user's work (the
    // editor keeps its points and waits for the line), told now.
    if (!busy() || session_.guard().waitsWithWork()) {
        if (hooks_.tellLineLost) hooks_.tellLineLost(reason);
        return;
    }
    // The command cannot go on without its line: cancelled, it unwinds,
    // and the reason is told once, instead of each of its steps failing
    // aloud.
    if (!lostReason_) lostReason_ = reason;
    session_.guard().cancel();
}

bool Connection::connectOrDisconnect() {
    // Not an exchange itself, but closing the line under a running command
    // would cut its exchange in half: a command of its own.
    return run([this](Operations& ops) {
        const bool open = ops.port.line.isOpen();
        // By hand, whichever way: the user has taken the port over.
        forgetLostPort();
        if (open) {
            if (hooks_.closePort) hooks_.closePort();
            ShowPortClosed(ops.view, ops.state);
        } else if (!openPort(ops.view)) {
            ops.prompter.critical(Text(ts::kPortNotOpened));
        }
    });
}

void Connection::closePort() {
    forgetLostPort();
    if (!session_.port().line.isOpen()) return;
    if (hooks_.closePort) hooks_.closePort();
    ShowPortClosed(session_.ops().view, session_.state());
}

void Connection::portChosen() {
    if (lostPort_ && session_.state().PortNumber != lostPort_->lost().port) forgetLostPort();
}

bool Connection::read(Operations& ops, int address) {
    lastReadAddress_ = address;
    return hooks_.read && hooks_.read(ops, address);
}

void Connection::setReconnect(ReconnectPolicy policy) {
    policy_ = std::move(policy);
    if (hooks_.watchChanged) hooks_.watchChanged();
}

void Connection::setReconnecting(bool on) {
    policy_.on = on;
    if (hooks_.watchChanged) hooks_.watchChanged();
}

bool Connection::openPort(MainView& view) {
    if (!hooks_.openPort || !hooks_.openPort()) return false;
    lost_ = false;
    ShowPortOpen(view);
    return true;
}

void Connection::forgetLostPort() {
    if (!lostPort_) return;
    lostPort_.reset();
    if (hooks_.watchChanged) hooks_.watchChanged();
}

Connection::Reconnect Connection::lookForLostPort(std::string& why) {
    why.clear();
    if (!watching()) return Reconnect::NotWatching;
    // A command runs (or a box of one waits): the next look. Nor is a
    // command started only to find the file still missing.
    if (session_.port().line.isOpen() || !lostPort_->present()) return Reconnect::NotYet;
    if (busy()) {
        // A command waiting with the user's work gets its line back under
        // it, without the reading again, which would change what it edits.
        if (!session_.guard().waitsWithWork()) return Reconnect::NotYet;
        return reopenUnderWork(session_.ops(), why);
    }
    Reconnect r = Reconnect::NotYet;
    run([&](Operations& ops) { r = reopenLostPort(ops, why); });
    return r;
}

Connection::Reconnect Connection::reopenLostPort(Operations& ops, std::string& why) {
    if (!lostPort_ || !lostPort_->poll(why)) return Reconnect::NotYet;
    forgetLostPort();
    lost_ = false;
    ShowPortOpen(ops.view);
    const std::string at = ClockTime(ops.clock.now());
    if (lastReadAddress_ < 0) {
        ops.view.setStatus(Text(ts::kReconnectOpened, at));
        return Reconnect::Opened;
    }
    tellReconnect(Text(ts::kReconnectReading));
    // A failed read has said so itself (its box and status).
    if (!read(ops, lastReadAddress_) || ops.cancelled()) return Reconnect::Unread;
    if (policy_.sameConverter && !policy_.sameConverter(ops.state)) {
        tellReconnect(Text(ts::kOtherConverter));
        return Reconnect::OtherConverter;
    }
    ops.view.setStatus(Text(ts::kReconnectDone, at));
    if (policy_.repeat) policy_.repeat(ops);
    return Reconnect::Read;
}

Connection::Reconnect Connection::reopenUnderWork(Operations& ops, std::string& why) {
    if (!lostPort_->poll(why)) return Reconnect::NotYet;
    forgetLostPort();
    lost_ = false;
    ShowPortOpen(ops.view);
    StartMeasurement(ops.port, ops.view);
    ops.view.setStatus(Text(ts::kReconnectOpened, ClockTime(ops.clock.now())));
    return Reconnect::Opened;
}

void Connection::tellReconnect(const Text& text) const {
    if (hooks_.tellReconnect) hooks_.tellReconnect(text);
}

Connection::Tick Connection::tick() {
    Tick t;
    CommandGuard& guard = session_.guard();
    if (!guard.tickAllowed()) return t;
    Operations& ops = session_.ops();
    const bool asks = IsFamilyId(ops.state.DeviceId) && ops.port.line.isOpen();
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

Connection::Reconnect
Connection::waitForDevice(const std::function<bool()>& stop,
                          const std::function<void(const std::string&)>& tell) {
    Reconnect r = Reconnect::NotYet;
    for (;;) {
        // A line that just closed is lost too, without a reason.
        if (!session_.port().line.isOpen()) lineLost("");
        if (!lost_) return r;
        r = waitOnce(stop, tell);
        // A reading again that lost the line again waits again.
        if (r != Reconnect::Read && r != Reconnect::Opened && !(r == Reconnect::Unread && lost_))
            return r;
    }
}

Connection::Reconnect Connection::waitOnce(const std::function<bool()>& stop,
                                           const std::function<void(const std::string&)>& tell) {
    tellReconnect(Text(ts::kWaitingForDevice, lostPort().device));
    // Outside any command: nothing else runs meanwhile, and a plain wait
    // (not the cancellable one of the port) sleeps in the event loop.
    for (;;) {
        if (stop()) return Reconnect::NotWatching;
        std::string why;
        const Reconnect r = lookForLostPort(why);
        if (!why.empty()) tell(why);
        if (r != Reconnect::NotYet) return r;
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
