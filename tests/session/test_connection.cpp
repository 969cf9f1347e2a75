// How a front end's commands end, on virtual time: the program's end and a
// lost line cancel the running command, which unwinds at once; the user
// hears of it once, after the unwind; a write is not cut without asking,
// and what a cut write left is said before the program ends, or offered
// the way back when it goes on. The ticker both front ends drive, and the
// signal rule of r27ctl.
#include <gtest/gtest.h>

#include "reading/operations.h"
#include "session/connection.h"
#include "session/measurement.h"
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
        h.converterRead = [](const DeviceState& s) { return IsFamilyId(s.DeviceId); };
        h.measure = MeasurementTick;
        connection = std::make_unique<Connection>(session, h);
    }

    // A command that writes cell 90h and then waits up to 5 s in polls of
    // 10 ms, as the operations wait for an answer; `at` 1 s in.
    void writeAndWait(const std::function<void()>& at) {
        line.after(1000, at);
        connection->run([&](Operations& o) {
            RememberCell(o, 0x90, 0x11);
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

TEST_F(CommandEnding, ATickAsksOnlyOnAFreeLineAndSaysWhatItCameTo) {
    using R = Connection::Tick::Result;
    const auto inCommand = [this](bool letLineGo) {
        Connection::Tick t;
        connection->run([&](Operations&) {
            const CommandGuard::LineScope held(guard, letLineGo ? 0 : 1);
            t = connection->tick();
        });
        return t;
    };
    struct TickCase {
        const char* situation;
        std::function<Connection::Tick()> tick;
        R result;
        std::size_t asked; // measurement requests sent
    };
    const std::vector<TickCase> cases = {
        {"no converter read", [&] { return connection->tick(); }, R::NotAsked, 0},
        {"a command holds the line", [&] { return inCommand(false); }, R::NotAsked, 0},
        {"a command waits for the user", [&] { return inCommand(true); }, R::Unanswered, 1},
        {"answered within the interval",
         [&] {
             line.waitFor(kMeasurementIntervalMs);
             return connection->tick();
         },
         R::Decoded, 1},
        {"answered late",
         [&] {
             bus.faults().next("MK", sim::Fault::late(600));
             line.waitFor(kMeasurementIntervalMs);
             connection->tick(); // sends the request answered late
             line.waitFor(kMeasurementIntervalMs);
             return connection->tick();
         },
         R::Unanswered, 2},
        {"the line closed",
         [&] {
             line.setOpen(false);
             return connection->tick();
         },
         R::NotAsked, 0},
    };
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const TickCase& c = cases[k];
        SCOPED_TRACE(c.situation);
        const std::size_t before = framesStartingWith("$01MK").size();
        const Connection::Tick t = c.tick();
        EXPECT_EQ(t.result, c.result);
        EXPECT_EQ(framesStartingWith("$01MK").size() - before, c.asked);
        // what the converter measures on input 4, only when decoded
        EXPECT_EQ(t.live.signal[3], c.result == R::Decoded ? 2.0f : 0.0f);
        EXPECT_EQ(t.live.seen[3], c.result == R::Decoded);
        if (k == 0) {
            ASSERT_TRUE(DevRead(ops, 1));
        }
    }
}

TEST_F(CommandEnding, ATickAfterTheIntervalWaitsOnePeriodUnlessStoppedOrCancelled) {
    using R = Connection::Tick::Result;
    ASSERT_TRUE(DevRead(ops, 1));
    struct WaitCase {
        const char* situation;
        bool stop, cancel;
        R result;
    };
    for (const WaitCase& c : std::vector<WaitCase>{{"ticking", false, false, R::Unanswered},
                                                   {"the monitor ends", true, false, R::NotAsked},
                                                   {"cancelled", false, true, R::NotAsked}}) {
        SCOPED_TRACE(c.situation);
        if (c.cancel) line.after(100, [this] { guard.cancel(); });
        Connection::Tick t;
        const std::int64_t start = line.nowMs();
        const std::size_t before = line.sent().size();
        connection->run([&](Operations&) {
            const auto free = guard.releaseLine();
            t = connection->tickAfterInterval([&] { return c.stop; });
        });
        EXPECT_EQ(t.result, c.result);
        EXPECT_EQ(line.nowMs() - start, kMeasurementIntervalMs);
        EXPECT_EQ(line.sent().size() - before, c.result == R::NotAsked ? 0u : 1u);
    }
}

// A lost port is waited for until it opens again, or until the user takes
// the port over; a look then reopens nothing.
TEST_F(CommandEnding, ALostPortIsWaitedForUntilBackOrForgotten) {
    for (const bool forgotten : {false, true}) {
        SCOPED_TRACE(forgotten);
        int opens = 0;
        connection->watchForLostPort(LineReconnect{"/dev/ttyUSB0", {}, [&](std::string& why) {
                                                       why = "Permission denied";
                                                       return ++opens == 3;
                                                   }});
        if (forgotten) connection->forgetLostPort();
        std::vector<std::string> tells;
        for (int look = 0; look < 4; ++look) {
            std::string tell;
            const bool back = connection->lookForLostPort(tell);
            tells.push_back((back ? "back " : "") + tell);
        }
        if (forgotten)
            EXPECT_EQ(tells, (std::vector<std::string>{"", "", "", ""}));
        else
            EXPECT_EQ(tells, (std::vector<std::string>{"Permission denied", "", "back ", ""}));
        EXPECT_EQ(opens, forgotten ? 0 : 3);
        EXPECT_EQ(connection->lostDevice(), "");
    }
}

// r27ctl's signals: no question; a write is let finish the frame in flight
// (its answer is still waited for), a second signal or one outside a write
// cancels at once; no command starts after.
TEST_F(CommandEnding, ASignalStopsAWriteAfterTheFrameInFlightAndASecondAtOnce) {
    struct SignalCase {
        bool writes;
        int signals;
        bool waitRunsOn;
    };
    for (const SignalCase& c :
         std::vector<SignalCase>{{true, 1, true}, {true, 2, false}, {false, 1, false}}) {
        SCOPED_TRACE(std::to_string(c.writes) + " " + std::to_string(c.signals));
        Connection::Hooks h;
        h.mayInterruptWrite = [this] {
            told.push_back("asked");
            return true;
        };
        Connection signalled(session, h);
        line.after(500, [&] {
            for (int k = 0; k < c.signals; ++k)
                signalled.interrupt();
        });
        bool waitedOn = false;
        std::size_t frames = 0;
        const std::size_t before = line.sent().size();
        EXPECT_TRUE(signalled.run([&](Operations& o) {
            if (c.writes) o.guard.noteWriting();
            o.port.send("$01EW9022\r");
            DelayMs(o.port, 1000);
            waitedOn = !o.cancelled();
            o.port.send("$01EW9133\r");
            frames = line.sent().size() - before;
        }));
        EXPECT_EQ(waitedOn, c.waitRunsOn);
        EXPECT_EQ(frames, 1u); // the next frame never goes out
        EXPECT_TRUE(told.empty());
        EXPECT_FALSE(signalled.run([](Operations&) { ADD_FAILURE() << "ran after a signal"; }));
    }
}

} // namespace
} // namespace rm27::test
