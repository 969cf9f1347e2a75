// Names and texts of the link's result codes, including the edges of the
// codes that carry a byte number: a log that blames the wrong byte, or calls
// a real failure "unknown", sends the reader to the wrong place.
#include "link/results.h"

#include <gtest/gtest.h>

#include <string>

namespace rm27 {
namespace {

struct Row {
    std::string (*name)(int);
    std::string (*text)(int);
    int code;
    const char* expectedName;
    const char* expectedText;
};

TEST(ResultCodes, NameAndTextOfEveryCode) {
    const Row rows[] = {
        {BlockReadResultName, BlockReadResultText, 1, "ok", "block read"},
        {BlockReadResultName, BlockReadResultText, -1, "no-answer", "no complete answer"},
        {BlockReadResultName, BlockReadResultText, -2, "port-closed", "port closed"},
        {BlockReadResultName, BlockReadResultText, 0, "unknown", "unknown result 0"},

        {BlockWriteResultName, BlockWriteResultText, 0, "ok", "block written"},
        {BlockWriteResultName, BlockWriteResultText, -1, "no-answer", "no answer at byte 1"},
        {BlockWriteResultName, BlockWriteResultText, -17, "no-answer", "no answer at byte 17"},
        {BlockWriteResultName, BlockWriteResultText, -256, "no-answer", "no answer at byte 256"},
        {BlockWriteResultName, BlockWriteResultText, -257, "unknown", "unknown result -257"},
        {BlockWriteResultName, BlockWriteResultText, -10000, "unknown", "unknown result -10000"},
        {BlockWriteResultName, BlockWriteResultText, -10001, "wrong-echo", "wrong echo at byte 1"},
        {BlockWriteResultName, BlockWriteResultText, -10017, "wrong-echo", "wrong echo at byte 17"},
        {BlockWriteResultName, BlockWriteResultText, -10256, "wrong-echo",
         "wrong echo at byte 256"},
        {BlockWriteResultName, BlockWriteResultText, -10257, "unknown", "unknown result -10257"},
        {BlockWriteResultName, BlockWriteResultText, -20000, "port-closed", "port closed"},
        {BlockWriteResultName, BlockWriteResultText, -30000, "too-long",
         "block longer than 256 bytes"},
        {BlockWriteResultName, BlockWriteResultText, 1, "unknown", "unknown result 1"},

        {DecodeResultName, DecodeResultText, 0, "ok", "image decoded"},
        {DecodeResultName, DecodeResultText, -30, "short", "image shorter than 255 bytes"},
        {DecodeResultName, DecodeResultText, -34, "no-fsn", "no FSN mark"},
        {DecodeResultName, DecodeResultText, -32, "no-kri", "no KRI mark"},
        {DecodeResultName, DecodeResultText, -43, "no-curve-flag", "no curve flag"},
        {DecodeResultName, DecodeResultText, -33, "bad-point-count", "bad point count"},
        {DecodeResultName, DecodeResultText, -1, "unknown", "unknown result -1"},

        {BuildResultName, BuildResultText, 84, "ok", "image built, size 84"},
        {BuildResultName, BuildResultText, -1, "too-many-points", "too many points for the block"},
        {BuildResultName, BuildResultText, -2, "too-few-points", "fewer than 2 points"},
        {BuildResultName, BuildResultText, -3, "no-curve-flag", "no curve flag"},
        {BuildResultName, BuildResultText, -4, "unencodable-text",
         "a text holds a character outside Windows-1250"},
        {BuildResultName, BuildResultText, 0, "unknown", "unknown result 0"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.name(row.code), row.expectedName) << row.code;
        EXPECT_EQ(row.text(row.code), row.expectedText) << row.code;
    }
}

} // namespace
} // namespace rm27
