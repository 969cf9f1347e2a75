// The eKey copies (external to internal, input 1 to input 4) and the eKey
// initialisation on virtual time: which blocks are written, with what, and
// what the user is asked and told.
#include <gtest/gtest.h>

#include <sstream>

#include "link/codecs.h"
#include "link/ekey.h"
#include "maintenance/ekey_copy.h"
#include "maintenance/ekey_init.h"
#include "maintenance_rig.h"

namespace rm27 {
namespace {

using sim::Fault;
using sim::RequestMatch;
using test::Begins;
using test::Frames;
using test::Holds;
using CopyOp = std::function<CopyResult(Operations&)>;
using EKeys = test::MaintenanceRig;

CopyResult Copy1(Operations& o) {
    return CopyEKeyExtToInt(o, 0);
}
EKeyInitResult InitR27(Operations& o) {
    return InitEKeys(o, EKeyInitVariant::R27);
}

// Whether the converter keeps blocks 160/192/224 as the internal copies
// 129..131 or apart from them, the copy backs up and checks the block it
// writes, (n + 3) * 32, and succeeds; what the reading's block of that
// input holds is only said.
class CopyEitherWay : public EKeys, public ::testing::WithParamInterface<bool> {
protected:
    static sim::ConverterSetup Storage() {
        sim::ConverterSetup setup = test::AtAddress(1);
        setup.copiesApart = GetParam();
        return setup;
    }
    CopyEitherWay() : EKeys(Storage()) {}
};

TEST_P(CopyEitherWay, EachInputWritesAndChecksBlockNPlus3Times32) {
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const int written = 32 * (i + 4);
        conv().setBlock(128 + i, std::string(256, '\0')); // undecodable before the copy
        conv().setBlock(written, std::string(256, '\0'));
        std::array<bool, 4> plugged{true, false, false, false};
        plugged[static_cast<std::size_t>(i)] = true;
        read(plugged);
        const std::string ekey = conv().block(32 * i);
        const CopyResult copied = yes([i](Operations& o) { return CopyEKeyExtToInt(o, i); });

        EXPECT_EQ(copied.outcome, ResultCode::Ok);
        // its own read of the block it replaces, then the source
        EXPECT_EQ(sent("KB"), (Frames{"$01KB" + LongToHex(written, 2) + "\r",
                                      "$01KB" + LongToHex(32 * i, 2) + "\r"}));
        EXPECT_EQ(writtenBlocks(), Frames{LongToHex(written, 2)});
        EXPECT_EQ(conv().block(written), ekey);
        EXPECT_EQ(view.messageTexts().back(), "Copied. Read=1 WRITE=0");
        const bool shown = !GetParam() || i == 0;
        EXPECT_EQ(copied.shown, shown ? CopyShown::Shown : CopyShown::NotShown);
        EXPECT_EQ(conv().block(128 + i) == ekey, shown);
        const std::string copy = "Vnitřní kopie vstupu " + std::to_string(i + 1) + " (blok " +
                                 std::to_string(128 + i) + ") ";
        if (i == 0) continue; // the reading's block is the one written
        EXPECT_EQ(view.statuses.back(),
                  copy + (shown ? "obsahuje zkopírovaný eKey: převodník ho bez eKey použije."
                                : "zkopírovaný eKey neobsahuje: převodník ho bez eKey "
                                  "nepoužije, kopie je jen v bloku " +
                                      std::to_string(written) + "."));
    }
}

INSTANTIATE_TEST_SUITE_P(Storage, CopyEitherWay, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "Apart" : "Shared";
                         });

TEST_F(EKeys, CopiesOfAbsentKeysAreRefusedWithoutABlockFrame) {
    const struct {
        std::array<bool, 4> plugged;
        CopyOp op;
        const char* message;
    } cases[] = {
        // clang-format off
        {{true, false, false, false}, [](Operations& o) { return CopyEKeyExtToInt(o, 2); }, "EKEY (Vstup3) not present"},
        {{true, false, false, false}, CopyEKey1To4, "EKEYS not present"},
        {{false, false, false, true}, CopyEKey1To4, "EKEYS not present"},
        // clang-format on
    };
    for (const auto& c : cases) {
        read(c.plugged);
        view.criticals.clear();
        EXPECT_EQ(yes(c.op).outcome, ResultCode::Refused);
        EXPECT_EQ(view.criticals, std::vector<std::string>{c.message});
        EXPECT_TRUE(sent("KB").empty() && sent("KW").empty()) << c.message;
        EXPECT_EQ(view.statuses.back(), "OK."); // re-read and restart follow
        EXPECT_TRUE(view.timer);
    }
}

// Each asks before anything, the values live meanwhile; No sends nothing.
// A doubtful eKey mask is said instead of the question.
TEST_F(EKeys, NothingIsSentUnlessYesToAQuestionOnAMaskThatHolds) {
    const std::function<Result(Operations&)> commands[] = {
        [](Operations& o) { return Copy1(o).outcome; },
        [](Operations& o) { return CopyEKey1To4(o).outcome; },
        [](Operations& o) { return InitR27(o).outcome; },
    };
    for (const bool doubtful : {false, true}) {
        if (doubtful) bus.faults().next("KQ", Fault::nonHex(0, 'Z'));
        read({true, true, true, true});
        ASSERT_EQ(static_cast<bool>(state.doubts.ekeyMask), doubtful);
        for (const auto& op : commands) {
            view.calls.clear();
            view.timer = true;
            const auto now = line.nowMs();
            bool liveAtQuestion = false;
            view.whileOpen = [&] { liveAtQuestion = guard.tickAllowed() && view.timer; };
            view.answers = {MessageAnswer::No};
            EXPECT_EQ(run(op), doubtful ? ResultCode::Failed : ResultCode::Refused);
            ASSERT_EQ(view.calls.size(), 1u);
            if (doubtful) {
                EXPECT_EQ(view.calls[0].text,
                          "maska eKey je nejistá: " + DoubtReasons(state.doubts.ekeyMask).czech());
            } else {
                EXPECT_TRUE(liveAtQuestion);
                EXPECT_EQ(view.calls[0].defaultButton, MessageAnswer::No);
            }
            EXPECT_TRUE(sent().empty());
            EXPECT_EQ(line.nowMs(), now);
            EXPECT_TRUE(view.timer);
        }
    }
}

TEST_F(EKeys, OneToFourKeepsInputFoursIdentifierAndNothingElse) {
    read({true, false, false, true}); // mask 0x09
    const std::string source = conv().block(0);
    const std::string id4 = conv().block(96).substr(kImageIdOffset, 8);
    ASSERT_NE(source.substr(kImageIdOffset, 8), id4);
    EXPECT_EQ(yes(CopyEKey1To4).outcome, ResultCode::Ok);
    EXPECT_EQ(conv().block(96), std::string(source).replace(kImageIdOffset, 8, id4));
    EXPECT_EQ(sent("KB"), (Frames{"$01KB00\r", "$01KB60\r"}));
    EXPECT_EQ(writtenBlocks(), Frames{"60"});
    EXPECT_EQ(view.messageTexts().back(), "Saved. Read=1>1 WRITE=0");
    // The question, then what it overwrites and with what.
    EXPECT_TRUE(Begins(view.calls[0].text, "Tato funkce zkopíruje binarní obraz ekey (256B) ve "
                                           "vstupu 1 do ekeye na vstupu 4. Chcete pokračovat "
                                           "?\r\n\r\nPřepíše se eKey na vstupu 4 (snímač "
                                           "SIMKEY04"));
    // The re-read shows the copied sensor on input 4 under its own identifier.
    EXPECT_EQ(state.records[3].description, state.records[0].description);
    EXPECT_EQ(state.records[3].sensorId, id4);
}

TEST_F(EKeys, CopyFailuresNameTheirStepAndKeepTheLastProgress) {
    const struct {
        RequestMatch request;
        Fault fault;
        CopyOp op;
        const char* message;
        const char* status; // the last before the re-read's
    } cases[] = {
        // clang-format off
        {RequestMatch::kwIndex(16), Fault::wrongEcho(), Copy1, "Error during writing EKEY@Vstup4 [E:-10017]", "Writing to internal Vstup1 ..."},
        {RequestMatch::kwIndex(16), Fault::wrongEcho(), CopyEKey1To4, "Error during writing EKEY@Vstup4 [E:-10017]", "WRITING source e-key Vstup1 to e-key Vstup4 ..."},
        {"KB00", Fault::noAnswer(), CopyEKey1To4, "Error reading EKEY@vstup1 block", "Reading source e-key Vstup1 ..."},
        {"KB60", Fault::truncate(-1), CopyEKey1To4, "Error reading EKEY@vstup4 block", "Reading destination e-key Vstup4 ..."},
        // A character that is not hex would be copied as some byte: the
        // block is as good as unread.
        {"KB00", Fault::nonHex(193, 'G'), Copy1, "Error reading EKEY@vstup1 block", "Reading source e-key Vstup1 ..."},
        {"KB60", Fault::nonHex(2 * 61, ':'), CopyEKey1To4, "Error reading EKEY@vstup4 block", "Reading destination e-key Vstup4 ..."},
        // clang-format on
    };
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        const auto& c = cases[k];
        read({true, false, false, true});
        view.criticals.clear();
        view.statuses.clear();
        bus.faults().next(c.request, c.fault);
        EXPECT_EQ(yes(c.op).outcome, ResultCode::Failed);
        EXPECT_EQ(view.criticals, std::vector<std::string>{c.message});
        EXPECT_EQ(sent("KW").size(), c.request.prefix == "KW" ? 17u : 0u);
        const auto reread = std::find(view.statuses.begin(), view.statuses.end(), "Načítám ... 2%");
        ASSERT_NE(reread, view.statuses.begin());
        EXPECT_EQ(*(reread - 1), c.status);
    }
}

TEST_F(EKeys, InitGivesEachPluggedKeyAnIdentifierEndingInItsInput) {
    read({false, false, false, false});
    EXPECT_EQ(yes(InitR27).outcome, ResultCode::Refused); // nothing to initialise
    EXPECT_TRUE(Holds(view.calls[0].text, "Není připojen žádný eKey: nic se nepřepíše."));

    read({true, false, false, true});
    view.calls.clear();
    EXPECT_EQ(yes(InitR27).outcome, ResultCode::Ok);
    // The question names the keys it overwrites, with their sensors.
    EXPECT_TRUE(Holds(view.calls[0].text, "Přepíší se tyto eKey (kalibrace se v nich ztratí):\n– "
                                          "vstup 1: snímač SIMKEY01\n– vstup 4: snímač "
                                          "SIMKEY04\r\n"));
    EXPECT_EQ(view.calls[0].defaultButton, MessageAnswer::No);
    EXPECT_EQ(writtenBlocks(), (Frames{"00", "60"}));
    // 4 Dec 2026 00:00:19: A C 04, (19 * 180) / 150 = 22 -> "AW", the
    // random letter for 0.5 is "M", then the input. The report, then the
    // same lines on the clipboard.
    const std::string lines =
        "1 - ID [ AC04AWM1 ]\r\n2 - neni eKey\r\n3 - neni eKey\r\n4 - ID [ AC04AWM4 ]\r\n";
    ASSERT_EQ(view.calls.size(), 4u);
    EXPECT_EQ(view.calls[1].text, "Vysledek : \r\n" + lines);
    EXPECT_EQ(view.calls[2].kind, test::PromptCall::ClipboardClear);
    EXPECT_EQ(view.clipboard, lines);
    // The re-read shows what was written.
    EXPECT_EQ(state.records[3].sensorId, "AC04AWM4");
    EXPECT_EQ(state.records[0].dateOfSave + state.records[0].validity, "261204261204");
}

TEST_F(EKeys, TheTwoInitVariantsWriteTheirOwnContents) {
    // A straight line through (0, 0) and (1, 1), gain code 7, curve flags
    // D0h, and each variant's texts, lengths, limit and decimals.
    const std::pair<EKeyInitVariant, std::string> cases[] = {
        {EKeyInitVariant::R27, "empty-div div ######0  1/10 lim 1 gain 7 D0 0:0 1:1 dec 0 aux 0"},
        {EKeyInitVariant::Davro, "empty-mVV mVV ##0.000  5/10 lim 9 gain 7 D0 0:0 1:1 dec 3 aux 0"},
    };
    for (const auto& [variant, expected] : cases) {
        read({true, false, false, false});
        yes([v = variant](Operations& o) { return InitEKeys(o, v); });
        SensorRecord r;
        ASSERT_EQ(DecodeEKeyImage(conv().block(0), r, 0, 0, 0), ResultCode::Ok);
        std::ostringstream got;
        got << TrimBlanks(r.description) << " " << TrimBlanks(r.unit) << " " << r.numberFormat
            << " " << r.slidingLength << "/" << r.fastSlidingLength << " lim " << r.limit
            << " gain " << r.gainCode << " " << LongToHex(r.curveFlags, 2) << " "
            << r.pointSignals[0] << ":" << r.userValues[0] << " " << r.pointSignals[1] << ":"
            << r.userValues[1] << " dec " << static_cast<int>(conv().block(0)[40]) << " aux "
            << r.auxSingle;
        EXPECT_EQ(got.str(), expected);
        EXPECT_EQ(r.pointCount, 2);
    }
}

TEST_F(EKeys, AFailedInitWriteIsShownAtOnceAndTheOthersGoOn) {
    read({true, false, true, false});
    // Input 1's first byte gets no answer to any of its three sends.
    bus.faults().next(RequestMatch("KW0000"), Fault::noAnswer(), 3);
    std::string lastFrameAtBox;
    view.whileOpen = [&] {
        if (view.calls.back().text == "1 - neslo zapsat") lastFrameAtBox = line.sent().back().text;
    };
    const EKeyInitResult r = yes(InitR27);
    EXPECT_EQ(r.outcome, ResultCode::Failed);
    EXPECT_EQ(writtenBlocks(), (Frames{"00", "40"}));
    // The box comes at once: before input 3 is written, before the report.
    EXPECT_EQ(lastFrameAtBox.substr(3, 6), "KW0000");
    ASSERT_GE(view.calls.size(), 3u);
    EXPECT_EQ(view.calls[1].icon, MessageIcon::None);
    EXPECT_TRUE(Begins(view.calls[2].text,
                       "Vysledek : \r\n1 - neslo zapsat {-1)\r\n2 - neni eKey\r\n"
                       "3 - ID [ AC04AWM3 ]"));
    EXPECT_TRUE(view.timer);
}

} // namespace
} // namespace rm27
