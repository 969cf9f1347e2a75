// r27ctl's maintenance commands: their command lines, and on the
// simulator's virtual time what is r27ctl's own (the operations' rules are
// the maintenance tests'): the answer to the question, where the messages
// go, the exit status, "-" for a kept limit, a load cut short, the list of
// backups.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/ctl_commands.h"
#include "cli/ctl_options.h"
#include "cli/ctl_runner.h"
#include "link/codecs.h"
#include "link/ekey.h"
#include "sim/bus.h"
#include "sim/virtual_line.h"
#include "support/words.h"

namespace rm27 {
namespace {

using test::Words;
constexpr auto npos = std::string::npos;

// The command lines the runs below do not already parse.
TEST(CtlMaintenanceOptions, AcceptedAndRefusedCommandLines) {
    EXPECT_TRUE(ParseCtlArgs(Words("ekey-init --davro")).options.davro);
    EXPECT_EQ(ParseCtlArgs(Words("-y eeprom-load a.eep")).options.eepFile, "a.eep");
    EXPECT_EQ(ParseCtlArgs(Words("rmu-limits 1 - 3,5 -4")).options.rmuLimits,
              (std::vector<std::string>{"1", "-", "3,5", "-4"}));
    for (const char* line :
         {"ekey-copy", "ekey-copy 0", "ekey-copy 5", "ekey-copy 1 2", "ekey-copy 1,5",
          "ekey-copy-1to4 2", "ekey-init --davro=1", "ekey-copy 1 --davro", "eeprom-load",
          "eeprom-save", "eeprom-load a b", "rmu-limits 1 2", "rmu-limits 1 2 3 4 5",
          "ekey-restore", "ekey-restore a b", "backups a.ekey"})
        EXPECT_FALSE(ParseCtlArgs(Words(line)).ok()) << "'" << line << "'";
}

class CtlMaintenance : public ::testing::Test {
protected:
    CtlMaintenance() {
        char pattern[] = "/tmp/rm27-ctl-maintenance-XXXXXX";
        dir = mkdtemp(pattern);
    }
    ~CtlMaintenance() override { std::filesystem::remove_all(dir); }

    sim::Converter& add(std::array<bool, 4> plugged) {
        sim::ConverterSetup setup;
        setup.plugged = plugged;
        return bus.add(setup);
    }
    int run(const std::string& commandLine) {
        const CtlParse p = ParseCtlArgs(Words(commandLine));
        EXPECT_TRUE(p.ok()) << p.error;
        out.str("");
        err.str("");
        runner = std::make_unique<CtlRunner>(line, line, p.options, out, err);
        runner->session().journal() = Journal(path("journal.jsonl"));
        return runner->run();
    }
    std::string path(const std::string& name) const { return dir + "/" + name; }
    bool sent(const std::string& prefix) const {
        for (const auto& f : line.sent()) {
            if (f.text.rfind(prefix, 0) == 0) return true;
        }
        return false;
    }

    sim::Bus bus;
    sim::VirtualLine line{bus};
    std::ostringstream out, err;
    std::unique_ptr<CtlRunner> runner;
    std::string dir;
};

TEST_F(CtlMaintenance, OnlyYesAnswersTheQuestionAndTheExitSaysHowItEnded) {
    sim::Converter& c = add({true, true, false, true});
    c.setBlock(128, std::string(256, '\0'));
    EXPECT_EQ(run("ekey-copy 1"), kExitRefused);
    EXPECT_NE(err.str().find("(No: no terminal to ask; --yes answers Yes)"), npos);
    EXPECT_FALSE(sent("$01KW"));

    EXPECT_EQ(run("ekey-copy 1 --yes"), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "Copied. Read=1 WRITE=0\n");
    EXPECT_EQ(c.block(128), c.block(0));

    EXPECT_EQ(run("ekey-copy 3 --yes"), kExitRefused);
    EXPECT_NE(err.str().find("EKEY (Vstup3) not present\n"), npos);
    EXPECT_EQ(out.str(), "");

    bus.faults().next("KW60", sim::Fault::wrongEcho());
    EXPECT_EQ(run("ekey-copy-1to4 --yes"), kExitNoAnswer);
    EXPECT_NE(err.str().find("Error during writing EKEY@Vstup4 [E:-10001]"), npos);
}

TEST_F(CtlMaintenance, NoConverterIsExitOneBeforeAnything) {
    EXPECT_EQ(run("eeprom-save " + path("x.eep")), kExitNoAnswer);
    EXPECT_FALSE(std::filesystem::exists(path("x.eep")));
    EXPECT_FALSE(sent("$00ER"));
}

TEST_F(CtlMaintenance, RmuLimitsPrintOrStore) {
    sim::ConverterSetup setup;
    setup.plugged = {true, true, false, false};
    setup.variant = sim::Variant::RMU;
    setup.bootMs = 1500; // the read-back waits for the restart to end
    bus.add(setup);
    EXPECT_EQ(run("rmu-limits"), kExitOk) << err.str();
    // a description in Windows-1250 bytes, padded to 32 characters
    EXPECT_NE(out.str().find("\nVstup2> Internal: Force sensor 10 kN – C3           [N     ]  "
                             "      0 \nVstup3> "),
              npos)
        << out.str();
    EXPECT_FALSE(sent("$00X"));

    EXPECT_EQ(run("rmu-limits 3 - - -"), kExitOk) << err.str();
    EXPECT_EQ(run("rmu-limits - 12,5 - -"), kExitOk) << err.str();
    EXPECT_EQ(runner->state().records[0].auxSingle, 3.0f); // "-" kept it
    EXPECT_EQ(out.str().rfind("limits written: 1, failed: 0; the converter restarts\n", 0), 0u);
    EXPECT_NE(out.str().find("[N     ]       13 "), npos) << out.str();

    // A converter that stays silent after its restart is said to be so.
    bus.onRequest = [this](const sim::Request& r) {
        if (r.body == "X") bus.faults().next("@", sim::Fault::noAnswer(), 1000);
    };
    EXPECT_EQ(run("rmu-limits - 7 - -"), kExitNoAnswer);
    EXPECT_NE(err.str().find("Převodník se do 5 s po restartu neozval: zapsané bloky (32) nelze "
                             "ověřit zpětným čtením."),
              npos)
        << err.str();
    EXPECT_EQ(err.str().find("blok se nepodařilo"), npos) << err.str();
}

TEST_F(CtlMaintenance, EveryWriteSaysItsJournalEntryAndWhetherItHolds) {
    add({true, true, false, true});
    const std::string before = bus.converter(0).block(96);
    EXPECT_EQ(run("ekey-copy-1to4 --yes"), kExitOk) << err.str();
    // the question and the answer given, then one line per fact
    EXPECT_NE(err.str().find(" (r27ctl undo). (--yes: Yes)\nblock 96: journal entry 1\n"
                             "block 96: read back as written\n"),
              npos)
        << err.str();
    EXPECT_EQ(run("ekey-copy 2 --yes"), kExitOk) << err.str();
    EXPECT_NE(err.str().find("block 160: journal entry 2\nblock 160: read back as written\n"
                             "block 129: the input's internal copy as the reading finds it holds "
                             "the copy too\n"),
              npos)
        << err.str();

    // A backup file from before the journal: input 4's image before the copy.
    BackupEntry old;
    old.deviceId = "0123RM2712";
    old.address = 1;
    old.block = 96;
    old.image = before;
    const std::string file = FolderBackupStore(path("backups")).save(old, nullptr);
    bus.faults().next(sim::RequestMatch::kwIndex(1), sim::Fault::alteredIndex());
    EXPECT_EQ(run("ekey-restore " + file + " --yes"), kExitNoAnswer);
    EXPECT_NE(err.str().find("block 96: read back DIFFERENT from what was written\n"), npos)
        << err.str();
    EXPECT_EQ(run("ekey-restore " + file + " --yes"), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "Blok 96 obnoven ze zálohy a ověřen čtením.\n");
    EXPECT_EQ(bus.converter(0).block(96), before);
}

TEST_F(CtlMaintenance, AnInputsBlockToABinFileAndBack) {
    sim::Converter& c = add({true, true, false, true});
    const std::string before = c.block(96);
    EXPECT_EQ(run("ekey-save-bin 4 " + path("in4.bin")), kExitOk) << err.str();
    c.setBlock(96, std::string(256, 'x'));
    EXPECT_EQ(run("ekey-restore-bin 4 " + path("in4.bin") + " --yes"), kExitOk) << err.str();
    EXPECT_EQ(c.block(96), before);
    EXPECT_NE(err.str().find("block 96: journal entry 1\nblock 96: read back as written\n"), npos)
        << err.str();
}

// A load cut at its 8th "EW", by the line going or by Ctrl-C (which lets the
// frame in flight finish, and nothing after it go out), says what it left
// and exits 1; undo puts the old bytes back.
class CtlLoadCut : public CtlMaintenance, public ::testing::WithParamInterface<bool> {};

TEST_P(CtlLoadCut, SaysWhatItLeftAndUndoPutsTheOldBytesBack) {
    const bool signalled = GetParam();
    sim::Converter& c = add({true, false, false, false});
    std::string text;
    for (int cell = 0x90; cell < 0xA0; ++cell)
        text += LongToHex(cell, 2) + " " + LongToHex(cell ^ 0x5A, 2) + "\r\n";
    const std::string file = path("sixteen.eep");
    std::ofstream(file, std::ios::binary) << text;
    const auto cells = [&c] {
        std::string held;
        for (int cell = 0x90; cell < 0xA0; ++cell)
            held += static_cast<char>(c.memory(cell));
        return held;
    };
    const std::string old = cells();
    int writes = 0;
    bus.onRequest = [&](const sim::Request& r) {
        if (r.command() != "EW" || ++writes != 8) return;
        if (signalled)
            runner->interrupt();
        else
            runner->lineLost("Unknown error");
    };
    EXPECT_EQ(run("eeprom-load " + file + " --yes"), kExitNoAnswer);
    bus.onRequest = nullptr;
    const std::string said = err.str();
    EXPECT_EQ(said.find("Komunikační port byl uzavřen: Unknown error\n") != npos, !signalled);
    EXPECT_NE(said.find("Adresy paměti 90h–9Fh teď mohou obsahovat směs starých a nových "
                        "bajtů: zápis byl přerušen.\nZápis je v deníku zápisů pod číslem 1"),
              npos)
        << said;
    EXPECT_NE(said.find("r27ctl undo 1\n"), npos) << said;
    EXPECT_NE(c.memory(0x97), static_cast<std::uint8_t>(old[7]));
    EXPECT_EQ(run("undo 1 --yes"), kExitOk) << err.str();
    EXPECT_EQ(cells(), old);
}
INSTANTIATE_TEST_SUITE_P(LineLostOrSignal, CtlLoadCut, ::testing::Bool());

TEST_F(CtlMaintenance, BackupsAreListedNewestFirstWithoutAConverter) {
    FolderBackupStore store(path("backups"));
    const auto list = [&](const char* command) {
        out.str("");
        err.str("");
        return RunOfflineMaintenanceCommand(ParseCtlArgs(Words(command)).options, store,
                                            store.folder(), out, err);
    };
    EXPECT_EQ(list("backups"), kExitOk);
    EXPECT_EQ(out.str() + err.str(),
              "r27ctl: ve složce " + store.folder() + " nejsou žádné zálohy\n");
    BackupEntry e;
    e.deviceId = "0123RM2712";
    e.address = 7;
    e.image = std::string(256, 'x');
    e.sensorId = "AC04/B A";
    e.time = {2026, 12, 4, 0, 0, 19};
    const std::string older = store.save(e, nullptr);
    e.block = 129;
    e.sensorId = "";
    e.time = {2026, 12, 5, 8, 1, 2};
    const std::string newer = store.save(e, nullptr);
    EXPECT_EQ(list("backups"), kExitOk);
    EXPECT_EQ(out.str(), "2026-12-05T08:01:02  0123RM2712    7  block 129  -         " + newer +
                             "\n2026-12-04T00:00:19  0123RM2712    7  block   0  AC04/B A  " +
                             older + "\n");
    EXPECT_FALSE(list("read"));
}

} // namespace
} // namespace rm27
