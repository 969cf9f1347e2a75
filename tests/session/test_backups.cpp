// The backups of eKey images: what a file holds and what it is called.
// What a damaged file is refused for is shown where it is chosen, by the
// restore; here only that a folder that cannot be made is said.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "session/backups.h"

namespace rm27 {
namespace {

namespace fs = std::filesystem;

BackupEntry Entry(int block, const std::string& sensor, CivilDateTime when) {
    BackupEntry e{"", "0123RM2712", 1, block, sensor, when, ""};
    for (int i = 0; i < 256; ++i)
        e.image += static_cast<char>(255 - i);
    return e;
}

TEST(Backups, SavedImagesComeBackNewestFirstAndAFolderThatCannotBeMadeIsSaid) {
    char pattern[] = "/tmp/rm27-backups-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    FolderBackupStore store(dir + "/backups");
    EXPECT_TRUE(store.list().empty()); // no folder yet
    std::string error;
    const std::string older = store.save(Entry(0, "SIMKEY01", {2026, 12, 4, 0, 0, 19}), &error);
    ASSERT_FALSE(older.empty()) << error;
    const std::string newer = store.save(Entry(129, "AC04/BB A", {2026, 12, 5, 8, 1, 2}), &error);
    // the same block twice in one second keeps both
    EXPECT_NE(store.save(Entry(129, "AC04/BB A", {2026, 12, 5, 8, 1, 2}), &error), newer);
    EXPECT_EQ(fs::path(older).filename(), "0123RM2712_block000_SIMKEY01_20261204T000019.ekey");
    EXPECT_EQ(fs::path(newer).filename(), "0123RM2712_block129_AC04_BB_A_20261205T080102.ekey");

    const auto all = store.list();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].block, 129);
    const BackupEntry& e = all[2];
    EXPECT_EQ(std::make_tuple(e.path, e.block, e.sensorId, e.address, IsoTime(e.time)),
              std::make_tuple(older, 0, std::string("SIMKEY01"), 1, "2026-12-04T00:00:19"));
    EXPECT_EQ(e.image, Entry(0, "", {}).image);

    std::ofstream(dir + "/file") << "x";
    EXPECT_EQ(FolderBackupStore(dir + "/file/backups").save(Entry(0, "X", {}), &error), "");
    EXPECT_FALSE(error.empty());
    fs::remove_all(dir);
}

} // namespace
} // namespace rm27
