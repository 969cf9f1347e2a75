// Texts by identity: a wording and its arguments become the reader's
// language only when shown; a value never does.
#include <gtest/gtest.h>

#include "l10n/localizer.h"
#include "l10n/text.h"

namespace rm27::test {
namespace {

const TextId kNotAnRm27{"Na adrese %1 nebyla nalezena RM-27/RMU."};
const TextId kAnswerNone{"žádná"};
const TextId kWrittenAnswer{"Blok %1 po zápisu neobsahuje, co bylo zapsáno: první rozdíl v "
                            "bajtu %2 (zapsáno %3h, přečteno %4h)."};

TEST(TextByIdentity, IsFilledInOnePassAndJoinsItsLinesInEitherLanguage) {
    // An argument that holds a placeholder is shown as it stands.
    Text t(kWrittenAnswer, 160, "%2", Text(kAnswerNone), Text::Value("Váha"));
    t.then(Text()).then(Text(kNotAnRm27, 7));
    EXPECT_EQ(t.czech(), "Blok 160 po zápisu neobsahuje, co bylo zapsáno: první rozdíl v bajtu "
                         "%2 (zapsáno žádnáh, přečteno Váhah).\r\n\r\nNa adrese 7 nebyla "
                         "nalezena RM-27/RMU.");

    ASSERT_TRUE(InstallLanguage(Language::English));
    const QString english = Shown(t);
    InstallLanguage(Language::Czech);
    // The nested wording is translated, the value ("Váha", a sensor's
    // description) is not.
    EXPECT_TRUE(english.contains(QStringLiteral("(written noneh, read Váhah)")))
        << english.toStdString();
    EXPECT_TRUE(english.endsWith(QStringLiteral("\r\n\r\nThe unit at address 7 is not an "
                                                "RM-27/RMU.")))
        << english.toStdString();
    EXPECT_EQ(Shown(t), QString::fromStdString(t.czech()));
}

} // namespace
} // namespace rm27::test
