// The RM-27 menu, the RMU menu and the copy buttons in the window: where
// they show, that a running command disables them, that each starts its
// own operation, and what only the window does around a write: ending the
// program during one, and offering the way back from one that failed.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "session/write_safety.h"
#include "support/text_checks.h"
#include "ui/app_paths.h"
#include "window_test_support.h"

namespace rm27::test {
namespace {

class MaintenanceMenuTest : public WindowTest {
protected:
    // The window in the extended mode, connected to the pty.
    std::unique_ptr<TestWindow> connected() {
        auto w = MakeWindow(QStringLiteral("zirkon"));
        w->Form_Load();
        EXPECT_TRUE(ConnectTo(*w, pty));
        pty.readAll();
        return w;
    }
    Pty pty;
};

std::string CopyButton(int i) {
    return "cmdCopyEKEY_Ext2Int_" + std::to_string(i);
}

TEST_F(MaintenanceMenuTest, TheMenusAndTheCopyButtonsOnlyInExtendedMode) {
    for (const bool extended : {false, true}) {
        SCOPED_TRACE(extended);
        auto w = MakeWindow(extended ? QStringLiteral("zirkon") : QString());
        w->Form_Load();
        EXPECT_EQ(Child<QMenu>(*w, "mDevice")->menuAction()->isVisible(), extended);
        EXPECT_EQ(Child<QAction>(*w, "mSaveEE")->isVisible(), extended);
        EXPECT_EQ(Child<QMenu>(*w, "mRMUmain")->menuAction()->isVisible(), extended);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Child<QPushButton>(*w, CopyButton(i).c_str())->isVisibleTo(w.get()), extended)
                << i;
    }
}

TEST_F(MaintenanceMenuTest, EveryItemIsDisabledWhileACommandRuns) {
    auto w = connected();
    std::vector<QObject*> controls;
    for (const char* name : {"mSaveEE", "mLoadEE", "mIniteKey", "mIniteKeyDavro", "mCopy14",
                             "mRestoreEKey", "mUndo", "mRMUset"})
        controls.push_back(Child<QAction>(*w, name));
    for (int i = 0; i < 4; ++i)
        controls.push_back(Child<QPushButton>(*w, CopyButton(i).c_str()));
    auto allEnabled = [&](bool on) {
        for (QObject* c : controls)
            EXPECT_EQ(c->property("enabled").toBool(), on) << c->objectName().toStdString();
    };
    allEnabled(true);
    w->RunCommand([&](Operations&) { allEnabled(false); });
    allEnabled(true);
}

// Each item's first box or dialog, answered No: nothing is sent. The two
// initialisations differ in what they write, not in what they ask.
TEST_F(MaintenanceMenuTest, EachItemStartsItsOwnOperation) {
    auto w = connected();
    const std::pair<const char*, std::string> cases[] = {
        {"cmdCopyEKEY_Ext2Int_2", "Tato funkce zkopíruje externí ekey"},
        {"mCopy14", "Tato funkce zkopíruje binarní obraz ekey"},
        {"mIniteKey", "Tato funkce provede prvotní inicializaci VŠECH"},
        {"mIniteKeyDavro", "Tato funkce provede prvotní inicializaci VŠECH"},
        {"mLoadEE", "Tato funkce slouží k blokovému přepsání paměti eeprom"},
        {"mSaveEE", "Uložit obsah EEPROM do souboru"}, // the save dialog
        {"mRestoreEKey", "Jednotka nepřipojena"},
    };
    const auto trigger = [&](const char* control) {
        if (auto* button = w->findChild<QPushButton*>(QString::fromLatin1(control)))
            button->click();
        else
            Child<QAction>(*w, control)->trigger();
        w->setMeasurementTimer(false); // no tick may reach the next case's line
    };
    for (const auto& [control, text] : cases) {
        prompter.calls.clear();
        prompter.answers = {MessageAnswer::No};
        trigger(control);
        ASSERT_FALSE(prompter.calls.empty()) << control;
        EXPECT_EQ(prompter.calls[0].text.substr(0, text.size()), text) << control;
        EXPECT_EQ(CountFrames(pty.readAll()), 0u) << control;
    }
    // Answered Yes: without a reading there is no eKey; the refusal names
    // the button's input, and the converter is read again.
    prompter.calls.clear();
    prompter.answers = {MessageAnswer::Yes};
    const int reads = w->reads;
    trigger("cmdCopyEKEY_Ext2Int_2");
    ASSERT_EQ(prompter.calls.size(), 2u);
    EXPECT_EQ(prompter.calls[1].text, "EKEY (Vstup3) not present");
    EXPECT_EQ(w->reads, reads + 1);
    // The restore, once a converter was read: its dialog over the backups.
    prompter.calls.clear();
    w->state().DeviceId = "0123RM2712";
    trigger("mRestoreEKey");
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].dialog.initDir, BackupFolder().toStdString());
    EXPECT_EQ(prompter.calls[0].dialog.owner, "frmMain");
}

TEST_F(MaintenanceMenuTest, RmuSettingsOpenTheDialogModallyAndUnloadIt) {
    auto w = connected();
    w->state().IsRMU = true;
    bool modal = false;
    // Closes the dialog as soon as it is up (the measurement stop comes
    // first, and its wait services this timer too).
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* d = QApplication::activeModalWidget();
        if (d == nullptr || d->objectName() != QStringLiteral("frmRMUSetup")) return;
        modal = d->isModal();
        d->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    });
    closer.start();
    Child<QAction>(*w, "mRMUset")->trigger();
    EXPECT_TRUE(modal);
    EXPECT_EQ(w->findChild<QWidget*>(QStringLiteral("frmRMUSetup")), nullptr);
    EXPECT_TRUE(prompter.calls.empty());
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
    for (const bool viaExit : {false, true}) {
        for (const bool ended : {false, true}) {
            SCOPED_TRACE(std::string(viaExit ? "Ukončit, " : "close, ") + (ended ? "Yes" : "No"));
            auto w = connected();
            w->show();
            prompter.calls.clear();
            prompter.criticals.clear();
            prompter.answers = {ended ? MessageAnswer::Yes : MessageAnswer::No};
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
            EXPECT_TRUE(Begins(prompter.calls[0].text, "Probíhá zápis do převodníku."));
            EXPECT_EQ(prompter.calls[0].defaultButton, MessageAnswer::No);
            EXPECT_EQ(wentOn, !ended);
            EXPECT_EQ(quits - quitsBefore, ended && viaExit ? 1 : 0);
            EXPECT_EQ(w->isVisible(), !(ended && !viaExit));
            ASSERT_EQ(prompter.criticals.size(), ended ? 1u : 0u);
            if (ended) {
                EXPECT_TRUE(Begins(prompter.criticals[0], kLeftMixed + ": zápis byl přerušen."));
            }
            pty.readAll();
        }
    }
}

TEST_F(MaintenanceMenuTest, AFailedWriteOffersTheWayBackAndTheChoiceRunsIt) {
    auto w = connected();
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
        EXPECT_TRUE(Begins(prompter.calls[0].text, kLeftMixed + ": zápis se zastavil u bajtu 1."));
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
