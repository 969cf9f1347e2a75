// The calibration editor's handlers without widgets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "calibration/editor_model.h"
#include "calibration/kept_outputs.h"
#include "link/codecs.h"
#include "link/transact.h"
#include "session/measurement_status.h"
#include "support/memory_file_store.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

using Entry = ScriptedPointDialog::Entry;

class EditorModel : public test::SimRig {
protected:
    EditorModel() {
        SetDecimalSeparator('.');
        m.xXx.numberFormat = "####0.0 ";
        m.xXx.description = FixedText("Váha", kDescriptionWidth);
        m.xXx.sensorId = "AC04BBAA";
        m.FNX = kTargetEKey;
        m.Form_Load();
        m.Form_Activate();
        // A measurement answer has just come: the live signal counts.
        ops.live.answeredMs = ops.nowMs();
    }
    ~EditorModel() override { SetDecimalSeparator('\0'); }

    // Adds points typed by hand.
    void Type(std::initializer_list<std::pair<const char*, const char*>> points) {
        for (const auto& [signal, value] : points) {
            dialog.script.push_back(Entry{signal, value, false});
            ASSERT_TRUE(m.mKrivkaBodAdd_Click()) << signal;
        }
    }
    std::string Curve() const {
        std::string out;
        for (int k = 1; k <= m.points.count(); ++k)
            out += SingleText(m.points.slot(k).signal) + ":" +
                   SingleText(m.points.slot(k).userValue) + " ";
        return out;
    }

    ScriptedPointDialog dialog;
    CalibrationEditorModel m{ops, dialog};
};

TEST_F(EditorModel, CaptureTakesTheLiveMvvWhateverTheCurveTypeShows) {
    const float raw = 9000000;
    const float mvv = 1.234567f;
    m.LiveDivRef = &raw;
    m.LiveMvvRef = &mvv;
    m.cmbCurveType_Click(1);
    EXPECT_NE(m.xXx.curveFlags & kCurveSignalMvV, 0);
    EXPECT_EQ(m.fields.lblCurveSignalPopis.czech(), "Signál [mV/V]");
    m.tmrOpisovac_Timer();
    EXPECT_EQ(m.fields.lblSignal, "   1.2346");
    EXPECT_EQ(m.LiveSignal(), mvv);
    m.cmbCurveType_Click(0);
    EXPECT_EQ(m.xXx.curveFlags & kCurveSignalMvV, 0);
    EXPECT_EQ(m.fields.lblLiveUnit, "div");
    m.tmrOpisovac_Timer();
    EXPECT_EQ(m.fields.lblSignal, " 9000000");
    EXPECT_EQ(m.xXx.liveSelected, raw);
    EXPECT_EQ(m.LiveSignal(), raw);

    dialog.script.push_back(Entry{std::nullopt, "50", false});
    ASSERT_TRUE(m.cmdSCAN_Click());
    ASSERT_EQ(dialog.shown.size(), 1u);
    const PointDialogModel& shown = dialog.shown[0];
    EXPECT_FALSE(shown.EditSignal);
    EXPECT_EQ(shown.ValueFormat, "####0.0 ");
    EXPECT_EQ(shown.txtCalBod[0], "       1.23457");
    EXPECT_EQ(shown.txtCalBod[1], "    0.0 ");
    // the signal went through its text: five decimals
    EXPECT_EQ(Curve(), "1.23457:50 ");
    EXPECT_EQ(m.fields.lstKrivkaSelected, 0);

    // No answer for longer than the limit, or no line: nothing to capture.
    for (const bool open : {true, false}) {
        DelayMs(ops.port, static_cast<std::int32_t>(open ? kStaleAfterMs + 1 : 0));
        line.setOpen(open);
        view.calls.clear();
        EXPECT_FALSE(m.cmdSCAN_Click());
        EXPECT_EQ(view.messageTexts().at(0).rfind("Signál není aktuální", 0), 0u);
    }
    EXPECT_EQ(dialog.shown.size(), 1u);
}

TEST_F(EditorModel, PointsAreSortedAndTheNewOneSelected) {
    Type({{"2", "200"}, {"0,5", "50"}});
    EXPECT_EQ(m.fields.lstKrivkaSelected, 0);
    Type({{"1", "100"}});
    EXPECT_EQ(Curve(), "0.5:50 1:100 2:200 ");
    EXPECT_EQ(m.fields.lstKrivkaSelected, 1);
    EXPECT_EQ(m.fields.lstKrivka.size(), 3u);
    ASSERT_EQ(dialog.shown.size(), 3u);
    EXPECT_TRUE(dialog.shown[0].EditSignal);
    EXPECT_EQ(dialog.shown[0].txtCalBod[0], "       0.00000");
}

TEST_F(EditorModel, TenthPointIsRefusedByCaptureAndByHand) {
    for (const char* k : {"1", "2", "3", "4", "5", "6", "7", "8", "9"})
        Type({{k, k}});
    const char* text = "Kalibrační křivka může obsahovat maximálně 9 bodu, nelze přidat další bod.";
    // by hand: refused before the dialog opens
    EXPECT_FALSE(m.mKrivkaBodAdd_Click());
    EXPECT_EQ(dialog.shown.size(), 9u);
    EXPECT_EQ(view.criticals, std::vector<std::string>{text});
    // by capture: the dialog is answered, then the point is refused
    dialog.script.push_back(Entry{"10", "10", false});
    EXPECT_FALSE(m.cmdSCAN_Click());
    EXPECT_EQ(dialog.shown.size(), 10u);
    EXPECT_EQ(view.criticals, (std::vector<std::string>{text, text}));
    EXPECT_EQ(m.points.count(), 9);
}

TEST_F(EditorModel, StornoOrTyped999999AddsAndChangesNothing) {
    Type({{"1", "10"}, {"2", "20"}});
    dialog.script.push_back(Entry{{}, {}, true});
    EXPECT_FALSE(m.cmdSCAN_Click());
    dialog.script.push_back(Entry{"3", "999999", false});
    EXPECT_FALSE(m.mKrivkaBodAdd_Click());
    m.fields.lstKrivkaSelected = 1;
    dialog.script.push_back(Entry{{}, {}, true});
    m.lstKrivka_DblClick();
    EXPECT_EQ(Curve(), "1:10 2:20 ");
    EXPECT_TRUE(view.calls.empty());
}

TEST_F(EditorModel, APointTheEKeyCannotHoldIsRefusedByAddAndByEdit) {
    Type({{"1", "10"}, {"2", "20"}});
    const struct {
        const char* signal;
        const char* etalon;
        const char* message; // how the box begins
    } cases[] = {
        {"1e40", "5", "Signal: hodnotu 1e+40 nelze použít"},
        {"-2e38", "5", "Signal: hodnotu -2e+38 nelze použít"},
        {"1e-40", "5", "Signal: hodnotu 1e-40 nelze použít"},
        {"5", "1e39", "Etalon: hodnotu 1e+39 nelze použít"},
        {"5", "-1e-39", "Etalon: hodnotu -1e-39 nelze použít"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.signal) + ":" + c.etalon);
        dialog.script.push_back(Entry{c.signal, c.etalon, false});
        EXPECT_FALSE(m.mKrivkaBodAdd_Click());
        EXPECT_EQ(view.criticals.back().rfind(c.message, 0), 0u) << view.criticals.back();
        m.fields.lstKrivkaSelected = 0;
        dialog.script.push_back(Entry{c.signal, c.etalon, false});
        m.lstKrivka_DblClick();
        EXPECT_EQ(view.criticals.back().rfind(c.message, 0), 0u) << view.criticals.back();
        EXPECT_EQ(Curve(), "1:10 2:20 ");
    }
    EXPECT_EQ(view.criticals.size(), 2 * std::size(cases));

    // Wide for its format but held by the eKey: taken, its line shown as the
    // format cuts it and the whole value in its tip.
    Type({{"3", "123456"}});
    EXPECT_EQ(m.fields.lstKrivka[2], "       3  23456.0 ");
    std::vector<std::string> tips;
    for (const Text& tip : m.fields.lstKrivkaTips)
        tips.push_back(tip.czech());
    EXPECT_EQ(tips, (std::vector<std::string>{"", "",
                                              "Hodnota se nevejde do formátu ####0.0: 123456.0"}));
}

TEST_F(EditorModel, ACaptureAtALoadTheTableHasReplacesItsSignalOnlyWhenAsked) {
    Type({{"1", "10"}, {"3", "30"}});
    m.xXx.liveMvV = 2;
    view.answers.push_back(MessageAnswer::Yes);
    dialog.script.push_back(Entry{std::nullopt, "30", false});
    EXPECT_TRUE(m.cmdSCAN_Click());
    EXPECT_EQ(Curve(), "1:10 2:30 ");
    EXPECT_EQ(m.fields.label3, "2");
    ASSERT_EQ(view.calls.size(), 1u);
    EXPECT_EQ(view.calls[0].text, "Bod s hodnotou etalonu 30 už v tabulce je (signál 3). Nahradit "
                                  "jeho signál novým (2)? Ne: přidat další bod.");
    EXPECT_EQ(view.calls[0].defaultButton, MessageAnswer::No);

    // No: added beside it, and the repeated value reported; it stays. So
    // is a point typed whole, without the offer.
    m.xXx.liveMvV = 4;
    dialog.script.push_back(Entry{std::nullopt, "10", false});
    EXPECT_TRUE(m.cmdSCAN_Click());
    EXPECT_EQ(Curve(), "1:10 2:30 4:10 ");
    EXPECT_EQ(view.calls.size(), 3u); // the offer, and the repeated value
    dialog.script.push_back(Entry{"5", "10", false});
    EXPECT_TRUE(m.mKrivkaBodAdd_Click());
    EXPECT_EQ(view.calls.size(), 4u);
    EXPECT_EQ(view.criticals.size(), 2u);
    EXPECT_EQ(view.criticals[0], "Hondota etalonu 10 se vyskytuje opakovaně. ");
}

TEST_F(EditorModel, EditAndDeleteNeedASelectedPoint) {
    Type({{"1", "10"}, {"2", "20"}, {"3", "30"}});
    m.fields.lstKrivkaSelected = -1;
    m.lstKrivka_DblClick();
    EXPECT_EQ(dialog.shown.size(), 3u);
    m.mKrivkaBodDelete_Click();
    EXPECT_EQ(view.criticals,
              std::vector<std::string>{"Nejprve označte bod křivky, který se má vymazat !"});

    m.fields.lstKrivkaSelected = 0;
    dialog.script.push_back(Entry{"4", "40", false});
    m.lstKrivka_DblClick();
    ASSERT_EQ(dialog.shown.size(), 4u);
    EXPECT_TRUE(dialog.shown[3].EditSignal); // as the last add left it
    EXPECT_EQ(dialog.shown[3].txtCalBod[0], "       1.00000");
    EXPECT_EQ(dialog.shown[3].txtCalBod[1], "   10.0 ");
    EXPECT_EQ(Curve(), "2:20 3:30 4:40 ");
    m.fields.lstKrivkaSelected = 1;
    m.mKrivkaBodDelete_Click();
    EXPECT_EQ(Curve(), "2:20 4:40 ");
    EXPECT_EQ(m.fields.lstKrivka.size(), 2u);
    EXPECT_EQ(m.fields.label3, "2"); // the counter follows
}

TEST_F(EditorModel, NewAndRemoveCurveAskWithNoPreselected) {
    Type({{"1", "10"}, {"2", "20"}});
    // A new curve first asks whether the changed curve may go; either
    // question answered No keeps the points.
    const std::string discard =
        "Křivka se od otevření editoru změnila a není uložená. Zavřít editor a zahodit ji "
        "(bodů: 2)?";
    struct Ask {
        const char* text;
        void (CalibrationEditorModel::*click)();
        std::vector<MessageAnswer> before;
    };
    const Ask asks[] = {
        {discard.c_str(), &CalibrationEditorModel::mKrivkaNew_Click, {}},
        {"Do you really want to create new calibration data ?",
         &CalibrationEditorModel::mKrivkaNew_Click, {MessageAnswer::Yes}},
        {"Do you really want to remove all points of the curve ?",
         &CalibrationEditorModel::mKrivkaDelete_Click, {}},
    };
    for (const Ask& ask : asks) {
        view.calls.clear();
        view.answers.assign(ask.before.begin(), ask.before.end());
        view.answers.push_back(MessageAnswer::No);
        (m.*ask.click)();
        EXPECT_EQ(m.points.count(), 2);
        EXPECT_EQ(m.Tag, EditorTag::None);
        ASSERT_EQ(view.calls.size(), ask.before.size() + 1);
        const auto& asked = view.calls.back();
        EXPECT_EQ(asked.text, ask.text);
        EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
        EXPECT_EQ(asked.defaultButton, MessageAnswer::No);
    }

    view.answers = {MessageAnswer::Yes};
    m.mKrivkaDelete_Click();
    EXPECT_EQ(m.points.count(), 0);
    EXPECT_TRUE(m.fields.lstKrivka.empty());
    EXPECT_EQ(m.Tag, EditorTag::None); // unlike a new curve, the run goes on

    Type({{"1", "10"}, {"2", "20"}});
    view.calls.clear();
    view.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
    m.mKrivkaNew_Click();
    ASSERT_EQ(view.calls.size(), 3u);
    EXPECT_EQ(view.calls[2].text, "The data will be saved after 'Save' button had been pressed");
    EXPECT_EQ(view.calls[2].icon, MessageIcon::Information);
    EXPECT_EQ(m.Tag, EditorTag::New);
    EXPECT_EQ(m.points.count(), 0);
    EXPECT_EQ(m.xXx.pointCount, 0);
    EXPECT_EQ(m.fields.txtPopis, "");
}

TEST_F(EditorModel, UnsavedPointsAreKeptAndOfferedAtTheNextEditingOfTheSensor) {
    const std::string folder = ::testing::TempDir() + "drafts-" + std::to_string(::getpid());
    m.draftFolder = folder;
    m.UpdateCalibration();
    Type({{"1", "10"}, {"2", "20"}});
    m.KeepDraft();

    // The program ends without a store; the next editing of the sensor.
    ScriptedPointDialog again;
    CalibrationEditorModel next{ops, again};
    next.xXx = m.xXx;
    next.xXx.pointCount = 0;
    next.draftFolder = folder;
    next.UpdateCalibration();
    view.answers = {MessageAnswer::Yes};
    ASSERT_TRUE(next.OfferDraft());
    EXPECT_EQ(view.messageTexts().back().rfind("Pro tento snímač jsou uloženy neuložené body z "
                                               "předchozí úpravy (bodů: 2, 20",
                                               0),
              0u);
    ASSERT_EQ(next.points.count(), 2);
    EXPECT_EQ(next.points.slot(2).signal, 2.0f);
    EXPECT_EQ(next.points.slot(2).userValue, 20.0f);
    // Given up after the question ("Storno", as the window runs it): not
    // offered again.
    view.answers = {MessageAnswer::Yes};
    ASSERT_TRUE(next.MayLeave());
    next.cmdAction_Click(0);
    next.KeepDraft();
    EXPECT_FALSE(next.OfferDraft());
    std::filesystem::remove_all(folder);
}

TEST_F(EditorModel, SaveRefusalsAndSuccess) {
    Type({{"0", "0"}, {"2", "100"}});
    m.fields.txtPopis = "Váha";

    m.xXx.noEKey = true;
    m.cmdAction_Click(1);
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"Kalibrační data nemohou být zapsána do snímače, protože "
                                       "neobsahuje vniřní paměť dat (eKey)."});
    m.xXx.noEKey = false;
    view.calls.clear();

    // The line gone (the editor stays open): refused before the question.
    line.setOpen(false);
    m.cmdAction_Click(1);
    ASSERT_EQ(view.calls.size(), 1u);
    EXPECT_EQ(view.calls[0].text.rfind("Spojení s převodníkem je přerušeno.", 0), 0u);
    line.setOpen(true);
    view.calls.clear();

    view.answers = {MessageAnswer::No};
    m.cmdAction_Click(1);
    ASSERT_EQ(view.calls.size(), 1u);
    EXPECT_EQ(view.calls[0].text, "Chcete opravdu zapsat kalibrační data do snímače ?");
    EXPECT_EQ(view.calls[0].icon, MessageIcon::Question);
    EXPECT_EQ(view.calls[0].defaultButton, MessageAnswer::No);
    EXPECT_EQ(m.Tag, EditorTag::None);

    view.calls.clear();
    m.fields.txtPopis = " ";
    view.answers = {MessageAnswer::Yes};
    m.cmdAction_Click(1);
    EXPECT_EQ(view.messageTexts(),
              (std::vector<std::string>{"Chcete opravdu zapsat kalibrační data do snímače ?",
                                        "Kalibrační křivka musí mít jméno (popis).",
                                        "Calibation data cannot be prepared to save."}));
    EXPECT_EQ(m.Tag, EditorTag::None);

    // the menu's "Save calibration data to sensor" is the same button
    line.waitFor(1234);
    m.fields.txtPopis = "Váha";
    view.calls.clear();
    view.answers = {MessageAnswer::Yes};
    m.mSaveEEKrivka_Click();
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"Chcete opravdu zapsat kalibrační data do snímače ?"});
    EXPECT_EQ(m.Tag, EditorTag::Store);
    EXPECT_EQ(m.xXx.slopes[0], 50);
    EXPECT_EQ(m.xXx.overallSlope, 50);
    EXPECT_EQ(m.xXx.preparationTime, 1234);

    // a doubtful eKey mask: the block the record goes back to is not known
    m.Tag = EditorTag::None;
    m.Input = 0;
    state.doubts.ekeyMask = kDoubtNoAnswer;
    view.answers = {MessageAnswer::Yes};
    m.cmdAction_Click(1);
    EXPECT_EQ(view.messageTexts().back().rfind("maska eKey je nejistá: ", 0), 0u);
    EXPECT_EQ(m.Tag, EditorTag::None);
    state.doubts.ekeyMask = {};

    // a file name as the target: nothing can be saved there
    m.Tag = EditorTag::None;
    m.FNX = "kalibrace.clb";
    view.calls.clear();
    view.answers = {MessageAnswer::Yes};
    m.cmdAction_Click(1);
    EXPECT_EQ(view.messageTexts().back(), "Calibration data WERE NOT saved to calibration file.");
    EXPECT_EQ(m.Tag, EditorTag::None);

    m.cmdAction_Click(0);
    EXPECT_EQ(m.Tag, EditorTag::Cancel);
}

TEST_F(EditorModel, SaveToFileWritesTheBuiltRecordOrSaysWhyNot) {
    test::MemoryFileStore store;
    m.files = &store;
    m.program = "RM-27/RMU Manager 9.9.9";
    Type({{"0", "0"}, {"2", "100"}});
    m.appFolder = "/opt/r27";
    m.mFileSaveAs_Click(); // cancelled
    ASSERT_EQ(view.calls.size(), 1u);
    const FileDialogSpec& d = view.calls[0].dialog;
    EXPECT_EQ(view.calls[0].kind, test::PromptCall::Save);
    EXPECT_EQ(d.owner, "frmQELCalibration");
    EXPECT_EQ(d.title, "Save calibration data to file");
    EXPECT_EQ(d.filter, "Calibration files (*.CLB)|*.CLB");
    EXPECT_EQ(d.defaultExt, ".CLB");
    EXPECT_EQ(d.filterIndex, 1);
    EXPECT_EQ(d.initDir, "/opt/r27");

    // saved: the record as the build left it, under "Kalibrace", no message
    view.fileAnswers = {"/tmp/a"};
    m.mFileSaveAs_Click();
    EXPECT_TRUE(view.criticals.empty());
    const ClbGroup* g = store.group("/tmp/a.CLB", "Kalibrace");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->keys, CalibrationGroup("Kalibrace", m.xXx, m.program).keys);
    EXPECT_EQ(*g->find("DateOfSave"), "261204");
    EXPECT_EQ(*g->find("Limit"), "9999");
    EXPECT_EQ(*g->find("Program"), "RM-27/RMU Manager 9.9.9");

    // the store refuses: the file's name and the system's reason
    store.failWith = "Permission denied";
    view.fileAnswers = {"/tmp/b.clb"};
    m.mFileSaveAs_Click();
    EXPECT_EQ(
        view.criticals,
        std::vector<std::string>{"Write data to file failed. \r\n/tmp/b.clb\r\nPermission denied"});
    // a curve that does not pass only shows why
    view.calls.clear();
    m.fields.txtPopis = "";
    view.fileAnswers = {"/tmp/c"};
    m.mFileSaveAs_Click();
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"Kalibrační křivka musí mít jméno (popis)."});

    // a file as the editor's target: its section
    store.failWith.clear();
    m.fields.txtPopis = "Váha";
    m.FNX = "/tmp/d.CLB";
    m.FNXSection = "Kalibrace\\Snimac02";
    view.calls.clear();
    view.answers = {MessageAnswer::Yes};
    m.cmdAction_Click(1);
    EXPECT_NE(store.group("/tmp/d.CLB", "Kalibrace\\Snimac02"), nullptr);
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"Chcete opravdu zapsat kalibrační data do snímače ?"});
}

TEST_F(EditorModel, OpenChecksTheFileAndKeepsTheEditorsBlock) {
    test::MemoryFileStore store;
    m.files = &store;
    m.Adr = 4;
    m.SubAdr = 1;
    m.xXx.adr = 4;
    m.xXx.subAdr = 1;
    m.FNXSection = "Kalibrace\\Snimac02";
    Type({{"1", "10"}, {"2", "20"}});
    m.fields.txtPopis = "typed";

    SensorRecord file;
    file.description = FixedText("Ze souboru", kDescriptionWidth);
    file.unit = FixedText("N", kUnitWidth);
    file.numberFormat = FixedText("##0.000", kNumberFormatWidth);
    file.sensorId = "AC05XYZ1";
    file.gainCode = 5;
    file.slidingLength = 12;
    file.curveFlags = kCurveHasCurve | kCurveSignalMvV;
    file.pointCount = 3;
    file.pointSignals = {0, 0.5f, 1};
    file.userValues = {0, 49.5f, 100};
    SensorRecord other = file;
    other.description = FixedText("Jiný vstup", kDescriptionWidth);
    const ClbGroup mine = CalibrationGroup("Kalibrace\\Snimac02", file, "x");
    store.files["/f.CLB"] = {CalibrationGroup("Kalibrace", other, "x"), mine};
    store.files["/bad.CLB"] = {test::WithKey(mine, "Signal2", "x")};
    store.files["/ten.CLB"] = {test::WithKey(mine, "Points", "10")};
    store.files["/others.CLB"] = {CalibrationGroup("Kalibrace\\Snimac01", file, "x"),
                                  CalibrationGroup("Kalibrace\\Snimac03", file, "x")};

    const std::pair<const char*, const char*> refused[] = {
        {"/none.CLB", "Kalibrační soubor nelze přečíst: /none.CLB\r\nNo such file or directory"},
        {"/others.CLB",
         "V kalibračním souboru /others.CLB není skupina [Kalibrace\\Snimac02] ani [Kalibrace]."},
        {"/bad.CLB", "Kalibrační soubor /bad.CLB nelze načíst, skupina [Kalibrace\\Snimac02]:\r\n"
                     "Položka \"Signal2\" není číslo: \"x\"."},
        {"/ten.CLB", "Kalibrační soubor /ten.CLB nelze načíst, skupina [Kalibrace\\Snimac02]:\r\n"
                     "Položka \"Points\" = 10: kalibrační křivka může mít 2 až 9 bodů."},
    };
    const SensorRecord before = m.xXx;
    for (const auto& [path, message] : refused) {
        view.fileAnswers = {path};
        EXPECT_FALSE(m.mFileOpen_Click()) << path;
        EXPECT_EQ(view.criticals.back(), message);
        EXPECT_EQ(Curve(), "1:10 2:20 ") << path;
        EXPECT_EQ(m.fields.txtPopis, "typed") << path;
        EXPECT_EQ(m.xXx, before) << path;
    }

    view.calls.clear();
    view.fileAnswers = {"/f.CLB"};
    ASSERT_TRUE(m.mFileOpen_Click());
    ASSERT_EQ(view.calls.size(), 1u);
    EXPECT_EQ(view.calls[0].kind, test::PromptCall::Open);
    EXPECT_EQ(view.calls[0].dialog.title, "Open calibration file");
    EXPECT_EQ(view.calls[0].dialog.owner, "frmQELCalibration");
    EXPECT_EQ(view.calls[0].dialog.filter, "Calibration files (*.CLB)|*.CLB|All files (*.*)|*.*");
    // the input's own group, into the same block
    EXPECT_EQ(Curve(), "0:0 0.5:49.5 1:100 ");
    EXPECT_EQ(m.fields.txtPopis, file.description);
    EXPECT_EQ(m.fields.cmbFormat, 3);
    EXPECT_EQ(m.fields.cmbGain, 5);
    EXPECT_EQ(m.fields.cmbSlide, 10);
    EXPECT_EQ(m.fields.frame2.czech(), "Snímač [ID:AC05XYZ1]");
    EXPECT_EQ(m.fields.caption.czech(), "Kalibrace [ Ze souboru ] Adr=4 SubAdr=1");
    EXPECT_EQ(m.xXx.adr, 4);
    EXPECT_EQ(m.xXx.subAdr, 1);
}

TEST_F(EditorModel, LinearityFollowsThePoints) {
    m.mGrafLinearity_Click();
    EXPECT_TRUE(m.linearityShown);
    Type({{"0", "0"}, {"2", "201"}});
    EXPECT_DOUBLE_EQ(m.CurveLinearity().deviations[1].endPoint, 0);
    Type({{"1", "100"}});
    EXPECT_NEAR(m.CurveLinearity().deviations[1].endPoint, -0.5, 1e-5);
    m.fields.txtJednotka = "kg";
    EXPECT_EQ(m.CurveLinearityTexts().rows[1][3], "-0.500");
    EXPECT_EQ(m.CurveLinearityTexts().headers[2].czech(), "Hodnota [kg]");
    m.fields.lstKrivkaSelected = 1;
    m.mKrivkaBodDelete_Click();
    EXPECT_EQ(m.CurveLinearity().points.size(), 2u);
    m.Form_Unload();
    EXPECT_FALSE(m.linearityShown);
}

TEST_F(EditorModel, CertificateOfTheCalibrationAsItWouldBeStored) {
    test::KeptCertificates pdf;
    m.certificates = &pdf;
    m.program = "RM-27/RMU Manager 9.9.9";
    state.DeviceId = "0123RM2712";
    state.DeviceAddress = 5;
    m.Adr = 1;
    m.SubAdr = 0;
    m.xXx.adr = 1;
    m.xXx.dateOfSave = "250101";
    Type({{"2", "201"}, {"0", "0"}, {"1", "100"}});
    m.fields.txtJednotka = "kg";
    m.fields.txtNejistota = "0,05";
    m.fields.txtKL = "KL-7";
    m.fields.txtSN = "SN 4411";
    m.fields.txtPlatnostKalibrace = "271204";
    char folder[] = "/tmp/r27certXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string base = std::string(folder) + "/list";

    view.fileAnswers = {base};
    ASSERT_TRUE(m.mKalibracniList_Click());
    ASSERT_EQ(view.calls.size(), 2u);
    EXPECT_EQ(view.calls[0].kind, test::PromptCall::Save);
    EXPECT_EQ(view.calls[0].dialog.title, "Uložit kalibrační list");
    EXPECT_EQ(view.calls[0].dialog.defaultExt, ".pdf");
    EXPECT_EQ(view.calls[1].text,
              "Kalibrační list byl uložen do souborů\r\n" + base + ".pdf\r\n" + base + ".csv");
    ASSERT_EQ(pdf.written.size(), 1u);
    const auto& [c, path] = pdf.written[0];
    EXPECT_EQ(path, base + ".pdf");
    EXPECT_EQ(c.sensorId, "AC04BBAA");
    EXPECT_EQ(c.converterId, "0123RM2712");
    EXPECT_EQ(c.address, 5);
    EXPECT_EQ(c.input, 2);
    EXPECT_EQ(c.block, 32);
    EXPECT_EQ(c.unit, "kg");
    EXPECT_EQ(c.dateOfSave, "261204"); // as the store will date it
    EXPECT_DOUBLE_EQ(c.uncertainty, 0.05);
    EXPECT_EQ(c.sheetNumber, "KL-7");
    EXPECT_EQ(c.program, "RM-27/RMU Manager 9.9.9");
    // Storing leaves these boxes alone: the certificate states them as typed.
    const auto fields = CertificateFields(c);
    const std::pair<std::string, std::string> typed[] = {
        {"Výrobní číslo", "SN 4411"},
        {"Platnost kalibrace", "04.12.2027"},
        {"Nejistota", "0.05 %"},
        {"Číslo kalibračního listu", "KL-7"}};
    for (const auto& field : typed)
        EXPECT_NE(std::find(fields.begin(), fields.end(), field), fields.end()) << field.first;
    ASSERT_TRUE(c.linearity.valid);
    EXPECT_DOUBLE_EQ(c.linearity.deviations[1].endPoint, -0.5);

    const std::string csv = test::ReadWholeText(base + ".csv");
    for (const char* expected :
         {"Kalibrační list\r\n", "Identifikátor snímače,AC04BBAA\r\n",
          "Vstup,\"2 (eKey, blok 32)\"\r\n", "Nejistota,0.05 %\r\n",
          "Číslo kalibračního listu,KL-7\r\n", "\r\n2,1,100,-0.5,-0.248756,-0.333333,-0.165837\r\n",
          "Největší odchylka od přímky krajních bodů,2,-0.5,-0.248756\r\n"}) {
        EXPECT_NE(csv.find(expected), std::string::npos) << expected << "\n" << csv;
    }

    // What the certificate states as typed, refused before the file dialog.
    const struct {
        const char* uncertainty;
        const char* validity;
        const char* message; // how the box begins
    } refused[] = {
        {"abc", "271204", "Nejistota [%]: hodnotu abc nelze použít"},
        {"101", "271204", "Nejistota [%]: hodnotu 101 nelze použít"},
        {"-0,5", "", "Nejistota [%]: hodnotu -0.5 nelze použít"},
        {"-1e9", "", "Nejistota [%]: hodnotu -1e+09 nelze použít"},
        {"1", "991332", "Platnost kalibrace: hodnotu 991332 nelze použít"},
        {"1", "270229", "Platnost kalibrace: hodnotu 270229 nelze použít"},
    };
    for (const auto& r : refused) {
        m.fields.txtNejistota = r.uncertainty;
        m.fields.txtPlatnostKalibrace = r.validity;
        const std::size_t calls = view.calls.size();
        EXPECT_FALSE(m.mKalibracniList_Click());
        ASSERT_EQ(view.calls.size(), calls + 1);
        EXPECT_EQ(view.criticals.back().rfind(r.message, 0), 0u) << view.criticals.back();
    }
    m.fields.txtNejistota = "0,05";
    m.fields.txtPlatnostKalibrace = "271204";

    pdf.failWith = "No space left on device";
    view.fileAnswers = {std::string(folder) + "/other.PDF"};
    EXPECT_FALSE(m.mKalibracniList_Click());
    EXPECT_EQ(view.criticals.back(), "Kalibrační list nelze uložit do souboru " +
                                         std::string(folder) +
                                         "/other.PDF\r\nNo space left on device");
    std::remove((base + ".csv").c_str());
    rmdir(folder);
}

TEST_F(EditorModel, ClosingTagsAnUnfinishedRunAndActivationLoadsOnce) {
    m.Form_Unload();
    EXPECT_EQ(m.Tag, EditorTag::Closed);
    m.Tag = EditorTag::Cancel;
    m.Form_Unload();
    EXPECT_EQ(m.Tag, EditorTag::Cancel);

    // the dialog's focus choice starts over once it was unloaded
    m.pointDialog.EditSignal = false;
    m.Form_Unload();
    dialog.script.push_back(Entry{{}, {}, true});
    m.points.slot(1) = {1, 1, kSlotUsed};
    m.points.setCount(1);
    m.fields.lstKrivkaSelected = 0;
    m.lstKrivka_DblClick();
    ASSERT_EQ(dialog.shown.size(), 1u);
    EXPECT_TRUE(dialog.shown[0].EditSignal);

    m.fields.txtPopis = "typed";
    m.Form_Activate(); // not the first: the user's text stays
    EXPECT_EQ(m.fields.txtPopis, "typed");
    m.RunTimer(0);
    EXPECT_FALSE(m.timerEnabled);
    m.RunTimer(100);
    EXPECT_TRUE(m.timerEnabled);
    EXPECT_EQ(m.timerIntervalMs, 100);
}

} // namespace
} // namespace rm27
