// EEPROM image files: the .eep text, the load (checked before the first
// frame, two 100 ms waits per line, a summary of the echoes) and the save,
// on virtual time.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "link/codecs.h"
#include "maintenance/eeprom.h"
#include "reading/operations.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

namespace fs = std::filesystem;
using sim::Fault;

// n value lines, every location in turn.
std::string Lines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i)
        text += LongToHex(i % 256, 2) + " 00\r\n";
    return text;
}

TEST(EepText, LinesAndWhatIsRefused) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<EepromByte> bytes;
        int badLine;
    };
    const Case cases[] = {
        {"two lines", "00 3F\r\nA1 ff\r\n", {{0x00, 0x3F}, {0xA1, 0xFF}}, 0},
        {"comment after column 5", "10 20 ; comment", {{0x10, 0x20}}, 0},
        {"any separator", "10-20\r\n11\t21", {{0x10, 0x20}, {0x11, 0x21}}, 0},
        {"CR, LF, blanks", "\r\n  \t\r05 06\r\r\n\n07 08\n", {{5, 6}, {7, 8}}, 0},
        {"order and repeats kept", "05 01\r\n05 02\r\n", {{5, 1}, {5, 2}}, 0},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "00 01\r\n",
         {{0, 1}},
         0},
        {"empty", "", {}, 0},
        {"short line", "00 3F\r\n\r\n1 2\r\n", {}, 3},
        {"no separator", "003F\r\n", {}, 1},
        {"not hex", "00 3F\r\n0G 12\r\n", {}, 2},
        {"colon reads as a digit elsewhere", "00 3F\r\n:0 12\r\n", {}, 2},
        {"blank in a number", "0 12\r\n", {}, 1},
        {"bad last line without end", "00 3F\r\nxyz", {}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const EepParse p = ParseEep(c.text);
        EXPECT_EQ(p.bytes, c.bytes);
        EXPECT_EQ(p.badLine, c.badLine);
    }
    EXPECT_EQ(ParseEep("00 3F\r\n0G 12 ; x\r\n").badText, "0G 12 ; x");
    // A location may repeat, four times over on average, not more.
    EXPECT_EQ(ParseEep(Lines(kMaxEepLines)).bytes.size(), 1024u);
    EXPECT_TRUE(ParseEep(Lines(kMaxEepLines + 1)).tooManyLines);
    EXPECT_TRUE(ParseEep(Lines(kMaxEepLines + 1)).bytes.empty());
    EXPECT_EQ(FormatEep({{0x0A, 0xB}, {0xFF, 0}}), "0A 0B\r\nFF 00\r\n");
}

class Eeprom : public test::SimRig {
protected:
    Eeprom() {
        addConverter(1);
        dir = fs::temp_directory_path() /
              ("rm27_eeprom_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        session.dialogs().eeprom.title = "Výběr souboru s obsahem pro eeprom";
        session.dialogs().eeprom.filter = "Soubory  (*.eep)|*.eep|Všechny |*.*";
        session.dialogs().eeprom.defaultExt = ".eep";
    }
    ~Eeprom() override { fs::remove_all(dir); }

    std::string file(const std::string& name, const std::string& text) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    void read() {
        ASSERT_TRUE(DevRead(ops, 1));
        firstFrame = line.sent().size();
    }
    Result load(std::vector<MessageAnswer> answers, std::vector<std::string> files) {
        view.answers.assign(answers.begin(), answers.end());
        view.fileAnswers.assign(files.begin(), files.end());
        Result o = ResultCode::Ok;
        session.run([&](Operations& x) { o = LoadEeprom(x); });
        return o;
    }
    Result save(std::vector<std::string> files) {
        view.fileAnswers.assign(files.begin(), files.end());
        Result o = ResultCode::Ok;
        session.run([&](Operations& x) { o = SaveEeprom(x); });
        return o;
    }
    std::vector<std::string> framesSince() const {
        std::vector<std::string> out;
        for (std::size_t i = firstFrame; i < line.sent().size(); ++i)
            out.push_back(line.sent()[i].text);
        return out;
    }
    std::string memory() const {
        std::string m;
        for (int i = 0; i < 256; ++i)
            m += static_cast<char>(bus.converter(0).memory(i));
        return m;
    }

    fs::path dir;
    std::size_t firstFrame = 0;
};

TEST_F(Eeprom, TwoLinesTwoFramesTwoHundredMillisecondsEach) {
    read();
    const std::string path = file("two.eep", "00 3F\r\nA1 ff\r\n");
    const auto start = line.nowMs();
    bool stoppedAtWarning = false;
    std::size_t framesAtSummary = 0;
    view.whileOpen = [&] {
        if (view.calls.back().icon == MessageIcon::Exclamation)
            stoppedAtWarning = !view.timer && line.nowMs() - start >= 500;
        if (view.calls.back().icon == MessageIcon::Information)
            framesAtSummary = line.sent().size() - firstFrame;
    };
    view.timer = true;
    EXPECT_EQ(load({MessageAnswer::Yes}, {path}), ResultCode::Ok);
    EXPECT_TRUE(stoppedAtWarning);

    const auto sent = framesSince();
    // the lines, then (once the measurement has started and stopped again)
    // the read-back of what they wrote
    ASSERT_EQ(sent,
              (std::vector<std::string>{"$01EW003F\r", "$01EWA1FF\r", "$01ER00\r", "$01ERA1\r"}));
    EXPECT_EQ(timeOfFrame("$01EWA1FF\r") - timeOfFrame("$01EW003F\r"), 200);
    EXPECT_GE(line.sent()[firstFrame + 2].timeMs - line.sent()[firstFrame + 1].timeMs, 200 + 500);
    EXPECT_EQ(conv().memory(0xA1), 0xFF);

    const test::PromptCall& warning = view.calls[0];
    EXPECT_EQ(warning.text,
              "Tato funkce slouží k blokovému přepsání paměti eeprom převodníku hodnotami z "
              "datového souboru. Používá se zejména při výrobě nebo řešení abnormálních stavů. "
              "Zavedením standardního obsahu se mimo jiné ruší dosavadní kalibrace.\r\n\r\n"
              "    Chcete přesto pokračovat v akci?");
    EXPECT_EQ(warning.icon, MessageIcon::Exclamation);
    EXPECT_EQ(warning.buttons, MessageButtons::YesNo);
    EXPECT_EQ(warning.defaultButton, MessageAnswer::No);
    EXPECT_EQ(view.calls[1].kind, test::PromptCall::Open);
    EXPECT_EQ(view.calls[1].dialog.title, "Výběr souboru s obsahem pro eeprom");
    EXPECT_EQ(view.calls[1].dialog.filter, "Soubory  (*.eep)|*.eep|Všechny |*.*");

    EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(), "Zápis EEPROM 1/2 ... 50%"),
              view.statuses.end());
    EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(), "Zápis EEPROM 2/2 ... 100%"),
              view.statuses.end());
    EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(), "Ověření EEPROM 2/2 ... 100%"),
              view.statuses.end());
    EXPECT_EQ(view.statuses.back(),
              "Zpětným čtením ověřeno: převodník drží všechny zapsané bajty.");
    // The load's summary ends the load, before the read-back's first frame;
    // a read-back that confirms adds no box.
    ASSERT_EQ(view.calls.size(), 3u);
    EXPECT_EQ(framesAtSummary, 2u);
    EXPECT_EQ(view.calls.back().icon, MessageIcon::Information);
    EXPECT_EQ(view.calls.back().text, "Zápis EEPROM ze souboru " + path +
                                          " skončil. Zapsáno bajtů: 2, z toho s odlišnou "
                                          "odpovědí převodníku: 0.\r\nNový obsah platí po "
                                          "restartu převodníku.");
    EXPECT_TRUE(view.timer);
}

TEST_F(Eeprom, WhatSendsNothingButStillRestartsTheMeasurement) {
    struct Case {
        const char* name;
        std::vector<MessageAnswer> answers;
        std::vector<std::string> files;
        const char* message; // a critical box containing this, or none
    };
    read();
    const std::string good = file("good.eep", "00 3F\r\n");
    const std::string fifo = (dir / "fifo.eep").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const Case cases[] = {
        {"No", {MessageAnswer::No}, {good}, nullptr},
        {"the default button", {}, {good}, nullptr},
        {"dialog cancelled", {MessageAnswer::Yes}, {}, nullptr},
        {"empty name", {MessageAnswer::Yes}, {""}, nullptr},
        {"bad line at the end",
         {MessageAnswer::Yes},
         {file("bad.eep", "00 3F\r\n01 40\r\n\r\n02 4\r\n")},
         "Řádek 4 souboru "},
        {"quoted bad line", {MessageAnswer::Yes}, {file("bad2.eep", "zz 12 x\r\n")}, "\"zz 12 x\""},
        {"missing file", {MessageAnswer::Yes}, {(dir / "none.eep").string()}, "nelze přečíst"},
        {"no data", {MessageAnswer::Yes}, {file("blank.eep", "\r\n \r\n")}, "žádný řádek"},
        // No file is read for longer than a moment, nor a load run for hours.
        {"a folder", {MessageAnswer::Yes}, {dir.string()}, "(je to složka, ne soubor)"},
        {"a FIFO nobody writes", {MessageAnswer::Yes}, {fifo}, "(je to pojmenovaná roura"},
        {"a device without end",
         {MessageAnswer::Yes},
         {"/dev/zero"},
         "(je to zařízení, ne soubor)"},
        {"over 64 KiB",
         {MessageAnswer::Yes},
         {file("big.eep", "00 01\r\n" + std::string(64 * 1024, ' '))},
         "(soubor je větší než 64 KiB)"},
        {"1,025 value lines",
         {MessageAnswer::Yes},
         {file("long.eep", Lines(1025))},
         "víc než 1024"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.criticals.clear();
        view.timer = true;
        const auto before = line.sent().size();
        const auto start = line.nowMs();
        EXPECT_EQ(load(c.answers, c.files), ResultCode::Refused);
        EXPECT_EQ(line.sent().size(), before);
        EXPECT_GE(line.nowMs() - start, 500); // stopped...
        EXPECT_TRUE(view.timer);              // ...and started again
        if (c.message == nullptr) {
            EXPECT_TRUE(view.criticals.empty());
        } else {
            EXPECT_EQ(view.criticals.size(), 1u);
            const std::string said = view.criticals.empty() ? "" : view.criticals[0];
            EXPECT_NE(said.find(c.message), std::string::npos) << said;
            EXPECT_NE(said.find("Do EEPROM nebylo nic zapsáno."), std::string::npos);
        }
    }
}

TEST_F(Eeprom, AClosedPortOrACancelledSaveSendsNothing) {
    read();
    line.setOpen(false);
    EXPECT_EQ(load({MessageAnswer::Yes}, {file("a.eep", "00 01\r\n")}), ResultCode::Refused);
    ASSERT_EQ(view.calls.size(), 1u); // said before any question
    EXPECT_EQ(view.calls[0].icon, MessageIcon::Critical);
    EXPECT_EQ(save({(dir / "s.eep").string()}), ResultCode::Refused);
    EXPECT_EQ(view.calls.size(), 2u);
    EXPECT_EQ(line.sent().size(), firstFrame);

    line.setOpen(true);
    view.timer = true;
    view.captionLog.clear();
    const auto now = line.nowMs();
    EXPECT_EQ(save({}), ResultCode::Refused);
    EXPECT_EQ(line.sent().size(), firstFrame);
    EXPECT_EQ(line.nowMs(), now);
    EXPECT_TRUE(view.timer);
    EXPECT_TRUE(view.captionLog.empty());
}

TEST_F(Eeprom, DifferingEchoesAreCountedAndTheFirstIsNamed) {
    read();
    bus.faults().next("EW11", Fault::wrongEcho(0x3E));
    bus.faults().next("EW12", Fault::noAnswer());
    const std::string path = file("three.eep", "10 01\r\n11 3F\r\n12 02\r\n");
    EXPECT_EQ(load({MessageAnswer::Yes}, {path}), ResultCode::Failed);
    // The echo stops nothing. The read-back asks again when an answer may be
    // another's (the lost echo of 12h may still come), and stops at the
    // first cell that does not hold what was written.
    // Before the first "EW", the cells the file writes are read for the
    // journal: the reading does not know them.
    EXPECT_EQ(framesSince(), (std::vector<std::string>{"$01ER10\r", "$01ER11\r", "$01ER12\r",
                                                       "$01EW1001\r", "$01EW113F\r", "$01EW1202\r",
                                                       "$01ER10\r", "$01ER10\r", "$01ER11\r"}));
    // The summary of the echoes first, then the read-back's own box.
    ASSERT_GE(view.calls.size(), 2u);
    const test::PromptCall& summary = view.calls[view.calls.size() - 2];
    EXPECT_EQ(summary.icon, MessageIcon::Exclamation);
    EXPECT_NE(summary.text.find("Zapsáno bajtů: 3, z toho s odlišnou odpovědí převodníku: 2 "
                                "(první na adrese 11h: zapsáno 3F, odpověď 3E).\r\nNový obsah"),
              std::string::npos)
        << summary.text;
    EXPECT_EQ(view.calls.back().icon, MessageIcon::Critical);
    EXPECT_EQ(view.calls.back().text,
              "Zápis do paměti převodníku se nepodařil: na adrese 11h je 3Eh, zapsáno bylo 3Fh.");
}

TEST_F(Eeprom, TheReadBackDecidesNotTheEchoes) {
    read();
    // A lost echo hides a byte that landed; a location hit on its way in
    // stores the byte elsewhere behind a right echo.
    const std::string path = file("four.eep", "20 01\r\n21 02\r\n22 03\r\n23 04\r\n");
    bus.faults().next("EW21", Fault::noAnswer());
    EXPECT_EQ(load({MessageAnswer::Yes}, {path}), ResultCode::Ok);
    EXPECT_EQ(view.calls.back().icon, MessageIcon::Exclamation); // the summary, nothing after
    EXPECT_NE(view.calls.back().text.find("odpovědí převodníku: 1 "), std::string::npos);

    for (int cell = 0x20; cell <= 0x23; ++cell)
        conv().setMemory(cell, 0);
    bus.faults().next("EW22", Fault::alteredIndex());
    EXPECT_EQ(load({MessageAnswer::Yes}, {path}), ResultCode::Failed);
    EXPECT_EQ(conv().memory(0x23), 0x04); // the 03 went to 23h and was overwritten
    EXPECT_NE(view.calls.back().text.find("nepodařil: na adrese 22h je 00h, zapsáno bylo 03h."),
              std::string::npos)
        << view.calls.back().text;

    // A read-back answer that is not hex proves nothing either way, also
    // when it comes so every time it is asked.
    bus.faults().next("ER20", Fault::nonHex(0, '#'), kCellAsks);
    EXPECT_EQ(load({MessageAnswer::Yes}, {path}), ResultCode::Failed);
    EXPECT_NE(view.calls.back().text.find("nelze ověřit: adresu 20h"), std::string::npos);
}

TEST_F(Eeprom, ASaveLeavesOutWhatTheConverterMayNotHaveSaid) {
    read();
    conv().setMemory(0x40, 0x12);
    // "1?" would read as 0x18, however often it is asked
    bus.faults().next("ER40", Fault::nonHex(1, '?'), kCellAsks);
    const std::string path = (dir / "doubt.eep").string();
    EXPECT_EQ(save({path}), ResultCode::Failed);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, kEepFile, text).empty());
    const EepParse p = ParseEep(text);
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.bytes.size(), 255u);
    EXPECT_EQ(p.bytes[0x40].location, 0x41);
    EXPECT_NE(view.calls.back().text.find("Adresy s nejistou odpovědí převodníku: 1 (první 40h)"),
              std::string::npos)
        << view.calls.back().text;
}

TEST_F(Eeprom, SaveWritesEveryLocationTheLoadTakesBack) {
    read();
    for (int i = 0; i < 256; ++i)
        conv().setMemory(i, static_cast<std::uint8_t>((i * 7 + 3) & 0xFF));
    conv().setMemory(0, 1); // keep answering at address 1
    const std::string original = memory();
    const std::string path = (dir / "kept.eep").string();
    bool liveAtDialog = false;
    view.whileOpen = [&] {
        if (view.calls.back().kind == test::PromptCall::Save)
            liveAtDialog = guard.tickAllowed() && view.timer;
    };
    view.timer = true;
    EXPECT_EQ(save({path}), ResultCode::Ok);
    EXPECT_TRUE(liveAtDialog);
    ASSERT_EQ(view.calls[0].kind, test::PromptCall::Save);

    const auto sent = framesSince();
    ASSERT_EQ(sent.size(), 256u);
    EXPECT_EQ(sent.front(), "$01ER00\r");
    EXPECT_EQ(sent.back(), "$01ERFF\r");
    EXPECT_EQ(view.statuses.back(), "Čtení EEPROM 256/256 ... 100%");
    EXPECT_EQ(view.calls.back().icon, MessageIcon::Information);
    EXPECT_TRUE(view.timer);
    EXPECT_FALSE(fs::exists(path + ".part"));

    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, kEepFile, text).empty());
    EXPECT_EQ(text.substr(0, 14), "00 01\r\n01 0A\r\n");
    EXPECT_EQ(text.size(), 256u * 7);

    // Overwrite, then load what was saved: the memory is as it was.
    for (int i = 1; i < 256; ++i)
        conv().setMemory(i, 0);
    EXPECT_EQ(load({MessageAnswer::Yes}, {path}), ResultCode::Ok);
    EXPECT_EQ(memory(), original);
}

TEST_F(Eeprom, SilentLocationsAreLeftOutAndCounted) {
    read();
    bus.faults().next("ER11", Fault::noAnswer(), 4);
    bus.faults().next("ER80", Fault::noAnswer(), 4);
    const std::string path = (dir / "gaps.eep").string();
    EXPECT_EQ(save({path}), ResultCode::Failed);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, kEepFile, text).empty());
    const EepParse p = ParseEep(text);
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.bytes.size(), 254u);
    EXPECT_EQ(p.bytes[0x11].location, 0x12);
    EXPECT_EQ(view.calls.back().icon, MessageIcon::Exclamation);
    EXPECT_NE(view.calls.back().text.find("Adresy bez odpovědi převodníku: 2 (první 11h)"),
              std::string::npos)
        << view.calls.back().text;
}

TEST_F(Eeprom, ASaveThatGetsNoAnswerKeepsTheOldFile) {
    read();
    const std::string path = file("old.eep", "00 01\r\n");
    bus.converter(0).setMemory(0, 9);
    bus.converter(0).restart(static_cast<double>(line.nowMs())); // now answers at 9 only
    line.waitFor(1000);
    EXPECT_EQ(save({path}), ResultCode::Failed);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, kEepFile, text).empty());
    EXPECT_EQ(text, "00 01\r\n");
    EXPECT_FALSE(fs::exists(path + ".part"));
    EXPECT_EQ(view.criticals.size(), 1u);
}

} // namespace
} // namespace rm27
