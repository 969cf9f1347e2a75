// EEPROM image files: the .eep text, the load (checked before the first
// frame, two 100 ms waits per line, a summary of the echoes, the read-back)
// and the save, on virtual time.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "link/codecs.h"
#include "maintenance/eeprom.h"
#include "maintenance_rig.h"

namespace rm27 {
namespace {

using sim::Fault;
using test::Frames;
using test::Holds;

// n value lines, every location in turn.
std::string Lines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i)
        text += LongToHex(i % 256, 2) + " 00\r\n";
    return text;
}

TEST(EepText, LinesAndWhatIsRefused) {
    const struct {
        std::string text;
        std::string read; // as the save would write it
        int badLine;
    } cases[] = {
        // clang-format off
        {"00 3F\r\nA1 ff\r\n", "00 3F\r\nA1 FF\r\n", 0},
        {"10 20 ; comment after column 5", "10 20\r\n", 0},
        {"10-20\r\n10\t21", "10 20\r\n10 21\r\n", 0}, // any separator, repeats kept
        {"\r\n  \t\r05 06\r\r\n\n07 08\n", "05 06\r\n07 08\r\n", 0},
        {"\xEF\xBB\xBF" "00 01\r\n", "00 01\r\n", 0}, // a byte-order mark
        {"00 3F\r\n\r\n1 2\r\n", "", 3},
        {"003F\r\n", "", 1},
        {"00 3F\r\n0G 12\r\n", "", 2},
        {"00 3F\r\n01 3G\r\n", "", 2},
        {"00 3F\r\n:0 12\r\n", "", 2}, // HexToLong would read ":" as a digit
        {"00 3F\r\nxyz", "", 2},
        // clang-format on
    };
    for (const auto& c : cases) {
        const EepParse p = ParseEep(c.text);
        EXPECT_EQ(FormatEep(p.bytes), c.read) << c.text;
        EXPECT_EQ(p.badLine, c.badLine) << c.text;
    }
    EXPECT_EQ(ParseEep("00 3F\r\n0G 12 ; x\r\n").badText, "0G 12 ; x");
    // A location may repeat, four times over on average, not more.
    EXPECT_EQ(ParseEep(Lines(kMaxEepLines)).bytes.size(), 1024u);
    EXPECT_TRUE(ParseEep(Lines(kMaxEepLines + 1)).tooManyLines);
}

const auto kLoad = [](Operations& o) { return LoadEeprom(o); };
const auto kSave = [](Operations& o) { return SaveEeprom(o); };

class Eeprom : public test::MaintenanceRig {
protected:
    Eeprom() { read(); }
    Result load(const std::string& path) {
        view.answers = {MessageAnswer::Yes};
        view.fileAnswers = {path};
        return run(kLoad);
    }
    Result save(const std::string& path) {
        view.fileAnswers = {path};
        return run(kSave);
    }
    std::vector<EepromByte> saved(const std::string& path) const {
        std::string text;
        EXPECT_TRUE(ReadWholeFile(path, kEepFile, text).empty());
        return ParseEep(text).bytes;
    }
    std::string memory() const {
        std::string m;
        for (int i = 0; i < 256; ++i)
            m += static_cast<char>(bus.converter(0).memory(i));
        return m;
    }
};

TEST_F(Eeprom, TwoLinesTwoFramesTwoHundredMillisecondsEachThenTheReadBack) {
    const std::string path = file("two.eep", "00 3F\r\nA1 ff\r\n");
    std::size_t framesAtSummary = 0;
    view.whileOpen = [&] { framesAtSummary = line.sent().size() - first; };
    EXPECT_EQ(load(path), ResultCode::Ok);
    // the lines, then (once the measurement has started and stopped again)
    // the read-back of what they wrote
    ASSERT_EQ(sent(), (Frames{"$01EW003F\r", "$01EWA1FF\r", "$01ER00\r", "$01ERA1\r"}));
    EXPECT_EQ(timeOfFrame("$01EWA1FF\r") - timeOfFrame("$01EW003F\r"), 200);
    EXPECT_GE(line.sent()[first + 2].timeMs - line.sent()[first + 1].timeMs, 200 + 500);
    EXPECT_TRUE(statusShown("Zápis EEPROM 2/2 ... 100%"));
    EXPECT_EQ(view.statuses.back(),
              "Zpětným čtením ověřeno: převodník drží všechny zapsané bajty.");
    // The load's summary ends the load, before the read-back's first frame;
    // a read-back that confirms adds no box.
    ASSERT_EQ(view.calls.size(), 3u);
    EXPECT_EQ(framesAtSummary, 2u);
    EXPECT_EQ(lastBox(), "Zápis EEPROM ze souboru " + path +
                             " skončil. Zapsáno bajtů: 2, z toho s odlišnou odpovědí převodníku: "
                             "0.\r\nNový obsah platí po restartu převodníku.");
    EXPECT_TRUE(view.timer);
}

TEST_F(Eeprom, WhatSendsNothingButStillRestartsTheMeasurement) {
    const std::string good = file("good.eep", "00 3F\r\n");
    const std::string fifo = dir + "/fifo.eep";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto yes = MessageAnswer::Yes;
    const struct {
        const char* name;
        std::vector<MessageAnswer> answers;
        std::vector<std::string> files;
        const char* message; // a critical box containing this, or none
    } cases[] = {
        // clang-format off
        {"No", {MessageAnswer::No}, {good}, nullptr},
        {"the default button", {}, {good}, nullptr},
        {"dialog cancelled", {yes}, {}, nullptr},
        {"bad line at the end", {yes}, {file("bad.eep", "00 3F\r\n01 40\r\n\r\n02 4\r\n")}, "Řádek 4 souboru "},
        {"quoted bad line", {yes}, {file("bad2.eep", "zz 12 x\r\n")}, "\"zz 12 x\""},
        {"missing file", {yes}, {dir + "/none.eep"}, "nelze přečíst"},
        {"no data", {yes}, {file("blank.eep", "\r\n \r\n")}, "žádný řádek"},
        // No file is read for longer than a moment, nor a load run for hours.
        {"a folder", {yes}, {dir}, "(je to složka, ne soubor)"},
        {"a FIFO nobody writes", {yes}, {fifo}, "(je to pojmenovaná roura"},
        {"a device without end", {yes}, {"/dev/zero"}, "(je to zařízení, ne soubor)"},
        {"over 64 KiB", {yes}, {file("big.eep", "00 01\r\n" + std::string(64 * 1024, ' '))}, "(soubor je větší než 64 KiB)"},
        {"1,025 value lines", {yes}, {file("long.eep", Lines(1025))}, "víc než 1024"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view.criticals.clear();
        view.timer = true;
        view.answers.assign(c.answers.begin(), c.answers.end());
        view.fileAnswers.assign(c.files.begin(), c.files.end());
        const auto start = line.nowMs();
        EXPECT_EQ(run(kLoad), ResultCode::Refused);
        EXPECT_TRUE(sent().empty());
        EXPECT_GE(line.nowMs() - start, 500); // stopped...
        EXPECT_TRUE(view.timer);              // ...and started again
        ASSERT_EQ(view.criticals.size(), c.message == nullptr ? 0u : 1u);
        if (c.message == nullptr) continue;
        EXPECT_TRUE(Holds(criticals(), c.message));
        EXPECT_TRUE(Holds(criticals(), "Do EEPROM nebylo nic zapsáno."));
    }
    // A closed port is said before any question.
    line.setOpen(false);
    view.calls.clear();
    EXPECT_EQ(load(good), ResultCode::Refused);
    EXPECT_EQ(save(dir + "/s.eep"), ResultCode::Refused);
    EXPECT_EQ(view.calls.size(), 2u);
    EXPECT_TRUE(sent().empty());
}

TEST_F(Eeprom, DifferingEchoesAreCountedAndTheFirstIsNamed) {
    bus.faults().next("EW11", Fault::wrongEcho(0x3E));
    bus.faults().next("EW12", Fault::noAnswer());
    EXPECT_EQ(load(file("three.eep", "10 01\r\n11 3F\r\n12 02\r\n")), ResultCode::Failed);
    // Before the first "EW", the cells the file writes are read for the
    // journal: the reading does not know them. The echo stops nothing. The
    // read-back asks again when an answer may be another's (the lost echo
    // of 12h may still come), and stops at the first cell that does not
    // hold what was written.
    EXPECT_EQ(sent(), (Frames{"$01ER10\r", "$01ER11\r", "$01ER12\r", "$01EW1001\r", "$01EW113F\r",
                              "$01EW1202\r", "$01ER10\r", "$01ER10\r", "$01ER11\r"}));
    // The summary of the echoes first, then the read-back's own box.
    ASSERT_GE(view.calls.size(), 2u);
    const test::PromptCall& summary = view.calls[view.calls.size() - 2];
    EXPECT_EQ(summary.icon, MessageIcon::Exclamation);
    EXPECT_TRUE(Holds(summary.text, "Zapsáno bajtů: 3, z toho s odlišnou odpovědí převodníku: 2 "
                                    "(první na adrese 11h: zapsáno 3F, odpověď 3E).\r\nNový"));
    EXPECT_EQ(view.criticals.back(),
              "Zápis do paměti převodníku se nepodařil: na adrese 11h je 3Eh, zapsáno bylo 3Fh.");
    EXPECT_EQ(lastBox(), view.criticals.back());
}

TEST_F(Eeprom, TheReadBackDecidesNotTheEchoes) {
    // A lost echo hides a byte that landed; a location hit on its way in
    // stores the byte elsewhere behind a right echo.
    const std::string path = file("four.eep", "20 01\r\n21 02\r\n22 03\r\n23 04\r\n");
    bus.faults().next("EW21", Fault::noAnswer());
    EXPECT_EQ(load(path), ResultCode::Ok);
    EXPECT_EQ(view.calls.back().icon, MessageIcon::Exclamation); // the summary, nothing after
    EXPECT_TRUE(Holds(lastBox(), "odpovědí převodníku: 1 "));

    for (int cell = 0x20; cell <= 0x23; ++cell)
        conv().setMemory(cell, 0);
    bus.faults().next("EW22", Fault::alteredIndex());
    EXPECT_EQ(load(path), ResultCode::Failed);
    EXPECT_EQ(conv().memory(0x23), 0x04); // the 03 went to 23h and was overwritten
    EXPECT_TRUE(Holds(lastBox(), "nepodařil: na adrese 22h je 00h, zapsáno bylo 03h."));

    // A read-back answer that is not hex proves nothing either way, also
    // when it comes so every time it is asked.
    bus.faults().next("ER20", Fault::nonHex(0, '#'), kCellAsks);
    EXPECT_EQ(load(path), ResultCode::Failed);
    EXPECT_TRUE(Holds(lastBox(), "nelze ověřit: adresu 20h"));
}

TEST_F(Eeprom, ASaveLeavesOutWhatTheConverterDidNotSayForSure) {
    conv().setMemory(0x40, 0x12);
    // "1?" would read as 0x18, however often it is asked
    bus.faults().next("ER40", Fault::nonHex(1, '?'), kCellAsks);
    bus.faults().next("ER11", Fault::noAnswer(), 4);
    bus.faults().next("ER80", Fault::noAnswer(), 4);
    const std::string path = dir + "/gaps.eep";
    EXPECT_EQ(save(path), ResultCode::Failed);
    const std::vector<EepromByte> bytes = saved(path);
    ASSERT_EQ(bytes.size(), 253u);
    EXPECT_EQ(bytes[0x11].location, 0x12);
    EXPECT_EQ(bytes[0x3F].location, 0x41);
    EXPECT_EQ(view.calls.back().icon, MessageIcon::Exclamation);
    EXPECT_TRUE(Holds(lastBox(), "Adresy bez odpovědi převodníku: 2 (první 11h)"));
    EXPECT_TRUE(Holds(lastBox(), "Adresy s nejistou odpovědí převodníku: 1 (první 40h)"));
}

TEST_F(Eeprom, SaveWritesEveryLocationTheLoadTakesBack) {
    for (int i = 0; i < 256; ++i)
        conv().setMemory(i, static_cast<std::uint8_t>((i * 7 + 3) & 0xFF));
    conv().setMemory(0, 1); // keep answering at address 1
    const std::string original = memory();
    const std::string path = dir + "/kept.eep";
    bool liveAtDialog = false;
    view.whileOpen = [&] { liveAtDialog = guard.tickAllowed() && view.timer; };
    view.timer = true;
    EXPECT_EQ(save(""), ResultCode::Refused); // no file, nothing sent
    EXPECT_TRUE(liveAtDialog);
    EXPECT_EQ(save(path), ResultCode::Ok);
    EXPECT_EQ(sent().size(), 256u);
    EXPECT_EQ(view.statuses.back(), "Čtení EEPROM 256/256 ... 100%");
    EXPECT_TRUE(view.timer);
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));

    // Overwrite, then load what was saved: the memory is as it was.
    for (int i = 1; i < 256; ++i)
        conv().setMemory(i, 0);
    EXPECT_EQ(load(path), ResultCode::Ok);
    EXPECT_EQ(memory(), original);

    // A save that gets no answer at all keeps the old file.
    conv().setMemory(0, 9);
    conv().restart(static_cast<double>(line.nowMs())); // now answers at 9 only
    line.waitFor(1000);
    EXPECT_EQ(save(path), ResultCode::Failed);
    EXPECT_EQ(saved(path).size(), 256u);
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
    EXPECT_EQ(view.criticals.size(), 1u);
}

} // namespace
} // namespace rm27
