// Every command that writes the converter, blocks or memory cells: its
// journal entry, with the bytes the write replaces, is on disk before the
// write's first frame reaches the converter, and taking the write back
// puts every byte back as it was. A byte stored at the wrong place (echoed
// right) is named after the reading that ends the command; where that
// reading does not read the block, the block is read back on its own, and
// one that cannot be read back fails the command.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>

#include "calibration/commands.h"
#include "link/memory.h"
#include "maintenance/eeprom.h"
#include "maintenance/ekey_copy.h"
#include "maintenance/ekey_init.h"
#include "maintenance/ekey_restore.h"
#include "maintenance/rmu_settings.h"
#include "maintenance/write_undo.h"
#include "reading/operations.h"
#include "support/calibration_rig.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

namespace fs = std::filesystem;
using sim::Fault;
using sim::RequestMatch;

// One converter, its line and its user, the journal in a folder of its own.
struct Bench {
    explicit Bench(const sim::ConverterSetup& setup) {
        bus.add(setup);
        UseReadRM27(ops);
        view.now = [this] { return line.nowMs(); };
        char pattern[] = "/tmp/rm27-guarded-XXXXXX";
        dir = mkdtemp(pattern);
        session.journal() = Journal((fs::path(dir) / "journal.jsonl").string());
        // At each block's or cell's first write frame: the journal as the
        // disk holds it then.
        bus.onRequest = [this](const sim::Request& r) {
            if (r.command() != "KW" && r.command() != "EW") return;
            const std::string where = r.command() + std::to_string(r.param(0));
            if (atFirstWrite.count(where) == 0) atFirstWrite[where] = session.journal().entries();
        };
    }
    ~Bench() { fs::remove_all(dir); }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    sim::Converter& conv() { return bus.converter(0); }
    void read() {
        session.run([](Operations& o) { ASSERT_TRUE(DevRead(o, 1)); });
    }
    std::string file(const std::string& name, const std::string& text) {
        const std::string path = (fs::path(dir) / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // Every block and memory cell of the converter.
    std::vector<std::string> contents() {
        std::vector<std::string> all;
        std::string memory;
        for (int cell = 0; cell < 256; ++cell)
            memory += static_cast<char>(conv().memory(cell));
        all.push_back(memory);
        for (int block = 0; block < 256; ++block)
            all.push_back(conv().block(block));
        return all;
    }

    sim::Bus bus;
    sim::VirtualLine line{bus};
    test::Recorder view;
    test::FixedClock clock;
    test::FixedRandom random;
    Session session{line, line, view, view, &clock, &random};
    Operations& ops = session.ops();
    test::ScriptedEditor editor{line, ops};
    std::string dir;
    std::map<std::string, std::vector<JournalEntry>> atFirstWrite;
};

sim::ConverterSetup Plugged(std::array<bool, 4> plugged,
                            sim::Variant variant = sim::Variant::RM27) {
    sim::ConverterSetup setup;
    setup.plugged = plugged;
    setup.variant = variant;
    return setup;
}

struct WriteCommand {
    const char* name;
    sim::ConverterSetup setup;
    std::function<void(Bench&)> before; // what the user did before the command
    std::function<void(Bench&)> command;
    std::vector<std::string> written; // "KW<block>" / "EW<cell>": each write's first frame
};

std::vector<WriteCommand> Commands() {
    const auto read = [](Bench& b) { b.read(); };
    return {
        {"eKey copy to internal",
         Plugged({true, true, false, false}),
         read,
         [](Bench& b) {
             b.view.answers = {MessageAnswer::Yes};
             b.session.run([](Operations& o) { CopyEKeyExtToInt(o, 1); });
         },
         {"KW160"}},
        {"eKey copy 1 to 4",
         Plugged({true, false, false, true}),
         [](Bench& b) {
             b.read();
             // input 4's eKey changed since: the copy's own read is the one kept
             std::string changed = b.conv().block(96);
             changed[10] = static_cast<char>(changed[10] ^ 0x20);
             b.conv().setBlock(96, changed);
         },
         [](Bench& b) {
             b.view.answers = {MessageAnswer::Yes};
             b.session.run([](Operations& o) { CopyEKey1To4(o); });
         },
         {"KW96"}},
        {"initialisation",
         Plugged({true, false, false, true}),
         read,
         [](Bench& b) {
             b.view.answers = {MessageAnswer::Yes};
             b.session.run([](Operations& o) { InitEKeys(o, EKeyInitVariant::Davro); });
         },
         {"KW0", "KW96"}},
        {"RMU limits",
         Plugged({true, true, false, false}, sim::Variant::RMU),
         read,
         [](Bench& b) {
             b.session.run([](Operations& o) {
                 RmuStoreResult stored;
                 RunRmuSettings(o, [&] {
                     stored = StoreRmuLimits(o, {std::nullopt, "12,5", std::nullopt, "7"}, nullptr);
                 });
                 CheckRmuStore(o, stored);
             });
         },
         {"KW32", "KW131"}},
        {"calibration store",
         Plugged({true, true, false, false}),
         read,
         [](Bench& b) {
             b.editor.actions = {
                 {500, [](CalibrationEditorModel& m) { m.Tag = EditorTag::Store; }}};
             b.session.run([&b](Operations& o) {
                 ChangeCalibration(o, 0, b.editor, [](Operations& oo) { DevRead(oo, 1); });
             });
         },
         {"KW0"}},
        {"restore",
         Plugged({true, true, false, false}),
         [](Bench& b) {
             b.read();
             // a backup of input 1's eKey from before a change, kept elsewhere
             BackupEntry e;
             e.deviceId = b.ops.state.DeviceId;
             e.address = 1;
             e.block = 0;
             e.image = b.conv().block(0);
             e.image[100] = static_cast<char>(e.image[100] ^ 0x55);
             FolderBackupStore elsewhere((fs::path(b.dir) / "old").string());
             std::string error;
             b.view.fileAnswers = {elsewhere.save(e, &error)};
             ASSERT_FALSE(b.view.fileAnswers.front().empty()) << error;
         },
         [](Bench& b) {
             b.view.answers = {MessageAnswer::Yes};
             b.session.run([](Operations& o) { RestoreEKey(o); });
         },
         {"KW0"}},
        {"zero and span of input 2",
         Plugged({true, true, false, false}),
         [](Bench& b) {
             b.read();
             b.ops.live.raw[1] = static_cast<float>(b.ops.state.Q[1] + 40000);
             b.ops.live.seen[1] = true;
         },
         [](Bench& b) {
             b.session.run([](Operations& o) {
                 SetmVVKQ(o, 1 + kInputCount);
                 SetmVVKQ(o, 1);
             });
         },
         {"EW" + std::to_string(CellK(1)), "EW" + std::to_string(CellQ(1))}},
        {"filter",
         Plugged({true, false, false, false}),
         read,
         [](Bench& b) { b.session.run([](Operations& o) { WriteFilter(o, 3); }); },
         {"EW" + std::to_string(kCellFilter)}},
        {"EEPROM load",
         Plugged({true, false, false, false}),
         read,
         [](Bench& b) {
             b.view.fileAnswers = {b.file("part.eep", "90 12\r\n91 34\r\n90 56\r\n")};
             b.view.answers = {MessageAnswer::Yes};
             b.session.run([](Operations& o) { LoadEeprom(o); });
         },
         {"EW144"}},
        {"address",
         Plugged({true, false, false, false}),
         read,
         [](Bench& b) {
             b.view.inputAnswers = {"7"};
             b.session.run([](Operations& o) { ChangeAddress(o); });
         },
         {"EW0"}},
    };
}

// What an entry says about "KW<block>" / "EW<cell>": the old bytes there.
const JournalEntry* EntryFor(const std::vector<JournalEntry>& entries, const std::string& where) {
    const int n = std::stoi(where.substr(2));
    for (const JournalEntry& e : entries) {
        const bool block = where[0] == 'K';
        if (block ? e.block == n : std::find(e.cells.begin(), e.cells.end(), n) != e.cells.end())
            return &e;
    }
    return nullptr;
}

TEST(GuardedWrites, TheEntryIsOnDiskBeforeTheFirstFrameAndUndoPutsEveryByteBack) {
    for (const WriteCommand& c : Commands()) {
        SCOPED_TRACE(c.name);
        Bench b(c.setup);
        c.before(b);
        const std::vector<std::string> before = b.contents();
        c.command(b);
        EXPECT_TRUE(b.view.criticals.empty()) << b.view.criticals.front();
        for (const std::string& where : c.written) {
            const JournalEntry* e = EntryFor(b.atFirstWrite[where], where);
            ASSERT_NE(e, nullptr) << where;
            const std::string& held =
                e->isBlock() ? before[static_cast<std::size_t>(e->block) + 1] : before[0];
            for (std::size_t k = 0; k < e->oldBytes.size(); ++k) {
                const std::size_t at = e->isBlock() ? k : static_cast<std::size_t>(e->cells[k]);
                EXPECT_EQ(e->oldBytes[k], held[at]) << where << " byte " << k;
            }
        }
        // Newest first, each taken back and read back.
        const std::vector<JournalEntry> made = b.session.journal().entries();
        for (auto it = made.rbegin(); it != made.rend(); ++it) {
            UndoResult undone;
            b.session.run([&](Operations& o) { undone = UndoWrite(o, it->id, false); });
            EXPECT_EQ(undone.outcome, ResultCode::Ok) << it->id;
            EXPECT_EQ(undone.write.entry.of, it->id);
        }
        EXPECT_TRUE(b.contents() == before);
    }
}

TEST(GuardedWrites, AByteStoredElsewhereIsNamedByTheReadBack) {
    // Whether the command's own reading reads the block again (an eKey)
    // or not (an internal copy behind a plugged eKey, the RMU's blocks
    // written before a restart), the block is read back.
    for (const WriteCommand& c : Commands()) {
        SCOPED_TRACE(c.name);
        Bench b(c.setup);
        c.before(b);
        // Byte 1 ("S" of "FSN") lands on byte 0 and is echoed as sent.
        b.bus.faults().next(RequestMatch::kwIndex(1), Fault::alteredIndex());
        c.command(b);
        if (c.written.front()[0] != 'K') continue; // the cells: the commands' own tests
        const int block = std::stoi(c.written.front().substr(2));
        ASSERT_EQ(b.bus.faults().log().size(), 1u);
        ASSERT_EQ(b.view.criticals.size(), 1u);
        EXPECT_EQ(b.view.criticals[0].rfind(
                      "Blok " + std::to_string(block) +
                          " po zápisu neobsahuje, co bylo zapsáno: první rozdíl v bajtu 0 "
                          "(zapsáno 46h, přečteno 53h).",
                      0),
                  0u)
            << b.view.criticals[0];
    }
}

TEST(GuardedWrites, ADifferingWriteFailsTheCommand) {
    Bench b(Plugged({true, false, false, true}));
    b.read();
    b.bus.faults().next(RequestMatch::kwIndex(1), Fault::alteredIndex());
    b.view.answers = {MessageAnswer::Yes};
    CopyResult copy;
    b.session.run([&](Operations& o) { copy = CopyEKey1To4(o); });
    EXPECT_EQ(copy.outcome, ResultCode::Failed);
    ASSERT_EQ(copy.writes.size(), 1u);
    EXPECT_EQ(copy.writes[0].result, WriteCheckResult::Differs);
    // the Part's own box still says the copy went through
    EXPECT_EQ(b.view.messageTexts()[1], "Saved. Read=1>1 WRITE=0");
    EXPECT_EQ(b.view.statuses.back(), "Blok 96 po zápisu neobsahuje, co bylo zapsáno.");

    // written cleanly, the same copy reads back as written
    b.view.answers = {MessageAnswer::Yes};
    b.session.run([&](Operations& o) { copy = CopyEKey1To4(o); });
    EXPECT_EQ(copy.outcome, ResultCode::Ok);
    EXPECT_EQ(copy.writes[0].result, WriteCheckResult::Same);
    EXPECT_EQ(b.view.statuses.back(), "OK.");
}

TEST(GuardedWrites, ABlockThatCannotBeReadBackFailsTheCommandAfterItsSteps) {
    // Input 2's eKey is plugged: the reading reads it, not the internal
    // copy written, so only the read-back can tell.
    Bench b(Plugged({true, true, false, false}));
    b.read();
    b.view.answers = {MessageAnswer::Yes};
    // Once the write has begun: the block's own read before it must pass.
    bool armed = false;
    b.bus.onRequest = [&](const sim::Request& r) {
        if (r.command() != "KW" || armed) return;
        armed = true;
        b.bus.faults().next("KBA0", Fault::noAnswer(), 10);
    };
    CopyResult copy;
    b.session.run([&](Operations& o) { copy = CopyEKeyExtToInt(o, 1); });
    EXPECT_EQ(b.conv().block(160), b.conv().block(32)); // it did land
    EXPECT_EQ(copy.outcome, ResultCode::Failed);
    ASSERT_EQ(copy.writes.size(), 1u);
    EXPECT_EQ(copy.writes[0].result, WriteCheckResult::NotReadAgain);
    ASSERT_EQ(b.view.criticals.size(), 1u);
    EXPECT_EQ(b.view.criticals[0],
              "Zápis bloku 160 nelze ověřit: blok se nepodařilo spolehlivě přečíst zpět.");
    // after the copy's own box and its reading: the read-back comes last
    EXPECT_EQ(b.view.calls.back().text, b.view.criticals[0]);
    EXPECT_EQ(b.line.sent().back().text, "$01KBA0\r");
    EXPECT_TRUE(b.view.timer);
}

TEST(GuardedWrites, AByteStoredAmongTheDateBytesOfAFreshBuildIsCaught) {
    // The calibration store builds its image today: byte 51 of the date
    // "261204" (49..54), sent to 50, leaves "1" where "6" was sent.
    Bench b(Plugged({true, true, false, false}));
    b.read();
    b.bus.faults().next(RequestMatch::kwIndex(51), Fault::alteredIndex());
    b.editor.actions = {{500, [](CalibrationEditorModel& m) { m.Tag = EditorTag::Store; }}};
    CalibrationRun run;
    b.session.run([&](Operations& o) {
        run = ChangeCalibration(o, 0, b.editor, [](Operations& oo) { DevRead(oo, 1); });
    });
    EXPECT_EQ(run.checkResult, WriteCheckResult::Differs);
    ASSERT_EQ(b.view.criticals.size(), 1u);
    EXPECT_EQ(b.view.criticals[0].rfind("Blok 0 po zápisu neobsahuje, co bylo zapsáno: první "
                                        "rozdíl v bajtu 50 (zapsáno 36h, přečteno 31h).",
                                        0),
              0u)
        << b.view.criticals[0];
}

TEST(GuardedWrites, AStoreWhoseReadingMissedTheBlockReadsItBack) {
    // The reading after the store loses the eKey mask and reads the
    // internal copies: the block written is read on its own, last.
    Bench b(Plugged({true, true, false, false}));
    b.read();
    b.bus.faults().next(RequestMatch::kwIndex(1), Fault::alteredIndex());
    b.editor.actions = {{500, [](CalibrationEditorModel& m) { m.Tag = EditorTag::Store; }}};
    CalibrationRun run;
    b.session.run([&](Operations& o) {
        run = ChangeCalibration(o, 0, b.editor, [&b](Operations& oo) {
            b.bus.faults().next("KQ", Fault::noAnswer(), 4);
            DevRead(oo, 1);
        });
    });
    EXPECT_EQ(run.checkResult, WriteCheckResult::Differs);
    EXPECT_EQ(b.line.sent().back().text, "$01KB00\r");
    ASSERT_EQ(b.view.criticals.size(), 1u);
    EXPECT_EQ(b.view.criticals[0].rfind("Blok 0 po zápisu neobsahuje", 0), 0u);
}

} // namespace
} // namespace rm27
