// The live tick, tare, the bus scan, the address change and the restart.
#include <gtest/gtest.h>

#include "device/converter.h"
#include "link/codecs.h"
#include "reading/operations.h"
#include "session/measurement.h"
#include "support/sim_rig.h"

#include "sim/bus.h"
#include "sim/virtual_line.h"

namespace rm27 {
namespace {

using sim::Fault;

// A line whose received text the test writes by hand.
class HandLine : public SerialLine, public EventPump {
public:
    std::string pending;
    std::vector<std::string> written;
    bool open = true;
    std::int64_t now = 0;

    bool isOpen() const override { return open; }
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
    std::string answer(const std::string& input0, char fill = '0') {
        std::string text = input0;
        for (int i = 1; i < 4; ++i)
            text += Block("000100", 0.5f, 2.0f);
        return text + std::string(2, fill) + "\r";
    }
    // As the window's timer runs it: the line is the ticker's meanwhile.
    void tick() {
        const auto ticking = session.guard().ticking();
        MeasurementTick(ops);
    }

    HandLine line;
    test::Recorder view;
    Session session{line, line, view, view};
    DeviceState& state = session.state();
    Operations& ops = session.ops();
};

TEST_F(Tick, DecodesA123CharacterAnswerAndAsksAgain) {
    line.pending = answer(Block("FFFFFF", 1.0f, 12.5f));
    ASSERT_EQ(line.pending.size(), 123u);
    tick();
    EXPECT_EQ(view.caption("lblHodnota_0"), "16777215");
    EXPECT_EQ(view.caption("lblHodnota_4"), " 65536");
    EXPECT_EQ(view.caption("lblR27mVV_0"), "  1.000");
    EXPECT_EQ(view.caption("lblR27Val_0"), "  12.50 ");
    EXPECT_EQ(view.caption("lblHodnota_1"), "     256");
    EXPECT_EQ(line.written, std::vector<std::string>{"$07MK\r"});
    EXPECT_EQ(state.records[0].liveDiv, 16777215.0f);
}

TEST_F(Tick, WrongLengthsShowDashesAndKeepTheRest) {
    line.pending = answer(Block("000010", 1.0f, 1.0f));
    tick();
    const auto before = view.captions;
    for (const std::size_t len : {122u, 124u, 0u, 246u}) {
        std::string text = answer(Block("000020", 2.0f, 2.0f));
        text.resize(len, '0');
        line.pending = text;
        tick();
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
    line.pending = answer(Block("000010", -4999.985f, 20000.016f));
    tick();
    EXPECT_EQ(view.caption("lblR27mVV_0"), "999.985");
    EXPECT_EQ(view.doubt("lblR27mVV_0"), "Hodnota se nevejde do formátu ##0.000: -4999.985");
    EXPECT_EQ(view.caption("lblR27Val_0"), "000.016 ");
    EXPECT_EQ(view.doubt("lblR27Val_0"), "Hodnota se nevejde do formátu ##0.000: 20000.016");
    line.now += 500; // the next answer comes a tick later, as it would
    line.pending = answer(Block("000010", 1.0f, 2.0f));
    tick();
    EXPECT_EQ(view.doubt("lblR27mVV_0"), "");
    EXPECT_EQ(view.doubt("lblR27Val_0"), "");

    state.Q[1] = -123456789;
    ShowConstants(view, state, 1);
    EXPECT_EQ(view.caption("lblR38mVVQ_1"), "23456789");
    EXPECT_EQ(view.doubt("lblR38mVVQ_1"), "Hodnota se nevejde do formátu #######0: -123456789");
}

TEST_F(Tick, TareShowsTheDifferenceFromTheNextTickOn) {
    line.pending = answer(Block("000010", 1.0f, 12.5f));
    tick();
    TareInput(ops, 0);
    line.pending = answer(Block("000010", 1.0f, 13.0f));
    tick();
    EXPECT_EQ(view.caption("lblR27Val_0"), "   0.50 ");
    TareInput(ops, 7); // out of range: ignored
}

TEST_F(Tick, NothingWithoutAnIdentifiedConverterOrAnOpenPort) {
    state.DeviceId = "";
    tick();
    state.DeviceId = "0123RM2712";
    line.open = false;
    tick();
    EXPECT_TRUE(line.written.empty());
}

TEST_F(Tick, OnlyARecordWithACurveAndADescriptionIsUpdated) {
    auto& r = state.records;
    r[0].pointCount = 2;
    r[0].description = FixedText("Siloměr", kDescriptionWidth);
    r[1].pointCount = 2;                                           // blank description
    r[2].description = FixedText("Bez křivky", kDescriptionWidth); // no points
    line.pending = answer(Block("000100", 0.5f, 2.0f));
    tick();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(r[i].liveDiv, 256.0f) << i;
    EXPECT_TRUE(r[0].newSample);
    EXPECT_FALSE(r[1].newSample);
    EXPECT_FALSE(r[2].newSample);
    EXPECT_FALSE(r[3].newSample);
}

TEST_F(Tick, NonHexFieldsReadAsZero) {
    line.pending = answer(std::string("00G000") + Block("000000", 1.0f, 1.0f).substr(6));
    tick();
    EXPECT_EQ(view.caption("lblHodnota_0"), "       0");
}

class Bus : public test::SimRig {
protected:
    Bus() { UseReadRM27(ops); }
    sim::Converter& add(int address) { return addConverter(address); }
};

TEST_F(Bus, LiveValuesFromTheSimulatorAndALateAnswer) {
    add(1);
    ASSERT_TRUE(DevRead(ops, 1));
    MeasurementTick(ops); // empty buffer: dashes, first request out
    EXPECT_EQ(view.caption("lblHodnota_0"), "-----");
    line.waitFor(500);
    MeasurementTick(ops);
    EXPECT_NE(view.caption("lblHodnota_0"), "-----");
    EXPECT_EQ(view.caption("lblR27mVV_3"), "  2.000");
    EXPECT_TRUE(state.records[0].newSample);

    // The request just sent is answered 600 ms late: the next tick finds
    // nothing, the one after finds it merged with the next answer.
    bus.faults().next("MK", Fault::late(600));
    line.waitFor(500);
    MeasurementTick(ops);
    EXPECT_EQ(view.caption("lblHodnota_0"), "-----");
    line.waitFor(500);
    EXPECT_EQ(line.inBufferCount(), 246);
    MeasurementTick(ops);
    EXPECT_EQ(view.caption("lblHodnota_0"), "-----");
    EXPECT_EQ(line.inBufferCount(), 0);
    line.waitFor(500);
    MeasurementTick(ops);
    EXPECT_NE(view.caption("lblHodnota_0"), "-----");
}

TEST_F(Bus, ScanListsTheFamilyAtAddressesOneToThirtyOne) {
    add(3);
    add(17);
    add(31);
    add(40); // beyond the scan
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

TEST_F(Bus, ScanOnAClosedPortOnlyBlinks) {
    line.setOpen(false);
    ScanAddresses(ops);
    EXPECT_TRUE(line.sent().empty());
    EXPECT_EQ(view.colours["cmdFindAdr"], 0xFFFFFFu);
    EXPECT_TRUE(view.rows["lstCurves"].empty());
}

TEST_F(Bus, AddressChangeAsksUntilInRangeAndRestarts) {
    add(5);
    ASSERT_TRUE(DevRead(ops, 5));
    state.scanFound = {{5, "0123RM2712", "03"}, {9, "0456RMU001", "01"}};
    view.inputAnswers = {"0", "160", "3,6"};
    ChangeAddress(ops);
    // The scan's list follows, so that choosing it there still reads it.
    EXPECT_EQ(view.rows["lstCurves"],
              (std::vector<std::string>{"@0x04 0123RM2712 KQ:0x03", "@0x09 0456RMU001 KQ:0x01"}));
    ASSERT_EQ(view.prompts.size(), 3u);
    EXPECT_EQ(view.prompts[0], "Actual device address is 05. While changing address (in range 1 "
                               "to 159) take care on address colision.");
    EXPECT_TRUE(view.everShown("lblAdresa", "  4  (04h)"));
    EXPECT_EQ(state.DeviceAddress, 4);
    EXPECT_EQ(bus.converter(0).address(), 4);
    EXPECT_EQ(view.caption("lblAdresa"), "  4  (0x04)"); // read again at the new address
    EXPECT_TRUE(view.timer);
}

TEST_F(Bus, AddressChangeStopsTheMeasurementAfterThePrompt) {
    add(5);
    ASSERT_TRUE(DevRead(ops, 5));
    ASSERT_TRUE(view.timer);
    view.inputAnswers = {"6"};
    bool timerOnDuringPrompt = false;
    std::int64_t answeredAt = -1;
    view.whileOpen = [&] {
        timerOnDuringPrompt = view.timer;
        answeredAt = line.nowMs();
    };
    MeasurementTick(ops); // a request outstanding, as the running timer leaves one
    ChangeAddress(ops);
    EXPECT_TRUE(timerOnDuringPrompt);
    // one interval for the measurement's answer, then the address goes out
    EXPECT_EQ(timeOfFrame("$05EW0006\r"), answeredAt + 500);
    EXPECT_EQ(conv().address(), 6);
}

TEST_F(Bus, AddressChangeToTwelveAndWithoutEcho) {
    add(5);
    ASSERT_TRUE(DevRead(ops, 5));
    view.inputAnswers = {"12"};
    ChangeAddress(ops);
    EXPECT_TRUE(view.everShown("lblAdresa", " 12  (0Ch)"));

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

TEST_F(Bus, RestartIsABareXAndRestartsEveryConverter) {
    add(1);
    add(2);
    RestartConverter(ops); // nothing identified yet
    EXPECT_EQ(view.criticals, std::vector<std::string>{"Jednotka nepřipojena"});
    ChangeAddress(ops);
    EXPECT_EQ(view.criticals.size(), 2u);
    EXPECT_TRUE(line.sent().empty());

    ASSERT_TRUE(DevRead(ops, 2));
    const auto before = line.sent().size();
    RestartConverter(ops);
    EXPECT_EQ(line.sent()[before].text, "X\r");
    EXPECT_EQ(bus.converter(0).restartCount(), 1);
    EXPECT_EQ(bus.converter(1).restartCount(), 1);
    EXPECT_TRUE(view.everShown("lblHodnota_0", "RESET"));
    EXPECT_EQ(state.DeviceAddress, 2);
    EXPECT_TRUE(view.timer);
}

TEST_F(Bus, QuickWriteByteReturnsTheEchoOrNothing) {
    add(1);
    EXPECT_EQ(QuickWriteByte(ops, 1, 5, 0x0C), "0C");
    EXPECT_EQ(bus.converter(0).memory(5), 0x0C);
    EXPECT_EQ(QuickWriteByte(ops, 9, 5, 0x0C), "");
    EXPECT_EQ(line.nowMs(), 400);
}

} // namespace
} // namespace rm27
