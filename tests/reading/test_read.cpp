// Reading the converter on virtual time: what goes out, what the window is
// told, and how each failure is met.
#include <gtest/gtest.h>

#include "device/converter.h"
#include "link/codecs.h"
#include "link/memory.h"
#include "reading/operations.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

using sim::Fault;

class Reading : public test::SimRig {
protected:
    bool read(int address) { return DevRead(ops, address); }
    sim::ConverterSetup setup = test::AtAddress(1);
};

TEST_F(Reading, UniversalAddressAdoptsTheConvertersOwnAndTheVariantDecidesTheRmuMenu) {
    addConverter(5);
    ASSERT_TRUE(read(0));
    EXPECT_EQ(state.DeviceAddress, 5);
    EXPECT_EQ(view.caption("lblAdresa"), "  5  (0x05)");
    EXPECT_EQ(view.caption("lblID"), "0123RM2712");
    // identification at 0, everything from ER05 on at 5
    EXPECT_LT(indexOfFrame("$00ER00\r"), indexOfFrame("$05ER05\r"));
    EXPECT_EQ(indexOfFrame("$00ER05\r"), line.sent().size());
    EXPECT_EQ(std::vector<std::string>(view.statuses.begin(), view.statuses.begin() + 4),
              (std::vector<std::string>{"Ukončuji měření  ...", "Načítání ...", "Načítám ... 2%",
                                        "Skenuji ... 10%"}));
    EXPECT_EQ(view.statuses.back(), "OK, měření spuštěno ...");
    EXPECT_TRUE(view.timer);
    EXPECT_TRUE(view.enabled["cmdReset"]);
    EXPECT_EQ(view.enabled.count("cmdAdresa"), 0u); // normal mode
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(view.visible["cmdChange_" + std::to_string(i)]);

    setup.variant = sim::Variant::RMU;
    bus.add(setup);
    state.ExtendedMode = true;
    ASSERT_TRUE(read(1));
    EXPECT_TRUE(state.IsRMU);
    EXPECT_TRUE(view.visible["mRMUmain"]);
    EXPECT_TRUE(view.enabled["cmdAdresa"]);
    ASSERT_TRUE(read(5));
    EXPECT_FALSE(state.IsRMU);
    EXPECT_FALSE(view.visible["mRMUmain"]);
}

TEST_F(Reading, EveryRequestInOrderWithItsWaits) {
    addConverter(1); // eKeys on inputs 0 and 1
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

TEST_F(Reading, FilterConstantsConfigurationAndInformationTexts) {
    setup.filterCode = 0x1A;
    setup.definition = {0, 2, 0, 0};
    bus.add(setup);
    ASSERT_TRUE(read(1));
    ASSERT_EQ(view.rows["cmbFreq"].size(), 16u);
    EXPECT_EQ(view.selected["cmbFreq"], 10);
    EXPECT_EQ(view.rows["cmbFreq"][10], "16.7 Hz /Reject 50,60Hz");
    EXPECT_EQ(view.caption("lblR38mVVK_0"), "5.0000 E-07");
    EXPECT_EQ(view.caption("lblR38mVVQ_0"), " 8388608");
    EXPECT_EQ(view.caption("lblR27Slide_1").substr(0, 16), "G7(128x) DEF:02\r");
    // bytes 28h, 29h and 2Ah, each in its own place
    EXPECT_EQ(state.configBytes, (std::array<std::int32_t, 3>{0x01, 0x00, 0x03}));

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
    addConverter(1);
    for (const Fault& f : {Fault::truncate(8), Fault::garbageBefore("0")}) {
        bus.faults().clear();
        bus.faults().next("DEF", f, 4);
        ASSERT_TRUE(read(1));
        EXPECT_EQ(state.definitionBytes, (std::array<std::int32_t, 4>{255, 255, 255, 255}));
        EXPECT_NE(view.caption("lblR27Slide_0").find("DEF:FF"), std::string::npos);
    }
}

TEST_F(Reading, EKeyMaskChoosesTheSourceOfEachInput) {
    setup.plugged = {true, false, true, false};
    bus.add(setup);
    ASSERT_TRUE(read(1));
    EXPECT_EQ(state.EKeyMask, 0x05);
    EXPECT_EQ(view.rowColours,
              (std::map<int, std::uint32_t>{
                  {0, kRgbGreen}, {1, kRgbWhite}, {2, kRgbGreen}, {3, kRgbWhite}}));
    EXPECT_EQ(view.caption("lblR27ID_0").rfind("eKey ", 0), 0u);
    EXPECT_EQ(view.caption("lblR27ID_1"), "Internal");
    EXPECT_NE(indexOfFrame("$01KB40\r"), line.sent().size()); // eKey of input 2
    EXPECT_NE(indexOfFrame("$01KB81\r"), line.sent().size()); // internal copy of input 1
    // Whatever waits on the line is not the mask's answer.
    port.send("$01ER00\r");
    DelayMs(line, 50);
    ReadEKeyPresence(ops);
    EXPECT_TRUE(state.EKeyMaskValid);
    EXPECT_EQ(state.EKeyMask, 0x05);
}

TEST_F(Reading, FailingBlockReadStopsAtThatInput) {
    addConverter(1); // eKeys on inputs 0 and 1, internal copies for 2 and 3
    bus.faults().next("KB82", Fault::noAnswer());
    const SensorRecord before2 = state.records[2];
    std::int32_t address = 1;
    EXPECT_FALSE(ReadRM27(ops, address));
    EXPECT_EQ(view.criticals, std::vector<std::string>{"Error reading MEM block"});
    EXPECT_EQ(view.statuses.back(), "Čtení kalibračních dat ... 50%");
    EXPECT_EQ(view.caption("lblR27ID_1").rfind("eKey", 0), 0u);
    EXPECT_EQ(view.captions.count("lblR27ID_2") + view.captions.count("lblR27ID_3"), 0u);
    EXPECT_TRUE(state.records[2] == before2);

    bus.faults().next("KB00", Fault::noAnswer());
    view.criticals.clear();
    EXPECT_FALSE(ReadRM27(ops, address));
    EXPECT_EQ(view.criticals, std::vector<std::string>{"Error reading EKEY block"});
}

TEST_F(Reading, UndecodableInternalCopyGivesTheDefaultRecord) {
    setup.internalImages[3] = std::string(256, '\0');
    bus.add(setup);
    ASSERT_TRUE(read(1));
    EXPECT_EQ(view.rowColours[3], kRgbRed);
    EXPECT_EQ(view.caption("lblR27ID_3"), "Internal - N/A");
    EXPECT_EQ(view.caption("lblR27Popis_3"), "ERR:-34");
    EXPECT_EQ(view.caption("lblR27Unit_3"), "div");
    EXPECT_EQ(state.records[3].pointCount, 2);
}

TEST_F(Reading, IdentificationFailuresAndWhatSendsNothing) {
    EXPECT_FALSE(read(9)); // nobody on the line
    EXPECT_EQ(view.criticals.back(), "Na adrese 9 nebyla nalezena žádná jednotka RM-27/RMU.");
    EXPECT_EQ(view.statuses.back(), "Jednotka nenalezena!");
    EXPECT_FALSE(view.timer);
    EXPECT_EQ(line.sent().size(), 8u); // AUTO00 and "@", four sends each

    setup.id = "0123XY2712";
    bus.add(setup);
    state.DeviceId = "old";
    EXPECT_FALSE(read(1));
    EXPECT_EQ(view.criticals.back(), "Na adrese 1 nebyla nalezena RM-27/RMU.");
    EXPECT_EQ(state.DeviceId, "");

    // a bad address, or a closed port: nothing goes out, nothing is said
    const std::size_t sent = line.sent().size();
    view.criticals.clear();
    std::int32_t address = 256;
    EXPECT_FALSE(ReadRM27(ops, address));
    line.setOpen(false);
    address = 1;
    EXPECT_FALSE(ReadRM27(ops, address));
    EXPECT_FALSE(read(1));
    EXPECT_EQ(line.sent().size(), sent);
    EXPECT_TRUE(view.criticals.empty());
}

// A tare is the load on one sensor: cleared by hand, or by a reading that
// finds another sensor on the input or another converter; the same sensor
// read again keeps it.
TEST_F(Reading, ATareStaysWithItsSensor) {
    addConverter(1);
    addConverter(2);
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

} // namespace
} // namespace rm27
