// End to end over a real pseudo-terminal: rm27sim serves the converters in
// real time at 9600 baud, r27ctl and the window talk to it as to a serial
// port. Every deadline here is a safety bound, never a measurement.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>

#include <QProcess>

#include <csignal>

#include <sstream>
#include <string>
#include <vector>

#include "link/transact.h"
#include "mainwindow/frm_main.h"
#include "session/main_view.h"
#include "support/e2e_support.h"
#include "support/qt_environment.h"
#include "support/recorder.h"
#include "ui/port_map.h"
#include "ui/qt_event_pump.h"
#include "ui/qt_serial_line.h"

namespace rm27 {
namespace {

using test::Result;
using test::RunCtl;
using test::Simulator;

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtEnvironment("test_cli_e2e"));

TEST(CtlEndToEnd, ReadAsJson) {
    Simulator sim({"--address", "3", "--ekeys", "0x01"});
    ASSERT_FALSE(sim.pty().empty());
    const Result r = RunCtl({"--port", sim.pty(), "read", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    QJsonParseError error{};
    const QJsonObject o =
        QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out;
    EXPECT_EQ(o["id"].toString().mid(4, 4), QStringLiteral("RM27"));
    EXPECT_EQ(o["address"].toInt(), 3);
    const QJsonArray inputs = o["inputs"].toArray();
    ASSERT_EQ(inputs.size(), 4);
    EXPECT_EQ(inputs[0].toObject()["source"].toString(), QStringLiteral("eKey"));
    EXPECT_EQ(inputs[1].toObject()["source"].toString(), QStringLiteral("Internal"));

    // The converter's texts in the language asked for (the others here
    // speak Czech: the tests' locale says nothing).
    const Result english = RunCtl({"--lang", "en", "--port", sim.pty(), "ekey-init"});
    EXPECT_EQ(english.status, 4);
    EXPECT_NE(english.err.find("Do you want to continue ?"), std::string::npos) << english.err;
}

TEST(CtlEndToEnd, SimulatorDumpsItsState) {
    Simulator sim({"--address", "3"});
    const auto state = sim.state();
    ASSERT_EQ(state.size(), 1u);
    EXPECT_EQ(state[0].address, 3);
    ASSERT_EQ(state[0].memory.size(), 256u);
    EXPECT_EQ(state[0].memory[0], '\x03');
    EXPECT_EQ(state[0].blocks.at(0).substr(0, 3), "FSN");
    EXPECT_EQ(state[0].blocks.size(), 256u);
}

// How soon the loss is noticed is a matter of the reading's waits, tested
// on virtual time; here the real process ends and says why.
TEST(CtlEndToEnd, ReadOnALineThatVanishesEndsAndSaysSo) {
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

TEST(CtlEndToEnd, MonitorAsCsv) {
    Simulator sim({});
    const Result r = RunCtl({"--port", sim.pty(), "monitor", "--count", "5", "--csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = r.lines();
    ASSERT_EQ(lines.size(), 6u + 5u) << r.out;
    EXPECT_EQ(lines[2].rfind("description,Load cell 500 kg,Load cell 500 kg,Load cell 500 kg,", 0),
              0u)
        << lines[2];
    EXPECT_EQ(lines[4].rfind("tare,,,0.0,", 0), 0u) << lines[4]; // r27ctl takes no tare
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

TEST(CtlEndToEnd, ScanFindsEveryConverter) {
    Simulator sim({"--address", "2", "--address", "9", "--address", "17"});
    const Result r = RunCtl({"--port", sim.pty(), "scan"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = r.lines();
    ASSERT_EQ(lines.size(), 3u) << r.out;
    const char* prefixes[] = {"@0x02 ", "@0x09 ", "@0x11 "};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(lines[i].rfind(prefixes[i], 0), 0u) << lines[i];
}

TEST(CtlEndToEnd, SetAddressMovesTheConverter) {
    Simulator sim({"--address", "4"});
    const Result moved = RunCtl({"--port", sim.pty(), "--address", "4", "set-address", "21"});
    ASSERT_EQ(moved.status, 0) << moved.err;
    EXPECT_NE(moved.out.find("21  (0x15)"), std::string::npos) << moved.out;

    const Result atNew = RunCtl({"--port", sim.pty(), "--address", "21", "read", "--json"});
    EXPECT_EQ(atNew.status, 0) << atNew.err;
    const Result atOld = RunCtl({"--port", sim.pty(), "--address", "4", "read"});
    EXPECT_EQ(atOld.status, 1);
    EXPECT_EQ(atOld.out, "");
    EXPECT_NE(atOld.err.find("Na adrese 4 nebyla nalezena žádná jednotka RM-27/RMU."),
              std::string::npos)
        << atOld.err;
}

TEST(CtlEndToEnd, UsageAndPortErrors) {
    const Result usage = RunCtl({"set-address", "0"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.out, "");
    EXPECT_NE(usage.err.find("0: the new address is a whole number 1 to 159"), std::string::npos)
        << usage.err;
    const Result missing = RunCtl({"--port", "/nonexistent/ttyRM27", "read"});
    EXPECT_EQ(missing.status, 3);
    EXPECT_NE(missing.err.find("Nelze otevřít komunikační port"), std::string::npos);

    const Result help = RunCtl({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: r27ctl"), std::string::npos) << help.out;
}

TEST(WindowEndToEnd, ConnectsReadsAndShowsLiveValues) {
    Simulator sim({});
    ASSERT_FALSE(sim.pty().empty());
    PortMap ports;
    ports.setFixed(1, PortDevice{QString::fromStdString(sim.pty()), QStringLiteral("rm27sim")});
    test::Recorder prompter;
    QtEventPump pump;
    FrmMainSetup setup;
    setup.ports = &ports;
    setup.prompter = &prompter;
    setup.pump = &pump;
    FrmMain window(setup);
    window.Form_Load();
    window.findChild<QComboBox*>(QStringLiteral("cmbSelectPort"))->setCurrentIndex(0);

    window.cmdConnect_Click();
    ASSERT_TRUE(window.serialLine().portOpen());
    window.cmdDevRead_Click(); // returns when the read is done
    DelayMs(pump, 2000);       // a few measurement ticks

    const auto text = [&](const char* name) {
        auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text().trimmed() : QStringLiteral("<missing>");
    };
    EXPECT_EQ(prompter.messageTexts(), std::vector<std::string>{});
    EXPECT_EQ(text("lblID").mid(4, 4), QStringLiteral("RM27"));
    EXPECT_TRUE(text("lblR27ID_0").startsWith(QStringLiteral("eKey ")))
        << text("lblR27ID_0").toStdString();
    bool number = false;
    EXPECT_GT(text("lblHodnota_0").toLongLong(&number), 0);
    EXPECT_TRUE(number) << text("lblHodnota_0").toStdString();
    EXPECT_EQ(text("lblR27mVV_1"), QStringLiteral("1.000"));
}

} // namespace
} // namespace rm27
