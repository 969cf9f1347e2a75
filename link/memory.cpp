#include "link/memory.h"

#include <cmath>
#include <limits>

#include "link/codecs.h"
#include "link/transact.h"

namespace rm27 {

namespace {

constexpr int kReadAnswerLength = 2 * kBlockSize + 1; // hex pairs and CR
constexpr std::int32_t kReadPolls = 100;
constexpr std::int32_t kWritePolls = 20;
constexpr int kWriteSends = 3;

// A double beyond the range of a single becomes an infinity of its sign, as
// the hardware conversion would; the language leaves that cast undefined.
float ToSingle(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (std::isfinite(value) && std::fabs(value) > kMax) {
        return value > 0 ? std::numeric_limits<float>::infinity()
                         : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

} // namespace

double MemReadFloat(Port& port, std::int32_t address, std::int32_t location,
                    std::int32_t timeoutMs) {
    return MemReadFloatChecked(port, address, location, timeoutMs).value;
}

FloatAnswer MemReadFloatChecked(Port& port, std::int32_t address, std::int32_t location,
                                std::int32_t timeoutMs) {
    std::string text;
    FloatAnswer answer;
    for (std::int32_t k = 0; k < 4; ++k) {
        // -1 (no answer) prints as FF; a cancelled command sends nothing more
        const ByteAnswer b = DevTransactChecked(port, address, location + k, timeoutMs, "ER");
        text += LongToHex(b.value, 2);
        answer.doubt |= b.doubt;
        answer.bytes[static_cast<std::size_t>(k)] = b.value;
    }
    answer.value = static_cast<double>(HexToSingle(text, false));
    return answer;
}

std::array<std::int32_t, 4> FloatBytes(double value) {
    const std::string text = SingleToHex(ToSingle(value));
    std::array<std::int32_t, 4> bytes{};
    for (std::size_t k = 0; k < bytes.size(); ++k)
        bytes[k] = HexToLong(text.substr(2 * k, 2));
    return bytes;
}

double MemWriteFloat(Port& port, std::int32_t address, std::int32_t location, double value,
                     std::int32_t timeoutMs) {
    const std::array<std::int32_t, 4> bytes = FloatBytes(value);
    int confirmed = 0;
    for (std::int32_t k = 0; k < 4; ++k) {
        const std::int32_t byte = bytes[static_cast<std::size_t>(k)];
        if (DevTransactWrite(port, address, location + k, byte, timeoutMs, "EW") >= 0) {
            ++confirmed;
        }
    }
    return confirmed == 4 ? 1.0 : 0.0;
}

Result BlockRead(Port& port, std::string& block, std::int32_t address, std::int32_t input,
                 std::int32_t page) {
    Doubt ignored;
    return BlockReadChecked(port, block, address, input, page, ignored);
}

Result BlockReadChecked(Port& port, std::string& block, std::int32_t address, std::int32_t input,
                        std::int32_t page, Doubt& doubt) {
    const auto result = [](ResultCode code) { return Result::Of(ResultOf::BlockRead, code); };
    doubt = kDoubtNoAnswer;
    // A cancelled command reads as a closed port: whatever cancelled it
    // (the line lost, the program closing) leaves nothing to talk to.
    if (!port.line.isOpen() || port.cancelled()) return result(ResultCode::PortClosed);
    port.flush();
    port.ask(BuildFrame(address, "KB", BlockNumber(input, page)), kReadAnswerLength);

    std::int32_t k = 0;
    do {
        DelayMs(port, 10);
        if (port.cancelled()) return result(ResultCode::PortClosed);
        ++k;
    } while (port.line.inBufferCount() != kReadAnswerLength && k <= kReadPolls);
    if (k > kReadPolls) return result(ResultCode::NoAnswer);

    const std::string answer = port.line.input();
    doubt = HexAnswerDoubt(answer) | port.answers.taken(port.pump.nowMs());
    std::string bytes(kBlockSize, '\0');
    for (std::size_t j = 0; j < bytes.size(); ++j) {
        const std::size_t at = 2 * j;
        const std::string pair = at < answer.size() ? answer.substr(at, 2) : std::string();
        bytes[j] = static_cast<char>(HexToLong(pair) & 0xFF);
    }
    block = std::move(bytes);
    return result(ResultCode::Ok);
}

Result BlockWrite(Port& port, const std::string& block, std::int32_t address, std::int32_t input,
                  std::int32_t page) {
    const auto result = [](ResultCode code, std::int32_t byte = 0) {
        return Result::Of(ResultOf::BlockWrite, code, byte);
    };
    if (!port.line.isOpen() || port.cancelled()) return result(ResultCode::PortClosed);
    if (block.size() > static_cast<std::size_t>(kBlockSize)) return result(ResultCode::TooLong);
    DelayMs(port, 200);

    const std::int32_t blockNumber = BlockNumber(input, page);
    const auto n = static_cast<std::int32_t>(block.size());
    for (std::int32_t i = 1; i <= n; ++i) {
        const std::int32_t byte =
            static_cast<unsigned char>(block[static_cast<std::size_t>(i - 1)]);
        const std::string frame = "$" + LongToHex(address, 2) + "KW" + LongToHex(blockNumber, 2) +
                                  LongToHex(i - 1, 2) + LongToHex(byte, 2) + "\r";
        bool answered = false;
        for (int sends = 0; sends < kWriteSends && !answered; ++sends) {
            // Bytes before this one are written; the rest are not sent.
            if (port.cancelled()) return result(ResultCode::PortClosed);
            port.flush();
            port.ask(frame, 3);
            std::int32_t k = 0;
            do {
                DelayMs(port, 10);
                if (port.cancelled()) return result(ResultCode::PortClosed);
                ++k;
                answered = port.line.inBufferCount() == 3;
            } while (!answered && k <= kWritePolls);
        }
        if (!answered) return result(ResultCode::NoAnswer, i);
        const std::string echo = port.line.input();
        port.answers.taken(port.pump.nowMs());
        if (HexToLong(echo.substr(0, 2)) != byte) return result(ResultCode::WrongEcho, i);
    }
    return result(ResultCode::Ok);
}

} // namespace rm27
