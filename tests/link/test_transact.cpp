// The transaction rules on virtual time: frames, retry counts, wait lengths
// and what counts as an answer, for every transaction against every shape
// of answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "link/memory.h"
#include "link/transact.h"
#include "sim/bus.h"
#include "sim/virtual_line.h"

namespace rm27 {
namespace {

using sim::Fault;

std::string Image() {
    std::string s(256, '\0');
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<char>((i * 13 + 5) & 0xFF);
    return s;
}

// One converter at address 1: cell 0x10 holds 0x3F, eKey 0 holds Image().
struct Wire {
    sim::Bus bus;
    sim::VirtualLine line{bus};
    Port port{line, line};
    sim::Converter& conv = bus.add({});
    Wire() {
        conv.setMemory(0x10, 0x3F);
        conv.setBlock(0, Image());
    }
};

// Whether the result is the converter's (or the write landed), and what is
// held against it.
struct Outcome {
    bool right = false;
    Doubt doubt;
};

struct Transaction {
    const char* name;
    const char* prefix;  // of the frames a fault is put on
    const char* frame;   // the first one sent...
    std::int64_t sentMs; // ...and when: after the settle pause of a write
    std::size_t others;  // frames besides the first one's sends when all goes right
    std::function<Outcome(Wire&, int timeoutMs)> run;
};

const Transaction kTransactions[] = {
    {"DevTransact", "ER", "$01ER10\r", 0, 0,
     [](Wire& w, int timeoutMs) {
         const ByteAnswer a = DevTransactChecked(w.port, 1, 0x10, timeoutMs, "ER");
         return Outcome{a.value == 0x3F, a.doubt};
     }},
    {"DevTransactWrite", "EW", "$01EW115A\r", 500, 0,
     [](Wire& w, int timeoutMs) {
         const ByteAnswer a = DevTransactWriteChecked(w.port, 1, 0x11, 0x5A, timeoutMs, "EW");
         return Outcome{a.value == 0x5A && w.conv.memory(0x11) == 0x5A, a.doubt};
     }},
    {"DevQuery", "@", "$01@\r", 0, 0,
     [](Wire& w, int timeoutMs) {
         const TextAnswer a = DevQueryChecked(w.port, 1, "@", 10, timeoutMs, AnswerForm::Text);
         return Outcome{a.text == w.conv.id(), a.doubt};
     }},
    {"BlockRead", "KB", "$01KB00\r", 0, 0,
     [](Wire& w, int) {
         std::string block;
         Doubt doubt;
         const bool ok = BlockReadChecked(w.port, block, 1, 0, 0, doubt).ok();
         return Outcome{ok && block == Image(), doubt};
     }},
    {"BlockWrite", "KW", "$01KW000005\r", 200, 255,
     [](Wire& w, int) {
         std::string image = Image();
         image[7] = 'x';
         return Outcome{BlockWrite(w.port, image, 1, 0, 0).ok() && w.conv.block(0) == image, {}};
     }},
};

// A byte is read with up to four sends, each waiting timeout / 10 + 1 polls
// of 10 ms (a text: and 10 ms more). A write goes out once, 500 ms after the
// call, and its echo is waited for four times, timeout / 10 + 1 polls of
// 50 ms and 10 ms more, after 200 ms. A block is read with one send and 101
// polls; each of its bytes is written with up to three sends of 21 polls,
// after 200 ms. Only an answer of the expected length counts: garbage after
// the CR sends again (a write waits on: its echo cannot come again), and a
// block trickling for seconds is no answer.
TEST(Transact, EveryTransactionMeetsEveryShapeOfAnswer) {
    constexpr std::int64_t kRead = 4 * 1210, kWrite = 700 + 4 * (121 * 50 + 10),
                           kQuery = 4 * (1210 + 10), kBlockWrite = 6000;
    enum { ER, EW, Query, KB, KW };
    const Doubt none{}, silent = kDoubtNoAnswer;
    const struct {
        int t;
        Fault fault;
        int times, timeoutMs;
        bool right;
        Doubt doubt;
        std::size_t sends;
        std::int64_t minMs, maxMs;
    } rows[] = {
        // 7 characters out, turnaround, 3 back: found at the second poll
        {ER, Fault::none(), 0, 1200, true, none, 1, 20, 20},
        {ER, Fault::noAnswer(), 4, 1200, false, silent, 4, kRead, kRead},
        {ER, Fault::noAnswer(), 3, 1200, true, none, 4, 3 * 1210 + 20, 3 * 1210 + 20},
        {ER, Fault::noAnswer(), 4, 9, false, silent, 4, 40, 40},
        {ER, Fault::strayLf(), 4, 1200, false, silent, 4, kRead, kRead},
        {ER, Fault::extraCr(), 4, 1200, false, silent, 4, kRead, kRead},
        {ER, Fault::truncate(2), 4, 1200, false, silent, 4, kRead, kRead},
        {ER, Fault::garbageBefore("#"), 4, 1200, false, silent, 4, kRead, kRead},
        {ER, Fault::garbageAfter("#~"), 1, 1200, true, none, 2, 1210 + 20, 1210 + 20},
        {ER, Fault::split(3, 40), 1, 1200, true, none, 1, 0, kRead},
        {ER, Fault::trickle(15), 1, 1200, true, none, 1, 0, kRead},
        {ER, Fault::lineCut(1), 1, 1200, false, silent, 4, kRead, kRead},
        {ER, Fault::nonHex(1, '#'), 1, 1200, false, kDoubtBadCharacter, 1, 20, 20}, // "3#": 0
        {EW, Fault::none(), 0, 1200, true, none, 1, 750, 750}, // 500 + 200 + one poll
        {EW, Fault::noAnswer(), 1, 1200, false, silent, 1, kWrite, kWrite},
        {EW, Fault::noAnswer(), 1, 5, false, silent, 1, 700 + 4 * 60, 700 + 4 * 60},
        {EW, Fault::wrongEcho(0x54), 1, 1200, false, silent, 1, 0, kWrite},
        {EW, Fault::late(9000), 1, 1200, true, none, 1, 9001, 700 + 2 * (121 * 50 + 10) - 1},
        {EW, Fault::garbageAfter("#~"), 1, 1200, false, silent, 1, 0, kWrite},
        {EW, Fault::split(3, 40), 1, 1200, true, none, 1, 0, kWrite},
        {EW, Fault::trickle(15), 1, 1200, true, none, 1, 0, kWrite},
        {EW, Fault::lineCut(1), 1, 1200, false, silent, 1, 0, kWrite},
        {Query, Fault::none(), 0, 1200, true, none, 1, 20, 20},
        {Query, Fault::noAnswer(), 3, 1200, true, none, 4, 3 * 1220 + 20, 3 * 1220 + 20},
        {Query, Fault::extraCr(), 4, 1200, false, silent, 4, kQuery, kQuery}, // 12, never 11
        {Query, Fault::garbageAfter("#~"), 1, 1200, true, none, 2, 0, kQuery},
        {Query, Fault::split(3, 40), 1, 1200, true, none, 1, 0, kQuery},
        {Query, Fault::trickle(15), 1, 1200, true, none, 1, 0, kQuery},
        {Query, Fault::lineCut(1), 1, 1200, false, silent, 4, kQuery, kQuery},
        {KB, Fault::none(), 0, 0, true, none, 1, 0, 1010},
        {KB, Fault::truncate(-1), 1, 0, false, silent, 1, 1010, 1010}, // no CR: the full second
        {KB, Fault::garbageAfter("#~"), 1, 0, false, silent, 1, 1010, 1010},
        {KB, Fault::split(3, 40), 1, 0, true, none, 1, 0, 1010},
        {KB, Fault::trickle(15), 1, 0, false, silent, 1, 1010, 1010},
        {KB, Fault::lineCut(1), 1, 0, false, silent, 1, 1010, 1010},
        {KW, Fault::none(), 0, 0, true, none, 1, 0, kBlockWrite},
        {KW, Fault::noAnswer(), 3, 0, false, none, 3, 200 + 3 * 210, 200 + 3 * 210},
        {KW, Fault::noAnswer(), 2, 0, true, none, 3, 0, kBlockWrite},
        {KW, Fault::wrongEcho(), 1, 0, false, none, 1, 0, kBlockWrite}, // stops there
        {KW, Fault::garbageAfter("#~"), 1, 0, true, none, 2, 0, kBlockWrite},
        {KW, Fault::split(3, 40), 1, 0, true, none, 1, 0, kBlockWrite},
        {KW, Fault::trickle(15), 1, 0, true, none, 1, 0, kBlockWrite},
        {KW, Fault::lineCut(1), 1, 0, false, none, 3, 200 + 3 * 210, 200 + 3 * 210},
    };
    for (const auto& r : rows) {
        const Transaction& t = kTransactions[r.t];
        SCOPED_TRACE(std::string(t.name) + " / " + sim::FaultKindName(r.fault.kind) + " x" +
                     std::to_string(r.times) + ", " + std::to_string(r.timeoutMs) + " ms");
        Wire w;
        if (r.times > 0) w.bus.faults().next(t.prefix, r.fault, r.times);
        const Outcome o = t.run(w, r.timeoutMs);
        EXPECT_EQ(o.right, r.right);
        EXPECT_EQ(o.doubt, r.doubt);
        const auto& sent = w.line.sent();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent[0].text, t.frame);
        EXPECT_EQ(sent[0].timeMs, t.sentMs);
        EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                                [&](const sim::SentFrame& f) { return f.text == t.frame; }),
                  static_cast<std::ptrdiff_t>(r.sends));
        EXPECT_EQ(sent.size(), r.sends + (r.right ? t.others : 0)); // nothing after a failure
        EXPECT_GE(w.line.nowMs(), r.minMs);
        EXPECT_LE(w.line.nowMs(), r.maxMs);
    }
}

TEST(Transact, FramesCutValuesToTheirLowByteAndDelaysServiceEvents) {
    EXPECT_EQ(BuildFrame(1, "ER", 5), "$01ER05\r");
    EXPECT_EQ(BuildFrame(0, "@"), "$00@\r");
    EXPECT_EQ(BuildFrame(257, "ER", 256), "$01ER00\r");
    EXPECT_EQ(BuildFrame(1, "EW", -1, 300), "$01EWFF2C\r");
    Wire w;
    int ran = 0;
    w.line.after(5, [&] { ++ran; });
    DelayMs(w.line, 30);
    EXPECT_EQ(w.line.nowMs(), 30);
    EXPECT_EQ(ran, 1);
    const auto calls = w.line.waitCalls();
    DelayMs(w.line, 0); // still lets pending events run
    EXPECT_EQ(w.line.nowMs(), 30);
    EXPECT_GT(w.line.waitCalls(), calls);
}

TEST(Transact, AWriteAndAQueryAtTheUniversalAddress) {
    Wire w;
    w.line.output("$01@\r"); // an answer nobody will read: the write drops it
    DelayMs(w.line, 30);
    ASSERT_GT(w.line.inBufferCount(), 0);
    EXPECT_EQ(DevTransactWrite(w.port, 1, 0x10, 0x55, 1200, "EW"), 0x55);
    EXPECT_EQ(w.line.sent().back().text, "$01EW1055\r");
    EXPECT_EQ(DevQuery(w.port, 0, "@", 10, 1200), w.conv.id());
    EXPECT_EQ(DevQuery(w.port, 1, "AUTO00", 2, 1200).size(), 2u);
    EXPECT_EQ(DevQuery(w.port, 1, "DEF", 8, 1200), "00000000");
}

} // namespace
} // namespace rm27
