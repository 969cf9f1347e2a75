#include "link/transact.h"

#include <algorithm>

#include "link/codecs.h"

namespace rm27 {

namespace {

constexpr int kOneByteAnswer = 3; // two hex digits and CR
constexpr int kMaxSends = 4;

// Wait in steps of stepMs until `expected` characters are waiting or more
// than `polls` steps have passed. Returns whether the count was reached;
// the count is read once per step, right after the wait, so the decision
// is the one the loop ended on.
bool PollForCount(Port& port, int expected, std::int32_t polls, std::int64_t stepMs) {
    std::int32_t k = 0;
    for (;;) {
        DelayMs(port, stepMs);
        if (port.cancelled()) return false;
        ++k;
        const bool arrived = port.line.inBufferCount() == expected;
        if (arrived) return true;
        if (k > polls) return false;
    }
}

} // namespace

void DelayMs(EventPump& pump, std::int64_t ms) {
    const std::int64_t end = pump.nowMs() + std::max<std::int64_t>(ms, 0);
    do {
        pump.waitFor(std::max<std::int64_t>(end - pump.nowMs(), 0));
    } while (pump.nowMs() < end);
}

void DelayMs(Port& port, std::int64_t ms) {
    if (port.cancelled()) return;
    const std::int64_t end = port.pump.nowMs() + std::max<std::int64_t>(ms, 0);
    do {
        port.pump.waitFor(std::max<std::int64_t>(end - port.pump.nowMs(), 0));
    } while (port.pump.nowMs() < end && !port.cancelled());
}

std::string BuildFrame(std::int32_t address, const std::string& command) {
    return "$" + LongToHex(address, 2) + command + "\r";
}

std::string BuildFrame(std::int32_t address, const std::string& command, std::int32_t param) {
    return "$" + LongToHex(address, 2) + command + LongToHex(param, 2) + "\r";
}

std::string BuildFrame(std::int32_t address, const std::string& command, std::int32_t param1,
                       std::int32_t param2) {
    return "$" + LongToHex(address, 2) + command + LongToHex(param1, 2) + LongToHex(param2, 2) +
           "\r";
}

std::int32_t DevTransact(Port& port, std::int32_t address, std::int32_t param,
                         std::int32_t timeoutMs, const std::string& command) {
    return DevTransactChecked(port, address, param, timeoutMs, command).value;
}

ByteAnswer DevTransactChecked(Port& port, std::int32_t address, std::int32_t param,
                              std::int32_t timeoutMs, const std::string& command) {
    const std::int32_t polls = timeoutMs / 10;
    const std::string frame = BuildFrame(address, command, param);
    // Nothing is flushed before the first send: whatever waits now will be
    // counted into the answer.
    Doubt stray = port.line.inBufferCount() > 0 ? kDoubtStray : Doubt{};
    for (int sends = 1;; ++sends) {
        port.ask(frame, kOneByteAnswer);
        if (PollForCount(port, kOneByteAnswer, polls, 10)) {
            const std::string answer = port.line.input();
            const Doubt doubt = stray | HexAnswerDoubt(answer) |
                                port.answers.taken(port.pump.nowMs(), static_cast<bool>(stray));
            return {HexToLong(answer.substr(0, 2)), doubt};
        }
        port.flush(); // whatever came is of the wrong length: drop it
        stray = {};
        if (sends >= kMaxSends || port.cancelled()) return {-1, kDoubtNoAnswer};
    }
}

std::int32_t DevTransactWrite(Port& port, std::int32_t address, std::int32_t param1,
                              std::int32_t param2, std::int32_t timeoutMs,
                              const std::string& command) {
    return DevTransactWriteChecked(port, address, param1, param2, timeoutMs, command).value;
}

ByteAnswer DevTransactWriteChecked(Port& port, std::int32_t address, std::int32_t param1,
                                   std::int32_t param2, std::int32_t timeoutMs,
                                   const std::string& command) {
    // The converter may still be busy with the previous write (EEPROM); the
    // settle time and flush keep a stale echo from being taken for ours.
    DelayMs(port, 500);
    if (port.cancelled()) return {-1, kDoubtNoAnswer};
    port.flush();
    port.ask(BuildFrame(address, command, param1, param2), kOneByteAnswer);
    DelayMs(port, 200);

    const std::int32_t polls = timeoutMs / 10;
    for (int attempts = 0; attempts < kMaxSends;) {
        if (PollForCount(port, kOneByteAnswer, polls, 50)) {
            const std::string echo = port.line.input();
            const std::int32_t value = HexToLong(echo.substr(0, 2));
            if (value == param2)
                return {value, HexAnswerDoubt(echo) | port.answers.taken(port.pump.nowMs())};
            port.answers.discarded(echo);
        }
        ++attempts;
        if (port.cancelled()) return {-1, kDoubtNoAnswer};
        DelayMs(port, 10);
        port.flush();
    }
    return {-1, kDoubtNoAnswer};
}

std::string DevQuery(Port& port, std::int32_t address, const std::string& commandText,
                     std::int32_t answerLength, std::int32_t timeoutMs) {
    return DevQueryChecked(port, address, commandText, answerLength, timeoutMs).text;
}

Doubt TextAnswerDoubt(const std::string& answer) {
    if (answer.empty() || answer.back() != '\r') return kDoubtMisframed;
    Doubt doubt;
    for (std::size_t i = 0; i + 1 < answer.size(); ++i) {
        const char c = answer[i];
        if (c == '\r' || c == '\n') return kDoubtMisframed;
        const bool fits = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == ' ' ||
                          c == '-' || c == '.' || c == '_' || c == '/';
        if (!fits) doubt |= kDoubtBadCharacter;
    }
    return doubt;
}

TextAnswer DevQueryChecked(Port& port, std::int32_t address, const std::string& commandText,
                           std::int32_t answerLength, std::int32_t timeoutMs, AnswerForm form) {
    const std::int32_t polls = timeoutMs / 10;
    const std::string frame = BuildFrame(address, commandText);
    Doubt stray = port.line.inBufferCount() > 0 ? kDoubtStray : Doubt{};
    for (int sends = 1;; ++sends) {
        port.ask(frame, answerLength + 1);
        if (PollForCount(port, answerLength + 1, polls, 10)) {
            std::string answer = port.line.input();
            Doubt doubt = stray | port.answers.taken(port.pump.nowMs(), static_cast<bool>(stray));
            doubt |= form == AnswerForm::Hex ? HexAnswerDoubt(answer) : TextAnswerDoubt(answer);
            if (!answer.empty()) answer.pop_back(); // the CR
            return {answer, doubt};
        }
        DelayMs(port, 10);
        port.flush();
        stray = {};
        if (sends >= kMaxSends || port.cancelled()) return {"", kDoubtNoAnswer};
    }
}

} // namespace rm27
