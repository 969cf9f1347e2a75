// The maintenance commands end to end: r27ctl against rm27sim over a real
// pseudo-terminal at 9600 baud, the simulator's memory and blocks looked
// at afterwards. Deadlines are safety bounds, never measurements.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "link/codecs.h"
#include "link/ekey.h"
#include "mainwindow/frm_main.h"
#include "support/e2e_support.h"
#include "support/qt_environment.h"
#include "support/recorder.h"
#include "ui/port_map.h"
#include "ui/qt_event_pump.h"
#include "ui/qt_serial_line.h"

namespace rm27 {
namespace {

using test::Result;
using test::RunCtl;
using test::Simulator;

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtEnvironment("test_e2e_maintenance"));

constexpr std::size_t kIdAt = 61;

SensorRecord Decoded(const std::string& image) {
    SensorRecord rec;
    EXPECT_EQ(DecodeEKeyImage(image, rec, 0, 0, 0), ResultCode::Ok);
    return rec;
}

TEST(MaintenanceEndToEnd, EKeyCopiesAndInitialisation) {
    Simulator sim({"--ekeys", "0x09"});
    ASSERT_FALSE(sim.pty().empty());
    const auto before = sim.state().at(0);

    Result r = RunCtl({"--port", sim.pty(), "ekey-copy", "2", "--yes"});
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_NE(r.err.find("EKEY (Vstup2) not present"), std::string::npos) << r.err;

    r = RunCtl({"--port", sim.pty(), "ekey-copy", "4", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Copied. Read=1 WRITE=0\n");
    auto now = sim.state().at(0);
    EXPECT_EQ(now.blocks.at(224), before.blocks.at(96)); // the internal copy of input 4
    EXPECT_EQ(now.blocks.at(131), before.blocks.at(96));

    r = RunCtl({"--port", sim.pty(), "ekey-copy-1to4", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Saved. Read=1>1 WRITE=0\n");
    now = sim.state().at(0);
    std::string expected = before.blocks.at(0);
    expected.replace(kIdAt, 8, before.blocks.at(96).substr(kIdAt, 8));
    EXPECT_EQ(now.blocks.at(96), expected);

    r = RunCtl({"--port", sim.pty(), "ekey-init", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = r.lines();
    ASSERT_EQ(lines.size(), 5u) << r.out;
    EXPECT_EQ(lines[0], "Vysledek : ");
    EXPECT_EQ(lines[2], "2 - neni eKey");
    now = sim.state().at(0);
    for (const int input : {1, 4}) {
        const SensorRecord rec = Decoded(now.blocks.at(32 * (input - 1)));
        EXPECT_EQ(TrimBlanks(rec.description), "empty-div");
        EXPECT_EQ(rec.sensorId.back(), static_cast<char>('0' + input));
        EXPECT_EQ(lines[static_cast<std::size_t>(input)],
                  std::to_string(input) + " - ID [ " + rec.sensorId + " ]");
    }
    EXPECT_EQ(now.blocks.at(32), before.blocks.at(32)); // not plugged: untouched
}

TEST(MaintenanceEndToEnd, EepromSaveThenLoadGivesTheMemoryBack) {
    Simulator sim({});
    QTemporaryDir dir;
    const std::string saved = dir.filePath(QStringLiteral("rm27.eep")).toStdString();
    const std::string original = sim.state().at(0).memory;

    Result r = RunCtl({"--port", sim.pty(), "eeprom-save", saved});
    ASSERT_EQ(r.status, 0) << r.err;
    std::ifstream in(saved, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(text.size(), 256u * 7);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(
            text.substr(static_cast<std::size_t>(7 * i), 7),
            LongToHex(i, 2) + " " +
                LongToHex(static_cast<unsigned char>(original[static_cast<std::size_t>(i)]), 2) +
                "\r\n");
    }

    const std::string change = dir.filePath(QStringLiteral("change.eep")).toStdString();
    std::ofstream(change, std::ios::binary) << "40 99\r\n41 98 ; two bytes\r\n";
    r = RunCtl({"--port", sim.pty(), "eeprom-load", change, "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string changed = original;
    changed[0x40] = '\x99';
    changed[0x41] = '\x98';
    ASSERT_EQ(sim.state().at(0).memory, changed);

    // The saved image's own lines put the two bytes back. (A whole image,
    // 256 lines at their prescribed 200 ms each, is loaded on virtual time.)
    const std::string back = dir.filePath(QStringLiteral("back.eep")).toStdString();
    std::ofstream(back, std::ios::binary) << text.substr(7 * 0x40, 14);
    r = RunCtl({"--port", sim.pty(), "eeprom-load", back, "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Zapsáno bajtů: 2, z toho s odlišnou odpovědí převodníku: 0."),
              std::string::npos)
        << r.out;
    EXPECT_EQ(sim.state().at(0).memory, original);
}

// A command's file is read and checked before the port is opened: a port
// that does not exist is never tried (status 2, not 3). The refusal speaks
// the language asked for, though no view exists yet.
TEST(MaintenanceEndToEnd, InputFilesAreRefusedBeforeThePortIsOpened) {
    QTemporaryDir dir;
    const auto file = [&](const char* name, const std::string& text) {
        const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    };
    const std::string fifo = dir.filePath(QStringLiteral("fifo.eep")).toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::vector<std::string> command;
        const char* said;
        const char* english;
    } cases[] = {
        {{"eeprom-load", file("bad.eep", "40 11\r\n4142\r\n")}, "Řádek 2 souboru",
         "Line 2 of file"},
        {{"eeprom-load", fifo}, "(je to pojmenovaná roura (FIFO), ne soubor)",
         "(it is a named pipe (FIFO), not a file)"},
        {{"ekey-restore", "/dev/zero"}, ": je to zařízení, ne soubor", ": it is a device, not a file"},
        {{"ekey-restore", file("b.ekey", "RM27-EKEY-BACKUP 1\nblock 0x60\n")},
         ": řádek 2: blok musí být celé číslo od 0 do 255: „0x60“",
         ": line 2: the block must be a whole number from 0 to 255: “0x60”"},
        {{"calibrate", "1", "--from", dir.path().toStdString()}, "je to složka, ne soubor",
         "it is a folder, not a file"},
    };
    for (const auto& c : cases) {
        for (const char* lang : {"cs", "en"}) {
            std::vector<std::string> args = {"--lang", lang, "--port", "/nonexistent/ttyUSB9",
                                             "--yes"};
            args.insert(args.end(), c.command.begin(), c.command.end());
            const Result r = RunCtl(args, 10000);
            EXPECT_EQ(r.status, 2) << c.command[0] << ": " << r.err;
            EXPECT_EQ(r.err.rfind("r27ctl: ", 0), 0u) << r.err;
            EXPECT_NE(r.err.find(*lang == 'e' ? c.english : c.said), std::string::npos) << r.err;
            EXPECT_EQ(r.err.find("Nelze otevřít komunikační port"), std::string::npos) << r.err;
        }
    }
}

TEST(MaintenanceEndToEnd, RmuLimits) {
    Simulator rm27({});
    Result r = RunCtl({"--port", rm27.pty(), "rmu-limits"});
    EXPECT_EQ(r.status, 4);

    Simulator sim({"--variant", "rmu"});
    r = RunCtl({"--port", sim.pty(), "rmu-limits"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.lines().size(), 4u);
    EXPECT_EQ(r.lines()[0].rfind("Vstup1> Internal: Load cell 500 kg", 0), 0u) << r.out;

    r = RunCtl({"--port", sim.pty(), "rmu-limits", "-", "12,5", "-", "7"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto now = sim.state().at(0);
    EXPECT_EQ(Decoded(now.blocks.at(32)).auxSingle, 12.5f); // input 2's eKey
    EXPECT_EQ(Decoded(now.blocks.at(131)).auxSingle, 7.0f); // input 4's internal copy
    EXPECT_EQ(Decoded(now.blocks.at(0)).auxSingle, 0.0f);
}

// The lines of `backups` that name one of `paths`.
TEST(MaintenanceEndToEnd, ACopyIsUndoneFromTheJournal) {
    Simulator sim({"--ekeys", "0x09"});
    ASSERT_FALSE(sim.pty().empty());
    const auto before = sim.state().at(0);

    Result r = RunCtl({"--port", sim.pty(), "ekey-copy-1to4", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string marker = "block 96: journal entry ";
    const auto at = r.err.find(marker);
    ASSERT_NE(at, std::string::npos) << r.err;
    const std::string id =
        r.err.substr(at + marker.size(), r.err.find('\n', at) - at - marker.size());
    EXPECT_NE(r.err.find("block 96: read back as written"), std::string::npos) << r.err;
    const std::string copied = sim.state().at(0).blocks.at(96);
    ASSERT_NE(copied, before.blocks.at(96));

    // listed without a converter: no port is opened for it
    r = RunCtl({"--port", "/dev/nonexistent-rm27", "journal"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("0123RM2712"), std::string::npos) << r.out;

    r = RunCtl({"--port", sim.pty(), "undo", id});
    EXPECT_EQ(r.status, 4) << r.err; // no --yes, no terminal: No
    EXPECT_EQ(sim.state().at(0).blocks.at(96), copied);

    r = RunCtl({"--port", sim.pty(), "undo", id, "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(sim.state().at(0).blocks.at(96), before.blocks.at(96));
}

TEST(MaintenanceEndToEnd, WindowInitialisesTheDavroKeyAndCopiesItInside) {
    Simulator sim({"--ekeys", "0x02"});
    ASSERT_FALSE(sim.pty().empty());
    PortMap ports;
    ports.setFixed(1, PortDevice{QString::fromStdString(sim.pty()), QStringLiteral("rm27sim")});
    test::Recorder prompter;
    QtEventPump pump;
    FrmMainSetup setup;
    setup.commandLine = QStringLiteral("zirkon");
    setup.ports = &ports;
    setup.prompter = &prompter;
    setup.pump = &pump;
    FrmMain window(setup);
    window.Form_Load();
    window.findChild<QComboBox*>(QStringLiteral("cmbSelectPort"))->setCurrentIndex(0);
    window.cmdConnect_Click();
    ASSERT_TRUE(window.serialLine().portOpen());
    window.cmdDevRead_Click();

    prompter.answers = {MessageAnswer::Yes};
    window.findChild<QAction*>(QStringLiteral("mIniteKeyDavro"))->trigger();
    auto now = sim.state().at(0);
    const SensorRecord written = Decoded(now.blocks.at(32));
    EXPECT_EQ(TrimBlanks(written.unit), "mVV");
    EXPECT_EQ(static_cast<unsigned char>(now.blocks.at(32)[40]), 3);
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblR27Unit_1"))->text(),
              QStringLiteral("mVV")); // read again
    EXPECT_EQ(prompter.clipboard.substr(0, 15), "1 - neni eKey\r\n");

    prompter.answers = {MessageAnswer::Yes};
    window.findChild<QPushButton*>(QStringLiteral("cmdCopyEKEY_Ext2Int_1"))->click();
    now = sim.state().at(0);
    EXPECT_EQ(now.blocks.at(129), now.blocks.at(32));
    EXPECT_EQ(prompter.messageTexts().back(), "Copied. Read=1 WRITE=0");
    EXPECT_TRUE(prompter.criticals.empty());
}

} // namespace
} // namespace rm27
