// One request, one answer. The converter frames nothing but the answer's
// length, so every operation here waits for an exact character count and
// treats anything else as silence.
#pragma once

#include <cstdint>
#include <string>

#include "link/line.h"

namespace rm27 {

// Return no earlier than ms milliseconds later, servicing events meanwhile.
// Events are serviced at least once, even for ms <= 0.
void DelayMs(EventPump& pump, std::int64_t ms);
// The same on the port's clock, except that a cancelled command does not
// wait at all: the call returns at once, also from the middle of a wait.
void DelayMs(Port& port, std::int64_t ms);

// "$" + HH(address) + command + HH(param...) + CR. Values are cut to their
// low byte on the wire; nothing refuses them.
std::string BuildFrame(std::int32_t address, const std::string& command);
std::string BuildFrame(std::int32_t address, const std::string& command, std::int32_t param);
std::string BuildFrame(std::int32_t address, const std::string& command, std::int32_t param1,
                       std::int32_t param2);

// One-byte request with a one-byte answer ("3F" + CR). The frame is sent up
// to four times; each send waits (timeoutMs / 10 + 1) polls of 10 ms at most.
// Result: the byte 0..255 (non-hex text reads as 0), or -1 after the fourth
// send went unanswered. All three transactions give up at once, with their
// failure result, when the command is cancelled.
std::int32_t DevTransact(Port& port, std::int32_t address, std::int32_t param,
                         std::int32_t timeoutMs, const std::string& command);

// Write with an echo. The frame is sent exactly once, after a 500 ms settle
// and a flush; then up to four waits of (timeoutMs / 10 + 1) polls of 50 ms
// look for a 3-character echo equal to param2. A wrong echo does not resend:
// a late correct echo may still follow. Result: the echoed byte, or -1.
std::int32_t DevTransactWrite(Port& port, std::int32_t address, std::int32_t param1,
                              std::int32_t param2, std::int32_t timeoutMs,
                              const std::string& command);

// Free-text request whose answer has a known length (without its CR).
// Sent up to four times. Result: the answer without CR, or "".
std::string DevQuery(Port& port, std::int32_t address, const std::string& commandText,
                     std::int32_t answerLength, std::int32_t timeoutMs);

} // namespace rm27
