// End to end in real time: r27ctl monitor --reconnect keeps writing its CSV
// file while rm27sim is killed and started again under the same link (an
// adapter pulled and plugged in again), r27ctl's port error names the
// group to join when the user may not open the port and the program that
// holds it when another one does, and that program's lock goes with it.
// Every deadline here is a safety bound, never a measurement.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/access_denied.h"
#include "support/e2e_support.h"
#include "support/qt_environment.h"
#include "ui/port_access.h"

namespace rm27 {
namespace {

using test::Simulator;

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtEnvironment("test_e2e_reconnect"));

std::vector<std::string> FileLines(const QString& path) {
    QFile file(path);
    std::vector<std::string> lines;
    if (!file.open(QIODevice::ReadOnly)) return lines;
    std::istringstream in(file.readAll().toStdString());
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

int Rows(const std::vector<std::string>& lines) {
    int n = 0;
    for (const std::string& l : lines)
        n += !l.empty() && l[0] >= '0' && l[0] <= '9';
    return n;
}

// Lets the process run until pred() holds or limitMs has passed.
template <class Pred> bool WaitUntil(QProcess& p, Pred pred, int limitMs) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > limitMs || p.state() == QProcess::NotRunning) return pred();
        p.waitForReadyRead(50);
    }
    return true;
}

TEST(CtlReconnectEndToEnd, MonitorCsvGoesOnAcrossAKilledAndRestartedSimulator) {
    QTemporaryDir dir;
    const std::string link = dir.filePath(QStringLiteral("rm27")).toStdString();
    const QString csv = dir.filePath(QStringLiteral("values.csv"));
    auto sim = std::make_unique<Simulator>(std::vector<std::string>{"--link", link});
    ASSERT_FALSE(sim->pty().empty());

    QProcess ctl;
    ctl.setStandardOutputFile(csv);
    ctl.start(QStringLiteral(R27CTL_PATH),
              test::Args({"--port", link, "monitor", "--reconnect", "--csv"}));
    ASSERT_TRUE(ctl.waitForStarted(5000));
    std::string err;
    const auto grab = [&] { err += ctl.readAllStandardError().toStdString(); };
    ASSERT_TRUE(WaitUntil(
        ctl, [&] { return Rows(FileLines(csv)) >= 3; }, 20000));
    const int rowsBefore = Rows(FileLines(csv));

    // The adapter is pulled: the simulator dies and leaves its link dangling.
    ::kill(static_cast<pid_t>(sim->pid()), SIGKILL);
    sim.reset();
    ASSERT_TRUE(WaitUntil(
        ctl,
        [&] {
            grab();
            return err.find("Čekám na návrat portu " + link + " ...") != std::string::npos;
        },
        5000))
        << err;
    const int rowsWhileAway = Rows(FileLines(csv));
    ctl.waitForFinished(2000); // away for a while (the monitor must not end)
    ASSERT_EQ(ctl.state(), QProcess::Running);

    sim = std::make_unique<Simulator>(std::vector<std::string>{"--link", link});
    ASSERT_TRUE(WaitUntil(
        ctl, [&] { return Rows(FileLines(csv)) >= rowsWhileAway + 3; }, 20000))
        << err;
    ::kill(static_cast<pid_t>(ctl.processId()), SIGTERM);
    ASSERT_TRUE(ctl.waitForFinished(5000));
    grab();
    EXPECT_EQ(ctl.exitCode(), 0) << err;

    const auto lines = FileLines(csv);
    int converters = 0, names = 0;
    for (const std::string& l : lines) {
        converters += l.rfind("converter,", 0) == 0;
        names += l.rfind("time,", 0) == 0;
    }
    EXPECT_EQ(converters, 1); // one header, however many reconnections
    EXPECT_EQ(names, 1);
    ASSERT_GE(lines.size(), 5u + static_cast<std::size_t>(rowsWhileAway) + 3u);
    EXPECT_GE(rowsWhileAway, rowsBefore);
    // Rows after the gap, in the same columns, stamped with the time away.
    std::vector<qint64> stamps;
    for (std::size_t i = 5; i < lines.size(); ++i) {
        EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), ','), 12) << lines[i];
        const QDateTime t = QDateTime::fromString(QString::fromStdString(lines[i].substr(0, 23)),
                                                  Qt::ISODateWithMs);
        ASSERT_TRUE(t.isValid()) << lines[i];
        stamps.push_back(t.toMSecsSinceEpoch());
    }
    const auto gap = stamps[static_cast<std::size_t>(rowsWhileAway)] -
                     stamps[static_cast<std::size_t>(rowsWhileAway) - 1];
    EXPECT_GT(gap, 2000);
    EXPECT_EQ(err.rfind("Komunikační port byl uzavřen: ", 0), 0u) << err;
    EXPECT_NE(err.find("Převodník se znovu připojil, načítám ..."), std::string::npos) << err;
}

TEST(PortPermissionEndToEnd, PortErrorNamesTheGroupToJoin) {
    QTemporaryDir dir;
    const std::string device = dir.filePath(QStringLiteral("ttyUSB7")).toStdString();
    ASSERT_TRUE(test::MakeDeniedFile(device));
    QProcess ctl;
    // As root, the program runs without the capabilities that skip the
    // permission bits; anyone else meets the file's bits as they are.
    ctl.setChildProcessModifier([] { test::DropDacOverrideForExec(); });
    ctl.start(QStringLiteral(R27CTL_PATH), test::Args({"--port", device, "read"}));
    ASSERT_TRUE(ctl.waitForFinished(10000));
    EXPECT_EQ(ctl.exitCode(), 3);
    std::istringstream err(ctl.readAllStandardError().toStdString());
    std::string first, hint;
    std::getline(err, first);
    std::getline(err, hint);
    EXPECT_EQ(first.rfind("Nelze otevřít komunikační port (" + device + ": ", 0), 0u) << first;
    if (test::RunningAsRoot()) {
        const std::string group = test::DeniedGroup();
        EXPECT_EQ(hint, "Port " + device + " smí používat jen členové skupiny „" + group +
                            "“: přidejte uživatele root do skupiny (sudo usermod -aG " + group +
                            " root) a přihlaste se znovu.");
    } else {
        EXPECT_EQ(hint.rfind("Uživatel ", 0), 0u) << hint;
    }
    EXPECT_TRUE(ctl.readAllStandardOutput().isEmpty());
}

TEST(PortInUseEndToEnd, TheSecondProgramHearsWhoHoldsThePortUntilASignalEndsIt) {
    Simulator sim({});
    ASSERT_FALSE(sim.pty().empty());
    const QString lock = SerialLockFile(QString::fromStdString(sim.pty()));
    QProcess monitor;
    monitor.start(QStringLiteral(R27CTL_PATH), test::Args({"--port", sim.pty(), "monitor"}));
    ASSERT_TRUE(monitor.waitForReadyRead(15000)); // a row: the port is open
    EXPECT_TRUE(QFile::exists(lock)) << lock.toStdString();

    const test::Result second = test::RunCtl({"--port", sim.pty(), "read"});
    EXPECT_EQ(second.status, 3);
    EXPECT_NE(second.err.find("\nCOM1 (" + sim.pty() + ") používá jiný program: r27ctl, PID " +
                              std::to_string(monitor.processId()) + "\n"),
              std::string::npos)
        << second.err;

    monitor.terminate();
    ASSERT_TRUE(monitor.waitForFinished(5000));
    EXPECT_EQ(monitor.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(monitor.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(lock));

    // `| head -2`: the reader leaves, the monitor ends quietly, the lock
    // goes with it.
    QProcess shell;
    shell.start(QStringLiteral("bash"),
                {QStringLiteral("-o"), QStringLiteral("pipefail"), QStringLiteral("-c"),
                 QStringLiteral("\"$0\" --port \"$1\" monitor | head -2"),
                 QStringLiteral(R27CTL_PATH), QString::fromStdString(sim.pty())});
    ASSERT_TRUE(shell.waitForFinished(20000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    EXPECT_EQ(shell.readAllStandardOutput().count('\n'), 2);
    EXPECT_TRUE(shell.readAllStandardError().isEmpty());
    EXPECT_FALSE(QFile::exists(lock));
}

} // namespace
} // namespace rm27
