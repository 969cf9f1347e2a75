// Texts by identity, the lookup of a wording's English and its misses, the
// boxes and inputs in English, and the choice of language.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <memory>

#include "app/app_options.h"
#include "calibration/texts.h"
#include "device/texts.h"
#include "l10n/localizer.h"
#include "l10n/text.h"
#include "reading/texts.h"
#include "support/qt_environment.h"
#include "ui/qt_prompter.h"

namespace rm27::test {
namespace {

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment("test_l10n"));

class InEnglish : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(InstallLanguage(Language::English)); }
    void TearDown() override { InstallLanguage(Language::Czech); }
};

// A wording and its arguments become the reader's language only when
// shown; a value never does.
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

// The English walk of the windows counts on the misses.
TEST_F(InEnglish, AWordingWithoutEnglishIsAMissUnlessItIsAPlainValue) {
    const struct {
        const char* text;
        TextKind kind;
        bool miss;
    } cases[] = {
        {"Neznámé hlášení", TextKind::Program, true}, {"Unknown words", TextKind::Program, true},
        {"0123RM2712", TextKind::Value, false},       {"Pressure 1", TextKind::Value, false},
        {"Snímač tlaku", TextKind::Value, true},      {"12.50", TextKind::Program, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Shown(std::string(c.text), c.kind).toStdString(), c.text);
        EXPECT_EQ(TakeMisses(), c.miss ? QStringList{QString::fromUtf8(c.text)} : QStringList{});
    }
    EXPECT_EQ(Shown(std::string("Jednotka nepřipojena")), QStringLiteral("Unit not connected"));
    EXPECT_TRUE(TakeMisses().isEmpty());
}

TEST_F(InEnglish, TheWindowsBoxesAndInputsShowEnglish) {
    QtPrompter prompter(nullptr, QStringLiteral("RM-27/RMU Manager"));
    // The text and title of the box `open` brings up; the box is modal, so
    // it is read and closed from inside its own loop.
    const auto shown = [](const std::function<void()>& open) {
        const auto seen = std::make_shared<QStringList>();
        QTimer::singleShot(0, [seen] {
            QWidget* w = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                *seen << box->text() << box->windowTitle();
                box->reject();
            } else if (auto* input = qobject_cast<QInputDialog*>(w)) {
                *seen << input->labelText() << input->windowTitle();
                input->reject();
            }
        });
        open();
        return *seen;
    };
    EXPECT_EQ(shown([&] { prompter.critical(Text(texts::device::kNotConnected)); }),
              (QStringList{QStringLiteral("Unit not connected"),
                           QStringLiteral("RM-27/RMU Manager")}));
    EXPECT_EQ(shown([&] { prompter.inputBox(Text(texts::calibration::kEnterMvV), Text(), "2"); })
                  .value(0),
              QStringLiteral("Enter how much that is in mV/V"));
    EXPECT_EQ(shown([&] {
                  prompter.inputBox(Text(texts::reading::kAddressPrompt, "05"),
                                    Text(texts::reading::kAddressTitle), "5");
              }).value(1),
              QStringLiteral("Change device address"));
    EXPECT_TRUE(TakeMisses().isEmpty());
}

TEST(InCzech, TextsPassUnchangedAndNothingIsAMiss) {
    InstallLanguage(Language::Czech);
    for (const char* text : {"Jednotka nepřipojena", "Neznámé hlášení", "Záloha: a.ekey"})
        EXPECT_EQ(Shown(std::string(text)).toStdString(), text);
    EXPECT_TRUE(TakeMisses().isEmpty());
    EXPECT_EQ(QCoreApplication::translate("rm27::FrmMain", "Spojit"), QStringLiteral("Spojit"));
}

TEST(LanguageChoice, TheOptionWinsThenTheSystemsLanguage) {
    const QLocale cs(QLocale::Czech, QLocale::Czechia);
    const QLocale gb(QLocale::English, QLocale::UnitedKingdom);
    const struct {
        const char* option;
        QLocale locale;
        Language expected;
    } cases[] = {
        {"", cs, Language::Czech},
        {"", QLocale(QLocale::Slovak, QLocale::Slovakia), Language::Czech},
        {"", QLocale::c(), Language::Czech},
        {"", QLocale(QLocale::English, QLocale::UnitedStates), Language::English},
        {"", QLocale(QLocale::German, QLocale::Germany), Language::English},
        {"en", cs, Language::English}, {"EN", QLocale::c(), Language::English},
        {"cs", gb, Language::Czech},   {"xx", gb, Language::English},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " " + c.locale.name().toStdString());
        EXPECT_EQ(ChooseLanguage(QString::fromLatin1(c.option), c.locale), c.expected);
    }
}

// The words of r27manager's command line: "zirkon" inside any word and
// Qt's own options pass, any other option is refused.
TEST(CommandLine, OptionsTheModeWordAndQtsOwn) {
    const struct {
        const char* args;
        const char* lang;
        bool simulator;
        const char* error; // a part of the refusal; empty: accepted
    } cases[] = {
        {"--lang en zirkon", "en", false, ""},
        {"--simulator --lang=cs", "cs", true, ""},
        {"--lang", "", false, "--lang takes"},
        {"--lang ZIRKON", "", false, "--lang takes"},
        {"-zirkon --simulator /xZirkonx", "", true, ""},
        {"-style fusion -reverse --platform=offscreen words", "", false, ""},
        {"zirkon --simulatr", "", false, "option --simulatr"},
        {"-x", "", false, "option -x"},
        {"--simulator=yes", "", false, "simulator"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const AppOptions o = ParseAppOptions(QString::fromLatin1(c.args).split(QLatin1Char(' ')));
        EXPECT_EQ(o.error.isEmpty(), *c.error == '\0') << o.error.toStdString();
        EXPECT_TRUE(o.error.contains(QString::fromLatin1(c.error))) << o.error.toStdString();
        if (!o.error.isEmpty()) continue;
        EXPECT_EQ(o.lang.toStdString(), c.lang);
        EXPECT_EQ(o.simulator, c.simulator);
    }
}

} // namespace
} // namespace rm27::test
