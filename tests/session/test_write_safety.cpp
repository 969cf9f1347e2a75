// The write journal's file: what goes in comes back, a damaged or torn
// line costs only itself, ids go on from the file's last entry, and "the
// last write" skips the writes already taken back. The read-back compares
// every byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "session/journal.h"
#include "session/write_safety.h"

namespace rm27 {
namespace {

namespace fs = std::filesystem;

JournalEntry BlockEntry(const std::string& command, int of = 0) {
    // the sensor quoted on the way in, as it was on the way out
    // clang-format off
    return {0, {2026, 12, 4, 0, 0, 19}, command, "0123RM2712", 1, 0, {}, 1, "SIM\"KEY\\1",
            std::string(256, '\0'), std::string(256, '\xFF'), of};
    // clang-format on
}

TEST(Journal, EntriesAndOutcomesComeBackFromTheFile) {
    const fs::path dir = fs::temp_directory_path() / "rm27-journal-test";
    fs::remove_all(dir);
    const std::string path = (dir / "data" / "journal.jsonl").string();
    Journal journal(path);
    JournalEntry block = BlockEntry("calibration");
    ASSERT_TRUE(journal.append(block, nullptr)); // the folder is made for it
    EXPECT_EQ(block.id, 1);
    JournalEntry cells = BlockEntry("eeprom-load");
    cells.block = -1;
    cells.cells = {0x90, 0x91, 0x05};
    cells.oldBytes = "\x01\x02\x03";
    cells.newBytes = "\x0A\x0B\x0C";
    ASSERT_TRUE(journal.append(cells, nullptr));
    ASSERT_TRUE(journal.settle(1, JournalResult::Failed, 17, nullptr));
    // A line no program wrote, and one torn by a crash half-way.
    std::ofstream(path, std::ios::app) << "{\"id\":9,\"command\":\"zero\"}\n{\"id\":3,\"time";

    JournalEntry third = BlockEntry("undo", 1);
    ASSERT_TRUE(Journal(path).append(third, nullptr));
    EXPECT_EQ(third.id, 3); // after the torn line, on a line of its own
    int unreadable = 0;
    const std::vector<JournalEntry> all = journal.entries(&unreadable);
    EXPECT_EQ(unreadable, 2);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].sensor, block.sensor);
    EXPECT_EQ(all[0].oldBytes, block.oldBytes);
    EXPECT_EQ(all[0].newBytes, block.newBytes);
    EXPECT_EQ(all[0].result, JournalResult::Failed);
    EXPECT_EQ(all[0].at, 17);
    EXPECT_EQ(all[1].cells, cells.cells);
    EXPECT_EQ(all[1].oldBytes, cells.oldBytes);
    EXPECT_EQ(all[1].result, JournalResult::Open);
    EXPECT_EQ(TargetText(all[1]).czech(), "Adresy paměti 90h … 05h (3 adres)");
    EXPECT_EQ(all[2].of, 1);

    // An undo is never the one to undo; a write counts as taken back only
    // once an undo of it is done.
    EXPECT_EQ(LastUndoable(all), 2);
    JournalEntry undo2 = BlockEntry("undo", 2);
    ASSERT_TRUE(journal.append(undo2, nullptr));
    ASSERT_TRUE(journal.settle(undo2.id, JournalResult::Done, 0, nullptr));
    EXPECT_EQ(LastUndoable(journal.entries()), 1);
    ASSERT_TRUE(journal.settle(3, JournalResult::Done, 0, nullptr));
    EXPECT_EQ(LastUndoable(journal.entries()), 0);

    // A journal that cannot be written says why.
    std::string error;
    JournalEntry refused = BlockEntry("zero");
    EXPECT_FALSE(Journal((fs::path(path) / "below-a-file").string()).append(refused, &error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    fs::remove_all(dir);

    // A byte stored at the wrong place may land among the date bytes
    // (49..54): they were sent as they are, so they must come back so.
    std::string written(100, 'a'), read = written;
    EXPECT_EQ(FirstDifference(written, read), -1);
    read[50] = 'b';
    EXPECT_EQ(FirstDifference(written, read), 50);
    EXPECT_EQ(FirstDifference(written, written.substr(0, 99)), 99);
}

} // namespace
} // namespace rm27
