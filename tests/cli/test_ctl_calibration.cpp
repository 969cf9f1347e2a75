// r27ctl's calibration commands on the simulator's virtual time.
#include <gtest/gtest.h>

#include <filesystem>

#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <sstream>

#include "calibration/commands.h"
#include "calibration/files/qt_calibration_files.h"
#include "calibration/kept_outputs.h"
#include "calibration/texts.h"
#include "cli/ctl_options.h"
#include "cli/ctl_runner.h"
#include "link/codecs.h"
#include "link/ekey.h"
#include "link/memory.h"
#include "sim/bus.h"
#include "sim/virtual_line.h"
#include "support/memory_file_store.h"
#include "support/words.h"

namespace rm27 {
namespace {

namespace fs = std::filesystem;

using test::Words;

// What the options carry is seen in what the commands below do with it;
// here, what is refused before a port is opened.
TEST(CtlCalibrationOptions, CommandLines) {
    EXPECT_TRUE(ParseCtlArgs(Words("span 2 --mvv 0,5")).options.mvvGiven);
    EXPECT_FALSE(ParseCtlArgs(Words("span 2")).options.mvvGiven);
    for (const char* line : {"calibrate 1 --from a.CLB --point 1:1",
                             "calibrate 1 --from a.CLB --description x",
                             "calibrate 1 --from a.CLB --gain 3",
                             "calibrate 1 --from",
                             "calibrate 1",
                             "calibration",
                             "calibration 5",
                             "calibration 1 --save",
                             "certificate 1",
                             "certificate 1 --csv a.csv",
                             "certificate 0 --pdf a.pdf",
                             "zero",
                             "zero 0",
                             "zero 5",
                             "zero 1,5",
                             "span 1 --mvv",
                             "filter 16",
                             "filter -1",
                             "filter",
                             "calibrate 1 --point 1:1",
                             "calibrate 1 --description x",
                             "calibrate 1 --description x --point 1",
                             "calibrate 1 --description x --point :1",
                             "calibrate 1 --description x --point 1:2:3",
                             "calibrate 1 --description x --point 1:1 --format #.#",
                             "calibrate 1 --description x --point 1:1 --gain 8",
                             "calibrate 1 --description x --point 1:1 --slide 11",
                             "calibrate 1 --description x --point 1:1 --fast 0",
                             "zero 1 --mvv 2"}) {
        EXPECT_FALSE(ParseCtlArgs(Words(line)).ok()) << "'" << line << "'";
    }
    EXPECT_TRUE(ParseCtlArgs(Words("calibrate --help")).options.help);
    EXPECT_NE(ParseCtlArgs(Words("calibrate --help")).helpText.find("--point SIGNAL:VALUE"),
              std::string::npos);
}

class CtlCalibration : public ::testing::Test {
protected:
    CtlCalibration() {
        setup.noiseMvV = 0;
        setup.signalMvV = {0.5, 1.0, 1.5, 2.0};
    }
    int run(const std::string& commandLine,
            const std::function<void(CtlRunner&)>& before = nullptr) {
        if (bus.size() == 0) bus.add(setup);
        const CtlParse p = ParseCtlArgs(Words(commandLine));
        EXPECT_TRUE(p.ok()) << p.error;
        out.str("");
        err.str("");
        runner = std::make_unique<CtlRunner>(line, line, p.options, out, err);
        if (before) before(*runner);
        return runner->run();
    }
    std::vector<std::string> sent(const std::string& prefix) const {
        std::vector<std::string> f;
        for (const auto& s : line.sent()) {
            if (s.text.rfind(prefix, 0) == 0) f.push_back(s.text);
        }
        return f;
    }
    sim::Converter& conv() { return bus.converter(0); }

    sim::ConverterSetup setup;
    sim::Bus bus;
    sim::VirtualLine line{bus};
    std::ostringstream out, err;
    std::unique_ptr<CtlRunner> runner;
};

TEST_F(CtlCalibration, ZeroTakesTheLiveReading) {
    ASSERT_EQ(run("zero 2"), kExitOk) << err.str();
    // 1 mV/V at 5e-7 mV/V per division above the mid-scale zero
    EXPECT_EQ(conv().memoryFloat(CellQ(1)), 10388608.0f);
    EXPECT_EQ(out.str(), "input 2: Q 8388608 -> 10388608 (cells 152..155)\n");
    EXPECT_EQ(sent("$01LT").size(), 1u);
    // the converter now measures against the new zero
    line.waitFor(20);
    EXPECT_EQ(conv().activeQ(1), 10388608.0f);
}

TEST_F(CtlCalibration, SpanAgainstTwoOrAnEnteredValueAndItsRefusals) {
    setup.signalMvV[2] = 0; // input 3 reads its zero
    ASSERT_EQ(run("span 1"), kExitOk) << err.str();
    // 0.5 mV/V applied, called 2 mV/V: the slope comes out four times larger
    EXPECT_FLOAT_EQ(conv().memoryFloat(CellK(0)), 2e-6f);
    EXPECT_EQ(out.str(),
              "input 1: K 5.0000 E-07 (5e-07) -> 2.0000 E-06 (2e-06) mV/V per division (cells "
              "148..151)\n");

    ASSERT_EQ(run("span 1 --mvv 0,25"), kExitOk) << err.str();
    EXPECT_FLOAT_EQ(conv().memoryFloat(CellK(0)), 2.5e-7f);

    // zero refused: nothing written, the window's message, status 4
    const std::size_t writes = sent("$01EW").size();
    EXPECT_EQ(run("span 1 --mvv 0"), kExitRefused);
    EXPECT_EQ(err.str(), "nemuze to byt nula\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(sent("$01EW").size(), writes);
    EXPECT_EQ(run("span 3"), kExitRefused);
    EXPECT_NE(err.str().find(texts::calibration::kSlopeUndefined.czech), std::string::npos);
    EXPECT_EQ(sent("$01EW").size(), writes);
}

TEST_F(CtlCalibration, FilterIsWrittenToCellFive) {
    ASSERT_EQ(run("filter 3"), kExitOk) << err.str();
    EXPECT_EQ(conv().memory(kCellFilter), 3);
    EXPECT_EQ(sent("$01EW"), std::vector<std::string>{"$01EW0503\r"});
    EXPECT_EQ(out.str(), "filter: 10 (16.7 Hz /Reject 50,60Hz) -> 3 (125 Hz) (cell 5)\n");
}

TEST_F(CtlCalibration, AWriteTheConverterDoesNotHoldEndsWithStatusOne) {
    // The location of K's last byte is hit on the way in: the byte lands in the
    // cell before, the echo is right.
    bus.add(setup);
    bus.faults().next(sim::RequestMatch("EW", 0, CellK(0) + 3), sim::Fault::alteredIndex());
    EXPECT_EQ(run("span 1"), kExitNoAnswer);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str().rfind("Zápis do paměti převodníku se nepodařil: na adrese 96h", 0), 0u)
        << err.str();
    bus.faults().next("EW05", sim::Fault::alteredIndex());
    EXPECT_EQ(run("filter 3"), kExitNoAnswer);
    EXPECT_EQ(out.str(), "");
}

TEST_F(CtlCalibration, CalibrateStoresTheCurveAndShowsItReadBack) {
    ASSERT_EQ(run("--yes calibrate 1 --description Siločlen --unit N --format ##0.000 --gain 6 "
                  "--slide 5 --fast 1 --point 1,5:150 --point 0:0 --point 0,75:75"),
              kExitOk)
        << err.str();
    SensorRecord rec;
    ASSERT_EQ(DecodeEKeyImage(conv().block(0), rec, 0, 0, 0), ResultCode::Ok);
    EXPECT_EQ(TrimBlanks(rec.description), "Siločlen");
    EXPECT_EQ(TrimBlanks(rec.unit), "N");
    EXPECT_EQ(TrimBlanks(rec.numberFormat), "##0.000");
    EXPECT_EQ(rec.gainCode, 6);
    EXPECT_EQ(rec.slidingLength, 5);
    EXPECT_EQ(rec.fastSlidingLength, 1);
    ASSERT_EQ(rec.pointCount, 3);
    EXPECT_NEAR(rec.pointSignals[1], 0.75, 1e-4);
    EXPECT_NEAR(rec.userValues[2], 150, 1e-2);
    const std::string text = out.str();
    EXPECT_EQ(text.rfind("input 1: calibration stored in the eKey of input 1 (block 0), 122 bytes "
                         "(journal entry 1)\n",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("  description  Siločlen\n"), std::string::npos);
    EXPECT_NE(text.find("      0.75000   75.000\n"), std::string::npos) << text;
    EXPECT_NE(err.str().find("Chcete opravdu zapsat kalibrační data do snímače ? (--yes: Yes)"),
              std::string::npos);
    EXPECT_EQ(sent("$01X").size(), 1u);
}

TEST_F(CtlCalibration, AStoreCutShortSaysWhatItLeftAndUndoBringsTheOldImageBack) {
    const fs::path dir = fs::temp_directory_path() / "rm27-ctl-journal";
    fs::remove_all(dir);
    const auto journaled = [&](CtlRunner& r) {
        r.session().journal() = Journal((dir / "journal.jsonl").string());
    };
    const std::string old = [&] {
        bus.add(setup);
        return conv().block(0);
    }();
    // The 17th byte gets no answer: the eKey holds the new first 16 bytes.
    bus.faults().next(sim::RequestMatch::kwIndex(16), sim::Fault::noAnswer(), 4);
    EXPECT_EQ(run("-y calibrate 1 --description Repro --point 0:0 --point 1,5:150", journaled),
              kExitNoAnswer);
    EXPECT_NE(conv().block(0), old);
    const std::string said = err.str();
    const std::size_t own = said.find("Chyba ukládání kalibrace. [ERR:-17]");
    const std::size_t left = said.find(
        "Blok 0 (eKey Vstup1) teď může obsahovat směs starých a nových bajtů: zápis se zastavil "
        "u bajtu 17.\nZápis je v deníku zápisů pod číslem 1 (" +
        (dir / "journal.jsonl").string() + ").\n");
    ASSERT_NE(own, std::string::npos) << said;
    ASSERT_NE(left, std::string::npos) << said;
    EXPECT_LT(own, left);
    EXPECT_NE(
        said.find("  Zopakovat zápis: r27ctl redo 1\n  Obnovit původní obsah: r27ctl undo 1\n"),
        std::string::npos)
        << said;

    EXPECT_EQ(run("undo 1 --yes", journaled), kExitOk) << err.str();
    EXPECT_EQ(conv().block(0), old);
    fs::remove_all(dir);
}

TEST_F(CtlCalibration, CalibrateGoesBackToTheInternalCopyItWasReadFrom) {
    setup.plugged = {false, false, false, false};
    ASSERT_EQ(run("-y calibrate 3 --description Kopie --point 0:0 --point 1:10"), kExitOk)
        << err.str();
    EXPECT_EQ(sent("$01KW82").size(), 104u + 2 * 6);
    EXPECT_NE(out.str().find("the internal copy of input 3 (block 130)"), std::string::npos);
    SensorRecord rec;
    ASSERT_EQ(DecodeEKeyImage(conv().block(130), rec, 4, 2, 0), ResultCode::Ok);
    EXPECT_EQ(TrimBlanks(rec.description), "Kopie");
}

TEST_F(CtlCalibration, CalibrateRefusalsPrintTheWindowsMessagesAndWriteNothing) {
    struct Case {
        const char* line;
        std::vector<std::string> messages; // on standard error, in order
        bool noEKey = false;
    };
    const Case cases[] = {
        {"calibrate 1 --description A --point 0:0 --point 1:1",
         {"Chcete opravdu zapsat kalibrační data do snímače ? (No: no terminal to ask; --yes "
          "answers Yes)"}},
        {"-y calibrate 1 --description A --point 0:0",
         {"Chcete opravdu zapsat kalibrační data do snímače ? (--yes: Yes)",
          "Kalibrační křivka musí mít alespoň dva body.",
          "Calibation data cannot be prepared to save."}},
        {"-y calibrate 1 --description A --point 0:5 --point 1:5",
         {"Hondota etalonu 5 se vyskytuje opakovaně. ",
          "Chcete opravdu zapsat kalibrační data do snímače ? (--yes: Yes)",
          "Hondota etalonu 5 se vyskytuje opakovaně. ",
          "Kalibrační křivka numůže obsahovat dva shodné body.",
          "Calibation data cannot be prepared to save."}},
        {"-y calibrate 1 --description A --point 1:1 --point 2:2 --point 3:3 --point 4:4 "
         "--point 5:5 --point 6:6 --point 7:7 --point 8:8 --point 9:9 --point 10:10",
         {"Kalibrační křivka může obsahovat maximálně 9 bodu, nelze přidat další bod."}},
        {"-y calibrate 1 --description A --point 0:0 --point 1:1",
         {"Kalibrační data nemohou být zapsána do snímače, protože neobsahuje vniřní paměť dat "
          "(eKey)."},
         true},
    };
    for (const Case& c : cases) {
        const int status =
            run(c.line, [&](CtlRunner& r) { r.state().records[0].noEKey = c.noEKey; });
        EXPECT_EQ(status, kExitRefused) << c.line;
        EXPECT_EQ(test::Lines(err.str()), c.messages) << c.line;
        EXPECT_EQ(out.str(), "") << c.line;
        EXPECT_TRUE(sent("$01KW").empty()) << c.line;
    }
}

class CtlCalibrationFiles : public CtlCalibration {
protected:
    int runWithTools(const std::string& commandLine) {
        return run(commandLine, [&](CtlRunner& r) {
            r.calibrationTools() = {&store, &printer, "RM-27/RMU Manager 9.9.9"};
        });
    }
    std::string file(const char* name) const {
        return dir.filePath(QString::fromUtf8(name)).toStdString();
    }
    QTemporaryDir dir;
    QtCalibrationFileStore store;
    test::KeptCertificates printer;
};

TEST_F(CtlCalibrationFiles, CalibrationPrintsOrSavesTheRecordAsRead) {
    ASSERT_EQ(runWithTools("calibration 2"), kExitOk) << err.str();
    const std::string text = out.str();
    EXPECT_EQ(text.rfind("input 2: the eKey of input 2 (block 32)\n  description  ", 0), 0u)
        << text;
    EXPECT_NE(text.find("\n  validity     "), std::string::npos) << text;
    EXPECT_NE(text.find("\n  Signál [mV/V]  value\n"), std::string::npos) << text;

    const std::string path = file("input2.CLB");
    ASSERT_EQ(runWithTools("calibration 2 --save " + path), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "input 2: calibration from the eKey of input 2 (block 32) saved to " +
                             path + " [Kalibrace]\n");
    std::vector<ClbGroup> groups;
    Text reason;
    ASSERT_TRUE(store.readGroups(path, groups, reason)) << reason.czech();
    ASSERT_EQ(groups.size(), 1u);
    const ClbGroup written =
        CalibrationGroup("Kalibrace", runner->state().records[1], "RM-27/RMU Manager 9.9.9");
    using Keys = std::map<std::string, std::string>;
    EXPECT_EQ(Keys(groups[0].keys.begin(), groups[0].keys.end()),
              Keys(written.keys.begin(), written.keys.end()));
    EXPECT_TRUE(sent("$01KW").empty());

    const std::string nowhere = file("missing/input2.CLB");
    EXPECT_EQ(runWithTools("calibration 2 --save " + nowhere), kExitRefused);
    EXPECT_EQ(err.str(),
              "Write data to file failed. \n" + nowhere + "\nNo such file or directory\n");
}

TEST_F(CtlCalibrationFiles, CalibrateFromAFileStoresItInTheInputsOwnBlock) {
    const std::string path = file("input1.CLB");
    ASSERT_EQ(runWithTools("calibration 1 --save " + path), kExitOk) << err.str();
    const SensorRecord one = runner->state().records[0];
    ASSERT_EQ(runWithTools("-y calibrate 2 --from " + path), kExitOk) << err.str();
    EXPECT_EQ(out.str().rfind("input 2: calibration stored in the eKey of input 2 (block 32)", 0),
              0u)
        << out.str();
    SensorRecord rec;
    ASSERT_EQ(DecodeEKeyImage(conv().block(32), rec, 1, 0, 0), ResultCode::Ok);
    EXPECT_EQ(rec.description, one.description);
    EXPECT_EQ(rec.sensorId, one.sensorId);
    EXPECT_EQ(rec.pointCount, one.pointCount);
    // the editor stores 3-byte values (the sensor had 4): 15 bits of mantissa
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(rec.userValues[k], one.userValues[k], 1e-2) << k;
        EXPECT_NEAR(rec.pointSignals[k], one.pointSignals[k], 1e-4) << k;
    }
}

TEST_F(CtlCalibrationFiles, CalibrateFromABadFileRefusesAndWritesNothing) {
    const std::string path = file("bad.CLB");
    ASSERT_EQ(runWithTools("calibration 1 --save " + path), kExitOk) << err.str();
    Text reason;
    ASSERT_TRUE(store.writeGroup(
        path,
        test::WithKey(CalibrationGroup("Kalibrace", runner->state().records[0], "p"), "Points",
                      "12"),
        reason));
    EXPECT_EQ(runWithTools("-y calibrate 1 --from " + path), kExitRefused);
    EXPECT_EQ(err.str(), "Kalibrační soubor " + path +
                             " nelze načíst, skupina [Kalibrace]:\nPoložka \"Points\" = 12: "
                             "kalibrační křivka může mít 2 až 9 bodů.\n");
    EXPECT_EQ(runWithTools("-y calibrate 1 --from " + file("none.CLB")), kExitRefused);
    EXPECT_EQ(err.str(), "Kalibrační soubor nelze přečíst: " + file("none.CLB") +
                             "\nNo such file or directory\n");
    EXPECT_TRUE(sent("$01KW").empty());
}

TEST_F(CtlCalibrationFiles, CertificateOfAnInputAsRead) {
    const std::string csv = file("list.csv");
    ASSERT_EQ(runWithTools("certificate 1 --pdf " + file("list.pdf") + " --csv " + csv +
                           " --uncertainty 0,1 --serial SN-1 --validity 271204"),
              kExitOk)
        << err.str();
    ASSERT_EQ(printer.written.size(), 1u);
    const auto& [c, path] = printer.written[0];
    EXPECT_EQ(path, file("list.pdf"));
    EXPECT_EQ(c.converterId, runner->state().DeviceId);
    EXPECT_EQ(c.address, runner->state().DeviceAddress);
    EXPECT_EQ(c.input, 1);
    EXPECT_DOUBLE_EQ(c.uncertainty, 0.1);
    EXPECT_EQ(c.serialNumber, "SN-1");
    EXPECT_EQ(c.validity, "271204");
    EXPECT_EQ(c.program, "RM-27/RMU Manager 9.9.9");
    EXPECT_EQ(test::ReadWholeText(csv), CertificateCsv(c));
    const LinearityTexts t = CertificateTable(c);
    EXPECT_EQ(out.str(), "input 1: Kalibrační list " + c.sensorId + " -> " + file("list.pdf") +
                             ", " + csv + "\n  " + t.largestEndPoint.czech() + "\n  " +
                             t.largestLeastSquares.czech() + "\n");

    printer.failWith = "Disk full";
    EXPECT_EQ(runWithTools("certificate 1 --pdf " + file("b.pdf")), kExitRefused);
    EXPECT_EQ(err.str(),
              "Kalibrační list nelze uložit do souboru " + file("b.pdf") + "\nDisk full\n");
}

TEST_F(CtlCalibrationFiles, AnInputWithoutACalibrationHasNoFileNorCertificate) {
    setup.plugged = {false, false, false, false};
    setup.internalImages[2] = std::string(256, '\0'); // no "FSN": a stand-in record
    const std::string path = file("none.CLB");
    for (const std::string& command :
         {"calibration 3 --save " + path, "certificate 3 --pdf " + file("none.pdf")}) {
        EXPECT_EQ(runWithTools(command), kExitRefused) << command;
        EXPECT_EQ(err.str(), "r27ctl: vstup 3 nemá kalibraci, kterou by šlo přečíst (ani v eKey, "
                             "ani ve vnitřní kopii)\n");
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    EXPECT_TRUE(printer.written.empty());
}

} // namespace
} // namespace rm27
