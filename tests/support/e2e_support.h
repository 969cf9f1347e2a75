// The end-to-end tests' tools: r27ctl run as a process, and rm27sim serving
// simulated converters on a pseudo-terminal for as long as the object
// lives. The test target defines R27CTL_PATH and RM27SIM_PATH.
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace rm27::test {

inline QStringList Args(const std::vector<std::string>& words) {
    QStringList list;
    for (const std::string& w : words)
        list << QString::fromStdString(w);
    return list;
}

struct Result {
    int status = -1; // exit status; -1 when it did not end in time
    std::string out, err;
    std::vector<std::string> lines() const {
        std::vector<std::string> l;
        std::istringstream in(out);
        for (std::string s; std::getline(in, s);)
            l.push_back(s);
        return l;
    }
};

// limitMs: a safety bound, long enough for what the command must wait.
inline Result RunCtl(const std::vector<std::string>& args, int limitMs = 30000) {
    QProcess ctl;
    ctl.start(QStringLiteral(R27CTL_PATH), Args(args));
    Result r;
    if (ctl.waitForFinished(limitMs) && ctl.exitStatus() == QProcess::NormalExit) {
        r.status = ctl.exitCode();
    } else {
        ctl.kill();
        ctl.waitForFinished();
    }
    r.out = ctl.readAllStandardOutput().toStdString();
    r.err = ctl.readAllStandardError().toStdString();
    return r;
}

// What rm27sim --dump wrote: per converter its memory and its blocks, as
// byte strings (one character per byte).
struct SimConverterState {
    int address = 0;
    std::string memory;
    std::map<int, std::string> blocks;
};

inline std::string FromHex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

// rm27sim with the given options for as long as the object lives; its
// first line is the terminal to open. state() asks it for a dump of every
// converter's memory and blocks.
class Simulator {
public:
    explicit Simulator(std::vector<std::string> options) {
        dump_ = dir_.filePath(QStringLiteral("state.txt")).toStdString();
        options.push_back("--dump");
        options.push_back(dump_);
        sim_.start(QStringLiteral(RM27SIM_PATH), Args(options));
        if (sim_.waitForReadyRead(10000)) pty_ = sim_.readLine().trimmed().toStdString();
    }
    ~Simulator() {
        sim_.terminate();
        if (!sim_.waitForFinished(5000)) sim_.kill();
    }
    const std::string& pty() const { return pty_; }
    qint64 pid() const { return sim_.processId(); }

    // Every converter's state now (empty when the simulator did not answer).
    std::vector<SimConverterState> state() {
        QFile::remove(QString::fromStdString(dump_));
        ::kill(static_cast<pid_t>(sim_.processId()), SIGUSR1);
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(QString::fromStdString(dump_)) && waited.elapsed() < 5000)
            QThread::msleep(10);
        std::vector<SimConverterState> out;
        std::ifstream in(dump_);
        for (std::string word; in >> word;) {
            if (word == "converter") {
                out.emplace_back();
                in >> out.back().address;
            } else if (word == "memory" && !out.empty()) {
                std::string hex;
                in >> hex;
                out.back().memory = FromHex(hex);
            } else if (word == "block" && !out.empty()) {
                int number = 0;
                std::string hex;
                in >> number >> hex;
                out.back().blocks[number] = FromHex(hex);
            }
        }
        return out;
    }

private:
    QTemporaryDir dir_;
    QProcess sim_;
    std::string pty_;
    std::string dump_;
};

} // namespace rm27::test
