#include "link/doubt.h"

#include <algorithm>

#include "link/texts.h"

namespace rm27 {

namespace {

struct Reason {
    Doubt doubt;
    const char* name;
    const char* words;
    const TextId* text;
};

const Reason kReasons[] = {
    {kDoubtNoAnswer, "no-answer", "no answer", &texts::link::kReasonNoAnswer},
    {kDoubtBadCharacter, "bad-character", "a character of the answer is not a hex digit",
     &texts::link::kReasonBadCharacter},
    {kDoubtMisframed, "misframed", "the answer did not end where it should",
     &texts::link::kReasonMisframed},
    {kDoubtStray, "stray-characters", "characters nobody asked for came with the answer",
     &texts::link::kReasonStray},
    {kDoubtMaybeLate, "maybe-late-answer", "it may be the late answer of an earlier request",
     &texts::link::kReasonMaybeLate},
    {kDoubtDerived, "derived", "it rests on another uncertain value", &texts::link::kReasonDerived},
};

} // namespace

std::string DoubtNames(Doubt doubt) {
    std::string out;
    for (const Reason& r : kReasons) {
        if (!doubt.has(r.doubt)) continue;
        if (!out.empty()) out += ",";
        out += r.name;
    }
    return out;
}

std::string DoubtWords(Doubt doubt) {
    std::string out;
    for (const Reason& r : kReasons) {
        if (!doubt.has(r.doubt)) continue;
        if (!out.empty()) out += "; ";
        out += r.words;
    }
    return out;
}

Text DoubtReasons(Doubt doubt) {
    Text out;
    for (const Reason& r : kReasons) {
        if (!doubt.has(r.doubt)) continue;
        out.join(Text(*r.text), Joint::LineBreak);
    }
    return out;
}

Text DoubtText(Doubt doubt) {
    return doubt ? Text(texts::link::kValueUncertain, DoubtReasons(doubt)) : Text();
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

Doubt HexAnswerDoubt(const std::string& answer) {
    if (answer.empty() || answer.back() != '\r') return kDoubtMisframed;
    Doubt doubt;
    for (std::size_t i = 0; i + 1 < answer.size(); ++i) {
        const char c = answer[i];
        if (c == '\r' || c == '\n') return kDoubtMisframed;
        if (!IsHexDigit(c)) doubt |= kDoubtBadCharacter;
    }
    return doubt;
}

void AnswerLedger::asked(const std::string& frame, int answerLength, std::int64_t nowMs) {
    if (waiting_) owed_.push_back(current_);
    current_ = {frame, answerLength, nowMs, nowMs + kLateAnswerMs, false};
    waiting_ = true;
}

void AnswerLedger::discarded(const std::string& text) {
    for (const char c : text) {
        if (c != '\r') continue;
        if (!owed_.empty())
            owed_.pop_front();
        else
            waiting_ = false;
    }
}

void AnswerLedger::expire(std::int64_t nowMs) {
    owed_.erase(std::remove_if(owed_.begin(), owed_.end(),
                               [nowMs](const Request& r) { return nowMs > r.untilMs; }),
                owed_.end());
}

Doubt AnswerLedger::taken(std::int64_t nowMs, bool strayBefore) {
    expire(nowMs);
    Doubt doubt;
    // Sooner than the frame and its answer take on the wire: this answer
    // was on its way before the request went out.
    const double wireMs = static_cast<double>(current_.frame.size() +
                                              static_cast<std::size_t>(current_.answerLength)) *
                          kCharMs;
    const bool early = waiting_ && static_cast<double>(nowMs - current_.sinceMs) < wireMs;
    if (early) doubt = kDoubtMaybeLate;
    bool ownStillComing = early || strayBefore;
    const int length = current_.answerLength;
    // A longer answer still owed may have come in pieces, its head thrown
    // away by a flush: its tail is text of the right shape for this one.
    if (std::any_of(owed_.begin(), owed_.end(),
                    [length](const Request& r) { return r.answerLength > length; }))
        doubt = kDoubtMaybeLate;
    // Answers come back in the order asked: the one taken now is the oldest
    // owed one's of the same length, unless that one was lost. A shorter one
    // still owed would have made this answer's count or shape wrong: it was
    // lost.
    const auto earlier = std::find_if(owed_.begin(), owed_.end(), [length](const Request& r) {
        return r.answerLength <= length;
    });
    if (earlier != owed_.end()) {
        const Request e = *earlier;
        owed_.erase(earlier); // the longer ones before it stay owed
        if (e.answerLength == length) {
            if (e.frame != current_.frame) doubt = kDoubtMaybeLate;
            // If it was not lost, this request's own answer comes right
            // behind. One step only: were the earlier one lost after all, a
            // chain of pushed-back answers would doubt every answer after it.
            ownStillComing = ownStillComing || !e.pushedBack;
        }
    }
    if (waiting_ && ownStillComing) {
        Request own = current_;
        own.pushedBack = true;
        owed_.push_back(own);
    }
    waiting_ = false;
    return doubt;
}

void AnswerLedger::forget() {
    owed_.clear();
    waiting_ = false;
}

} // namespace rm27
