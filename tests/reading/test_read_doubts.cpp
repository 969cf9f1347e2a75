// What the reading and the live tick say about values the converter may not
// have sent: the device state keeps the doubt, the window is told which
// control shows such a value, and a clean reading takes the doubt back.
#include <gtest/gtest.h>

#include <functional>

#include "link/codecs.h"
#include "reading/operations.h"
#include "session/measurement.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

using sim::Fault;
using sim::RequestMatch;

class ReadingDoubts : public test::SimFixture {
protected:
    bool read() { return DevRead(ops, 1); }
};

TEST_F(ReadingDoubts, EachValueCarriesTheDoubtOfItsOwnAnswer) {
    using State = const DeviceState&;
    const struct {
        const char* name;
        RequestMatch match;
        Fault fault;
        int times;
        std::string control;
        std::function<Doubt(State)> doubt;
        Doubt expected;
        // The first eKey's doubt: its block answer is too long to be taken
        // for another, but a longer answer lost before the mask's leaves
        // the mask, and so where each record came from, in doubt.
        Doubt firstEKey = {};
    } cases[] = {
        {"identification", "@", Fault::nonHex(7, '#'), 1, "lblID",
         [](State s) { return s.doubts.id; }, kDoubtBadCharacter},
        {"own address", "ER00", Fault::nonHex(0, '#'), 1, "lblAdresa",
         [](State s) { return s.doubts.address; }, kDoubtBadCharacter},
        {"filter", "ER05", Fault::noAnswer(), 4, "cmbFreq", [](State s) { return s.doubts.filter; },
         kDoubtNoAnswer},
        {"definition", "DEF", Fault::truncate(8), 4, "lblR27Slide_2",
         [](State s) { return s.doubts.definition[2]; }, kDoubtNoAnswer, kDoubtDerived},
        {"K of input 1", RequestMatch("ER", 0, 0x9E), Fault::noAnswer(), 4, "lblR38mVVK_1",
         [](State s) { return s.doubts.K[1]; }, kDoubtNoAnswer},
        {"Q of input 3", RequestMatch("ER", 0, 0xA8), Fault::nonHex(0, 'G'), 1, "lblR38mVVQ_3",
         [](State s) { return s.doubts.Q[3]; }, kDoubtBadCharacter},
        {"eKey block", "KB20", Fault::nonHex(100, 'Z'), 1, "lblR27Popis_1",
         [](State s) { return s.doubts.records[1]; }, kDoubtBadCharacter},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bus.faults().clear();
        bus.faults().next(c.match, c.fault, c.times);
        ASSERT_TRUE(read());
        // the value shows as it came, its control carrying the reason
        // (with the record's, for a control that shows both)
        const Doubt actual = c.doubt(state);
        EXPECT_TRUE(actual.has(c.expected)) << DoubtNames(actual);
        EXPECT_EQ(view.doubt(c.control), DoubtText(actual | c.firstEKey).czech());
        EXPECT_EQ(view.doubt("lblR27Unit_0"), DoubtText(c.firstEKey).czech());
        // The next clean reading takes the doubt back.
        ASSERT_TRUE(read());
        EXPECT_EQ(c.doubt(state), Doubt{});
        EXPECT_EQ(view.doubt(c.control), "");
    }
}

TEST_F(ReadingDoubts, TheIdentificationShowsAsItCame) {
    bus.faults().next("@", Fault::nonHex(8, '*'));
    ASSERT_TRUE(read());
    EXPECT_EQ(state.DeviceId, "0123RM27*2");
    EXPECT_EQ(view.caption("lblID"), "0123RM27*2");
    EXPECT_EQ(state.doubts.id, kDoubtBadCharacter);
    // A letter where a digit stood could be the converter's own: nothing in
    // the protocol tells it apart.
    bus.faults().next("@", Fault::nonHex(8, 'G'));
    ASSERT_TRUE(read());
    EXPECT_EQ(state.DeviceId, "0123RM27G2");
    EXPECT_EQ(state.doubts.id, Doubt{});
}

// A mask lost or of the wrong length: every input read from its internal
// copy, cleanly, but maybe from the wrong place.
TEST_F(ReadingDoubts, WithoutAMaskEveryInputIsReadInternallyAndInDoubt) {
    for (const Fault& f : {Fault::noAnswer(), Fault::truncate(2), Fault::strayLf()}) {
        bus.faults().clear();
        bus.faults().next("KQ", f);
        ASSERT_TRUE(read());
        EXPECT_FALSE(state.EKeyMaskValid);
        EXPECT_EQ(state.doubts.ekeyMask, kDoubtNoAnswer);
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            const std::string n = std::to_string(i);
            EXPECT_EQ(state.sources[i], InputSource::Internal);
            EXPECT_EQ(view.caption("lblR27ID_" + n), "Internal");
            EXPECT_TRUE(state.doubts.records[i].has(kDoubtDerived));
            EXPECT_EQ(view.doubt("lblR27ID_" + n), DoubtText(state.doubts.records[i]).czech());
        }
    }
}

TEST_F(ReadingDoubts, AnEarlierRequestsLateAnswerTakenForTheMaskIsMarked) {
    // ER2A's first answer comes 1306 ms late: complete at a poll of the
    // second send, which takes it (the same question) and returns before
    // its own answer, queued right behind, has begun. "KQ" finds nothing
    // waiting, goes out, gets no answer of its own, and takes that one.
    conv().setPlugged(3, true);
    bus.faults().next("ER2A", Fault::late(1306));
    bus.faults().next("KQ", Fault::noAnswer());
    ASSERT_TRUE(read());
    EXPECT_EQ(state.configBytes[2], 0x03);
    ASSERT_TRUE(state.EKeyMaskValid);
    EXPECT_EQ(state.EKeyMask, 0x03); // ER2A's byte, not the mask 0x0B
    EXPECT_TRUE(state.doubts.ekeyMask.has(kDoubtMaybeLate));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(state.doubts.records[i].has(kDoubtDerived));
    EXPECT_EQ(view.doubt("lblR27Slide_3"), DoubtText(state.doubts.records[3]).czech());
}

TEST(MeasurementDoubts, EachFieldIsJudgedByItsOwnCharacters) {
    std::string text;
    for (int i = 0; i < 4; ++i)
        text += "012345"
                "3F800000"
                "00000000"
                "41200000";
    text += "0B\r";
    ASSERT_EQ(text.size(), kMeasurementAnswerLength);
    for (const auto& d : MeasurementAnswerDoubts(text))
        EXPECT_EQ(d.raw | d.signal | d.third | d.value, Doubt{});

    std::string bad = text;
    bad[30 * 2 + 9] = '?'; // input 2, signal: "?" would read as the digit 8
    bad[120] = 'x';        // the status characters are not interpreted
    auto d = MeasurementAnswerDoubts(bad);
    EXPECT_EQ(d[2].signal, kDoubtBadCharacter);
    EXPECT_EQ(d[2].raw | d[1].signal | d[0].value, Doubt{});

    std::string shifted = text;
    shifted[50] = '\r'; // two answers run together: a CR inside
    for (const auto& f : MeasurementAnswerDoubts(shifted)) {
        EXPECT_EQ(f.raw, kDoubtMisframed);
        EXPECT_EQ(f.value, kDoubtMisframed);
    }
    std::string noCr = text;
    noCr.back() = '0';
    EXPECT_EQ(MeasurementAnswerDoubts(noCr)[3].third, kDoubtMisframed);
    EXPECT_EQ(MeasurementAnswerDoubts(text.substr(1))[0].raw, Doubt{}); // not decoded at all
}

TEST_F(ReadingDoubts, TheTickMarksTheLabelsOfAFieldThatWasNotHex) {
    ASSERT_TRUE(read());
    StartMeasurement(port, view);
    MeasurementTick(ops); // sends the first request
    // The answer to it gets a character the converter never sent.
    bus.faults().next("MK", Fault::nonHex(30 + 8, '#'));
    DelayMs(line, 500);
    ASSERT_TRUE(MeasurementTick(ops));
    EXPECT_EQ(live.doubts[1].signal, kDoubtBadCharacter);
    EXPECT_EQ(view.doubt("lblR27mVV_1"), DoubtText(kDoubtBadCharacter).czech());
    EXPECT_EQ(view.doubt("lblHodnota_1") + view.doubt("lblR27mVV_0"), "");
    // The next answer is clean again.
    DelayMs(line, 500);
    ASSERT_TRUE(MeasurementTick(ops));
    EXPECT_EQ(live.doubts[1].signal, Doubt{});
    EXPECT_EQ(view.doubt("lblR27mVV_1"), "");
}

} // namespace
} // namespace rm27
