// The guard of one exchange at a time: commands refuse each other, the line
// is held while a command exchanges and free while it waits for the user,
// only the line's holder or a tick may send, and a cancel ends with the
// command it cancelled.
#include <gtest/gtest.h>

#include "support/sim_rig.h"

namespace rm27::test {
namespace {

class Guard : public SimRig {};

TEST_F(Guard, OneCommandAtATimeTheLineLevelsAndWhoMaySend) {
    // A session of its own: the rig's port lets anyone send.
    Session own{line, line, view, view, &clock, &random};
    CommandGuard& g = own.guard();
    std::vector<std::string> seen; // P: a command runs, L: it holds the line
    const int id = g.subscribe([&] {
        seen.push_back(std::string(g.commandRunning() ? "P" : "-") + (g.lineHeld() ? "L" : "-"));
    });
    // t: a tick may run, s: a frame may go out
    std::vector<std::string> levels;
    const auto look = [&] {
        levels.push_back(std::string(g.tickAllowed() ? "t" : "-") +
                         (own.port().mayExchange() ? "s" : "-"));
    };
    look();
    {
        const auto tick = g.ticking();
        look();
    }
    bool nested = false;
    EXPECT_TRUE(own.run([&](Operations& o) {
        look();
        EXPECT_FALSE(own.run([&](Operations&) { nested = true; }));
        {
            const auto free = o.guard.releaseLine();
            EXPECT_TRUE(g.commandRunning());
            look();
            {
                const auto held = o.guard.holdLine();
                look();
            }
            look();
        }
        look();
    }));
    look();
    EXPECT_FALSE(nested);
    EXPECT_EQ(g.refusals(), 1);
    EXPECT_EQ(levels, (std::vector<std::string>{"t-", "ts", "-s", "t-", "-s", "t-", "-s", "t-"}));
    EXPECT_EQ(seen, (std::vector<std::string>{"PL", "P-", "PL", "P-", "PL", "--"}));
    g.unsubscribe(id);
    own.run([](Operations&) {});
    EXPECT_EQ(seen.size(), 6u);
    EXPECT_DEBUG_DEATH(own.port().send("$01@\r"), "outside the line's holder");
}

TEST_F(Guard, ACancelEndsWithItsCommandWhichGoesQuiet) {
    EXPECT_FALSE(guard.cancel()); // nothing runs: nothing to cancel
    EXPECT_FALSE(port.cancelled());
    session.run([&](Operations& o) {
        EXPECT_TRUE(guard.cancel());
        EXPECT_TRUE(o.cancelled());
        // boxes answer No, inputs and dialogs are cancelled, nothing shows
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

} // namespace
} // namespace rm27::test
