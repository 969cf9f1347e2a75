// The smoke suite: the programs as built, over a real pseudo-terminal that
// rm27sim serves in real time at 9600 baud. The rules themselves are tested
// on virtual time; this proves the pieces meet: a read, a monitor, one
// write, a lost line, and the port's permissions and lock. Every deadline
// here is a safety bound, never a measurement.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <sstream>
#include <string>
#include <vector>

#include "support/access_denied.h"
#include "support/e2e_support.h"
#include "support/qt_environment.h"
#include "ui/port_access.h"

namespace rm27 {
namespace {

using test::Result;
using test::RunCtl;
using test::Simulator;

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtEnvironment("test_e2e"));

QJsonObject ReadJson(const Simulator& sim, const std::string& address) {
    const Result r = RunCtl({"--port", sim.pty(), "--address", address, "read", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    QJsonParseError error{};
    const QJsonObject o =
        QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out;
    return o;
}

TEST(Smoke, ReadAndMonitor) {
    Simulator sim({"--address", "3", "--ekeys", "0x01"});
    ASSERT_FALSE(sim.pty().empty());
    const QJsonObject o = ReadJson(sim, "3");
    EXPECT_EQ(o["id"].toString().mid(4, 4), QStringLiteral("RM27"));
    EXPECT_EQ(o["address"].toInt(), 3);
    const QJsonArray inputs = o["inputs"].toArray();
    ASSERT_EQ(inputs.size(), 4);
    EXPECT_EQ(inputs[0].toObject()["source"].toString(), QStringLiteral("eKey"));
    EXPECT_EQ(inputs[1].toObject()["source"].toString(), QStringLiteral("Internal"));

    const Result r =
        RunCtl({"--port", sim.pty(), "--address", "3", "monitor", "--count", "3", "--csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = r.lines();
    ASSERT_EQ(lines.size(), 6u + 3u) << r.out;
    EXPECT_EQ(lines[5].rfind("time,raw_1,mvv_1,value_1,raw_2", 0), 0u) << lines[5];
    for (std::size_t i = 6; i < lines.size(); ++i) {
        std::vector<std::string> fields;
        std::istringstream in(lines[i]);
        for (std::string f; std::getline(in, f, ',');)
            fields.push_back(f);
        ASSERT_EQ(fields.size(), 13u) << lines[i];
        // the simulator applies 0.5, 1.0, 1.5 and 2.0 mV/V
        for (int input = 0; input < 4; ++input)
            EXPECT_NEAR(std::stod(fields[3 * input + 2]), 0.5 * (input + 1), 0.002) << lines[i];
    }
}

// The default simulator's input 1 sits at 0.5 mV/V, 1 000 000 divisions
// above the zero of 8 388 608.
TEST(Smoke, AWriteLandsAndTheNextReadShowsIt) {
    Simulator sim({});
    ASSERT_FALSE(sim.pty().empty());
    const Result r = RunCtl({"--port", sim.pty(), "zero", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("input 1: Q 8388608 -> ", 0), 0u) << r.out;
    const double q = ReadJson(sim, "0")["Q"].toArray()[0].toDouble();
    EXPECT_NEAR(q, 9388608, 10);
}

TEST(Smoke, ALostLineEndsTheReadAndSaysSo) {
    Simulator sim({});
    QProcess ctl;
    ctl.start(QStringLiteral(R27CTL_PATH), test::Args({"--port", sim.pty(), "read"}));
    ASSERT_TRUE(ctl.waitForStarted(5000));
    ASSERT_FALSE(ctl.waitForFinished(600)); // well into the read
    ::kill(static_cast<pid_t>(sim.pid()), SIGKILL); // the adapter is pulled
    ASSERT_TRUE(ctl.waitForFinished(10000));
    EXPECT_EQ(ctl.exitCode(), 1);
    const std::string err = ctl.readAllStandardError().toStdString();
    EXPECT_EQ(err.rfind("Komunikační port byl uzavřen: ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_TRUE(ctl.readAllStandardOutput().isEmpty());
}

TEST(Smoke, APortErrorNamesTheGroupToJoin) {
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

TEST(Smoke, ASecondProgramHearsWhoHoldsThePortUntilASignalEndsIt) {
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
