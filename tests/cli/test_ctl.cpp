// r27ctl without a terminal: the command line, and the commands run on the
// simulator's virtual time (a whole read or a monitor in microseconds).
#include <gtest/gtest.h>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "cli/ctl_commands.h"
#include "cli/ctl_options.h"
#include "cli/ctl_report.h"
#include "cli/ctl_runner.h"
#include "link/codecs.h"
#include "procedure/readings.h"
#include "sim/bus.h"
#include "sim/virtual_line.h"
#include "support/hand_series.h"
#include "support/words.h"

namespace rm27 {
namespace {

using test::Words;

TEST(CtlOptions, AcceptedCommandLines) {
    struct Case {
        const char* line;
        std::string command;
        std::string port;
        int address, count, newAddress;
        bool json, csv;
    };
    const Case cases[] = {
        {"read", "read", "", 0, 0, 0, false, false},
        {"--port /dev/ttyUSB0 --address 7 read --json", "read", "/dev/ttyUSB0", 7, 0, 0, true,
         false},
        {"read --port=COM3 --address=159", "read", "COM3", 159, 0, 0, false, false},
        {"monitor --count 5 --csv", "monitor", "", 0, 5, 0, false, true},
        {"monitor --csv-semicolon", "monitor", "", 0, 0, 0, false, false},
        {"--simulator scan", "scan", "", 0, 0, 0, false, false},
        {"set-address 1", "set-address", "", 0, 0, 1, false, false},
        {"set-address 159 --json", "set-address", "", 0, 0, 159, true, false},
        {"restart -v --log-frames", "restart", "", 0, 0, 0, false, false},
        {"ports", "ports", "", 0, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        const CtlParse p = ParseCtlArgs(Words(c.line));
        ASSERT_TRUE(p.ok()) << c.line << ": " << p.error;
        EXPECT_EQ(p.options.command, c.command) << c.line;
        EXPECT_EQ(p.options.port, c.port) << c.line;
        EXPECT_EQ(p.options.address, c.address) << c.line;
        EXPECT_EQ(p.options.count, c.count) << c.line;
        EXPECT_EQ(p.options.newAddress, c.newAddress) << c.line;
        EXPECT_EQ(p.options.json, c.json) << c.line;
        EXPECT_EQ(p.options.csv, c.csv) << c.line;
        EXPECT_EQ(p.options.csvSemicolon,
                  std::string(c.line).find("semicolon") != std::string::npos)
            << c.line;
    }
    EXPECT_TRUE(ParseCtlArgs(Words("--help read --bogus")).options.help);
    EXPECT_TRUE(ParseCtlArgs(Words("--version")).options.version);
}

TEST(CtlOptions, UsageErrors) {
    for (const char* line : {"",
                             "frobnicate",
                             "read extra",
                             "read --bogus",
                             "--address 160 read",
                             "--address -1 read",
                             "--address 3,6 read",
                             "--address read",
                             "set-address",
                             "set-address 0",
                             "set-address 160",
                             "set-address 3.5",
                             "set-address 5 6",
                             "monitor --count 0",
                             "monitor --count x",
                             "read --csv",
                             "scan --csv-semicolon",
                             "read --reconnect",
                             "monitor --reconnect=1",
                             "scan --json",
                             "read --count 3",
                             "--port COM16 read",
                             "--port COM0 read",
                             "--port",
                             "--port x --simulator read",
                             "read --json=1"}) {
        EXPECT_FALSE(ParseCtlArgs(Words(line)).ok()) << "'" << line << "'";
    }
}

TEST(CtlOptions, NumbersAreReadWholeAndMustFitWhereTheyGo) {
    // Each refused on the command line, before a port is opened, naming
    // its option.
    const struct {
        const char* line;
        const char* option;
    } cases[] = {
        {"span 1 --mvv 1abc", "--mvv"},
        {"span 1 --mvv 0x10", "--mvv"},
        {"span 1 --mvv 1,5,5", "--mvv"},
        {"span 1 --mvv nan", "--mvv"},
        {"span 1 --mvv inf", "--mvv"},
        {"span 1 --mvv -inf", "--mvv"},
        {"span 1 --mvv 1e40", "--mvv"},
        {"span 1 --mvv 1e-40", "--mvv"}, // a denormal single
        {"calibrate 1 --description x --point 1e40:1", "--point"},
        {"calibrate 1 --description x --point abc:0", "--point"},
        {"calibrate 1 --description x --point 0:1e-39", "--point"},
        {"calibrate 1 --description x --point 0:-1,5,5", "--point"},
        {"certificate 1 --pdf a.pdf --uncertainty abc", "--uncertainty"},
        {"certificate 1 --pdf a.pdf --uncertainty 101", "--uncertainty"},
        {"certificate 1 --pdf a.pdf --uncertainty -0,1", "--uncertainty"},
        {"certificate 1 --pdf a.pdf --validity 260229", "--validity"},
        {"rmu-limits 1e40 - - -", "L"},
        {"rmu-limits - 1abc - -", "L"},
        {"rmu-limits - - 0x10 -", "L"},
        {"rmu-limits - - - nan", "L"},
        {"rmu-limits 1e-40 - - -", "L"},
    };
    for (const auto& c : cases) {
        const CtlParse p = ParseCtlArgs(Words(c.line));
        EXPECT_FALSE(p.ok()) << c.line;
        EXPECT_EQ(p.error.rfind(std::string(c.option) + ": ", 0), 0u) << c.line << ": " << p.error;
    }
    for (const char* line : {"span 1 --mvv -0", "span 1 --mvv 99999999999",
                             "calibrate 1 --description x --point -0:1e38 --point 1:2",
                             "certificate 1 --pdf a.pdf --uncertainty 100 --validity 280229",
                             "rmu-limits -0 99999999999 2,5e3 -"})
        EXPECT_TRUE(ParseCtlArgs(Words(line)).ok()) << line;
}

TEST(CtlOptions, ComPortNames) {
    const std::pair<const char*, int> cases[] = {{"COM1", 1},  {"com15", 15}, {"COM16", 0},
                                                 {"COM0", 0},  {"COM", 0},    {"/dev/COM3", 0},
                                                 {"COM3x", 0}, {"COM007", 0}};
    for (const auto& [text, n] : cases)
        EXPECT_EQ(ComPortNumber(text), n) << text;
}

TEST(CtlReport, JsonStringsStayValid) {
    EXPECT_EQ(JsonString("a\"b\\c\r\n"), "\"a\\\"b\\\\c\\r\\n\"");
    EXPECT_EQ(JsonString("Siločlen"), "\"Siločlen\"");
    // a byte that is no UTF-8 (an identification garbled on the line)
    EXPECT_EQ(JsonString(std::string("M\xE9\x01")), "\"M\uFFFD\\u0001\"");
}

// The evaluation needs no converter: the hand-worked series as a script
// reads its JSON (a figure not formed is null), and a broken file is
// refused naming its line.
TEST(CtlProcedure, EvaluateJsonOfAReadingsFile) {
    const std::string path = ::testing::TempDir() + "rm27-readings-" + std::to_string(::getpid());
    std::ofstream(path) << test::kHandSeriesCsv;
    std::ostringstream out, err;
    CtlParse p = ParseCtlArgs(Words("procedure evaluate " + path + " --json --degree 1"));
    ASSERT_TRUE(p.ok()) << p.error;
    EXPECT_EQ(RunOfflineProcedureCommand(p.options, out, err), kExitOk) << err.str();
    QJsonParseError error;
    const QJsonObject doc =
        QJsonDocument::fromJson(QByteArray::fromStdString(out.str()), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << out.str();
    const QJsonArray steps = doc["steps"].toArray();
    ASSERT_EQ(steps.size(), 2);
    EXPECT_EQ(steps[1].toObject()["load"].toDouble(), 20.0);
    EXPECT_NEAR(steps[0].toObject()["v"].toDouble(), 0.150225338, 1e-8);
    EXPECT_TRUE(steps[1].toObject()["v"].isNull());
    EXPECT_NEAR(steps[1].toObject()["deflection"].toDouble(), 1.997, 1e-12);
    EXPECT_EQ(doc["f0"].toArray().size(), 4);
    EXPECT_NEAR(doc["worst"].toObject()["b"].toDouble(), 0.300450676, 1e-8);
    EXPECT_EQ(doc["degree"].toInt(), 1);
    EXPECT_NEAR(doc["coefficients"].toArray()[0].toDouble(), 0.09986, 1e-12);
    EXPECT_EQ(doc["class"].toString(), "2");
    EXPECT_TRUE(doc["missing"].toArray().isEmpty());

    // Every word of r27ctl's own goes through the language's wording: one
    // that drops whatever is not ASCII leaves none of the Czech behind.
    const Wording ascii = [](const char* czech) {
        std::string kept;
        for (const char c : std::string(czech))
            kept += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : std::string();
        return kept;
    };
    const auto isAscii = [](const std::string& text) {
        return std::all_of(text.begin(), text.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    };
    const CtlParse text = ParseCtlArgs(Words("procedure evaluate " + path));
    out.str("");
    EXPECT_EQ(RunOfflineProcedureCommand(text.options, out, err, ascii), kExitOk) << err.str();
    EXPECT_NE(out.str().find("Polynom stupn 1:"), std::string::npos) << out.str();
    EXPECT_TRUE(isAscii(out.str())) << out.str();

    std::ofstream(path) << kReadingsHeader << "\n1,0,up,zero,0,1,1\n";
    out.str("");
    EXPECT_EQ(RunOfflineProcedureCommand(p.options, out, err), kExitRefused);
    EXPECT_NE(err.str().find(path + ": Řádek 2: druh"), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
    err.str("");
    EXPECT_EQ(RunOfflineProcedureCommand(p.options, out, err, ascii), kExitRefused);
    EXPECT_TRUE(isAscii(err.str())) << err.str();
    std::remove(path.c_str());
    for (const char* line : {"procedure", "procedure evaluate", "procedure evaluate x --degree 4"})
        EXPECT_FALSE(ParseCtlArgs(Words(line)).ok()) << line;
}

class CtlRun : public ::testing::Test {
protected:
    int run(const std::string& commandLine) {
        const CtlParse p = ParseCtlArgs(Words(commandLine));
        EXPECT_TRUE(p.ok()) << p.error;
        runner = std::make_unique<CtlRunner>(line, line, p.options, out, err);
        if (stopAfterLines > 0) {
            runner->setStopRequested([this] {
                const std::string text = out.str();
                return std::count(text.begin(), text.end(), '\n') >= stopAfterLines;
            });
        }
        return runner->run();
    }
    std::vector<std::string> lines() const { return test::Lines(out.str()); }
    int framesSent(const std::string& text) const {
        return static_cast<int>(
            std::count_if(line.sent().begin(), line.sent().end(),
                          [&](const sim::SentFrame& f) { return f.text == text; }));
    }

    sim::Bus bus;
    sim::VirtualLine line{bus};
    std::ostringstream out, err;
    std::unique_ptr<CtlRunner> runner;
    int stopAfterLines = 0;
};

TEST_F(CtlRun, ReadAsJsonDescribesConverterAndInputs) {
    sim::ConverterSetup setup;
    setup.address = 6;
    setup.plugged = {true, false, true, false};
    bus.add(setup);
    ASSERT_EQ(run("read --json"), kExitOk) << err.str();
    QJsonParseError error{};
    const QJsonObject o =
        QJsonDocument::fromJson(QByteArray::fromStdString(out.str()), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << out.str();
    EXPECT_EQ(o["id"].toString(), "0123RM2712");
    EXPECT_EQ(o["address"].toInt(), 6);
    EXPECT_EQ(o["ekeyMask"].toInt(), 5);
    EXPECT_EQ(o["filter"].toString(), "16.7 Hz /Reject 50,60Hz");
    EXPECT_DOUBLE_EQ(o["K"].toArray()[2].toDouble(), 5e-7);
    const QJsonArray inputs = o["inputs"].toArray();
    ASSERT_EQ(inputs.size(), 4);
    const char* sources[] = {"eKey", "Internal", "eKey", "Internal"};
    for (int i = 0; i < 4; ++i) {
        const QJsonObject in = inputs[i].toObject();
        EXPECT_EQ(in["source"].toString(), sources[i]) << i;
        EXPECT_EQ(in["points"].toInt(), runner->state().records[i].pointCount);
        EXPECT_TRUE(in["info"].toString().startsWith("G7(128x) DEF:00\r\nN:")) << i;
    }
    // a clean read has nothing uncertain
    EXPECT_NE(out.str().find(",\"uncertain\":{}}"), std::string::npos) << out.str();
    EXPECT_EQ(err.str(), "");
}

TEST_F(CtlRun, AnUncertainValueIsNullWithItsReasonAndAWarning) {
    bus.add({});
    // The second byte of K of input 2 comes with a character it never had.
    bus.faults().next(sim::RequestMatch("ER", 0, 0x9D), sim::Fault::nonHex(1, 'Z'));
    bus.faults().next("DEF", sim::Fault::nonHex(5, '#'));
    ASSERT_EQ(run("read --json"), kExitOk) << err.str(); // the status stays as it was
    QJsonParseError error{};
    const QJsonObject o =
        QJsonDocument::fromJson(QByteArray::fromStdString(out.str()), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << out.str();
    EXPECT_TRUE(o["K"].toArray()[1].isNull());
    EXPECT_DOUBLE_EQ(o["K"].toArray()[0].toDouble(), 5e-7);
    EXPECT_TRUE(o["definition"].toArray()[2].isNull());
    EXPECT_EQ(o["definition"].toArray()[1].toInt(), 0);
    EXPECT_TRUE(o["inputs"].toArray()[2].toObject()["info"].isNull());
    EXPECT_EQ(o["inputs"].toArray()[2].toObject()["source"].toString(), "Internal");
    const QJsonObject why = o["uncertain"].toObject();
    EXPECT_EQ(why["K[1]"].toString().toStdString(), "bad-character");
    EXPECT_EQ(why["definition[2]"].toString().toStdString(), "bad-character");
    EXPECT_FALSE(why.contains("K[0]"));
    EXPECT_NE(err.str().find("r27ctl: warning: K of input 2 is uncertain (a character of the "
                             "answer is not a hex digit)\n"),
              std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find("r27ctl: warning: the definition byte of input 3 is uncertain"),
              std::string::npos);
}

TEST_F(CtlRun, ALostMaskNullsEveryInputsRecord) {
    bus.add({});
    bus.faults().next("KQ", sim::Fault::noAnswer());
    ASSERT_EQ(run("read --json"), kExitOk);
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object();
    EXPECT_TRUE(o["ekeyMask"].isNull());
    EXPECT_FALSE(o["ekeyMaskValid"].toBool());
    for (int i = 0; i < 4; ++i) {
        const QJsonObject in = o["inputs"].toArray()[i].toObject();
        for (const char* key : {"source", "identifier", "description", "gain", "points"})
            EXPECT_TRUE(in[key].isNull()) << i << key;
    }
    EXPECT_EQ(o["uncertain"].toObject()["inputs[3]"].toString(), "derived");
}

TEST_F(CtlRun, TheTextReportNotesWhatIsUncertain) {
    bus.add({});
    bus.faults().next("ER05", sim::Fault::nonHex(0, '*'));
    ASSERT_EQ(run("read"), kExitOk);
    const auto l = lines();
    // the value as the window shows it, and a note at the end
    EXPECT_EQ(l[3].rfind("Filter     0  Stopped", 0), 0u) << l[3];
    EXPECT_EQ(l.back(),
              "Note: the filter is uncertain: a character of the answer is not a hex digit");
    EXPECT_EQ(err.str(), "r27ctl: warning: the filter is uncertain (a character of the answer "
                         "is not a hex digit)\n");
}

TEST_F(CtlRun, MonitorMarksAFieldThatWasNotHex) {
    bus.add({});
    // the second answer's mV/V of input 1 gets a character it never had
    bus.faults().next("MK", sim::Fault::none());
    bus.faults().next("MK", sim::Fault::nonHex(8, '~'));
    ASSERT_EQ(run("monitor --count 2"), kExitOk) << err.str();
    const auto l = lines();
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0].find('?'), std::string::npos) << l[0];
    const std::string first = l[1].substr(0, l[1].find('|'));
    EXPECT_NE(first.find("? mV/V"), std::string::npos) << l[1];
    EXPECT_EQ(std::count(l[1].begin(), l[1].end(), '?'), 1) << l[1];
    EXPECT_EQ(err.str(), "r27ctl: warning: the mV/V of input 1 is uncertain (a character of the "
                         "answer is not a hex digit)\n");
}

// The window's captions; inputs count from one; a constant too wide for
// its label is given whole, and marked in the JSON.
TEST_F(CtlRun, ReadAsTextShowsTheWindowsCaptions) {
    sim::ConverterSetup setup;
    setup.factoryQ[1] = -123456789.0f; // the window's "#######0" shows 23456792
    bus.add(setup);
    ASSERT_EQ(run("read"), kExitOk) << err.str();
    const auto l = lines();
    ASSERT_GE(l.size(), 17u);
    EXPECT_EQ(l[0], "Converter  0123RM2712");
    EXPECT_EQ(l[2], "Address    1  (0x01)");
    EXPECT_EQ(l[8].rfind("Input  Source    Identifier", 0), 0u) << l[8];
    EXPECT_EQ(l[9].rfind("1      eKey      ", 0), 0u) << l[9];
    EXPECT_EQ(l[10].rfind("2      eKey", 0), 0u) << l[10];
    EXPECT_NE(l[10].find("  -123456792"), std::string::npos) << l[10];
    out.str("");
    ASSERT_EQ(run("read --json"), kExitOk);
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object();
    EXPECT_EQ(static_cast<float>(o["Q"].toArray()[1].toDouble()), -123456789.0f);
    EXPECT_EQ(o["uncertain"].toObject()["Q[1]"].toString(), "overflow");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(o["inputs"].toArray()[i].toObject()["input"].toInt(), i + 1);
}

TEST_F(CtlRun, SilenceIsExitOneWithTheWindowsMessage) {
    EXPECT_EQ(run("--address 4 read"), kExitNoAnswer);
    EXPECT_EQ(run("scan"), kExitNoAnswer);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Na adrese 4 nebyla nalezena žádná jednotka RM-27/RMU.\n"
                         "r27ctl: na adresách 1 až 31 neodpověděl žádný převodník\n");
}

TEST_F(CtlRun, ALostLineEndsTheReadAtOnceWithOneMessage) {
    bus.add({});
    // the adapter vanishes 0.6 s into the read; the line reports it
    line.at(600, [this] {
        line.setOpen(false);
        runner->lineLost("Input/output error");
    });
    EXPECT_EQ(run("read"), kExitNoAnswer);
    EXPECT_LE(line.nowMs(), 610);
    for (const auto& f : line.sent())
        EXPECT_LE(f.timeMs, 600) << f.text;
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Komunikační port byl uzavřen: Input/output error\n");
}

TEST_F(CtlRun, MonitorPrintsOnlyDecodedTicks) {
    bus.add({});
    for (const char* csv : {"--csv", "--csv-semicolon"}) {
        SCOPED_TRACE(csv);
        const char separator = std::string(csv) == "--csv" ? ',' : ';';
        out.str("");
        const std::size_t before = line.sent().size();
        ASSERT_EQ(run(std::string("monitor --count 3 ") + csv), kExitOk) << err.str();
        const auto l = lines();
        ASSERT_EQ(l.size(), 6u + 3u);
        // the header of the window's log, for the converter just read
        const std::string header =
            MonitorCsvHeader(runner->state(), separator == ',' ? kCsvComma : kCsvSemicolon);
        EXPECT_EQ(out.str().substr(0, header.size()), header);
        EXPECT_EQ(l[0].rfind(std::string("converter") + separator + "0123RM2712" + separator, 0),
                  0u);
        EXPECT_EQ(l[5].rfind(std::string("time") + separator + "raw_1" + separator + "mvv_1", 0),
                  0u);
        // the first tick only sends; rows follow every 500 ms of the line's clock
        std::int64_t previous = 0;
        for (std::size_t r = 6; r < 9; ++r) {
            ASSERT_EQ(l[r].back(), '\r') << l[r]; // records end in CR LF
            EXPECT_EQ(std::count(l[r].begin(), l[r].end(), separator), 12) << l[r];
            const QDateTime t = QDateTime::fromString(
                QString::fromStdString(l[r].substr(0, l[r].find(separator))), Qt::ISODateWithMs);
            ASSERT_TRUE(t.isValid()) << l[r];
            // mV/V of input 1 (0.5 applied), with the dialect's decimal mark
            const std::size_t mvv = l[r].find(separator, l[r].find(separator) + 1) + 1;
            EXPECT_EQ(l[r].substr(mvv + 1, 1), separator == ',' ? "." : ",") << l[r];
            if (r > 6) {
                EXPECT_EQ(t.toMSecsSinceEpoch() - previous, 500);
            }
            previous = t.toMSecsSinceEpoch();
        }
        // stamped with the date and time of day, not counted from zero
        EXPECT_GT(QDateTime::fromMSecsSinceEpoch(previous).date().year(), 2000);
        int requests = 0;
        for (std::size_t f = before; f < line.sent().size(); ++f)
            requests += line.sent()[f].text == "$01MK\r";
        EXPECT_EQ(requests, 4);
    }
}

TEST_F(CtlRun, MonitorStopsWhenAskedAndGivesUpOnSilence) {
    bus.add({});
    stopAfterLines = 2;
    EXPECT_EQ(run("monitor"), kExitOk);
    EXPECT_EQ(lines().size(), 2u);
    EXPECT_NE(lines()[0].find(" mV/V "), std::string::npos);
    EXPECT_EQ(lines()[0].rfind("1: ", 0), 0u) << lines()[0];
    EXPECT_NE(lines()[0].find(" | 4: "), std::string::npos) << lines()[0];

    out.str("");
    stopAfterLines = 0;
    bus.faults().next("MK", sim::Fault::noAnswer(), 1000);
    EXPECT_EQ(run("monitor --count 1"), kExitNoAnswer);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("převodník přestal odpovídat"), std::string::npos);
}

// Standard output as a shell hands it over: a file on a disk that fills
// up, a file removed while the monitor writes, a pipe whose reader leaves
// (`| head`). Three rows are written before it happens.
TEST_F(CtlRun, MonitorOutputThatFailsEndsItAndLeavesWholeRecords) {
    bus.add({});
    char folder[] = "/tmp/rm27-monitor-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/values.csv";
    int pipeEnds[2] = {-1, -1};
    rlimit unlimited{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    const auto oldPipe = std::signal(SIGPIPE, SIG_IGN);
    const auto oldSize = std::signal(SIGXFSZ, SIG_IGN);
    const auto fillUp = [&] {
        rlimit full = unlimited;
        full.rlim_cur = static_cast<rlim_t>(std::filesystem::file_size(path) + 20);
        ::setrlimit(RLIMIT_FSIZE, &full);
    };
    const struct {
        const char* name;
        const char* command;
        bool toPipe;
        std::function<void()> happen;
        int status;
        std::string said; // on stderr; "" for nothing
    } cases[] = {
        {"a disk that fills up", "monitor --csv --count 10", false, fillUp, kExitNoAnswer,
         "Záznam do souboru " + path + " byl ukončen: File too large. Zapsáno řádků: 3."},
        {"the file removed", "monitor --csv --count 10", false, [&] { std::remove(path.c_str()); },
         kExitNoAnswer,
         "Záznam do souboru " + path +
             " byl ukončen: soubor nebo jeho složka již neexistuje. Zapsáno řádků: 3."},
        {"the reader gone", "monitor --count 10", true, [&] { ::close(pipeEnds[0]); }, kExitOk, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int fd = -1;
        if (c.toPipe) {
            ASSERT_EQ(::pipe(pipeEnds), 0);
            fd = pipeEnds[1];
        } else {
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        ASSERT_GE(fd, 0);
        const CtlParse p = ParseCtlArgs(Words(c.command));
        err.str("");
        runner = std::make_unique<CtlRunner>(line, line, p.options, out, err);
        runner->setOutputFd(fd);
        const int before = framesSent("$01MK\r");
        bool happened = false;
        runner->setStopRequested([&] {
            // the first request only sends; each later one follows a row
            if (!happened && framesSent("$01MK\r") - before == 4) {
                happened = true;
                c.happen();
            }
            return false;
        });
        const int status = runner->run();
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        ::close(fd);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(err.str(), c.said.empty() ? "" : c.said + "\n");
        EXPECT_EQ(out.str(), "");
        if (c.toPipe || !std::filesystem::exists(path)) continue;
        // What is left: the header and three whole rows, not a part of a fourth.
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6 + 3);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    }
    std::signal(SIGPIPE, oldPipe);
    std::signal(SIGXFSZ, oldSize);
    std::filesystem::remove_all(folder);
}

TEST_F(CtlRun, SetAddressMovesTheConverterAndReadsIt) {
    sim::ConverterSetup setup;
    setup.address = 5;
    bus.add(setup);
    ASSERT_EQ(run("--address 5 set-address 9 --json"), kExitOk) << err.str();
    EXPECT_EQ(bus.converter(0).address(), 9);
    EXPECT_EQ(runner->state().DeviceAddress, 9);
    EXPECT_EQ(framesSent("$05EW0009\r"), 1);
    EXPECT_NE(out.str().find("\"address\":9,"), std::string::npos) << out.str();
}

TEST_F(CtlRun, SetAddressWithoutEchoFailsWhenAnotherConverterAnswers) {
    sim::ConverterSetup setup;
    setup.address = 5;
    bus.add(setup);
    // the byte is damaged on the way in: the converter keeps 5 and is read there
    bus.faults().next("EW", sim::Fault::wrongEcho(5));
    EXPECT_EQ(run("set-address 9"), kExitNoAnswer);
    // and the journal entry of the address cell is named, with the way back
    EXPECT_EQ(err.str().rfind("r27ctl: převodník odpovídá na adrese 5, ne na 9\n"
                              "Adresa paměti 00h teď může obsahovat směs",
                              0),
              0u)
        << err.str();
}

TEST_F(CtlRun, RestartReadsAgainAndReportsAFailedRead) {
    bus.add({});
    ASSERT_EQ(run("restart"), kExitOk);
    EXPECT_EQ(framesSent("X\r"), 1);
    EXPECT_EQ(lines()[0], "Converter  0123RM2712");

    // a converter that never comes back after "X"
    out.str("");
    err.str("");
    bus.faults().next("@", sim::Fault::none());
    bus.faults().next("@", sim::Fault::noAnswer(), 1000);
    EXPECT_EQ(run("--address 1 restart"), kExitNoAnswer);
}

} // namespace
} // namespace rm27
