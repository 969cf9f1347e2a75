// How close `r27ctl read` comes to the least time the protocol allows.
//
// Runs r27ctl against rm27sim on a pseudo-terminal at 9600 baud a few times
// and takes the median wall time of the whole process (start-up, port open,
// the read, exit). The bound is computed from the frames of one run, logged
// with --log-frames: every character sent and received takes 10 bits at
// 9600 baud, each polled exchange ends at the next 10 ms poll after its
// answer is complete, and the read's fixed waits come on top (the 500 ms
// measurement stop before the read, the 100 ms after "KQ", the 100 ms after
// "OK."). The converter's own turnaround is not counted: the bound is the
// protocol's, not the simulator's.
//
//   ctl_bench [runs]      (default 5)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kCharMs = 10.0 * 1000.0 / 9600.0;
constexpr double kPollMs = 10.0;
constexpr double kStopMeasurementMs = 500.0;
constexpr double kPresenceWaitMs = 100.0; // "KQ" is read after a fixed wait, not polled
constexpr double kAfterReadMs = 100.0;    // after "OK."

// "$01ER05\r" as the wire log escapes it: \r, \n, \xHH.
std::string Unescape(const QString& text) {
    const std::string s = text.toStdString();
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 >= s.size()) {
            out += s[i];
        } else if (s[i + 1] == 'r') {
            out += '\r';
            ++i;
        } else if (s[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else if (s[i + 1] == 'x' && i + 3 < s.size()) {
            out += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

struct Exchange {
    std::string sent;
    std::size_t received = 0;
};

std::vector<Exchange> Exchanges(const QString& log) {
    static const QRegularExpression line(QStringLiteral("rm27\\.wire: \\d+ (TX|RX) (.*)$"));
    std::vector<Exchange> out;
    for (const QString& l : log.split(QLatin1Char('\n'))) {
        const auto m = line.match(l);
        if (!m.hasMatch()) continue;
        const std::string text = Unescape(m.captured(2));
        if (m.captured(1) == QLatin1String("TX"))
            out.push_back({text, 0});
        else if (!out.empty())
            out.back().received += text.size();
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    QProcess sim;
    sim.start(QStringLiteral(RM27SIM_PATH), {});
    if (!sim.waitForReadyRead(10000)) {
        std::fprintf(stderr, "ctl_bench: rm27sim did not start\n");
        return 1;
    }
    const QString pty = QString::fromLocal8Bit(sim.readLine()).trimmed();

    std::vector<double> times;
    QString log;
    for (int r = 0; r < runs; ++r) {
        QProcess ctl;
        QElapsedTimer clock;
        clock.start();
        ctl.start(QStringLiteral(R27CTL_PATH),
                  {QStringLiteral("--port"), pty, QStringLiteral("--log-frames"),
                   QStringLiteral("read")});
        if (!ctl.waitForFinished(60000) || ctl.exitCode() != 0) {
            std::fprintf(stderr, "ctl_bench: r27ctl read failed:\n%s\n",
                         ctl.readAllStandardError().constData());
            return 1;
        }
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        log = QString::fromUtf8(ctl.readAllStandardError());
    }
    sim.terminate();
    sim.waitForFinished(5000);

    double wireMs = 0.0, roundingMs = 0.0, fixedMs = kStopMeasurementMs + kAfterReadMs;
    std::size_t chars = 0;
    const std::vector<Exchange> exchanges = Exchanges(log);
    for (const Exchange& e : exchanges) {
        const double wire = static_cast<double>(e.sent.size() + e.received) * kCharMs;
        chars += e.sent.size() + e.received;
        wireMs += wire;
        if (e.sent.find("KQ") != std::string::npos) {
            fixedMs += kPresenceWaitMs - wire; // the wait covers the exchange
        } else {
            roundingMs += std::ceil(wire / kPollMs) * kPollMs - wire;
        }
    }
    const double boundMs = wireMs + roundingMs + fixedMs;

    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted.size() % 2 == 1
                              ? sorted[sorted.size() / 2]
                              : (sorted[sorted.size() / 2 - 1] + sorted[sorted.size() / 2]) / 2.0;

    std::printf("r27ctl read against rm27sim at 9600 baud, %d runs (whole process)\n", runs);
    std::printf("  measured, median     %8.0f ms   (min %.0f, max %.0f)\n", median, sorted.front(),
                sorted.back());
    std::printf("  protocol bound       %8.0f ms\n", boundMs);
    std::printf("    on the wire        %8.0f ms   (%zu exchanges, %zu characters)\n", wireMs,
                exchanges.size(), chars);
    std::printf("    to the 10 ms polls %8.0f ms\n", roundingMs);
    std::printf("    prescribed waits   %8.0f ms   (measurement stop, after KQ, after OK.)\n",
                fixedMs);
    std::printf("  ratio                %8.3f\n", median / boundMs);
    return 0;
}
