// The RMU user limits: the rows, what is written when, and the restart.
#include <gtest/gtest.h>

#include "link/codecs.h"
#include "link/ekey.h"
#include "maintenance/rmu_settings.h"
#include "reading/operations.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

using sim::Fault;
using Texts = std::array<std::optional<std::string>, 4>;

TEST(RmuRows, FixedWidthDescriptionAndUnitAndTheFormattedLimit) {
    SensorRecord rec;
    rec.description = FixedText("Load cell 500 kg", 32);
    rec.unit = FixedText("kg", 6);
    rec.numberFormat = FixedText("##0.00", 8);
    rec.auxSingle = 12.5f;
    EXPECT_EQ(RmuRowCaption(rec, 1).czech(),
              "Vstup2> Internal: Load cell 500 kg                  [kg    ]");
    EXPECT_EQ(RmuLimitText(rec), " 12.50  ");
    for (const auto& [text, value] : std::vector<std::pair<std::string, float>>{
             {"12,5", 12.5f}, {" 12.5 ", 12.5f}, {"-3", -3.0f}, {"abc", 0.0f}, {"", 0.0f}})
        EXPECT_EQ(RmuLimitOf(text), value) << text;
}

class Rmu : public test::SimRig {
protected:
    Rmu() {
        sim::ConverterSetup setup;
        setup.variant = sim::Variant::RMU;
        bus.add(setup); // eKeys on inputs 1 and 2, internal copies for 3 and 4
        EXPECT_TRUE(DevRead(ops, 1));
        EXPECT_TRUE(state.IsRMU);
        for (auto& rec : state.records)
            shown.push_back(RmuLimitText(rec));
        firstFrame = line.sent().size();
    }
    RmuStoreResult store(const Texts& texts) {
        RmuStoreResult r;
        session.run([&](Operations& o) {
            r = StoreRmuLimits(o, texts, [this](const Text& t) { info.push_back(t.czech()); });
        });
        return r;
    }
    // Blocks written, in order, each once.
    std::vector<int> writtenBlocks() const {
        std::vector<int> out;
        for (std::size_t i = firstFrame; i < line.sent().size(); ++i) {
            const std::string& t = line.sent()[i].text;
            if (t.compare(3, 2, "KW") != 0) continue;
            const int block = HexToLong(t.substr(5, 2));
            if (out.empty() || out.back() != block) out.push_back(block);
        }
        return out;
    }
    float storedLimit(int block) {
        SensorRecord rec;
        EXPECT_EQ(DecodeEKeyImage(conv().block(block), rec, 0, 0, 0), ResultCode::Ok);
        return rec.auxSingle;
    }
    Texts unchanged() const { return {shown[0], shown[1], shown[2], shown[3]}; }

    std::vector<std::string> shown;
    std::vector<std::string> info;
    std::size_t firstFrame = 0;
};

TEST_F(Rmu, NoChangeSendsOnlyTheRestart) {
    const RmuStoreResult r = store(unchanged());
    EXPECT_EQ(r.written, 0);
    ASSERT_EQ(line.sent().size(), firstFrame + 1);
    EXPECT_EQ(line.sent().back().text, "$00X\r");
    EXPECT_EQ(info, std::vector<std::string>{""});
    line.waitFor(50); // sent, not awaited: the converter restarts meanwhile
    EXPECT_EQ(conv().restartCount(), 1);
}

TEST_F(Rmu, ADecimalCommaAndBlanksStoreTheSameLimit) {
    for (const char* text : {"12,5", "  12.5  "}) {
        SCOPED_TRACE(text);
        // Read again once the last store's restart is over: the journal
        // takes what the block holds from the reading.
        line.waitFor(3000);
        ASSERT_TRUE(DevRead(ops, 1));
        state.records[2].auxSingle = 0.0f;
        Texts texts = unchanged();
        texts[2] = text;
        store(texts);
        EXPECT_EQ(state.records[2].auxSingle, 12.5f);
        EXPECT_EQ(storedLimit(130), 12.5f); // input 3's internal copy
        EXPECT_EQ(line.sent().back().text, "$00X\r");
    }
}

TEST_F(Rmu, ChangingInputsTwoAndFourWritesExactlyThoseTwo) {
    Texts texts{}; // rows without a text are kept whatever they hold
    texts[1] = "7";
    texts[3] = "0,25";
    const RmuStoreResult r = store(texts);
    EXPECT_EQ(r.written, 2);
    // Each goes back where it was read from: input 2's eKey, input 4's
    // internal copy.
    EXPECT_EQ(writtenBlocks(), (std::vector<int>{32, 131}));
    EXPECT_EQ(storedLimit(32), 7.0f);
    EXPECT_EQ(storedLimit(131), 0.25f);
    EXPECT_EQ(info, (std::vector<std::string>{"Ukládání nastavení 2/4 ...",
                                              "Ukládání nastavení 4/4 ...", ""}));
    EXPECT_EQ(line.sent().back().text, "$00X\r");
    EXPECT_TRUE(view.calls.empty());
}

TEST_F(Rmu, FailuresAreReportedWithTheInputIndexAndTheRestGoesOn) {
    // Input 3's write gets no answer; input 1's record cannot be built.
    bus.faults().next("KW8200", Fault::noAnswer(), 3);
    state.records[0].pointCount = 0;
    Texts texts = unchanged();
    texts[0] = "1";
    texts[2] = "2";
    texts[3] = "3";
    const RmuStoreResult r = store(texts);
    EXPECT_EQ(r.failed, 2);
    EXPECT_EQ(r.written, 1);
    EXPECT_EQ(r.outcome(), ResultCode::Failed);
    ASSERT_EQ(view.calls.size(), 2u);
    EXPECT_EQ(view.calls[0].text, "Nelze uložit nastavení [ERR:0]");
    EXPECT_EQ(view.calls[1].text, "Chyba ukládání nastavení. [ERR:2]");
    for (const auto& call : view.calls) {
        EXPECT_EQ(call.icon, MessageIcon::None);
        EXPECT_EQ(call.buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(state.records[2].auxSingle, 2.0f); // kept until the next reading
    EXPECT_EQ(storedLimit(131), 3.0f);
    EXPECT_EQ(line.sent().back().text, "$00X\r");
}

TEST_F(Rmu, ALimitNoSingleOrNoRowFormatHoldsStopsTheWholeStore) {
    state.records[1].numberFormat = FixedText("####0.0", 8);
    const struct {
        int row;
        const char* text;
        const char* message; // how the box begins
    } cases[] = {
        {1, "99999999999",
         "Limit vstupu 2: hodnotu 99999999999 nelze použít, přípustné jsou hodnoty -9999.9 až "
         "99999.9.\r\nNic nebylo odesláno"},
        {1, "-10000", "Limit vstupu 2: hodnotu -10000 nelze použít"},
        {0, "1e40", "Limit vstupu 1: hodnotu 1e+40 nelze použít"},
        {3, "-1e39", "Limit vstupu 4: hodnotu -1e+39 nelze použít"},
        {2, "1e-40", "Limit vstupu 3: hodnotu 1e-40 nelze použít"}, // a denormal single
    };
    const auto before = state.records;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Texts texts = unchanged();
        texts[static_cast<std::size_t>((c.row + 1) % 4)] = "7"; // a row that would pass
        texts[static_cast<std::size_t>(c.row)] = c.text;
        const RmuStoreResult r = store(texts);
        EXPECT_EQ(r.outcome(), ResultCode::Refused);
        EXPECT_EQ(line.sent().size(), firstFrame); // not even the restart
        ASSERT_FALSE(view.criticals.empty());
        EXPECT_EQ(view.criticals.back().rfind(c.message, 0), 0u) << view.criticals.back();
        EXPECT_EQ(state.records, before);
    }
    // A record a doubtful eKey mask chose: its limit could go to the wrong block.
    state.doubts.records[1] = kDoubtDerived;
    Texts texts = unchanged();
    texts[1] = "7";
    EXPECT_EQ(store(texts).outcome(), ResultCode::Refused);
    EXPECT_EQ(line.sent().size(), firstFrame);
    EXPECT_EQ(view.criticals.back().rfind("maska eKey je nejistá: ", 0), 0u);
    EXPECT_EQ(view.criticals.size(), std::size(cases) + 1);
}

TEST_F(Rmu, TheMenuItemDoesNothingAtAllForAnRm27) {
    bool ran = false;
    view.timer = true;
    const auto now = line.nowMs();
    state.IsRMU = false;
    EXPECT_FALSE(RunRmuSettings(ops, [&] { ran = true; }));
    EXPECT_FALSE(ran);
    EXPECT_EQ(line.nowMs(), now);
    EXPECT_TRUE(view.timer);
    EXPECT_EQ(line.sent().size(), firstFrame);

    state.IsRMU = true;
    bool stoppedWhileOpen = false;
    EXPECT_TRUE(RunRmuSettings(ops, [&] { stoppedWhileOpen = !view.timer; }));
    EXPECT_TRUE(stoppedWhileOpen);
    EXPECT_GE(line.nowMs() - now, 500);
    EXPECT_TRUE(view.timer);
}

} // namespace
} // namespace rm27
