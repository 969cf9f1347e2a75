// Why a value read from the converter may not be what the converter holds.
//
// The protocol has no checksum and frames nothing but an answer's length, so
// the transactions take whatever text of the right length arrives. Most of
// what goes wrong on the way still leaves a trace: the answer did not come at
// all (the value is a stand-in), a character is no hex digit, the CR is not
// where it belongs, characters nobody asked for were waiting, or an earlier
// request is still owed its answer, which may be the one taken now. The link
// records that trace beside the value instead of guessing; the frames and
// waits stay exactly as they are.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "l10n/text.h"

namespace rm27 {

// A set of reasons; empty means the value rests on a clean answer.
struct Doubt {
    std::uint8_t bits = 0;

    explicit operator bool() const { return bits != 0; }
    bool has(Doubt other) const { return (bits & other.bits) != 0; }
    Doubt& operator|=(Doubt other) {
        bits = static_cast<std::uint8_t>(bits | other.bits);
        return *this;
    }
    friend Doubt operator|(Doubt a, Doubt b) { return a |= b; }
    friend bool operator==(Doubt a, Doubt b) = default;
};

// Nothing usable came back: the value is the stand-in the protocol puts in
// its place (FF for a byte of a single, 0 for an empty answer, 255 for the
// definition bytes).
inline constexpr Doubt kDoubtNoAnswer{0x01};
// A character of the answer cannot be in it (not a hex digit where one
// must be); the codecs read it as 0 or as an odd digit.
inline constexpr Doubt kDoubtBadCharacter{0x02};
// The answer had the right length but not its shape: no CR at its end, or
// one inside it. Pieces of two answers were taken for one.
inline constexpr Doubt kDoubtMisframed{0x04};
// Characters were already waiting when the request went out: what was
// counted as its answer started with something else.
inline constexpr Doubt kDoubtStray{0x08};
// An earlier, different request was still owed its answer when this one was
// taken; answers come back in the order asked, so this may be that one.
inline constexpr Doubt kDoubtMaybeLate{0x10};
// The value itself came back clean but rests on one that did not (the
// inputs read from their internal copies because the eKey mask was lost).
inline constexpr Doubt kDoubtDerived{0x20};

// "no-answer", "bad-character", "misframed", "stray-characters",
// "maybe-late-answer", "derived", joined with ","; "" for no doubt.
std::string DoubtNames(Doubt doubt);
// The same in words for the operator: one sentence per reason, one a line;
// nothing for no doubt. A sentence that says what is doubtful takes them
// as its argument.
Text DoubtReasons(Doubt doubt);
// A value's tool tip: "Hodnota je nejistá: " and the reasons.
Text DoubtText(Doubt doubt);
// In English, for r27ctl's notes and warnings ("no answer; ...").
std::string DoubtWords(Doubt doubt);

// Characters "0".."9", "A".."F" and "a".."f" (HexToLong reads lower case too).
bool IsHexDigit(char c);
// The shape of an answer of hex digits ending in its CR: kDoubtMisframed
// when the last character is not a CR or another CR or LF stands before it,
// kDoubtBadCharacter for anything else that is not a hex digit.
Doubt HexAnswerDoubt(const std::string& answerWithCr);

// The answers still owed on the line. Every request that expects an answer
// is noted when it goes out; an answer taken is matched, oldest first, with
// the requests still waiting for theirs; characters thrown away settle as
// many requests as they hold CRs. When an answer is taken while an earlier,
// different request is still owed, the answer may be that request's late
// one. A request owed for longer than kLateAnswerMs is taken as lost, not
// late: nothing in the protocol tells the two apart, and a converter that
// answers several seconds late is not answering any more.
class AnswerLedger {
public:
    static constexpr std::int64_t kLateAnswerMs = 5000;
    // One character at 9600 baud, 8N1, the only speed the converter talks.
    static constexpr double kCharMs = 10.0 / 9.6;

    // A request goes out (frame: its text) that expects an answer of
    // answerLength characters, CR included. A request still waiting for its
    // answer is owed from now on.
    void asked(const std::string& frame, int answerLength, std::int64_t nowMs);
    // Characters taken off the line and not used as an answer.
    void discarded(const std::string& text);
    // The request in progress takes an answer: kDoubtMaybeLate when it may
    // belong to an earlier, different request with an answer of the same
    // length (one of another length would not have fitted), or when it was
    // complete sooner than the wire could carry the request and an answer.
    // strayBefore: characters were waiting when the request went out.
    Doubt taken(std::int64_t nowMs, bool strayBefore = false);
    // No answer is owed any more: the converters were restarted, or the
    // silence of a probe means that nobody is there.
    void forget();

    std::size_t owedCount() const { return owed_.size(); }

private:
    struct Request {
        std::string frame;
        int answerLength = 0;
        std::int64_t sinceMs = 0; // sent
        std::int64_t untilMs = 0; // taken as lost after
        // Owed because another answer was taken in its place: when its
        // turn comes it does not push the next one back again.
        bool pushedBack = false;
    };
    void expire(std::int64_t nowMs);

    std::deque<Request> owed_; // oldest first
    Request current_;
    bool waiting_ = false; // current_ has not had its answer yet
};

} // namespace rm27
