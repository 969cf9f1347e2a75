// The simulated converters on virtual time: frames in, answers out. What
// the operations make of them is tested with the operations; here, what
// only the simulator decides: timing, answers, collisions and the faults.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>

#include "sim/bus.h"
#include "sim/converter.h"
#include "sim/virtual_line.h"

namespace rm27::sim {
namespace {

struct Rig {
    Bus bus;
    VirtualLine line{bus};
    explicit Rig(ConverterSetup setup = {}) { bus.add(std::move(setup)); }
    std::string ask(const std::string& frame, std::int64_t waitMs = 700) {
        if (!frame.empty()) line.output(frame);
        line.waitFor(waitMs);
        return line.input();
    }
};

TEST(SimTiming, AnswerArrivesAfterFrameTurnaroundAndCharacterTimes) {
    Rig rig;
    rig.line.output("$01@\r");
    // 5 characters out, 2 ms turnaround, 11 characters back: 18.7 ms.
    rig.line.waitFor(18);
    EXPECT_EQ(rig.line.inBufferCount(), 10);
    rig.line.waitFor(1);
    EXPECT_EQ(rig.line.input(), "0123RM2712\r");
    Rig queued; // host frames queue behind each other
    queued.line.output("$01ER00\r");
    queued.line.output("$01ER05\r");
    queued.line.waitFor(100);
    EXPECT_EQ(queued.line.input(), "01\r0A\r");
    ASSERT_EQ(queued.bus.requests().size(), 2u);
    EXPECT_NEAR(queued.bus.requests()[1].timeMs, 16 * kCharMs, 1e-9);
}

TEST(SimCommands, AnswersHaveTheirLengthAndContent) {
    const struct {
        const char* frame;
        const char* expected; // nullptr: only the length is checked
        std::size_t length;
    } cases[] = {
        {"$01AUTO00\r", "00\r", 3},  {"$01@\r", "0123RM2712\r", 11}, {"$01ER00\r", "01\r", 3},
        {"$01ER05\r", "0A\r", 3},    {"$01ER28\r", "01\r", 3},       {"$01EW3055\r", "55\r", 3},
        {"$01KQ\r", "03\r", 3},      {"$01DEF\r", "00000000\r", 9},  {"$01KB00\r", nullptr, 513},
        {"$01MK\r", nullptr, 123},   {"$01KW200741\r", "41\r", 3},   {"$01LT\r", "", 0},
        {"$01LT02\r", "", 0},        {"$01ZZ\r", "", 0},             {"$01ER5\r", "", 0},
        {"$01er05\r", "", 0},        {"$01ER0G\r", "", 0},
    };
    for (const auto& c : cases) {
        Rig rig;
        const std::string answer = rig.ask(c.frame);
        EXPECT_EQ(answer.size(), c.length) << c.frame;
        if (c.expected) {
            EXPECT_EQ(answer, c.expected) << c.frame;
        }
    }
    Rig rmu({.variant = Variant::RMU, .serial = 456, .firmware = "10"});
    EXPECT_EQ(rmu.ask("$01@\r"), "0456RMU 10\r");
}

// Per input 30 characters: the raw divisions in 6 hex digits, then the
// signal, net divisions and value as singles, most significant byte first.
TEST(SimMeasurement, RawSignalAndValuePerInput) {
    Rig rig({.signalMvV = {0.5, 1.0, 1.5, 2.0}});
    const std::string mk = rig.ask("$01MK\r");
    ASSERT_EQ(mk.size(), 123u);
    EXPECT_EQ(mk.substr(120), "03\r");
    const auto single = [&](std::size_t at) {
        const auto bits = static_cast<std::uint32_t>(std::stoul(mk.substr(at, 8), nullptr, 16));
        return std::bit_cast<float>(bits);
    };
    const double expectedValue[] = {124.9, 5003.0, 1500.2, 50.0};
    for (std::size_t i = 0; i < 4; ++i) {
        const double s = 0.5 * static_cast<double>(i + 1);
        EXPECT_NEAR(std::stod("0x" + mk.substr(30 * i, 6)), 8388608 + s / 5e-7, 10) << i;
        EXPECT_NEAR(single(30 * i + 6), s, 1e-5) << i;
        EXPECT_NEAR(single(30 * i + 22), expectedValue[i], 0.05) << i;
    }
}

TEST(SimBus, AddressFilteringUniversalAddressAndCollisions) {
    Bus bus;
    bus.add({.address = 1, .serial = 111});
    bus.add({.address = 2, .serial = 222, .turnaroundMs = 2.5});
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
    for (const char* frame : {"$00@\r", "$00ER00\r"}) {
        const std::string mixed = ask(frame);
        EXPECT_TRUE(std::any_of(mixed.begin(), mixed.end(), [](char ch) {
            return static_cast<unsigned char>(ch) >= 0x80;
        })) << frame;
    }
    Rig single;
    EXPECT_EQ(single.ask("$00@\r"), "0123RM2712\r");
}

// What each fault does to an answer shows in what the transactions make of
// it (test_transact); here, when the pieces of a split answer come, and
// that a cut line stays silent until mended.
TEST(SimFaults, SplitAnswersComeInPiecesAndACutLineStaysSilent) {
    Rig split; // 3 of 11 characters, then a 50 ms pause
    split.bus.faults().next("@", Fault::split(3, 50));
    EXPECT_EQ(split.ask("$01@\r", 30), "012");
    EXPECT_EQ(split.ask("", 50), "3RM2");
    Rig cut; // a cut line carries nothing until mended
    cut.bus.faults().next("@", Fault::lineCut(4));
    cut.ask("$01@\r");
    EXPECT_EQ(cut.ask("$01ER00\r"), "");
    cut.bus.restoreLine();
    EXPECT_EQ(cut.ask("$01ER00\r"), "01\r");
}

// The random plan is the same for the same seed and traffic: a run that
// failed can be run again.
TEST(SimFaults, RandomPlansRepeat) {
    const auto run = [](std::uint64_t seed, std::size_t& faults) {
        Rig r;
        r.bus.faults().random(seed, 0.3);
        const char* frames[] = {"$01@\r", "$01ER05\r", "$01KW200541\r", "$01MK\r", "$01KQ\r"};
        for (int k = 0; k < 100; ++k)
            r.ask(frames[k % 5], 300);
        r.line.waitFor(5000);
        r.line.input();
        faults = r.bus.faults().log().size();
        return r.line.received();
    };
    std::size_t n1 = 0, n2 = 0, n3 = 0;
    const std::string a = run(7, n1);
    EXPECT_EQ(a, run(7, n2));
    EXPECT_EQ(n1, n2);
    EXPECT_GT(n1, 10u);
    EXPECT_LT(n1, 60u);
    EXPECT_NE(a, run(8, n3));
}

} // namespace
} // namespace rm27::sim
