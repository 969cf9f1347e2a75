// The calibration commands end to end: r27ctl against rm27sim over a real
// pseudo-terminal at 9600 baud, the simulator's memory and blocks looked at
// afterwards, and a following "r27ctl read" showing the change. Deadlines
// are safety bounds, never measurements.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <bit>
#include <cstdint>
#include <string>

#include "link/ekey.h"
#include "support/e2e_support.h"
#include "support/pdf_text.h"
#include "support/qt_environment.h"

namespace rm27 {
namespace {

using test::Result;
using test::RunCtl;
using test::Simulator;

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtEnvironment("test_cli_e2e_calibration"));

float MemoryFloat(const test::SimConverterState& s, int cell) {
    std::uint32_t bits = 0;
    for (int k = 3; k >= 0; --k)
        bits = (bits << 8) |
               static_cast<unsigned char>(s.memory.at(static_cast<std::size_t>(cell + k)));
    return std::bit_cast<float>(bits);
}

std::string Slurp(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

QJsonObject ReadJson(const Simulator& sim) {
    const Result r = RunCtl({"--port", sim.pty(), "read", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
}

// The default simulator applies 0.5, 1.0, 1.5 and 2.0 mV/V to inputs 1..4,
// 5e-7 mV/V per division above a zero of 8388608 divisions, with a noise
// of a few divisions.
TEST(CalibrationEndToEnd, ZeroSpanAndFilterLandInMemoryAndReadBack) {
    Simulator sim({});
    ASSERT_FALSE(sim.pty().empty());

    Result r = RunCtl({"--port", sim.pty(), "zero", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("input 1: Q 8388608 -> ", 0), 0u) << r.out;
    auto state = sim.state();
    ASSERT_EQ(state.size(), 1u);
    const float q = MemoryFloat(state[0], 144);
    EXPECT_NEAR(q, 9388608, 10);

    r = RunCtl({"--port", sim.pty(), "span", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    state = sim.state();
    const float k2 = MemoryFloat(state[0], 156);
    EXPECT_NEAR(k2, 1e-6, 1e-10); // 2 mV/V over the 1 mV/V step of 2 000 000 divisions

    r = RunCtl({"--port", sim.pty(), "span", "3", "--mvv", "0,75"});
    ASSERT_EQ(r.status, 0) << r.err;
    state = sim.state();
    const float k3 = MemoryFloat(state[0], 164);
    EXPECT_NEAR(k3, 2.5e-7, 1e-11);

    r = RunCtl({"--port", sim.pty(), "filter", "7"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "filter: 10 (16.7 Hz /Reject 50,60Hz) -> 7 (33.3 Hz) (cell 5)\n");
    state = sim.state();
    EXPECT_EQ(state[0].memory[5], '\x07');

    // "0" is refused by the window's check: status 4, nothing written
    r = RunCtl({"--port", sim.pty(), "span", "4", "--mvv", "0"});
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("nemuze to byt nula"), std::string::npos) << r.err;
    EXPECT_EQ(MemoryFloat(sim.state()[0], 172), 5e-7f);

    const QJsonObject o = ReadJson(sim);
    EXPECT_EQ(o["Q"].toArray()[0].toDouble(), static_cast<double>(q));
    EXPECT_FLOAT_EQ(static_cast<float>(o["K"].toArray()[1].toDouble()), k2);
    EXPECT_FLOAT_EQ(static_cast<float>(o["K"].toArray()[2].toDouble()), k3);
    EXPECT_EQ(o["filterCode"].toInt(), 7);
    EXPECT_EQ(o["filter"].toString(), QStringLiteral("33.3 Hz "));
}

TEST(CalibrationEndToEnd, CalibrateStoresTheCurveInTheEKey) {
    Simulator sim({"--ekeys", "0x03"});
    ASSERT_FALSE(sim.pty().empty());
    const Result r = RunCtl({"--port", sim.pty(), "calibrate", "2", "--description",
                             "Siločlen 2 kN", "--unit", "kN", "--format", "#0.0000", "--point",
                             "0:0", "--point", "1:1", "--point", "2,5:2,4995", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("calibration stored in the eKey of input 2 (block 32), 122 bytes"),
              std::string::npos)
        << r.out;

    SensorRecord rec;
    ASSERT_EQ(DecodeEKeyImage(sim.state()[0].blocks.at(32), rec, 1, 0, 0), ResultCode::Ok);
    EXPECT_EQ(TrimBlanks(rec.description), "Siločlen 2 kN");
    ASSERT_EQ(rec.pointCount, 3);
    EXPECT_NEAR(rec.pointSignals[2], 2.5, 1e-4);
    EXPECT_NEAR(rec.userValues[2], 2.4995, 1e-4);

    const QJsonObject in = ReadJson(sim)["inputs"].toArray()[1].toObject();
    EXPECT_EQ(in["source"].toString(), QStringLiteral("eKey"));
    EXPECT_EQ(in["description"].toString(), QStringLiteral("Siločlen 2 kN"));
    EXPECT_EQ(in["unit"].toString(), QStringLiteral("kN"));
    EXPECT_EQ(in["format"].toString(), QStringLiteral("#0.0000"));
    EXPECT_EQ(in["points"].toInt(), 3);

    // without --yes and without a terminal the question is answered No
    const Result no = RunCtl({"--port", sim.pty(), "calibrate", "2", "--description", "X",
                              "--point", "0:0", "--point", "1:1"});
    EXPECT_EQ(no.status, 4);
    SensorRecord after;
    ASSERT_EQ(DecodeEKeyImage(sim.state()[0].blocks.at(32), after, 1, 0, 0), ResultCode::Ok);
    EXPECT_EQ(TrimBlanks(after.description), "Siločlen 2 kN");
}

TEST(CalibrationEndToEnd, AFileIntoAnotherInputAndItsCertificate) {
    Simulator sim({"--ekeys", "0x03"});
    ASSERT_FALSE(sim.pty().empty());
    QTemporaryDir dir;
    const auto file = [&](const char* name) {
        return dir.filePath(QString::fromLatin1(name)).toStdString();
    };
    Result r = RunCtl({"--port", sim.pty(), "calibration", "1", "--save", file("input1.CLB")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Slurp(file("input1.CLB")).find("[Kalibrace]\n"), std::string::npos);

    r = RunCtl({"--port", sim.pty(), "--yes", "calibrate", "2", "--from", file("input1.CLB")},
               120000);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("input 2: calibration stored in the eKey of input 2 (block 32)"),
              std::string::npos)
        << r.out;
    SensorRecord rec;
    ASSERT_EQ(DecodeEKeyImage(sim.state()[0].blocks.at(32), rec, 1, 0, 0), ResultCode::Ok);
    EXPECT_EQ(TrimBlanks(rec.description), "Load cell 500 kg");

    r = RunCtl({"--port", sim.pty(), "certificate", "2", "--pdf", file("list.pdf"), "--csv",
                file("list.csv"), "--uncertainty", "0,1"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = test::PdfText(file("list.pdf"));
    for (const char* expected :
         {"Kalibrační list", "SIMKEY01", "Load cell 500 kg", "2 (eKey, blok 32)", "249.8", "500.0",
          "0.1 %", "Největší odchylka od přímky krajních bodů"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
    EXPECT_NE(Slurp(file("list.csv")).find("Identifikátor snímače,SIMKEY01\r\n"),
              std::string::npos);
}

} // namespace
} // namespace rm27
