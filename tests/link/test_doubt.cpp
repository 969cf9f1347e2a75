// What the link holds against an answer: its shape, and the ledger of the
// answers still owed on the line.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "link/doubt.h"
#include "link/transact.h"

namespace rm27 {
namespace {

TEST(AnswerShape, HexAndIdentificationAnswers) {
    const struct {
        const char* answer;
        Doubt hex, text; // as a hex answer, as an identification text
    } cases[] = {
        {"3F\r", {}, {}},
        {"3f\r", {}, kDoubtBadCharacter}, // HexToLong reads lower case alike
        {"3G\r", kDoubtBadCharacter, {}},
        {":0\r", kDoubtBadCharacter, kDoubtBadCharacter}, // ":" would pass HexToLong as 10
        {"3F\n", kDoubtMisframed, kDoubtMisframed},
        {"\r3F", kDoubtMisframed, kDoubtMisframed},
        {"3\r\r", kDoubtMisframed, kDoubtMisframed},
        {"", kDoubtMisframed, kDoubtMisframed},
        {"0123RM2712\r", kDoubtBadCharacter, {}},
        {"0123RMU 12\r", kDoubtBadCharacter, {}},
        {"0123RM27#2\r", kDoubtBadCharacter, kDoubtBadCharacter},
        {"0123RM\r712\r", kDoubtMisframed, kDoubtMisframed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        EXPECT_EQ(HexAnswerDoubt(c.answer), c.hex);
        EXPECT_EQ(TextAnswerDoubt(c.answer), c.text);
    }
    EXPECT_EQ(TextAnswerDoubt("0123RM2712X"), kDoubtMisframed);
    EXPECT_EQ(DoubtNames(kDoubtNoAnswer | kDoubtMaybeLate), "no-answer,maybe-late-answer");
    EXPECT_EQ(DoubtText(kDoubtNoAnswer).czech().rfind("Hodnota je nejistá: ", 0), 0u);
    EXPECT_NE(DoubtText(kDoubtNoAnswer | kDoubtDerived).czech().find('\n'), std::string::npos);
}

// The life of a ledger as a script of steps 100 ms apart: "?01ER94" asks
// "$01ER94\r" (11 characters back for "@", 123 for "MK", else 3); "!" takes
// an answer 20 ms later, past the wire time, "!10" 10 ms later, "!s" behind
// stray characters (the caller marks those itself), and a last "L" expects
// it marked maybe late; "-text" throws text away ("|" for CR); "+" waits
// out the late window; "0" forgets; "=n" expects n answers owed.
TEST(Ledger, WhatItHoldsAgainstAnAnswer) {
    const char* scripts[] = {
        "?01ER94 ! ?01ER95 ! ?01ER96 ! =0",
        "?01ER94 ?01ER95 !L", // no answer: the next ask leaves it owed
        // a retry takes the same answer, but its own may still come for one more
        "?01ER94 ?01ER94 ! ?01ER95 !L ?01ER96 !",
        "?01ER94 ?01@ ! =0", // a shorter answer owed would have spoilt the count: lost
        // a measurement in pieces, its head flushed: its tail ("0B|") looks
        // like a byte's answer, until its CR is seen or its time is up
        "?01MK -0123453F8000 ?01ER94 !L ?01ER95 !L + ?01ER96 !",
        "?01ER94 ?01ER95 -3F| ?01ER96 -#~ =1 -00| !", // the oldest settled first
        "?01ER94 ?01ER95 + ! =0",                     // lost after the late window
        "?01ER95 !10L ?01ER96 !L", // sooner than the wire: its own answer is owed
        "?01ER95 !s ?01ER96 !L",
        "?01@ ?02@ 0 ?01ER00 ! =0",
    };
    for (const std::string script : scripts) {
        AnswerLedger ledger;
        std::int64_t now = 0;
        std::istringstream steps(script);
        for (std::string step; steps >> step;) {
            SCOPED_TRACE(script + ": " + step);
            const std::string rest = step.substr(1);
            if (step[0] == '?') {
                const int length = rest.back() == '@' ? 11 : rest.ends_with("MK") ? 123 : 3;
                ledger.asked("$" + rest + "\r", length, now += 100);
            } else if (step[0] == '!') {
                now += rest[0] == '1' ? 10 : 20;
                EXPECT_EQ(ledger.taken(now, rest.starts_with("s")),
                          rest.ends_with("L") ? kDoubtMaybeLate : Doubt{});
            } else if (step[0] == '-') {
                ledger.discarded(std::regex_replace(rest, std::regex("\\|"), "\r"));
            } else if (step[0] == '+') {
                now += AnswerLedger::kLateAnswerMs;
            } else if (step[0] == '0') {
                ledger.forget();
            } else {
                EXPECT_EQ(ledger.owedCount(), std::stoul(rest));
            }
        }
    }
}

} // namespace
} // namespace rm27
