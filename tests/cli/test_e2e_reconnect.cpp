// End to end in real time: r27ctl's port error names the group to join
// when the user may not open the port and the program that holds it when
// another one does, and that program's lock goes with it.
// Every deadline here is a safety bound, never a measurement.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
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
