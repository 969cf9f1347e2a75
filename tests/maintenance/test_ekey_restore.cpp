// Writing a backup back: the question and what it shows, the refusals that
// send nothing, the write with its own backup, the reading and the check
// after it, on virtual time.
#include <gtest/gtest.h>

#include "maintenance/ekey_bin.h"
#include "maintenance/ekey_restore.h"
#include "maintenance_rig.h"
#include "sim/sensor_images.h"

namespace rm27 {
namespace {

using sim::Fault;
using sim::RequestMatch;
using test::Holds;

class Restore : public test::MaintenanceRig {
protected:
    Restore() { ops.backups = &store; }

    // A backup of the block of this converter, as the program keeps them.
    std::string keep(int block, const std::string& image) {
        BackupEntry kept;
        kept.deviceId = state.DeviceId;
        kept.address = state.DeviceAddress;
        kept.block = block;
        kept.image = image;
        kept.sensorId = ImageSensorId(image);
        kept.time = clock.now();
        return store.save(kept, nullptr);
    }
    // The block as last read, kept now; then the converter's block is
    // changed behind the program's back and read again.
    std::string keepThenChange(int block) {
        const std::string path = keep(block, conv().block(block));
        change(block);
        return path;
    }
    void change(int block) {
        std::string changed = conv().block(block);
        changed[100] = static_cast<char>(changed[100] ^ 0x55);
        conv().setBlock(block, changed);
        read();
    }
    template <class Op> RestoreResult restore(const std::string& file, Op op) {
        view.fileAnswers = {file};
        view.answers = {MessageAnswer::Yes};
        first = line.sent().size();
        return run(op);
    }
    RestoreResult restore(const std::string& file) { return restore(file, RestoreEKey); }

    FolderBackupStore store{dir + "/backups"};
};

TEST_F(Restore, AChangedEKeyComesBackAndIsReadBackAsWritten) {
    read();
    const std::string original = conv().block(0);
    const std::string path = keepThenChange(0);
    bool liveWhileAsked = true;
    view.whileOpen = [&] { // the dialog and the question: nothing sent
        if (view.calls.size() <= 2)
            liveWhileAsked = liveWhileAsked && guard.tickAllowed() && line.sent().size() == first;
    };
    const RestoreResult r = restore(path);

    EXPECT_EQ(r.outcome, ResultCode::Ok);
    EXPECT_TRUE(liveWhileAsked);
    EXPECT_EQ(conv().block(0), original);
    ASSERT_EQ(view.calls.size(), 3u);
    EXPECT_EQ(view.calls[0].kind, test::PromptCall::Open);
    EXPECT_EQ(view.calls[1].defaultButton, MessageAnswer::No);
    EXPECT_EQ(view.calls[1].text,
              "Zapsat zálohu zpět do převodníku ?\r\n\r\nZáloha: " +
                  std::filesystem::path(path).filename().string() +
                  "\r\nPřevodník: 0123RM2712, adresa 1\r\nBlok: 0 (eKey Vstup1)\r\n"
                  "Snímač: SIMKEY01\r\nPořízena: 2026-12-04 00:00:19\r\n\r\n"
                  "Blok nyní obsahuje (podle posledního čtení): snímač SIMKEY01\r\n\r\n"
                  "Obraz v záloze: snímač SIMKEY01, popis „Load cell 500 kg“.");
    EXPECT_EQ(view.calls[2].text, "Blok 0 obnoven ze zálohy a ověřen čtením.");
    EXPECT_EQ(sent("KW").size(), 256u); // all before the reading
    EXPECT_EQ(view.statuses.back(), "OK.");
}

TEST_F(Restore, RefusalsSendNothing) {
    read();
    const auto saved = [&](int block) { return keep(block, std::string(256, 'x')); };
    // A good backup of block 96, damaged in one place.
    std::ifstream in(saved(96));
    const std::string good((std::istreambuf_iterator<char>(in)), {});
    int files = 0;
    const auto damaged = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return file(std::to_string(++files) + ".ekey", text);
    };
    const auto yes = MessageAnswer::Yes;
    const struct {
        std::string file;
        MessageAnswer answer;
        std::string message; // the critical box holds it; "" for none
    } cases[] = {
        // clang-format off
        {saved(0), MessageAnswer::No, ""},
        {"", yes, ""}, // the dialog cancelled
        {saved(64), yes, "EKEY (Vstup3) not present"},
        {saved(5), yes, "Blok 5 není eKey ani interní kopie: záloha se nezapíše."},
        {damaged("RM27-EKEY-BACKUP 1", "FSN"), yes, " nelze použít jako zálohu eKey: není to záloha eKey"},
        {damaged("sensor", std::string(16 * 1024, ' ')), yes, ": soubor je větší než 16 KiB"},
        {damaged("block 96", "block 96\nblock 0"), yes, "řádek 5: položka „block“ je v souboru podruhé"},
        {damaged("block 96", "block 0x60"), yes, "řádek 4: blok musí být celé číslo od 0 do 255: „0x60“"},
        {damaged("block 96", "block 4294967296"), yes, "řádek 4: blok musí být celé číslo od 0 do 255"},
        {damaged("block 96", "block 300"), yes, "řádek 4: blok"},
        {damaged("address 1", "address +1"), yes, "řádek 3: adresa musí být"},
        {damaged("block 96\n", ""), yes, "chybí číslo bloku"},
        {damaged("image 7", "image G"), yes, "řádek 7: obraz musí mít 512 šestnáctkových číslic"},
        {damaged("image 78", "image 7"), yes, "řádek 7: obraz"},
        {damaged("sensor", "sensro"), yes, "řádek 5: neznámá položka „sensro“"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " " + c.message);
        view.criticals.clear();
        view.timer = true;
        view.fileAnswers.clear();
        if (!c.file.empty()) view.fileAnswers.push_back(c.file);
        view.answers = {c.answer};
        EXPECT_EQ(run(RestoreEKey).outcome, ResultCode::Refused);
        EXPECT_TRUE(sent().empty());
        EXPECT_TRUE(view.timer); // the measurement was never stopped
        ASSERT_EQ(view.criticals.size(), c.message.empty() ? 0u : 1u);
        EXPECT_TRUE(Holds(criticals(), c.message));
    }
    // Without a converter read there is no block to write to.
    state.DeviceId.clear();
    view.calls.clear();
    run(RestoreEKey);
    ASSERT_EQ(view.calls.size(), 1u); // not even the dialog
    EXPECT_EQ(view.calls[0].text, "Jednotka nepřipojena");
}

// The kept backups come as a table: a row chosen is restored without a
// file dialog; closing the table sends nothing.
TEST_F(Restore, AKeptBackupIsChosenFromTheTable) {
    read();
    const std::string original = conv().block(0);
    keepThenChange(0);
    view.picks = {-1};
    EXPECT_EQ(restore("").outcome, ResultCode::Refused);
    EXPECT_TRUE(sent().empty());
    ASSERT_EQ(view.tables.size(), 1u);
    EXPECT_EQ(view.tables[0],
              (std::vector<std::vector<std::string>>{
                  {"2026-12-04 00:00:19", "0", "eKey Vstup1", "SIMKEY01", "Load cell 500 kg"}}));
    view.calls.clear();
    view.picks = {0};
    EXPECT_EQ(restore("").outcome, ResultCode::Ok);
    EXPECT_EQ(conv().block(0), original);
    EXPECT_EQ(view.calls[0].kind, test::PromptCall::Message); // the question, no dialog
}

TEST_F(Restore, AnInternalCopyBehindAPluggedEKeyIsReadBackOnItsOwn) {
    read({true, false, false, false}); // input 2's internal copy, block 129
    const std::string original = conv().block(129);
    const std::string path = keepThenChange(129);
    read({true, true, false, false}); // now its eKey: the reading no longer reads block 129
    EXPECT_EQ(restore(path).outcome, ResultCode::Ok);
    EXPECT_EQ(conv().block(129), original);
    EXPECT_EQ(sent().back(), "$01KB81\r"); // its own read, after the reading
    EXPECT_EQ(view.messageTexts().back(), "Blok 129 obnoven ze zálohy a ověřen čtením.");
}

TEST_F(Restore, AFailedOrDifferingWriteIsAFailure) {
    read();
    const std::string path = keepThenChange(0);
    bus.faults().next(RequestMatch::kwIndex(9), Fault::noAnswer(), 3);
    EXPECT_EQ(restore(path).outcome, ResultCode::Failed);
    EXPECT_EQ(view.criticals.back(), "Chyba zápisu bloku 0 ze zálohy [E:-10]");
    const std::vector<JournalEntry> left = ops.journal->takeUnfinished();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].block, 0);
    EXPECT_EQ(left[0].at, 10);

    bus.faults().next(RequestMatch::kwIndex(1), Fault::alteredIndex());
    view.criticals.clear();
    EXPECT_EQ(restore(path).outcome, ResultCode::Failed);
    EXPECT_TRUE(test::Begins(criticals(), "Blok 0 po zápisu neobsahuje, co bylo zapsáno"));
    EXPECT_EQ(lastBox(), view.criticals.back()); // and nothing says it was restored
}

// An input's block saved as a .bin, damaged behind the program's back and
// written back from the file: its eKey, and the internal copy of an input
// without one. A .bin is whole or refused before anything is sent.
TEST_F(Restore, ABinFileOfAnInputsBlockComesBackByteForByte) {
    read();
    for (const auto& [input, block] : {std::pair{0, 0}, std::pair{2, 130}}) {
        SCOPED_TRACE(block);
        const std::string original = conv().block(block);
        const std::string path = file("input.bin", "");
        view.fileAnswers = {path};
        ASSERT_EQ(run([i = input](Operations& o) { return SaveEKeyBin(o, i); }), ResultCode::Ok);
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), original);

        change(block);
        const RestoreResult r =
            restore(path, [i = input](Operations& o) { return RestoreEKeyBin(o, i); });
        EXPECT_EQ(r.outcome, ResultCode::Ok);
        EXPECT_EQ(conv().block(block), original);
    }
    for (const std::size_t size : {255u, 257u}) {
        view.criticals.clear();
        const RestoreResult r = restore(file("wrong.bin", std::string(size, 'x')),
                                        [](Operations& o) { return RestoreEKeyBin(o, 0); });
        EXPECT_EQ(r.outcome, ResultCode::Refused);
        EXPECT_TRUE(sent().empty());
        EXPECT_TRUE(Holds(criticals(), "obraz bloku má přesně 256 bajtů, soubor jich má " +
                                           std::to_string(size)));
    }
}

TEST(RestoreQuestion, SaysWhatTheBlockAndTheInputHoldAndWarns) {
    DeviceState st;
    st.DeviceId = "0123RM2712";
    st.DeviceAddress = 1;
    st.sources[3] = InputSource::EKey;
    ASSERT_EQ(DecodeEKeyImage(sim::DefaultSensorImage(3), st.records[3], 3, 0, 0), ResultCode::Ok);
    const std::string other = "FSN" + std::string(58, ' ') + "OTHER001" + std::string(187, ' ');
    const std::string image4 =
        "\r\n\r\nObraz v záloze: snímač SIMKEY04, popis „Force sensor 50 N“.";
    const std::string on4 = "\r\nPozor: na vstupu 4 je nyní snímač SIMKEY04, popis „Force "
                            "sensor 50 N“.";
    const struct {
        const char* device;
        const std::string* read; // what block 131 held when last read
        std::string image;       // of the backup, whatever its label says
        std::vector<std::string> said;
    } cases[] = {
        // clang-format off
        {"0456RM2712", nullptr, std::string(256, '\0'),
         {"\r\nSnímač: (bez identifikátoru)\r\n",
          "Blok nebyl přečten: před zápisem se přečte do deníku zápisů.",
          "Pozor: záloha je z jiného převodníku (připojen je 0123RM2712, adresa 1).",
          "\r\n\r\nObraz v záloze není záznam snímače." + on4}},
        {"0123RM2712", &other, sim::DefaultSensorImage(3),
         {"snímač OTHER001\r\nPozor: v bloku je jiný snímač, než ze kterého je záloha.", image4}},
        {"0123RM2712", &other, other, {"shodný se zálohou"}},
        {"0123RM2712", nullptr, sim::DefaultSensorImage(0),
         {"\r\nSnímač: SIMKEY01\r\n",
          "\r\n\r\nObraz v záloze: snímač SIMKEY01, popis „Load cell 500 kg“." + on4}},
        // clang-format on
    };
    for (const auto& c : cases) {
        BackupEntry b;
        b.deviceId = c.device;
        b.address = 1;
        b.block = 131;           // input 4's internal copy
        b.sensorId = "SIMKEY04"; // the file's label
        b.image = c.image;
        BlockCache cache;
        if (c.read != nullptr) cache.rememberBlock(131, *c.read, st.DeviceId, 1);
        const std::string q = RestoreQuestion(st, cache, b).czech();
        for (const std::string& part : c.said)
            EXPECT_TRUE(Holds(q, part));
        EXPECT_EQ(q.find("jiného převodníku") != std::string::npos, c.device != st.DeviceId);
    }
}

} // namespace
} // namespace rm27
