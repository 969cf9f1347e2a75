// The program's wait: a nested event loop that a precise single-shot timer
// ends. Spinning processEvents() would burn a whole core for every device
// wait; the nested loop sleeps in the event dispatcher instead.
#pragma once

#include <QElapsedTimer>

#include <vector>

#include "link/line.h"

class QEventLoop;

namespace rm27 {

class QtEventPump final : public EventPump {
public:
    QtEventPump();
    std::int64_t nowMs() override;
    void waitFor(std::int64_t ms) override;
    // Ends every wait in progress (innermost and the ones it interrupted).
    void wake() override;

private:
    QElapsedTimer clock_;
    std::vector<QEventLoop*> waits_;
};

} // namespace rm27
