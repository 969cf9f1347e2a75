// The reading ("Načíst") under random, reproducible fault plans of every
// kind: it must end within its worst case, and when it says it read the
// converter, every value it shows is the converter's or is marked.
#include <gtest/gtest.h>

#include <tuple>

#include "reading/operations.h"
#include "soak/soak_oracle.h"
#include "soak/soak_rig.h"

namespace rm27 {
namespace {

// The protocol's worst case for the reading, from its waits and retries:
// the measurement stop, eight queries of four 1.22 s sends, eight floats of
// four bytes of four 110 ms sends, four blocks of 1.01 s, two pauses.
constexpr std::int64_t kWorstCaseMs = 500 + 8 * 4 * 1220 + 8 * 4 * 4 * 110 + 4 * 1010 + 200;

struct ReadRun {
    bool finished = false;
    bool read = false;
    std::int64_t ms = 0;
    std::size_t frames = 0;
    soak::ShownValues shown;
    bool told = false; // a failed reading said so in a box
};

ReadRun ReadOnce(std::uint64_t seed, double rate) {
    soak::Rig rig(soak::DefaultSetup());
    rig.startFaults(seed, rate);
    // A field altered on its way in gets the valid answer of another
    // request, which no rule can mark: the soak counts those apart.
    rig.bus.faults().spare(soak::AlteredFieldKinds());
    ReadRun run;
    run.finished =
        rig.runBounded(2 * kWorstCaseMs, [&](Operations& o) { run.read = DevRead(o, 1); });
    run.ms = rig.commandMs();
    run.frames = rig.line.sent().size();
    if (run.read) run.shown = soak::CheckReading(rig.state(), rig.bus);
    run.told = rig.user.warned();
    return run;
}

TEST(ReadingProperty, EndsInTimeAndShowsOnlyWhatTheConverterSaidOrMarksIt) {
    int read = 0, failed = 0, marked = 0;
    for (const double rate : {0.01, 0.05, 0.20}) {
        for (std::uint64_t seed = 1; seed <= 150; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " rate " + std::to_string(rate));
            const ReadRun r = ReadOnce(seed, rate);
            ASSERT_TRUE(r.finished);
            EXPECT_LE(r.ms, kWorstCaseMs);
            EXPECT_TRUE(r.read || r.told);
            (r.read ? read : failed) += 1;
            marked += r.shown.markedWrong;
            EXPECT_EQ(r.shown.unmarkedWrong, 0) << r.shown.firstSilent;
        }
    }
    // The plans must give both endings, and wrong values to mark, or the
    // property says little.
    EXPECT_GT(read, 0);
    EXPECT_GT(failed, 0);
    EXPECT_GT(marked, 0);
    // the same seed, the same run
    const ReadRun a = ReadOnce(41, 0.05), b = ReadOnce(41, 0.05);
    EXPECT_EQ(std::make_tuple(a.read, a.ms, a.frames, a.shown.markedWrong),
              std::make_tuple(b.read, b.ms, b.frames, b.shown.markedWrong));
}

} // namespace
} // namespace rm27
