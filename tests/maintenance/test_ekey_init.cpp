// eKey initialisation on virtual time: which eKeys are written, with what,
// and what the report and the clipboard say.
#include <gtest/gtest.h>

#include "link/ekey.h"
#include "maintenance/ekey_init.h"
#include "reading/operations.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

using sim::Fault;
using sim::RequestMatch;

class Init : public test::SimRig {
protected:
    Init() {
        addConverter(1);
        UseReadRM27(ops);
    }

    void readWith(std::array<bool, 4> plugged) {
        for (int i = 0; i < 4; ++i)
            conv().setPlugged(i, plugged[static_cast<std::size_t>(i)]);
        ASSERT_TRUE(DevRead(ops, 1));
        firstFrame = line.sent().size();
    }
    EKeyInitResult run(EKeyInitVariant variant) {
        view.answers = {MessageAnswer::Yes};
        EKeyInitResult result;
        session.run([&](Operations& o) { result = InitEKeys(o, variant); });
        return result;
    }
    // Blocks the initialisation wrote into (two hex digits each), in order.
    std::vector<std::string> writtenBlocks() const {
        std::vector<std::string> out;
        for (std::size_t i = firstFrame; i < line.sent().size(); ++i) {
            const std::string& t = line.sent()[i].text;
            if (t.compare(3, 2, "KW") != 0) continue;
            if (out.empty() || out.back() != t.substr(5, 2)) out.push_back(t.substr(5, 2));
        }
        return out;
    }
    std::size_t firstFrame = 0;
};

TEST_F(Init, NoKeyPluggedReportsFourLinesAndWritesNothing) {
    readWith({false, false, false, false});
    const EKeyInitResult r = run(EKeyInitVariant::R27);
    EXPECT_EQ(r.outcome, ResultCode::Refused);
    EXPECT_TRUE(writtenBlocks().empty());
    const std::string lines =
        "1 - neni eKey\r\n2 - neni eKey\r\n3 - neni eKey\r\n4 - neni eKey\r\n";
    // question, report, clipboard cleared, clipboard set
    ASSERT_EQ(view.calls.size(), 4u);
    EXPECT_EQ(view.calls[0].text, "Tato funkce provede prvotní inicializaci VŠECH připojených "
                                  "e-Key. Chcete pokračovat ?\r\n\r\n"
                                  "Není připojen žádný eKey: nic se nepřepíše.");
    EXPECT_EQ(view.calls[0].defaultButton, MessageAnswer::No);
    EXPECT_EQ(view.calls[1].text, "Vysledek : \r\n" + lines);
    EXPECT_EQ(view.calls[1].icon, MessageIcon::Information);
    EXPECT_EQ(view.calls[2].kind, test::PromptCall::ClipboardClear);
    EXPECT_EQ(view.calls[3].kind, test::PromptCall::ClipboardSet);
    EXPECT_EQ(view.clipboard, lines);
    EXPECT_EQ(view.statuses.back(), "OK."); // read again
    EXPECT_TRUE(view.timer);
}

TEST_F(Init, KeysOnInputsOneAndFourGetIdentifiersEndingInTheirInput) {
    readWith({true, false, false, true});
    const EKeyInitResult r = run(EKeyInitVariant::R27);
    EXPECT_EQ(r.outcome, ResultCode::Ok);
    // The question names the keys it overwrites, with their sensors.
    const std::string& question = view.calls[0].text;
    EXPECT_NE(question.find("Přepíší se tyto eKey (kalibrace se v nich ztratí):\n– vstup 1: "
                            "snímač SIMKEY01\n– vstup 4: snímač SIMKEY04\r\n"),
              std::string::npos)
        << question;
    EXPECT_EQ(writtenBlocks(), (std::vector<std::string>{"00", "60"}));
    // 4 Dec 2026 00:00:19: A C 04, (19 * 180) / 150 = 22 -> "AW", the
    // random letter for 0.5 is "M", then the input.
    EXPECT_EQ(r.lines[0].czech(), "1 - ID [ AC04AWM1 ]");
    EXPECT_EQ(r.lines[1].czech(), "2 - neni eKey");
    EXPECT_EQ(r.lines[3].czech(), "4 - ID [ AC04AWM4 ]");
    EXPECT_EQ(view.clipboard, r.lines[0].czech() + "\r\n" + r.lines[1].czech() + "\r\n" +
                                  r.lines[2].czech() + "\r\n" + r.lines[3].czech() + "\r\n");
    // The re-read shows what was written.
    EXPECT_EQ(state.records[0].sensorId, "AC04AWM1");
    EXPECT_EQ(state.records[3].sensorId, "AC04AWM4");
    EXPECT_EQ(TrimBlanks(state.records[3].description), "empty-div");
    EXPECT_EQ(state.records[0].dateOfSave, "261204");
    EXPECT_EQ(state.records[0].validity, "261204");
}

TEST_F(Init, TheTwoVariantsWriteTheirOwnContents) {
    struct Case {
        EKeyInitVariant variant;
        const char* description;
        const char* unit;
        int decimals, sliding;
        float limit;
        const char* formatAfterRead;
    };
    const Case cases[] = {
        {EKeyInitVariant::R27, "empty-div", "div", 0, 1, 1.0f, "######0 "},
        {EKeyInitVariant::Davro, "empty-mVV", "mVV", 3, 5, 9.0f, "##0.000 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        readWith({true, false, false, false});
        run(c.variant);
        const std::string image = conv().block(0);
        EXPECT_EQ(static_cast<unsigned char>(image[40]), c.decimals);
        EXPECT_EQ(static_cast<unsigned char>(image[4]), 7);    // gain code
        EXPECT_EQ(static_cast<unsigned char>(image[47]), 10);  // fast sliding length
        EXPECT_EQ(static_cast<unsigned char>(image[99]), 208); // curve flags
        SensorRecord rec;
        ASSERT_EQ(DecodeEKeyImage(image, rec, 0, 0, 0), ResultCode::Ok);
        EXPECT_EQ(TrimBlanks(rec.description), c.description);
        EXPECT_EQ(TrimBlanks(rec.unit), c.unit);
        EXPECT_EQ(rec.slidingLength, c.sliding);
        EXPECT_EQ(rec.fastSlidingLength, 10);
        EXPECT_EQ(rec.limit, c.limit);
        EXPECT_EQ(rec.auxSingle, 0.0f);
        EXPECT_EQ(rec.numberFormat, c.formatAfterRead);
        ASSERT_EQ(rec.pointCount, 2);
        EXPECT_EQ(rec.pointSignals[0], 0.0f);
        EXPECT_EQ(rec.userValues[0], 0.0f);
        EXPECT_EQ(rec.pointSignals[1], 1.0f);
        EXPECT_EQ(rec.userValues[1], 1.0f);
    }
}

TEST_F(Init, AFailedWriteIsShownAtOnceAndTheOthersGoOn) {
    readWith({true, false, true, false});
    // Input 1's first byte gets no answer to any of its three sends.
    bus.faults().next(RequestMatch("KW0000"), Fault::noAnswer(), 3);
    std::size_t sentAtBox = 0;
    view.whileOpen = [&] {
        if (view.calls.back().text == "1 - neslo zapsat") sentAtBox = line.sent().size();
    };
    const EKeyInitResult r = run(EKeyInitVariant::R27);
    EXPECT_EQ(r.outcome, ResultCode::Failed);
    EXPECT_EQ(r.lines[0].czech(), "1 - neslo zapsat {-1)");
    EXPECT_EQ(r.lines[2].czech(), "3 - ID [ AC04AWM3 ]");
    EXPECT_EQ(writtenBlocks(), (std::vector<std::string>{"00", "40"}));
    // The box comes at once: before input 3 is written, before the report.
    ASSERT_GT(sentAtBox, firstFrame);
    for (std::size_t i = firstFrame; i < sentAtBox; ++i)
        EXPECT_NE(line.sent()[i].text.substr(3, 4), "KW40");
    ASSERT_GE(view.calls.size(), 3u);
    EXPECT_EQ(view.calls[1].text, "1 - neslo zapsat");
    EXPECT_EQ(view.calls[1].icon, MessageIcon::None);
    EXPECT_EQ(view.calls[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(view.calls[2].text.rfind("Vysledek : \r\n1 - neslo zapsat {-1)\r\n", 0), 0u);
    EXPECT_TRUE(view.timer);
}

} // namespace
} // namespace rm27
