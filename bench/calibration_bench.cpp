// How close storing a calibration curve comes to the least time the
// protocol allows, and how responsive the window stays meanwhile.
//
// The real main window and calibration editor (offscreen unless a display is
// asked for) talk to rm27sim on a pseudo-terminal at 9600 baud through the
// Qt event pump. Each run opens the editor with "Změnit", puts a 9-point
// curve into it and presses "Uložit kalibraci"; the time runs from that
// click to the status "OK, měření spuštěno.".
//
// The bound: the prescribed waits (500 ms measurement stop, the block
// write's 200 ms settle, 500 ms after "X") plus, for every byte of the
// image, the "KW" frame and its echo on the wire (15 characters of 10 bits
// at 9600 baud) rounded up to the block write's 10 ms polls. The
// converter's turnaround and the editor's look at its result tag are not
// in it: the bound is the protocol's.
//
// Meanwhile a 10 ms single-shot timer is armed again each time it fires;
// its lateness against the 10 ms is the window's event latency during the
// write.
//
//   calibration_bench [runs]      (default 3)
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "calibration/editor/frm_qel_calibration.h"
#include "mainwindow/frm_main.h"
#include "ui/app_settings.h"
#include "ui/build_info.h"
#include "ui/port_map.h"

namespace {

constexpr double kCharMs = 10.0 * 1000.0 / 9600.0;
constexpr double kPollMs = 10.0;
constexpr double kKwChars = 12 + 3; // "$01KWbbiivv" + CR, echo "vv" + CR
constexpr double kStopMeasurementMs = 500.0;
constexpr double kBlockWriteSettleMs = 200.0;
constexpr double kRestartWaitMs = 500.0;
constexpr int kProbeMs = 10;
constexpr int kPoints = 9;

// Yes to every question, OK to every box; what was asked is kept for a
// failing run.
class YesPrompter final : public rm27::Prompter {
public:
    std::vector<std::string> texts;
    rm27::MessageAnswer message(const rm27::MessageBoxSpec& box) override {
        texts.push_back(box.text.czech());
        return box.buttons == rm27::MessageButtons::YesNo ? rm27::MessageAnswer::Yes
                                                          : rm27::MessageAnswer::Ok;
    }
    std::string inputBox(const rm27::Text&, const rm27::Text&, const std::string&) override {
        return {};
    }
    bool showOpen(rm27::FileDialogSpec&) override { return false; }
    bool showSave(rm27::FileDialogSpec&) override { return false; }
    void clipboardClear() override {}
    void clipboardSetText(const std::string&) override {}
};

// The main window with a clock on its status line.
class TimedWindow final : public rm27::FrmMain {
public:
    using FrmMain::FrmMain;
    QElapsedTimer clock;
    qint64 okAt = -1;
    void setStatus(const rm27::Text& text) override {
        FrmMain::setStatus(text);
        if (text.czech() == "OK, měření spuštěno." && okAt < 0) okAt = clock.nsecsElapsed();
    }
};

// Re-armed 10 ms single shots; lateness of each against its 10 ms.
class LatencyProbe final : public QObject {
public:
    std::vector<double> lateMs;
    void start() {
        running_ = true;
        arm();
    }
    void stop() { running_ = false; }

private:
    void arm() {
        armed_.start();
        QTimer::singleShot(kProbeMs, Qt::PreciseTimer, this, [this] {
            if (!running_) return;
            lateMs.push_back(static_cast<double>(armed_.nsecsElapsed()) / 1e6 - kProbeMs);
            arm();
        });
    }
    QElapsedTimer armed_;
    bool running_ = false;
};

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const auto k = static_cast<std::size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
    return v[std::min(k, v.size() - 1)];
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 == 1 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2.0;
}

// rm27sim names its pseudo-terminal on its first line.
bool StartSimulator(QProcess& sim, QString& pty) {
    sim.start(QStringLiteral(RM27SIM_PATH), {});
    if (!sim.waitForReadyRead(10000)) {
        std::fprintf(stderr, "calibration_bench: rm27sim did not start\n");
        return false;
    }
    pty = QString::fromLocal8Bit(sim.readLine()).trimmed();
    return true;
}

bool ConnectAndRead(TimedWindow& w) {
    w.Form_Load();
    w.show();
    w.findChild<QComboBox*>(QStringLiteral("cmbSelectPort"))->setCurrentIndex(0);
    w.cmdConnect_Click();
    w.cmdDevRead_Click();
    if (w.state().DeviceId.empty()) {
        std::fprintf(stderr, "calibration_bench: the converter was not read\n");
        return false;
    }
    return true;
}

struct StoreFigures {
    std::vector<double> elapsed;
    std::vector<double> late;
    std::size_t imageBytes = 0;
};

bool StoreCurve(TimedWindow& w, const YesPrompter& prompter, int r, StoreFigures& figures) {
    LatencyProbe probe;
    qint64 savedAt = -1;
    w.okAt = -1;
    w.clock.start();
    // Once the editor is up: a 9-point curve, then "Uložit kalibraci".
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* editor = w.calibrationEditorWindow();
        if (editor == nullptr || !editor->isVisible()) return;
        poll.stop();
        rm27::CalibrationEditorModel& m = editor->model();
        m.points.Clear();
        for (int k = 1; k <= kPoints; ++k) {
            m.points.slot(k) = {static_cast<float>(100 * (k - 1) + r),
                                0.25f * static_cast<float>(k - 1), rm27::kSlotUsed};
        }
        m.points.setCount(kPoints);
        editor->Push();
        probe.start();
        savedAt = w.clock.nsecsElapsed();
        editor->findChild<QPushButton*>(QStringLiteral("cmdAction_1"))->click();
    });
    poll.start();
    w.cmdChange_Click(0);
    probe.stop();
    if (savedAt < 0 || w.okAt < 0) {
        std::fprintf(stderr, "calibration_bench: run %d did not store the curve\n", r + 1);
        for (const std::string& t : prompter.texts)
            std::fprintf(stderr, "  %s\n", t.c_str());
        return false;
    }
    figures.elapsed.push_back(static_cast<double>(w.okAt - savedAt) / 1e6);
    // Only the ticks between the click and the end of the write count.
    const auto during = static_cast<std::size_t>(figures.elapsed.back() / kProbeMs);
    figures.late.insert(figures.late.end(), probe.lateMs.begin(),
                        probe.lateMs.begin() +
                            static_cast<std::ptrdiff_t>(std::min(during, probe.lateMs.size())));
    figures.imageBytes = 104 + 6 * kPoints;
    return true;
}

void Report(int runs, const StoreFigures& figures) {
    const std::vector<double>& elapsed = figures.elapsed;
    const std::vector<double>& late = figures.late;
    const std::size_t imageBytes = figures.imageBytes;
    const double perByteMs = std::ceil(kKwChars * kCharMs / kPollMs) * kPollMs;
    const double waitsMs = kStopMeasurementMs + kBlockWriteSettleMs + kRestartWaitMs;
    const double boundMs = waitsMs + static_cast<double>(imageBytes) * perByteMs;
    const double median = Median(elapsed);
    std::printf("storing a %d-point curve, \"Uložit kalibraci\" to \"OK, měření spuštěno.\", "
                "rm27sim at 9600 baud, %d runs\n",
                kPoints, runs);
    std::printf("  measured, median     %8.0f ms   (min %.0f, max %.0f)\n", median,
                *std::min_element(elapsed.begin(), elapsed.end()),
                *std::max_element(elapsed.begin(), elapsed.end()));
    std::printf("  protocol bound       %8.0f ms\n", boundMs);
    std::printf("    KW exchanges       %8.0f ms   (%zu bytes, %.1f ms on the wire each, %.0f ms "
                "with the polls)\n",
                static_cast<double>(imageBytes) * perByteMs, imageBytes, kKwChars * kCharMs,
                perByteMs);
    std::printf("    prescribed waits   %8.0f ms   (measurement stop, write settle, after X)\n",
                waitsMs);
    std::printf("  ratio                %8.3f   (target <= 1.10)\n", median / boundMs);
    std::printf("  window events during the write: %zu timer shots of %d ms\n", late.size(),
                kProbeMs);
    std::printf("    lateness p50 %.2f ms, p99 %.2f ms, max %.2f ms   (target p99 <= 20 ms)\n",
                Percentile(late, 0.50), Percentile(late, 0.99),
                late.empty() ? 0.0 : *std::max_element(late.begin(), late.end()));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The user's own settings and backups stay untouched.
    QTemporaryDir scratch;
    qputenv("XDG_DATA_HOME", scratch.filePath(QStringLiteral("data")).toLocal8Bit());
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch.path());

    QProcess sim;
    QString pty;
    if (!StartSimulator(sim, pty)) return 1;
    rm27::PortMap ports;
    ports.setFixed(1, rm27::PortDevice{pty, QStringLiteral("rm27sim")});
    rm27::AppSettings settings(QString::fromUtf8(rm27::build::kProgramTitle));
    settings.store().clear();
    YesPrompter prompter;
    rm27::FrmMainSetup setup;
    setup.commandLine = QStringLiteral("zirkon");
    setup.ports = &ports;
    setup.settings = &settings;
    setup.prompter = &prompter;
    TimedWindow w(setup);
    if (!ConnectAndRead(w)) return 1;

    StoreFigures figures;
    for (int r = 0; r < runs; ++r) {
        if (!StoreCurve(w, prompter, r, figures)) return 1;
    }
    sim.terminate();
    sim.waitForFinished(5000);
    Report(runs, figures);
    return 0;
}
