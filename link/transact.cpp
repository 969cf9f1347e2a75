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
    const std::int32_t polls = timeoutMs / 10;
    const std::string frame = BuildFrame(address, command, param);
    for (int sends = 1;; ++sends) {
        port.send(frame);
        if (PollForCount(port, kOneByteAnswer, polls, 10)) {
            return HexToLong(port.line.input().substr(0, 2));
        }
        port.line.input(); // whatever came is of the wrong length: drop it
        if (sends >= kMaxSends || port.cancelled()) return -1;
    }
}

std::int32_t DevTransactWrite(Port& port, std::int32_t address, std::int32_t param1,
                              std::int32_t param2, std::int32_t timeoutMs,
                              const std::string& command) {
    // The converter may still be busy with the previous write (EEPROM); the
    // settle time and flush keep a stale echo from being taken for ours.
    DelayMs(port, 500);
    if (port.cancelled()) return -1;
    port.line.input();
    port.send(BuildFrame(address, command, param1, param2));
    DelayMs(port, 200);

    const std::int32_t polls = timeoutMs / 10;
    std::int32_t value = -1;
    for (int attempts = 0; attempts < kMaxSends;) {
        if (PollForCount(port, kOneByteAnswer, polls, 50)) {
            value = HexToLong(port.line.input().substr(0, 2));
            if (value == param2) return value;
        }
        ++attempts;
        if (port.cancelled()) return -1;
        DelayMs(port, 10);
        port.line.input();
    }
    return -1;
}

std::string DevQuery(Port& port, std::int32_t address, const std::string& commandText,
                     std::int32_t answerLength, std::int32_t timeoutMs) {
    const std::int32_t polls = timeoutMs / 10;
    const std::string frame = BuildFrame(address, commandText);
    for (int sends = 1;; ++sends) {
        port.send(frame);
        if (PollForCount(port, answerLength + 1, polls, 10)) {
            std::string answer = port.line.input();
            if (!answer.empty()) answer.pop_back(); // the CR
            return answer;
        }
        DelayMs(port, 10);
        port.line.input();
        if (sends >= kMaxSends || port.cancelled()) return "";
    }
}

} // namespace rm27
