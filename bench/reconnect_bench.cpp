// What waiting for a pulled adapter costs, and how soon the program is back
// when it returns. Not a test: it prints figures.
//
// The window (offscreen, in this process): connected to a simulated
// converter served on a pseudo-terminal behind a link, read, and then the
// terminal and its link are removed. The process's CPU time is measured
// over a stretch of waiting with the watch on, and again with it off; then
// the terminal is made again under the same link, and the time to the
// port's reopening and to the end of the repeated reading is taken.
//
// r27ctl monitor --reconnect --csv against rm27sim --link: rm27sim is
// killed, r27ctl's CPU time (from /proc) is measured over the same stretch
// of waiting, rm27sim is started again, and the time to r27ctl's reopening
// and to its next CSV row is taken.
//
//   reconnect_bench [seconds of waiting, default 10] [runs of the return, default 3]
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "mainwindow/frm_main.h"
#include "sim/pty_server.h"
#include "ui/port_map.h"
#include "ui/qt_serial_line.h"

namespace {

double OwnCpuMs() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
}

// CPU time of another process: the sum over its threads of the time on a
// CPU from /proc/PID/task/TID/schedstat, in nanoseconds (the clock ticks of
// /proc/PID/stat are too coarse for a process that hardly runs).
double ProcessCpuMs(qint64 pid) {
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    double ns = 0;
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        std::ifstream in(
            (tasks + QLatin1Char('/') + tid + QStringLiteral("/schedstat")).toStdString());
        double onCpu = 0;
        if (in >> onCpu) ns += onCpu;
    }
    return ns / 1e6;
}

void RunEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

template <class Pred> bool RunEventsUntil(Pred pred, int limitMs) {
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < limitMs)
        RunEventsFor(5);
    return pred();
}

class QuietPrompter : public rm27::Prompter {
public:
    rm27::MessageAnswer message(const rm27::MessageBoxSpec&) override {
        return rm27::MessageAnswer::Ok;
    }
    std::string inputBox(const rm27::Text&, const rm27::Text&, const std::string&) override {
        return {};
    }
    bool showOpen(rm27::FileDialogSpec&) override { return false; }
    bool showSave(rm27::FileDialogSpec&) override { return false; }
    void clipboardClear() override {}
    void clipboardSetText(const std::string&) override {}
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

double Max(const std::vector<double>& v) {
    return v.empty() ? -1 : *std::max_element(v.begin(), v.end());
}

struct ReturnFigures {
    std::vector<double> reopenMs, readMs;
};

bool Serve(rm27::sim::PtyServer& server, const std::string& link) {
    std::string error;
    if (!server.open(&error) || !server.createLink(link, &error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return false;
    }
    server.start();
    return true;
}

bool ConnectAndRead(rm27::FrmMain& window) {
    window.Form_Load();
    window.findChild<QComboBox*>(QStringLiteral("cmbSelectPort"))->setCurrentIndex(0);
    window.findChild<QComboBox*>(QStringLiteral("cmbSelectAdr"))->setCurrentIndex(1);
    window.cmdConnect_Click();
    if (!window.serialLine().portOpen()) {
        std::fprintf(stderr, "the port did not open\n");
        return false;
    }
    window.cmdDevRead_Click();
    return true;
}

struct WaitingCpu {
    double on = -1, off = -1;
};

WaitingCpu MeasureWindowWaiting(QAction* reconnect, int seconds) {
    WaitingCpu cpu;
    RunEventsFor(1000); // the loss's own work done
    double before = OwnCpuMs();
    RunEventsFor(seconds * 1000);
    cpu.on = (OwnCpuMs() - before) / (seconds * 10.0);
    reconnect->setChecked(false);
    before = OwnCpuMs();
    RunEventsFor(seconds * 1000);
    cpu.off = (OwnCpuMs() - before) / (seconds * 10.0);
    reconnect->setChecked(true);
    return cpu;
}

bool TimeWindowReturn(rm27::FrmMain& window, rm27::sim::PtyServer& server, const std::string& link,
                      int run, ReturnFigures& back) {
    const auto* status = window.findChild<QLabel*>(QStringLiteral("lblStatus"));
    // Notes the reopening from inside the nested waits of the reading that
    // follows it at once.
    QElapsedTimer sinceBack;
    double reopenedMs = -1;
    QTimer probe;
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (reopenedMs < 0 && window.serialLine().portOpen())
            reopenedMs = static_cast<double>(sinceBack.nsecsElapsed()) / 1e6;
    });
    probe.start();
    sinceBack.start();
    if (!Serve(server, link)) return false;
    const bool read = RunEventsUntil(
        [&] { return status->text().contains(QStringLiteral("měření běží")); }, 20000);
    probe.stop();
    if (!read || reopenedMs < 0) {
        std::fprintf(stderr, "run %d: not back (%s)\n", run + 1, qPrintable(status->text()));
        return false;
    }
    back.reopenMs.push_back(reopenedMs);
    back.readMs.push_back(static_cast<double>(sinceBack.nsecsElapsed()) / 1e6);
    return true;
}

int WindowBench(int seconds, int runs) {
    QTemporaryDir dir;
    const std::string link = dir.filePath(QStringLiteral("rm27")).toStdString();
    rm27::sim::PtyServer server;
    server.bus().add({});
    if (!Serve(server, link)) return 1;

    rm27::PortMap ports;
    ports.setFixed(1, rm27::PortDevice{QString::fromStdString(link), QStringLiteral("rm27")});
    QuietPrompter prompter;
    rm27::FrmMainSetup setup;
    setup.ports = &ports;
    setup.prompter = &prompter;
    rm27::FrmMain window(setup);
    if (!ConnectAndRead(window)) return 1;
    auto* reconnect = window.findChild<QAction*>(QStringLiteral("mReconnect"));
    reconnect->setChecked(true);

    ReturnFigures back;
    WaitingCpu cpu;
    for (int run = 0; run < runs; ++run) {
        server.close();
        if (!RunEventsUntil([&] { return window.watchingForDevice(); }, 5000)) {
            std::fprintf(stderr, "the window did not start watching\n");
            return 1;
        }
        if (run == 0) {
            cpu = MeasureWindowWaiting(reconnect, seconds);
        } else {
            // back at a random point of the watch's second
            RunEventsFor(1000 + std::rand() % 1000);
        }
        if (!TimeWindowReturn(window, server, link, run, back)) return 1;
    }
    server.close();

    std::printf("window, waiting %d s for the device: CPU %.3f %% of a core with the watch, "
                "%.3f %% without\n",
                seconds, cpu.on, cpu.off);
    std::printf("window, device back (%d runs): reopened after %.0f ms median, %.0f ms max; "
                "read again after %.0f ms median, %.0f ms max\n",
                runs, Median(back.reopenMs), Max(back.reopenMs), Median(back.readMs),
                Max(back.readMs));
    return 0;
}

bool StartSim(QProcess& sim, const std::string& link) {
    sim.start(QStringLiteral(RM27SIM_PATH),
              {QStringLiteral("--link"), QString::fromStdString(link)});
    return sim.waitForReadyRead(10000); // its first line: the link is in place
}

// r27ctl monitor --reconnect --csv and all it has printed so far.
class CtlMonitor {
public:
    void start(const std::string& link) {
        ctl.start(QStringLiteral(R27CTL_PATH),
                  {QStringLiteral("--port"), QString::fromStdString(link),
                   QStringLiteral("monitor"), QStringLiteral("--reconnect"),
                   QStringLiteral("--csv")});
    }
    std::ptrdiff_t rows() {
        out += ctl.readAllStandardOutput().toStdString();
        err += ctl.readAllStandardError().toStdString();
        return std::count(out.begin(), out.end(), '\n') - 5;
    }
    template <class Pred> bool until(Pred pred, int limitMs) {
        QElapsedTimer t;
        t.start();
        while (!pred() && t.elapsed() < limitMs)
            ctl.waitForReadyRead(5);
        return pred();
    }
    QProcess ctl;
    std::string out, err;
};

bool TimeCtlReturn(CtlMonitor& m, std::unique_ptr<QProcess>& sim, const std::string& link,
                   ReturnFigures& back) {
    const long long rowsBefore = m.rows();
    m.err.clear();
    QElapsedTimer sinceBack;
    sim = std::make_unique<QProcess>();
    sinceBack.start();
    if (!StartSim(*sim, link)) return false;
    double reopened = -1;
    if (!m.until(
            [&] {
                const long long n = m.rows();
                if (reopened < 0 && m.err.find("znovu připojil") != std::string::npos)
                    reopened = static_cast<double>(sinceBack.nsecsElapsed()) / 1e6;
                return n > rowsBefore;
            },
            20000)) {
        std::fprintf(stderr, "r27ctl not back: %s\n", m.err.c_str());
        return false;
    }
    back.reopenMs.push_back(reopened);
    back.readMs.push_back(static_cast<double>(sinceBack.nsecsElapsed()) / 1e6);
    return true;
}

int CtlBench(int seconds, int runs) {
    QTemporaryDir dir;
    const std::string link = dir.filePath(QStringLiteral("rm27")).toStdString();
    auto sim = std::make_unique<QProcess>();
    if (!StartSim(*sim, link)) {
        std::fprintf(stderr, "rm27sim did not start\n");
        return 1;
    }
    CtlMonitor m;
    m.start(link);
    if (!m.until([&] { return m.rows() >= 2; }, 20000)) {
        std::fprintf(stderr, "no rows: %s\n", m.err.c_str());
        return 1;
    }
    ReturnFigures back;
    double cpu = -1;
    for (int run = 0; run < runs; ++run) {
        ::kill(static_cast<pid_t>(sim->processId()), SIGKILL);
        sim->waitForFinished();
        if (!m.until(
                [&] {
                    m.rows();
                    return m.err.find("Čekám na návrat portu") != std::string::npos;
                },
                5000)) {
            std::fprintf(stderr, "r27ctl did not start waiting: %s\n", m.err.c_str());
            return 1;
        }
        if (run == 0) {
            m.ctl.waitForFinished(1000);
            const double before = ProcessCpuMs(m.ctl.processId());
            m.ctl.waitForFinished(seconds * 1000);
            cpu = (ProcessCpuMs(m.ctl.processId()) - before) / (seconds * 10.0);
        } else {
            m.ctl.waitForFinished(1000 + std::rand() % 1000);
        }
        if (!TimeCtlReturn(m, sim, link, back)) return 1;
    }
    ::kill(static_cast<pid_t>(m.ctl.processId()), SIGTERM);
    m.ctl.waitForFinished(5000);
    sim->terminate();
    sim->waitForFinished(5000);

    std::printf("r27ctl monitor --reconnect, waiting %d s for the device: CPU %.3f %% of a core\n",
                seconds, cpu);
    std::printf("r27ctl, rm27sim back (%d runs): reopened after %.0f ms median, %.0f ms max; "
                "next CSV row after %.0f ms median, %.0f ms max\n",
                runs, Median(back.reopenMs), Max(back.reopenMs), Median(back.readMs),
                Max(back.readMs));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    // The switch is remembered: in a folder of the bench's own, never the
    // user's settings.
    QTemporaryDir config;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    QApplication app(argc, argv);
    std::srand(static_cast<unsigned>(::getpid()));
    if (WindowBench(seconds, runs) != 0) return 1;
    std::fflush(stdout);
    return CtlBench(seconds, runs);
}
