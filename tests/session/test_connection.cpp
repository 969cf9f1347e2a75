// How a front end's commands end, on virtual time: the program's end and a
// lost line cancel the running command, which unwinds at once; the user
// hears of it once, after the unwind; a write is not cut without asking,
// and what a cut write left is said before the program ends, or offered
// the way back when it goes on. The ticker both front ends drive, the port
// they open, lose and get back, and the signal rule of r27ctl.
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
        h.measure = MeasurementTick;
        h.read = DevRead;
        h.openPort = [this] {
            if (!opens) return false;
            line.setOpen(true);
            return true;
        };
        h.closePort = [this] { line.setOpen(false); };
        h.tellReconnect = [this](const Text& t) { told.push_back(t.czech()); };
        connection = std::make_unique<Connection>(session, h);
        policy.on = true;
        policy.device = [this] {
            return LineReconnect{"/dev/ttyUSB0", [this] { return present; },
                                 [this](std::string& why) {
                                     ++reopens;
                                     why = refusal;
                                     return refusal.empty() && (line.setOpen(true), true);
                                 },
                                 1};
        };
        connection->setReconnect(policy);
    }

    // The line goes from under the port (COM1), its device file with it.
    void lose() {
        line.setOpen(false);
        present = false;
        connection->lineLost("gone");
        told.clear();
    }
    // Opened by hand, read at address 1 (or not), lost; the file back.
    void openReadAndLose(bool read) {
        line.setOpen(false);
        connection->connectOrDisconnect();
        if (read) {
            connection->run([this](Operations& o) { ASSERT_TRUE(connection->read(o, 1)); });
        }
        lose();
        present = true;
        view.statuses.clear();
        reopens = 0;
    }
    // Waited for, the port is not looked for while a command runs (nor is
    // the command refused); a reason it will not open is told once.
    void expectStillWaiting() {
        const int before = reopens;
        present = true;
        std::string why;
        connection->run([&](Operations&) {
            EXPECT_EQ(connection->lookForLostPort(why), Connection::Reconnect::NotYet);
        });
        EXPECT_EQ(why, "");
        EXPECT_EQ(reopens, before);
        EXPECT_EQ(guard.refusals(), 0);
        if (refusal.empty()) return;
        EXPECT_EQ(connection->lookForLostPort(why), Connection::Reconnect::NotYet);
        EXPECT_EQ(why, "");
    }
    // What a case of the reconnection changed, back as it was.
    void undoCase() {
        bus.faults().clear();
        refusal.clear();
        state.PortNumber = 1;
        policy.on = true;
        policy.sameConverter = nullptr;
        policy.repeat = nullptr;
        connection->setReconnect(policy);
        connection->closePort();
        told.clear();
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
    ReconnectPolicy policy;
    bool opens = true;   // the port opens by hand
    bool present = true; // the lost device's file is there
    std::string refusal; // why it will not reopen ("": it does)
    int reopens = 0;
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
    connection->lineLost("gone");  // nothing runs: at once
    connection->lineLost("again"); // told once until the port opens again
    EXPECT_EQ(told, (std::vector<std::string>{"lost: gone"}));
    line.setOpen(false);
    connection->connectOrDisconnect();
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

TEST_F(CommandEnding, ACommandHoldingTheUsersWorkOutlivesALostLineAndGetsThePortBack) {
    line.setOpen(false);
    connection->connectOrDisconnect();
    told.clear();
    bool cancelled = true;
    Connection::Reconnect back = Connection::Reconnect::NotYet;
    connection->run([&](Operations& o) {
        const auto free = o.guard.releaseLine();
        const auto work = o.guard.keepingWork();
        line.setOpen(false);
        present = false;
        connection->lineLost("gone");
        EXPECT_EQ(told, (std::vector<std::string>{"lost: gone"})); // at once
        present = true;
        std::string why;
        back = connection->lookForLostPort(why);
        cancelled = o.cancelled();
    });
    EXPECT_FALSE(cancelled);
    // Reopened under the command, not read again: what it edits stays.
    EXPECT_EQ(back, Connection::Reconnect::Opened);
    EXPECT_TRUE(line.isOpen());
    EXPECT_TRUE(view.timer);
    EXPECT_TRUE(framesStartingWith("$01@").empty());
}

TEST_F(CommandEnding, OnAClosedPortACommandIsRefusedAtOnceAndOnlyAReadingMayBeStopped) {
    line.setOpen(false);
    bool ran = false;
    const auto before = line.nowMs();
    EXPECT_FALSE(connection->runOnLine([&](Operations&) { ran = true; }));
    EXPECT_FALSE(ran);
    EXPECT_EQ(line.nowMs(), before);
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"Komunikační port není otevřen, příkaz se neprovede a nic "
                                       "nebylo odesláno. Otevřete port tlačítkem „Připojit“."});
    line.setOpen(true);
    EXPECT_FALSE(connection->cancelCommand()); // nothing runs
    connection->runOnLine([&](Operations& o) {
        o.guard.noteWriting();
        EXPECT_FALSE(connection->cancelCommand());
        EXPECT_FALSE(o.cancelled());
    });
    connection->runOnLine([&](Operations& o) {
        EXPECT_TRUE(connection->cancelCommand());
        EXPECT_TRUE(o.cancelled());
    });
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

// "Připojit" / "Spojeno": closes an open port, opens a closed one, shows
// which; either way a lost port is no longer waited for.
TEST_F(CommandEnding, ThePortIsOpenedAndClosedByHandAndShowsWhich) {
    struct PortCase {
        const char* situation;
        bool openBefore, opens, openAfter;
        const char* caption;
        const char* status;
    };
    for (const PortCase& c :
         std::vector<PortCase>{{"open", true, true, false, "Připojit", "Komunikační port uzavřen."},
                               {"closed", false, true, true, "Spojeno", "Komunikační port otevřen"},
                               {"closed, refused", false, false, false, "", ""}}) {
        SCOPED_TRACE(c.situation);
        line.setOpen(c.openBefore);
        opens = c.opens;
        connection->lineLost("gone");
        line.setOpen(c.openBefore);
        view.captions.clear();
        view.statuses.clear();
        view.criticals.clear();
        EXPECT_TRUE(connection->connectOrDisconnect());
        EXPECT_EQ(line.isOpen(), c.openAfter);
        EXPECT_EQ(view.caption("cmdConnect"), c.caption);
        EXPECT_EQ(view.statuses.empty() ? "" : view.statuses.back(), c.status);
        EXPECT_EQ(view.criticals.size(), c.opens ? 0u : 1u);
        if (c.caption[0] != '\0') {
            EXPECT_EQ(view.enabled["cmdDevRead"], c.openAfter);
            EXPECT_EQ(view.enabled["cmbSelectPort"], !c.openAfter);
        }
        EXPECT_FALSE(connection->watching());
        EXPECT_EQ(connection->lineWasLost(), !c.openAfter);
    }
}

// Once lost, the port's device is waited for; a look reopens it when its
// file is back, reads the converter again where it was last read, and says
// so, unless the wait ended or the converter is no longer the one read.
TEST_F(CommandEnding, ALostPortIsReopenedAndReadAgainAsThePolicySays) {
    using R = Connection::Reconnect;
    struct LookCase {
        const char* situation;
        bool readBefore;
        std::function<void()> meanwhile; // after the loss, the file back
        R result;
        int reopens;
        bool readAgain; // "$01@" went out after the loss
        std::vector<std::string> told;
        const char* status;
    };
    const std::string reading = "Převodník se znovu připojil, načítám ...";
    const std::string other = "Po opětovném připojení odpovídá jiný převodník nebo jiné snímače, "
                              "než uvádí záhlaví CSV; sledování končí.";
    const char* const done = "Převodník se znovu připojil (00:00:19), měření běží.";
    // clang-format off
    const std::vector<LookCase> cases = {
        {"nothing read before", false, [] {}, R::Opened, 1, false, {},
         "Převodník se znovu připojil (00:00:19)."},
        {"not back", true, [&] { present = false; }, R::NotYet, 0, false, {}, ""},
        {"switched off", true, [&] { policy.on = false; }, R::NotWatching, 0, false, {}, ""},
        {"another port chosen", true, [&] { state.PortNumber = 2, connection->portChosen(); },
         R::NotWatching, 0, false, {}, ""},
        {"the port closed (a search, the window's close)", true, [&] { connection->closePort(); },
         R::NotWatching, 0, false, {}, ""},
        {"refused", true, [&] { refusal = "Permission denied"; }, R::NotYet, 1, false, {}, ""},
        {"read again, what the loss cut short repeated", true,
         [&] { policy.repeat = [this](Operations&) { told.push_back("repeated"); }; },
         R::Read, 1, true, {reading, "repeated"}, done},
        {"the converter silent", true,
         [&] { bus.faults().next("@", sim::Fault::noAnswer(), 100); },
         R::Unread, 1, true, {reading}, ""},
        {"another converter", true,
         [&] { policy.sameConverter = [](const DeviceState&) { return false; }; },
         R::OtherConverter, 1, true, {reading, other}, ""},
    };
    // clang-format on
    for (const LookCase& c : cases) {
        SCOPED_TRACE(c.situation);
        openReadAndLose(c.readBefore);
        c.meanwhile();
        connection->setReconnect(policy);
        const std::size_t before = framesStartingWith("$01@").size();
        std::string why;
        const R r = connection->lookForLostPort(why);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(why, refusal);
        EXPECT_EQ(reopens, c.reopens);
        EXPECT_EQ(framesStartingWith("$01@").size() > before, c.readAgain);
        EXPECT_EQ(told, c.told);
        if (c.status[0] != '\0') {
            EXPECT_EQ(view.statuses.back(), c.status);
        }
        EXPECT_EQ(connection->watching(), r == R::NotYet);
        if (r == R::NotYet) expectStillWaiting();
        undoCase();
    }
}

// r27ctl's wait: says what it waits for, then looks once a second until the
// device is back or it is told to stop.
TEST_F(CommandEnding, AWaitForTheDeviceLooksOnceASecondUntilBackOrStopped) {
    for (const bool stopped : {false, true}) {
        SCOPED_TRACE(stopped);
        line.setOpen(false);
        connection->connectOrDisconnect();
        lose();
        const std::int64_t lost = line.nowMs();
        if (!stopped) line.after(2500, [this] { present = true; });
        refusal = "";
        const auto r = connection->waitForDevice(
            [&] { return stopped && line.nowMs() - lost >= 4000; }, [](const std::string&) {});
        EXPECT_EQ(r, stopped ? Connection::Reconnect::NotWatching : Connection::Reconnect::Opened);
        EXPECT_EQ(line.nowMs() - lost, stopped ? 4000 : 3000);
        EXPECT_EQ(told.front(), "Čekám na návrat portu /dev/ttyUSB0 ...");
        connection->closePort();
    }
}

// The restart does not say how the reading at its end went; the reading's
// success comes back as a value.
TEST_F(CommandEnding, ARestartSaysWhetherItsReadingRead) {
    struct RestartCase {
        const char* situation;
        bool readBefore, silent, read;
    };
    for (const RestartCase& c :
         std::vector<RestartCase>{{"nothing read: refused", false, false, false},
                                  {"read again", true, false, true},
                                  {"silent after it", true, true, false}}) {
        SCOPED_TRACE(c.situation);
        if (c.readBefore) {
            ASSERT_TRUE(DevRead(ops, 1));
        }
        if (c.silent) bus.faults().next("@", sim::Fault::noAnswer(), 100);
        const std::size_t restarts = framesStartingWith("X").size();
        EXPECT_EQ(ReadingAfter(ops, RestartConverter, ReadRM27), c.read);
        EXPECT_EQ(framesStartingWith("X").size() - restarts, c.readBefore ? 1u : 0u);
        EXPECT_FALSE(ops.readConverter); // nothing left plugged in
        bus.faults().clear();
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
