// r27ctl's maintenance commands: their command lines, and on the
// simulator's virtual time what the end-to-end tests leave out: the
// answer to the question, where the messages go, "-" for a kept limit.
// The EEPROM files and the refusals run end to end.
#include <gtest/gtest.h>

#include <algorithm>
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

namespace fs = std::filesystem;

using test::Words;

TEST(CtlMaintenanceOptions, AcceptedAndRefusedCommandLines) {
    const CtlParse copy = ParseCtlArgs(Words("ekey-copy 3 --yes"));
    ASSERT_TRUE(copy.ok()) << copy.error;
    EXPECT_EQ(copy.options.command, "ekey-copy");
    EXPECT_EQ(copy.options.ekeyInput, 3);
    EXPECT_TRUE(copy.options.yes);
    EXPECT_TRUE(ParseCtlArgs(Words("ekey-init --davro")).options.davro);
    EXPECT_EQ(ParseCtlArgs(Words("-y eeprom-load a.eep")).options.eepFile, "a.eep");
    EXPECT_EQ(ParseCtlArgs(Words("eeprom-save b.eep")).options.command, "eeprom-save");
    EXPECT_TRUE(ParseCtlArgs(Words("rmu-limits")).options.rmuLimits.empty());
    EXPECT_EQ(ParseCtlArgs(Words("rmu-limits 1 - 3,5 -4")).options.rmuLimits,
              (std::vector<std::string>{"1", "-", "3,5", "-4"}));
    EXPECT_TRUE(ParseCtlArgs(Words("ekey-copy-1to4 -y")).ok());
    const CtlParse restore = ParseCtlArgs(Words("ekey-restore old.ekey --yes"));
    ASSERT_TRUE(restore.ok()) << restore.error;
    EXPECT_EQ(restore.options.backupFile, "old.ekey");
    EXPECT_EQ(ParseCtlArgs(Words("backups")).options.command, "backups");

    for (const char* line :
         {"ekey-copy", "ekey-copy 0", "ekey-copy 5", "ekey-copy 1 2", "ekey-copy 1,5",
          "ekey-copy-1to4 2", "ekey-init --davro=1", "ekey-copy 1 --davro", "eeprom-load",
          "eeprom-save", "eeprom-load a b", "rmu-limits 1 2", "rmu-limits 1 2 3 4 5",
          "ekey-restore", "ekey-restore a b", "backups a.ekey"}) {
        EXPECT_FALSE(ParseCtlArgs(Words(line)).ok()) << "'" << line << "'";
    }
}

class CtlMaintenance : public ::testing::Test {
protected:
    CtlMaintenance() {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_'); // a parameterised test's
        dir = fs::temp_directory_path() / ("rm27_ctl_" + name);
        fs::create_directories(dir);
    }
    ~CtlMaintenance() override { fs::remove_all(dir); }

    sim::Converter& add(std::array<bool, 4> plugged, sim::Variant variant = sim::Variant::RM27) {
        sim::ConverterSetup setup;
        setup.plugged = plugged;
        setup.variant = variant;
        return bus.add(setup);
    }
    int run(const std::string& commandLine) {
        const CtlParse p = ParseCtlArgs(Words(commandLine));
        EXPECT_TRUE(p.ok()) << p.error;
        out.str("");
        err.str("");
        runner = std::make_unique<CtlRunner>(line, line, p.options, out, err);
        runner->ops().backups = backups.get();
        runner->session().journal() = Journal(path("journal.jsonl"));
        return runner->run();
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
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
    fs::path dir;
    std::unique_ptr<FolderBackupStore> backups;
};

TEST_F(CtlMaintenance, EKeyCopiesAnswerTheQuestionWithYesOnly) {
    sim::Converter& c = add({true, true, false, true});
    c.setBlock(128, std::string(256, '\0'));
    EXPECT_EQ(run("ekey-copy 1"), kExitRefused);
    EXPECT_NE(err.str().find("(No: no terminal to ask; --yes answers Yes)"), std::string::npos);
    EXPECT_FALSE(sent("$01KW"));

    EXPECT_EQ(run("ekey-copy 1 --yes"), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "Copied. Read=1 WRITE=0\n");
    EXPECT_EQ(c.block(128), c.block(0));

    EXPECT_EQ(run("ekey-copy 3 --yes"), kExitRefused);
    EXPECT_NE(err.str().find("EKEY (Vstup3) not present\n"), std::string::npos);
    EXPECT_EQ(out.str(), "");

    const std::string id4 = c.block(96).substr(61, 8);
    EXPECT_EQ(run("ekey-copy-1to4 --yes"), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "Saved. Read=1>1 WRITE=0\n");
    EXPECT_EQ(c.block(96).substr(61, 8), id4);

    bus.faults().next("KW60", sim::Fault::wrongEcho());
    EXPECT_EQ(run("ekey-copy-1to4 --yes"), kExitNoAnswer);
    EXPECT_NE(err.str().find("Error during writing EKEY@Vstup4 [E:-10001]"), std::string::npos);

    // A garbled "KQ": the mask cannot be relied on, which is said; the line
    // failed, not a check.
    bus.faults().next("KQ", sim::Fault::nonHex(0, 'Z'));
    EXPECT_EQ(run("ekey-copy 1 --yes"), kExitNoAnswer);
    EXPECT_NE(err.str().find("maska eKey je nejistá: "), std::string::npos) << err.str();
    EXPECT_EQ(err.str().find("not present"), std::string::npos) << err.str();
}

TEST_F(CtlMaintenance, InitPrintsTheReportInLines) {
    sim::Converter& c = add({false, true, false, false});
    EXPECT_EQ(run("ekey-init --davro --yes"), kExitOk) << err.str();
    const std::string report = out.str();
    EXPECT_EQ(report.find('\r'), std::string::npos);
    EXPECT_EQ(report.rfind("Vysledek : \n1 - neni eKey\n2 - ID [ ", 0), 0u) << report;
    EXPECT_NE(report.find("2 ]\n3 - neni eKey\n4 - neni eKey\n"), std::string::npos) << report;
    EXPECT_EQ(c.block(32).substr(41, 3), "mVV");
    EXPECT_EQ(runner->view().clipboard().substr(0, 15), "1 - neni eKey\r\n");

    c.setPlugged(1, false);
    EXPECT_EQ(run("ekey-init --yes"), kExitRefused); // nothing to initialise
}

TEST_F(CtlMaintenance, RmuLimitsPrintOrStore) {
    sim::ConverterSetup setup;
    setup.plugged = {true, true, false, false};
    setup.variant = sim::Variant::RMU;
    setup.bootMs = 1500; // the read-back waits for the restart to end
    sim::Converter& c = bus.add(setup);
    EXPECT_EQ(run("rmu-limits"), kExitOk) << err.str();
    std::istringstream rows(out.str());
    std::vector<std::string> lines;
    for (std::string l; std::getline(rows, l);)
        lines.push_back(l);
    ASSERT_EQ(lines.size(), 4u);
    // a description in Windows-1250 bytes, padded to 32 characters
    EXPECT_EQ(lines[1], "Vstup2> Internal: Force sensor 10 kN – C3           [N     ]        0 ");
    EXPECT_FALSE(sent("$00X"));

    EXPECT_EQ(run("rmu-limits 3 - - -"), kExitOk) << err.str();
    EXPECT_EQ(run("rmu-limits - 12,5 - -"), kExitOk) << err.str();
    EXPECT_EQ(runner->state().records[0].auxSingle, 3.0f); // "-" kept it
    EXPECT_EQ(out.str().substr(0, 53), "limits written: 1, failed: 0; the converter restarts\n");
    EXPECT_NE(out.str().find("[N     ]       13 "), std::string::npos) << out.str();
    SensorRecord rec;
    ASSERT_EQ(DecodeEKeyImage(c.block(32), rec, 1, 0, 0), ResultCode::Ok);
    EXPECT_EQ(rec.auxSingle, 12.5f);
    EXPECT_EQ(c.block(32).substr(8, 24), "Force sensor 10 kN \x96 C3 "); // its bytes kept
    EXPECT_TRUE(sent("$00X\r"));

    // A converter that stays silent after its restart is said to be so.
    bus.onRequest = [this](const sim::Request& r) {
        if (r.body == "X") bus.faults().next("@", sim::Fault::noAnswer(), 1000);
    };
    EXPECT_EQ(run("rmu-limits - 7 - -"), kExitNoAnswer);
    EXPECT_NE(err.str().find("Převodník se do 5 s po restartu neozval: zapsané bloky (32) nelze "
                             "ověřit zpětným čtením."),
              std::string::npos)
        << err.str();
    EXPECT_EQ(err.str().find("blok se nepodařilo"), std::string::npos) << err.str();
}

TEST_F(CtlMaintenance, NoConverterIsExitOneBeforeAnything) {
    EXPECT_EQ(run("eeprom-save " + path("x.eep")), kExitNoAnswer);
    EXPECT_FALSE(fs::exists(dir / "x.eep"));
    EXPECT_FALSE(sent("$00ER"));
}

TEST_F(CtlMaintenance, EveryWriteSaysItsJournalEntryAndWhetherItHolds) {
    add({true, true, false, true});
    const std::string before = bus.converter(0).block(96);
    EXPECT_EQ(run("ekey-copy-1to4 --yes"), kExitOk) << err.str();
    EXPECT_EQ(err.str(), "Tato funkce zkopíruje binarní obraz ekey (256B) ve vstupu 1 do ekeye na "
                         "vstupu 4. Chcete pokračovat ?\n\n"
                         "Přepíše se eKey na vstupu 4 (snímač SIMKEY04 „Force sensor 50 N“) obrazem "
                         "eKey na vstupu 1 (snímač SIMKEY01 „Load cell 500 kg“).\n"
                         "Dosavadní obsah se před zápisem uloží do deníku zápisů; zápis lze vrátit "
                         "příkazem „Vrátit poslední zápis …“ (r27ctl undo). (--yes: Yes)\n"
                         "block 96: journal entry 1\n"
                         "block 96: read back as written\n");
    // and, as in the window, ends in a reading of the converter
    const auto readings =
        std::count_if(line.sent().begin(), line.sent().end(), [](const auto& f) {
            return f.text.size() == 5 && f.text.compare(3, 2, "@\r") == 0;
        });
    EXPECT_EQ(readings, 2);
    EXPECT_EQ(run("ekey-copy 2 --yes"), kExitOk) << err.str();
    EXPECT_NE(err.str().find("block 160: journal entry 2\nblock 160: read back as written\n"
                             "block 129: the input's internal copy as the reading finds it holds "
                             "the copy too\n"),
              std::string::npos)
        << err.str();

    // A backup file from before the journal: input 4's image before the copy.
    backups = std::make_unique<FolderBackupStore>(path("backups"));
    BackupEntry old;
    old.deviceId = "0123RM2712";
    old.address = 1;
    old.block = 96;
    old.image = before;
    const std::string file = backups->save(old, nullptr);
    ASSERT_FALSE(file.empty());
    const std::vector<BackupEntry> kept = backups->list();

    // back to input 4's image from before the copy
    bus.faults().next(sim::RequestMatch::kwIndex(1), sim::Fault::alteredIndex());
    EXPECT_EQ(run("ekey-restore " + kept[0].path + " --yes"), kExitNoAnswer);
    EXPECT_NE(err.str().find("block 96: read back DIFFERENT from what was written\n"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(run("ekey-restore " + kept[0].path + " --yes"), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "Blok 96 obnoven ze zálohy a ověřen čtením.\n");
    EXPECT_EQ(bus.converter(0).block(96), kept[0].image);
    EXPECT_EQ(run("ekey-restore " + kept[0].path), kExitRefused); // not answered Yes
    EXPECT_EQ(run("ekey-restore " + path("none.ekey") + " --yes"), kExitRefused);
}

TEST_F(CtlMaintenance, AnInputsBlockToABinFileAndBack) {
    sim::Converter& c = add({true, true, false, true});
    const std::string before = c.block(96);
    EXPECT_EQ(run("ekey-save-bin 4 " + path("in4.bin")), kExitOk) << err.str();
    std::ifstream in(path("in4.bin"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), before);
    std::string changed = before;
    changed[100] = static_cast<char>(changed[100] ^ 0x55);
    c.setBlock(96, changed);
    EXPECT_EQ(run("ekey-restore-bin 4 " + path("in4.bin") + " --yes"), kExitOk) << err.str();
    EXPECT_EQ(c.block(96), before);
    EXPECT_NE(err.str().find("block 96: journal entry 1\nblock 96: read back as written\n"),
              std::string::npos)
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
    std::string old;
    for (int cell = 0x90; cell < 0xA0; ++cell) {
        text += LongToHex(cell, 2) + " " + LongToHex(cell ^ 0x5A, 2) + "\r\n";
        old += static_cast<char>(c.memory(cell));
    }
    const std::string file = path("sixteen.eep");
    std::ofstream(file, std::ios::binary) << text;
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
    EXPECT_EQ(writes, 8);
    const std::string said = err.str();
    EXPECT_EQ(said.find("Komunikační port byl uzavřen: Unknown error\n") != std::string::npos,
              !signalled);
    EXPECT_NE(said.find("Adresy paměti 90h–9Fh teď mohou obsahovat směs starých a nových "
                        "bajtů: zápis byl přerušen.\nZápis je v deníku zápisů pod číslem 1"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("r27ctl undo 1\n"), std::string::npos) << said;
    EXPECT_NE(c.memory(0x97), static_cast<std::uint8_t>(old[7]));

    EXPECT_EQ(run("undo 1 --yes"), kExitOk) << err.str();
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(c.memory(0x90 + k), static_cast<std::uint8_t>(old[static_cast<std::size_t>(k)]))
            << k;
}
INSTANTIATE_TEST_SUITE_P(LineLostOrSignal, CtlLoadCut, ::testing::Bool());

TEST_F(CtlMaintenance, BackupsAreListedNewestFirstWithoutAConverter) {
    FolderBackupStore store(path("backups"));
    std::ostringstream listed, said;
    EXPECT_EQ(RunOfflineMaintenanceCommand(ParseCtlArgs(Words("backups")).options, store,
                                           store.folder(), listed, said),
              kExitOk);
    EXPECT_EQ(listed.str(), "");
    EXPECT_EQ(said.str(), "r27ctl: ve složce " + store.folder() + " nejsou žádné zálohy\n");

    BackupEntry e;
    e.deviceId = "0123RM2712";
    e.address = 7;
    e.image = std::string(256, 'x');
    std::string error;
    e.block = 0;
    e.sensorId = "AC04/B A";
    e.time = {2026, 12, 4, 0, 0, 19};
    const std::string older = store.save(e, &error);
    e.block = 129;
    e.sensorId = "";
    e.time = {2026, 12, 5, 8, 1, 2};
    const std::string newer = store.save(e, &error);
    EXPECT_EQ(RunOfflineMaintenanceCommand(ParseCtlArgs(Words("backups")).options, store,
                                           store.folder(), listed, said),
              kExitOk);
    EXPECT_EQ(listed.str(), "2026-12-05T08:01:02  0123RM2712    7  block 129  -         " + newer +
                                "\n"
                                "2026-12-04T00:00:19  0123RM2712    7  block   0  AC04/B A  " +
                                older + "\n");
    EXPECT_FALSE(RunOfflineMaintenanceCommand(ParseCtlArgs(Words("read")).options, store,
                                              store.folder(), listed, said));
}

} // namespace
} // namespace rm27
