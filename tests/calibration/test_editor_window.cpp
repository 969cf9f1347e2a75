// The calibration editor's windows, headless, alone and inside the main window.
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QXYSeries>
#include <QtTest/QTest>

#include <functional>
#include <optional>

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

// The user at the modal point dialog: once it is up, types the texts given
// and presses OK, or presses Storno. What the dialog showed is kept.
struct DialogAnswer {
    DialogAnswer(std::optional<QString> s, std::optional<QString> e, bool pressOk = true)
        : signal(std::move(s)), etalon(std::move(e)), ok(pressOk) {}
    std::optional<QString> signal;
    std::optional<QString> etalon;
    bool ok = true;
    QString shownSignal, shownEtalon;
    QString focused; // objectName of the box that had the focus
    bool answered = false;
};

void AnswerPointDialog(DialogAnswer& a) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    int tries = 0;
    QObject::connect(poll, &QTimer::timeout, [poll, &a, tries]() mutable {
        auto* d = qobject_cast<FrmQELCalibInputBox*>(QApplication::activeModalWidget());
        if (d == nullptr) {
            if (++tries > 400) poll->deleteLater();
            return;
        }
        poll->stop();
        poll->deleteLater();
        auto* signal = d->findChild<QLineEdit*>(QStringLiteral("txtCalBod_0"));
        auto* etalon = d->findChild<QLineEdit*>(QStringLiteral("txtCalBod_1"));
        a.shownSignal = signal->text();
        a.shownEtalon = etalon->text();
        if (QWidget* f = d->focusWidget()) a.focused = f->objectName();
        if (a.signal) signal->setText(*a.signal);
        if (a.etalon) etalon->setText(*a.etalon);
        a.answered = true;
        d->findChild<QPushButton*>(a.ok ? QStringLiteral("cmdOK_0") : QStringLiteral("cmdOK_1"))
            ->click();
    });
    poll->start();
}

class EditorWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        SetDecimalSeparator('.');
        editor = std::make_unique<FrmQELCalibration>(session.ops());
        CalibrationEditorModel& m = editor->Load();
        m.xXx.description = FixedText("Siločlen", kDescriptionWidth);
        m.xXx.numberFormat = "####0.0 ";
        m.xXx.sensorId = "AC04BBAA";
        m.xXx.curveFlags = kCurveHasCurve | kCurveSignalMvV;
        m.xXx.gainCode = 5;
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
    QStringList Rows(QComboBox* c) {
        QStringList rows;
        for (int i = 0; i < c->count(); ++i)
            rows << c->itemText(i);
        return rows;
    }
    QStringList Lines() {
        QStringList lines;
        // A point's signal and value, as its row shows them.
        auto* table = E<QTableWidget>("lstKrivka");
        for (int i = 0; i < table->rowCount(); ++i)
            lines << table->item(i, 0)->text() + QLatin1Char(' ') + table->item(i, 1)->text();
        return lines;
    }

    float raw = 9000000;
    float mvv = 1.5f;
    sim::Bus bus;
    sim::VirtualLine line{bus};
    Session session{line, line, prompter, prompter};
    std::unique_ptr<FrmQELCalibration> editor;
};

TEST_F(EditorWindow, CaptionsListsAndMenus) {
    EXPECT_EQ(editor->objectName(), QStringLiteral("frmQELCalibration"));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Kalibrace [ Siločlen ] Adr=4 SubAdr=1"));
    EXPECT_EQ(E<QGroupBox>("Frame2")->title(), QStringLiteral("Snímač [ID:AC04BBAA]"));
    EXPECT_EQ(E<QGroupBox>("Frame1")->title(), QStringLiteral("Kalibrační křivka"));
    EXPECT_EQ(E<QGroupBox>("Frame3")->title(), QStringLiteral("Signál vstupu"));
    EXPECT_EQ(E<QPushButton>("cmdSCAN")->text().remove(QLatin1Char('&')), QStringLiteral("Zachytit"));
    EXPECT_EQ(E<QPushButton>("cmdAction_1")->text().remove(QLatin1Char('&')), QStringLiteral("Uložit kalibraci"));
    EXPECT_EQ(E<QPushButton>("cmdAction_0")->text().remove(QLatin1Char('&')), QStringLiteral("Storno"));
    EXPECT_EQ(E<QPushButton>("cmdListAction_0")->toolTip(),
              QStringLiteral("Přidat bod kalibrační křivky"));
    EXPECT_EQ(E<QPushButton>("cmdListAction_1")->text().remove(QLatin1Char('&')), QStringLiteral("Smazat bod"));
    EXPECT_EQ(E<QLabel>("Label3")->text(), QStringLiteral("2"));
    EXPECT_EQ(E<QLabel>("lblLiveUnit")->text(), QStringLiteral("mV/V"));
    EXPECT_EQ(E<QLabel>("lblCurveSignalPopis")->text(), QStringLiteral("Signál [mV/V]"));
    EXPECT_EQ(E<QLineEdit>("txtLimit")->text(), QStringLiteral("0"));

    EXPECT_EQ(Rows(E<QComboBox>("cmbGain")),
              (QStringList{"Potenciometr G0/1x", "Potenciometr G1/2x", "Univerzální G2/4x  ",
                           "Univerzální G3/8x  ", "Univerzální G4/16x ", "Univerzální G5/32x ",
                           "Tenzometr G6/64x ", "Tenzometr G7/128x"}));
    EXPECT_EQ(E<QComboBox>("cmbGain")->currentIndex(), 5);
    EXPECT_EQ(Rows(E<QComboBox>("cmbFormat")),
              (QStringList{"######0", "####0.0", "###0.00", "##0.000", "#0.0000", "0.00000"}));
    EXPECT_EQ(E<QComboBox>("cmbFormat")->currentIndex(), 1);
    EXPECT_EQ(Rows(E<QComboBox>("cmbSlide")).first(), QStringLiteral("Vypnuto"));
    EXPECT_EQ(Rows(E<QComboBox>("cmbSlideRychl")).first(), QStringLiteral("Off"));
    EXPECT_EQ(Rows(E<QComboBox>("cmbSlideRychl")).last(), QStringLiteral("50"));
    EXPECT_EQ(Rows(E<QComboBox>("cmbCurveType")), (QStringList{"div -> usr", "mV/V -> usr"}));
    EXPECT_EQ(E<QComboBox>("cmbCurveType")->currentIndex(), 1);
    EXPECT_EQ(Lines(), (QStringList{"0.00000 0.0", "2.00000 100.0"}));

    const std::pair<const char*, const char*> items[] = {
        {"mKrivkaNew", "&New curve"},
        {"mFileOpen", "&Open calibration file ..."},
        {"mFileSaveAs", "&Save to calibration file ..."},
        {"mKalibracniList", "&Kalibrační list ..."},
        {"mKrivkaDelete", "&Remove curve"},
        {"mLoadEEKrivka", "Load calibration data from sensor ..."},
        {"mSaveEEKrivka", "Save calibration data to sensor ..."},
        {"mKrivkaBodAdd", "&Add curve point"},
        {"mKrivkaBodDelete", "&Remove curve point"},
        {"mGrafLinearity", "&Show Linearity"}};
    for (const auto& [name, text] : items)
        EXPECT_EQ(E<QAction>(name)->text().remove(QLatin1Char('&')),
                  QString::fromUtf8(text).remove(QLatin1Char('&')))
            << name;
    EXPECT_EQ(E<QMenu>("mFile")->title(), QStringLiteral("&Calibration"));
    EXPECT_EQ(E<QMenu>("mGraf")->title(), QStringLiteral("&Graph"));
    // At least 8145 twips at the screen's density.
    EXPECT_GE(editor->height(), 8145 * editor->logicalDpiY() / 1440);
}

TEST_F(EditorWindow, F5CapturesTheLiveSignalUpAndDownDoNot) {
    editor->tmrOpisovac_Timer(); // one tick of the live signal's timer
    EXPECT_EQ(E<QLabel>("lblSignal")->text(), QStringLiteral("   1.5000"));
    auto* list = E<QTableWidget>("lstKrivka");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(Lines().size(), 2);

    DialogAnswer answer{{}, QStringLiteral("75,5")};
    AnswerPointDialog(answer);
    QTest::keyClick(E<QLineEdit>("txtPopis"), Qt::Key_F5);
    ASSERT_TRUE(answer.answered);
    EXPECT_EQ(answer.shownSignal, QStringLiteral("       1.50000"));
    EXPECT_EQ(answer.shownEtalon, QStringLiteral("    0.0 "));
    EXPECT_EQ(answer.focused, QStringLiteral("txtCalBod_1"));
    EXPECT_EQ(Lines(), (QStringList{"0.00000 0.0", "1.50000 75.5",
                                    "2.00000 100.0"}));
    EXPECT_EQ(list->currentRow(), 1);
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
    // the read's own message only: no store question, no point dialog
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].text.rfind("Kalibraci nelze načíst ze snímače", 0), 0u);
    EXPECT_EQ(editor->model().Tag, EditorTag::None);
    EXPECT_EQ(Lines().size(), 2);
}

TEST_F(EditorWindow, EveryControlRunsItsHandler) {
    struct Case {
        const char* control;
        std::function<void()> trigger;
        std::function<void()> check;
    };
    auto click = [&](const char* name) { return [=, this] { E<QPushButton>(name)->click(); }; };
    auto menu = [&](const char* name) { return [=, this] { E<QAction>(name)->trigger(); }; };
    auto lastText = [&]() {
        return prompter.calls.empty() ? std::string() : prompter.calls.back().text;
    };
    DialogAnswer typed{QStringLiteral("3"), QStringLiteral("150")};
    DialogAnswer cancelled{{}, {}, false};
    DialogAnswer edited{{}, QStringLiteral("99")};
    const Case cases[] = {
        {"cmdListAction_0",
         [&] {
             AnswerPointDialog(typed);
             click("cmdListAction_0")();
         },
         [&] { EXPECT_EQ(Lines().size(), 3); }},
        {"mKrivkaBodAdd",
         [&] {
             AnswerPointDialog(cancelled);
             menu("mKrivkaBodAdd")();
         },
         [&] {
             EXPECT_TRUE(cancelled.answered);
             EXPECT_EQ(cancelled.focused, QStringLiteral("txtCalBod_0"));
             EXPECT_EQ(Lines().size(), 3);
         }},
        {"lstKrivka",
         [&] {
             AnswerPointDialog(edited);
             auto* list = E<QTableWidget>("lstKrivka");
             list->setCurrentCell(2, 0);
             emit list->itemDoubleClicked(list->item(2, 0));
         },
         [&] { EXPECT_EQ(Lines()[2], QStringLiteral("3.00000 99.0")); }},
        {"cmdListAction_1",
         [&] {
             E<QTableWidget>("lstKrivka")->setCurrentCell(-1, -1);
             click("cmdListAction_1")();
         },
         [&] { EXPECT_EQ(lastText(), "Nejprve označte bod křivky, který se má vymazat !"); }},
        {"mKrivkaBodDelete",
         [&] {
             E<QTableWidget>("lstKrivka")->setCurrentCell(0, 0);
             menu("mKrivkaBodDelete")();
         },
         [&] { EXPECT_EQ(Lines().size(), 2); }},
        {"cmbCurveType",
         [&] {
             auto* c = E<QComboBox>("cmbCurveType");
             c->setCurrentIndex(0);
             emit c->activated(0);
         },
         [&] {
             EXPECT_EQ(E<QLabel>("lblLiveUnit")->text(), QStringLiteral("div"));
             EXPECT_EQ(editor->model().xXx.curveFlags & kCurveSignalMvV, 0);
         }},
        {"mKrivkaNew",
         [&] {
             // the changed curve may go, but not for a new one
             prompter.answers = {MessageAnswer::Yes, MessageAnswer::No};
             menu("mKrivkaNew")();
         },
         [&] { EXPECT_EQ(lastText(), "Do you really want to create new calibration data ?"); }},
        {"cmdAction_1",
         [&] {
             prompter.answers = {MessageAnswer::No};
             click("cmdAction_1")();
         },
         [&] { EXPECT_EQ(lastText(), "Chcete opravdu zapsat kalibrační data do snímače ?"); }},
        {"mLoadEEKrivka", menu("mLoadEEKrivka"),
         [&] {
             // no converter on this line: the block does not come
             EXPECT_EQ(lastText().rfind("Kalibraci nelze načíst ze snímače (blok 129)", 0), 0u)
                 << lastText();
         }},
        {"mSaveEEKrivka",
         [&] {
             prompter.answers = {MessageAnswer::No};
             menu("mSaveEEKrivka")();
         },
         [&] { EXPECT_EQ(lastText(), "Chcete opravdu zapsat kalibrační data do snímače ?"); }},
        // The curve differs from the one opened: Storno asks first, No stays.
        {"cmdAction_0",
         [&] {
             prompter.answers = {MessageAnswer::No};
             click("cmdAction_0")();
         },
         [&] {
             EXPECT_EQ(lastText().rfind("Křivka se od otevření editoru změnila", 0), 0u);
             EXPECT_EQ(prompter.calls.back().defaultButton, MessageAnswer::No);
             EXPECT_EQ(editor->model().Tag, EditorTag::None);
             prompter.answers = {MessageAnswer::Yes};
             click("cmdAction_0")();
             EXPECT_EQ(editor->model().Tag, EditorTag::Cancel);
         }},
    };
    // As the window runs the editor: inside a command that has let the
    // line go while the user edits.
    session.run([&](Operations& o) {
        const auto free = o.guard.releaseLine();
        for (const Case& c : cases) {
            c.trigger();
            SCOPED_TRACE(c.control);
            c.check();
        }
    });
}

// The linearity view's table, its largest deviations and its chart.
struct LinearityShown {
    QStringList deviations; // the end-point column
    QString largest;
    QList<QPointF> points, live, curve;
};

LinearityShown Shown(FrmLinearity& w) {
    LinearityShown s;
    auto* grid = w.findChild<QTableWidget*>(QStringLiteral("grdDeviations"));
    for (int r = 0; r < grid->rowCount(); ++r)
        s.deviations << grid->item(r, 3)->text();
    s.largest = w.findChild<QLabel*>(QStringLiteral("lblLargestEndPoint"))->text();
    for (QAbstractSeries* series : w.chart()->series()) {
        auto* xy = static_cast<QXYSeries*>(series);
        if (xy->name() == QStringLiteral("Body")) s.points = xy->points();
        if (xy->name() == QStringLiteral("Živý signál")) s.live = xy->points();
        if (xy->name() == QStringLiteral("Křivka")) s.curve = xy->points();
    }
    return s;
}

TEST_F(EditorWindow, TheLinearityViewFollowsEveryPointAndTheLiveSignal) {
    E<QAction>("mGrafLinearity")->trigger();
    FrmLinearity* view = editor->linearityWindow();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->isVisible());
    EXPECT_EQ(view->objectName(), QStringLiteral("frmLinearity"));
    EXPECT_EQ(Shown(*view).deviations, (QStringList{"0.000", "0.000"}));

    // typed: 49 at 1 mV/V lies 1 below the line through (0, 0) and (2, 100)
    DialogAnswer typed{QStringLiteral("1"), QStringLiteral("49")};
    AnswerPointDialog(typed);
    E<QAction>("mKrivkaBodAdd")->trigger();
    LinearityShown s = Shown(*view);
    EXPECT_EQ(s.deviations, (QStringList{"0.000", "-1.000", "0.000"}));
    EXPECT_EQ(s.largest,
              QStringLiteral("Největší odchylka od přímky krajních bodů: -1.000 = -1.000 % rozsahu "
                             "(bod 2)"));
    EXPECT_EQ(s.points.size(), 3);
    EXPECT_EQ(s.points[1], QPointF(1, 49));

    // edited to 51, then captured at the live 1.5 mV/V as 80
    DialogAnswer edited{{}, QStringLiteral("51")};
    AnswerPointDialog(edited);
    auto* list = E<QTableWidget>("lstKrivka");
    list->setCurrentCell(1, 0);
    emit list->itemDoubleClicked(list->item(1, 0));
    EXPECT_EQ(Shown(*view).deviations[1], QStringLiteral("1.000"));
    editor->tmrOpisovac_Timer();
    DialogAnswer captured{{}, QStringLiteral("80")};
    AnswerPointDialog(captured);
    E<QPushButton>("cmdSCAN")->click();
    EXPECT_EQ(Shown(*view).deviations,
              (QStringList{"0.000", "1.000", "5.000", "0.000"})); // 80 against 75

    // deleted
    list->setCurrentCell(2, 0);
    E<QAction>("mKrivkaBodDelete")->trigger();
    s = Shown(*view);
    EXPECT_EQ(s.deviations.size(), 3);
    // the live signal on the curve, and past its end on the extension
    ASSERT_EQ(s.live.size(), 1);
    EXPECT_DOUBLE_EQ(s.live[0].x(), 1.5);
    EXPECT_DOUBLE_EQ(s.live[0].y(), 75.5); // between (1, 51) and (2, 100)
    mvv = 2.5f;
    editor->tmrOpisovac_Timer();
    s = Shown(*view);
    EXPECT_DOUBLE_EQ(s.live[0].x(), 2.5);
    EXPECT_DOUBLE_EQ(s.live[0].y(), 124.5);
    EXPECT_EQ(s.curve.back(), QPointF(2.5, 124.5));
    EXPECT_EQ(view->findChild<QLabel*>(QStringLiteral("lblLive"))->text(),
              QStringLiteral("Živý signál: 2.50000 → 124.5"));

    // closed by the user it stays closed; the editor's close takes it along
    view->close();
    EXPECT_FALSE(editor->model().linearityShown);
    DialogAnswer cancelled{{}, {}, false};
    AnswerPointDialog(cancelled);
    E<QAction>("mKrivkaBodAdd")->trigger();
    EXPECT_FALSE(view->isVisible());
    E<QAction>("mGrafLinearity")->trigger();
    EXPECT_TRUE(view->isVisible());
    // the close button asks before the points it holds go (No: it stays)
    prompter.answers = {MessageAnswer::No};
    editor->close();
    EXPECT_TRUE(view->isVisible());
    prompter.answers = {MessageAnswer::Yes};
    editor->close();
    EXPECT_FALSE(view->isVisible());
}

TEST_F(EditorWindow, FilesAndCertificatesGoToDisk) {
    QTemporaryDir dir;
    const std::string base = dir.filePath(QStringLiteral("sensor")).toStdString();
    editor->model().xXx.sensorId = "AC04BBAA";
    prompter.fileAnswers = {base};
    E<QAction>("mKalibracniList")->trigger();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(base + ".pdf")));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(base + ".csv")));
    prompter.fileAnswers = {base};
    E<QAction>("mFileSaveAs")->trigger();
    ASSERT_TRUE(prompter.criticals.empty()) << prompter.criticals[0];

    prompter.answers = {MessageAnswer::Yes};
    E<QAction>("mKrivkaDelete")->trigger();
    EXPECT_TRUE(Lines().empty());
    prompter.fileAnswers = {base + ".CLB"};
    E<QAction>("mFileOpen")->trigger();
    EXPECT_EQ(Lines(), (QStringList{"0.00000 0.0", "2.00000 100.0"}));
    EXPECT_TRUE(prompter.criticals.empty());
}

TEST_F(EditorWindow, ThePointDialogFormatsReadsAndCancels) {
    FrmQELCalibInputBox dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Edit"));
    EXPECT_EQ(Child<QLabel>(dialog, "lblSigEth_0")->text(), QStringLiteral("Signal"));
    EXPECT_EQ(Child<QLabel>(dialog, "lblSigEth_1")->text(), QStringLiteral("Etalon"));
    EXPECT_EQ(Child<QPushButton>(dialog, "cmdOK_1")->text(), QStringLiteral("&Storno"));
    PointDialogModel m;
    m.Signal = 0.123456;
    m.Etalon = -2;
    m.ValueFormat = "##0.000";
    m.EditSignal = true;

    DialogAnswer typed{QStringLiteral(" 1,25 "), QStringLiteral("3.5")};
    AnswerPointDialog(typed);
    dialog.ShowModal(m);
    EXPECT_EQ(typed.shownSignal, QStringLiteral("       0.12346"));
    EXPECT_EQ(typed.shownEtalon, QStringLiteral(" -2.000"));
    EXPECT_EQ(typed.focused, QStringLiteral("txtCalBod_0"));
    EXPECT_DOUBLE_EQ(m.Signal, 1.25);
    EXPECT_DOUBLE_EQ(m.Etalon, 3.5);
    EXPECT_FALSE(dialog.isVisible());

    DialogAnswer storno{QStringLiteral("7"), QStringLiteral("8"), false};
    AnswerPointDialog(storno);
    dialog.ShowModal(m);
    EXPECT_EQ(m.Etalon, kPointCancelled);
    EXPECT_DOUBLE_EQ(m.Signal, 1.25);

    // the close box counts as Storno
    m.Etalon = 0;
    QTimer::singleShot(50, [] {
        if (QWidget* d = QApplication::activeModalWidget()) d->close();
    });
    dialog.ShowModal(m);
    EXPECT_EQ(m.Etalon, kPointCancelled);
}

TEST_F(WindowTest, CalibrationButtonsRunTheirOperations) {
    Pty pty;
    auto w = MakeWindow(QStringLiteral("zirkon"));
    w->Form_Load();
    ASSERT_TRUE(ConnectTo(*w, pty));
    pty.readAll();
    // as a reading leaves them: what the writes replace is known
    for (int cell : {5, 152, 153, 154, 155}) // the filter, Q of input 2
        RememberCell(w->session().ops(), cell, 0);
    w->setComboRows(ctl::cmbFreq, {"Stopped", "500 Hz ", "250 Hz ", "125 Hz "}, 3);
    w->cmdGain_Click();
    // the write, then its read-back, which nobody on this line answers
    EXPECT_EQ(pty.readAll(), "$00EW0503\r$00ER05\r$00ER05\r$00ER05\r$00ER05\r");
    EXPECT_EQ(w->state().FilterCode, 3);
    // and, the filter cell not known now, the way back is offered
    ASSERT_EQ(prompter.criticals.size(), 2u);
    EXPECT_EQ(prompter.criticals[0].rfind("Zápis do paměti převodníku nelze ověřit: adresu 05h", 0),
              0u);
    EXPECT_EQ(prompter.criticals[1].rfind("Adresa paměti 05h teď může obsahovat směs starých a "
                                          "nových bajtů: zapsaný obsah se nepodařilo ověřit",
                                          0),
              0u)
        << prompter.criticals[1];

    w->session().live().raw[1] = 9000000;
    w->session().live().seen[1] = true;
    w->cmdSetmVVKQ_Click(1);
    const std::string frames = pty.readAll();
    EXPECT_NE(frames.find("$00EW98"), std::string::npos) << frames;
    EXPECT_NE(frames.find("$00LT\r$00ER98\r"), std::string::npos) << frames;
    EXPECT_EQ(Child<QLabel>(*w, "lblR38mVVQ_1")->text(), QStringLiteral(" 9000000"));

    prompter.criticals.clear();
    prompter.inputAnswers = {"0"};
    w->cmdSetmVVKQ_Click(9);
    EXPECT_EQ(pty.readAll(), "");
    EXPECT_EQ(prompter.criticals, std::vector<std::string>{"nemuze to byt nula"});
    EXPECT_FALSE(Child<QTimer>(*w, "tmrCasovac")->isActive());
}

// The main window measuring while the editor is open, and the editor
// reused from one run to the next.
class TickingWindow : public TestWindow {
public:
    using TestWindow::TestWindow;
    int ticks = 0;

protected:
    bool RunMeasurementTick() override {
        ++ticks;
        session().live().signal[0] = 0.25f * static_cast<float>(ticks);
        session().live().raw[0] = 8388608.0f + 1000.0f * static_cast<float>(ticks);
        return false;
    }
};

class EditorInTheWindow : public WindowTest {
protected:
    std::unique_ptr<TickingWindow> MakeTicking() {
        FrmMainSetup setup;
        setup.commandLine = QStringLiteral("zirkon");
        setup.ports = &ports;
        setup.settings = settings.get();
        setup.prompter = &prompter;
        setup.pump = &real;
        auto w = std::make_unique<TickingWindow>(setup);
        w->Form_Load();
        return w;
    }
};

TEST_F(EditorInTheWindow, LiveSignalMovesWhileTheWindowMeasuresAndTheEditorIsReused) {
    Pty pty;
    auto w = MakeTicking();
    ASSERT_TRUE(ConnectTo(*w, pty));
    w->state().DeviceId = "0123RM2712";
    w->state().records[0].curveFlags = kCurveHasCurve | kCurveSignalMvV;
    w->state().records[0].description = FixedText("Váha", kDescriptionWidth);
    w->StartMeasurement();

    QStringList seen;
    int refusedDuringRun = -1;
    QTimer::singleShot(2300, [&] {
        auto* editor = w->calibrationEditorWindow();
        ASSERT_NE(editor, nullptr);
        auto* label = editor->findChild<QLabel*>(QStringLiteral("lblSignal"));
        seen << label->text();
        QTimer::singleShot(1100, [&, editor, label] {
            seen << label->text();
            // another command cannot start while the editor is open
            const int before = w->guard().refusals();
            w->cmdGain_Click();
            refusedDuringRun = w->guard().refusals() - before;
            editor->findChild<QPushButton*>(QStringLiteral("cmdAction_0"))->click();
        });
    });
    w->cmdChange_Click(0);
    auto* editor = w->calibrationEditorWindow();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(seen.size(), 2);
    // the ticks' mV/V, 0.25 more each tick, in the editor's format
    EXPECT_GT(ValComma(seen[0].toStdString()), 0);
    EXPECT_GT(ValComma(seen[1].toStdString()), ValComma(seen[0].toStdString()));
    EXPECT_TRUE(seen[1].endsWith(QStringLiteral("00"))) << seen[1].toStdString();
    EXPECT_EQ(refusedDuringRun, 1);
    EXPECT_TRUE(editor->isHidden());
    EXPECT_EQ(editor->model().Tag, EditorTag::Cancel);
    EXPECT_EQ(w->reads, 1); // "Načíst" after the run

    // the same window again; the close box ends this run
    QTimer::singleShot(1500, [&] {
        ASSERT_EQ(w->calibrationEditorWindow(), editor);
        EXPECT_TRUE(editor->isVisible());
        editor->close();
    });
    w->cmdChange_Click(0);
    EXPECT_EQ(w->calibrationEditorWindow(), editor);
    EXPECT_TRUE(editor->isHidden());
    EXPECT_EQ(editor->model().Tag, EditorTag::Closed);
    EXPECT_EQ(w->reads, 2);
}

} // namespace
} // namespace rm27::test
