// The simulated converters on virtual time: frames in, answers out.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/bus.h"
#include "sim/converter.h"
#include "sim/sensor_images.h"
#include "sim/virtual_line.h"

namespace rm27::sim {
namespace {

using namespace std::string_literals;

struct Rig {
    Bus bus;
    VirtualLine line{bus};
    explicit Rig(ConverterSetup setup = {}) { bus.add(std::move(setup)); }
    std::string ask(const std::string& frame, std::int64_t waitMs = 700) {
        if (!frame.empty()) {
            line.output(frame);
        }
        line.waitFor(waitMs);
        return line.input();
    }
};

float MkSingle(const std::string& mk, std::size_t pos) {
    return std::bit_cast<float>(
        static_cast<std::uint32_t>(std::stoul(mk.substr(pos, 8), nullptr, 16)));
}
double MkRaw(const std::string& mk, int input) {
    return std::stod("0x" + mk.substr(30 * input, 6));
}
float MkSignal(const std::string& mk, int input) {
    return MkSingle(mk, 30 * input + 6);
}
float MkValue(const std::string& mk, int input) {
    return MkSingle(mk, 30 * input + 22);
}

TEST(SimTiming, AnswerArrivesAfterFrameTurnaroundAndCharacterTimes) {
    Rig rig;
    rig.line.output("$01@\r");
    // 5 characters out, 2 ms turnaround, 11 characters back: 18.7 ms.
    rig.line.waitFor(18);
    EXPECT_EQ(rig.line.inBufferCount(), 10);
    rig.line.waitFor(1);
    EXPECT_EQ(rig.line.inBufferCount(), 11);
    EXPECT_EQ(rig.line.input(), "0123RM2712\r");
    ASSERT_EQ(rig.line.sent().size(), 1u);
    EXPECT_EQ(rig.line.sent()[0].timeMs, 0);
    EXPECT_EQ(rig.line.nowMs(), 19);
}

TEST(SimTiming, HostFramesQueueBehindEachOther) {
    Rig rig;
    rig.line.output("$01ER00\r");
    rig.line.output("$01ER05\r");
    rig.line.waitFor(100);
    EXPECT_EQ(rig.line.input(), "01\r0A\r");
    ASSERT_EQ(rig.bus.requests().size(), 2u);
    EXPECT_NEAR(rig.bus.requests()[1].timeMs, 16 * kCharMs, 1e-9);
}

TEST(SimCommands, AnswersHaveTheirLengthAndContent) {
    struct Case {
        const char* frame;
        const char* expected; // nullptr: only the length is checked
        std::size_t length;
    };
    const Case cases[] = {
        {"$01AUTO00\r", "00\r", 3},    {"$01@\r", "0123RM2712\r", 11},
        {"$01ER00\r", "01\r", 3},      {"$01ER05\r", "0A\r", 3},
        {"$01ER28\r", "01\r", 3},      {"$01EW3055\r", "55\r", 3},
        {"$01DEF\r", "00000000\r", 9}, {"$01KQ\r", "03\r", 3},
        {"$01KB00\r", nullptr, 513},   {"$01KW200741\r", "41\r", 3},
        {"$01MK\r", nullptr, 123},     {"$01LT\r", "", 0},
        {"$01LT02\r", "", 0},          {"$01ZZ\r", "", 0},
        {"$01ER5\r", "", 0},           {"$01er05\r", "", 0},
        {"$01ER0G\r", "", 0},
    };
    for (const Case& c : cases) {
        Rig rig;
        const std::string answer = rig.ask(c.frame);
        EXPECT_EQ(answer.size(), c.length) << c.frame;
        if (c.expected) {
            EXPECT_EQ(answer, c.expected) << c.frame;
        }
    }
}

TEST(SimCommands, RmuIdentifiesItself) {
    Rig rig({.variant = Variant::RMU, .serial = 456, .firmware = "10"});
    EXPECT_EQ(rig.ask("$01@\r"), "0456RMU 10\r");
}

TEST(SimCommands, MemoryAndBlockWritesLand) {
    Rig rig;
    Converter& c = rig.bus.converter(0);
    rig.ask("$01EW3055\r");
    EXPECT_EQ(c.memory(0x30), 0x55);
    rig.ask("$01KW200741\r");
    EXPECT_EQ(c.blockByte(32, 7), 0x41);
    const std::string kb = rig.ask("$01KB20\r");
    EXPECT_EQ(kb.substr(14, 2), "41");
    EXPECT_EQ(kb.substr(0, 6), "46534E"); // "FSN": the default sensor decodes
}

TEST(SimCommands, UnpluggedEKeyIsSilentInternalCopiesAlias) {
    Rig rig({.plugged = {false, true, false, false}});
    EXPECT_EQ(rig.ask("$01KQ\r"), "02\r");
    EXPECT_EQ(rig.ask("$01KB00\r"), "");
    EXPECT_EQ(rig.ask("$01KW000041\r"), "");
    // Input 2's copy: block 130 as the reading names it, 192 as the copy
    // command does.
    EXPECT_EQ(rig.ask("$01KWC00341\r"), "41\r");
    EXPECT_EQ(rig.bus.converter(0).blockByte(130, 3), 0x41);
    EXPECT_EQ(rig.ask("$01KB82\r").substr(6, 2), "41");
}

TEST(SimMeasurement, RawSignalAndValuePerInput) {
    Rig rig({.signalMvV = {0.5, 1.0, 1.5, 2.0}});
    const std::string mk = rig.ask("$01MK\r");
    ASSERT_EQ(mk.size(), 123u);
    EXPECT_EQ(mk.substr(120), "03\r");
    const double expectedValue[] = {124.9, 5003.0, 1500.2, 50.0};
    for (int i = 0; i < 4; ++i) {
        const double s = 0.5 * (i + 1);
        EXPECT_NEAR(MkRaw(mk, i), 8388608 + s / 5e-7, 10) << i;
        EXPECT_NEAR(MkSignal(mk, i), s, 1e-5) << i;
        EXPECT_NEAR(MkValue(mk, i), expectedValue[i], 0.05) << i;
    }
}

TEST(SimMeasurement, GainCodeAndDefinitionBitScaleTheReading) {
    Rig rig(
        {.signalMvV = {1.0, 1.0, 1.0, 1.0}, .gainCode = {5, 5, 7, 7}, .definition = {0, 2, 0, 0}});
    const std::string mk = rig.ask("$01MK\r");
    EXPECT_NEAR(MkRaw(mk, 0) - 8388608, 500000, 10);  // 32x: a quarter of the span
    EXPECT_NEAR(MkRaw(mk, 1) - 8388608, 2000000, 10); // K at its own gain
    EXPECT_NEAR(MkSignal(mk, 0), 1.0, 1e-4);
    EXPECT_NEAR(MkSignal(mk, 1), 1.0, 1e-4);
}

TEST(SimMeasurement, ValueFallsBackToInternalCopyThenToSignal) {
    Rig rig({.plugged = {true, false, false, false}, .signalMvV = {1.0, 1.0, 1.0, 1.0}});
    Converter& c = rig.bus.converter(0);
    c.setBlock(0, std::string(256, '\0')); // eKey unreadable: its copy counts
    EXPECT_NEAR(MkValue(rig.ask("$01MK\r"), 0), 249.8, 0.05);
    c.setBlock(128, std::string(256, '\0'));
    EXPECT_NEAR(MkValue(rig.ask("$01MK\r"), 0), 1.0, 1e-4);
}

// The converter's own reading of an image, apart from the program's codec:
// what it refuses, and point values of both widths, signs and the skipped
// third value.
TEST(SimMeasurement, WhatTheConverterReadsOfAnImage) {
    const auto with = [](std::size_t at, const std::string& bytes) {
        std::string image = DefaultSensorImage(0);
        image.replace(at, bytes.size(), bytes);
        return image;
    };
    // 3-byte values with a third one each, signal in divisions:
    // (1, -2.5), (2, 0), each followed by -0.25 that is not a point
    const std::string threeBytes = with(99, "\xA0\x02\0\0\0"
                                            "\x81\0\0\x82\xA0\0\x7F\x80\0"
                                            "\x82\0\0\0\xFF\xFF\x7F\x80\0"s);
    const struct {
        const char* what;
        std::string image;
        std::vector<double> signals; // empty: refused
        std::vector<double> values;
        bool mVV;
    } cases[] = {
        {"as made", DefaultSensorImage(0), {0, 1, 2}, {0, 249.8f, 500}, true},
        {"no FSN", with(0, "X"), {}, {}, true},
        {"no KRI", with(98, "X"), {}, {}, true},
        {"no curve", with(99, "\x50"), {}, {}, true},
        {"one point", with(100, "\x01"), {}, {}, true},
        {"41 points", with(100, "\x29"), {}, {}, true},
        {"beyond the block", with(100, "\x14"), {}, {}, true},
        {"short", DefaultSensorImage(0).substr(0, 254), {}, {}, true},
        {"3-byte values", threeBytes, {1, 2}, {-2.5, 0}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto curve = DecodeSensorCurve(c.image);
        ASSERT_EQ(curve.has_value(), !c.signals.empty());
        if (!curve) continue;
        EXPECT_EQ(curve->signals, c.signals);
        EXPECT_EQ(curve->values, c.values);
        EXPECT_EQ(curve->signalInMvV, c.mVV);
    }
}

TEST(SimMeasurement, NewZeroTakesEffectOnlyAfterLt) {
    Rig rig({.signalMvV = {0.5, 0, 0, 0}});
    const float zero = static_cast<float>(MkRaw(rig.ask("$01MK\r"), 0));
    auto bits = std::bit_cast<std::uint32_t>(zero);
    for (int k = 0; k < 4; ++k, bits >>= 8) {
        rig.ask("$01EW" + HexByte(static_cast<unsigned>(CellQ(0) + k)) + HexByte(bits) + "\r");
    }
    EXPECT_NEAR(MkSignal(rig.ask("$01MK\r"), 0), 0.5, 1e-4);
    rig.ask("$01LT\r");
    EXPECT_NEAR(MkSignal(rig.ask("$01MK\r"), 0), 0.0, 1e-4);
}

TEST(SimMeasurement, ScriptedSignalFollowsTheRequestsTime) {
    Rig rig({.signalMvV = {0.25, 0, 0, 0}});
    rig.bus.converter(0).setSignalScript(0, {{2000.0, 1.5}, {1000.0, 1.0}});
    // Each "MK" is read at the time its frame was complete: before the
    // first step the fixed signal, then each step from its own time on.
    const std::pair<std::int64_t, double> cases[] = {
        {0, 0.25}, {700, 0.25}, {1400, 1.0}, {2100, 1.5}, {5000, 1.5}};
    for (const auto& [at, expected] : cases) {
        rig.line.waitFor(at - rig.line.nowMs());
        EXPECT_NEAR(MkSignal(rig.ask("$01MK\r", 300), 0), expected, 1e-4) << at;
    }
    // A step exactly at the frame's completion already counts.
    Rig edge({.signalMvV = {0.25, 0, 0, 0}});
    edge.bus.converter(0).setSignalScript(0, {{6 * kCharMs, 2.0}});
    EXPECT_NEAR(MkSignal(edge.ask("$01MK\r", 300), 0), 2.0, 1e-4);
}

TEST(SimCommands, WrittenEKeyBlockReadsBackAsWritten) {
    Rig rig;
    std::string image;
    for (int k = 0; k < 256; ++k)
        image += static_cast<char>((k * 7 + 3) & 0xFF);
    for (int k = 0; k < 256; ++k) {
        const std::string value = HexByte(static_cast<unsigned char>(image[k]));
        ASSERT_EQ(rig.ask("$01KW00" + HexByte(static_cast<unsigned>(k)) + value + "\r", 30),
                  value + "\r");
    }
    std::string hex;
    for (char c : image)
        hex += HexByte(static_cast<unsigned char>(c));
    EXPECT_EQ(rig.ask("$01KB00\r", 1000), hex + "\r");
}

TEST(SimBus, AddressFilteringAndUniversalAddress) {
    Bus bus;
    bus.add({.address = 1, .serial = 111});
    bus.add({.address = 2, .serial = 222});
    VirtualLine line(bus);
    auto ask = [&](const std::string& f) {
        line.output(f);
        line.waitFor(100);
        return line.input();
    };
    EXPECT_EQ(ask("$01@\r"), "0111RM2712\r");
    EXPECT_EQ(ask("$02@\r"), "0222RM2712\r");
    EXPECT_EQ(ask("$03@\r"), "");
    // Both answer 0 at once: the wire carries a broken mix, not an answer.
    const std::string mixed = ask("$00@\r");
    EXPECT_NE(mixed, "0111RM2712\r");
    EXPECT_NE(mixed, "0222RM2712\r");
    EXPECT_TRUE(std::any_of(mixed.begin(), mixed.end(),
                            [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; }));
    Rig single;
    EXPECT_EQ(single.ask("$00@\r"), "0123RM2712\r");
}

TEST(SimBus, CollisionOfShiftedAnswersIsGarbled) {
    Bus bus;
    bus.add({.address = 1});
    bus.add({.address = 2, .turnaroundMs = 2.5});
    VirtualLine line(bus);
    line.output("$00ER00\r");
    line.waitFor(100);
    const std::string got = line.input();
    EXPECT_NE(got, "01\r");
    EXPECT_NE(got, "02\r");
    EXPECT_NE(got.find_first_not_of("0123456789ABCDEF\r"), std::string::npos);
}

TEST(SimBus, AddressChangeTakesEffectAtRestartAfterBoot) {
    Rig rig;
    EXPECT_EQ(rig.ask("$01EW0005\r"), "05\r");
    EXPECT_EQ(rig.ask("$05@\r", 100), "");
    EXPECT_EQ(rig.ask("$01@\r", 100), "0123RM2712\r");
    rig.ask("$01X\r", 100); // deaf for 300 ms from here
    EXPECT_EQ(rig.ask("$05@\r", 100), "");
    rig.line.waitFor(200);
    EXPECT_EQ(rig.ask("$01@\r", 100), "");
    EXPECT_EQ(rig.ask("$05@\r", 100), "0123RM2712\r");
    EXPECT_EQ(rig.bus.converter(0).restartCount(), 1);
}

TEST(SimBus, BareXRestartsEveryConverter) {
    Bus bus;
    bus.add({.address = 1});
    bus.add({.address = 2});
    VirtualLine line(bus);
    line.output("$01EW0007\r$02EW0008\r");
    line.waitFor(100);
    line.output("$01X\r"); // addressed: only converter 1 restarts
    line.waitFor(400);
    EXPECT_EQ(bus.converter(0).address(), 7);
    EXPECT_EQ(bus.converter(1).address(), 2);
    line.output("X\r");
    line.waitFor(400);
    EXPECT_EQ(bus.converter(0).restartCount(), 2);
    EXPECT_EQ(bus.converter(1).restartCount(), 1);
    EXPECT_EQ(bus.converter(1).address(), 8);
}

TEST(SimFaults, EachKindShapesTheAnswer) {
    struct Case {
        const char* name;
        Fault fault;
        const char* expected;
    };
    const Case cases[] = {
        {"none", Fault::none(), "0123RM2712\r"},
        {"no answer", Fault::noAnswer(), ""},
        {"late", Fault::late(1500), "0123RM2712\r"},
        {"truncate", Fault::truncate(5), "0123R"},
        {"truncate CR", Fault::truncate(-1), "0123RM2712"},
        {"split", Fault::split(3, 50), "0123RM2712\r"},
        {"trickle", Fault::trickle(10), "0123RM2712\r"},
        {"garbage before", Fault::garbageBefore("#~"), "#~0123RM2712\r"},
        {"garbage after", Fault::garbageAfter("#~"), "0123RM2712\r#~"},
        {"non-hex", Fault::nonHex(2, 'G'), "01G3RM2712\r"},
        {"extra CR", Fault::extraCr(), "0123RM2712\r\r"},
        {"stray LF", Fault::strayLf(), "0123RM2712\r\n"},
        {"wrong echo elsewhere", Fault::wrongEcho(), "0123RM2712\r"},
        {"line cut", Fault::lineCut(4), "0123"},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.bus.faults().next("@", c.fault);
        EXPECT_EQ(rig.ask("$01@\r", 3000), c.expected) << c.name;
    }
}

TEST(SimFaults, DelaysAndGapsShowInArrivalTimes) {
    Rig late;
    late.bus.faults().next("@", Fault::late(1500));
    EXPECT_EQ(late.ask("$01@\r", 1500), "");
    EXPECT_EQ(late.ask("", 20).size(), 11u);

    Rig split;
    split.bus.faults().next("@", Fault::split(3, 50));
    EXPECT_EQ(split.ask("$01@\r", 30), "012"); // 3 of 11, then a 50 ms pause
    EXPECT_EQ(split.ask("", 50), "3RM2");
    EXPECT_EQ(split.ask("", 100), "712\r");

    Rig trickle;
    trickle.bus.faults().next("@", Fault::trickle(10));
    EXPECT_EQ(trickle.ask("$01@\r", 30), "01"); // 1 ms each, 10 ms apart
    EXPECT_EQ(trickle.ask("", 200), "23RM2712\r");
}

TEST(SimFaults, LineCutSilencesEverythingAfter) {
    Rig rig;
    rig.bus.faults().next("@", Fault::lineCut(4));
    EXPECT_EQ(rig.ask("$01@\r"), "0123");
    EXPECT_EQ(rig.ask("$01ER00\r"), "");
    EXPECT_TRUE(rig.bus.lineCut());
    rig.bus.restoreLine();
    EXPECT_EQ(rig.ask("$01ER00\r"), "01\r");
}

TEST(SimFaults, WrongEchoWritesTheCorruptedByte) {
    Rig rig;
    rig.bus.faults().next(RequestMatch::kwIndex(5), Fault::wrongEcho());
    rig.bus.faults().next("EW", Fault::wrongEcho(0x77));
    EXPECT_EQ(rig.ask("$01KW200441\r"), "41\r");
    EXPECT_EQ(rig.ask("$01KW200541\r"), "40\r");
    EXPECT_EQ(rig.ask("$01KW200541\r"), "41\r"); // used up
    EXPECT_EQ(rig.ask("$01EW3011\r"), "77\r");
    EXPECT_EQ(rig.bus.converter(0).memory(0x30), 0x77);
}

TEST(SimFaults, AlteredFieldsAreCarriedOutAsHeardAndAnsweredAsForThat) {
    Rig rig;
    sim::Converter& c = rig.bus.converter(0);
    rig.bus.faults().next("KW", Fault::alteredIndex());
    rig.bus.faults().next("EW", Fault::alteredIndex(0x31));
    const std::string before = c.block(0x20);
    EXPECT_EQ(rig.ask("$01KW200541\r"), "41\r"); // byte 5 asked for, byte 4 written
    EXPECT_EQ(c.blockByte(0x20, 4), 0x41);
    EXPECT_EQ(c.blockByte(0x20, 5), static_cast<std::uint8_t>(before[5]));
    EXPECT_EQ(rig.ask("$01EW3011\r"), "11\r");
    EXPECT_EQ(c.memory(0x31), 0x11);
    EXPECT_NE(c.memory(0x30), 0x11);

    rig.bus.faults().next("KW", Fault::alteredBlock()); // bit 0: block 0x21
    EXPECT_EQ(rig.ask("$01KW200642\r"), "42\r");
    EXPECT_EQ(c.blockByte(0x21, 6), 0x42);
    EXPECT_EQ(c.blockByte(0x20, 6), static_cast<std::uint8_t>(before[6]));
    rig.bus.faults().next("ER", Fault::alteredReadIndex(0x31));
    EXPECT_EQ(rig.ask("$01ER30\r"), "11\r");
    rig.bus.faults().next("", Fault::alteredAddress(0x05)); // nobody there
    EXPECT_EQ(rig.ask("$01@\r", 100), "");
    EXPECT_EQ(rig.ask("$01@\r", 100), "0123RM2712\r");
}

TEST(SimFaults, ScriptedRulesCountMatchingRequests) {
    Rig rig;
    rig.bus.faults().next("ER", Fault::noAnswer(), 2);
    rig.bus.faults().at(6, Fault::truncate(1));
    EXPECT_EQ(rig.ask("$01ER00\r", 100), "");
    EXPECT_EQ(rig.ask("$01@\r", 100), "0123RM2712\r");
    EXPECT_EQ(rig.ask("$01ER00\r", 100), "");
    EXPECT_EQ(rig.ask("$01ER00\r", 100), "01\r");
    EXPECT_EQ(rig.ask("$01KQ\r", 100), "03\r");
    EXPECT_EQ(rig.ask("$01KQ\r", 100), "0"); // frame number 6
    EXPECT_EQ(rig.bus.faults().pendingRules(), 0u);
    EXPECT_EQ(rig.bus.faults().log().size(), 3u);
}

std::string RunRandomPlan(std::uint64_t seed, std::size_t* faults) {
    Rig rig;
    rig.bus.faults().random(seed, 0.3);
    const char* frames[] = {"$01@\r", "$01ER05\r", "$01KW200541\r", "$01MK\r", "$01KQ\r"};
    for (int k = 0; k < 100; ++k) {
        rig.ask(frames[k % 5], 300);
    }
    rig.line.waitFor(5000);
    rig.line.input();
    *faults = rig.bus.faults().log().size();
    return rig.line.received();
}

TEST(SimFaults, RandomPlanIsReproducibleFromItsSeed) {
    std::size_t n1 = 0, n2 = 0, n3 = 0;
    const std::string a = RunRandomPlan(7, &n1);
    const std::string b = RunRandomPlan(7, &n2);
    const std::string c = RunRandomPlan(8, &n3);
    EXPECT_EQ(a, b);
    EXPECT_EQ(n1, n2);
    EXPECT_GT(n1, 10u);
    EXPECT_LT(n1, 60u);
    EXPECT_NE(a, c);
}

TEST(SimLine, UserEventRunsInsideAWaitAndMayUseTheLine) {
    Rig rig;
    std::string during;
    rig.line.at(50, [&] {
        rig.line.output("$01ER05\r");
        rig.line.waitFor(20);
        during = rig.line.input();
    });
    rig.line.output("$01@\r");
    rig.line.waitFor(100);
    ASSERT_EQ(rig.line.sent().size(), 2u);
    EXPECT_EQ(rig.line.sent()[1].timeMs, 50);
    EXPECT_EQ(during, "0123RM2712\r0A\r"); // the click took the waiting answer too
    EXPECT_EQ(rig.line.nowMs(), 100);
    EXPECT_EQ(rig.line.pendingEvents(), 0u);
}

TEST(SimLine, ClosedLineSendsAndReceivesNothing) {
    Rig rig;
    rig.line.output("$01@\r");
    rig.line.setOpen(false);
    EXPECT_FALSE(rig.line.isOpen());
    rig.line.output("$01KQ\r");
    rig.line.waitFor(100);
    EXPECT_EQ(rig.line.inBufferCount(), 0);
    rig.line.setOpen(true);
    EXPECT_EQ(rig.line.input(), ""); // arrived while closed: gone
    EXPECT_EQ(rig.line.sent().size(), 1u);
    EXPECT_EQ(rig.bus.requests().size(), 1u);
}

} // namespace
} // namespace rm27::sim
