// The number, name and text of every way a link function can end, with the
// edges of the results that carry a byte: the messages show these numbers
// ("[ERR:-20000]"), and a log that blames the wrong byte sends its reader
// to the wrong place.
#include "link/result.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace rm27 {
namespace {

struct Row {
    Result result;
    std::int32_t shown;
    const char* name;
    const char* text;
};

Result Read(ResultCode code) {
    return Result::Of(ResultOf::BlockRead, code);
}
Result Write(ResultCode code, std::int32_t byte = 0) {
    return Result::Of(ResultOf::BlockWrite, code, byte);
}
Result Decode(ResultCode code) {
    return Result::Of(ResultOf::Decode, code);
}
Result Build(ResultCode code, std::int32_t size = 0) {
    return Result::Of(ResultOf::Build, code, size);
}

TEST(Result, NumberNameAndTextOfEveryLinkResult) {
    using C = ResultCode;
    const Row rows[] = {
        {Read(C::Ok), 1, "ok", "done"},
        {Read(C::NoAnswer), -1, "no-answer", "no complete answer"},
        {Read(C::PortClosed), -2, "port-closed", "port closed"},

        {Write(C::Ok), 0, "ok", "done"},
        {Write(C::NoAnswer, 1), -1, "no-answer", "no complete answer at byte 1"},
        {Write(C::NoAnswer, 17), -17, "no-answer", "no complete answer at byte 17"},
        {Write(C::NoAnswer, 256), -256, "no-answer", "no complete answer at byte 256"},
        {Write(C::WrongEcho, 1), -10001, "wrong-echo", "wrong echo at byte 1"},
        {Write(C::WrongEcho, 256), -10256, "wrong-echo", "wrong echo at byte 256"},
        {Write(C::PortClosed), -20000, "port-closed", "port closed"},
        {Write(C::TooLong), -30000, "too-long", "block longer than 256 bytes"},

        {Decode(C::Ok), 0, "ok", "done"},
        {Decode(C::Short), -30, "short", "image shorter than 255 bytes"},
        {Decode(C::NoKri), -32, "no-kri", "no KRI mark"},
        {Decode(C::BadCount), -33, "bad-point-count", "bad point count"},
        {Decode(C::NoFsn), -34, "no-fsn", "no FSN mark"},
        {Decode(C::NoCurveFlag), -43, "no-curve-flag", "no curve flag"},

        {Build(C::Ok, 84), 84, "ok", "done, image size 84"},
        {Build(C::TooManyPoints), -1, "too-many-points", "too many points for the block"},
        {Build(C::TooFewPoints), -2, "too-few-points", "fewer than 2 points"},
        {Build(C::NoCurveFlag), -3, "no-curve-flag", "no curve flag"},
        {Build(C::UnencodableText), -4, "unencodable-text",
         "a text holds a character outside Windows-1250"},

        // An operation's result shows no number.
        {Result(C::Refused), 0, "refused", "refused"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.result.shownNumber(), row.shown) << row.text;
        EXPECT_EQ(row.result.name(), row.name) << row.shown;
        EXPECT_EQ(row.result.text(), row.text) << row.shown;
    }
}

// r27ctl and the logs tell the codes apart by their names alone.
TEST(Result, EveryCodeHasANameOfItsOwn) {
    std::set<std::string_view> names;
    for (int c = 0; c <= static_cast<int>(ResultCode::Failed); ++c)
        EXPECT_TRUE(names.insert(ResultName(static_cast<ResultCode>(c))).second) << c;
}

} // namespace
} // namespace rm27
