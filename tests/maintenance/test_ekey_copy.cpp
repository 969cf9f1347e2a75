// The eKey copies on virtual time: external to internal, input 1 to input 4.
#include <gtest/gtest.h>

#include "link/codecs.h"
#include "link/ekey.h"
#include "link/memory.h"
#include "maintenance/ekey_copy.h"
#include "maintenance/ekey_init.h"
#include "reading/operations.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

// A question's first paragraph: the converter tools' own wording.
std::string Asked(const std::string& question) {
    return question.substr(0, question.find("\r\n"));
}

using sim::Fault;
using sim::RequestMatch;

const char* const kExtQuestion =
    "Tato funkce zkopíruje externí ekey (256B) do interni pameti. Chcete pokračovat ?";
const char* const k14Question = "Tato funkce zkopíruje binarní obraz ekey (256B) ve vstupu 1 do "
                                "ekeye na vstupu 4. Chcete pokračovat ?";

class Copy : public test::SimRig {
protected:
    explicit Copy(bool copiesApart = false) {
        sim::ConverterSetup setup = test::AtAddress(1);
        setup.copiesApart = copiesApart;
        bus.add(setup);
        UseReadRM27(ops);
    }

    // Plugs the eKeys and reads the converter as "Načíst" does.
    void readWith(std::array<bool, 4> plugged) {
        for (int i = 0; i < 4; ++i)
            conv().setPlugged(i, plugged[static_cast<std::size_t>(i)]);
        ASSERT_TRUE(DevRead(ops, 1));
        firstFrame = line.sent().size();
    }
    Result run(const std::function<CopyResult(Operations&)>& op) {
        Result outcome = ResultCode::Ok;
        EXPECT_TRUE(session.run([&](Operations& o) { outcome = op(o).outcome; }));
        return outcome;
    }
    // Block frames ("KB"/"KW") the operation itself sent: those before the
    // re-read that ends it.
    std::vector<std::string> blockFrames(const std::string& command) const {
        std::vector<std::string> out;
        for (std::size_t i = firstFrame; i < line.sent().size(); ++i) {
            const std::string& t = line.sent()[i].text;
            if (t == "$01AUTO00\r") break;
            if (t.compare(3, 2, command) == 0) out.push_back(t);
        }
        return out;
    }
    std::size_t firstFrame = 0;
};

// Whether the converter keeps blocks 160/192/224 as the internal copies
// 129..131 or apart from them, the copy backs up and checks the block it
// writes, (n + 3) * 32, and succeeds; what the reading's block of that
// input holds is only said.
class CopyEitherWay : public Copy, public ::testing::WithParamInterface<bool> {
protected:
    CopyEitherWay() : Copy(GetParam()) {}
};

TEST_P(CopyEitherWay, EachInputWritesAndChecksBlockNPlus3Times32) {
    const bool apart = GetParam();
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const int written = 32 * (i + 4);
        conv().setBlock(128 + i, std::string(256, '\0')); // undecodable before the copy
        conv().setBlock(written, std::string(256, '\0'));
        std::array<bool, 4> plugged{true, false, false, false};
        plugged[static_cast<std::size_t>(i)] = true;
        readWith(plugged);
        const std::string ekey = conv().block(32 * i);
        view.answers = {MessageAnswer::Yes};
        CopyResult copied;
        EXPECT_TRUE(session.run([&](Operations& o) { copied = CopyEKeyExtToInt(o, i); }));

        EXPECT_EQ(copied.outcome, ResultCode::Ok);
        EXPECT_TRUE(view.criticals.empty());
        // its own read of the block it replaces, then the Part's source read
        EXPECT_EQ(blockFrames("KB"),
                  (std::vector<std::string>{"$01KB" + LongToHex(written, 2) + "\r",
                                            "$01KB" + LongToHex(32 * i, 2) + "\r"}));
        const std::string vstup = "Vstup" + std::to_string(i + 1) + " ...";
        for (const std::string& status :
             {"Reading source e-key " + vstup, "Writing to internal " + vstup})
            EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(), status),
                      view.statuses.end())
                << status;
        const auto writes = blockFrames("KW");
        ASSERT_EQ(writes.size(), 256u);
        EXPECT_EQ(writes.front().substr(5, 2), LongToHex(written, 2));
        EXPECT_EQ(conv().block(written), ekey);
        EXPECT_EQ(view.messageTexts().back(), "Copied. Read=1 WRITE=0");
        EXPECT_EQ(view.calls.back().icon, MessageIcon::Information);
        ASSERT_EQ(copied.writes.size(), 1u);
        EXPECT_EQ(copied.writes[0].block(), written);
        EXPECT_EQ(copied.writes[0].result, WriteCheckResult::Same);
        EXPECT_EQ(copied.writes[0].check.written, ekey);
        EXPECT_TRUE(view.timer);

        const bool shown = !apart || i == 0;
        EXPECT_EQ(copied.shown, shown ? CopyShown::Shown : CopyShown::NotShown);
        EXPECT_EQ(conv().block(128 + i) == ekey, shown);
        const std::string n = std::to_string(i + 1);
        const std::string reading = std::to_string(128 + i);
        if (i > 0) {
            EXPECT_EQ(view.statuses.back(),
                      shown ? "Vnitřní kopie vstupu " + n + " (blok " + reading +
                                  ") obsahuje zkopírovaný eKey: převodník ho bez eKey použije."
                            : "Vnitřní kopie vstupu " + n + " (blok " + reading +
                                  ") zkopírovaný eKey neobsahuje: převodník ho bez eKey "
                                  "nepoužije, kopie je jen v bloku " +
                                  std::to_string(written) + ".");
        }

        conv().setPlugged(i, false);
        ASSERT_TRUE(DevRead(ops, 1));
        EXPECT_EQ(state.images[static_cast<std::size_t>(i)] == ekey, shown);
    }
}

INSTANTIATE_TEST_SUITE_P(Storage, CopyEitherWay, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "Apart" : "Shared";
                         });

TEST_F(Copy, AbsentKeysAreRefusedWithoutABlockFrame) {
    struct Case {
        std::array<bool, 4> plugged;
        std::function<CopyResult(Operations&)> op;
        const char* message;
    };
    const Case cases[] = {
        {{true, false, false, false},
         [](Operations& o) { return CopyEKeyExtToInt(o, 2); },
         "EKEY (Vstup3) not present"},
        {{true, false, false, false}, CopyEKey1To4, "EKEYS not present"},
        {{false, false, false, true}, CopyEKey1To4, "EKEYS not present"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        readWith(c.plugged);
        view.criticals.clear();
        view.answers = {MessageAnswer::Yes};
        EXPECT_EQ(run(c.op), ResultCode::Refused);
        EXPECT_EQ(view.criticals, std::vector<std::string>{c.message});
        EXPECT_TRUE(blockFrames("KB").empty());
        EXPECT_TRUE(blockFrames("KW").empty());
        EXPECT_EQ(view.statuses.back(), "OK."); // re-read and restart follow
        EXPECT_TRUE(view.timer);
    }
}

TEST_F(Copy, NoSendsNothingAndLeavesTheMeasurementRunning) {
    const std::function<void(Operations&)> commands[] = {
        [](Operations& o) { CopyEKeyExtToInt(o, 0); },
        [](Operations& o) { CopyEKey1To4(o); },
        [](Operations& o) { InitEKeys(o, EKeyInitVariant::R27); },
        [](Operations& o) { InitEKeys(o, EKeyInitVariant::Davro); },
    };
    readWith({true, true, true, true});
    view.clipboard = "kept";
    for (const auto& op : commands) {
        view.timer = true;
        view.captionLog.clear();
        const auto sent = line.sent().size();
        const auto now = line.nowMs();
        bool ticksAllowed = false;
        bool timerAtQuestion = false;
        view.whileOpen = [&] {
            ticksAllowed = guard.tickAllowed();
            timerAtQuestion = view.timer;
        };
        view.answers = {MessageAnswer::No};
        session.run(op);
        view.whileOpen = nullptr;
        EXPECT_EQ(view.calls.back().buttons, MessageButtons::YesNo);
        EXPECT_EQ(view.calls.back().icon, MessageIcon::Question);
        EXPECT_TRUE(ticksAllowed);    // the values stay live while it asks
        EXPECT_TRUE(timerAtQuestion); // asked before the measurement stops
        EXPECT_EQ(line.sent().size(), sent);
        EXPECT_EQ(line.nowMs(), now);
        EXPECT_TRUE(view.timer);
        EXPECT_TRUE(view.captionLog.empty());
        EXPECT_EQ(view.clipboard, "kept");
    }
    EXPECT_EQ(Asked(view.calls[view.calls.size() - 4].text), kExtQuestion);
    EXPECT_EQ(Asked(view.calls[view.calls.size() - 3].text), k14Question);
}

TEST_F(Copy, ADoubtfulMaskIsSaidBeforeAnythingAndNothingIsSent) {
    bus.faults().next("KQ", Fault::nonHex(0, 'Z'));
    readWith({true, true, false, true});
    ASSERT_TRUE(state.doubts.ekeyMask);
    const std::function<Result(Operations&)> commands[] = {
        [](Operations& o) { return CopyEKeyExtToInt(o, 0).outcome; },
        [](Operations& o) { return CopyEKey1To4(o).outcome; },
        [](Operations& o) { return InitEKeys(o, EKeyInitVariant::R27).outcome; },
    };
    for (const auto& op : commands) {
        view.calls.clear();
        Result outcome = ResultCode::Ok;
        session.run([&](Operations& o) { outcome = op(o); });
        EXPECT_EQ(outcome, ResultCode::Failed);
        ASSERT_EQ(view.calls.size(), 1u); // no question either
        EXPECT_EQ(view.calls[0].icon, MessageIcon::Critical);
        EXPECT_EQ(view.calls[0].text,
                  "maska eKey je nejistá: " + DoubtReasons(state.doubts.ekeyMask).czech());
        EXPECT_EQ(line.sent().size(), firstFrame);
        EXPECT_TRUE(view.timer);
    }
}

TEST_F(Copy, OneToFourKeepsInputFoursIdentifierAndNothingElse) {
    readWith({true, false, false, true}); // mask 0x09
    const std::string source = conv().block(0);
    const std::string before = conv().block(96);
    ASSERT_NE(source.substr(kImageIdOffset, 8), before.substr(kImageIdOffset, 8));
    view.answers = {MessageAnswer::Yes};
    EXPECT_EQ(run(CopyEKey1To4), ResultCode::Ok);

    std::string expected = source;
    expected.replace(kImageIdOffset, 8, before.substr(kImageIdOffset, 8));
    EXPECT_EQ(conv().block(96), expected);
    EXPECT_EQ(conv().block(0), source);
    EXPECT_EQ(blockFrames("KB"), (std::vector<std::string>{"$01KB00\r", "$01KB60\r"}));
    EXPECT_EQ(blockFrames("KW").size(), 256u);
    EXPECT_EQ(view.messageTexts().back(), "Saved. Read=1>1 WRITE=0");
    // The question, then what it overwrites and with what; No unless chosen.
    const std::string& question = view.calls.front().text;
    EXPECT_EQ(Asked(question), k14Question);
    EXPECT_NE(question.find("eKey na vstupu 4 (snímač SIMKEY04"), std::string::npos) << question;
    EXPECT_NE(question.find("eKey na vstupu 1 (snímač SIMKEY01"), std::string::npos) << question;
    EXPECT_NE(question.find("deníku zápisů"), std::string::npos) << question;
    EXPECT_EQ(view.calls.front().defaultButton, MessageAnswer::No);
    const std::vector<std::string> progress = {
        "Reading source e-key Vstup1 ...", "Reading destination e-key Vstup4 ...",
        "WRITING source e-key Vstup1 to e-key Vstup4 ...", ""};
    auto at =
        std::search(view.statuses.begin(), view.statuses.end(), progress.begin(), progress.end());
    EXPECT_NE(at, view.statuses.end());
    // The re-read shows the copied sensor on input 4 under its own identifier.
    EXPECT_EQ(state.records[3].description, state.records[0].description);
    EXPECT_EQ(state.records[3].sensorId, before.substr(kImageIdOffset, 8));
}

TEST_F(Copy, FailuresNameTheirStepAndKeepTheLastProgress) {
    struct Case {
        const char* name;
        std::function<void(sim::Bus&)> fault;
        std::function<CopyResult(Operations&)> op;
        const char* message;
        const char* status;
        std::size_t writes;
    };
    const Case cases[] = {
        {"echo of byte 17",
         [](sim::Bus& b) { b.faults().next(RequestMatch::kwIndex(16), Fault::wrongEcho()); },
         [](Operations& o) { return CopyEKeyExtToInt(o, 0); },
         "Error during writing EKEY@Vstup4 [E:-10017]", "Writing to internal Vstup1 ...", 17},
        {"1 to 4, echo of byte 17",
         [](sim::Bus& b) { b.faults().next(RequestMatch::kwIndex(16), Fault::wrongEcho()); },
         CopyEKey1To4, "Error during writing EKEY@Vstup4 [E:-10017]",
         "WRITING source e-key Vstup1 to e-key Vstup4 ...", 17},
        {"source unreadable", [](sim::Bus& b) { b.faults().next("KB00", Fault::noAnswer()); },
         CopyEKey1To4, "Error reading EKEY@vstup1 block", "Reading source e-key Vstup1 ...", 0},
        {"destination unreadable",
         [](sim::Bus& b) { b.faults().next("KB60", Fault::truncate(-1)); }, CopyEKey1To4,
         "Error reading EKEY@vstup4 block", "Reading destination e-key Vstup4 ...", 0},
        // A character that is not hex would be copied as some byte: the
        // block is as good as unread.
        {"source not hex", [](sim::Bus& b) { b.faults().next("KB00", Fault::nonHex(193, 'G')); },
         [](Operations& o) { return CopyEKeyExtToInt(o, 0); }, "Error reading EKEY@vstup1 block",
         "Reading source e-key Vstup1 ...", 0},
        {"destination identifier not hex",
         [](sim::Bus& b) { b.faults().next("KB60", Fault::nonHex(2 * 61, ':')); }, CopyEKey1To4,
         "Error reading EKEY@vstup4 block", "Reading destination e-key Vstup4 ...", 0},
        {"input 4 unreadable", [](sim::Bus& b) { b.faults().next("KB60", Fault::noAnswer()); },
         [](Operations& o) { return CopyEKeyExtToInt(o, 3); }, "Error reading EKEY@vstup4 block",
         "Reading source e-key Vstup4 ...", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        readWith({true, false, false, true});
        view.criticals.clear();
        view.statuses.clear();
        c.fault(bus);
        view.answers = {MessageAnswer::Yes};
        // The re-read replaces the status line: look at it as the
        // operation left it, before the re-read's first status.
        EXPECT_EQ(run(c.op), ResultCode::Failed);
        EXPECT_EQ(view.criticals, std::vector<std::string>{c.message});
        EXPECT_EQ(blockFrames("KW").size(), c.writes);
        const auto reread = std::find(view.statuses.begin(), view.statuses.end(), "Načítám ... 2%");
        ASSERT_NE(reread, view.statuses.begin());
        EXPECT_EQ(*(reread - 1), c.status);
        EXPECT_TRUE(view.timer);
    }
}

} // namespace
} // namespace rm27
