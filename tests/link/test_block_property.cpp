// BlockWrite under random, reproducible faults: it must end either with the
// whole block written and echoed, or with the code of the first failing byte
// while the bytes before it are written and nothing after it was sent.
#include <gtest/gtest.h>

#include <random>

#include "link/memory.h"
#include "sim/bus.h"
#include "sim/virtual_line.h"

namespace rm27 {
namespace {

TEST(BlockWriteProperty, EndsWrittenOrNamesTheFailingByte) {
    int succeeded = 0;
    int failed = 0;
    for (std::uint64_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        sim::Bus bus;
        bus.add({});
        sim::VirtualLine line(bus);
        Port port{line, line};
        std::mt19937_64 gen(seed);
        std::string image(256, '\0');
        for (char& c : image)
            c = static_cast<char>(gen() & 0xFF);
        const std::string before = bus.converter(0).block(0);
        bus.faults().random(seed, seed % 3 == 0 ? 0.002 : 0.01);

        const Result result = BlockWrite(port, image, 1, 0, 0);
        // bounded: at most three sends of 21 polls per byte, plus the pause
        EXPECT_LE(line.sent().size(), 3u * 256u);
        EXPECT_LE(line.nowMs(), 200 + 256 * 3 * 220);
        const std::string after = bus.converter(0).block(0);
        line.waitFor(5000); // anything still on its way must not change the verdict
        (result.ok() ? succeeded : failed)++;
        const auto failing = static_cast<std::size_t>(result.ok() ? 257 : result.byte()); // from 1
        ASSERT_GT(failing, 0u) << result;
        EXPECT_EQ(after.substr(0, failing - 1), image.substr(0, failing - 1));
        if (result.ok()) continue;
        EXPECT_EQ(after.substr(failing), before.substr(failing));
        for (const auto& f : line.sent()) { // "$01KWbbii..": byte ii + 1
            EXPECT_LE(std::stoul(f.text.substr(7, 2), nullptr, 16), failing - 1) << f.text;
        }
    }
    // The plans must exercise both endings, or the property says little.
    EXPECT_GT(succeeded, 0);
    EXPECT_GT(failed, 0);
}

} // namespace
} // namespace rm27
