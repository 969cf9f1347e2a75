// The lookup of a wording's English and its misses, the boxes and inputs
// in English, and the choice of language.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>

#include "app/app_options.h"
#include "calibration/texts.h"
#include "device/texts.h"
#include "l10n/localizer.h"
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
    QString seen;
    QString seenTitle;
    // The box is modal: read it and close it from inside its own loop.
    const auto closeWhenOpen = [&] {
        QTimer::singleShot(0, [&] {
            QWidget* w = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                seen = box->text();
                seenTitle = box->windowTitle();
                box->reject();
            } else if (auto* input = qobject_cast<QInputDialog*>(w)) {
                seen = input->labelText();
                seenTitle = input->windowTitle();
                input->reject();
            }
        });
    };
    closeWhenOpen();
    prompter.critical(Text(texts::device::kNotConnected));
    EXPECT_EQ(seen, QStringLiteral("Unit not connected"));
    EXPECT_EQ(seenTitle, QStringLiteral("RM-27/RMU Manager"));

    closeWhenOpen();
    prompter.inputBox(Text(texts::calibration::kEnterMvV), Text(), "2");
    EXPECT_EQ(seen, QStringLiteral("Enter how much that is in mV/V"));

    closeWhenOpen();
    prompter.inputBox(Text(texts::reading::kAddressPrompt, "05"),
                      Text(texts::reading::kAddressTitle), "5");
    EXPECT_EQ(seenTitle, QStringLiteral("Change device address"));
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
    const struct {
        const char* option;
        QLocale locale;
        Language expected;
    } cases[] = {
        {"", QLocale(QLocale::Czech, QLocale::Czechia), Language::Czech},
        {"", QLocale(QLocale::Slovak, QLocale::Slovakia), Language::Czech},
        {"", QLocale::c(), Language::Czech},
        {"", QLocale(QLocale::English, QLocale::UnitedStates), Language::English},
        {"", QLocale(QLocale::German, QLocale::Germany), Language::English},
        {"en", QLocale(QLocale::Czech, QLocale::Czechia), Language::English},
        {"EN", QLocale::c(), Language::English},
        {"cs", QLocale(QLocale::English, QLocale::UnitedKingdom), Language::Czech},
        {"xx", QLocale(QLocale::English, QLocale::UnitedKingdom), Language::English},
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
        QStringList args;
        const char* lang;
        bool simulator;
        const char* error; // a part of the refusal; empty: accepted
    } cases[] = {
        {{QStringLiteral("--lang"), QStringLiteral("en"), QStringLiteral("zirkon")},
         "en",
         false,
         ""},
        {{QStringLiteral("--simulator"), QStringLiteral("--lang=cs")}, "cs", true, ""},
        {{QStringLiteral("--lang")}, "", false, "--lang takes"},
        {{QStringLiteral("--lang"), QStringLiteral("ZIRKON")}, "", false, "--lang takes"},
        {{QStringLiteral("-zirkon"), QStringLiteral("--simulator"), QStringLiteral("/xZirkonx")},
         "",
         true,
         ""},
        {{QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("-reverse"),
          QStringLiteral("--platform=offscreen"), QStringLiteral("words")},
         "",
         false,
         ""},
        {{QStringLiteral("zirkon"), QStringLiteral("--simulatr")}, "", false, "option --simulatr"},
        {{QStringLiteral("-x")}, "", false, "option -x"},
        {{QStringLiteral("--simulator=yes")}, "", false, "simulator"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const AppOptions o = ParseAppOptions(c.args);
        EXPECT_EQ(o.error.isEmpty(), *c.error == '\0') << o.error.toStdString();
        EXPECT_TRUE(o.error.contains(QString::fromLatin1(c.error))) << o.error.toStdString();
        if (!o.error.isEmpty()) continue;
        EXPECT_EQ(o.lang.toStdString(), c.lang);
        EXPECT_EQ(o.simulator, c.simulator);
    }
}

} // namespace
} // namespace rm27::test
