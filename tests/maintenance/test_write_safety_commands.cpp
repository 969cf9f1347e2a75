// Every command that writes the converter, blocks or memory cells: its
// journal entry, with the bytes the write replaces, is on disk before the
// write's first frame reaches the converter, and taking the write back
// puts every byte back as it was. A byte stored at the wrong place (echoed
// right) is named after the reading that ends the command; where that
// reading does not read the block, the block is read back on its own, and
// one that cannot be read back fails the command.
#include <gtest/gtest.h>

#include <map>

#include "calibration/commands.h"
#include "link/memory.h"
#include "maintenance/eeprom.h"
#include "maintenance/ekey_copy.h"
#include "maintenance/ekey_init.h"
#include "maintenance/ekey_restore.h"
#include "maintenance/rmu_settings.h"
#include "maintenance/write_undo.h"
#include "maintenance_rig.h"
#include "support/calibration_rig.h"

namespace rm27 {
namespace {

using sim::Fault;
using sim::RequestMatch;
using Op = std::function<void(Operations&)>;

sim::ConverterSetup Plugged(std::array<bool, 4> plugged,
                            sim::Variant variant = sim::Variant::RM27) {
    sim::ConverterSetup setup;
    setup.plugged = plugged;
    setup.variant = variant;
    return setup;
}

class Guarded;
struct WriteCommand {
    const char* name;
    sim::ConverterSetup setup;
    std::function<void(Guarded&)> command;     // with what the user did before it
    std::vector<std::string> written;          // "KW<block>" / "EW<cell>": each write's first frame
    std::function<void(Guarded&)> before = {}; // what changed since the reading
};

void PrintTo(const WriteCommand& c, std::ostream* os) {
    *os << c.name;
}

// One converter, read, the journal in the rig's folder.
class Guarded : public test::MaintenanceRig {
public:
    static std::vector<WriteCommand> Commands();

    explicit Guarded(const sim::ConverterSetup& setup = Plugged({true, true, false, false}))
        : MaintenanceRig(setup) {
        session.journal() = Journal(dir + "/journal.jsonl");
        // At each block's or cell's first write frame: the journal as the
        // disk holds it then.
        bus.onRequest = [this](const sim::Request& r) {
            if (r.command() != "KW" && r.command() != "EW") return;
            const std::string where = r.command() + std::to_string(r.param(0));
            if (atFirstWrite.count(where) == 0) atFirstWrite[where] = session.journal().entries();
        };
        read();
    }
    void yes(const Op& op) {
        view.answers = {MessageAnswer::Yes};
        session.run(op);
    }
    // "Změnit" on input 1, stored at once, then `reading`.
    CalibrationRun store(const Op& reading) {
        editor.actions = {{500, [](CalibrationEditorModel& m) { m.Tag = EditorTag::Store; }}};
        return run([&](Operations& o) { return ChangeCalibration(o, 0, editor, reading); });
    }
    // Every memory cell, then every block of the converter.
    std::vector<std::string> contents() {
        std::vector<std::string> all(1);
        for (int cell = 0; cell < 256; ++cell)
            all[0] += static_cast<char>(conv().memory(cell));
        for (int block = 0; block < 256; ++block)
            all.push_back(conv().block(block));
        return all;
    }

    test::ScriptedEditor editor{line, ops};
    std::map<std::string, std::vector<JournalEntry>> atFirstWrite;
};

void Reread(Operations& o) {
    DevRead(o, 1);
}

std::function<void(Guarded&)> Answered(const Op& op) {
    return [op](Guarded& g) { g.yes(op); };
}

std::vector<WriteCommand> Guarded::Commands() {
    const std::array<bool, 4> in12{true, true, false, false};
    const std::array<bool, 4> in14{true, false, false, true};
    const std::array<bool, 4> in1{true, false, false, false};
    // clang-format off
    return {
        {"EKeyCopyToInternal", Plugged(in12), Answered([](Operations& o) { CopyEKeyExtToInt(o, 1); }), {"KW160"}},
        {"EKeyCopy1To4", Plugged(in14), Answered([](Operations& o) { CopyEKey1To4(o); }), {"KW96"},
         [](Guarded& g) {
             // input 4's eKey changed since: the copy's own read is the one kept
             std::string changed = g.conv().block(96);
             changed[10] = static_cast<char>(changed[10] ^ 0x20);
             g.conv().setBlock(96, changed);
         }},
        {"Initialisation", Plugged(in14), Answered([](Operations& o) { InitEKeys(o, EKeyInitVariant::Davro); }), {"KW0", "KW96"}},
        {"RmuLimits", Plugged(in12, sim::Variant::RMU),
         Answered([](Operations& o) {
             RmuStoreResult stored;
             RunRmuSettings(o, [&] { stored = StoreRmuLimits(o, {std::nullopt, "12,5", std::nullopt, "7"}, nullptr); });
             CheckRmuStore(o, stored);
         }),
         {"KW32", "KW131"}},
        {"CalibrationStore", Plugged(in12), [](Guarded& g) { g.store(Reread); }, {"KW0"}},
        {"Restore", Plugged(in12),
         [](Guarded& g) {
             // a backup of input 1's eKey from before a change, kept elsewhere
             BackupEntry e;
             e.deviceId = g.ops.state.DeviceId;
             e.address = 1;
             e.image = g.conv().block(0);
             e.image[100] = static_cast<char>(e.image[100] ^ 0x55);
             g.view.fileAnswers = {FolderBackupStore(g.dir + "/old").save(e, nullptr)};
             g.yes(RestoreEKey);
         },
         {"KW0"}},
        {"ZeroAndSpanOfInput2", Plugged(in12),
         [](Guarded& g) {
             g.ops.live.raw[1] = static_cast<float>(g.ops.state.Q[1] + 40000);
             g.ops.live.seen[1] = true;
             g.yes([](Operations& o) { SetmVVKQ(o, 1 + kInputCount); SetmVVKQ(o, 1); });
         },
         {"EW" + std::to_string(CellK(1)), "EW" + std::to_string(CellQ(1))}},
        {"Filter", Plugged(in1), Answered([](Operations& o) { WriteFilter(o, 3); }), {"EW" + std::to_string(kCellFilter)}},
        {"EepromLoad", Plugged(in1),
         [](Guarded& g) {
             g.view.fileAnswers = {g.file("part.eep", "90 12\r\n91 34\r\n90 56\r\n")};
             g.yes([](Operations& o) { LoadEeprom(o); });
         },
         {"EW144"}},
        {"Address", Plugged(in1),
         [](Guarded& g) {
             g.view.inputAnswers = {"7"};
             g.session.run(ChangeAddress);
         },
         {"EW0"}},
    };
    // clang-format on
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

class EveryWrite : public Guarded, public ::testing::WithParamInterface<WriteCommand> {
public:
    EveryWrite() : Guarded(GetParam().setup) {}
};

TEST_P(EveryWrite, TheEntryIsOnDiskBeforeTheFirstFrameAndUndoPutsEveryByteBack) {
    if (GetParam().before) GetParam().before(*this);
    const std::vector<std::string> before = contents();
    GetParam().command(*this);
    EXPECT_TRUE(view.criticals.empty()) << view.criticals.front();
    for (const std::string& where : GetParam().written) {
        const JournalEntry* e = EntryFor(atFirstWrite[where], where);
        ASSERT_NE(e, nullptr) << where;
        const std::string& held =
            e->isBlock() ? before[static_cast<std::size_t>(e->block) + 1] : before[0];
        for (std::size_t k = 0; k < e->oldBytes.size(); ++k) {
            const std::size_t at = e->isBlock() ? k : static_cast<std::size_t>(e->cells[k]);
            EXPECT_EQ(e->oldBytes[k], held[at]) << where << " byte " << k;
        }
    }
    // Newest first, each taken back and read back.
    const std::vector<JournalEntry> made = session.journal().entries();
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
        const UndoResult undone = run([&](Operations& o) { return UndoWrite(o, it->id, false); });
        EXPECT_EQ(undone.outcome, ResultCode::Ok) << it->id;
        EXPECT_EQ(undone.write.entry.of, it->id);
    }
    EXPECT_TRUE(contents() == before);
}

TEST_P(EveryWrite, AByteStoredElsewhereInABlockIsNamedByTheReadBack) {
    // Whether the command's own reading reads the block again (an eKey)
    // or not (an internal copy behind a plugged eKey, the RMU's blocks
    // written before a restart), the block is read back. The cells are
    // the commands' own tests'.
    const std::string& where = GetParam().written.front();
    if (where[0] != 'K') return;
    if (GetParam().before) GetParam().before(*this);
    // Byte 1 ("S" of "FSN") lands on byte 0 and is echoed as sent.
    bus.faults().next(RequestMatch::kwIndex(1), Fault::alteredIndex());
    GetParam().command(*this);
    ASSERT_EQ(bus.faults().log().size(), 1u);
    ASSERT_EQ(view.criticals.size(), 1u);
    EXPECT_EQ(view.criticals[0], "Blok " + where.substr(2) +
                                     " po zápisu neobsahuje, co bylo zapsáno: první rozdíl v "
                                     "bajtu 0 (zapsáno 46h, přečteno 53h).");
}

INSTANTIATE_TEST_SUITE_P(Commands, EveryWrite, ::testing::ValuesIn(Guarded::Commands()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(Guarded, ADifferingWriteFailsTheCommand) {
    read({true, false, false, true});
    bus.faults().next(RequestMatch::kwIndex(1), Fault::alteredIndex());
    CopyResult copy;
    yes([&](Operations& o) { copy = CopyEKey1To4(o); });
    EXPECT_EQ(copy.outcome, ResultCode::Failed);
    ASSERT_EQ(copy.writes.size(), 1u);
    EXPECT_EQ(copy.writes[0].result, WriteCheckResult::Differs);
    // the copy's own box still says it went through
    EXPECT_EQ(view.messageTexts()[1], "Saved. Read=1>1 WRITE=0");
    EXPECT_EQ(view.statuses.back(), "Blok 96 po zápisu neobsahuje, co bylo zapsáno.");
}

TEST_F(Guarded, ABlockThatCannotBeReadBackFailsTheCommandAfterItsSteps) {
    // Input 2's eKey is plugged: the reading reads it, not the internal
    // copy written, so only the read-back can tell. Once the write has
    // begun: the block's own read before it must pass.
    bus.onRequest = [this, armed = false](const sim::Request& r) mutable {
        if (r.command() != "KW" || armed) return;
        armed = true;
        bus.faults().next("KBA0", Fault::noAnswer(), 10);
    };
    CopyResult copy;
    yes([&](Operations& o) { copy = CopyEKeyExtToInt(o, 1); });
    EXPECT_EQ(conv().block(160), conv().block(32)); // it did land
    EXPECT_EQ(copy.outcome, ResultCode::Failed);
    ASSERT_EQ(copy.writes.size(), 1u);
    EXPECT_EQ(copy.writes[0].result, WriteCheckResult::NotReadAgain);
    // after the copy's own box and its reading: the read-back comes last
    EXPECT_EQ(view.calls.back().text,
              "Zápis bloku 160 nelze ověřit: blok se nepodařilo spolehlivě přečíst zpět.");
    EXPECT_EQ(view.criticals.size(), 1u);
    EXPECT_EQ(line.sent().back().text, "$01KBA0\r");
    EXPECT_TRUE(view.timer);
}

TEST_F(Guarded, ACalibrationStoreCatchesAByteStoredElsewhere) {
    // The store builds its image today: byte 51 of the date "261204"
    // (49..54), sent to 50, leaves "1" where "6" was sent.
    bus.faults().next(RequestMatch::kwIndex(51), Fault::alteredIndex());
    EXPECT_EQ(store(Reread).checkResult, WriteCheckResult::Differs);
    // A reading after the store that loses the eKey mask reads the internal
    // copies: the block written is then read on its own, last.
    bus.faults().next(RequestMatch::kwIndex(1), Fault::alteredIndex());
    EXPECT_EQ(store([this](Operations& o) {
                  bus.faults().next("KQ", Fault::noAnswer(), 4);
                  DevRead(o, 1);
              }).checkResult,
              WriteCheckResult::Differs);
    EXPECT_EQ(line.sent().back().text, "$01KB00\r");
    EXPECT_EQ(view.criticals, (std::vector<std::string>{
                                  "Blok 0 po zápisu neobsahuje, co bylo zapsáno: první rozdíl v "
                                  "bajtu 50 (zapsáno 36h, přečteno 31h).",
                                  "Blok 0 po zápisu neobsahuje, co bylo zapsáno: první rozdíl v "
                                  "bajtu 0 (zapsáno 46h, přečteno 53h)."}));
}

} // namespace
} // namespace rm27
