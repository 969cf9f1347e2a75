// Cancelling a command in the middle of its exchanges, as "Ukončit", the
// close box and a lost line do: the wait in progress ends at once, not one
// more frame goes out, the operation unwinds within one poll and says
// nothing (whoever cancelled speaks for it).
#include <gtest/gtest.h>

#include "link/memory.h"
#include "reading/operations.h"
#include "support/sim_rig.h"

namespace rm27::test {
namespace {

struct Case {
    const char* name;
    std::int64_t atMs; // when the cancel comes
    bool lineLost;     // the line is gone as well (a pulled adapter)
};

class Cancel : public SimRig, public ::testing::WithParamInterface<Case> {
protected:
    Cancel() { addConverter(1); }

    // Runs op as a command cancelled at the case's time. Nothing goes out
    // after the cancel, and it ends within one poll: 10 ms (the serial
    // write's 50 ms polls are not reached by these cases).
    template <class Op> void runCancelled(Op op) {
        const Case c = GetParam();
        line.at(c.atMs, [this, c] {
            if (c.lineLost) line.setOpen(false);
            EXPECT_TRUE(guard.cancel());
        });
        session.run([&](Operations& o) { op(o); });
        for (const auto& f : line.sent())
            EXPECT_LE(f.timeMs, c.atMs) << f.text;
        EXPECT_LE(line.nowMs(), c.atMs + 10);
        EXPECT_TRUE(view.calls.empty()) << view.calls.front().text;
    }
};

TEST_P(Cancel, ReadStopsWhereItIs) {
    runCancelled([](Operations& o) { EXPECT_FALSE(DevRead(o, 1)); });
    ASSERT_FALSE(line.sent().empty());
    // what it had not read yet keeps its previous value
    EXPECT_EQ(state.DeviceAddress, 1);
    EXPECT_FALSE(view.timer);
}

TEST_P(Cancel, BlockWriteStopsAtTheByteInProgress) {
    const std::string image(256, 'A');
    Result result;
    runCancelled([&](Operations& o) { result = BlockWrite(o.port, image, 1, 0, 0); });
    EXPECT_EQ(result, ResultCode::PortClosed);
    // the bytes sent before the cancel reached the eKey, none after
    const auto kw = framesStartingWith("$01KW");
    ASSERT_GT(kw.size(), 3u);
    ASSERT_LT(kw.size(), 200u);
    EXPECT_EQ(conv().block(0)[kw.size() - 2], 'A');
    EXPECT_NE(conv().block(0)[kw.size() + 1], 'A');
}

INSTANTIATE_TEST_SUITE_P(
    ExitAndLineLoss, Cancel,
    ::testing::Values(Case{"ExitInAWait", 1003, false}, Case{"ExitOnAPoll", 2500, false},
                      Case{"LineLost", 1777, true}, Case{"LineLostLate", 3001, true}),
    [](const ::testing::TestParamInfo<Case>& c) { return std::string(c.param.name); });

TEST_F(SimRig, CancelledAddressChangeWritesNothing) {
    addConverter(5);
    ASSERT_TRUE(DevRead(ops, 5));
    const auto before = line.sent().size();
    // the user answers, and the program is closed while the measurement stops
    view.inputAnswers = {"9"};
    view.whileOpen = [&] { line.after(200, [&] { guard.cancel(); }); };
    session.run([](Operations& o) { ChangeAddress(o); });
    EXPECT_EQ(line.sent().size(), before);
    EXPECT_EQ(conv().memory(0), 5);
    EXPECT_EQ(state.DeviceAddress, 5);
}

} // namespace
} // namespace rm27::test
