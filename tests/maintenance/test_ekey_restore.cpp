// Writing a backup back: the question and what it shows, the refusals that
// send nothing, the write with its own backup, the reading and the check
// after it, on virtual time.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "link/codecs.h"
#include "link/memory.h"
#include "maintenance/ekey_bin.h"
#include "maintenance/ekey_restore.h"
#include "reading/operations.h"
#include "sim/sensor_images.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

namespace fs = std::filesystem;
using sim::Fault;

class Restore : public test::SimRig {
protected:
    Restore() {
        addConverter(1); // eKeys on inputs 1 and 2
        UseReadRM27(ops);
        char pattern[] = "/tmp/rm27-restore-XXXXXX";
        dir_ = mkdtemp(pattern);
        store = std::make_unique<FolderBackupStore>((fs::path(dir_) / "backups").string());
        ops.backups = store.get();
    }
    ~Restore() override { fs::remove_all(dir_); }

    void read() {
        session.run([](Operations& o) { ASSERT_TRUE(DevRead(o, 1)); });
    }
    // The block as last read, kept now; then the converter's block is
    // changed behind the program's back and read again.
    std::string keepThenChange(int block) {
        // A backup file as the program kept them before the journal.
        BackupEntry kept;
        kept.deviceId = state.DeviceId;
        kept.address = state.DeviceAddress;
        kept.block = block;
        const BlockCache::BlockImage* last = cache.block(block);
        EXPECT_NE(last, nullptr);
        kept.image = last != nullptr ? last->image : std::string();
        kept.sensorId = ImageSensorId(kept.image);
        kept.time = clock.now();
        const std::string path = store->save(kept, nullptr);
        EXPECT_FALSE(path.empty());
        std::string changed = conv().block(block);
        changed[100] = static_cast<char>(changed[100] ^ 0x55);
        conv().setBlock(block, changed);
        read();
        return path;
    }
    RestoreResult restore(const std::string& file, MessageAnswer answer = MessageAnswer::Yes) {
        view.fileAnswers = {file};
        view.answers = {answer};
        first = line.sent().size();
        RestoreResult r;
        session.run([&](Operations& o) { r = RestoreEKey(o); });
        return r;
    }
    std::vector<std::string> framesSince() const {
        std::vector<std::string> out;
        for (std::size_t i = first; i < line.sent().size(); ++i)
            out.push_back(line.sent()[i].text);
        return out;
    }
    std::string file(const std::string& name, const std::string& text) {
        const std::string path = (fs::path(dir_) / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::unique_ptr<FolderBackupStore> store;
    std::size_t first = 0;

    std::string dir_;
};

TEST_F(Restore, AChangedEKeyComesBackAndIsReadBackAsWritten) {
    read();
    const std::string original = conv().block(0);
    const std::string path = keepThenChange(0);
    const std::string changed = conv().block(0);
    // per dialog or box: the line free for ticks, frames sent so far
    std::vector<std::pair<bool, std::size_t>> whileAsked;
    view.whileOpen = [&] {
        whileAsked.emplace_back(guard.tickAllowed(), line.sent().size() - first);
    };
    view.calls.clear();
    const RestoreResult r = restore(path);

    EXPECT_EQ(r.outcome, ResultCode::Ok);
    EXPECT_EQ(conv().block(0), original);
    EXPECT_EQ(state.images[0], original); // read again
    // the dialog and the question: the values stay live, nothing is sent
    ASSERT_EQ(whileAsked.size(), 3u);
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_TRUE(whileAsked[k].first) << k;
        EXPECT_EQ(whileAsked[k].second, 0u) << k;
    }
    ASSERT_EQ(view.calls.size(), 3u);
    EXPECT_EQ(view.calls[0].kind, test::PromptCall::Open);
    const test::PromptCall& q = view.calls[1];
    EXPECT_EQ(q.buttons, MessageButtons::YesNo);
    EXPECT_EQ(q.icon, MessageIcon::Question);
    EXPECT_EQ(q.defaultButton, MessageAnswer::No);
    EXPECT_EQ(q.text, "Zapsat zálohu zpět do převodníku ?\r\n\r\n"
                      "Záloha: " +
                          fs::path(path).filename().string() +
                          "\r\n"
                          "Převodník: 0123RM2712, adresa 1\r\n"
                          "Blok: 0 (eKey Vstup1)\r\n"
                          "Snímač: SIMKEY01\r\n"
                          "Pořízena: 2026-12-04 00:00:19\r\n\r\n"
                          "Blok nyní obsahuje (podle posledního čtení): snímač SIMKEY01\r\n\r\n"
                          "Obraz v záloze: snímač SIMKEY01, popis „Load cell 500 kg“.");
    EXPECT_EQ(view.calls[2].text, "Blok 0 obnoven ze zálohy a ověřen čtením.");
    EXPECT_EQ(view.calls[2].icon, MessageIcon::Information);

    // 256 bytes to block 0, then the reading; the changed image was kept first
    const auto frames = framesSince();
    std::vector<std::string> writes;
    for (const std::string& f : frames)
        if (f.rfind("$01KW", 0) == 0) writes.push_back(f);
    ASSERT_EQ(writes.size(), 256u);
    EXPECT_EQ(writes[255],
              "$01KW00FF" + LongToHex(static_cast<unsigned char>(original[255]), 2) + "\r");
    EXPECT_LT(std::find(frames.begin(), frames.end(), writes.back()),
              std::find(frames.begin(), frames.end(), "$01AUTO00\r"));
    ASSERT_EQ(r.writes.size(), 1u);
    EXPECT_EQ(r.writes[0].result, WriteCheckResult::Same);
    EXPECT_EQ(r.writes[0].entry.oldBytes, changed); // in the journal, to undo it
    EXPECT_TRUE(view.timer);
    EXPECT_EQ(view.statuses.back(), "OK.");
}

TEST_F(Restore, RefusalsSendNothing) {
    read();
    std::string error;
    const auto saved = [&](int block) {
        BackupEntry e;
        e.deviceId = state.DeviceId;
        e.address = 1;
        e.block = block;
        e.image = std::string(256, 'x');
        return store->save(e, &error);
    };
    // A good backup of block 96, damaged in one place.
    std::ifstream in(saved(96));
    const std::string good((std::istreambuf_iterator<char>(in)), {});
    int files = 0;
    const auto damaged = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return file("damaged" + std::to_string(++files) + ".ekey", text);
    };
    const std::string fifo = dir_ + "/fifo.ekey";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string image = good.substr(good.find("image "));
    const struct {
        const char* name;
        std::string file;
        MessageAnswer answer;
        std::string message; // the critical box holds it; "" for none
    } cases[] = {
        {"No", saved(0), MessageAnswer::No, ""},
        {"dialog cancelled", "", MessageAnswer::Yes, ""},
        {"eKey not plugged", saved(64), MessageAnswer::Yes, "EKEY (Vstup3) not present"},
        {"not an eKey block", saved(5), MessageAnswer::Yes,
         "Blok 5 není eKey ani interní kopie: záloha se nezapíše."},
        {"no backup", damaged("RM27-EKEY-BACKUP 1", "FSN"), MessageAnswer::Yes,
         " nelze použít jako zálohu eKey: není to záloha eKey"},
        {"a folder", dir_, MessageAnswer::Yes, ": je to složka, ne soubor"},
        {"a FIFO nobody writes", fifo, MessageAnswer::Yes, ": je to pojmenovaná roura"},
        {"a device without end", "/dev/zero", MessageAnswer::Yes, ": je to zařízení, ne soubor"},
        {"over 16 KiB", damaged("sensor", std::string(16 * 1024, ' ')), MessageAnswer::Yes,
         ": soubor je větší než 16 KiB"},
        {"two images", damaged("image", image + "image"), MessageAnswer::Yes,
         "řádek 8: položka „image“ je v souboru podruhé"},
        {"two blocks", damaged("block 96", "block 96\nblock 0"), MessageAnswer::Yes,
         "řádek 5: položka „block“ je v souboru podruhé"},
        {"block in hex", damaged("block 96", "block 0x60"), MessageAnswer::Yes,
         "řádek 4: blok musí být celé číslo od 0 do 255: „0x60“"},
        {"block past 32 bits", damaged("block 96", "block 4294967296"), MessageAnswer::Yes,
         "řádek 4: blok musí být celé číslo od 0 do 255"},
        {"block 300", damaged("block 96", "block 300"), MessageAnswer::Yes, "řádek 4: blok"},
        {"address with a sign", damaged("address 1", "address +1"), MessageAnswer::Yes,
         "řádek 3: adresa musí být"},
        {"no block", damaged("block 96\n", ""), MessageAnswer::Yes, "chybí číslo bloku"},
        {"image not hex", damaged("image 7", "image G"), MessageAnswer::Yes,
         "řádek 7: obraz musí mít 512 šestnáctkových číslic"},
        {"image cut short", damaged("image 78", "image 7"), MessageAnswer::Yes, "řádek 7: obraz"},
        {"a key of no meaning", damaged("sensor", "sensro"), MessageAnswer::Yes,
         "řádek 5: neznámá položka „sensro“"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view.criticals.clear();
        view.timer = true;
        view.fileAnswers.clear();
        if (!c.file.empty()) view.fileAnswers.push_back(c.file);
        view.answers = {c.answer};
        first = line.sent().size();
        RestoreResult r;
        session.run([&](Operations& o) { r = RestoreEKey(o); });
        EXPECT_EQ(r.outcome, ResultCode::Refused);
        EXPECT_TRUE(framesSince().empty());
        EXPECT_TRUE(view.timer); // the measurement was never stopped
        if (c.message.empty()) {
            EXPECT_TRUE(view.criticals.empty());
        } else {
            EXPECT_EQ(view.criticals.size(), 1u);
            const std::string said = view.criticals.empty() ? "" : view.criticals[0];
            EXPECT_NE(said.find(c.message), std::string::npos) << said;
        }
    }
    // Without a converter read there is no block to write to.
    state.DeviceId.clear();
    view.criticals.clear();
    view.calls.clear();
    session.run([](Operations& o) { RestoreEKey(o); });
    EXPECT_EQ(view.criticals, std::vector<std::string>{"Jednotka nepřipojena"});
    EXPECT_EQ(view.calls.size(), 1u); // not even the dialog
}

// The kept backups come as a table: a row chosen is restored without a
// file dialog; closing the table sends nothing.
TEST_F(Restore, AKeptBackupIsChosenFromTheTable) {
    read();
    const std::string original = conv().block(0);
    keepThenChange(0);
    view.picks = {-1};
    EXPECT_EQ(restore("").outcome, ResultCode::Refused);
    EXPECT_TRUE(framesSince().empty());
    ASSERT_EQ(view.tables.size(), 1u);
    ASSERT_EQ(view.tables[0].size(), 1u);
    const std::vector<std::string>& row = view.tables[0][0];
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ(row[1], "0");
    EXPECT_EQ(row[2], BlockRole(0).czech());
    EXPECT_EQ(row[3], TrimBlanks(state.records[0].sensorId));
    EXPECT_EQ(row[4], "Load cell 500 kg");

    view.calls.clear();
    view.picks = {0};
    EXPECT_EQ(restore("").outcome, ResultCode::Ok);
    EXPECT_EQ(conv().block(0), original);
    for (const test::PromptCall& call : view.calls)
        EXPECT_NE(call.kind, test::PromptCall::Open);
}

TEST_F(Restore, AnInternalCopyBehindAPluggedEKeyIsReadBackOnItsOwn) {
    conv().setPlugged(1, false);
    read(); // input 2's internal copy, block 129
    const std::string original = conv().block(129);
    const std::string path = keepThenChange(129);
    conv().setPlugged(1, true);
    read(); // now its eKey: the reading no longer reads block 129
    const RestoreResult r = restore(path);
    EXPECT_EQ(r.outcome, ResultCode::Ok);
    EXPECT_EQ(conv().block(129), original);
    const auto frames = framesSince();
    ASSERT_FALSE(frames.empty());
    const auto reading = std::find(frames.begin(), frames.end(), "$01AUTO00\r");
    // its own read of the block, after the reading's
    EXPECT_NE(std::find(reading, frames.end(), "$01KB81\r"), frames.end());
    EXPECT_EQ(frames[frames.size() - 1], "$01KB81\r");
    EXPECT_EQ(view.messageTexts().back(), "Blok 129 obnoven ze zálohy a ověřen čtením.");
}

TEST_F(Restore, AFailedOrDifferingWriteIsAFailure) {
    read();
    const std::string path = keepThenChange(0);
    bus.faults().next(sim::RequestMatch::kwIndex(9), Fault::noAnswer(), 3);
    RestoreResult r = restore(path);
    EXPECT_EQ(r.outcome, ResultCode::Failed);
    EXPECT_EQ(r.writeResult, Result::Of(ResultOf::BlockWrite, ResultCode::NoAnswer, 10));
    EXPECT_EQ(view.criticals.back(), "Chyba zápisu bloku 0 ze zálohy [E:-10]");
    const std::vector<JournalEntry> left = ops.journal->takeUnfinished();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].block, 0);
    EXPECT_EQ(left[0].at, 10);

    bus.faults().next(sim::RequestMatch::kwIndex(1), Fault::alteredIndex());
    view.criticals.clear();
    r = restore(path);
    EXPECT_EQ(r.outcome, ResultCode::Failed);
    ASSERT_EQ(view.criticals.size(), 1u);
    EXPECT_EQ(view.criticals[0].rfind("Blok 0 po zápisu neobsahuje, co bylo zapsáno", 0), 0u);
    EXPECT_NE(view.messageTexts().back().rfind("Blok 0 obnoven", 0), 0u);
}

// An input's block saved as a .bin, damaged behind the program's back and
// written back from the file: its eKey, and the internal copy of an input
// without one.
TEST_F(Restore, ABinFileOfAnInputsBlockComesBackByteForByte) {
    read();
    const struct {
        int input;
        int block;
        const char* role;
    } cases[] = {{0, 0, "eKey Vstup1"}, {2, 130, "interní kopie Vstup3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block);
        const std::string original = conv().block(c.block);
        const std::string path = file("input.bin", "");
        view.fileAnswers = {path};
        Result saved;
        session.run([&](Operations& o) { saved = SaveEKeyBin(o, c.input); });
        ASSERT_EQ(saved, ResultCode::Ok);
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), original);

        std::string changed = original;
        changed[100] = static_cast<char>(changed[100] ^ 0x55);
        conv().setBlock(c.block, changed);
        read();
        view.fileAnswers = {path};
        view.answers = {MessageAnswer::Yes};
        view.calls.clear();
        RestoreResult r;
        session.run([&](Operations& o) { r = RestoreEKeyBin(o, c.input); });
        EXPECT_EQ(r.outcome, ResultCode::Ok);
        EXPECT_EQ(conv().block(c.block), original);
        ASSERT_EQ(r.writes.size(), 1u);
        EXPECT_EQ(r.writes[0].result, WriteCheckResult::Same);
        // in the journal with what it replaced, so that it can be undone
        const std::vector<JournalEntry> journal = ops.journal->entries();
        ASSERT_FALSE(journal.empty());
        EXPECT_EQ(journal.back().block, c.block);
        EXPECT_EQ(journal.back().oldBytes, changed);
        EXPECT_EQ(journal.back().newBytes, original);
        ASSERT_GE(view.calls.size(), 2u);
        EXPECT_NE(view.calls[1].text.find("Blok: " + std::to_string(c.block) + " (" + c.role +
                                          ")\r\nSnímač: SIMKEY0" + std::to_string(c.input + 1)),
                  std::string::npos)
            << view.calls[1].text;
    }
}

TEST_F(Restore, ABinIsRefusedUnlessItIsWhole) {
    // nothing read yet: nothing to save, no dialog
    view.fileAnswers = {file("never.bin", "")};
    Result saved;
    session.run([&](Operations& o) { saved = SaveEKeyBin(o, 0); });
    EXPECT_EQ(saved, ResultCode::Refused);
    ASSERT_EQ(view.criticals.size(), 1u);
    EXPECT_EQ(
        view.criticals.back().rfind("Blok vstupu 1 nebyl z připojeného převodníku přečten", 0), 0u);
    EXPECT_EQ(view.fileAnswers.size(), 1u);

    read();
    const std::string original = conv().block(0);
    for (const std::size_t size : {255u, 257u, 0u}) {
        SCOPED_TRACE(size);
        view.criticals.clear();
        view.fileAnswers = {file("wrong.bin", std::string(size, 'x'))};
        view.answers = {MessageAnswer::Yes};
        first = line.sent().size();
        RestoreResult r;
        session.run([&](Operations& o) { r = RestoreEKeyBin(o, 0); });
        EXPECT_EQ(r.outcome, ResultCode::Refused);
        EXPECT_TRUE(framesSince().empty());
        EXPECT_EQ(conv().block(0), original);
        ASSERT_EQ(view.criticals.size(), 1u);
        EXPECT_NE(view.criticals[0].find("obraz bloku má přesně 256 bajtů, soubor jich má " +
                                         std::to_string(size)),
                  std::string::npos)
            << view.criticals[0];
    }
}

TEST(RestoreQuestion, WarnsOfAnotherConverterOrSensor) {
    DeviceState st;
    BlockCache cache;
    st.DeviceId = "0123RM2712";
    st.DeviceAddress = 1;
    BackupEntry b;
    b.path = "/x/y.ekey";
    b.deviceId = "0456RM2712";
    b.address = 3;
    b.block = 131;
    b.sensorId = "";
    b.time = {2026, 1, 2, 3, 4, 5};
    b.image = std::string(256, '\0');
    const std::string notRead = RestoreQuestion(st, cache, b).czech();
    EXPECT_NE(notRead.find("Blok: 131 (interní kopie Vstup4)\r\nSnímač: (bez identifikátoru)\r\n"
                           "Pořízena: 2026-01-02 03:04:05"),
              std::string::npos)
        << notRead;
    EXPECT_NE(notRead.find("Blok nebyl přečten: před zápisem se přečte do deníku zápisů."),
              std::string::npos);
    EXPECT_NE(notRead.find("Pozor: záloha je z jiného převodníku (připojen je 0123RM2712, "
                           "adresa 1)."),
              std::string::npos);

    // read from this converter, with another sensor in it
    std::string image = "FSN" + std::string(58, ' ') + "OTHER001" + std::string(187, ' ');
    cache.rememberBlock(131, image, st.DeviceId, 1);
    b.deviceId = st.DeviceId;
    b.address = 1;
    b.sensorId = "SIMKEY04";
    const std::string other = RestoreQuestion(st, cache, b).czech();
    EXPECT_NE(other.find("snímač OTHER001\r\nPozor: v bloku je jiný snímač, než ze kterého je "
                         "záloha."),
              std::string::npos)
        << other;
    EXPECT_EQ(other.find("jiného převodníku"), std::string::npos);
    b.image = image;
    EXPECT_NE(RestoreQuestion(st, cache, b).czech().find("shodný se zálohou"), std::string::npos);
}

TEST(RestoreQuestion, ShowsTheSensorInTheImageAndWarnsWhenTheInputHoldsAnother) {
    DeviceState st;
    st.DeviceId = "0123RM2712";
    st.DeviceAddress = 1;
    st.sources[3] = InputSource::EKey;
    ASSERT_EQ(DecodeEKeyImage(sim::DefaultSensorImage(3), st.records[3], 3, 0, 0), ResultCode::Ok);
    BackupEntry b;
    b.deviceId = st.DeviceId;
    b.address = 1;
    b.block = 131;           // input 4's internal copy
    b.sensorId = "SIMKEY04"; // the file's label: whatever the image holds
    const std::string now = "\r\nPozor: na vstupu 4 je nyní snímač SIMKEY04, popis „Force sensor "
                            "50 N“.";
    const struct {
        const char* name;
        std::string image;
        std::string id;   // after "Snímač: "
        std::string tail; // the question's last paragraph
    } cases[] = {
        {"the sensor on the input", sim::DefaultSensorImage(3), "SIMKEY04",
         "Obraz v záloze: snímač SIMKEY04, popis „Force sensor 50 N“."},
        {"another sensor", sim::DefaultSensorImage(0), "SIMKEY01",
         "Obraz v záloze: snímač SIMKEY01, popis „Load cell 500 kg“." + now},
        {"no sensor record", std::string(256, '\0'), "(bez identifikátoru)",
         "Obraz v záloze není záznam snímače." + now},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        b.image = c.image;
        const std::string q = RestoreQuestion(st, BlockCache{}, b).czech();
        EXPECT_NE(q.find("\r\nSnímač: " + c.id + "\r\n"), std::string::npos) << q;
        ASSERT_GE(q.size(), c.tail.size());
        EXPECT_EQ(q.substr(q.size() - c.tail.size()), c.tail) << q;
        EXPECT_NE(q.find("\r\n\r\n" + c.tail), std::string::npos); // a paragraph of its own
    }
}

TEST(RestoreBlocks, OnlyEKeysAndInternalCopies) {
    const std::pair<int, const char*> roles[] = {
        {0, "eKey Vstup1"},
        {96, "eKey Vstup4"},
        {128, "interní kopie Vstup1"},
        {131, "interní kopie Vstup4"},
        {160, "interní kopie Vstup2"},
        {224, "interní kopie Vstup4"},
        {1, ""},
        {132, ""},
        {33, ""},
        {255, ""},
    };
    for (const auto& [block, role] : roles)
        EXPECT_EQ(BlockRole(block).czech(), role) << block;
}

} // namespace
} // namespace rm27
