// What the chart, the CSV log and the frame trace cost the measurement:
// 10^5 measurement ticks of the real window on virtual time, with all three
// open. The bench plays the converter (the simulator's model) at the other
// end of a pseudo-terminal and answers at once, so the ticks follow each
// other as fast as the window takes them while the measurement's clock
// advances 500 ms per tick. Prints the cost of a tick (the timer's handler:
// decoding, the labels, the signal to the watchers, the log's write, the
// trace's tap), the work the windows do between ticks (redraws, the list),
// and the memory the process grew by. Not a test: it prints figures.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineSeries>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <numeric>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "mainwindow/frm_main.h"
#include "session/measurement.h"
#include "sim/converter.h"
#include "sim/request.h"
#include "ui/port_map.h"
#include "ui/qt_serial_line.h"
#include "watch/ui/frm_chart.h"
#include "watch/ui/frm_trace.h"
#include "watch/ui/watch_windows.h"
#include <QChartView>

namespace {

using Clock = QElapsedTimer;

// CPU time of this thread: what a tick costs whatever else the machine runs.
double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double ResidentMb() {
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// The converter at the far end of a pseudo-terminal, answering at once.
class PtyConverter {
public:
    bool open() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return false;
        termios tio{};
        ::tcgetattr(slave_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        path_ = QString::fromLocal8Bit(name);
        return true;
    }
    ~PtyConverter() {
        if (master_ >= 0) ::close(master_);
        if (slave_ >= 0) ::close(slave_);
    }
    QString path() const { return path_; }

    // Answers every whole request the program wrote; returns the characters
    // written back.
    std::size_t serve() {
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) break;
            pending_.append(buf, static_cast<std::size_t>(n));
        }
        std::size_t written = 0;
        for (std::size_t cr; (cr = pending_.find('\r')) != std::string::npos;) {
            const std::string frame = pending_.substr(0, cr); // the model takes it without CR
            pending_.erase(0, cr + 1);
            const rm27::sim::Request request = rm27::sim::ParseRequest(frame, ++frames_, 0.0);
            if (!converter_.hears(request)) continue;
            if (const auto answer = converter_.handle(request)) {
                for (std::size_t done = 0; done < answer->size();) {
                    const ssize_t w =
                        ::write(master_, answer->data() + done, answer->size() - done);
                    if (w > 0) done += static_cast<std::size_t>(w);
                }
                written += answer->size();
            }
        }
        return written;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    QString path_;
    std::string pending_;
    std::int64_t frames_ = 0;
    rm27::sim::Converter converter_{rm27::sim::ConverterSetup{}};
};

// Virtual time: a wait lets the converter answer, lets the answer reach the
// port, and moves the clock on by the whole wait.
class VirtualPump : public rm27::EventPump {
public:
    explicit VirtualPump(PtyConverter& converter) : converter_(converter) {}
    std::int64_t nowMs() override { return now_; }
    void waitFor(std::int64_t ms) override {
        if (converter_.serve() > 0) {
            // The pty hands the answer over at once; the port takes it in
            // on its next look at the descriptor.
            for (int i = 0; i < 3; ++i)
                QCoreApplication::processEvents();
        } else {
            QCoreApplication::processEvents();
        }
        now_ += std::max<std::int64_t>(ms, 1);
    }

private:
    PtyConverter& converter_;
    std::int64_t now_ = 0;
};

class QuietPrompter : public rm27::Prompter {
public:
    std::string saveAs;
    int boxes = 0;
    rm27::MessageAnswer message(const rm27::MessageBoxSpec& box) override {
        ++boxes;
        std::fprintf(stderr, "message: %s\n", box.text.czech().c_str());
        return rm27::MessageAnswer::Ok;
    }
    std::string inputBox(const rm27::Text&, const rm27::Text&, const std::string&) override {
        return {};
    }
    bool showOpen(rm27::FileDialogSpec&) override { return false; }
    bool showSave(rm27::FileDialogSpec& d) override {
        d.fileName = saveAs;
        return true;
    }
    void clipboardClear() override {}
    void clipboardSetText(const std::string&) override {}
};

struct Stats {
    double mean = 0, p50 = 0, p99 = 0, max = 0, total = 0;
};

Stats Of(std::vector<double> v) {
    Stats s;
    if (v.empty()) return s;
    s.total = std::accumulate(v.begin(), v.end(), 0.0);
    s.mean = s.total / static_cast<double>(v.size());
    std::sort(v.begin(), v.end());
    s.p50 = v[v.size() / 2];
    s.p99 = v[std::min(v.size() - 1, v.size() * 99 / 100)];
    s.max = v.back();
    return s;
}

struct BenchArgs {
    int ticks = 100000;
    bool watching = true;
};

// watch_bench [ticks] [--without]: --without opens none of the three, for
// the cost of the bare tick next to it.
BenchArgs ParseArgs(int argc, char** argv) {
    BenchArgs args;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--without")
            args.watching = false;
        else
            args.ticks = std::max(1, std::atoi(argv[i]));
    }
    return args;
}

// Connected and read, with the chart, the trace and the log open unless
// `watching` is off; the measurement timer left to the bench.
bool StartMeasuring(rm27::FrmMain& window, bool watching) {
    window.Form_Load();
    window.show();
    window.findChild<QComboBox*>(QStringLiteral("cmbSelectPort"))->setCurrentIndex(0);
    window.cmdConnect_Click();
    if (!window.serialLine().portOpen()) {
        std::fprintf(stderr, "the port did not open\n");
        return false;
    }
    // The chart, the trace and the log, as the user opens them.
    if (watching) {
        window.findChild<QAction*>(QStringLiteral("mChart"))->trigger();
        window.findChild<QAction*>(QStringLiteral("mTrace"))->trigger();
    }
    // A real read: the records with their curves, so that each tick does
    // the live update as it does on a converter.
    window.cmdDevRead_Click();
    if (window.state().DeviceId.empty()) {
        std::fprintf(stderr, "the read failed\n");
        return false;
    }
    if (watching) {
        window.findChild<QAction*>(QStringLiteral("mLog"))->trigger();
        if (!window.watch().log().active()) return false;
    }
    // The timer is the bench's: one tick per loop below.
    window.setMeasurementTimer(false);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    return true;
}

struct TickRun {
    int answered = 0;
    std::vector<double> tickMs, between, tickCpuMs;
    double rssBefore = 0, rssHalf = 0, rssAfter = 0;
    double seconds = 0;
};

// The measured run. `run` outlives the window's signal that counts into it.
void RunTicks(rm27::FrmMain& window, VirtualPump& pump, int ticks, TickRun& run) {
    QObject::connect(&window, &rm27::FrmMain::measured,
                     [&run](const rm27::TickSample& s) { run.answered += s.answered ? 1 : 0; });
    // Filled in before the first figure of memory, so that the bench's own
    // arrays do not count as growth.
    run.tickMs.assign(static_cast<std::size_t>(ticks), 0.0);
    run.between.assign(static_cast<std::size_t>(ticks), 0.0);
    run.tickCpuMs.assign(static_cast<std::size_t>(ticks), 0.0);
    run.rssBefore = ResidentMb();
    Clock wall;
    wall.start();
    Clock t;
    for (int k = 0; k < ticks; ++k) {
        const auto at = static_cast<std::size_t>(k);
        pump.waitFor(rm27::kMeasurementIntervalMs); // the answer to the last request comes
        const double cpu = ThreadCpuMs();
        t.start();
        window.tmrCasovac_Timer();
        run.tickMs[at] = static_cast<double>(t.nsecsElapsed()) / 1e6;
        run.tickCpuMs[at] = ThreadCpuMs() - cpu;
        t.start();
        QCoreApplication::processEvents();
        run.between[at] = static_cast<double>(t.nsecsElapsed()) / 1e6;
        if (k == ticks / 2) run.rssHalf = ResidentMb();
    }
    run.seconds = static_cast<double>(wall.elapsed()) / 1000.0;
    run.rssAfter = ResidentMb();
}

// At the real pace (two ticks a second) the chart redraws after every
// tick: what one redraw costs with the rings full, per span.
std::vector<Stats> MeasureRedraws(rm27::FrmChart& chart) {
    auto* span = chart.findChild<QComboBox*>(QStringLiteral("cmbSpan"));
    std::vector<Stats> redraws;
    Clock t;
    for (int s = 0; s < 3; ++s) {
        span->setCurrentIndex(s);
        std::vector<double> ms;
        for (int i = 0; i < 50; ++i) {
            t.start();
            chart.refreshNow();
            chart.chartView()->viewport()->repaint();
            ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        }
        redraws.push_back(Of(ms));
    }
    return redraws;
}

void ReportBare(int ticks, const TickRun& run) {
    const Stats tick = Of(run.tickMs);
    const Stats tickCpu = Of(run.tickCpuMs);
    std::printf("watch_bench: %d ticks on virtual time in %.1f s, nothing watching\n", ticks,
                run.seconds);
    std::printf("  tick                    mean %.3f ms  p50 %.3f ms  p99 %.3f ms  max %.3f ms\n",
                tick.mean, tick.p50, tick.p99, tick.max);
    std::printf("  tick, CPU               mean %.3f ms  p99 %.3f ms\n", tickCpu.mean, tickCpu.p99);
    std::printf("  resident memory         growth %.1f MB\n", run.rssAfter - run.rssBefore);
}

void ReportWatching(rm27::FrmMain& window, int ticks, const TickRun& run,
                    const std::vector<Stats>& redraws) {
    const Stats tick = Of(run.tickMs);
    const Stats tickCpu = Of(run.tickCpuMs);
    const Stats ui = Of(run.between);
    const rm27::FrmChart* chart = window.watch().chart();
    std::printf("watch_bench: %d ticks on virtual time (%.0f h of measurement) in %.1f s, "
                "chart + log + trace open\n",
                ticks, ticks * 0.5 / 3600.0, run.seconds);
    std::printf("  answered ticks          %d (log rows %lld, chart ring %zu, trace lines %zu)\n",
                run.answered, static_cast<long long>(window.watch().log().rows()),
                chart->ring(0).size(), window.watch().trace()->book().size());
    std::printf("  tick                    mean %.3f ms  p50 %.3f ms  p99 %.3f ms  max %.3f ms\n",
                tick.mean, tick.p50, tick.p99, tick.max);
    std::printf("  tick, CPU               mean %.3f ms  p99 %.3f ms\n", tickCpu.mean, tickCpu.p99);
    std::printf("  windows between ticks   mean %.3f ms  p99 %.3f ms  max %.3f ms\n", ui.mean,
                ui.p99, ui.max);
    std::printf("  resident memory         %.1f MB before, %.1f MB half-way, %.1f MB after: "
                "growth %.1f MB (%.1f MB in the second half)\n",
                run.rssBefore, run.rssHalf, run.rssAfter, run.rssAfter - run.rssBefore,
                run.rssAfter - run.rssHalf);
    const char* spans[] = {"1 min", "5 min", "30 min"};
    for (int s = 0; s < 3; ++s) {
        const Stats& r = redraws[static_cast<std::size_t>(s)];
        std::printf("  chart redraw, %-6s    mean %.3f ms  p99 %.3f ms  max %.3f ms (%lld points "
                    "drawn per input)\n",
                    spans[s], r.mean, r.p99, r.max,
                    static_cast<long long>(chart->series(0)->count()));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const BenchArgs args = ParseArgs(argc, argv);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    // The window's settings go to the bench's folder, never the user's.
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());

    PtyConverter converter;
    if (!converter.open()) {
        std::fprintf(stderr, "openpty failed: %d\n", errno);
        return 1;
    }
    VirtualPump pump(converter);
    QuietPrompter prompter;
    prompter.saveAs = dir.filePath(QStringLiteral("bench.csv")).toStdString();
    rm27::PortMap ports;
    ports.setFixed(1, rm27::PortDevice{converter.path(), QStringLiteral("bench")});
    rm27::FrmMainSetup setup;
    setup.ports = &ports;
    setup.pump = &pump;
    setup.prompter = &prompter;
    rm27::FrmMain window(setup);
    if (!StartMeasuring(window, args.watching)) return 1;

    TickRun run;
    RunTicks(window, pump, args.ticks, run);
    if (!args.watching) {
        ReportBare(args.ticks, run);
    } else {
        window.watch().trace()->takeIncoming();
        ReportWatching(window, args.ticks, run, MeasureRedraws(*window.watch().chart()));
        if (prompter.boxes > 0) return 1;
    }
    // The first tick after the start finds no answer yet.
    return run.answered == args.ticks - 1 ? 0 : 1;
}
