// One request, one answer. The converter frames nothing but the answer's
// length, so every operation here waits for an exact character count and
// treats anything else as silence.
#pragma once

#include <cstdint>
#include <string>

#include "link/doubt.h"
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

// A byte and what is known against it (link/doubt.h); value -1 with
// kDoubtNoAnswer when nothing came.
struct ByteAnswer {
    std::int32_t value = -1;
    Doubt doubt;
};
// DevTransact, same frames and waits, that also says how far its answer can
// be trusted: non-hex digits, a missing CR, characters waiting before the
// send, an earlier request still owed its answer.
ByteAnswer DevTransactChecked(Port& port, std::int32_t address, std::int32_t param,
                              std::int32_t timeoutMs, const std::string& command);

// Write with an echo. The frame is sent exactly once, after a 500 ms settle
// and a flush; then up to four waits of (timeoutMs / 10 + 1) polls of 50 ms
// look for a 3-character echo equal to param2. A wrong echo does not resend:
// a late correct echo may still follow. Result: the echoed byte, or -1.
std::int32_t DevTransactWrite(Port& port, std::int32_t address, std::int32_t param1,
                              std::int32_t param2, std::int32_t timeoutMs,
                              const std::string& command);
// The same with the doubts about the echo it took.
ByteAnswer DevTransactWriteChecked(Port& port, std::int32_t address, std::int32_t param1,
                                   std::int32_t param2, std::int32_t timeoutMs,
                                   const std::string& command);

// Free-text request whose answer has a known length (without its CR).
// Sent up to four times. Result: the answer without CR, or "".
std::string DevQuery(Port& port, std::int32_t address, const std::string& commandText,
                     std::int32_t answerLength, std::int32_t timeoutMs);

// What a query's answer is made of: hex digits (memory cells, "DEF"), or
// the identification's text (digits, upper-case letters, blank and the
// marks - . _ /).
enum class AnswerForm { Hex, Text };
struct TextAnswer {
    std::string text; // without its CR; "" with kDoubtNoAnswer when nothing came
    Doubt doubt;
};
TextAnswer DevQueryChecked(Port& port, std::int32_t address, const std::string& commandText,
                           std::int32_t answerLength, std::int32_t timeoutMs,
                           AnswerForm form = AnswerForm::Hex);
// The shape of a text answer with its CR (see AnswerForm::Text).
Doubt TextAnswerDoubt(const std::string& answerWithCr);

} // namespace rm27
