// Misbehaviour on purpose: a reproducible plan of faults injected into the
// answers of the simulated converters, request by request.
//
// Two kinds of rules, consulted in this order for every frame heard on the
// line (see Request::number):
//   1. scripted rules: at(n, fault) for the n-th frame, and
//      next(match, fault, times) for the next `times` frames that match;
//      rules are tried in the order they were added, the first that
//      applies wins and uses up one of its times;
//   2. the random plan: random(seed, rate, kinds) gives each remaining frame
//      a fault with probability `rate`, kind and parameters drawn from a
//      generator seeded with `seed`. The generator is consulted a fixed
//      number of times per frame, so identical seeds and identical traffic
//      give identical faults on every run and platform.
//
// A fault changes the answer of every converter that answers that frame.
// Unless said otherwise the converter still carries out the request (a
// "KW" that gets no answer has still written its byte): the damage is on
// the way back, as with a noisy cable.
//
// Example:
//   bus.faults().next("ER", Fault::noAnswer(), 3);          // fail 3 times, then answer
//   bus.faults().next(RequestMatch::kwIndex(4), Fault::wrongEcho());
//   bus.faults().next("KB", Fault::alteredBlock(0x20));       // reads block 32 instead
//   bus.faults().random(42, 0.05);                            // 5 % of requests
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "sim/request.h"

namespace rm27::sim {

enum class FaultKind {
    None,
    NoAnswer,      // nothing comes back
    Late,          // the whole answer comes delayMs later than usual
    Truncate,      // only the first `count` characters come (the CR is lost)
    Split,         // the answer comes in `count` pieces with delayMs gaps
    Trickle,       // one character at a time, delayMs between characters
    GarbageBefore, // `text` arrives just before the answer
    GarbageAfter,  // `text` arrives right after the answer's CR
    NonHex,        // the character at `count` is replaced by text[0]
    ExtraCr,       // a second CR follows the answer
    StrayLf,       // a line feed follows the answer
    WrongEcho,     // "KW"/"EW": the byte is corrupted on the way in, so the
                   // converter writes and echoes another value (`value`,
                   // or the sent byte with bit 0 flipped when value < 0);
                   // other requests are answered normally
    LineCut,       // `count` characters of this answer arrive, then the
                   // line is dead in both directions until Bus::restoreLine
    // The altered kinds: one field of the frame is hit on its way in and
    // turns into another valid one (`value`, or the sent one XOR `count`,
    // bit 0 when count is 0). The converter carries out the frame it heard
    // and answers as for that one, so the answer looks right. None is
    // drawn by the random plan unless asked for.
    AlteredIndex,     // "KW"/"EW": the location (the parameter before the
                      // value): the value is stored at another place and
                      // echoed as stored
    AlteredBlock,     // "KB"/"KW": the block number: another block is read
                      // or written
    AlteredAddress,   // any addressed frame: the converter address, so the
                      // frame is for another converter, or for none
    AlteredReadIndex, // "ER": the location: another cell's byte comes back
};

const char* FaultKindName(FaultKind kind);

struct Fault {
    FaultKind kind = FaultKind::None;
    double delayMs = 0.0; // Late: extra delay; Split, Trickle: gap length
    int count = 0;        // Truncate, LineCut: characters kept; Split: pieces; NonHex: position;
                          // altered kinds: the bits flipped when value < 0
    std::string text;     // GarbageBefore/After: the garbage; NonHex: the replacement
    int value = -1;       // WrongEcho, altered kinds: what the converter hears instead
    // Truncate, NonHex, LineCut: when 0 <= where < 1 the position is this
    // fraction of the answer's length instead of `count` (random faults do
    // not know the answer's length when they are drawn). A negative count
    // counts from the end: truncate(-1) loses just the CR.
    double where = -1.0;

    static Fault none() { return {}; }
    static Fault noAnswer();
    static Fault late(double delayMs);
    static Fault truncate(int keepChars);
    static Fault split(int pieces, double gapMs);
    static Fault trickle(double gapMs);
    static Fault garbageBefore(std::string text = "#~");
    static Fault garbageAfter(std::string text = "#~");
    static Fault nonHex(int position = 0, char replacement = 'G');
    static Fault extraCr();
    static Fault strayLf();
    static Fault wrongEcho(int value = -1);
    static Fault lineCut(int afterChars);
    static Fault alteredIndex(int index = -1);
    static Fault alteredBlock(int block = -1);
    static Fault alteredAddress(int address = -1);
    static Fault alteredReadIndex(int location = -1);
    // One of the altered kinds, the field turned into `value`, or flipped
    // by `flip` when value < 0.
    static Fault altered(FaultKind kind, int value, int flip = 1);

    bool active() const { return kind != FaultKind::None; }
};

// Which frames a next() rule catches.
struct RequestMatch {
    // Prefix of Request::body: "KW" catches every block write, "KW2000"
    // only writes of block 0x20 byte 0, "" every frame. The global bare "X"
    // has body "X".
    std::string prefix;
    // When paramIndex >= 0, Request::param(paramIndex) must equal paramValue.
    int paramIndex = -1;
    int paramValue = -1;

    RequestMatch() = default;
    RequestMatch(const char* p) : prefix(p) {}            // NOLINT: implicit on purpose
    RequestMatch(std::string p) : prefix(std::move(p)) {} // NOLINT
    RequestMatch(std::string p, int index, int value)
        : prefix(std::move(p)), paramIndex(index), paramValue(value) {}

    // "KW" frames whose byte index (the second parameter) is `index`
    // (0-based: BlockWrite's byte i travels with index i - 1).
    static RequestMatch kwIndex(int index) { return {"KW", 1, index}; }

    bool matches(const Request& r) const;
};

// What the plan did, for tests and logs.
struct AppliedFault {
    std::int64_t requestNumber = 0;
    std::string body;
    Fault fault;
};

// Ranges for the parameters of random faults. The defaults make each kind
// fail a transaction that waits the usual 1.2 s or 0.2 s.
struct RandomFaultParams {
    double lateMinMs = 1300.0, lateMaxMs = 2500.0;
    double gapMinMs = 5.0, gapMaxMs = 60.0;
    int splitMaxPieces = 4;
};

class FaultPlan {
public:
    // The frame with this number (Request::number, 1-based) gets `fault`.
    void at(std::int64_t requestNumber, Fault fault);
    // The next `times` frames that match get `fault`.
    void next(RequestMatch match, Fault fault, int times = 1);
    // From now on every frame not caught by a scripted rule gets a random
    // fault with probability rate (0..1), of one of `kinds`.
    void random(std::uint64_t seed, double rate,
                std::vector<FaultKind> kinds = DefaultRandomKinds());
    void stopRandom();
    // Faults of these kinds are still drawn, so that every other fault
    // falls where it would, but do no harm and are not logged: the same
    // run without them.
    void spare(std::vector<FaultKind> kinds) { spared_ = std::move(kinds); }
    RandomFaultParams& randomParams() { return params_; }
    // Forget every rule and the log.
    void clear();
    // Scripted rules not yet used up.
    std::size_t pendingRules() const;

    // Every kind except LineCut (which would end a run for good) and None.
    static std::vector<FaultKind> DefaultRandomKinds();

    // Called by the bus once per frame: the fault for it (kind None when
    // the frame goes through clean). Faults are recorded in log().
    Fault pick(const Request& request);
    const std::vector<AppliedFault>& log() const { return log_; }

private:
    struct Rule {
        std::int64_t number = 0; // > 0: at() rule
        RequestMatch match;
        Fault fault;
        int remaining = 0;
    };
    std::uint64_t nextRandom();
    double uniform(double lo, double hi);
    Fault pickScripted(const Request& request);
    Fault randomFault(FaultKind kind, double p1, std::uint64_t p2) const;

    std::vector<Rule> rules_;
    bool randomOn_ = false;
    std::uint64_t state_ = 0;
    double rate_ = 0.0;
    std::vector<FaultKind> kinds_;
    std::vector<FaultKind> spared_;
    RandomFaultParams params_;
    std::vector<AppliedFault> log_;
};

// One stretch of characters of an answer on the wire, `gapMs` of silence
// before it (added to the character times).
struct AnswerPiece {
    double gapMs = 0.0;
    std::string text;
};

// Shapes a converter's answer (with its CR) by a fault. An empty result
// means nothing is sent. LineCut is shaped here as a Truncate; cutting the
// line itself is the bus's part.
std::vector<AnswerPiece> ShapeAnswer(const std::string& answer, const Fault& fault);

// The character position a Truncate, NonHex or LineCut fault refers to in
// an answer of `length` characters, clamped to 0..length.
int FaultPosition(const Fault& fault, std::size_t length);

// Whether the fault hits the frame on its way in (WrongEcho and the altered
// kinds on the frames they concern); if so, changes the request to what the
// converters hear.
bool HitOnTheWayIn(Request& request, const Fault& fault);

} // namespace rm27::sim
