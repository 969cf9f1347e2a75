// Answers that come in pieces, one character at a time, with garbage behind
// them, late, or not at all because the line was cut: what every transaction
// makes of them on virtual time, and what it holds against the answer.
#include <gtest/gtest.h>

#include <functional>

#include "link/codecs.h"
#include "link/memory.h"
#include "link/transact.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

using sim::Fault;
using sim::RequestMatch;
using test::SimFixture;

// One run of a transaction against a converter whose cell 0x10 holds 0x3F
// and whose eKey 0 holds `kImage`.
struct Outcome {
    bool right = false; // the result is the converter's (or the write took)
    Doubt doubt;
};

std::string Image() {
    std::string s(256, '\0');
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<char>((i * 13 + 5) & 0xFF);
    return s;
}

struct Transaction {
    const char* name;
    const char* prefix; // the frames the fault is put on
    std::function<Outcome(Port&, sim::Converter&)> run;
};

const Transaction kTransactions[] = {
    {"DevTransact", "ER",
     [](Port& port, sim::Converter&) {
         const ByteAnswer a = DevTransactChecked(port, 1, 0x10, 1200, "ER");
         return Outcome{a.value == 0x3F, a.doubt};
     }},
    {"DevTransactWrite", "EW",
     [](Port& port, sim::Converter& c) {
         const ByteAnswer a = DevTransactWriteChecked(port, 1, 0x11, 0x5A, 1200, "EW");
         return Outcome{a.value == 0x5A && c.memory(0x11) == 0x5A, a.doubt};
     }},
    {"DevQuery", "@",
     [](Port& port, sim::Converter& c) {
         const TextAnswer a = DevQueryChecked(port, 1, "@", 10, 1200, AnswerForm::Text);
         return Outcome{a.text == c.id(), a.doubt};
     }},
    {"BlockRead", "KB",
     [](Port& port, sim::Converter&) {
         std::string block;
         Doubt doubt;
         const Result r = BlockReadChecked(port, block, 1, 0, 0, doubt);
         return Outcome{r.ok() && block == Image(), doubt};
     }},
    {"BlockWrite", "KW",
     [](Port& port, sim::Converter& c) {
         std::string image = Image();
         image[7] = 'x';
         const Result r = BlockWrite(port, image, 1, 0, 0);
         return Outcome{r.ok() && c.block(0) == image, {}};
     }},
};

struct FaultCase {
    const char* name;
    Fault fault;
    // per transaction, in the order above: the right answer (or write)
    bool right[5];
};

class FaultsInTransactions : public SimFixture {
protected:
    FaultsInTransactions() {
        conv().setMemory(0x10, 0x3F);
        conv().setBlock(0, Image());
    }
};

TEST_F(FaultsInTransactions, EveryTransactionMeetsEveryShapeOfAnswer) {
    // Pieces and trickles that still end within the wait are answers like
    // any other; garbage after the CR makes the count wrong, so the
    // transaction waits on or sends again (a write's echo cannot be waited
    // out: the frame goes out once, and the converter holds the byte all
    // the same); a block of 513 characters trickling for seconds is no
    // answer within its second.
    const FaultCase cases[] = {
        {"split", Fault::split(3, 40), {true, true, true, true, true}},
        {"trickle", Fault::trickle(15), {true, true, true, false, true}},
        {"garbage-after", Fault::garbageAfter("#~"), {true, false, true, false, true}},
    };
    for (const FaultCase& fc : cases) {
        for (std::size_t t = 0; t < std::size(kTransactions); ++t) {
            const Transaction& tr = kTransactions[t];
            SCOPED_TRACE(std::string(tr.name) + " / " + fc.name);
            bus.faults().clear();
            conv().setMemory(0x11, 0);
            conv().setBlock(0, Image());
            port.flush();
            bus.faults().next(tr.prefix, fc.fault);
            const Outcome o = tr.run(port, conv());
            EXPECT_EQ(o.right, fc.right[t]);
            // a right answer was taken clean; none was taken from the garbage
            if (o.right) {
                EXPECT_EQ(o.doubt, Doubt{});
            }
            DelayMs(line, 10000); // the rest of a trickle must not reach the next case
            port.flush();
            port.answers.forget();
        }
    }
}

TEST_F(FaultsInTransactions, ACutLineFailsEveryTransactionInItsBoundedTime) {
    const std::int64_t bounds[] = {4 * 1210, 700 + 4 * (121 * 50 + 10), 4 * 1220, 1010,
                                   200 + 3 * 210};
    for (std::size_t t = 0; t < std::size(kTransactions); ++t) {
        const Transaction& tr = kTransactions[t];
        SCOPED_TRACE(tr.name);
        bus.faults().clear();
        bus.faults().next(tr.prefix, Fault::lineCut(1));
        const std::int64_t start = line.nowMs();
        const Outcome o = tr.run(port, conv());
        EXPECT_FALSE(o.right);
        if (t != 4) {
            EXPECT_TRUE(o.doubt.has(kDoubtNoAnswer));
        }
        EXPECT_LE(line.nowMs() - start, bounds[t] + 10);
        EXPECT_TRUE(bus.lineCut());
        // a cut line stays silent for whatever comes next...
        EXPECT_EQ(DevTransact(port, 1, 0x10, 100, "ER"), -1);
        // ...until it is mended
        bus.restoreLine();
        port.flush();
        port.answers.forget();
        EXPECT_EQ(DevTransact(port, 1, 0x10, 100, "ER"), 0x3F);
    }
}

TEST_F(FaultsInTransactions, ALateAnswerToDevTransactIsTakenByTheNextRead) {
    conv().setMemory(0x11, 0x22);
    // Four sends of 110 ms go unanswered: the first answer comes 446 ms
    // late and the converter answers the resends right behind it. The next
    // read's second poll finds the late answer complete and the one behind
    // it not yet begun.
    bus.faults().next("ER10", Fault::late(446));
    const ByteAnswer first = DevTransactChecked(port, 1, 0x10, 100, "ER");
    const ByteAnswer second = DevTransactChecked(port, 1, 0x11, 100, "ER");
    ASSERT_EQ(first.value, -1);
    EXPECT_EQ(first.doubt, kDoubtNoAnswer);
    // The next read gets the answers meant for 0x10: the value is wrong,
    // and marked as such.
    EXPECT_EQ(second.value, 0x3F);
    EXPECT_TRUE(second.doubt.has(kDoubtMaybeLate));
    // The stragglers thrown away settle what was owed: reads are clean again.
    DelayMs(line, 200);
    port.flush();
    const ByteAnswer third = DevTransactChecked(port, 1, 0x11, 100, "ER");
    EXPECT_EQ(third.value, 0x22);
    EXPECT_EQ(third.doubt, Doubt{});
}

TEST_F(FaultsInTransactions, ALateAnswerToDevQueryIsTakenByTheNextQuery) {
    conv().setMemory(0x05, 0x1A);
    // "ER00" waits 1.21 s a send; its answer comes 1226 ms late, complete
    // at the second poll of the second send, which takes it (the same
    // question: harmless); that send's own answer, right behind, is left
    // for "ER05".
    bus.faults().next("ER00", Fault::late(1226));
    const TextAnswer own = DevQueryChecked(port, 1, "ER00", 2, 1200);
    const TextAnswer filter = DevQueryChecked(port, 1, "ER05", 2, 1200);
    EXPECT_EQ(own.text, "01");
    EXPECT_EQ(own.doubt, Doubt{});
    EXPECT_EQ(filter.text, "01"); // the address, not the filter
    EXPECT_TRUE(filter.doubt.has(kDoubtMaybeLate));
}

TEST_F(FaultsInTransactions, CharactersWaitingBeforeTheSendAreCountedAndMarked) {
    line.output("$01ER10\r"); // somebody else's request, answered before ours
    DelayMs(line, 30);
    const ByteAnswer a = DevTransactChecked(port, 1, 0x00, 100, "ER");
    EXPECT_EQ(a.value, 0x3F); // the waiting answer taken as ours
    EXPECT_TRUE(a.doubt.has(kDoubtStray));
}

TEST_F(FaultsInTransactions, NonHexAnswersAreMarkedNotJustReadAsZero) {
    bus.faults().next("ER", Fault::nonHex(1, '#'));
    const ByteAnswer a = DevTransactChecked(port, 1, 0x10, 100, "ER");
    EXPECT_EQ(a.value, 0); // HexToLong's reading of "3#"
    EXPECT_EQ(a.doubt, kDoubtBadCharacter);
    bus.faults().next("DEF", Fault::nonHex(2, ':'));
    const TextAnswer def = DevQueryChecked(port, 1, "DEF", 8, 1200);
    EXPECT_EQ(def.text, "00:00000");
    EXPECT_EQ(def.doubt, kDoubtBadCharacter);
}

TEST_F(FaultsInTransactions, ReadFloatMarksAByteThatFailed) {
    conv().setMemoryFloat(148, 1.0f);
    bus.faults().next(RequestMatch("ER", 0, 149), Fault::noAnswer(), 4);
    const FloatAnswer f = MemReadFloatChecked(port, 1, 148, 100);
    EXPECT_TRUE(f.doubt.has(kDoubtNoAnswer));
    EXPECT_NE(f.value, 1.0); // byte 149 read as FF
    // Four answers may still come: the next read cannot be sure of its own.
    EXPECT_EQ(MemReadFloatChecked(port, 1, 148, 100).doubt, kDoubtMaybeLate);
}

} // namespace
} // namespace rm27
