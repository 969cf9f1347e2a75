// The guard of one exchange at a time: commands refuse each other, the line
// is held while a command exchanges and free while it waits for the user,
// and a cancel ends with the command it cancelled.
#include <gtest/gtest.h>

#include "session/controls.h"
#include "support/sim_rig.h"

namespace rm27::test {
namespace {

class Guard : public SimRig {};

TEST_F(Guard, OneCommandAtATimeAndTheLineLevels) {
    std::vector<std::string> seen;
    const int id = guard.subscribe([&] {
        seen.push_back(std::string(guard.commandRunning() ? "P" : "-") +
                       (guard.lineHeld() ? "L" : "-"));
    });
    EXPECT_TRUE(guard.tickAllowed());
    bool nested = false;
    EXPECT_TRUE(session.run([&](Operations& o) {
        EXPECT_FALSE(guard.tickAllowed());
        EXPECT_FALSE(session.run([&](Operations&) { nested = true; }));
        {
            const auto free = o.guard.releaseLine();
            EXPECT_TRUE(guard.commandRunning());
            EXPECT_TRUE(guard.tickAllowed());
            {
                const auto held = o.guard.holdLine();
                EXPECT_FALSE(guard.tickAllowed());
            }
            EXPECT_TRUE(guard.tickAllowed());
        }
        EXPECT_FALSE(guard.tickAllowed());
    }));
    EXPECT_FALSE(nested);
    EXPECT_EQ(guard.refusals(), 1);
    EXPECT_TRUE(guard.tickAllowed());
    EXPECT_EQ(seen, (std::vector<std::string>{"PL", "P-", "PL", "P-", "PL", "--"}));

    guard.unsubscribe(id);
    session.run([](Operations&) {});
    EXPECT_EQ(seen.size(), 6u);
}

// Who may put a frame on the session's line: a command holding it, or a
// tick; a debug build stops at anyone else.
TEST_F(Guard, OnlyTheLinesHolderOrATickMaySend) {
    Session own{line, line, view, view, &clock, &random};
    Port& p = own.port();
    const auto mayNow = [&p] { return p.mayExchange(); };
    EXPECT_FALSE(mayNow());
    {
        const auto tick = own.guard().ticking();
        EXPECT_TRUE(mayNow());
    }
    own.run([&](Operations& o) {
        EXPECT_TRUE(mayNow());
        const auto free = o.guard.releaseLine();
        EXPECT_FALSE(mayNow());
        const auto held = o.guard.holdLine();
        EXPECT_TRUE(mayNow());
    });
    EXPECT_DEBUG_DEATH(p.send("$01@\r"), "outside the line's holder");
}

TEST_F(Guard, ACancelEndsWithItsCommand) {
    EXPECT_FALSE(guard.cancel()); // nothing runs: nothing to cancel
    EXPECT_FALSE(port.cancelled());
    session.run([&](Operations& o) {
        EXPECT_TRUE(guard.cancel());
        EXPECT_TRUE(o.cancelled());
        // quiet from here on: boxes answer No, inputs and dialogs are cancelled
        EXPECT_FALSE(o.prompter.question(Text::Value("Pokračovat?")));
        EXPECT_EQ(o.prompter.inputBox(Text::Value("Adresa"), Text(), "5"), "");
        FileDialogSpec dialog;
        EXPECT_FALSE(o.prompter.showOpen(dialog));
        o.prompter.critical(Text::Value("Error reading MEM block"));
        o.prompter.clipboardSetText("1 - ID");
    });
    EXPECT_TRUE(view.calls.empty());
    // the next command starts clean
    session.run([&](Operations& o) {
        EXPECT_FALSE(o.cancelled());
        EXPECT_TRUE(o.prompter.question(Text::Value("Pokračovat?")));
    });
    EXPECT_EQ(view.calls.size(), 1u);
}

TEST_F(Guard, EveryControlNameIsUniqueAndArraysAreIndexed) {
    const auto& names = ctl::AllNames();
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    EXPECT_TRUE(ctl::IsKnown("lblHodnota_7"));
    EXPECT_FALSE(ctl::IsKnown("lblHodnota_8"));
    EXPECT_FALSE(ctl::IsKnown("lblStatus_0"));
    EXPECT_EQ(ctl::cmdSetmVVKQ(11), "cmdSetmVVKQ_11");
}

} // namespace
} // namespace rm27::test
