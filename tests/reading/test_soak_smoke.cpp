// Every soak command once without faults: each must report done and leave
// the converter as its inputs meant. Keeps the soak's judges in step with
// the commands (a judge that disagrees with a clean run would count every
// success as a silent corruption) and each command working on the soak's
// converter, the external-to-internal copy on one that keeps its copies
// apart.
#include <gtest/gtest.h>

#include <filesystem>

#include "soak/soak_commands.h"

namespace rm27 {
namespace {

TEST(SoakSmoke, EveryCommandWithoutFaultsIsDoneAndAsMeant) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "rm27_soak_smoke";
    std::filesystem::create_directories(dir);
    for (const soak::Command& c : soak::AllCommands(dir.string())) {
        SCOPED_TRACE(c.name);
        const soak::RunResult r = c.run(1, 0.0);
        EXPECT_TRUE(r.success) << r.detail;
        EXPECT_FALSE(r.notRun || r.hang) << r.detail;
        EXPECT_FALSE(r.silentCorruption || r.silentByAlteredField || r.reportedCorruption)
            << r.detail;
        EXPECT_EQ(r.shown.unmarkedWrong + r.shown.markedWrong + r.shown.markedRight, 0);
    }
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace rm27
