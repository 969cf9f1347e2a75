// How fast the program lets go when it must: "Ukončit" in the middle of a
// command (wall time and CPU time from the click to the end of the process),
// and a line lost in the middle of a read (time to the closed state, and
// until the read has unwound). Runs the real window on the built-in
// simulated converter, offscreen. Not a test: it prints figures.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/simulator_host.h"
#include "mainwindow/frm_main.h"
#include "ui/port_map.h"
#include "ui/qt_serial_line.h"

namespace {

double MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double CpuMs(const timeval& user, const timeval& sys) {
    return static_cast<double>(user.tv_sec + sys.tv_sec) * 1e3 +
           static_cast<double>(user.tv_usec + sys.tv_usec) / 1e3;
}

double OwnCpuMs() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return CpuMs(ru.ru_utime, ru.ru_stime);
}

// Boxes answered at once: the figures must not wait for a user.
class QuietPrompter : public rm27::Prompter {
public:
    int shown = 0;
    rm27::MessageAnswer message(const rm27::MessageBoxSpec&) override {
        ++shown;
        return rm27::MessageAnswer::No;
    }
    std::string inputBox(const rm27::Text&, const rm27::Text&, const std::string&) override {
        return {};
    }
    bool showOpen(rm27::FileDialogSpec&) override { return false; }
    bool showSave(rm27::FileDialogSpec&) override { return false; }
    void clipboardClear() override {}
    void clipboardSetText(const std::string&) override {}
};

// The window on the simulator, connected; the read of address `address`
// starts as soon as the event loop runs.
struct Rig {
    rm27::PortMap ports;
    rm27::SimulatorHost simulator;
    QuietPrompter prompter;
    std::unique_ptr<rm27::FrmMain> window;

    bool start(int address) {
        QString error;
        if (!simulator.start(&error)) {
            std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
            return false;
        }
        ports.setFixed(1, rm27::PortDevice{simulator.devicePath(), QStringLiteral("simulator")});
        rm27::FrmMainSetup setup;
        setup.ports = &ports;
        setup.prompter = &prompter;
        window = std::make_unique<rm27::FrmMain>(setup);
        window->Form_Load();
        window->findChild<QComboBox*>(QStringLiteral("cmbSelectPort"))->setCurrentIndex(0);
        window->cmdConnect_Click();
        if (!window->serialLine().portOpen()) return false;
        window->findChild<QComboBox*>(QStringLiteral("cmbSelectAdr"))->setCurrentIndex(address);
        QTimer::singleShot(0, window.get(), [w = window.get()] { w->cmdDevRead_Click(); });
        return true;
    }
};

// Child: a read at an address where nobody answers (four 1.2 s time-outs
// per request), "Ukončit" 1.5 s into it. Writes the click's time and the
// CPU used until then to fd, then runs to the end of the process.
int ExitChild(int argc, char** argv, int fd) {
    QApplication app(argc, argv);
    Rig rig;
    if (!rig.start(5)) return 2;
    QTimer::singleShot(1500, rig.window.get(), [&] {
        const double mark[2] = {MonotonicMs(), OwnCpuMs()};
        if (::write(fd, mark, sizeof mark) != static_cast<ssize_t>(sizeof mark)) std::abort();
        rig.window->findChild<QAction*>(QStringLiteral("mExit"))->trigger();
    });
    const int rc = app.exec();
    rig.window.reset();
    rig.simulator.stop();
    return rc;
}

struct ExitFigures {
    double wallMs = -1;
    double cpuMs = -1;
};

ExitFigures MeasureExit(const char* self) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        char arg0[] = "exit_bench";
        char* args[] = {arg0, nullptr};
        int argc = 1;
        (void)self;
        std::_Exit(ExitChild(argc, args, pipeFds[1]));
    }
    ::close(pipeFds[1]);
    double mark[2] = {0, 0};
    const bool marked = ::read(pipeFds[0], mark, sizeof mark) == static_cast<ssize_t>(sizeof mark);
    int status = 0;
    rusage ru{};
    ::wait4(child, &status, 0, &ru);
    const double end = MonotonicMs();
    ::close(pipeFds[0]);
    if (!marked || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return {end - mark[0], CpuMs(ru.ru_utime, ru.ru_stime) - mark[1]};
}

struct LossFigures {
    double closedMs = -1;  // from the loss to the window's closed state
    double unwoundMs = -1; // from the loss to the end of the read's command
};

// A read of the simulated converter; the simulator goes away 0.6 s into it.
LossFigures MeasureLoss() {
    Rig rig;
    if (!rig.start(1)) return {};
    LossFigures f;
    QElapsedTimer sinceLoss;
    auto* connect = rig.window->findChild<QPushButton*>(QStringLiteral("cmdConnect"));
    // Queued after the window's own handler of the loss: the state it shows.
    QObject::connect(
        &rig.window->serialLine(), &rm27::QtSerialLine::lineLost, rig.window.get(),
        [&] {
            if (connect->text() == QStringLiteral("Připojit"))
                f.closedMs = static_cast<double>(sinceLoss.nsecsElapsed()) / 1e6;
        },
        Qt::QueuedConnection);
    QObject::connect(rig.window.get(), &rm27::FrmMain::busyChanged, [&](bool busy) {
        if (!busy && sinceLoss.isValid() && f.unwoundMs < 0)
            f.unwoundMs = static_cast<double>(sinceLoss.nsecsElapsed()) / 1e6;
    });
    QTimer::singleShot(600, rig.window.get(), [&] {
        sinceLoss.start();
        rig.simulator.stop();
    });
    QElapsedTimer bound;
    bound.start();
    while ((f.closedMs < 0 || f.unwoundMs < 0) && bound.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return f;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        const ExitFigures e = MeasureExit(argv[0]);
        if (e.wallMs < 0) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        wall.push_back(e.wallMs);
        cpu.push_back(e.cpuMs);
    }
    std::fflush(stdout);
    std::printf("Ukončit during a read (%d runs): to process exit %.1f ms median, %.1f ms max; "
                "CPU %.1f ms median, %.1f ms max\n",
                runs, Median(wall), *std::max_element(wall.begin(), wall.end()), Median(cpu),
                *std::max_element(cpu.begin(), cpu.end()));

    QApplication app(argc, argv);
    std::vector<double> closed, unwound;
    for (int i = 0; i < runs; ++i) {
        const LossFigures l = MeasureLoss();
        if (l.closedMs < 0 || l.unwoundMs < 0) {
            std::fprintf(stderr, "loss run %d failed\n", i + 1);
            return 1;
        }
        closed.push_back(l.closedMs);
        unwound.push_back(l.unwoundMs);
    }
    std::printf("Line lost during a read (%d runs): closed state after %.1f ms median (%.1f max), "
                "read unwound after %.1f ms median (%.1f max)\n",
                runs, Median(closed), *std::max_element(closed.begin(), closed.end()),
                Median(unwound), *std::max_element(unwound.begin(), unwound.end()));
    return 0;
}
