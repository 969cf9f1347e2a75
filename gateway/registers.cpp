#include "gateway/registers.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace rm27 {

namespace {

void PutWords(std::uint16_t* at, std::uint32_t x) {
    at[0] = static_cast<std::uint16_t>(x >> 16);
    at[1] = static_cast<std::uint16_t>(x & 0xFFFF);
}

} // namespace

InputStatus StatusOf(const InputReading& r) {
    if (!r.fresh) return InputStatus::Stale;
    if (r.doubt) return InputStatus::Uncertain;
    if (!r.value) return InputStatus::NoCurve;
    return InputStatus::Fresh;
}

std::array<std::uint16_t, kRegisterCount> InputRegisters(const ConverterSample& sample,
                                                         std::int64_t nowMs) {
    std::array<std::uint16_t, kRegisterCount> regs{};
    for (std::size_t i = 0; i < sample.inputs.size(); ++i) {
        const InputReading& r = sample.inputs[i];
        std::uint16_t* at = regs.data() + i * kRegistersPerInput;
        const float value = r.value.value_or(std::numeric_limits<float>::quiet_NaN());
        PutWords(at, std::bit_cast<std::uint32_t>(value));
        PutWords(at + 2, std::bit_cast<std::uint32_t>(r.mvv));
        PutWords(at + 4, r.raw);
        at[6] = static_cast<std::uint16_t>(StatusOf(r));
        const std::int64_t tenths = std::max<std::int64_t>(0, nowMs - r.monoMs) / 100;
        at[7] = static_cast<std::uint16_t>(std::min<std::int64_t>(tenths, 0xFFFF));
    }
    return regs;
}

} // namespace rm27
