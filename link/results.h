// Every result code the link hands back, in one place, each with a short
// name and an English text for the command-line tool and for logs. The
// callers still compare and show the raw numbers (the window's "[ERR:...]"
// messages carry the code itself); names and texts only explain them.
#pragma once

#include <cstdint>
#include <string>

namespace rm27 {

// BlockRead.
inline constexpr std::int32_t kBlockReadOk = 1;
inline constexpr std::int32_t kBlockReadNoAnswer = -1; // no complete answer within the wait
inline constexpr std::int32_t kBlockReadPortClosed = -2;

// BlockWrite: 0, or the first failing byte i (counting from 1) folded into
// the code, or one of the two refusals before anything is sent.
inline constexpr std::int32_t kBlockWriteOk = 0;
inline constexpr std::int32_t kBlockWrongEchoBase = 10000;
constexpr std::int32_t BlockWriteNoAnswerAt(std::int32_t i) {
    return -i;
}
constexpr std::int32_t BlockWriteWrongEchoAt(std::int32_t i) {
    return -(kBlockWrongEchoBase + i);
}
inline constexpr std::int32_t kBlockPortClosed = -20000;
// A block text longer than 256 characters would repeat byte indexes (the
// index is cut to two hex digits) and overwrite the start of the block:
// refused before anything is sent.
inline constexpr std::int32_t kBlockTooLong = -30000;

// DecodeEKeyImage.
inline constexpr std::int32_t kDecodeOk = 0;
inline constexpr std::int32_t kDecodeShort = -30; // fewer than 255 characters
inline constexpr std::int32_t kDecodeNoFSN = -34;
inline constexpr std::int32_t kDecodeNoKRI = -32;
inline constexpr std::int32_t kDecodeNoCurve = -43; // flag bit 7 clear
// Point count outside 2..40, or points (with a third value, if any) that
// would run past the 256-byte block or the end of the image text.
inline constexpr std::int32_t kDecodeBadCount = -33;

// BuildEKeyImage refusals (nothing is built, image and record untouched);
// a successful build returns the image size, always positive.
inline constexpr std::int32_t kBuildTooManyPoints = -1; // points do not fit in the 256-byte block
inline constexpr std::int32_t kBuildTooFewPoints = -2;  // fewer than 2 points
inline constexpr std::int32_t kBuildNoCurveFlag = -3;   // curve flag bit 7 clear
// A text holds a character the sensors' code page (Windows-1250) cannot hold.
inline constexpr std::int32_t kBuildUnencodableText = -4;

// Short lower-case names ("no-answer", "wrong-echo", ...) and texts ("wrong
// echo at byte 17"). A number the operation never returns is named
// "unknown" and its text says "unknown result" with the number.
std::string BlockReadResultName(int result);
std::string BlockReadResultText(int result);
std::string BlockWriteResultName(int result);
std::string BlockWriteResultText(int result);
std::string DecodeResultName(int result);
std::string DecodeResultText(int result);
std::string BuildResultName(int result);
std::string BuildResultText(int result);

} // namespace rm27
