// Every command that writes an eKey or an internal copy, run twice on the
// same converter: with a backup folder and without. The backup has to be
// on disk before the block's first "KW" reaches the converter, and keeping
// it must not change a single frame or its time. A byte stored at the
// wrong place (echoed right) is named after the reading that ends the
// command; where that reading does not read the block, the block is read
// back on its own, and one that cannot be read back fails the command.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "calibration/commands.h"
#include "link/memory.h"
#include "maintenance/ekey_copy.h"
#include "maintenance/ekey_init.h"
#include "maintenance/ekey_restore.h"
#include "maintenance/rmu_settings.h"
#include "reading/operations.h"
#include "support/calibration_rig.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

namespace fs = std::filesystem;
using sim::Fault;
using sim::RequestMatch;

// One converter, its line and its user, with or without a backup folder.
struct Bench {
    Bench(const sim::ConverterSetup& setup, bool withBackups) {
        bus.add(setup);
        view.now = [this] { return line.nowMs(); };
        char pattern[] = "/tmp/rm27-guarded-XXXXXX";
        dir = mkdtemp(pattern);
        if (withBackups) {
            store = std::make_unique<FolderBackupStore>((fs::path(dir) / "backups").string());
            ops.backups = store.get();
        }
        bus.onRequest = [this](const sim::Request& r) {
            if (r.command() != "KW" || backupsAtFirstKw.count(r.param(0)) != 0) return;
            std::set<int>& kept = backupsAtFirstKw[r.param(0)];
            if (store == nullptr) return;
            for (const BackupEntry& e : store->list())
                kept.insert(e.block);
        };
    }
    ~Bench() { fs::remove_all(dir); }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    sim::Converter& conv() { return bus.converter(0); }
    void read() {
        session.run([](Operations& o) { ASSERT_TRUE(DevRead(o, 1)); });
    }
    std::string keptImage(int block) {
        for (const BackupEntry& e : store->list())
            if (e.block == block) return e.image;
        return {};
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
    std::unique_ptr<FolderBackupStore> store;
    // Per block written: the blocks with a backup on disk when that
    // block's first "KW" frame had reached the converter.
    std::map<int, std::set<int>> backupsAtFirstKw;
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
    std::map<int, int> keptFirst; // block written -> block whose last image read is kept
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
         {{160, 160}}},
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
         {{96, 96}}},
        {"initialisation",
         Plugged({true, false, false, true}),
         read,
         [](Bench& b) {
             b.view.answers = {MessageAnswer::Yes};
             b.session.run([](Operations& o) { InitEKeys(o, EKeyInitVariant::Davro); });
         },
         {{0, 0}, {96, 96}}},
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
         {{32, 32}, {131, 131}}},
        {"calibration store",
         Plugged({true, true, false, false}),
         read,
         [](Bench& b) {
             b.editor.actions = {{500, [](CalibrationEditorModel& m) { m.Tag = kTagStore; }}};
             b.session.run([&b](Operations& o) {
                 ChangeCalibration(o, 0, b.editor, [](Operations& oo) { DevRead(oo, 1); });
             });
         },
         {{0, 0}}},
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
         {{0, 0}}},
    };
}

TEST(GuardedWrites, TheBackupIsOnDiskBeforeTheFirstFrameAndAddsNoFrame) {
    for (const WriteCommand& c : Commands()) {
        SCOPED_TRACE(c.name);
        Bench kept(c.setup, true);
        Bench bare(c.setup, false);
        c.before(kept);
        c.before(bare);
        std::map<int, std::string> held;
        for (const auto& [written, block] : c.keptFirst)
            held[block] = kept.conv().block(block);
        const std::size_t first = kept.line.sent().size();
        c.command(kept);
        c.command(bare);

        std::set<int> writtenBlocks;
        for (const auto& [block, seen] : kept.backupsAtFirstKw)
            writtenBlocks.insert(block);
        std::set<int> expected;
        for (const auto& [written, block] : c.keptFirst) {
            expected.insert(written);
            EXPECT_EQ(kept.backupsAtFirstKw[written].count(block), 1u) << written;
            EXPECT_EQ(kept.keptImage(block), held[block]) << block;
        }
        EXPECT_EQ(writtenBlocks, expected);
        EXPECT_GT(kept.line.sent().size(), first);

        // The same frames at the same virtual times, with or without.
        ASSERT_EQ(kept.line.sent().size(), bare.line.sent().size());
        for (std::size_t i = 0; i < kept.line.sent().size(); ++i) {
            EXPECT_EQ(kept.line.sent()[i].text, bare.line.sent()[i].text) << i;
            EXPECT_EQ(kept.line.sent()[i].timeMs, bare.line.sent()[i].timeMs) << i;
        }
        EXPECT_TRUE(kept.view.criticals.empty());
    }
}

TEST(GuardedWrites, AByteStoredElsewhereIsNamedByTheReadBack) {
    // Whether the command's own reading reads the block again (an eKey)
    // or not (an internal copy behind a plugged eKey, the RMU's blocks
    // written before a restart), the block is read back.
    for (const WriteCommand& c : Commands()) {
        SCOPED_TRACE(c.name);
        Bench b(c.setup, true);
        c.before(b);
        // Byte 1 ("S" of "FSN") lands on byte 0 and is echoed as sent.
        b.bus.faults().next(RequestMatch::kwIndex(1), Fault::alteredIndex());
        c.command(b);
        const int block = c.keptFirst.begin()->second;
        ASSERT_EQ(b.bus.faults().log().size(), 1u);
        ASSERT_EQ(b.view.criticals.size(), 1u);
        EXPECT_EQ(b.view.criticals[0].rfind(
                      "Blok " + std::to_string(block) +
                          " po zápisu neobsahuje, co bylo zapsáno: první rozdíl v bajtu 0 "
                          "(zapsáno 46h, přečteno 53h).",
                      0),
                  0u)
            << b.view.criticals[0];
        EXPECT_NE(b.view.criticals[0].find(b.store->folder()), std::string::npos);
    }
}

TEST(GuardedWrites, AWriteOfABlockNeverReadSaysItHasNoBackup) {
    Bench b(Plugged({true, true, false, false}), true);
    b.read();
    // the copy's own read of the block it replaces gets nothing
    b.bus.faults().next("KBA0", Fault::noAnswer());
    b.view.answers = {MessageAnswer::Yes};
    CopyResult copy;
    b.session.run([&](Operations& o) { copy = CopyEKeyExtToInt(o, 1); });
    EXPECT_EQ(copy.outcome, Outcome::Done);
    ASSERT_EQ(copy.writes.size(), 1u);
    EXPECT_EQ(copy.writes[0].backup.kind, BackupKind::NeverRead);
    EXPECT_TRUE(b.store->list().empty());
    EXPECT_EQ(b.view.statuses.back().rfind(
                  "Blok 160 nebyl před zápisem přečten: jeho obsah není zálohován.", 0),
              0u)
        << b.view.statuses.back();
}

TEST(GuardedWrites, ADifferingWriteFailsTheCommand) {
    Bench b(Plugged({true, false, false, true}), true);
    b.read();
    b.bus.faults().next(RequestMatch::kwIndex(1), Fault::alteredIndex());
    b.view.answers = {MessageAnswer::Yes};
    CopyResult copy;
    b.session.run([&](Operations& o) { copy = CopyEKey1To4(o); });
    EXPECT_EQ(copy.outcome, Outcome::Failed);
    ASSERT_EQ(copy.writes.size(), 1u);
    EXPECT_EQ(copy.writes[0].result, WriteCheckResult::Differs);
    // the Part's own box still says the copy went through
    EXPECT_EQ(b.view.messageTexts()[1], "Saved. Read=1>1 WRITE=0");
    EXPECT_EQ(b.view.statuses.back(), "Blok 96 po zápisu neobsahuje, co bylo zapsáno.");

    // written cleanly, the same copy reads back as written
    b.view.answers = {MessageAnswer::Yes};
    b.session.run([&](Operations& o) { copy = CopyEKey1To4(o); });
    EXPECT_EQ(copy.outcome, Outcome::Done);
    EXPECT_EQ(copy.writes[0].result, WriteCheckResult::Same);
    EXPECT_EQ(b.view.statuses.back(), "OK.");
}

TEST(GuardedWrites, ABlockThatCannotBeReadBackFailsTheCommandAfterItsSteps) {
    // Input 2's eKey is plugged: the reading reads it, not the internal
    // copy written, so only the read-back can tell.
    Bench b(Plugged({true, true, false, false}), true);
    b.read();
    b.view.answers = {MessageAnswer::Yes};
    b.bus.faults().next("KBA0", Fault::none()); // its backup read goes through
    b.bus.faults().next("KBA0", Fault::noAnswer(), 10);
    CopyResult copy;
    b.session.run([&](Operations& o) { copy = CopyEKeyExtToInt(o, 1); });
    EXPECT_EQ(b.conv().block(160), b.conv().block(32)); // it did land
    EXPECT_EQ(copy.outcome, Outcome::Failed);
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
    Bench b(Plugged({true, true, false, false}), true);
    b.read();
    b.bus.faults().next(RequestMatch::kwIndex(51), Fault::alteredIndex());
    b.editor.actions = {{500, [](CalibrationEditorModel& m) { m.Tag = kTagStore; }}};
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
    Bench b(Plugged({true, true, false, false}), true);
    b.read();
    b.bus.faults().next(RequestMatch::kwIndex(1), Fault::alteredIndex());
    b.editor.actions = {{500, [](CalibrationEditorModel& m) { m.Tag = kTagStore; }}};
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
