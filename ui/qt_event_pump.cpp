#include "ui/qt_event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace rm27 {

QtEventPump::QtEventPump() {
    clock_.start();
}

std::int64_t QtEventPump::nowMs() {
    return clock_.elapsed();
}

void QtEventPump::waitFor(std::int64_t ms) {
    if (ms <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    const auto bounded = static_cast<int>(std::min<std::int64_t>(ms, 24LL * 3600 * 1000));
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(bounded);
    waits_.push_back(&loop);
    const int rc = loop.exec(QEventLoop::AllEvents);
    waits_.erase(std::find(waits_.begin(), waits_.end(), &loop));
    // Once the application has been told to quit, every event loop returns
    // at once: sleep instead, or a caller's wait would spin a whole core.
    if (rc == -1) QThread::msleep(static_cast<unsigned long>(bounded));
}

void QtEventPump::wake() {
    for (QEventLoop* loop : waits_)
        loop->quit();
}

} // namespace rm27
