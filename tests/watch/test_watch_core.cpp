// The Qt-free parts of watching and recording: the chart's rings and their
// thinning, the CSV format read back by an independent reader, the time
// stamps, the log file's failures, and the frame trace's book.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <sys/resource.h>

#include "csv_reader.h"
#include "watch/csv_format.h"
#include "watch/csv_log.h"
#include "watch/series_ring.h"
#include "watch/tick_sample.h"
#include "watch/trace_book.h"
#include "watch/wall_time.h"

namespace rm27 {
namespace {

namespace fs = std::filesystem;

// The local zone; each test that depends on it sets its own.
void SetZone(const char* tz) {
    ::setenv("TZ", tz, 1);
    ::tzset();
}

struct TempDir {
    fs::path path = ::mkdtemp(std::string("/tmp/rm27watchXXXXXX").data());
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string file(const std::string& name) const { return (path / name).string(); }
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

WatchHeader Header() {
    WatchHeader h;
    h.deviceId = "0123RM2712";
    h.address = 7;
    const char* descriptions[] = {"Load cell 500 kg", "Síla, \"tah\"", "Teplota; venku", ""};
    const char* units[] = {"kg", "kN", "°C", ""};
    const char* formats[] = {"####0.0", "##0.000", "#####0", "0.00"};
    for (std::size_t i = 0; i < 4; ++i) {
        h.inputs[i] = {"SIMKEY0" + std::to_string(i + 1), descriptions[i], units[i], formats[i]};
    }
    h.tare[1] = 1.25;
    return h;
}

TickSample Sample(std::int64_t wallMs, double scale, bool answered = true) {
    TickSample s;
    s.answered = answered;
    s.monoMs = wallMs;
    s.wallMs = wallMs;
    s.header = Header();
    for (std::size_t i = 0; i < 4; ++i) {
        const double n = static_cast<double>(i + 1);
        s.raw[i] = static_cast<float>(8388608 + 1000 * n * scale);
        s.signal[i] = static_cast<float>(0.5 * n * scale);
        s.value[i] = -12.345 * n * scale;
    }
    return s;
}

// "1.5" or "1,5" as a number.
double Number(std::string text, char decimal) {
    if (decimal == ',') {
        EXPECT_EQ(text.find('.'), std::string::npos) << text;
        for (char& c : text)
            if (c == ',') c = '.';
    }
    std::size_t used = 0;
    const double v = std::stod(text, &used);
    EXPECT_EQ(used, text.size()) << text;
    return v;
}

// ------------------------------------------------------------------ rings

TEST(SeriesRing, KeepsTheNewestPointsInOrderAndNeverGrows) {
    for (const std::size_t capacity :
         {std::size_t{1}, std::size_t{3}, SeriesRing::kDefaultCapacity}) {
        SeriesRing ring(capacity);
        const std::size_t pushed = 3 * capacity + 2;
        for (std::size_t k = 0; k < pushed; ++k) {
            ring.push({static_cast<std::int64_t>(k) * 500, static_cast<float>(k), 0, 0});
            ASSERT_EQ(ring.size(), std::min(k + 1, capacity));
        }
        EXPECT_EQ(ring.capacity(), capacity);
        for (std::size_t i = 0; i < ring.size(); ++i)
            EXPECT_EQ(ring.at(i).raw, static_cast<float>(pushed - capacity + i)) << capacity;
        // time order: lowerBound finds the first point at or after a time
        const std::int64_t t = ring.at(ring.size() / 2).t;
        EXPECT_EQ(ring.lowerBound(t), ring.size() / 2);
        EXPECT_EQ(ring.lowerBound(t - 1), ring.size() / 2);
        EXPECT_EQ(ring.lowerBound(ring.back().t + 1), ring.size());
    }
    // the longest span shown, 30 minutes at one tick per 500 ms, fits
    EXPECT_GE(SeriesRing::kDefaultCapacity, 30u * 60u * 2u + 1u);
}

TEST(SeriesRing, ThinningKeepsSpikesAndTheirOrder) {
    SeriesRing ring(10000);
    for (int k = 0; k < 10000; ++k) {
        const float v = k == 5003 ? 100.0f : k == 7001 ? -50.0f : static_cast<float>(k % 7);
        ring.push({k, 0, 0, v});
    }
    std::vector<std::pair<std::int64_t, double>> out;
    DecimateMinMax(ring, Quantity::Value, 0, 9999, 100, out);
    EXPECT_LE(out.size(), 200u);
    EXPECT_GE(out.size(), 100u);
    for (std::size_t i = 1; i < out.size(); ++i)
        ASSERT_LT(out[i - 1].first, out[i].first);
    auto has = [&](std::int64_t t, double v) {
        return std::find(out.begin(), out.end(), std::make_pair(t, v)) != out.end();
    };
    EXPECT_TRUE(has(5003, 100.0));
    EXPECT_TRUE(has(7001, -50.0));

    // few points: all of them, in the range asked, without the NaN
    SeriesRing small(10);
    for (int k = 0; k < 10; ++k)
        small.push({k * 10, 0.0f,
                    k == 4 ? std::numeric_limits<float>::quiet_NaN() : static_cast<float>(k),
                    0.0f});
    DecimateMinMax(small, Quantity::Signal, 20, 60, 100, out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out.front(), std::make_pair(std::int64_t{20}, 2.0));
    EXPECT_EQ(out.back(), std::make_pair(std::int64_t{60}, 6.0));
}

// -------------------------------------------------------------------- csv

TEST(CsvFormat, NumbersRoundAsTheyReadAndTakeTheDecimalMark) {
    struct Case {
        double value;
        int decimals;
        char decimal;
        const char* text;
    };
    const Case cases[] = {
        {1.0005, 3, '.', "1.001"},       {-0.0001, 3, '.', "0.000"},
        {0.5, 6, ',', "0,500000"},       {9.9996, 3, '.', "10.000"},
        {16777215, 0, '.', "16777215"},  {-2.5, 0, '.', "-3"},
        {123.45, 1, ',', "123,5"},       {-1234.5678, 2, ',', "-1234,57"},
        {1e-7, 6, '.', "0.000000"},      {std::numeric_limits<double>::quiet_NaN(), 3, '.', ""},
        {2.0, 0, ',', "2"},              {-std::numeric_limits<double>::infinity(), 0, '.', ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CsvNumber(c.value, c.decimals, c.decimal), c.text) << c.value;
    EXPECT_EQ(DecimalsOf("##0.000 "), 3);
    EXPECT_EQ(DecimalsOf("#####0"), 0);
    EXPECT_EQ(DecimalsOf("0,00"), 2);
}

TEST(CsvFormat, HeaderAndRowsReadBackInBothDialects) {
    SetZone("UTC0");
    for (const CsvDialect dialect : {kCsvComma, kCsvSemicolon}) {
        SCOPED_TRACE(std::string("separator ") + dialect.separator);
        std::string text = CsvHeader(Header(), LogColumns(), dialect);
        const std::int64_t t0 = 1796342419250; // 2026-12-04T00:00:19.250Z
        for (int k = 0; k < 3; ++k)
            text += CsvLogRow(Sample(t0 + 500 * k, 1.0 + k), dialect);

        test::CsvRecords records;
        ASSERT_TRUE(test::ReadCsv(text, dialect.separator, records)) << text;
        ASSERT_EQ(records.size(), 9u);
        for (const auto& r : records)
            EXPECT_EQ(r.size(), 13u) << r[0];
        const char* const kinds[] = {"converter", "sensor", "description", "unit", "tare", "time"};
        for (std::size_t r = 0; r < 6; ++r)
            EXPECT_EQ(records[r][0], kinds[r]);
        EXPECT_EQ(records[0][1], "0123RM2712");
        EXPECT_EQ(records[0][3], "7");
        EXPECT_EQ(records[1][4], "SIMKEY02");
        for (int c = 4; c <= 6; ++c)
            EXPECT_EQ(records[2][c], "Síla, \"tah\"");
        EXPECT_EQ(records[2][7], "Teplota; venku");
        EXPECT_EQ(std::vector<std::string>(records[3].begin() + 1, records[3].begin() + 7),
                  (std::vector<std::string>{"DIV", "mV/V", "kg", "DIV", "mV/V", "kN"}));
        EXPECT_EQ(records[3][9], "°C");
        // the tare of each value in its format
        const auto in = [&](std::string number) {
            std::replace(number.begin(), number.end(), '.', dialect.decimal);
            return number;
        };
        EXPECT_EQ(records[4],
                  (std::vector<std::string>{"tare", "", "", in("0.0"), "", "", in("1.250"), "", "",
                                            "0", "", "", in("0.00")}));
        EXPECT_EQ(records[5][1], "raw_1");
        EXPECT_EQ(records[5][2], "mvv_1");
        EXPECT_EQ(records[5][12], "value_4");

        for (int k = 0; k < 3; ++k) {
            const auto& r = records[6 + static_cast<std::size_t>(k)];
            EXPECT_EQ(r[0], IsoLocalTime(t0 + 500 * k));
            const TickSample s = Sample(t0 + 500 * k, 1.0 + k);
            for (std::size_t i = 0; i < 4; ++i) {
                EXPECT_EQ(Number(r[1 + 3 * i], dialect.decimal), s.raw[i]);
                EXPECT_NEAR(Number(r[2 + 3 * i], dialect.decimal), s.signal[i], 5e-7);
                const int decimals = DecimalsOf(Header().inputs[i].numberFormat);
                EXPECT_NEAR(Number(r[3 + 3 * i], dialect.decimal), s.value[i],
                            0.5 * std::pow(10.0, -decimals) + 1e-9);
                // exactly the sensor's decimals
                const std::size_t mark = r[3 + 3 * i].find(dialect.decimal);
                EXPECT_EQ(mark == std::string::npos ? 0 : r[3 + 3 * i].size() - mark - 1,
                          static_cast<std::size_t>(decimals));
            }
        }
        EXPECT_EQ(records[6][0], "2026-12-04T00:00:19.250");
    }
}

TEST(CsvFormat, TheFileStaysUtf8WhateverTheLineBrought) {
    WatchHeader h = Header();
    h.deviceId = "0123RM271\xE9"; // a byte garbled on the line
    h.inputs[0].description = "Siloměr";
    test::CsvRecords records;
    ASSERT_TRUE(test::ReadCsv(CsvHeader(h, LogColumns(), kCsvComma), ',', records));
    EXPECT_EQ(records[0][1], "0123RM271\uFFFD");
    EXPECT_EQ(records[2][1], "Siloměr");
}

TEST(WallTime, LocalTimeWithMillisecondsAndDaylightSaving) {
    SetZone("UTC0");
    EXPECT_EQ(IsoLocalTime(0), "1970-01-01T00:00:00.000");
    EXPECT_EQ(IsoLocalTime(-1), "1969-12-31T23:59:59.999");
    EXPECT_EQ(IsoLocalTime(1796342419005), "2026-12-04T00:00:19.005");
    SetZone("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(IsoLocalTime(1796342419005), "2026-12-04T01:00:19.005");
    EXPECT_EQ(IsoLocalTime(1783123200000), "2026-07-04T02:00:00.000");

    std::int64_t epoch = 1000000;
    WallAnchor anchor([&] { return epoch; });
    EXPECT_EQ(anchor.wallMs(40), 1000000);
    epoch = 5; // a stepped system clock moves nothing once anchored
    EXPECT_EQ(anchor.wallMs(540), 1000500);
    EXPECT_EQ(anchor.wallMs(1040), 1001000);
}

// -------------------------------------------------------------------- log

TEST(CsvLog, EachRecordReachesTheFileAtOnce) {
    TempDir dir;
    CsvLog log;
    const std::string path = dir.file("a.csv");
    ASSERT_TRUE(log.start(path, Header(), kCsvSemicolon).empty());
    const std::string header = CsvHeader(Header(), LogColumns(), kCsvSemicolon);
    EXPECT_EQ(ReadFile(path), header);
    std::string expected = header;
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(log.record(Sample(1000 + k, 1.0)));
        EXPECT_TRUE(log.record(Sample(2000 + k, 1.0, false))); // "-----": no record
        expected += CsvLogRow(Sample(1000 + k, 1.0), kCsvSemicolon);
        // read while the log still holds the file: nothing waits in a buffer
        EXPECT_EQ(ReadFile(path), expected);
    }
    EXPECT_EQ(log.rows(), 3);
    log.stop();
    EXPECT_EQ(log.stopReason(), LogStop::ByUser);
    EXPECT_FALSE(log.active());
}

TEST(CsvLog, StopsOnAFullDiskAVanishedFolderOrAnotherConverter) {
    {
        // a full disk at the start: the header cannot be written
        CsvLog log;
        EXPECT_FALSE(log.start("/dev/full", Header(), kCsvComma).empty());
        EXPECT_FALSE(log.active());
        CsvLog none;
        EXPECT_FALSE(none.start("/nonexistent/folder/a.csv", Header(), kCsvComma).empty());
    }
    {
        TempDir dir;
        fs::create_directory(dir.path / "sub");
        const std::string path = (dir.path / "sub" / "a.csv").string();
        CsvLog log;
        ASSERT_TRUE(log.start(path, Header(), kCsvComma).empty());
        EXPECT_TRUE(log.record(Sample(1, 1.0)));
        fs::remove_all(dir.path / "sub");
        EXPECT_FALSE(log.record(Sample(2, 1.0)));
        EXPECT_EQ(log.stopReason(), LogStop::Vanished);
        EXPECT_FALSE(log.active());
        EXPECT_FALSE(log.failure().empty());
        EXPECT_EQ(log.rows(), 1);
        EXPECT_TRUE(log.record(Sample(3, 1.0))); // stopped: nothing more happens
        EXPECT_EQ(log.rows(), 1);
    }
    // The header no longer says what the values are: another unit, or
    // another tare subtracted.
    for (const bool tare : {false, true}) {
        TempDir dir;
        CsvLog log;
        ASSERT_TRUE(log.start(dir.file("a.csv"), Header(), kCsvComma).empty());
        TickSample other = Sample(1, 1.0);
        if (tare)
            other.header.tare[0] = 2;
        else
            other.header.inputs[2].unit = "MPa";
        EXPECT_FALSE(log.record(other));
        EXPECT_EQ(log.stopReason(), LogStop::HeaderChanged);
        EXPECT_EQ(log.failure().czech().rfind(tare ? "tára" : "převodník", 0), 0u)
            << log.failure().czech();
        EXPECT_EQ(log.rows(), 0);
    }
}

TEST(CsvLog, ADiskThatFillsUpLeavesOnlyWholeRecords) {
    TempDir dir;
    const std::string path = dir.file("a.csv");
    CsvLog log;
    ASSERT_TRUE(log.start(path, Header(), kCsvComma).empty());
    ASSERT_TRUE(log.record(Sample(1, 1.0)));
    const auto good = fs::file_size(path);
    // The file may grow by half a record more: the next write stops short.
    const auto row = CsvLogRow(Sample(2, 1.0), kCsvComma).size();
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = static_cast<rlim_t>(good + row / 2);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = log.record(Sample(2, 1.0));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_EQ(log.stopReason(), LogStop::WriteFailed);
    EXPECT_FALSE(log.failure().empty());
    EXPECT_EQ(fs::file_size(path), good);
    test::CsvRecords records;
    ASSERT_TRUE(test::ReadCsv(ReadFile(path), ',', records));
    EXPECT_EQ(records.size(), 7u);
}

// ------------------------------------------------------------------ trace

WireMessage Tx(std::int64_t ms, const char* text) {
    return {ms, TraceDir::Tx, text};
}
WireMessage Rx(std::int64_t ms, const char* text) {
    return {ms, TraceDir::Rx, text};
}
WireMessage Note(const char* text) {
    return {-1, TraceDir::Note, text};
}

TEST(TraceBook, NamesTheCommandsOfFrames) {
    const std::pair<const char*, const char*> commands[] = {
        {"$01ER05\\r", "ER"}, {"$00AUTO00\\r", "AUTO"}, {"$01DEF\\r", "DEF"}, {"$05@\\r", "@"},
        {"$01KBA0\\r", "KB"}, {"$01EWAB05\\r", "EW"},   {"X\\r", "X"},        {"\\r", ""},
        {"$01MK\\r", "MK"},   {"$01QQ12\\r", "QQ"},
    };
    for (const auto& [frame, command] : commands)
        EXPECT_EQ(CommandOf(frame), command) << frame;
}

TEST(TraceBook, JoinsTheFramesPiecesAndKeepsTheLast) {
    TraceBook book(5);
    book.add(Note("opened \"/dev/pts/3\" \"9600,n,8,1\""));
    book.add(Tx(10, "$01@\\r"));
    book.add(Rx(40, "0123R"));
    EXPECT_TRUE(book.hasPending());
    book.add(Rx(50, "M2712\\r"));
    EXPECT_FALSE(book.hasPending());
    ASSERT_EQ(book.size(), 3u);
    const TraceLine& answer = book.bySerial(2);
    EXPECT_EQ(answer.dir, TraceDir::Rx);
    EXPECT_EQ(answer.ms, 40);
    EXPECT_EQ(answer.text, "0123RM2712\\r");
    EXPECT_EQ(answer.command, "@");
    EXPECT_EQ(TraceText(answer), "     0.040  RX  0123RM2712\\r");
    EXPECT_EQ(TraceText(book.bySerial(0)), "            --  opened \"/dev/pts/3\" \"9600,n,8,1\"");

    // an answer without its CR is all there is once the next frame goes
    book.add(Tx(60, "$01MK\\r"));
    book.add(Rx(70, "00FF"));
    book.add(Tx(560, "$01MK\\r"));
    EXPECT_EQ(book.bySerial(4).text, "00FF");
    EXPECT_EQ(book.bySerial(4).command, "MK");
    // bounded: the oldest go, serials keep counting
    EXPECT_EQ(book.size(), 5u);
    EXPECT_EQ(book.firstSerial(), 1u);
    EXPECT_EQ(book.endSerial(), 6u);
    EXPECT_EQ(book.bySerial(1).text, "$01@\\r");
    book.clear();
    EXPECT_EQ(book.size(), 0u);
    EXPECT_EQ(book.firstSerial(), 6u);
}

TEST(TraceBook, FilterByCommandLetters) {
    TraceBook book;
    for (const WireMessage& m : {Note("opened x"), Tx(1, "$01ER05\\r"), Rx(2, "0A\\r"),
                                 Tx(3, "$01MK\\r"), Rx(4, "00\\r"), Tx(5, "$01KB00\\r"),
                                 Rx(6, "FF\\r")})
        book.add(m);
    book.flushPending();
    auto shown = [&](const std::string& words) {
        const TraceFilter f(words);
        std::string out;
        for (std::uint64_t s = book.firstSerial(); s < book.endSerial(); ++s)
            if (f.accepts(book.bySerial(s))) out += std::to_string(s);
        return out;
    };
    EXPECT_EQ(shown(""), "0123456");
    EXPECT_EQ(shown("MK"), "034");
    EXPECT_EQ(shown("-MK"), "01256");
    EXPECT_EQ(shown("er, kb"), "01256");
    EXPECT_EQ(shown("ER KB -KB"), "012");
    EXPECT_TRUE(TraceFilter(" , ").empty());
}

} // namespace
} // namespace rm27
