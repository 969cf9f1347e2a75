// How a link function or an operation on the converter ended: one code for
// every way it can end, each with a short name and an English text for the
// command-line tool and for logs, and what the code carries (the byte a
// block write stopped at, the size of a built image).
//
// The window's messages still show the numbers these functions used to
// return ("[ERR:-20000]", "[ERR:-17]"), and a sensor that could not be
// decoded is described by one ("ERR:-34"): shownNumber() gives that number,
// which depends on the function the result came from.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace rm27 {

enum class ResultCode : std::uint8_t {
    Ok,
    // A block's exchange.
    NoAnswer,   // no complete answer within the wait (a write: at its byte)
    WrongEcho,  // a written byte echoed back as another
    PortClosed, // the port closed, or the command cancelled
    // A block text longer than 256 characters would repeat byte indexes
    // (the index is cut to two hex digits) and overwrite the start of the
    // block: refused before anything is sent.
    TooLong,
    // An image decoded.
    Short, // fewer than 255 characters
    NoFsn,
    NoKri,
    // Point count outside 2..40, or points (with a third value, if any)
    // that would run past the 256-byte block or the end of the image text.
    BadCount,
    // An image decoded or built: bit 7 of the curve flags is clear.
    NoCurveFlag,
    // An image built; nothing is built, image and record untouched.
    TooManyPoints,   // points do not fit in the 256-byte block
    TooFewPoints,    // fewer than 2 points
    UnencodableText, // a character the sensors' code page (Windows-1250) cannot hold
    // An operation.
    NotConfirmed, // sent, but what was read back differs, or could not be read back
    Refused,      // nothing done: a check refused it, or the user said No
    ZeroEntered,  // the user entered a zero: nothing written
    Cancelled,    // the user left it, or the command was cancelled
    NotRun,       // no such control, or nothing chosen to run it on
    Failed,       // the converter (or the line) failed part of it
};

// The function a result came from, where it decides the number shown.
enum class ResultOf : std::uint8_t { Operation, BlockRead, BlockWrite, Decode, Build };

class Result {
public:
    // An operation's result.
    constexpr Result(ResultCode code = ResultCode::Ok) : code_(code) {}
    // A link function's; `value` is the failing byte (1..256) of a block
    // write's NoAnswer or WrongEcho, or the image size of a build's Ok.
    static constexpr Result Of(ResultOf from, ResultCode code, std::int32_t value = 0) {
        Result r(code);
        r.from_ = from;
        r.value_ = value;
        return r;
    }

    constexpr ResultCode code() const { return code_; }
    constexpr ResultOf from() const { return from_; }
    constexpr bool ok() const { return code_ == ResultCode::Ok; }
    // The byte a block write stopped at, from 1; 0 when it did not stop at one.
    constexpr std::int32_t byte() const {
        return from_ == ResultOf::BlockWrite && !ok() ? value_ : 0;
    }
    // A built image's size; 0 when none was built.
    constexpr std::int32_t size() const { return from_ == ResultOf::Build && ok() ? value_ : 0; }

    // The number the messages show for it: BlockRead 1, -1, -2; BlockWrite
    // 0, -byte (no answer), -(10000 + byte) (wrong echo), -20000 (port
    // closed), -30000 (too long); a decode 0, -30, -34, -32, -43, -33; a
    // build the image size, or -1 (too many points) .. -4 (unencodable).
    // 0 for an operation's result, which shows none.
    std::int32_t shownNumber() const;
    // "no-answer"; "no complete answer at byte 17".
    std::string_view name() const;
    std::string text() const;

    friend constexpr bool operator==(const Result&, const Result&) = default;
    friend constexpr bool operator==(const Result& r, ResultCode c) { return r.code_ == c; }

private:
    ResultCode code_;
    ResultOf from_ = ResultOf::Operation;
    std::int32_t value_ = 0;
};

std::string_view ResultName(ResultCode code);
std::ostream& operator<<(std::ostream& out, ResultCode code);
std::ostream& operator<<(std::ostream& out, const Result& result);

} // namespace rm27
