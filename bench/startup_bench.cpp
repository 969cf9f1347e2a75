// Time from starting the program to its main window on screen: the parent
// starts a copy of itself that builds the real window and says when the
// window is exposed. Not a test: it prints figures for docs/benchmarks.md.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QEvent>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "mainwindow/frm_main.h"
#include "ui/port_map.h"

namespace {

// Says "shown" on the first paint of the window: the start-up goes on in
// nested waits after that, so waiting for exposure from outside would count
// them too.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QElapsedTimer& clock) : clock_(clock) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Paint) {
            done_ = true;
            std::printf("shown after %lld ms in the program\n", clock_.elapsed());
            std::fflush(stdout);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QElapsedTimer& clock_;
    bool done_ = false;
};

int Child(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    rm27::PortMap ports;
    rm27::FrmMainSetup setup;
    setup.ports = &ports;
    rm27::FrmMain window(setup);
    FirstPaint watch(clock);
    window.installEventFilter(&watch);
    window.Form_Load();
    window.show();
    QTest::qWait(1000);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) return Child(argc, argv);

    QCoreApplication app(argc, argv);
    QTemporaryDir config; // the child's settings stay out of the user's own
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        child.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        while (!child.canReadLine() && child.state() != QProcess::NotRunning) {
            child.waitForReadyRead(10000);
        }
        const QByteArray line = child.readLine();
        const bool shown = line.startsWith("shown");
        if (i == 0) std::printf("first run: %s", line.constData());
        const double elapsed = static_cast<double>(t.nsecsElapsed()) / 1e6;
        child.kill();
        child.waitForFinished();
        if (!shown) {
            std::fprintf(stderr, "the window did not show\n");
            return 1;
        }
        ms.push_back(elapsed);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("start to window shown, %d runs: median %.0f ms, best %.0f ms\n", runs,
                ms[ms.size() / 2], ms.front());
    return 0;
}
