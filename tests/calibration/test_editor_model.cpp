// The editor's handlers without widgets: capture, typing, editing and
// deleting points, the new curve, the save and its refusals, the file save,
// closing, the live signal and the curve type.
#include <gtest/gtest.h>

#include "calibration/editor_model.h"
#include "link/codecs.h"
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
    m.tmrOpisovac_Timer();
    EXPECT_EQ(m.fields.lblSignal, "   1.2346");
    m.cmbCurveType_Click(0);
    m.tmrOpisovac_Timer();
    EXPECT_EQ(m.fields.lblSignal, " 9000000");
    EXPECT_EQ(m.xXx.liveSelected, raw);

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
    Type({{"1", "1"},
          {"2", "2"},
          {"3", "3"},
          {"4", "4"},
          {"5", "5"},
          {"6", "6"},
          {"7", "7"},
          {"8", "8"},
          {"9", "9"}});
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

TEST_F(EditorModel, DuplicatesAreReportedAndStay) {
    Type({{"1", "10"}});
    dialog.script.push_back(Entry{"2", "10", false});
    EXPECT_TRUE(m.mKrivkaBodAdd_Click());
    EXPECT_EQ(Curve(), "1:10 2:10 ");
    EXPECT_EQ(view.criticals,
              std::vector<std::string>{"Hondota etalonu 10 se vyskytuje opakovaně. "});
}

TEST_F(EditorModel, EditKeepsTheDialogsFocusChoiceAndResorts) {
    Type({{"1", "10"}, {"2", "20"}, {"3", "30"}});
    // nothing selected: nothing happens
    m.fields.lstKrivkaSelected = -1;
    m.lstKrivka_DblClick();
    EXPECT_EQ(dialog.shown.size(), 3u);

    m.fields.lstKrivkaSelected = 0;
    dialog.script.push_back(Entry{"4", "40", false});
    m.lstKrivka_DblClick();
    ASSERT_EQ(dialog.shown.size(), 4u);
    EXPECT_TRUE(dialog.shown[3].EditSignal); // as the last add left it
    EXPECT_EQ(dialog.shown[3].txtCalBod[0], "       1.00000");
    EXPECT_EQ(dialog.shown[3].txtCalBod[1], "   10.0 ");
    EXPECT_EQ(Curve(), "2:20 3:30 4:40 ");
}

TEST_F(EditorModel, DeleteNeedsASelectedPoint) {
    Type({{"1", "10"}, {"2", "20"}, {"3", "30"}});
    m.fields.lstKrivkaSelected = -1;
    m.mKrivkaBodDelete_Click();
    EXPECT_EQ(view.criticals,
              std::vector<std::string>{"Nejprve označte bod křivky, který se má vymazat !"});
    m.fields.lstKrivkaSelected = 1;
    m.mKrivkaBodDelete_Click();
    EXPECT_EQ(Curve(), "1:10 3:30 ");
    EXPECT_EQ(m.fields.lstKrivka.size(), 2u);
}

TEST_F(EditorModel, NewCurveAsksWithNoPreselected) {
    Type({{"1", "10"}, {"2", "20"}});
    view.answers = {MessageAnswer::No};
    m.mKrivkaNew_Click();
    EXPECT_EQ(m.points.count(), 2);
    EXPECT_TRUE(m.Tag.empty());
    ASSERT_EQ(view.calls.size(), 1u);
    EXPECT_EQ(view.calls[0].text, "Do you really want to create new calibration data ?");
    EXPECT_EQ(view.calls[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(view.calls[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(view.calls[0].defaultButton, MessageAnswer::No);

    view.answers = {MessageAnswer::Yes};
    m.mKrivkaNew_Click();
    ASSERT_EQ(view.calls.size(), 3u);
    EXPECT_EQ(view.calls[2].text, "The data will be saved after 'Save' button had been pressed");
    EXPECT_EQ(view.calls[2].icon, MessageIcon::Information);
    EXPECT_EQ(m.Tag, kTagNew);
    EXPECT_EQ(m.points.count(), 0);
    EXPECT_EQ(m.xXx.pointCount, 0);
    EXPECT_EQ(m.fields.txtPopis, "");
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

    view.answers = {MessageAnswer::No};
    m.cmdAction_Click(1);
    ASSERT_EQ(view.calls.size(), 1u);
    EXPECT_EQ(view.calls[0].text, "Chcete opravdu zapsat kalibrační data do snímače ?");
    EXPECT_EQ(view.calls[0].icon, MessageIcon::Question);
    EXPECT_EQ(view.calls[0].defaultButton, MessageAnswer::No);
    EXPECT_TRUE(m.Tag.empty());

    view.calls.clear();
    m.fields.txtPopis = " ";
    view.answers = {MessageAnswer::Yes};
    m.cmdAction_Click(1);
    EXPECT_EQ(view.messageTexts(),
              (std::vector<std::string>{"Chcete opravdu zapsat kalibrační data do snímače ?",
                                        "Kalibrační křivka musí mít jméno (popis).",
                                        "Calibation data cannot be prepared to save."}));
    EXPECT_TRUE(m.Tag.empty());

    line.waitFor(1234);
    m.fields.txtPopis = "Váha";
    view.answers = {MessageAnswer::Yes};
    m.cmdAction_Click(1);
    EXPECT_EQ(m.Tag, kTagStore);
    EXPECT_EQ(m.xXx.slopes[0], 50);
    EXPECT_EQ(m.xXx.overallSlope, 50);
    EXPECT_EQ(m.xXx.preparationTime, 1234);

    // a file name as the target: nothing can be saved there
    m.Tag.clear();
    m.FNX = "kalibrace.clb";
    view.calls.clear();
    view.answers = {MessageAnswer::Yes};
    m.cmdAction_Click(1);
    EXPECT_EQ(view.messageTexts().back(), "Calibration data WERE NOT saved to calibration file.");
    EXPECT_TRUE(m.Tag.empty());

    m.cmdAction_Click(0);
    EXPECT_EQ(m.Tag, kTagCancel);
}

TEST_F(EditorModel, SaveToFileEndsInTheFailureMessage) {
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

    const std::pair<const char*, const char*> names[] = {{"/tmp/a", "/tmp/a.CLB"},
                                                         {"/tmp/b.clb", "/tmp/b.clb"}};
    for (const auto& [chosen, used] : names) {
        view.calls.clear();
        view.fileAnswers = {chosen};
        m.mFileSaveAs_Click();
        EXPECT_EQ(view.criticals.back(), std::string("Write data to file failed. \r\n") + used);
    }
    // a curve that does not pass only shows why
    view.calls.clear();
    m.fields.txtPopis = "";
    view.fileAnswers = {"/tmp/c"};
    m.mFileSaveAs_Click();
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"Kalibrační křivka musí mít jméno (popis)."});
}

TEST_F(EditorModel, ClosingTagsAnUnfinishedRunAndUnloadsTheDialog) {
    m.Form_Unload();
    EXPECT_EQ(m.Tag, kTagClosed);
    m.Tag = kTagCancel;
    m.Form_Unload();
    EXPECT_EQ(m.Tag, kTagCancel);

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
}

TEST_F(EditorModel, CurveTypeSetsTheFlagAndFirstActivationLoadsOnce) {
    m.cmbCurveType_Click(1);
    EXPECT_NE(m.xXx.curveFlags & kCurveSignalMvV, 0);
    EXPECT_EQ(m.fields.lblCurveSignalPopis, "Signál [mV/V]");
    m.cmbCurveType_Click(0);
    EXPECT_EQ(m.xXx.curveFlags & kCurveSignalMvV, 0);
    EXPECT_EQ(m.fields.lblLiveUnit, "div");

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
