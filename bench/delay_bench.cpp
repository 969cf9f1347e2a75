// Figures for the program's wait: what a device wait costs in CPU, how late
// it returns, and how quickly a window event is handled in the middle of it.
// Not a test: it prints numbers for docs/benchmarks.md.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "link/transact.h"
#include "ui/qt_event_pump.h"

namespace {

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[at];
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    rm27::QtEventPump pump;
    QWidget window; // a live window, so the loop has real work to consider
    window.resize(200, 100);
    window.show();
    rm27::DelayMs(pump, 200);

    // CPU share and overshoot over repeated 10 ms waits.
    std::vector<double> overshoot;
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = CpuSeconds();
    while (static_cast<double>(wall.elapsed()) < seconds * 1000.0) {
        QElapsedTimer one;
        one.start();
        rm27::DelayMs(pump, 10);
        overshoot.push_back(static_cast<double>(one.nsecsElapsed()) / 1e6 - 10.0);
    }
    const double cpuShare = (CpuSeconds() - cpu0) / (static_cast<double>(wall.elapsed()) / 1000.0);

    // Latency of an event posted while a wait runs.
    std::vector<double> latency;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer posted;
        double seen = -1;
        QTimer::singleShot(0, &window, [&] {}); // keep the queue realistic
        QMetaObject::invokeMethod(
            &window, [&] { seen = static_cast<double>(posted.nsecsElapsed()) / 1e6; },
            Qt::QueuedConnection);
        posted.start();
        rm27::DelayMs(pump, 20);
        if (seen >= 0) latency.push_back(seen);
    }

    std::printf("DelayMs(10) x %zu over %.1f s\n", overshoot.size(), seconds);
    std::printf("  CPU while waiting:       %.1f %% of a core\n", cpuShare * 100.0);
    std::printf("  overshoot median:        %.3f ms\n", Percentile(overshoot, 0.5));
    std::printf("  overshoot 99th pct:      %.3f ms\n", Percentile(overshoot, 0.99));
    if (!latency.empty()) {
        std::printf("  event latency in a wait: median %.3f ms, max %.3f ms\n",
                    Percentile(latency, 0.5), Percentile(latency, 1.0));
    }
    return 0;
}
