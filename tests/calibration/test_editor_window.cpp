// The calibration editor's windows, headless, alone and inside the main
// window: what reaches the editor model and what comes back to the widgets.
// What the handlers do is the model's tests' business.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include <functional>

#include "calibration/editor/frm_linearity.h"
#include "calibration/editor/frm_qel_calib_input_box.h"
#include "calibration/editor/frm_qel_calibration.h"
#include "link/codecs.h"
#include "session/controls.h"
#include "session/write_safety.h"
#include "sim/bus.h"
#include "sim/virtual_line.h"
#include "window_test_support.h"

namespace rm27::test {
namespace {

using Entry = ScriptedPointDialog::Entry;

class EditorWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        SetDecimalSeparator('.');
        editor = std::make_unique<FrmQELCalibration>(session.ops(), nullptr, &dialog);
        CalibrationEditorModel& m = editor->Load();
        m.xXx.description = FixedText("Siločlen", kDescriptionWidth);
        m.xXx.numberFormat = "####0.0 ";
        m.xXx.curveFlags = kCurveHasCurve | kCurveSignalMvV;
        m.xXx.pointCount = 2;
        m.xXx.pointSignals[1] = 2;
        m.xXx.userValues[1] = 100;
        m.Adr = 4;
        m.SubAdr = 1;
        m.LiveDivRef = &raw;
        m.LiveMvvRef = &mvv;
        m.FNX = kTargetEKey;
        editor->RunTimer(100);
        editor->UpdateCalibration();
        editor->Show();
        // A measurement answer has just come: the live signal counts.
        session.live().answeredMs = session.ops().nowMs();
    }
    void TearDown() override { SetDecimalSeparator('\0'); }

    template <class T> T* E(const char* name) { return Child<T>(*editor, name); }
    // A point's signal and value, as its row shows them.
    QStringList Lines() {
        QStringList lines;
        auto* table = E<QTableWidget>("lstKrivka");
        for (int i = 0; i < table->rowCount(); ++i)
            lines << table->item(i, 0)->text() + QLatin1Char(' ') + table->item(i, 1)->text();
        return lines;
    }

    float raw = 9000000;
    float mvv = 1.5f;
    ScriptedPointDialog dialog;
    sim::Bus bus;
    sim::VirtualLine line{bus};
    Session session{line, line, prompter, prompter};
    std::unique_ptr<FrmQELCalibration> editor;
};

TEST_F(EditorWindow, EveryControlRunsItsHandler) {
    QTemporaryDir dir;
    const std::string base = dir.filePath(QStringLiteral("sensor")).toStdString();
    auto* list = E<QTableWidget>("lstKrivka");
    const auto last = [&] { return prompter.calls.empty() ? "" : prompter.calls.back().text; };
    const auto rows = [&](int n) { return [=, this] { EXPECT_EQ(Lines().size(), n); }; };
    const auto said = [&](const std::string& text) {
        return [=] { EXPECT_EQ(last().substr(0, text.size()), text); };
    };
    const std::string store = "Chcete opravdu zapsat kalibrační data do snímače ?";
    const auto exists = [&](const char* ext) {
        return [=] { EXPECT_TRUE(QFile::exists(QString::fromStdString(base + ext))) << ext; };
    };
    // The control clicked or its item chosen after the user's answers to
    // what it will ask; then what came of it.
    const struct {
        const char* control;
        std::function<void()> answers;
        std::function<void()> check;
    } cases[] = {
        // clang-format off
        {"cmdListAction_0", [&] { dialog.script = {Entry{"3", "150", false}}; }, rows(4)},
        {"mKrivkaBodAdd", [&] { dialog.script = {Entry{"4", "200", false}}; }, rows(5)},
        {"cmdListAction_1", [&] { list->setCurrentCell(-1, -1); },
         said("Nejprve označte bod křivky")},
        {"mKrivkaBodDelete", [&] { list->setCurrentCell(0, 0); }, rows(4)},
        // the changed curve may go, but not for a new one
        {"mKrivkaNew", [&] { prompter.answers = {MessageAnswer::Yes, MessageAnswer::No}; },
         said("Do you really want to create new calibration data ?")},
        {"cmdAction_1", [&] { prompter.answers = {MessageAnswer::No}; }, said(store)},
        {"mSaveEEKrivka", [&] { prompter.answers = {MessageAnswer::No}; }, said(store)},
        // no converter on this line: the editor's block does not come
        {"mLoadEEKrivka", [] {}, said("Kalibraci nelze načíst ze snímače (blok 129)")},
        {"cmdAction_0", [&] { prompter.answers = {MessageAnswer::No}; },
         said("Křivka se od otevření editoru změnila")},
        {"mKalibracniList", [&] { prompter.fileAnswers = {base}; }, exists(".pdf")},
        {"mFileSaveAs", [&] { prompter.fileAnswers = {base}; }, exists(".CLB")},
        {"mKrivkaDelete", [&] { prompter.answers = {MessageAnswer::Yes}; }, rows(0)},
        {"mFileOpen", [&] { prompter.fileAnswers = {base + ".CLB"}; }, rows(4)},
        {"mGrafLinearity", [] {}, [&] { EXPECT_TRUE(editor->linearityWindow()->isVisible()); }},
        // clang-format on
    };
    // As the window runs the editor: inside a command that has let the
    // line go while the user edits.
    session.run([&](Operations& o) {
        const auto free = o.guard.releaseLine();
        editor->tmrOpisovac_Timer(); // one tick of the live signal's timer
        EXPECT_EQ(E<QLabel>("lblSignal")->text(), QStringLiteral("   1.5000"));
        dialog.script = {Entry{{}, "75,5", false}};
        QTest::keyClick(E<QLineEdit>("txtPopis"), Qt::Key_F5);
        EXPECT_EQ(Lines(), (QStringList{"0.00000 0.0", "1.50000 75.5", "2.00000 100.0"}));
        EXPECT_EQ(list->currentRow(), 1);
        dialog.script = {Entry{{}, "99", false}};
        emit list->itemDoubleClicked(list->item(1, 0));
        EXPECT_EQ(Lines()[1], QStringLiteral("1.50000 99.0"));
        for (const auto& c : cases) {
            SCOPED_TRACE(c.control);
            c.answers();
            if (auto* item = editor->findChild<QAction*>(QString::fromLatin1(c.control)))
                item->trigger();
            else
                E<QPushButton>(c.control)->click();
            c.check();
        }
        E<QComboBox>("cmbCurveType")->setCurrentIndex(0);
        emit E<QComboBox>("cmbCurveType")->activated(0);
        EXPECT_EQ(E<QLabel>("lblLiveUnit")->text(), QStringLiteral("div"));
    });
    EXPECT_EQ(editor->model().Tag, EditorTag::None);
    EXPECT_EQ(prompter.criticals.size(), 2u);
}

TEST_F(EditorWindow, WhileItsOwnReadRunsTheEditorTakesNoCommand) {
    bool enabledDuring = true;
    line.after(50, [&] {
        enabledDuring = editor->isEnabled();
        editor->cmdAction_Click(1); // the store, however it is reached
        E<QTableWidget>("lstKrivka")->setCurrentCell(0, 0);
        editor->mKrivkaBodDelete_Click();
    });
    session.run([&](Operations& o) {
        const auto free = o.guard.releaseLine();
        E<QAction>("mLoadEEKrivka")->trigger();
    });
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(editor->isEnabled());
    // the read's own message only: no store question
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].text.rfind("Kalibraci nelze načíst ze snímače", 0), 0u);
    EXPECT_EQ(editor->model().Tag, EditorTag::None);
    EXPECT_EQ(Lines().size(), 2);
}

TEST_F(WindowTest, ThePointDialogShowsReadsAndCancels) {
    FrmQELCalibInputBox box;
    PointDialogModel m;
    m.Signal = 0.123456;
    m.Etalon = -2;
    m.ValueFormat = "##0.000";
    QStringList shown; // both texts, and the box with the focus
    // Once the dialog is up: a signal typed and a button pressed (none: the
    // close box).
    const auto answer = [&](const char* button) {
        QTimer::singleShot(0, [&, button] {
            QWidget* d = QApplication::activeModalWidget();
            ASSERT_NE(d, nullptr);
            auto* signal = Child<QLineEdit>(*d, "txtCalBod_0");
            shown = {signal->text(), Child<QLineEdit>(*d, "txtCalBod_1")->text(),
                     d->focusWidget()->objectName()};
            signal->setText(QStringLiteral(" 1,25 "));
            if (button)
                Child<QPushButton>(*d, button)->click();
            else
                d->close();
        });
        box.ShowModal(m);
    };
    answer("cmdOK_0");
    EXPECT_EQ(shown, (QStringList{"       0.12346", " -2.000", "txtCalBod_0"}));
    EXPECT_DOUBLE_EQ(m.Signal, 1.25);
    EXPECT_DOUBLE_EQ(m.Etalon, -2);
    m.EditSignal = false;
    for (const char* button : {"cmdOK_1", static_cast<const char*>(nullptr)}) {
        m.Signal = 0;
        answer(button);
        EXPECT_EQ(shown.last(), QStringLiteral("txtCalBod_1"));
        EXPECT_EQ(m.Etalon, kPointCancelled);
        EXPECT_EQ(m.Signal, 0);
    }
}

TEST_F(WindowTest, ZmenitRunsTheEditorWhileTheWindowMeasuresAndReadsAfter) {
    Pty pty;
    auto w = MakeWindow(QStringLiteral("zirkon"));
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    w->state().records[0].curveFlags = kCurveHasCurve | kCurveSignalMvV;
    w->StartMeasurement();
    // The user, once "Změnit" has shown the editor: a tick of the main
    // window, the input's live value, "Storno" (the second time: the close box).
    std::string ticked;
    QString shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        FrmQELCalibration* editor = w->calibrationEditorWindow();
        if (editor == nullptr || !editor->isVisible()) return;
        if (!shown.isEmpty()) {
            editor->close();
            return;
        }
        pty.readAll();
        w->tick();
        ticked = pty.readAll();
        w->session().live().signal[0] = 1.25f;
        editor->tmrOpisovac_Timer();
        shown = Child<QLabel>(*editor, "lblSignal")->text();
        Child<QPushButton>(*editor, "cmdAction_0")->click();
    });
    poll.start(0);
    w->cmdChange_Click(0);
    EXPECT_EQ(ticked, "$00MK\r"); // the line is free for the window's ticks
    EXPECT_EQ(shown, QStringLiteral("   1.2500"));
    FrmQELCalibration* editor = w->calibrationEditorWindow();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->model().Tag, EditorTag::Cancel);
    EXPECT_EQ(w->reads, 1); // "Načíst" after the run
    w->cmdChange_Click(0);
    EXPECT_EQ(w->calibrationEditorWindow(), editor); // the same window again
    EXPECT_EQ(editor->model().Tag, EditorTag::Closed);
    EXPECT_EQ(w->reads, 2);
}

} // namespace
} // namespace rm27::test
