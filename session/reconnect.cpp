#include "session/reconnect.h"

namespace rm27 {

bool ReconnectWatch::poll(std::string& tell) {
    tell.clear();
    if (!reconnect_.reopen) return false;
    std::string why;
    if (reconnect_.reopen(why)) {
        told_.clear();
        return true;
    }
    if (!why.empty() && why != told_) {
        tell = why;
        told_ = why;
    }
    return false;
}

} // namespace rm27
