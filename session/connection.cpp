#include "session/connection.h"

#include <utility>

namespace rm27 {

bool Connection::run(const std::function<void(Operations&)>& fn) {
    if (!session_.run(fn)) return false;
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
