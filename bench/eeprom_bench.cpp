// How close the EEPROM image commands come to the least time the protocol
// allows, on a real pseudo-terminal against rm27sim at 9600 baud, with the
// program's own serial line and event loop.
//
// The save ("mSaveEE") reads locations 0..255 with "ER": each is an 8-
// character request and a 3-character answer on the wire (10 bits a
// character), found by the first 10 ms poll after it is complete. The load
// ("mLoadEE") of the 256-line file just saved waits its prescribed 2 x
// 100 ms per line. Both stop the measurement first (500 ms). The
// converter's own turnaround is not counted: the bound is the protocol's.
//
//   eeprom_bench [runs]      (default 1; a load takes about 52 s)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "maintenance/eeprom.h"
#include "reading/operations.h"
#include "session/operations.h"
#include "ui/port_map.h"
#include "ui/qt_event_pump.h"
#include "ui/qt_serial_line.h"

namespace {

using namespace rm27;

constexpr double kCharMs = 10.0 * 1000.0 / 9600.0;
constexpr double kPollMs = 10.0;
constexpr double kStopMs = 500.0;
constexpr double kQuickWriteMs = 2 * 100.0;

// The user of a benchmark: says Yes, picks the file it is told, shows
// nothing.
class Operator final : public MainView, public Prompter {
public:
    std::string file;
    void setStatus(const Text&) override {}
    void setProgress(const Progress&) override {}
    void setCaption(const std::string&, const Text&) override {}
    void setControlEnabled(const std::string&, bool) override {}
    void setControlVisible(const std::string&, bool) override {}
    void setInputRowColor(int, std::uint32_t) override {}
    void setControlColor(const std::string&, std::uint32_t) override {}
    void setComboRows(const std::string&, const std::vector<std::string>&, int) override {}
    void clearList(const std::string&) override {}
    void addListItem(const std::string&, const Text&) override {}
    void setMeasurementTimer(bool on) override { timer_ = on; }
    bool measurementTimerEnabled() const override { return timer_; }
    MessageAnswer message(const MessageBoxSpec& box) override {
        if (box.buttons == MessageButtons::YesNo) return MessageAnswer::Yes;
        if (box.icon == MessageIcon::Critical || box.icon == MessageIcon::Exclamation)
            std::fprintf(stderr, "eeprom_bench: %s\n", box.text.czech().c_str());
        return MessageAnswer::Ok;
    }
    std::string inputBox(const rm27::Text&, const rm27::Text&, const std::string&) override {
        return {};
    }
    bool showOpen(FileDialogSpec& d) override { return take(d); }
    bool showSave(FileDialogSpec& d) override { return take(d); }
    void clipboardClear() override {}
    void clipboardSetText(const std::string&) override {}

private:
    bool take(FileDialogSpec& d) {
        d.fileName = file;
        return true;
    }
    bool timer_ = false;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 == 1 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2.0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;

    QProcess sim;
    sim.start(QStringLiteral(RM27SIM_PATH), {});
    if (!sim.waitForReadyRead(10000)) {
        std::fprintf(stderr, "eeprom_bench: rm27sim did not start\n");
        return 1;
    }
    PortMap ports;
    ports.setFixed(
        1, PortDevice{QString::fromLocal8Bit(sim.readLine()).trimmed(), QStringLiteral("rm27sim")});
    QtSerialLine line(ports);
    if (!line.openPort(1)) {
        std::fprintf(stderr, "eeprom_bench: cannot open the simulator's terminal\n");
        return 1;
    }
    QtEventPump pump;
    Operator user;
    Session session(line, pump, user, user);
    QTemporaryDir dir;
    user.file = dir.filePath(QStringLiteral("bench.eep")).toStdString();

    std::vector<double> saves;
    std::vector<double> loads;
    bool ok = true;
    session.run([&](Operations& ops) {
        if (!DevRead(ops, 0)) {
            ok = false;
            return;
        }
        for (int r = 0; r < runs && ok; ++r) {
            QElapsedTimer clock;
            clock.start();
            ok = SaveEeprom(ops) == ResultCode::Ok;
            saves.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            clock.restart();
            ok = ok && LoadEeprom(ops) == ResultCode::Ok;
            loads.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
    });
    line.setPortOpen(false);
    sim.terminate();
    sim.waitForFinished(5000);
    if (!ok) {
        std::fprintf(stderr, "eeprom_bench: the commands failed\n");
        return 1;
    }

    const double readWire = (8 + 3) * kCharMs;
    const double perRead = std::ceil(readWire / kPollMs) * kPollMs;
    const double saveBound = kStopMs + kEepromSize * perRead;
    const double loadBound = kStopMs + kEepromSize * kQuickWriteMs;
    const double save = Median(saves);
    const double load = Median(loads);
    std::printf("EEPROM image files against rm27sim at 9600 baud, %d run(s), median\n", runs);
    std::printf("  save, 256 \"ER\" reads   %8.0f ms   bound %8.0f ms   ratio %.3f\n", save,
                saveBound, save / saveBound);
    std::printf("    per read: wire %.1f ms, to the next 10 ms poll %.0f ms; stop 500 ms\n",
                readWire, perRead);
    std::printf("  load, 256 lines         %8.0f ms   bound %8.0f ms   ratio %.3f\n", load,
                loadBound, load / loadBound);
    std::printf("    per line: 2 x 100 ms prescribed; stop 500 ms\n");
    return 0;
}
