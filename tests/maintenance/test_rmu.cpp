// The RMU user limits: the rows, what is written when, and the restart.
#include <gtest/gtest.h>

#include "link/codecs.h"
#include "link/ekey.h"
#include "maintenance/rmu_settings.h"
#include "maintenance_rig.h"

namespace rm27 {
namespace {

using sim::Fault;
using Texts = std::array<std::optional<std::string>, 4>;

sim::ConverterSetup Rmu() {
    sim::ConverterSetup setup;
    setup.variant = sim::Variant::RMU;
    return setup; // eKeys on inputs 1 and 2, internal copies for 3 and 4
}

class RmuLimits : public test::MaintenanceRig {
protected:
    RmuLimits() : MaintenanceRig(Rmu()) {
        read();
        EXPECT_TRUE(state.IsRMU);
        for (std::size_t i = 0; i < shown.size(); ++i)
            shown[i] = RmuLimitText(state.records[i]);
    }
    RmuStoreResult store(const Texts& texts) {
        RmuStoreResult r;
        session.run([&](Operations& o) {
            r = StoreRmuLimits(o, texts, [this](const Text& t) { info.push_back(t.czech()); });
        });
        return r;
    }
    // The rows as the dialog shows them, one changed.
    Texts with(std::size_t row, const char* text) const {
        Texts texts = shown;
        texts[row] = text;
        return texts;
    }
    float storedLimit(int block) {
        SensorRecord rec;
        EXPECT_EQ(DecodeEKeyImage(conv().block(block), rec, 0, 0, 0), ResultCode::Ok);
        return rec.auxSingle;
    }

    Texts shown;
    std::vector<std::string> info;
};

TEST_F(RmuLimits, NoChangeSendsOnlyTheRestart) {
    const RmuStoreResult r = store(shown);
    EXPECT_EQ(r.written, 0);
    EXPECT_EQ(sent(), std::vector<std::string>{"$00X\r"});
    EXPECT_EQ(info, std::vector<std::string>{""});
    line.waitFor(50); // sent, not awaited: the converter restarts meanwhile
    EXPECT_EQ(conv().restartCount(), 1);
}

TEST_F(RmuLimits, ChangingInputsTwoAndFourWritesExactlyThoseTwo) {
    Texts texts{}; // rows without a text are kept whatever they hold
    texts[1] = " 7 ";
    texts[3] = "0,25";
    const RmuStoreResult r = store(texts);
    EXPECT_EQ(r.written, 2);
    // Each goes back where it was read from: input 2's eKey, input 4's
    // internal copy.
    EXPECT_EQ(writtenBlocks(), (std::vector<std::string>{"20", "83"}));
    EXPECT_EQ(storedLimit(32), 7.0f);
    EXPECT_EQ(storedLimit(131), 0.25f);
    EXPECT_EQ(state.records[3].auxSingle, 0.25f);
    EXPECT_EQ(info, (std::vector<std::string>{"Ukládání nastavení 2/4 ...",
                                              "Ukládání nastavení 4/4 ...", ""}));
    EXPECT_EQ(line.sent().back().text, "$00X\r");
    EXPECT_TRUE(view.calls.empty());
}

TEST_F(RmuLimits, FailuresAreReportedWithTheInputIndexAndTheRestGoesOn) {
    // Input 3's write gets no answer; input 1's record cannot be built.
    bus.faults().next("KW8200", Fault::noAnswer(), 3);
    state.records[0].pointCount = 0;
    const RmuStoreResult r = store({"1", shown[1], "2", "3"});
    EXPECT_EQ(r.failed, 2);
    EXPECT_EQ(r.written, 1);
    EXPECT_EQ(r.outcome(), ResultCode::Failed);
    ASSERT_EQ(view.calls.size(), 2u);
    EXPECT_EQ(view.calls[0].text, "Nelze uložit nastavení [ERR:0]");
    EXPECT_EQ(view.calls[1].text, "Chyba ukládání nastavení. [ERR:2]");
    for (const auto& call : view.calls)
        EXPECT_EQ(call.icon, MessageIcon::None);
    EXPECT_EQ(state.records[2].auxSingle, 2.0f); // kept until the next reading
    EXPECT_EQ(storedLimit(131), 3.0f);
    EXPECT_EQ(line.sent().back().text, "$00X\r");
}

TEST_F(RmuLimits, ALimitNoSingleOrNoRowFormatHoldsStopsTheWholeStore) {
    state.records[1].numberFormat = FixedText("####0.0", 8);
    const struct {
        std::size_t row;
        const char* text;
        const char* message; // how the box begins
    } cases[] = {
        {1, "99999999999",
         "Limit vstupu 2: hodnotu 99999999999 nelze použít, přípustné jsou hodnoty -9999.9 až "
         "99999.9.\r\nNic nebylo odesláno"},
        {1, "-10000", "Limit vstupu 2: hodnotu -10000 nelze použít"},
        {0, "1e40", "Limit vstupu 1: hodnotu 1e+40 nelze použít"},
        {2, "1e-40", "Limit vstupu 3: hodnotu 1e-40 nelze použít"}, // a denormal single
        // A record a doubtful eKey mask chose: its limit could go to the wrong block.
        {3, "7", "maska eKey je nejistá: "},
    };
    state.doubts.records[3] = kDoubtDerived;
    const auto before = state.records;
    for (const auto& c : cases) {
        Texts texts = with(c.row, c.text);
        texts[(c.row + 1) % 4] = "7"; // a row that would pass
        view.criticals.clear();
        EXPECT_EQ(store(texts).outcome(), ResultCode::Refused);
        EXPECT_TRUE(sent().empty()); // not even the restart
        EXPECT_TRUE(test::Begins(criticals(), c.message));
        EXPECT_EQ(state.records, before);
    }
}

TEST_F(RmuLimits, TheMenuItemDoesNothingAtAllForAnRm27) {
    bool ran = false;
    view.timer = true;
    const auto now = line.nowMs();
    state.IsRMU = false;
    EXPECT_FALSE(RunRmuSettings(ops, [&] { ran = true; }));
    EXPECT_FALSE(ran);
    EXPECT_EQ(line.nowMs(), now);
    EXPECT_EQ(line.sent().size(), first);

    state.IsRMU = true;
    EXPECT_TRUE(RunRmuSettings(ops, [&] { ran = !view.timer; })); // stopped while open
    EXPECT_TRUE(ran);
    EXPECT_GE(line.nowMs() - now, 500);
    EXPECT_TRUE(view.timer);
}

} // namespace
} // namespace rm27
