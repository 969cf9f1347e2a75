// The calibration editor without its widgets: everything frmQELCalibration
// and its point dialog frmQELCalibInputBox do, as plain code on the point
// table, the editor's fields and the working record xXx. The windows only
// copy the user's texts in, call these handlers and show the fields again;
// tests and r27ctl drive the same handlers with a script.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "calibration/certificate.h"
#include "calibration/clb_file.h"
#include "calibration/curve.h"
#include "calibration/linearity.h"
#include "session/operations.h"

namespace rm27 {

// objectNames of the two windows; the file dialog names its owner by it.
inline const std::string kCalibrationEditorName = "frmQELCalibration";
inline const std::string kPointDialogName = "frmQELCalibInputBox";

// FNX that sends the result to the sensor's eKey; anything else would be
// the name of a calibration file.
inline const std::string kTargetEKey = "Velicina";

// How the user left an editing run; None while the editor is open.
enum class EditorTag {
    None,
    Store,  // confirmed for the eKey
    Cancel, // "Storno"
    Closed, // the window closed
    New,    // a new curve was started
};

// Etalon on return from the point dialog when the user cancelled it (also
// when the user typed exactly this value).
inline constexpr double kPointCancelled = 999999;

// The point dialog's fields and its two buttons.
struct PointDialogModel {
    double Signal = 0;
    double Etalon = 0;
    std::string ValueFormat;
    // Which box gets the focus: the signal (true) or the user value.
    bool EditSignal = true;
    std::array<std::string, 2> txtCalBod; // signal, user value
    bool loaded = false;

    void Load();
    // The texts from Signal and Etalon, right-aligned in their formats.
    void UPDATE();
    // cmdOK(0): both values read back from the texts (decimal comma accepted).
    void OK();
    // cmdOK(1).
    void Storno();
};

// Shows the point dialog modally; returns once one of its buttons ran.
// Implementations run UPDATE when the dialog shows.
class PointDialog {
public:
    virtual ~PointDialog() = default;
    virtual void ShowModal(PointDialogModel& dialog) = 0;
    virtual void Unload() {}
};

// The user at the point dialog, from a script: each entry types the texts
// it gives (a missing text keeps what UPDATE put there) and presses OK, or
// presses Storno; with the script used up, Storno.
class ScriptedPointDialog final : public PointDialog {
public:
    struct Entry {
        std::optional<std::string> signal;
        std::optional<std::string> etalon;
        bool cancel = false;
    };
    std::deque<Entry> script;
    // The dialog as each showing found it (after UPDATE).
    std::vector<PointDialogModel> shown;

    void ShowModal(PointDialogModel& dialog) override;
};

class CalibrationEditorModel {
public:
    CalibrationEditorModel(Operations& ops, PointDialog& dialog) : ops_(ops), dialog_(dialog) {}

    // ---- public fields, set by the caller before the window is shown
    const float* LiveDivRef = nullptr; // the input's live raw reading
    const float* LiveMvvRef = nullptr; // the input's live mV/V
    std::string FNX;
    std::string FNXSection;
    std::int32_t Adr = 0;
    std::int32_t SubAdr = 0;
    int Input = -1;  // the input whose sensor is edited, 0..3
    EditorTag Tag = EditorTag::None;

    // ---- the window's state
    SensorRecord xXx;
    PointTable points;
    EditorFields fields;
    PointDialogModel pointDialog;
    bool ActivatedOnce = false;
    int timerIntervalMs = 0;
    bool timerEnabled = false;
    // Where the save-file dialog starts.
    std::string appFolder;
    // Where calibration files are read and written; null: nowhere (every
    // file save fails, every open is refused).
    CalibrationFileStore* files = nullptr;
    // Writes the certificate's PDF; null: no certificate can be written.
    CertificatePrinter* certificates = nullptr;
    // The program and its version, as files and certificates name it.
    std::string program;
    // The linearity view is open: it follows every change of the points.
    bool linearityShown = false;
    // Where the work in progress is kept after every change (KeepDraft);
    // empty: nowhere.
    std::string draftFolder;

    // ---- window events
    void Form_Load();
    // The first activation only fills the editor from xXx.
    void Form_Activate();
    // Closing (close box, or the caller unloading it): the point dialog is
    // unloaded and an empty tag becomes "Closed". The window hides itself.
    void Form_Unload();
    void tmrOpisovac_Timer();
    void cmbCurveType_Click(int index);
    // Capture the live signal as a point (F5). True when a point was added.
    bool cmdSCAN_Click();
    // Add a point typed by hand. True when a point was added.
    bool mKrivkaBodAdd_Click();
    // Edit the selected point (double click on the list).
    void lstKrivka_DblClick();
    void mKrivkaBodDelete_Click();
    void mKrivkaNew_Click();
    void cmdAction_Click(int index); // 1 "Uložit kalibraci", 0 "Storno"
    // Before the user leaves the editor without storing: true at once when
    // the curve is as it was opened, else the answer to a question naming
    // the points that would be lost (No preselected).
    bool MayLeave();
    void mFileSaveAs_Click();
    // A .CLB file into the editor, after checking it; a refused file
    // leaves the editor as it was. True when one was loaded.
    bool mFileOpen_Click();
    // Every point goes, after a question (No preselected).
    void mKrivkaDelete_Click();
    // The record's block read again from the converter into the editor.
    // True when it was read and decoded.
    bool mLoadEEKrivka_Click();
    // As "Uložit kalibraci".
    void mSaveEEKrivka_Click();
    void mGrafLinearity_Click();
    // "Kalibrační list": the calibration as "Uložit kalibraci" would build
    // it, into a PDF and a CSV beside it, stating the uncertainty and the
    // validity typed (refused, before the file dialog, when they are not
    // 0..100 % and a date that exists). True when both were written.
    bool mKalibracniList_Click();

    // ---- public operations
    void RunTimer(int ti);
    void UpdateCalibration();
    bool TXT2XXX();
    // xXx into the group `section` of the calibration file fileName. False
    // when the file could not be written; lastFileError() says why.
    bool xXx2CFGFile(const std::string& fileName, const std::string& section);
    const Text& lastFileError() const { return fileError_; }
    int FindSignal(float s) const { return points.FindSignal(s); }

    // The linearity of the points as they stand, and its texts in the
    // record's format and the unit typed.
    LinearityReport CurveLinearity() const;
    LinearityTexts CurveLinearityTexts() const;
    // The live signal in the curve's unit (the one the timer shows).
    double LiveSignal() const;
    // Whether an answer refreshed the live signal lately, the line open.
    bool LiveFresh() const;
    // The editor's own exchange with the converter runs: every command of
    // the editor waits for it.
    bool Exchanging() const { return exchanging_; }

    // The work in progress onto disk after a change, or away once the
    // curve is as it was opened.
    void KeepDraft();
    // Points an earlier editing of this sensor left unsaved, offered back
    // (the time they were kept named). True when they were taken.
    bool OfferDraft();
    // The work is stored or given up: no draft to offer any more.
    void DropDraft();

private:
    PointDialogModel& Dialog();
    // Steps after the dialog of capture and add: the point goes in unless
    // the dialog was cancelled or nine points are there already.
    // offerReplace: a capture (F5) at a reference value the table has offers
    // to take the new signal in that point's place; points typed whole are
    // added as they are (and a repeated value reported).
    // The points as the editor opened them, to tell whether any changed.
    std::string openedCurve_;
    bool AddFromDialog(bool offerReplace = false);
    // A point at the reference value just entered: offers to take the new
    // signal in its place (No preselected). True when it was replaced.
    bool ReplacedSameLoad(const PointDialogModel& d);
    // After a point was added, edited or replaced: the table sorted, a
    // repeated value reported, shown again with `selected` marked.
    void ShowChangedCurve(float selected);
    bool RefuseTenthPoint();
    // A point goes into the eKey as the converter's own float: a value that
    // float cannot hold is refused (a message naming Signal or Etalon)
    // before it joins the curve.
    bool PointPasses(const PointDialogModel& d);

    std::string DraftFile() const;

    Operations& ops_;
    PointDialog& dialog_;
    Text fileError_;
    bool exchanging_ = false;
};

// What DoCalibration drives: the editor window, loaded on first use and
// hidden (not destroyed) when closed. The window implements it with
// widgets; tests and r27ctl with a script.
class CalibrationEditor {
public:
    virtual ~CalibrationEditor() = default;
    // The editor's model; loads the window (Form_Load) on first use only.
    virtual CalibrationEditorModel& Load() = 0;
    virtual void RunTimer(int ti) = 0;
    virtual void UpdateCalibration() = 0;
    // Shows the window non-modally and returns.
    virtual void Show() = 0;
    // Closes the window: Form_Unload, then hidden.
    virtual void Unload() = 0;
};

// The editor without a window, its user a script (r27ctl, the soak): the
// model loaded on first use, the point dialog answered from `dialog_`.
// Show() is the script.
class ScriptedCalibrationEditor : public CalibrationEditor {
public:
    explicit ScriptedCalibrationEditor(Operations& ops) : model_(ops, dialog_) {}
    CalibrationEditorModel& Load() override;
    void RunTimer(int ti) override { model_.RunTimer(ti); }
    void UpdateCalibration() override { model_.UpdateCalibration(); }
    void Unload() override { model_.Form_Unload(); }

protected:
    // The window coming up: Form_Activate and the live signal's first tick.
    void Activate();
    // Deletes every point of the curve, one by one as a user would.
    void DeleteAllPoints();
    // A point through the point dialog; false when the editor refused it.
    bool AddPoint(const std::string& signal, const std::string& etalon);
    // "Uložit kalibraci" (unless `save` is false), then "Storno" if that
    // did not end the run.
    void SaveOrCancel(bool save);

    ScriptedPointDialog dialog_;
    CalibrationEditorModel model_;

private:
    bool loaded_ = false;
};

} // namespace rm27
