// What the link holds against an answer: its shape, and the ledger of the
// answers still owed on the line.
#include <gtest/gtest.h>

#include "link/doubt.h"
#include "link/transact.h"

namespace rm27 {
namespace {

TEST(AnswerShape, HexAnswers) {
    const struct {
        const char* answer;
        Doubt doubt;
    } cases[] = {
        {"3F\r", {}},
        {"3f\r", {}}, // HexToLong reads lower case alike
        {"3G\r", kDoubtBadCharacter},
        {":0\r", kDoubtBadCharacter}, // ":" would pass HexToLong as 10
        {"3F\n", kDoubtMisframed},
        {"\r3F", kDoubtMisframed},
        {"3\r\r", kDoubtMisframed},
        {"", kDoubtMisframed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        EXPECT_EQ(HexAnswerDoubt(c.answer), c.doubt);
    }
}

TEST(AnswerShape, IdentificationText) {
    EXPECT_EQ(TextAnswerDoubt("0123RM2712\r"), Doubt{});
    EXPECT_EQ(TextAnswerDoubt("0123RMU 12\r"), Doubt{});
    EXPECT_EQ(TextAnswerDoubt("0123RM27#2\r"), kDoubtBadCharacter);
    EXPECT_EQ(TextAnswerDoubt("0123rm2712\r"), kDoubtBadCharacter);
    EXPECT_EQ(TextAnswerDoubt("0123RM\r712\r"), kDoubtMisframed);
    EXPECT_EQ(TextAnswerDoubt("0123RM2712X"), kDoubtMisframed);
}

TEST(AnswerShape, NamesAndTexts) {
    EXPECT_EQ(DoubtNames({}), "");
    EXPECT_EQ(DoubtNames(kDoubtNoAnswer | kDoubtMaybeLate), "no-answer,maybe-late-answer");
    EXPECT_EQ(DoubtWords(kDoubtBadCharacter), "a character of the answer is not a hex digit");
    EXPECT_TRUE(DoubtText({}).empty());
    EXPECT_EQ(DoubtText(kDoubtNoAnswer).czech().rfind("Hodnota je nejistá: ", 0), 0u);
    EXPECT_NE(DoubtText(kDoubtNoAnswer | kDoubtDerived).czech().find('\n'), std::string::npos);
}

// Requests at 100 ms steps, answers taken after the wire time.
class Ledger : public ::testing::Test {
protected:
    static constexpr std::int64_t kAfterWire = 20; // 8 + 3 characters take 11.5 ms
    void ask(const std::string& frame, int length = 3) {
        now += 100;
        ledger.asked(frame, length, now);
    }
    Doubt take(std::int64_t after = kAfterWire, bool stray = false) {
        now += after;
        return ledger.taken(now, stray);
    }
    AnswerLedger ledger;
    std::int64_t now = 0;
};

TEST_F(Ledger, CleanExchangesOweNothing) {
    for (const char* f : {"$01ER94\r", "$01ER95\r", "$01ER96\r"}) {
        ask(f);
        EXPECT_EQ(take(), Doubt{}) << f;
    }
    EXPECT_EQ(ledger.owedCount(), 0u);
}

TEST_F(Ledger, AnAnswerTakenWhileAnotherRequestIsOwedMayBeItsLateOne) {
    ask("$01ER94\r"); // no answer: the next ask leaves it owed
    ask("$01ER95\r");
    EXPECT_EQ(take(), kDoubtMaybeLate);
}

TEST_F(Ledger, ARetryOfTheSameRequestTakesTheSameAnswer) {
    ask("$01ER94\r");
    ask("$01ER94\r");
    EXPECT_EQ(take(), Doubt{});
    // ...but its own answer may still be on its way, for one more answer
    ask("$01ER95\r");
    EXPECT_EQ(take(), kDoubtMaybeLate);
    ask("$01ER96\r");
    EXPECT_EQ(take(), Doubt{});
}

TEST_F(Ledger, AShorterAnswerOwedCannotBeTakenForALongerOne) {
    ask("$01ER94\r");
    ask("$01@\r", 11);
    EXPECT_EQ(take(), Doubt{});
    EXPECT_EQ(ledger.owedCount(), 0u); // it would have spoilt the count: lost
}

TEST_F(Ledger, ALongerAnswerOwedMayLeaveATailOfTheRightShape) {
    // A measurement answer in pieces: a flush throws its head away, and its
    // last three characters ("0B\r") look like a byte's answer.
    ask("$01MK\r", 123);
    ledger.discarded("0123453F8000");
    ask("$01ER94\r");
    EXPECT_EQ(take(), kDoubtMaybeLate);
    // It stays owed until its CR is seen or its time is up.
    ask("$01ER95\r");
    EXPECT_TRUE(take().has(kDoubtMaybeLate));
    now += AnswerLedger::kLateAnswerMs;
    ask("$01ER96\r");
    EXPECT_EQ(take(), Doubt{});
}

TEST_F(Ledger, DiscardedAnswersSettleTheOldestFirst) {
    ask("$01ER94\r");
    ask("$01ER95\r"); // ER94 owed
    ledger.discarded("3F\r");
    ask("$01ER96\r");       // ER95 owed, ER94 settled
    ledger.discarded("#~"); // no CR: settles nothing
    ASSERT_EQ(ledger.owedCount(), 1u);
    ledger.discarded("00\r");
    EXPECT_EQ(take(), Doubt{});
}

TEST_F(Ledger, AnOwedAnswerIsLostAfterTheLateWindow) {
    ask("$01ER94\r");
    ask("$01ER95\r");
    now += AnswerLedger::kLateAnswerMs;
    EXPECT_EQ(take(), Doubt{});
    EXPECT_EQ(ledger.owedCount(), 0u);
}

TEST_F(Ledger, AnAnswerSoonerThanTheWireIsNotItsRequests) {
    ask("$01ER95\r");
    EXPECT_EQ(take(10), kDoubtMaybeLate); // 11 characters need 11.5 ms
    // and its own answer is owed to whoever asks next
    ask("$01ER96\r");
    EXPECT_EQ(take(), kDoubtMaybeLate);
}

TEST_F(Ledger, StrayCharactersBeforeTheSendLeaveItsOwnAnswerOwed) {
    ask("$01ER95\r");
    EXPECT_EQ(take(kAfterWire, true), Doubt{}); // the caller marks the stray itself
    ask("$01ER96\r");
    EXPECT_EQ(take(), kDoubtMaybeLate);
}

TEST_F(Ledger, ForgetClearsWhatIsOwed) {
    ask("$01@\r", 11);
    ask("$02@\r", 11);
    ledger.forget();
    ask("$01ER00\r");
    EXPECT_EQ(take(), Doubt{});
    EXPECT_EQ(ledger.owedCount(), 0u);
}

} // namespace
} // namespace rm27
