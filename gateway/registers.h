// The Modbus input registers of one converter: what a PLC reads from the
// gateway, 10 registers per input from address 0, words big-endian (the
// high word of a 32-bit number first, "ABCD"):
//
//   +0 +1  value, IEEE-754 single (NaN without a curve)
//   +2 +3  mV/V, IEEE-754 single
//   +4 +5  raw divisions, unsigned 32 bits
//   +6     status: 0 fresh, 1 stale, 2 uncertain, 3 no curve
//   +7     age of the reading in 100 ms, 65535 when older than that
//   +8 +9  reserved, 0
#pragma once

#include <array>
#include <cstdint>

#include "gateway/sample.h"

namespace rm27 {

inline constexpr int kRegistersPerInput = 10;
inline constexpr int kRegisterCount = kRegistersPerInput * kInputCount;

enum class InputStatus : std::uint16_t { Fresh = 0, Stale = 1, Uncertain = 2, NoCurve = 3 };

// One status for all that may be wrong, the worst first: numbers that are
// old, then numbers that may be wrong, then a value that is not there.
InputStatus StatusOf(const InputReading& reading);

// The registers of sample at the monotonic time nowMs.
std::array<std::uint16_t, kRegisterCount> InputRegisters(const ConverterSample& sample,
                                                         std::int64_t nowMs);

} // namespace rm27
