// How a front end's commands end, on virtual time: the program's end and a
// lost line cancel the running command, which unwinds at once; the user
// hears of it once, after the unwind; a write is not cut without asking,
// and what a cut write left is said before the program ends, or offered
// the way back when it goes on.
#include <gtest/gtest.h>

#include "session/connection.h"
#include "session/write_safety.h"
#include "support/sim_rig.h"

namespace rm27::test {
namespace {

class CommandEnding : public SimRig {
protected:
    CommandEnding() {
        addConverter(1);
        Connection::Hooks h;
        h.mayInterruptWrite = [this] {
            told.push_back("asked");
            return interruptWrite;
        };
        h.end = [this](Connection::Ending how) {
            told.push_back(how == Connection::Ending::Exit ? "exit" : "close");
        };
        h.tellLineLost = [this](const std::string& why) { told.push_back("lost: " + why); };
        h.tellUnfinished = [this](const Journal&, const JournalEntry& e) {
            told.push_back("left " + std::to_string(e.id));
        };
        h.offerWayBack = [this] {
            told.push_back("way back");
            session.journal().takeUnfinished();
        };
        connection = std::make_unique<Connection>(session, h);
    }

    // A command that writes cell 90h and then waits up to 5 s in polls of
    // 10 ms, as the operations wait for an answer; `at` 1 s in.
    void writeAndWait(const std::function<void()>& at) {
        line.after(1000, at);
        connection->run([&](Operations& o) {
            RememberCell(o.state, 0x90, 0x11);
            GuardedWrite w = BeginCellsWrite(o, journaled::kEepromLoad, {{0x90, 0x22}}, -1);
            o.port.send("$01EW9022\r");
            for (int k = 0; k < 500 && !o.cancelled(); ++k)
                DelayMs(o.port, 10);
            told.push_back(o.cancelled() ? "unwound" : "went on");
            EndCellsWrite(o, w, !o.cancelled(), 1);
        });
    }

    std::vector<std::string> told;
    bool interruptWrite = true;
    std::unique_ptr<Connection> connection;
};

TEST_F(CommandEnding, TheEndWaitsForTheCommandToUnwindAndWhatItLeftIsSaidFirst) {
    EXPECT_TRUE(connection->end(Connection::Ending::Exit)); // nothing runs: at once
    EXPECT_EQ(told, (std::vector<std::string>{"exit"}));

    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        told.clear();
        interruptWrite = yes;
        const std::int64_t start = line.nowMs();
        writeAndWait([this] {
            connection->end(Connection::Ending::Close);
            connection->end(Connection::Ending::Exit); // asked once; the last one counts
        });
        if (yes) {
            EXPECT_EQ(told, (std::vector<std::string>{"asked", "unwound", "left 2", "exit"}));
            EXPECT_LE(line.nowMs() - start, 1010); // the wait ended at once
        } else {
            EXPECT_EQ(told, (std::vector<std::string>{"asked", "asked", "went on"}));
        }
    }
}

TEST_F(CommandEnding, ALostLineCancelsAndIsToldOnceAfterTheUnwind) {
    connection->lineLost("gone"); // nothing runs: at once
    EXPECT_EQ(told, (std::vector<std::string>{"lost: gone"}));
    told.clear();
    writeAndWait([this] {
        connection->lineLost("Input/output error");
        connection->lineLost("again");
    });
    // no question: the line is gone whatever the user would say
    EXPECT_EQ(told, (std::vector<std::string>{"unwound", "lost: Input/output error", "way back"}));
    told.clear();
    EXPECT_TRUE(connection->run([](Operations& o) { EXPECT_FALSE(o.cancelled()); }));
    EXPECT_TRUE(told.empty()); // told once, not again after the next command
}

} // namespace
} // namespace rm27::test
