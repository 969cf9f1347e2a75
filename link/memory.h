// The converter's byte-addressed configuration memory ("ER"/"EW") and its
// 256-byte blocks ("KB"/"KW"): eKey images and the internal copies.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "link/doubt.h"
#include "link/line.h"
#include "link/result.h"

namespace rm27 {

inline constexpr int kBlockSize = 256;

// Configuration memory cells the program reads or writes.
inline constexpr int kCellAddress = 0x00; // the address the converter takes at its next boot
inline constexpr int kCellFilter = 0x05;  // measuring filter, low 4 bits
inline constexpr int kCellConfig0 = 0x28;
inline constexpr int kCellConfig1 = 0x29;
inline constexpr int kCellConfig2 = 0x2A;
// Per input, IEEE singles of 4 cells: the zero Q in divisions and the slope
// K in mV/V per division.
constexpr int CellQ(int input) {
    return 144 + 8 * input;
}
constexpr int CellK(int input) {
    return 148 + 8 * input;
}

// Block number of input/page: input * 32 + page (sent as 2 hex digits).
inline constexpr std::int32_t kPagesPerInput = 32;
constexpr std::int32_t BlockNumber(std::int32_t input, std::int32_t page) {
    return input * kPagesPerInput + page;
}

// The IEEE single at location..location+3 (least significant byte first).
// A byte that could not be read counts as FF, so a silent converter gives
// a NaN; the result cannot tell failure from data.
double MemReadFloat(Port& port, std::int32_t address, std::int32_t location,
                    std::int32_t timeoutMs);

// MemReadFloat, same frames, with the doubts of its four bytes together (a
// byte that failed gives kDoubtNoAnswer: its FF is a stand-in).
struct FloatAnswer {
    double value = 0;
    Doubt doubt;
    // The four bytes as answered, least significant first (-1: no answer).
    std::array<std::int32_t, 4> bytes{-1, -1, -1, -1};
};
FloatAnswer MemReadFloatChecked(Port& port, std::int32_t address, std::int32_t location,
                                std::int32_t timeoutMs);

// The four bytes MemWriteFloat writes for value, least significant first:
// the single nearest to it (an infinity of its sign beyond the range).
std::array<std::int32_t, 4> FloatBytes(double value);

// Writes value as a single to location..location+3, byte by byte. All four
// writes are tried even after a failure. Result 1 when all four bytes were
// echoed, else 0 (the float may be left half written).
double MemWriteFloat(Port& port, std::int32_t address, std::int32_t location, double value,
                     std::int32_t timeoutMs);

// One "KB" exchange of 513 characters; sent once, waited for about 1 s.
// block gets 256 characters (one per byte) on success and is left as it was
// otherwise. Result Ok, NoAnswer or PortClosed.
Result BlockRead(Port& port, std::string& block, std::int32_t address, std::int32_t input,
                 std::int32_t page);
// The same; `doubt` gets what is known against the answer taken (a missing
// or misplaced CR, non-hex digits, an earlier request still owed), and
// kDoubtNoAnswer when the result is not Ok.
Result BlockReadChecked(Port& port, std::string& block, std::int32_t address, std::int32_t input,
                        std::int32_t page, Doubt& doubt);

// Writes block byte by byte ("KW"), each byte sent up to three times and its
// echo checked; an echo to the third send still counts. Stops at the first
// failing byte: bytes before it are written, none after it is sent.
// Result Ok, NoAnswer or WrongEcho carrying the byte (from 1), PortClosed
// or TooLong.
Result BlockWrite(Port& port, const std::string& block, std::int32_t address, std::int32_t input,
                  std::int32_t page);

} // namespace rm27
