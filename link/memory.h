// The converter's byte-addressed configuration memory ("ER"/"EW") and its
// 256-byte blocks ("KB"/"KW"): eKey images and the internal copies.
#pragma once

#include <cstdint>
#include <string>

#include "link/line.h"

namespace rm27 {

// BlockWrite results besides 0, -i (no answer at byte i) and -(10000 + i)
// (wrong echo at byte i), i counting from 1.
inline constexpr std::int32_t kBlockPortClosed = -20000;
// A block text longer than 256 characters would repeat byte indexes (the
// index is cut to two hex digits) and overwrite the start of the block:
// refused before anything is sent.
inline constexpr std::int32_t kBlockTooLong = -30000;

// BlockRead results besides 1 (read).
inline constexpr std::int32_t kBlockReadNoAnswer = -1;
inline constexpr std::int32_t kBlockReadPortClosed = -2;

inline constexpr int kBlockSize = 256;

// Block number of input/page: input * 32 + page (sent as 2 hex digits).
constexpr std::int32_t BlockNumber(std::int32_t input, std::int32_t page) {
    return input * 32 + page;
}

// The IEEE single at location..location+3 (least significant byte first).
// A byte that could not be read counts as FF, so a silent converter gives
// a NaN; the result cannot tell failure from data.
double MemReadFloat(Port& port, std::int32_t address, std::int32_t location,
                    std::int32_t timeoutMs);

// Writes value as a single to location..location+3, byte by byte. All four
// writes are tried even after a failure. Result 1 when all four bytes were
// echoed, else 0 (the float may be left half written).
double MemWriteFloat(Port& port, std::int32_t address, std::int32_t location, double value,
                     std::int32_t timeoutMs);

// One "KB" exchange of 513 characters; sent once, waited for about 1 s.
// block gets 256 characters (one per byte) on success and is left as it was
// otherwise. Result 1, kBlockReadNoAnswer or kBlockReadPortClosed.
std::int32_t BlockRead(Port& port, std::string& block, std::int32_t address, std::int32_t input,
                       std::int32_t page);

// Writes block byte by byte ("KW"), each byte sent up to three times and its
// echo checked; an echo to the third send still counts. Stops at the first
// failing byte: bytes before it are written, none after it is sent.
// Result 0, -i, -(10000 + i), kBlockPortClosed or kBlockTooLong.
std::int32_t BlockWrite(Port& port, const std::string& block, std::int32_t address,
                        std::int32_t input, std::int32_t page);

} // namespace rm27
