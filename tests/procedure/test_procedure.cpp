// The files and the state of a load series: the plan and the class table
// read back as written and refused when broken, the readings file written
// row by row and read back strictly, the stability detector and the walk.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "procedure/classes.h"
#include "procedure/plan.h"
#include "procedure/readings.h"
#include "procedure/stability.h"
#include "procedure/walk.h"

namespace rm27 {
namespace {

const char* const kPlan = R"({
  "input": 2, "unit": "kN", "loads": [50, 100, 150], "preloads": 1,
  "series": [{"position_deg": 0, "direction": "up"}, {"position_deg": 120, "direction": "down"}],
  "stability": {"band_mvv": 0.0002, "time_ms": 2000}
})";

TEST(PlanFile, ReadsBackAsWrittenAndNamesWhatIsWrong) {
    const PlanParse parsed = ParsePlanJson(kPlan);
    ASSERT_TRUE(parsed.ok()) << parsed.error.czech();
    EXPECT_EQ(parsed.plan.input, 2);
    EXPECT_EQ(parsed.plan.series[1], (SeriesPlan{120, Direction::Down}));
    EXPECT_EQ(parsed.plan.stability, (StabilityCriterion{0.0002, 2000}));
    const PlanParse again = ParsePlanJson(PlanJson(parsed.plan));
    ASSERT_TRUE(again.ok()) << again.error.czech();
    EXPECT_EQ(again.plan, parsed.plan);

    const auto broken = [](const std::string& from, const std::string& to) {
        std::string text = kPlan;
        text.replace(text.find(from), from.size(), to);
        return ParsePlanJson(text).error.czech();
    };
    EXPECT_EQ(ParsePlanJson("[]").error.czech(), "Plán: „input“ chybí nebo nemá správný typ.");
    EXPECT_EQ(broken("}\n}", "}"), "Plán nelze přečíst: není to JSON.");
    EXPECT_EQ(broken("\"input\": 2", "\"input\": 5"), "Plán: vstup musí být 1 až 4.");
    for (const char* loads : {"[50]", "[50, 50, 150]", "[0, 100]", "[\"50\", 100]"})
        EXPECT_NE(broken("[50, 100, 150]", loads), "") << loads;
    EXPECT_EQ(broken("\"down\"", "\"Down\""), "Plán: směr série 2 musí být „up“ nebo „down“.");
    EXPECT_EQ(broken("0.0002", "0"),
              "Plán: pásmo stability musí být větší než nula a doba nesmí být záporná.");
    EXPECT_EQ(broken("\"unit\": \"kN\", ", ""), "Plán: „unit“ chybí nebo nemá správný typ.");
}

TEST(ClassTableFile, JsonAndCsvReadBackAndBrokenOnesAreRefused) {
    const ClassTable table = DefaultClassTable();
    for (const std::string& text : {ClassTableJson(table), ClassTableCsv(table)}) {
        const ClassTableParse parsed = ParseClassTable(text);
        ASSERT_TRUE(parsed.ok()) << parsed.error.czech();
        EXPECT_EQ(parsed.table, table);
    }
    EXPECT_EQ(ParseClassTable("class,b,b_prime,fc,f0,v\nA,1,1,1,1,1\n").table.size(), 1u);
    for (const char* bad :
         {"", "class,b,b_prime,fc,f0\nA,1,1,1,1\n", "class,b,b_prime,fc,f0,v\nA,1,1,1,-1,1\n",
          "class,b,b_prime,fc,f0,v\n,1,1,1,1,1\n", "class,b,b_prime,fc,f0,v\n",
          "[{\"class\": \"A\", \"b\": 1}]", "[x"})
        EXPECT_FALSE(ParseClassTable(bad).ok()) << bad;
}

TEST(ReadingsFile, RowsAppendedAcrossARestartReadBackExactly) {
    const std::vector<Reading> rows = {
        {1, 0, Direction::Up, ReadingKind::ZeroBefore, 0, -1.25e-7, 0.1 + 0.2},
        {1, 0, Direction::Up, ReadingKind::Load, 12.5, 1.9999999, std::nan("")},
        {2, 240.5, Direction::Down, ReadingKind::ZeroAfter, 0, 0.000123, -3},
    };
    const std::string path = testing::TempDir() + "rm27readings-" + std::to_string(::getpid());
    std::ofstream{path}; // there, empty
    const auto text = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    Text error;
    {
        ReadingsWriter writer;
        ASSERT_TRUE(writer.open(path, error)) << error.czech();
        ASSERT_TRUE(writer.append(rows[0], error)) << error.czech();
        ASSERT_TRUE(writer.append(rows[1], error)) << error.czech();
        // Flushed as taken: on disk before the writer goes away.
        EXPECT_EQ(ParseReadings(text()).readings.size(), 2u);
    }
    ReadingsWriter resumed; // a run taken up again: no second header
    ASSERT_TRUE(resumed.open(path, error)) << error.czech();
    ASSERT_TRUE(resumed.append(rows[2], error)) << error.czech();
    const ReadingsParse parsed = ParseReadings(text());
    ASSERT_TRUE(parsed.ok()) << parsed.error.czech();
    EXPECT_EQ(parsed.readings, rows);
    EXPECT_EQ(text().rfind(kReadingsHeader), 0u);
    std::filesystem::remove(path);
}

TEST(ReadingsFile, StrictReadingNamesTheLine) {
    const std::string header = std::string(kReadingsHeader) + "\n";
    const std::string good = "1,0,up,zero-before,0,0.5,0\n";
    struct Case {
        std::string text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"series,position,direction,kind,load,signal_mvv,value\n", 1, "záhlaví"},
        {"", 1, "záhlaví"},
        {header + good + "1,0,up,load,10,1.5\n", 3, "7 polí"},
        {header + "0,0,up,load,10,1.5,1\n", 2, "číslo série"},
        {header + good + "1,0,up,load,1 0,1.5,1\n", 3, "„1 0“ není číslo"},
        {header + good + "1,0,up,load,10,inf,1\n", 3, "„inf“ není číslo"},
        {header + good + "1,0,up,load,10,1.5,nan\n", 3, "„nan“ není číslo"},
        {header + good + "1,0,UP,load,10,1.5,1\n", 3, "směr"},
        {header + good + "1,0,up,zero,0,1.5,1\n", 3, "druh"},
        {header + good + "\n1,0,up,load,10,1.5,1\n", 3, "7 polí"},
        {header + "2,0,up,load,10,1.5,1\n", 2, "série 2 nenavazuje"},
        {header + good + "3,0,up,load,10,1.5,1\n", 3, "série 3 nenavazuje"},
        {header + good + "1,0,down,load,10,1.5,1\n", 3, "série 1 nenavazuje"},
        {header + good + "1,120,up,load,10,1.5,1\n", 3, "série 1 nenavazuje"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ReadingsParse parsed = ParseReadings(c.text);
        EXPECT_EQ(parsed.errorLine, c.line);
        const std::string error = parsed.error.czech();
        EXPECT_EQ(error.rfind("Řádek " + std::to_string(c.line) + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_TRUE(parsed.readings.empty());
    }
    // A run cut short in the middle of a series is still readable.
    EXPECT_TRUE(ParseReadings(header + good + "1,0,up,load,10,1.5,1").ok());
}

TEST(Stability, ProgressFollowsTheTimeInTheBand) {
    struct Sample {
        std::int64_t t;
        double signal;
        double progress; // expected after the sample
    };
    struct Case {
        const char* what;
        std::vector<Sample> samples;
    };
    // Band 0.001 mV/V for 1000 ms.
    const Case cases[] = {
        {"steady", {{0, 1.0, 0}, {500, 1.0009, 0.5}, {1000, 1.0002, 1}, {5000, 1.0005, 1}}},
        {"a jump starts again", {{0, 1.0, 0}, {900, 1.0, 0.9}, {1000, 1.5, 0}, {2000, 1.5, 1}}},
        {"a drift keeps what still agrees",
         {{0, 1.0, 0}, {500, 1.0006, 0.5}, {1000, 1.0012, 0.5}, {1500, 1.0015, 1}}},
        {"no answer starts again", {{0, 1.0, 0}, {800, NAN, 0}, {900, 1.0, 0}, {1900, 1.0, 1}}},
        {"time going back starts again", {{1000, 1.0, 0}, {1900, 1.0, 0.9}, {1200, 1.0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StabilityDetector detector({0.001, 1000});
        for (const Sample& s : c.samples) {
            detector.feed(s.t, s.signal);
            EXPECT_DOUBLE_EQ(detector.progress(), s.progress) << "at " << s.t;
            EXPECT_EQ(detector.stable(), s.progress >= 1.0) << "at " << s.t;
        }
    }
}

TEST(Walk, StepsInOrderWithSkipRepeatAndPause) {
    Plan plan = ParsePlanJson(kPlan).plan;
    Walk walk(plan);
    // One preload; zero, 50, 100, 150, zero; zero, 150, 100, 50, zero.
    ASSERT_EQ(walk.steps().size(), 11u);
    EXPECT_EQ(walk.current(), (Step{StepKind::Preload, 1, 0, 150, 0, Direction::Up}));
    EXPECT_FALSE(walk.repeat());
    EXPECT_TRUE(walk.complete());
    walk.pause();
    EXPECT_FALSE(walk.complete());
    EXPECT_FALSE(walk.skip());
    EXPECT_EQ(walk.index(), 1u);
    walk.resume();
    EXPECT_TRUE(walk.complete()); // zero before series 1
    EXPECT_TRUE(walk.skip());     // 50
    EXPECT_EQ(walk.skipped().size(), 1u);
    EXPECT_TRUE(walk.repeat());
    EXPECT_EQ(walk.current().load, 50);
    EXPECT_TRUE(walk.complete());
    EXPECT_TRUE(walk.skipped().empty());
    while (walk.current().kind != StepKind::ZeroBefore)
        walk.complete();
    EXPECT_TRUE(walk.complete());
    const Reading r = walk.readingOf(1.5, 150.5);
    EXPECT_EQ(r, (Reading{2, 120, Direction::Down, ReadingKind::Load, 150, 1.5, 150.5}));
    while (walk.complete()) {
    }
    EXPECT_TRUE(walk.done());
    EXPECT_EQ(walk.index(), 11u);
}

} // namespace
} // namespace rm27
