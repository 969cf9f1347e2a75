#include "ui/qt_event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace rm27 {

QtEventPump::QtEventPump() { clock_.start(); }

std::int64_t QtEventPump::nowMs() { return clock_.elapsed(); }

void QtEventPump::waitFor(std::int64_t ms) {
    if (ms <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(static_cast<int>(std::min<std::int64_t>(ms, 24LL * 3600 * 1000)));
    loop.exec(QEventLoop::AllEvents);
}

} // namespace rm27
