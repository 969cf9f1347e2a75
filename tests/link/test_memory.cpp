// Memory floats and 256-byte blocks on virtual time: codes, frames, and what
// the converter holds afterwards.
#include <gtest/gtest.h>

#include <cmath>

#include "link/codecs.h"
#include "link/memory.h"
#include "link/transact.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

using sim::Fault;
using sim::RequestMatch;

std::string PatternBlock(std::size_t size, int salt = 0) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 7 + static_cast<std::size_t>(salt)) & 0xFF);
    return s;
}

// A block write that stopped at byte (from 1).
Result WriteFailed(ResultCode code, std::int32_t byte) {
    return Result::Of(ResultOf::BlockWrite, code, byte);
}

class Memory : public test::SimFixture {};

TEST_F(Memory, FloatsTravelLeastSignificantByteFirst) {
    EXPECT_EQ(MemWriteFloat(port, 1, 144, 1.0, 1200), 1.0);
    EXPECT_EQ(conv().memoryFloat(144), 1.0f);
    const auto frames = framesStartingWith("$01EW");
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0], "$01EW9000\r");
    EXPECT_EQ(frames[2], "$01EW9280\r");
    EXPECT_EQ(frames[3], "$01EW933F\r");
    // a byte without its echo: every byte is still tried, the write failed
    bus.faults().next(RequestMatch("EW", 0, 0x91), Fault::noAnswer());
    EXPECT_EQ(MemWriteFloat(port, 1, 144, -2.0, 1200), 0.0);
    EXPECT_EQ(framesStartingWith("$01EW").size(), 8u);
    EXPECT_EQ(conv().memoryFloat(144), -2.0f); // the converter still took it

    conv().setMemoryFloat(148, 5.0e-7f);
    const auto before = line.sent().size();
    EXPECT_FLOAT_EQ(static_cast<float>(MemReadFloat(port, 1, 148, 1200)), 5.0e-7f);
    EXPECT_EQ(framesStartingWith("$01ER").size(), 4u);
    EXPECT_TRUE(std::isnan(MemReadFloat(port, 9, 148, 1200))); // nobody at 9: FFFFFFFF
    EXPECT_EQ(line.sent().size() - before, 4u + 16u);
}

TEST_F(Memory, BlockReadFetchesTheEKeyOfAnInputOrNothing) {
    const std::string image = PatternBlock(256, 3);
    conv().setBlock(32, image);
    std::string block;
    EXPECT_EQ(BlockRead(port, block, 1, 1, 0), ResultCode::Ok);
    EXPECT_EQ(block, image);
    ASSERT_EQ(line.sent().size(), 1u);
    EXPECT_EQ(line.sent()[0].text, "$01KB20\r");
    // the internal copy of input 2 is input 4, page 2
    EXPECT_EQ(BlockRead(port, block, 1, 4, 2), ResultCode::Ok);
    EXPECT_EQ(block, conv().block(130));
    // An answer nobody took is still waiting: it must not be counted into
    // the 513 characters, nor read as the first bytes of the block.
    line.output("$01@\r");
    DelayMs(line, 30);
    ASSERT_EQ(line.inBufferCount(), 11);
    EXPECT_EQ(BlockRead(port, block, 1, 1, 0), ResultCode::Ok);
    EXPECT_EQ(block, image);
    // An unplugged eKey stays silent; a closed port sends nothing.
    conv().setPlugged(3, false);
    EXPECT_EQ(BlockRead(port, block, 1, 3, 0), ResultCode::NoAnswer);
    EXPECT_EQ(block, image);
    line.setOpen(false);
    const auto sent = line.sent().size();
    EXPECT_EQ(BlockRead(port, block, 1, 0, 0), ResultCode::PortClosed);
    EXPECT_EQ(BlockWrite(port, PatternBlock(256), 1, 0, 0), ResultCode::PortClosed);
    EXPECT_EQ(line.sent().size(), sent);
}

TEST_F(Memory, BlockWriteWritesEveryByteWithItsIndexAfterAPause) {
    EXPECT_EQ(BlockWrite(port, "", 1, 0, 0), ResultCode::Ok);
    EXPECT_EQ(line.nowMs(), 200);
    EXPECT_EQ(BlockWrite(port, PatternBlock(257), 1, 0, 0), ResultCode::TooLong);
    EXPECT_TRUE(line.sent().empty());
    const std::string image = PatternBlock(256, 11);
    EXPECT_EQ(BlockWrite(port, image, 1, 4, 1), ResultCode::Ok);
    EXPECT_EQ(conv().block(129), image);
    const auto frames = framesStartingWith("$01KW");
    ASSERT_EQ(frames.size(), 256u);
    EXPECT_EQ(frames[0], "$01KW8100" + LongToHex(static_cast<unsigned char>(image[0]), 2) + "\r");
    EXPECT_EQ(frames[255],
              "$01KW81FF" + LongToHex(static_cast<unsigned char>(image[255]), 2) + "\r");
}

// Whatever waits before a send is no echo of it: a stale answer from before
// the write, or characters trailing an earlier echo. Dropped before every
// send, it can spoil at most the one wait it landed in; that byte goes out
// again and the block still ends written.
TEST_F(Memory, BlockWriteDropsWhatWaitsBeforeEachSend) {
    const std::string image = PatternBlock(8, 2);
    line.output("$01@\r"); // an answer nobody read
    DelayMs(line, 30);
    ASSERT_EQ(line.inBufferCount(), 11);
    EXPECT_EQ(BlockWrite(port, image, 1, 0, 0), ResultCode::Ok);
    EXPECT_EQ(conv().block(0).substr(0, 8), image);
    EXPECT_EQ(framesStartingWith("$01KW0000").size(), 1u);
    // With the usual 2 ms turnaround the extra characters are already in
    // when byte 3's echo is looked for. With 4 ms the echo is complete at
    // the poll and the extras land in byte 4's wait instead.
    const struct {
        Fault fault;
        double turnaroundMs;
        std::size_t sendsOfByte3, sendsOfByte4; // index 3 gets the fault
    } cases[] = {
        {Fault::garbageAfter(), 2.0, 2, 1}, {Fault::extraCr(), 2.0, 2, 1},
        {Fault::strayLf(), 2.0, 2, 1},      {Fault::garbageAfter(), 4.0, 1, 2},
        {Fault::extraCr(), 4.0, 1, 2},
    };
    int salt = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(sim::FaultKindName(c.fault.kind)) + ", turnaround " +
                     std::to_string(static_cast<int>(c.turnaroundMs)) + " ms");
        bus.setTurnaroundMs(c.turnaroundMs);
        const std::string salted = PatternBlock(8, ++salt * 16); // differs from what is there
        const auto before3 = framesStartingWith("$01KW0003").size();
        const auto before4 = framesStartingWith("$01KW0004").size();
        bus.faults().next(RequestMatch::kwIndex(3), c.fault);
        EXPECT_EQ(BlockWrite(port, salted, 1, 0, 0), ResultCode::Ok);
        EXPECT_EQ(conv().block(0).substr(0, 8), salted);
        EXPECT_EQ(framesStartingWith("$01KW0003").size() - before3, c.sendsOfByte3);
        EXPECT_EQ(framesStartingWith("$01KW0004").size() - before4, c.sendsOfByte4);
        DelayMs(line, 300); // the last echo of a resent byte may still be on its way
    }
}

// Each send waits 21 polls of 10 ms: an echo that comes later belongs to
// no send and must not count. One so late that it lands together with the
// answer to the next send makes six characters, no answer: the byte goes
// out a third time, and that echo counts.
TEST_F(Memory, BlockWriteTakesOneEchoPerSendWithinItsWait) {
    // The third echo is complete 17.6 ms after its send as usual, plus 197:
    // 4.6 ms after the 21st poll.
    bus.faults().next(RequestMatch::kwIndex(0), Fault::noAnswer(), 2);
    bus.faults().next(RequestMatch::kwIndex(0), Fault::late(197));
    EXPECT_EQ(BlockWrite(port, PatternBlock(1), 1, 0, 0), WriteFailed(ResultCode::NoAnswer, 1));
    EXPECT_EQ(line.nowMs(), 200 + 3 * 210);
    DelayMs(line, 10);
    EXPECT_EQ(line.input(), "00\r"); // it did come
    bus.faults().next(RequestMatch::kwIndex(0), Fault::late(215));
    EXPECT_EQ(BlockWrite(port, PatternBlock(4, 5), 1, 0, 0), ResultCode::Ok);
    EXPECT_EQ(framesStartingWith("$01KW0000").size(), 3u + 3u);
    EXPECT_EQ(conv().block(0).substr(0, 4), PatternBlock(4, 5));
    // a wrong echo is no echo to wait on: the write stops at its byte
    bus.faults().next(RequestMatch::kwIndex(4), Fault::wrongEcho());
    EXPECT_EQ(BlockWrite(port, PatternBlock(8), 1, 0, 0), WriteFailed(ResultCode::WrongEcho, 5));
    EXPECT_EQ(framesStartingWith("$01KW0004").size(), 1u);
}

} // namespace
} // namespace rm27
