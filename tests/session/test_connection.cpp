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
    using R = Connection::Reconnect;
    using T = Connection::Tick::Result;
    using E = Connection::Ending;

    CommandEnding() {
        addConverter(1);
        Connection::Hooks h;
        h.mayInterruptWrite = [this] { return say("asked"), interruptWrite; };
        h.end = [this](E how) { say(how == E::Exit ? "exit" : "close"); };
        h.tellLineLost = [this](const std::string& why) { say("lost: " + why); };
        h.tellUnfinished = [this](const Journal&, const JournalEntry& e) {
            say("left " + std::to_string(e.id));
        };
        h.offerWayBack = [this] {
            say("way back");
            session.journal().takeUnfinished();
        };
        h.measure = MeasurementTick;
        h.read = DevRead;
        h.openPort = [this] { return opens && (line.setOpen(true), true); };
        h.closePort = [this] { line.setOpen(false); };
        h.tellReconnect = [this](const Text& t) { say(t.czech()); };
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

    // Opened by hand (and read at address 1, or not); then the line goes
    // from under the port (COM1), its device file with it.
    void openAndLose(bool read = false) {
        line.setOpen(false);
        connection->connectOrDisconnect();
        if (read) connection->run([this](Operations& o) { ASSERT_TRUE(connection->read(o, 1)); });
        line.setOpen(false);
        present = false;
        connection->lineLost("gone");
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

    void say(const std::string& what) { told.push_back(what); }

    std::vector<std::string> told;
    bool interruptWrite = true;
    std::unique_ptr<Connection> connection;
    ReconnectPolicy policy;
    bool opens = true;   // the port opens by hand
    bool present = true; // the lost device's file is there
    std::string refusal; // why it will not reopen ("": it does)
    int reopens = 0;
};

TEST_F(CommandEnding, TheEndAndALostLineUnwindTheCommandAndAreToldOnceAfterIt) {
    // Nothing runs: at once; a lost line told once until the port opens.
    EXPECT_TRUE(connection->end(E::Exit));
    connection->lineLost("gone");
    connection->lineLost("again");
    EXPECT_EQ(told, (std::vector<std::string>{"exit", "lost: gone"}));
    line.setOpen(false);
    connection->connectOrDisconnect();
    const auto ending = [this] {
        connection->end(E::Close);
        connection->end(E::Exit); // asked once; the last one counts
    };
    const struct {
        bool cut; // the user's answer to the question
        std::function<void()> at;
        std::vector<std::string> told;
    } cases[] = {
        {false, ending, {"asked", "asked", "went on"}},
        {true, ending, {"asked", "unwound", "left 2", "exit"}},
        // no question: the line is gone whatever the user would say
        {true,
         [this] {
             connection->lineLost("Input/output error");
             connection->lineLost("again");
         },
         {"unwound", "lost: Input/output error", "way back"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.told.back());
        told.clear();
        interruptWrite = c.cut;
        const std::int64_t start = line.nowMs();
        writeAndWait(c.at);
        EXPECT_EQ(told, c.told);
        EXPECT_TRUE(!c.cut || line.nowMs() - start <= 1010); // the wait ended at once
    }
    told.clear();
    EXPECT_TRUE(connection->run([](Operations& o) { EXPECT_FALSE(o.cancelled()); }));
    EXPECT_TRUE(told.empty()); // told once, not again after the next command
}

TEST_F(CommandEnding, ACommandHoldingTheUsersWorkOutlivesALostLineAndGetsThePortBack) {
    line.setOpen(false);
    connection->connectOrDisconnect();
    told.clear();
    bool cancelled = true;
    R back = R::NotYet;
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
    EXPECT_EQ(back, R::Opened);
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

// The ticker: a tick asks only on a free line, and says what it came to;
// r27ctl's monitor's tick waits one interval first (waited out whole),
// unless the monitor ends or its command is cancelled.
TEST_F(CommandEnding, ATickAsksOnlyOnAFreeLineAndSaysWhatItCameTo) {
    std::size_t asked = 0;
    // What it came to, the measurement requests sent since the last look,
    // and what the converter measures on input 4, only when decoded.
    const auto expect = [&](const char* situation, const Connection::Tick& t, T result,
                            std::size_t requests) {
        SCOPED_TRACE(situation);
        EXPECT_EQ(t.result, result);
        EXPECT_EQ(framesStartingWith("$01MK").size() - asked, requests);
        asked = framesStartingWith("$01MK").size();
        EXPECT_NEAR(t.live.signal[3], result == T::Decoded ? 2.0f : 0.0f, 1e-3);
        EXPECT_EQ(t.live.seen[3], result == T::Decoded);
    };
    const auto inCommand = [this](bool letLineGo, bool monitor = false, bool ends = false) {
        Connection::Tick t;
        const std::int64_t start = line.nowMs();
        connection->run([&](Operations&) {
            const CommandGuard::LineScope held(guard, letLineGo ? 0 : 1);
            t = monitor ? connection->tickAfterInterval([&] { return ends; }) : connection->tick();
        });
        EXPECT_EQ(line.nowMs() - start, monitor ? kMeasurementIntervalMs : 0);
        return t;
    };
    expect("no converter read", connection->tick(), T::NotAsked, 0);
    ASSERT_TRUE(DevRead(ops, 1));
    expect("a command holds the line", inCommand(false), T::NotAsked, 0);
    expect("a command waits for the user", inCommand(true), T::Unanswered, 1);
    line.waitFor(kMeasurementIntervalMs);
    expect("answered within the interval", connection->tick(), T::Decoded, 1);
    bus.faults().next("MK", sim::Fault::late(600));
    line.waitFor(kMeasurementIntervalMs);
    connection->tick(); // sends the request answered late
    line.waitFor(kMeasurementIntervalMs);
    expect("answered late", connection->tick(), T::Unanswered, 2);
    expect("the monitor's", inCommand(true, true), T::Decoded, 1);
    expect("the monitor ends", inCommand(true, true, true), T::NotAsked, 0);
    line.after(100, [this] { guard.cancel(); });
    expect("the monitor cancelled", inCommand(true, true), T::NotAsked, 0);
    line.setOpen(false);
    expect("the line closed", connection->tick(), T::NotAsked, 0);
}

// "Připojit" / "Spojeno": closes an open port, opens a closed one, shows
// which; either way a lost port is no longer waited for.
TEST_F(CommandEnding, ThePortIsOpenedAndClosedByHandAndShowsWhich) {
    const struct {
        const char* situation;
        bool openBefore, opens, openAfter;
        const char* caption;
        const char* status;
    } cases[] = {{"open", true, true, false, "Připojit", "Komunikační port uzavřen."},
                 {"closed", false, true, true, "Spojeno", "Komunikační port otevřen"},
                 {"closed, refused", false, false, false, "", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
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
// While waited for, the port is not looked for under a command (nor is the
// command refused), and a reason it will not open is told once.
TEST_F(CommandEnding, ALostPortIsReopenedAndReadAgainAsThePolicySays) {
    const std::string reading = "Převodník se znovu připojil, načítám ...";
    const std::string other = "Po opětovném připojení odpovídá jiný převodník nebo jiné snímače, "
                              "než uvádí záhlaví CSV; sledování končí.";
    const char* const done = "Převodník se znovu připojil (00:00:19), měření běží.";
    const struct {
        const char* situation;
        bool readBefore;
        std::function<void()> meanwhile; // after the loss, the file back
        R result;
        int reopens;
        bool readAgain; // "$01@" went out after the loss
        std::vector<std::string> told;
        const char* status;
    } cases[] = {
        // clang-format off
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
         [&] { policy.repeat = [this](Operations&) { told.push_back("repeated"); }; }, R::Read, 1,
         true, {reading, "repeated"}, done},
        {"the converter silent", true, [&] { bus.faults().next("@", sim::Fault::noAnswer(), 100); },
         R::Unread, 1, true, {reading}, ""},
        {"another converter", true,
         [&] { policy.sameConverter = [](const DeviceState&) { return false; }; },
         R::OtherConverter, 1, true, {reading, other}, ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        openAndLose(c.readBefore);
        present = true;
        view.statuses.clear();
        reopens = 0;
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
        if (r == R::NotYet) {
            const int looks = reopens;
            present = true;
            connection->run(
                [&](Operations&) { EXPECT_EQ(connection->lookForLostPort(why), R::NotYet); });
            EXPECT_EQ(why, "");
            EXPECT_EQ(reopens, looks);
            EXPECT_EQ(guard.refusals(), 0);
            if (!refusal.empty()) {
                EXPECT_EQ(connection->lookForLostPort(why), R::NotYet);
                EXPECT_EQ(why, "");
            }
        }
        // what the case changed, back as it was
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
}

// r27ctl's wait: says what it waits for, then looks once a second until the
// device is back or it is told to stop.
TEST_F(CommandEnding, AWaitForTheDeviceLooksOnceASecondUntilBackOrStopped) {
    for (const bool stopped : {false, true}) {
        SCOPED_TRACE(stopped);
        openAndLose();
        const std::int64_t lost = line.nowMs();
        if (!stopped) line.after(2500, [this] { present = true; });
        const auto r = connection->waitForDevice(
            [&] { return stopped && line.nowMs() - lost >= 4000; }, [](const std::string&) {});
        EXPECT_EQ(r, stopped ? R::NotWatching : R::Opened);
        EXPECT_EQ(line.nowMs() - lost, stopped ? 4000 : 3000);
        EXPECT_EQ(told.front(), "Čekám na návrat portu /dev/ttyUSB0 ...");
        connection->closePort();
    }
}

// r27ctl's signals: no question; a write is let finish the frame in flight
// (its answer is still waited for), a second signal or one outside a write
// cancels at once; no command starts after.
TEST_F(CommandEnding, ASignalStopsAWriteAfterTheFrameInFlightAndASecondAtOnce) {
    const struct {
        bool writes;
        int signals;
        bool waitRunsOn;
    } cases[] = {{true, 1, true}, {true, 2, false}, {false, 1, false}};
    for (const auto& c : cases) {
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
