// What a transaction holds against the answer it takes: the late answer of
// an earlier request, characters that waited before the send, a character
// that is no hex digit, a float with a byte missing.
#include <gtest/gtest.h>

#include "link/memory.h"
#include "link/transact.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

using sim::Fault;
using sim::RequestMatch;

class FaultsInTransactions : public test::SimFixture {
protected:
    FaultsInTransactions() { conv().setMemory(0x10, 0x3F); }
};

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
