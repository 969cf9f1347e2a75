// The backups of eKey images: what a file holds and what it is called.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "session/backups.h"

namespace rm27 {
namespace {

namespace fs = std::filesystem;

class Backups : public ::testing::Test {
protected:
    Backups() {
        char pattern[] = "/tmp/rm27-backups-XXXXXX";
        dir_ = mkdtemp(pattern);
        folder_ = (fs::path(dir_) / "backups").string();
    }
    ~Backups() override { fs::remove_all(dir_); }

    BackupEntry entry(int block, const std::string& sensor, CivilDateTime when) {
        BackupEntry e;
        e.deviceId = "0123RM2712";
        e.address = 1;
        e.block = block;
        e.sensorId = sensor;
        e.time = when;
        for (int i = 0; i < 256; ++i)
            e.image += static_cast<char>(255 - i);
        return e;
    }

    std::string dir_;
    std::string folder_;
};

TEST_F(Backups, SavedImagesComeBackNewestFirst) {
    FolderBackupStore store(folder_);
    EXPECT_TRUE(store.list().empty()); // no folder yet
    std::string error;
    const std::string older = store.save(entry(0, "SIMKEY01", {2026, 12, 4, 0, 0, 19}), &error);
    ASSERT_FALSE(older.empty()) << error;
    EXPECT_EQ(fs::path(older).filename(), "0123RM2712_block000_SIMKEY01_20261204T000019.ekey");
    const std::string newer = store.save(entry(129, "AC04/BB A", {2026, 12, 5, 8, 1, 2}), &error);
    EXPECT_EQ(fs::path(newer).filename(), "0123RM2712_block129_AC04_BB_A_20261205T080102.ekey");
    // the same block twice in one second keeps both
    const std::string again = store.save(entry(129, "AC04/BB A", {2026, 12, 5, 8, 1, 2}), &error);
    EXPECT_NE(again, newer);

    const auto all = store.list();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].path, older);
    EXPECT_EQ(all[2].block, 0);
    EXPECT_EQ(all[2].sensorId, "SIMKEY01");
    EXPECT_EQ(all[2].address, 1);
    EXPECT_EQ(IsoTime(all[2].time), "2026-12-04T00:00:19");
    EXPECT_EQ(all[2].image, entry(0, "", {}).image);
    EXPECT_EQ(all[0].block, 129);
}

// What a damaged file is refused for is shown where it is chosen, by the
// restore; here only that a folder that cannot be made is said.
TEST_F(Backups, AFolderThatCannotBeMadeIsSaid) {
    std::string error;
    std::ofstream(dir_ + "/file") << "x";
    FolderBackupStore blocked(dir_ + "/file/backups");
    EXPECT_EQ(blocked.save(entry(0, "X", {}), &error), "");
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace rm27
