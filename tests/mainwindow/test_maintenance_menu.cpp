// The RM-27 menu, the RMU menu and the copy buttons in the window: where
// they show, that a running command disables them, and that each starts
// its own operation.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "session/write_safety.h"
#include "ui/app_paths.h"
#include "window_test_support.h"

namespace rm27::test {
namespace {

using MaintenanceMenuTest = WindowTest;

QStringList Items(const QMenu& menu) {
    QStringList items;
    for (QAction* a : menu.actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return items;
}

TEST_F(MaintenanceMenuTest, TheDeviceMenuAndTheCopyButtonsOnlyInExtendedMode) {
    for (const bool extended : {false, true}) {
        SCOPED_TRACE(extended);
        auto w = MakeWindow(extended ? QStringLiteral("zirkon") : QString());
        w->Form_Load();
        auto* device = Child<QMenu>(*w, "mDevice");
        EXPECT_EQ(device->menuAction()->isVisible(), extended);
        EXPECT_EQ(Items(*device),
                  (QStringList{"mSaveEE", "mLoadEE", "-", "mIniteKey", "mIniteKeyDavro", "-",
                               "mCopy14", "-", "mRestoreEKey", "mUndo"}));
        EXPECT_EQ(Child<QAction>(*w, "mRestoreEKey")->text().remove(QLatin1Char('&')),
                  QStringLiteral("Obnovit eKey ze zálohy ..."));
        auto* save = Child<QAction>(*w, "mSaveEE");
        EXPECT_EQ(save->isVisible(), extended);
        EXPECT_EQ(save->text().remove(QLatin1Char('&')), QStringLiteral("Uložit obsah EEPROM do souboru ..."));
        EXPECT_EQ(Child<QMenu>(*w, "mRMUmain")->menuAction()->isVisible(), extended);
        for (int i = 0; i < 4; ++i) {
            auto* copy =
                Child<QPushButton>(*w, ("cmdCopyEKEY_Ext2Int_" + std::to_string(i)).c_str());
            EXPECT_EQ(copy->isVisibleTo(w.get()), extended) << i;
            EXPECT_EQ(copy->text(), QStringLiteral("COPY Ext->Int"));
        }
        // Both file dialogs are preset at start-up.
        EXPECT_EQ(w->session().dialogs().eepromSave.title, "Uložit obsah EEPROM do souboru");
        EXPECT_EQ(w->session().dialogs().eepromSave.filter, w->session().dialogs().eeprom.filter);
        EXPECT_EQ(w->session().dialogs().eepromSave.defaultExt, ".eep");
    }
}

TEST_F(MaintenanceMenuTest, EveryItemIsDisabledWhileACommandRuns) {
    Pty pty;
    auto w = MakeWindow(QStringLiteral("zirkon"));
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    std::vector<QAction*> actions;
    for (const char* name : {"mSaveEE", "mLoadEE", "mIniteKey", "mIniteKeyDavro", "mCopy14",
                             "mRestoreEKey", "mUndo", "mRMUset"})
        actions.push_back(Child<QAction>(*w, name));
    std::vector<QPushButton*> buttons;
    for (int i = 0; i < 4; ++i)
        buttons.push_back(
            Child<QPushButton>(*w, ("cmdCopyEKEY_Ext2Int_" + std::to_string(i)).c_str()));
    auto allEnabled = [&](bool on) {
        for (QAction* a : actions)
            EXPECT_EQ(a->isEnabled(), on) << a->objectName().toStdString();
        for (QPushButton* b : buttons)
            EXPECT_EQ(b->isEnabled(), on) << b->objectName().toStdString();
    };
    allEnabled(true);
    w->RunCommand([&](Operations&) { allEnabled(false); });
    allEnabled(true);
}

TEST_F(MaintenanceMenuTest, EachItemStartsItsOwnOperation) {
    Pty pty;
    auto w = MakeWindow(QStringLiteral("zirkon"));
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    pty.readAll();
    struct Case {
        const char* control;
        std::function<void()> trigger;
        PromptCall::Kind kind;
        std::string text;
        // Answered Yes: without a reading there is no eKey, and the refusal
        // names what the item was for.
        std::string refusal = {};
    };
    auto action = [&](const char* name) {
        return [&, name] { Child<QAction>(*w, name)->trigger(); };
    };
    const std::string init =
        "Tato funkce provede prvotní inicializaci VŠECH připojených e-Key. Chcete pokračovat ?";
    const Case cases[] = {
        {"cmdCopyEKEY_Ext2Int_2", [&] { Child<QPushButton>(*w, "cmdCopyEKEY_Ext2Int_2")->click(); },
         PromptCall::Message,
         "Tato funkce zkopíruje externí ekey (256B) do interni pameti. Chcete pokračovat ?",
         "EKEY (Vstup3) not present"},
        {"mCopy14", action("mCopy14"), PromptCall::Message,
         "Tato funkce zkopíruje binarní obraz ekey (256B) ve vstupu 1 do ekeye na vstupu 4. "
         "Chcete pokračovat ?",
         "EKEYS not present"},
        {"mIniteKey", action("mIniteKey"), PromptCall::Message, init},
        {"mIniteKeyDavro", action("mIniteKeyDavro"), PromptCall::Message, init},
        {"mLoadEE", action("mLoadEE"), PromptCall::Message,
         "Tato funkce slouží k blokovému přepsání paměti eeprom převodníku "},
        {"mSaveEE", action("mSaveEE"), PromptCall::Save, "Uložit obsah EEPROM do souboru"},
    };
    int reads = w->reads;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        prompter.calls.clear();
        prompter.answers = {MessageAnswer::No};
        c.trigger();
        ASSERT_FALSE(prompter.calls.empty());
        EXPECT_EQ(prompter.calls[0].kind, c.kind);
        EXPECT_EQ(prompter.calls[0].text.substr(0, c.text.size()), c.text);
        EXPECT_EQ(CountFrames(pty.readAll()), 0u);
        if (!c.refusal.empty()) {
            prompter.calls.clear();
            prompter.answers = {MessageAnswer::Yes};
            c.trigger();
            ASSERT_GE(prompter.calls.size(), 2u);
            EXPECT_EQ(prompter.calls[1].text, c.refusal);
            EXPECT_EQ(w->reads, ++reads); // read again afterwards
            pty.readAll();
        }
        w->setMeasurementTimer(false); // no tick may reach the next case's line
    }
    // The two initialisations differ in what they write, not in what they
    // ask: the end-to-end test tells them apart on the simulator.
}

TEST_F(MaintenanceMenuTest, RmuSettingsOpenModallyOnlyForAnRmu) {
    Pty pty;
    auto w = MakeWindow(QStringLiteral("zirkon"));
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    auto* item = Child<QAction>(*w, "mRMUset");
    const auto start = instant.nowMs();
    int opened = 0;
    bool modal = false;
    // Closes the dialog as soon as it is up (the measurement stop comes
    // first, and its wait services this timer too).
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* d = QApplication::activeModalWidget();
        if (d == nullptr || d->objectName() != QStringLiteral("frmRMUSetup")) return;
        ++opened;
        modal = d->isModal();
        d->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    });
    closer.start();

    w->state().IsRMU = false;
    item->trigger();
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(instant.nowMs(), start); // not even the measurement stop

    w->state().IsRMU = true;
    for (int time = 1; time <= 2; ++time) {
        item->trigger();
        EXPECT_EQ(opened, time);
        EXPECT_TRUE(modal);
        EXPECT_EQ(w->findChild<QWidget*>(QStringLiteral("frmRMUSetup")), nullptr); // unloaded
    }
    EXPECT_GE(instant.nowMs() - start, 1000);
    EXPECT_TRUE(prompter.calls.empty());
}

TEST_F(MaintenanceMenuTest, RestoreOpensTheBackupFolderOnlyOnceAConverterWasRead) {
    Pty pty;
    auto w = MakeWindow(QStringLiteral("zirkon"));
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    pty.readAll();
    auto* item = Child<QAction>(*w, "mRestoreEKey");

    item->trigger();
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].text, "Jednotka nepřipojena");

    // as after a reading: the dialog over the backups, cancelled
    prompter.calls.clear();
    w->state().DeviceId = "0123RM2712";
    item->trigger();
    ASSERT_EQ(prompter.calls.size(), 1u);
    const PromptCall& open = prompter.calls[0];
    EXPECT_EQ(open.kind, PromptCall::Open);
    EXPECT_EQ(open.dialog.title, "Obnovit eKey ze zálohy");
    EXPECT_EQ(open.dialog.filter, "Zálohy eKey (*.ekey)|*.ekey|Všechny |*.*");
    EXPECT_EQ(open.dialog.defaultExt, ".ekey");
    EXPECT_EQ(open.dialog.initDir, BackupFolder().toStdString());
    EXPECT_EQ(open.dialog.owner, "frmMain");
    EXPECT_EQ(CountFrames(pty.readAll()), 0u);
}

// One write of cell 90h from 11h to 22h whose first frame went out; `during`
// runs after it, and the write ends as the cancel token then says.
void WriteOneCell(Operations& ops, const std::function<void()>& during, bool echoed = true) {
    RememberCell(ops, 0x90, 0x11);
    GuardedWrite w = BeginCellsWrite(ops, journaled::kEepromLoad, {{0x90, 0x22}}, -1);
    ops.port.send("$01EW9022\r");
    during();
    EndCellsWrite(ops, w, echoed && !ops.cancelled(), 1);
    if (w.written) SettleCells(ops, w, {});
}

const std::string kLeftMixed = "Adresa paměti 90h teď může obsahovat směs starých a nových bajtů";

TEST_F(MaintenanceMenuTest, EndingTheProgramDuringAWriteAsksFirstAndThenSaysWhatWasLeft) {
    Pty pty;
    for (const bool viaExit : {false, true}) {
        for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
            SCOPED_TRACE(std::string(viaExit ? "Ukončit, " : "close, ") +
                         (answer == MessageAnswer::Yes ? "Yes" : "No"));
            auto w = MakeWindow(QStringLiteral("zirkon"));
            w->Form_Load();
            w->show();
            ASSERT_TRUE(ConnectTo(*w, pty));
            prompter.calls.clear();
            prompter.criticals.clear();
            prompter.answers = {answer};
            const int quitsBefore = quits;
            bool wentOn = false;
            w->RunCommand([&](Operations& ops) {
                WriteOneCell(ops, [&] {
                    if (viaExit)
                        Child<QAction>(*w, "mExit")->trigger();
                    else
                        w->close();
                    wentOn = !ops.cancelled();
                });
            });
            QCoreApplication::processEvents(); // the deferred close
            ASSERT_FALSE(prompter.calls.empty());
            EXPECT_EQ(prompter.calls[0].text.rfind("Probíhá zápis do převodníku.", 0), 0u);
            EXPECT_EQ(prompter.calls[0].defaultButton, MessageAnswer::No);
            const bool ended = answer == MessageAnswer::Yes;
            EXPECT_EQ(wentOn, !ended);
            EXPECT_EQ(quits - quitsBefore, ended && viaExit ? 1 : 0);
            EXPECT_EQ(w->isVisible(), !(ended && !viaExit));
            ASSERT_EQ(prompter.criticals.size(), ended ? 1u : 0u);
            if (ended) {
                EXPECT_EQ(prompter.criticals[0].rfind(kLeftMixed + ": zápis byl přerušen.", 0), 0u)
                    << prompter.criticals[0];
            }
            pty.readAll();
        }
    }
}

TEST_F(MaintenanceMenuTest, AFailedWriteOffersTheWayBackAndTheChoiceRunsIt) {
    Pty pty;
    auto w = MakeWindow(QStringLiteral("zirkon"));
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    w->state().DeviceId = "0123RM2712";
    w->state().DeviceAddress = 1;
    // The cell as read since, so that the way back needs no reading first.
    prompter.whileOpen = [&] { RememberCell(w->session().ops(), 0x90, 0x22); };
    for (const int choice : {-1, 0, 1}) {
        SCOPED_TRACE(choice);
        prompter.calls.clear();
        prompter.choices = {choice};
        pty.readAll();
        w->RunCommand([&](Operations& ops) { WriteOneCell(ops, [] {}, false); });
        ASSERT_FALSE(prompter.calls.empty());
        EXPECT_EQ(prompter.calls[0].text.rfind(kLeftMixed + ": zápis se zastavil u bajtu 1.", 0),
                  0u)
            << prompter.calls[0].text;
        // Closed: nothing more goes out. Else the old or the new byte does
        // without a question, and, unanswered here, is offered back in turn.
        const std::string sent = pty.readAll();
        const std::string frames[] = {"", "$01EW9022\r", "$01EW9011\r"}; // closed, redo, undo
        const std::string expected = "$01EW9022\r" + frames[choice + 1];
        EXPECT_EQ(sent.substr(0, expected.size()), expected) << sent;
        EXPECT_EQ(CountFrames(sent) > 1, choice >= 0) << sent;
        EXPECT_EQ(prompter.calls.size(), choice >= 0 ? 2u : 1u);
        w->setMeasurementTimer(false);
    }
}

} // namespace
} // namespace rm27::test
