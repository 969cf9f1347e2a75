// The live tick and tare, the bus scan, the address change and the restart.
#include <gtest/gtest.h>

#include "device/converter.h"
#include "link/codecs.h"
#include "reading/operations.h"
#include "session/measurement.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

using sim::Fault;

// A line whose received text the test writes by hand.
class HandLine : public SerialLine, public EventPump {
public:
    std::string pending;
    std::vector<std::string> written;
    std::int64_t now = 0;

    bool isOpen() const override { return true; }
    void output(const std::string& t) override { written.push_back(t); }
    int inBufferCount() override { return static_cast<int>(pending.size()); }
    std::string input() override { return std::exchange(pending, {}); }
    std::int64_t nowMs() override { return now; }
    void waitFor(std::int64_t ms) override { now += std::max<std::int64_t>(ms, 1); }
};

// One input's 30 characters: raw, signal, third value, value.
std::string Block(const std::string& raw, float signal, float value) {
    auto msb = [](float f) { return ReverseHexBytes(SingleToHex(f)); };
    return raw + msb(signal) + msb(0.0f) + msb(value);
}

class Tick : public ::testing::Test {
protected:
    Tick() {
        state.DeviceId = "0123RM2712";
        state.DeviceAddress = 7;
        for (auto& r : state.records)
            r.numberFormat = "###0.00 ";
    }
    // As the window's timer runs it, the line the ticker's meanwhile, with
    // input 0's block first in the answer.
    void tick(const std::string& input0, std::size_t length = 123) {
        std::string text = input0;
        for (int i = 1; i < 4; ++i)
            text += Block("000100", 0.5f, 2.0f);
        line.pending = text + "00\r";
        line.pending.resize(length, '0');
        const auto ticking = session.guard().ticking();
        MeasurementTick(ops);
    }

    HandLine line;
    test::Recorder view;
    Session session{line, line, view, view};
    DeviceState& state = session.state();
    Operations& ops = session.ops();
};

TEST_F(Tick, DecodesA123CharacterAnswerAsksAgainAndTakesTheTareOff) {
    tick(Block("FFFFFF", 1.0f, 12.5f));
    EXPECT_EQ(view.caption("lblHodnota_0"), "16777215");
    EXPECT_EQ(view.caption("lblHodnota_4"), " 65536");
    EXPECT_EQ(view.caption("lblR27mVV_0"), "  1.000");
    EXPECT_EQ(view.caption("lblR27Val_0"), "  12.50 ");
    EXPECT_EQ(view.caption("lblHodnota_1"), "     256");
    EXPECT_EQ(line.written, std::vector<std::string>{"$07MK\r"});
    EXPECT_EQ(state.records[0].liveDiv, 16777215.0f);
    // a tare shows the difference from the next tick on
    TareInput(ops, 0);
    TareInput(ops, 7); // out of range: ignored
    tick(Block("000010", 1.0f, 13.0f));
    EXPECT_EQ(view.caption("lblR27Val_0"), "   0.50 ");
}

TEST_F(Tick, WrongLengthsShowDashesAndKeepTheRest) {
    tick(Block("000010", 1.0f, 1.0f));
    const auto before = view.captions;
    for (const std::size_t length : {122u, 124u, 0u, 246u}) {
        SCOPED_TRACE(length);
        tick(Block("000020", 2.0f, 2.0f), length);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(view.caption("lblHodnota_" + std::to_string(i)), "-----");
        EXPECT_EQ(view.caption("lblR27mVV_0"), before.at("lblR27mVV_0"));
        EXPECT_EQ(view.caption("lblHodnota_4"), before.at("lblHodnota_4"));
        EXPECT_TRUE(line.pending.empty());
    }
    EXPECT_EQ(line.written.size(), 5u); // a request every tick
}

TEST_F(Tick, AValueTooWideForItsFormatKeepsTheCutTextAndSaysItWhole) {
    state.records[0].numberFormat = "##0.000 ";
    tick(Block("000010", -4999.985f, 20000.016f));
    EXPECT_EQ(view.caption("lblR27mVV_0"), "999.985");
    EXPECT_EQ(view.doubt("lblR27mVV_0"), "Hodnota se nevejde do formátu ##0.000: -4999.985");
    EXPECT_EQ(view.caption("lblR27Val_0"), "000.016 ");
    EXPECT_EQ(view.doubt("lblR27Val_0"), "Hodnota se nevejde do formátu ##0.000: 20000.016");
    line.now += 500; // the next answer comes a tick later, as it would
    tick(Block("000010", 1.0f, 2.0f));
    EXPECT_EQ(view.doubt("lblR27mVV_0") + view.doubt("lblR27Val_0"), "");

    state.Q[1] = -123456789;
    ShowConstants(view, state, 1);
    EXPECT_EQ(view.caption("lblR38mVVQ_1"), "23456789");
    EXPECT_EQ(view.doubt("lblR38mVVQ_1"), "Hodnota se nevejde do formátu #######0: -123456789");
}

TEST_F(Tick, OnlyARecordWithACurveAndADescriptionIsUpdated) {
    auto& r = state.records;
    r[0].pointCount = 2;
    r[0].description = FixedText("Siloměr", kDescriptionWidth);
    r[1].pointCount = 2;                                           // blank description
    r[2].description = FixedText("Bez křivky", kDescriptionWidth); // no points
    tick(Block("000100", 0.5f, 2.0f));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r[i].liveDiv, 256.0f) << i;
        EXPECT_EQ(r[i].newSample, i == 0) << i;
    }
}

class Bus : public test::SimRig {
protected:
    Bus() { UseReadRM27(ops); }
};

TEST_F(Bus, ScanListsTheFamilyAtAddressesOneToThirtyOne) {
    for (const int a : {3, 17, 31, 40}) // 40: beyond the scan
        addConverter(a);
    line.setOpen(false); // closed: it only blinks
    EXPECT_TRUE(ScanAddresses(ops).empty());
    EXPECT_TRUE(line.sent().empty());
    EXPECT_EQ(view.colours["cmdFindAdr"], 0xFFFFFFu);
    EXPECT_TRUE(view.rows["lstCurves"].empty());

    line.setOpen(true);
    view.timer = true;
    const std::vector<FoundConverter> found = ScanAddresses(ops);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[2].address, 31);
    EXPECT_EQ(found[0].id, "0123RM2712");
    std::vector<std::string> rows;
    for (const FoundConverter& f : found)
        rows.push_back(ScanRow(f));
    EXPECT_EQ(view.rows["lstCurves"], rows);
    EXPECT_EQ(rows[0], "@0x03 0123RM2712 KQ:0x03");
    EXPECT_FALSE(view.timer);
    EXPECT_EQ(view.colours["cmdFindAdr"], 0xFFFFFFu);
    EXPECT_EQ(line.sent()[0].text, "\r");
}

// The address is asked with the values live and the line free, until it is
// in range; then the measurement stops (its last answer gets one interval),
// the address goes out, and the converter restarts and is read at it.
TEST_F(Bus, AddressChangeAsksUntilInRangeAndRestarts) {
    addConverter(5);
    ASSERT_TRUE(DevRead(ops, 5));
    state.scanFound = {{5, "0123RM2712", "03"}, {9, "0456RMU001", "01"}};
    view.inputAnswers = {"0", "160", "3,6"};
    bool liveDuringPrompt = false;
    std::int64_t answeredAt = -1;
    view.whileOpen = [&] {
        liveDuringPrompt = view.timer && guard.tickAllowed();
        answeredAt = line.nowMs();
    };
    MeasurementTick(ops); // a request outstanding, as the running timer leaves one
    session.run([](Operations& o) { ChangeAddress(o); });
    EXPECT_TRUE(liveDuringPrompt);
    EXPECT_EQ(timeOfFrame("$05EW0004\r"), answeredAt + 500);
    // The scan's list follows, so that choosing it there still reads it.
    EXPECT_EQ(view.rows["lstCurves"],
              (std::vector<std::string>{"@0x04 0123RM2712 KQ:0x03", "@0x09 0456RMU001 KQ:0x01"}));
    ASSERT_EQ(view.prompts.size(), 3u);
    EXPECT_EQ(view.prompts[0], "Actual device address is 05. While changing address (in range 1 "
                               "to 159) take care on address colision.");
    EXPECT_TRUE(view.everShown("lblAdresa", "  4  (04h)")); // the echo
    EXPECT_EQ(state.DeviceAddress, 4);
    EXPECT_EQ(conv().address(), 4);
    EXPECT_EQ(view.caption("lblAdresa"), "  4  (0x04)"); // read again at the new address
    EXPECT_TRUE(view.timer);

    // The echo is lost: the universal address finds the converter anyway.
    bus.faults().next("EW00", Fault::noAnswer());
    view.inputAnswers = {"123"};
    ChangeAddress(ops);
    EXPECT_TRUE(view.everShown("lblAdresa", "  0  (00h)"));
    EXPECT_EQ(state.DeviceAddress, 123);
    view.inputAnswers = {""}; // cancel
    ChangeAddress(ops);
    EXPECT_EQ(view.prompts.back().substr(0, 29), "Actual device address is 123.");
}

// The restart: refused before a converter was read, else a bare "X" that
// restarts every converter on the line, 500 ms, and the reading again,
// whose success comes back as a value.
TEST_F(Bus, RestartIsABareXToEveryConverterAndSaysWhetherItsReadingRead) {
    addConverter(1);
    addConverter(2);
    ops.readConverter = nullptr; // the one ReadingAfter plugs in
    EXPECT_FALSE(ReadingAfter(ops, RestartConverter, ReadRM27));
    ChangeAddress(ops);
    EXPECT_EQ(view.criticals, std::vector<std::string>(2, "Jednotka nepřipojena"));
    EXPECT_TRUE(line.sent().empty());
    for (const bool silent : {false, true}) {
        SCOPED_TRACE(silent);
        ASSERT_TRUE(DevRead(ops, 2));
        if (silent) bus.faults().next("@", Fault::noAnswer(), 100);
        const auto before = line.sent().size();
        EXPECT_EQ(ReadingAfter(ops, RestartConverter, ReadRM27), !silent);
        EXPECT_FALSE(ops.readConverter); // nothing left plugged in
        EXPECT_EQ(line.sent()[before].text, "X\r");
        EXPECT_EQ(line.sent()[before + 1].timeMs - line.sent()[before].timeMs, 500);
        EXPECT_EQ(conv(0).restartCount() + conv(1).restartCount(), silent ? 4 : 2);
        EXPECT_TRUE(view.everShown("lblHodnota_0", "RESET"));
        EXPECT_EQ(state.DeviceAddress, 2);
        EXPECT_TRUE(view.timer);
        bus.faults().clear();
    }
}

TEST_F(Bus, QuickWriteByteReturnsTheEchoOrNothing) {
    addConverter(1);
    EXPECT_EQ(QuickWriteByte(ops, 1, 5, 0x0C), "0C");
    EXPECT_EQ(conv().memory(5), 0x0C);
    EXPECT_EQ(QuickWriteByte(ops, 9, 5, 0x0C), "");
    EXPECT_EQ(line.nowMs(), 400);
}

} // namespace
} // namespace rm27
