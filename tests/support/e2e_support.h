// The end-to-end tests' tools: r27ctl run as a process, and rm27sim serving
// simulated converters on a pseudo-terminal for as long as the object
// lives. The test target defines R27CTL_PATH and RM27SIM_PATH.
#pragma once

#include <QProcess>
#include <QStringList>

#include "support/words.h"

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
    std::vector<std::string> lines() const { return Lines(out); }
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

// rm27sim with the given options for as long as the object lives; its
// first line is the terminal to open.
class Simulator {
public:
    explicit Simulator(const std::vector<std::string>& options) {
        sim_.start(QStringLiteral(RM27SIM_PATH), Args(options));
        if (sim_.waitForReadyRead(10000)) pty_ = sim_.readLine().trimmed().toStdString();
    }
    ~Simulator() {
        sim_.terminate();
        if (!sim_.waitForFinished(5000)) sim_.kill();
    }
    const std::string& pty() const { return pty_; }
    qint64 pid() const { return sim_.processId(); }

private:
    QProcess sim_;
    std::string pty_;
};

} // namespace rm27::test
