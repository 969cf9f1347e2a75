// The number and text of every way a link function can end, with the edges
// of the results that carry a byte: the messages show these numbers
// ("[ERR:-20000]"), and a log that blames the wrong byte sends its reader
// to the wrong place.
#include "link/result.h"

#include <gtest/gtest.h>

namespace rm27 {
namespace {

TEST(Result, NumberAndTextOfEveryLinkResult) {
    using C = ResultCode;
    constexpr auto R = ResultOf::BlockRead, W = ResultOf::BlockWrite, D = ResultOf::Decode,
                   B = ResultOf::Build;
    const struct {
        Result result;
        std::int32_t shown;
        const char* text;
    } rows[] = {
        {Result::Of(R, C::Ok), 1, "done"}, {Result::Of(R, C::PortClosed), -2, "port closed"},
        {Result::Of(R, C::NoAnswer), -1, "no complete answer"}, {Result::Of(W, C::Ok), 0, "done"},
        {Result::Of(W, C::NoAnswer, 1), -1, "no complete answer at byte 1"},
        {Result::Of(W, C::NoAnswer, 256), -256, "no complete answer at byte 256"},
        {Result::Of(W, C::WrongEcho, 1), -10001, "wrong echo at byte 1"},
        {Result::Of(W, C::WrongEcho, 256), -10256, "wrong echo at byte 256"},
        {Result::Of(W, C::PortClosed), -20000, "port closed"},
        {Result::Of(W, C::TooLong), -30000, "block longer than 256 bytes"},
        {Result::Of(D, C::Ok), 0, "done"}, {Result::Of(D, C::NoKri), -32, "no KRI mark"},
        {Result::Of(D, C::Short), -30, "image shorter than 255 bytes"},
        {Result::Of(D, C::BadCount), -33, "bad point count"},
        {Result::Of(D, C::NoFsn), -34, "no FSN mark"},
        {Result::Of(D, C::NoCurveFlag), -43, "no curve flag"},
        {Result::Of(B, C::Ok, 84), 84, "done, image size 84"},
        {Result::Of(B, C::TooManyPoints), -1, "too many points for the block"},
        {Result::Of(B, C::TooFewPoints), -2, "fewer than 2 points"},
        {Result::Of(B, C::NoCurveFlag), -3, "no curve flag"},
        {Result::Of(B, C::UnencodableText), -4, "a text holds a character outside Windows-1250"},
        {Result(C::Refused), 0, "refused"}, // an operation's result shows no number
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.result.shownNumber(), row.shown) << row.text;
        EXPECT_EQ(row.result.text(), row.text) << row.shown;
    }
}

} // namespace
} // namespace rm27
