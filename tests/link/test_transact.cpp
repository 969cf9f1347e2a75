// The transaction rules on virtual time: frames, retry counts, wait lengths
// and what counts as an answer.
#include <gtest/gtest.h>

#include "link/transact.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

using sim::Fault;
using test::SimFixture;

class Transact : public SimFixture {};

TEST_F(Transact, DelayMsWaitsExactlyAndServicesEventsOnce) {
    int ran = 0;
    line.after(5, [&] { ++ran; });
    DelayMs(line, 30);
    EXPECT_EQ(line.nowMs(), 30);
    EXPECT_EQ(ran, 1);
    const auto calls = line.waitCalls();
    DelayMs(line, 0); // still lets pending events run
    EXPECT_EQ(line.nowMs(), 30);
    EXPECT_GT(line.waitCalls(), calls);
}

TEST_F(Transact, FramesCutValuesToTheirLowByte) {
    EXPECT_EQ(BuildFrame(1, "ER", 5), "$01ER05\r");
    EXPECT_EQ(BuildFrame(0, "@"), "$00@\r");
    EXPECT_EQ(BuildFrame(257, "ER", 256), "$01ER00\r");
    EXPECT_EQ(BuildFrame(1, "EW", -1, 300), "$01EWFF2C\r");
}

TEST_F(Transact, DevTransactReadsOneByte) {
    conv().setMemory(5, 0x3F);
    EXPECT_EQ(DevTransact(port, 1, 5, 1200, "ER"), 63);
    ASSERT_EQ(line.sent().size(), 1u);
    EXPECT_EQ(line.sent()[0].text, "$01ER05\r");
    // 7 characters out, turnaround, 3 back: found at the second 10 ms poll
    EXPECT_EQ(line.nowMs(), 20);
}

TEST_F(Transact, DevTransactGivesUpAfterExactlyFourSends) {
    bus.faults().next("ER", Fault::noAnswer(), 4);
    EXPECT_EQ(DevTransact(port, 1, 5, 1200, "ER"), -1);
    ASSERT_EQ(line.sent().size(), 4u);
    // each send waits (1200 / 10 + 1) polls of 10 ms
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(line.sent()[i].timeMs, i * 1210);
    EXPECT_EQ(line.nowMs(), 4 * 1210);
}

TEST_F(Transact, DevTransactAcceptsAnAnswerDuringTheFourthWait) {
    conv().setMemory(5, 0x42);
    bus.faults().next("ER", Fault::noAnswer(), 3);
    EXPECT_EQ(DevTransact(port, 1, 5, 1200, "ER"), 0x42);
    EXPECT_EQ(line.sent().size(), 4u);
}

TEST_F(Transact, WrongLengthAnswersNeverMatch) {
    for (const Fault& f :
         {Fault::strayLf(), Fault::extraCr(), Fault::truncate(2), Fault::garbageBefore("#")}) {
        SCOPED_TRACE(sim::FaultKindName(f.kind));
        bus.faults().clear();
        bus.faults().next("ER", f, 4);
        const auto before = line.sent().size();
        EXPECT_EQ(DevTransact(port, 1, 5, 1200, "ER"), -1);
        EXPECT_EQ(line.sent().size() - before, 4u);
        DelayMs(line, 100); // let stragglers of the fourth answer arrive
        line.input();
    }
}

TEST_F(Transact, NonHexAnswerOfTheRightLengthReadsAsZero) {
    conv().setMemory(5, 0x3F);
    bus.faults().next("ER", Fault::nonHex(0, 'G'));
    EXPECT_EQ(DevTransact(port, 1, 5, 1200, "ER"), 0);
    EXPECT_EQ(line.sent().size(), 1u);
}

TEST_F(Transact, TimeoutBelowTenStillWaitsOnePollPerSend) {
    bus.faults().next("ER", Fault::noAnswer(), 4);
    EXPECT_EQ(DevTransact(port, 1, 5, 9, "ER"), -1);
    ASSERT_EQ(line.sent().size(), 4u);
    EXPECT_EQ(line.sent()[3].timeMs, 30);
    EXPECT_EQ(line.nowMs(), 40);
}

TEST_F(Transact, OnlyTheAddressedConverterAnswers) {
    bus.add(test::AtAddress(7));
    conv(1).setMemory(5, 0x07);
    conv(0).setMemory(5, 0x01);
    EXPECT_EQ(DevTransact(port, 7, 5, 1200, "ER"), 7);
    EXPECT_EQ(DevTransact(port, 1, 5, 1200, "ER"), 1);
    EXPECT_EQ(DevTransact(port, 9, 5, 100, "ER"), -1);
}

TEST_F(Transact, DevTransactWriteSendsOnceAfterTheSettlePause) {
    EXPECT_EQ(DevTransactWrite(port, 1, 0x10, 0x55, 1200, "EW"), 0x55);
    ASSERT_EQ(line.sent().size(), 1u);
    EXPECT_EQ(line.sent()[0].text, "$01EW1055\r");
    EXPECT_EQ(line.sent()[0].timeMs, 500);
    EXPECT_EQ(conv().memory(0x10), 0x55);
    EXPECT_EQ(line.nowMs(), 750); // 500 + 200 + one 50 ms poll
}

TEST_F(Transact, DevTransactWriteDiscardsWhatWaitedBeforeTheSend) {
    line.output("$01@\r"); // an answer nobody will read
    DelayMs(line, 30);
    ASSERT_GT(line.inBufferCount(), 0);
    EXPECT_EQ(DevTransactWrite(port, 1, 0x10, 0x55, 1200, "EW"), 0x55);
}

TEST_F(Transact, DevTransactWriteWaitsFourTimesWithoutResending) {
    bus.faults().next("EW", Fault::noAnswer());
    EXPECT_EQ(DevTransactWrite(port, 1, 0x10, 0x55, 1200, "EW"), -1);
    EXPECT_EQ(line.sent().size(), 1u);
    // 700 ms of pauses, then four waits of 121 polls of 50 ms, 10 ms each after
    EXPECT_EQ(line.nowMs(), 700 + 4 * (121 * 50 + 10));
}

TEST_F(Transact, DevTransactWriteRejectsAWrongEchoOnEveryWait) {
    bus.faults().next("EW", Fault::wrongEcho(0x54));
    EXPECT_EQ(DevTransactWrite(port, 1, 0x10, 0x55, 1200, "EW"), -1);
    EXPECT_EQ(line.sent().size(), 1u);
    EXPECT_EQ(bus.answers().size(), 1u); // an answer came, it was just wrong
}

TEST_F(Transact, DevTransactWriteTakesALateEchoOnALaterWait) {
    bus.faults().next("EW", Fault::late(9000));
    EXPECT_EQ(DevTransactWrite(port, 1, 0x10, 0x55, 1200, "EW"), 0x55);
    EXPECT_EQ(line.sent().size(), 1u);
    EXPECT_GT(line.nowMs(), 9000);
    EXPECT_LT(line.nowMs(), 700 + 2 * (121 * 50 + 10));
}

TEST_F(Transact, DevTransactWriteWithTinyTimeoutPollsOncePerWait) {
    bus.faults().next("EW", Fault::noAnswer());
    EXPECT_EQ(DevTransactWrite(port, 1, 0x10, 0x55, 5, "EW"), -1);
    EXPECT_EQ(line.nowMs(), 700 + 4 * (50 + 10));
}

TEST_F(Transact, DevQueryReturnsTheAnswerWithoutItsCr) {
    EXPECT_EQ(DevQuery(port, 1, "@", 10, 1200), conv().id());
    EXPECT_EQ(line.sent()[0].text, "$01@\r");
    EXPECT_EQ(DevQuery(port, 1, "AUTO00", 2, 1200).size(), 2u);
    EXPECT_EQ(DevQuery(port, 1, "DEF", 8, 1200), "00000000");
}

TEST_F(Transact, DevQueryRetriesThenGivesEmptyText) {
    bus.faults().next("@", Fault::extraCr(), 4); // 12 characters, never 11
    EXPECT_EQ(DevQuery(port, 1, "@", 10, 1200), "");
    EXPECT_EQ(line.sent().size(), 4u);
    // each failed send: 121 polls, then a 10 ms pause before the flush
    EXPECT_EQ(line.nowMs(), 4 * (1210 + 10));
}

TEST_F(Transact, DevQueryAnsweredOnTheLastSend) {
    bus.faults().next("@", Fault::noAnswer(), 3);
    EXPECT_EQ(DevQuery(port, 0, "@", 10, 1200), conv().id());
    EXPECT_EQ(line.sent().size(), 4u);
}

} // namespace
} // namespace rm27
