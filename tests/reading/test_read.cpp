// Reading the converter on virtual time: what goes out, what the window is
// told, and how each failure is met.
#include <gtest/gtest.h>

#include "link/codecs.h"
#include "link/memory.h"
#include "reading/operations.h"
#include "support/sim_rig.h"

#include "sim/bus.h"
#include "sim/virtual_line.h"

namespace rm27 {
namespace {

using sim::Fault;

sim::ConverterSetup At(int address) {
    return test::AtAddress(address);
}

class Reading : public test::SimRig {
protected:
    sim::Converter& add(sim::ConverterSetup setup) { return bus.add(std::move(setup)); }
    bool read(int address) { return DevRead(ops, address); }
};

TEST_F(Reading, UniversalAddressAdoptsTheConvertersOwn) {
    add(At(5));
    ASSERT_TRUE(read(0));
    EXPECT_EQ(state.DeviceAddress, 5);
    EXPECT_EQ(view.caption("lblAdresa"), "  5  (0x05)");
    EXPECT_EQ(view.caption("lblID"), "0123RM2712");
    // identification at 0, everything from ER05 on at 5
    EXPECT_LT(indexOfFrame("$00ER00\r"), indexOfFrame("$05ER05\r"));
    EXPECT_EQ(indexOfFrame("$00ER05\r"), line.sent().size());
    EXPECT_EQ(view.statuses.front(), "Ukončuji měření  ...");
    EXPECT_EQ(view.statuses[2], "Načítám ... 2%");
    EXPECT_EQ(view.statuses.back(), "OK, měření spuštěno ...");
    EXPECT_TRUE(view.timer);
    EXPECT_TRUE(view.enabled["cmdReset"]);
    EXPECT_EQ(view.enabled.count("cmdAdresa"), 0u); // normal mode
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(view.visible["cmdChange_" + std::to_string(i)]);
}

TEST_F(Reading, EveryRequestInOrderWithItsWaits) {
    add(At(1)); // eKeys on inputs 0 and 1
    ASSERT_TRUE(read(1));
    std::vector<std::string> frames;
    for (const auto& f : line.sent())
        frames.push_back(f.text);
    std::vector<std::string> expected = {"$01AUTO00\r", "$01@\r", "$01ER00\r", "$01ER05\r",
                                         "$01DEF\r"};
    for (int i = 0; i < 4; ++i) {
        for (const int cell : {148 + 8 * i, 144 + 8 * i}) {
            for (int k = 0; k < 4; ++k)
                expected.push_back("$01ER" + LongToHex(cell + k, 2) + "\r");
        }
    }
    for (const char* f : {"$01ER29\r", "$01ER28\r", "$01ER2A\r", "$01KQ\r", "$01KB00\r",
                          "$01KB20\r", "$01KB82\r", "$01KB83\r"})
        expected.push_back(f);
    EXPECT_EQ(frames, expected);

    // the measurement's last answer gets one interval before the first frame
    EXPECT_EQ(line.sent()[0].timeMs, view.timeOfStatus("Ukončuji měření  ...") + 500);
    // the eKey mask gets its 100 ms before the blocks are asked for
    EXPECT_EQ(timeOfFrame("$01KB00\r"), timeOfFrame("$01KQ\r") + 100);
    // and "OK." stands 100 ms before the measurement starts again
    EXPECT_EQ(view.timeOfStatus("Spouštím živé měření ..."), view.timeOfStatus("OK.") + 100);
}

TEST_F(Reading, VariantDecidesTheRmuMenu) {
    sim::ConverterSetup rmu = At(1);
    rmu.variant = sim::Variant::RMU;
    add(rmu);
    state.ExtendedMode = true;
    ASSERT_TRUE(read(1));
    EXPECT_TRUE(state.IsRMU);
    EXPECT_TRUE(view.visible["mRMUmain"]);
    EXPECT_TRUE(view.enabled["cmdAdresa"]);

    add(At(2));
    ASSERT_TRUE(read(2));
    EXPECT_FALSE(state.IsRMU);
    EXPECT_FALSE(view.visible["mRMUmain"]);
}

TEST_F(Reading, FilterConstantsAndInformationTexts) {
    sim::ConverterSetup setup = At(1);
    setup.filterCode = 0x1A;
    setup.definition = {0, 2, 0, 0};
    add(setup);
    ASSERT_TRUE(read(1));
    ASSERT_EQ(view.rows["cmbFreq"].size(), 16u);
    EXPECT_EQ(view.selected["cmbFreq"], 10);
    EXPECT_EQ(view.rows["cmbFreq"][10], "16.7 Hz /Reject 50,60Hz");
    EXPECT_EQ(view.rows["cmbFreq"][1], "500 Hz ");
    EXPECT_EQ(view.caption("lblR38mVVK_0"), "5.0000 E-07");
    EXPECT_EQ(view.caption("lblR38mVVQ_0"), " 8388608");
    EXPECT_EQ(view.caption("lblR27Slide_1").substr(0, 16), "G7(128x) DEF:02\r");
    EXPECT_EQ(state.configBytes[0], 0x01);
    EXPECT_EQ(state.configBytes[2], 0x03);
}

TEST_F(Reading, InformationTextOfTheWorkedExample) {
    SensorRecord rec;
    rec.gainCode = 7;
    rec.pointCount = 2;
    rec.curveFlags = 0xD0;
    rec.slidingLength = 10;
    EXPECT_EQ(InputInfoText(rec, 0), "G7(128x) DEF:00\r\nN:2 16b MBF4\r\nIN:[mVV]A=10");
    rec.gainCode = 0;
    rec.curveFlags = 0x88;
    EXPECT_EQ(InputInfoText(rec, 255), "G0(1x) DEF:FF\r\nN:2 24b MBF3\r\nIN:[div]A=10");
}

TEST_F(Reading, UnusableDefAnswersMeanFF) {
    add(At(1));
    for (const Fault& f : {Fault::truncate(8), Fault::garbageBefore("0")}) {
        bus.faults().clear();
        bus.faults().next("DEF", f, 4);
        ASSERT_TRUE(read(1));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(state.definitionBytes[i], 255);
        EXPECT_NE(view.caption("lblR27Slide_0").find("DEF:FF"), std::string::npos);
    }
}

TEST_F(Reading, EKeyMaskChoosesTheSourceOfEachInput) {
    sim::ConverterSetup setup = At(1);
    setup.plugged = {true, false, true, false};
    add(setup);
    ASSERT_TRUE(read(1));
    EXPECT_EQ(state.EKeyMask, 0x05);
    EXPECT_EQ(view.rowColours[0], kRgbGreen);
    EXPECT_EQ(view.rowColours[1], kRgbWhite);
    EXPECT_EQ(view.rowColours[2], kRgbGreen);
    EXPECT_EQ(view.rowColours[3], kRgbWhite);
    EXPECT_EQ(view.caption("lblR27ID_0").rfind("eKey ", 0), 0u);
    EXPECT_EQ(view.caption("lblR27ID_1"), "Internal");
    EXPECT_NE(indexOfFrame("$01KB40\r"), line.sent().size()); // eKey of input 2
    EXPECT_NE(indexOfFrame("$01KB81\r"), line.sent().size()); // internal copy of input 1
}

TEST_F(Reading, AMaskOfTheWrongLengthMeansInternalCopies) {
    add(At(1));
    for (const Fault& f : {Fault::truncate(2), Fault::strayLf()}) {
        bus.faults().clear();
        bus.faults().next("KQ", f);
        ASSERT_TRUE(read(1));
        EXPECT_FALSE(state.EKeyMaskValid);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(view.caption("lblR27ID_" + std::to_string(i)), "Internal");
    }
}

TEST_F(Reading, FailingBlockReadStopsAtThatInput) {
    add(At(1)); // eKeys on inputs 0 and 1, internal copies for 2 and 3
    bus.faults().next("KB82", Fault::noAnswer());
    const SensorRecord before2 = state.records[2];
    std::int32_t address = 1;
    EXPECT_FALSE(ReadRM27(ops, address));
    EXPECT_EQ(view.criticals, std::vector<std::string>{"Error reading MEM block"});
    EXPECT_EQ(view.statuses.back(), "Čtení kalibračních dat ... 50%");
    EXPECT_EQ(view.caption("lblR27ID_1").rfind("eKey", 0), 0u);
    EXPECT_EQ(view.captions.count("lblR27ID_2"), 0u);
    EXPECT_EQ(view.captions.count("lblR27ID_3"), 0u);
    EXPECT_TRUE(state.records[2] == before2);

    bus.faults().next("KB00", Fault::noAnswer());
    view.criticals.clear();
    EXPECT_FALSE(ReadRM27(ops, address));
    EXPECT_EQ(view.criticals, std::vector<std::string>{"Error reading EKEY block"});
}

TEST_F(Reading, UndecodableInternalCopyGivesTheDefaultRecord) {
    sim::ConverterSetup setup = At(1);
    setup.internalImages[3] = std::string(256, '\0');
    add(setup);
    ASSERT_TRUE(read(1));
    EXPECT_EQ(view.rowColours[3], kRgbRed);
    EXPECT_EQ(view.caption("lblR27ID_3"), "Internal - N/A");
    EXPECT_EQ(view.caption("lblR27Popis_3"), "ERR:-34");
    EXPECT_EQ(view.caption("lblR27Unit_3"), "div");
    EXPECT_EQ(state.records[3].pointCount, 2);
}

TEST_F(Reading, IdentificationFailures) {
    EXPECT_FALSE(read(9)); // nobody on the line
    EXPECT_EQ(view.criticals.back(), "Na adrese 9 nebyla nalezena žádná jednotka RM-27/RMU.");
    EXPECT_EQ(view.statuses.back(), "Jednotka nenalezena!");
    EXPECT_FALSE(view.timer);
    EXPECT_EQ(line.sent().size(), 8u); // AUTO00 and "@", four sends each

    sim::ConverterSetup other = At(1);
    other.id = "0123XY2712";
    add(other);
    state.DeviceId = "old";
    EXPECT_FALSE(read(1));
    EXPECT_EQ(view.criticals.back(), "Na adrese 1 nebyla nalezena RM-27/RMU.");
    EXPECT_EQ(state.DeviceId, "");
}

// A tare is the load on one sensor: cleared by hand, or by a reading that
// finds another sensor on the input or another converter; the same sensor
// read again keeps it.
TEST_F(Reading, ATareStaysWithItsSensor) {
    add(At(1));
    add(At(2));
    ASSERT_TRUE(read(1));
    live.value = {12.5f, 3.0f, 0.0f, 0.0f};
    TareInput(ops, 0);
    TareInput(ops, 1);
    EXPECT_EQ(view.tares[0], "Netto: tára 12.5 kg odečtena");
    ClearTare(ops, 1);
    EXPECT_EQ(live.tare[1], 0.0f);
    EXPECT_EQ(view.tares[1], "");
    TareInput(ops, 1);

    std::string image = conv(0).block(BlockNumber(0, 0));
    image.replace(kImageIdOffset, kSensorIdWidth, "OTHER001");
    conv(0).setBlock(BlockNumber(0, 0), image);
    ASSERT_TRUE(read(1));
    EXPECT_EQ(live.tare, (std::array<float, 4>{0.0f, 3.0f, 0.0f, 0.0f}));
    EXPECT_EQ(view.tares[0], "");
    EXPECT_NE(view.tares[1], "");

    ASSERT_TRUE(read(2)); // the same sensors, on another converter
    EXPECT_EQ(live.tare, (std::array<float, 4>{}));
    EXPECT_EQ(view.tares[1], "");
}

TEST_F(Reading, ClosedPortOrBadAddressSendsNothing) {
    add(At(1));
    std::int32_t address = 256;
    EXPECT_FALSE(ReadRM27(ops, address));
    line.setOpen(false);
    address = 1;
    EXPECT_FALSE(ReadRM27(ops, address));
    EXPECT_FALSE(read(1));
    EXPECT_TRUE(line.sent().empty());
    EXPECT_TRUE(view.criticals.empty());
}

} // namespace
} // namespace rm27
