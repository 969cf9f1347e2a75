// The operations run against the simulated converter as the window runs
// them, and every text they put on the status line, in a box, an input or
// a file dialog has English: the finished texts, with their numbers, paths
// and nested texts, are matched against the catalogue as the window's
// adapters match them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "calibration/commands.h"
#include "l10n/localizer.h"
#include "maintenance/eeprom.h"
#include "maintenance/ekey_copy.h"
#include "maintenance/ekey_init.h"
#include "maintenance/ekey_restore.h"
#include "reading/operations.h"
#include "session/backups.h"
#include "session/write_safety.h"
#include "support/sim_rig.h"

namespace rm27::test {
namespace {

namespace fs = std::filesystem;

class EnglishOperations : public SimRig {
protected:
    EnglishOperations() {
        addConverter(1);
        UseReadRM27(ops);
        char pattern[] = "/tmp/rm27-l10n-XXXXXX";
        dir_ = mkdtemp(pattern);
        store_ = std::make_unique<FolderBackupStore>((dir_ / "backups").string());
        ops.backups = store_.get();
        // As the window presets them.
        session.dialogs().eeprom.title = "Výběr souboru s obsahem pro eeprom";
        session.dialogs().eeprom.filter = "Soubory  (*.eep)|*.eep|Všechny |*.*";
        session.dialogs().eepromSave = session.dialogs().eeprom;
        session.dialogs().eepromSave.title = "Uložit obsah EEPROM do souboru";
        session.dialogs().restore = RestoreDialogSpec((dir_ / "backups").string(), "frmMain");
    }
    void SetUp() override { ASSERT_TRUE(InstallLanguage(Language::English)); }
    void TearDown() override { InstallLanguage(Language::Czech); }
    ~EnglishOperations() override { fs::remove_all(dir_); }

    std::string file(const std::string& name, const std::string& text) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    void run(const std::function<void(Operations&)>& op) { EXPECT_TRUE(session.run(op)); }

    // Every text the user was shown so far.
    void expectAllInEnglish() {
        std::vector<std::string> texts = view.statuses;
        for (const PromptCall& c : view.calls) {
            if (c.kind == PromptCall::ClipboardClear || c.kind == PromptCall::ClipboardSet)
                continue;
            texts.insert(texts.end(), {c.text, c.title, c.dialog.title, c.dialog.filter});
        }
        int checked = 0;
        for (const std::string& t : texts) {
            if (t.empty()) continue;
            ++checked;
            EXPECT_TRUE(HasEnglish(QString::fromStdString(t))) << "no English for: " << t;
        }
        EXPECT_GT(checked, 40);
    }

    fs::path dir_;
    std::unique_ptr<FolderBackupStore> store_;
};

TEST_F(EnglishOperations, EveryTextTheMaintenanceAndReadingShowHasEnglish) {
    conv().setPlugged(0, true);
    conv().setPlugged(3, true);
    run([](Operations& o) { ASSERT_TRUE(DevRead(o, 1)); });
    run([](Operations& o) { ScanAddresses(o); });
    run([](Operations& o) { ASSERT_TRUE(DevRead(o, 1)); });

    view.inputAnswers = {""};
    run([](Operations& o) { ChangeAddress(o); });
    view.inputAnswers = {"0"};
    live.seen.fill(true); // as after a tick
    run([](Operations& o) { SetmVVKQ(o, 0); });
    // A value refused, its field and range texts of their own; a span so
    // small it is asked about.
    view.inputAnswers = {"1e40"};
    run([](Operations& o) { SetmVVKQ(o, 8); });
    EXPECT_EQ(Shown(view.criticals.back()).toStdString(),
              "The mV/V entered: the value 1e+40 cannot be used, accepted values are 0 or "
              "1.17549e-38 ≤ |x| ≤ 3.40282e+38.\r\nNothing was written.");
    live.raw[1] = static_cast<float>(state.Q[1] + 3);
    run([](Operations& o) { SetmVVKQ(o, 5); });

    view.answers = {MessageAnswer::Yes};
    run([](Operations& o) { CopyEKeyExtToInt(o, 0); });
    view.answers = {MessageAnswer::Yes};
    run([](Operations& o) { CopyEKeyExtToInt(o, 1); }); // no key there
    view.answers = {MessageAnswer::Yes};
    run([](Operations& o) { CopyEKey1To4(o); });
    view.answers = {MessageAnswer::Yes};
    run([](Operations& o) { InitEKeys(o, EKeyInitVariant::R27); });

    // A bad file, an empty one, one that loads; then the save.
    for (const std::string& text : {std::string("00 3F\r\nxyz\r\n"), std::string("; nothing\r\n"),
                                    std::string("20 01\r\n21 02\r\n")}) {
        view.answers = {MessageAnswer::Yes};
        view.fileAnswers = {file("image.eep", text)};
        run([](Operations& o) { LoadEeprom(o); });
    }
    view.fileAnswers = {(dir_ / "missing" / "x.eep").string()};
    run([](Operations& o) { SaveEeprom(o); });
    view.fileAnswers = {(dir_ / "saved.eep").string()};
    run([](Operations& o) { SaveEeprom(o); });

    // A backup of input 1's eKey written back, and a file that is none.
    BackupEntry kept;
    kept.deviceId = state.DeviceId;
    kept.address = state.DeviceAddress;
    ASSERT_NE(cache.block(0), nullptr);
    kept.image = cache.block(0)->image;
    const std::string backup = store_->save(kept, nullptr);
    ASSERT_FALSE(backup.empty());
    view.fileAnswers = {backup};
    view.answers = {MessageAnswer::Yes};
    run([](Operations& o) { RestoreEKey(o); });
    view.fileAnswers = {file("not-a-backup.ekey", "nothing")};
    run([](Operations& o) { RestoreEKey(o); });

    // A garbled eKey mask, said before a copy instead of "not present".
    bus.faults().next("KQ", sim::Fault::nonHex(0, 'Z'));
    run([](Operations& o) { ASSERT_TRUE(DevRead(o, 1)); });
    run([](Operations& o) { CopyEKeyExtToInt(o, 0); });

    run([](Operations& o) { RestartConverter(o); });
    expectAllInEnglish();
    const QStringList misses = TakeMisses();
    EXPECT_TRUE(misses.isEmpty()) << misses.join(QLatin1Char('\n')).toStdString();
}

TEST_F(EnglishOperations, AConverterThatIsNotThereIsReportedInEnglish) {
    run([](Operations& o) { EXPECT_FALSE(DevRead(o, 9)); });
    view.inputAnswers = {""};
    run([](Operations& o) { ChangeAddress(o); });
    ASSERT_FALSE(view.criticals.empty());
    EXPECT_EQ(Shown(view.criticals.front()),
              QStringLiteral("No RM-27/RMU unit was found at address 9."));
    EXPECT_EQ(Shown(view.statuses.back()), QStringLiteral("Unit not found!"));
    EXPECT_EQ(Shown(view.criticals.back()), QStringLiteral("Unit not connected"));
}

} // namespace
} // namespace rm27::test
