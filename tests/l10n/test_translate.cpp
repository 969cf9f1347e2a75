// The translation of the operations' finished Czech texts: whole texts,
// templates with numbers, names and nested texts, messages put together
// line by line or sentence by sentence, the misses, and the choice of
// language.
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

TEST_F(InEnglish, TranslatesFinishedTextsWithWhatIsFilledIn) {
    const struct {
        const char* name;
        const char* czech;
        const char* english;
    } cases[] = {
        {"whole", "Jednotka nepřipojena", "Unit not connected"},
        {"number", "Na adrese 7 nebyla nalezena RM-27/RMU.",
         "The unit at address 7 is not an RM-27/RMU."},
        {"progress", "Čtení EEPROM 12/256 ... 4%", "Reading EEPROM 12/256 ... 4%"},
        {"the more specific template wins",
         "Blok nyní obsahuje (podle posledního čtení): snímač S-1, shodný se zálohou",
         "The block now holds (by the last reading): sensor S-1, the same as the backup"},
        {"a nested text", "Blok: 160 (interní kopie Vstup1)", "Block: 160 (internal copy input 1)"},
        {"a placeholder used twice",
         "Port /dev/ttyUSB0 smí používat jen členové skupiny „dialout“: přidejte uživatele jan do "
         "skupiny (sudo usermod -aG dialout jan) a přihlaste se znovu.",
         "Only members of group “dialout” may use port /dev/ttyUSB0: add user jan to the group "
         "(sudo usermod -aG dialout jan) and log in again."},
        {"placeholders in another order",
         "Uživatel jan nemá k portu /dev/ttyS0 přístup (vlastník "
         "root, skupina „dialout“, práva rw-rw----).",
         "User jan has no access to port /dev/ttyS0 (owner root, group “dialout”, permissions "
         "rw-rw----)."},
        {"line by line, nested word",
         "Zápis EEPROM ze souboru x.eep skončil. Zapsáno bajtů: 3, z toho s odlišnou odpovědí "
         "převodníku: 1 (první na adrese 05h: zapsáno 3F, odpověď žádná).\r\nNový obsah platí po "
         "restartu převodníku.",
         "Writing the EEPROM from file x.eep has finished. Bytes written: 3, of them answered "
         "differently by the converter: 1 (the first at address 05h: written 3F, answer "
         "none).\r\nThe new contents take effect when the converter restarts."},
        {"lines with data", "Zapsat zálohu zpět do převodníku ?\r\n\r\nZáloha: a.ekey\r\n",
         "Write the backup back to the converter ?\r\n\r\nBackup: a.ekey\r\n"},
        {"a message nested twice",
         "Soubor /p/x.ekey nelze použít jako zálohu eKey: řádek 4: blok musí být celé číslo od 0 "
         "do 255: „0x60“",
         "File /p/x.ekey cannot be used as an eKey backup: line 4: the block must be a whole "
         "number from 0 to 255: “0x60”"},
        {"notes in one status line",
         "Zápis bloku 3 nebyl ověřen novým čtením. Blok 4 po zápisu neobsahuje, co bylo zapsáno.",
         "The write of block 3 was not checked by reading it again. After the write, block 4 "
         "does not hold what was written."},
        {"a doubt with two reasons, a line each",
         "Hodnota je nejistá: převodník neodpověděl, zobrazená hodnota jen stojí na jejím "
         "místě.\nvychází z jiné nejisté hodnoty (masky eKey).",
         "The value is uncertain: the converter did not answer; the value shown only holds its "
         "place.\nit rests on another uncertain value (the eKey mask)."},
        {"a read-back that differs",
         "Zápis do paměti převodníku se nepodařil: na adrese 92h je 00h, zapsáno bylo 3Fh.",
         "Writing the converter's memory failed: address 92h holds 00h, 3Fh was written."},
        {"a reason under a line number", "Řádek 3: „1 0“ není číslo.",
         "Line 3: “1 0” is not a number."},
        {"no letters", "?????", "?????"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Shown(std::string(c.czech)).toStdString(), c.english);
    }
    EXPECT_TRUE(TakeMisses().isEmpty());
}

TEST_F(InEnglish, ATextWithoutEnglishIsAMissUnlessItIsAPlainValue) {
    const struct {
        const char* text;
        TextKind kind;
        bool miss;
    } cases[] = {
        {"Neznámé hlášení", TextKind::Program, true},
        {"Unknown words", TextKind::Program, true},
        {"Na adrese 7 se stalo něco nového.", TextKind::Program, true},
        {"0123RM2712", TextKind::Value, false},
        {"Pressure 1", TextKind::Value, false},
        {"Snímač tlaku", TextKind::Value, true},
        {"12.50", TextKind::Program, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Shown(std::string(c.text), c.kind).toStdString(), c.text);
        EXPECT_EQ(TakeMisses(), c.miss ? QStringList{QString::fromUtf8(c.text)} : QStringList{});
    }
    // A known template with an unknown Czech text inside: that text is
    // the miss, the rest is translated.
    EXPECT_EQ(Shown(std::string("Záloha: Neznámý soubor")),
              QStringLiteral("Backup: Neznámý soubor"));
    EXPECT_EQ(TakeMisses(), QStringList{QStringLiteral("Neznámý soubor")});
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
