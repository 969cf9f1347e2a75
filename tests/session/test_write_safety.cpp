// Backup before, check after: the image a write replaces is kept without a
// frame on the line, and an image that does not read back as written is
// named, block and byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "link/memory.h"
#include "reading/operations.h"
#include "session/write_safety.h"
#include "support/sim_rig.h"

namespace rm27::test {
namespace {

class WriteSafety : public SimRig {
protected:
    WriteSafety() {
        addConverter(1); // eKeys on inputs 0 and 1
        char pattern[] = "/tmp/rm27-safety-XXXXXX";
        dir_ = mkdtemp(pattern);
        store_ = std::make_unique<FolderBackupStore>(dir_);
        ops.backups = store_.get();
    }
    ~WriteSafety() override { std::filesystem::remove_all(dir_); }

    std::string dir_;
    std::unique_ptr<FolderBackupStore> store_;
};

TEST_F(WriteSafety, TheReadImageIsKeptWithoutAFrame) {
    EXPECT_EQ(BackUpBlock(ops, 0), ""); // nothing read yet: nothing to keep
    ASSERT_TRUE(DevRead(ops, 1));
    const auto frames = line.sent().size();
    const std::string path = BackUpBlock(ops, BlockNumber(0, 0));
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(line.sent().size(), frames);
    BackupEntry kept;
    std::string error;
    ASSERT_TRUE(store_->load(path, kept, &error)) << error;
    EXPECT_EQ(kept.image, conv().block(0));
    EXPECT_EQ(kept.block, 0);
    EXPECT_EQ(kept.sensorId, "SIMKEY01");
    EXPECT_EQ(kept.deviceId, "0123RM2712");
    EXPECT_EQ(IsoTime(kept.time), "2026-12-04T00:00:19");
    // the internal copy of input 3 was read too (no eKey there)
    EXPECT_FALSE(BackUpBlock(ops, BlockNumber(4, 3)).empty());
    EXPECT_EQ(store_->list().size(), 2u);
}

TEST_F(WriteSafety, AnAlteredWriteIsNamedAfterTheReadingAgain) {
    ASSERT_TRUE(DevRead(ops, 1));
    std::string image = conv().block(32);
    image[40] = static_cast<char>(image[40] ^ 0x01);
    image.resize(120);
    const std::string backup = BackUpBlock(ops, 32);

    // the location of byte 17 is hit on the line: echoed fine, stored elsewhere
    bus.faults().next(sim::RequestMatch::kwIndex(17), sim::Fault::alteredIndex());
    const WriteCheck check = BeginWriteCheck(ops, 32, image, backup);
    ASSERT_EQ(BlockWrite(port, image, 1, 1, 0), 0);
    ASSERT_TRUE(DevRead(ops, 1));
    EXPECT_EQ(FinishWriteCheck(ops, check), WriteCheckResult::Differs);
    ASSERT_EQ(view.criticals.size(), 1u);
    EXPECT_EQ(view.criticals[0].rfind("Blok 32 po zápisu neobsahuje, co bylo zapsáno: první "
                                      "rozdíl v bajtu 16 (",
                                      0),
              0u)
        << view.criticals[0];
    EXPECT_NE(view.criticals[0].find(backup), std::string::npos);

    // written cleanly, it reads back the same
    const WriteCheck clean = BeginWriteCheck(ops, 32, image, "");
    ASSERT_EQ(BlockWrite(port, image, 1, 1, 0), 0);
    EXPECT_EQ(FinishWriteCheck(ops, clean), WriteCheckResult::NotReadAgain); // not yet read
    ASSERT_TRUE(DevRead(ops, 1));
    EXPECT_EQ(FinishWriteCheck(ops, clean), WriteCheckResult::Same);
    EXPECT_EQ(view.criticals.size(), 1u);
}

TEST_F(WriteSafety, FirstDifferenceCountsEveryByteTheDateToo) {
    std::string written(100, 'a');
    std::string read = written;
    EXPECT_EQ(FirstDifference(written, read), -1);
    // A byte stored at the wrong place may land among the date bytes
    // (49..54): they were sent as they are, so they must come back so.
    read[50] = 'b';
    EXPECT_EQ(FirstDifference(written, read), 50);
    EXPECT_EQ(FirstDifference(written, written.substr(0, 99)), 99);
}

// A store that cannot write, for the one failure a backup can have.
class FullStore final : public BackupStore {
public:
    std::string save(const BackupEntry&, std::string* error) override {
        *error = "disk full";
        return {};
    }
    std::vector<BackupEntry> list() override { return {}; }
    bool load(const std::string&, BackupEntry&, std::string*) override { return false; }
};

TEST_F(WriteSafety, OnlyAnImageReadFromThisConverterIsKept) {
    ASSERT_TRUE(DevRead(ops, 1));
    EXPECT_EQ(KeepBlockImage(ops, 0).kind, BackupKind::Kept);
    EXPECT_EQ(KeepBlockImage(ops, 32 * 2).kind, BackupKind::NeverRead); // input 3: no eKey
    // the same block number on another converter (or address) is no backup
    state.DeviceAddress = 2;
    EXPECT_EQ(KeepBlockImage(ops, 0).kind, BackupKind::NeverRead);
    state.DeviceAddress = 1;
    state.DeviceId = "9999RM2799";
    EXPECT_EQ(KeepBlockImage(ops, 0).kind, BackupKind::NeverRead);
    state.DeviceId = "0123RM2712";

    FullStore full;
    ops.backups = &full;
    const BlockBackup failed = KeepBlockImage(ops, 0);
    EXPECT_EQ(failed.kind, BackupKind::Failed);
    EXPECT_EQ(failed.error, "disk full");
    ops.backups = nullptr;
    EXPECT_EQ(KeepBlockImage(ops, 0).kind, BackupKind::NoStore);
    EXPECT_EQ(store_->list().size(), 1u);
}

TEST_F(WriteSafety, TheNoteSaysWhatNoBoxSaid) {
    const auto write = [](int block, BackupKind kind, bool written, bool checked,
                          WriteCheckResult result) {
        GuardedWrite w;
        w.backup.block = block;
        w.backup.kind = kind;
        w.backup.path = kind == BackupKind::Kept ? "/b/k.ekey" : "";
        w.backup.error = kind == BackupKind::Failed ? "disk full" : "";
        w.check.block = block;
        w.written = written;
        w.checked = checked;
        w.result = result;
        return w;
    };
    using K = BackupKind;
    using R = WriteCheckResult;
    const struct {
        GuardedWrite w;
        const char* note;
    } cases[] = {
        {write(0, K::Kept, true, true, R::Same), ""},
        {write(0, K::NoStore, true, true, R::Same), ""},
        {write(0, K::NeverRead, true, true, R::Same),
         "Blok 0 nebyl před zápisem přečten: jeho obsah není zálohován."},
        {write(32, K::Failed, true, true, R::Same), "Zálohu bloku 32 nelze uložit: disk full"},
        {write(129, K::Kept, true, true, R::NotReadAgain),
         "Zápis bloku 129 nebyl ověřen novým čtením."},
        {write(128, K::Kept, true, false, R::Same), "Zápis bloku 128 nebyl ověřen novým čtením."},
        {write(96, K::Kept, true, true, R::Differs),
         "Blok 96 po zápisu neobsahuje, co bylo zapsáno."},
        {write(96, K::Kept, false, false, R::NotReadAgain),
         "Původní obsah bloku 96 je v záloze /b/k.ekey"},
        {write(96, K::NoStore, false, false, R::NotReadAgain), ""},
    };
    std::vector<GuardedWrite> all;
    for (const auto& c : cases) {
        EXPECT_EQ(WriteSafetyNote({c.w}), c.note) << c.note;
        all.push_back(c.w);
    }
    EXPECT_EQ(WriteSafetyNote({cases[2].w, cases[4].w}),
              std::string(cases[2].note) + " " + cases[4].note);
}

} // namespace
} // namespace rm27::test
