#include "calibration/editor_model.h"

#include <cctype>
#include <utility>

#include "calibration/draft.h"
#include "calibration/texts.h"
#include "link/codecs.h"
#include "link/memory.h"
#include "session/ekey_mask.h"
#include "session/ekey_text.h"
#include "session/input_checks.h"
#include "session/journal.h"
#include "session/measurement.h"
#include "session/measurement_status.h"
#include "session/write_safety.h"

namespace rm27 {

namespace {

namespace tx = texts::calibration;

// The editor's file dialogs: owned by the editor, one filter row chosen,
// starting in the program's folder.
FileDialogSpec EditorFileDialog(const std::string& folder, const TextId& title,
                                const TextId& filter, std::string defaultExt) {
    FileDialogSpec d;
    d.owner = kCalibrationEditorName;
    d.title = title.czech;
    d.filter = filter.czech;
    d.defaultExt = std::move(defaultExt);
    d.filterIndex = 1;
    d.initDir = folder;
    return d;
}

const char* const kDialogSignalFormat = "#######0.00000";
const char* const kLiveDivFormat = "#######0";
const char* const kLiveMvvFormat = "###0.0000";

bool EndsWith(const std::string& name, const std::string& upperTail) {
    if (name.size() < upperTail.size()) return false;
    std::string tail = name.substr(name.size() - upperTail.size());
    for (char& c : tail)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tail == upperTail;
}

bool EndsWithClb(const std::string& name) {
    return EndsWith(name, "CLB");
}

} // namespace

// ---------------------------------------------------------------- the dialog

void PointDialogModel::Load() {
    loaded = true;
    EditSignal = true;
}

void PointDialogModel::UPDATE() {
    txtCalBod[0] = FormatFixed(Signal, kDialogSignalFormat);
    txtCalBod[1] = FormatFixed(Etalon, ValueFormat);
}

void PointDialogModel::OK() {
    Etalon = ValComma(txtCalBod[1]);
    Signal = ValComma(txtCalBod[0]);
}

void PointDialogModel::Storno() {
    Etalon = kPointCancelled;
}

void ScriptedPointDialog::ShowModal(PointDialogModel& dialog) {
    dialog.UPDATE();
    shown.push_back(dialog);
    if (script.empty() || script.front().cancel) {
        if (!script.empty()) script.pop_front();
        dialog.Storno();
        return;
    }
    const Entry entry = script.front();
    script.pop_front();
    if (entry.signal) dialog.txtCalBod[0] = *entry.signal;
    if (entry.etalon) dialog.txtCalBod[1] = *entry.etalon;
    dialog.OK();
}

// ---------------------------------------------------------------- the editor

PointDialogModel& CalibrationEditorModel::Dialog() {
    if (!pointDialog.loaded) pointDialog.Load();
    return pointDialog;
}

void CalibrationEditorModel::Form_Load() {
    ActivatedOnce = false;
    points.Clear();
    Dialog();
    fields.txtPopis = xXx.description;
    fields.lstKrivka.clear();
    fields.lstKrivkaSelected = -1;
}

void CalibrationEditorModel::Form_Activate() {
    if (ActivatedOnce) return;
    ActivatedOnce = true;
    UpdateCalibration();
}

void CalibrationEditorModel::Form_Unload() {
    dialog_.Unload();
    pointDialog.loaded = false;
    linearityShown = false;
    if (Tag == EditorTag::None) Tag = EditorTag::Closed;
}

void CalibrationEditorModel::RunTimer(int ti) {
    if (ti <= 0) return;
    timerIntervalMs = ti;
    timerEnabled = true;
}

void CalibrationEditorModel::tmrOpisovac_Timer() {
    if (fields.cmbCurveType == 0) {
        if (LiveDivRef == nullptr) return;
        xXx.liveSelected = *LiveDivRef;
        fields.lblSignal = FormatFixed(xXx.liveSelected, kLiveDivFormat);
    } else {
        if (LiveMvvRef == nullptr) return;
        xXx.liveMvV = *LiveMvvRef;
        fields.lblSignal = FormatFixed(xXx.liveMvV, kLiveMvvFormat);
    }
}

void CalibrationEditorModel::cmbCurveType_Click(int index) {
    fields.cmbCurveType = index;
    if (index == 0)
        xXx.curveFlags = static_cast<std::uint8_t>(xXx.curveFlags & ~kCurveSignalMvV);
    else
        xXx.curveFlags = static_cast<std::uint8_t>(xXx.curveFlags | kCurveSignalMvV);
    ShowCurve(points, xXx, fields);
}

bool CalibrationEditorModel::RefuseTenthPoint() {
    if (points.count() < kEditorMaxPoints) return false;
    ops_.prompter.critical(Text(tx::kTenthPoint));
    return true;
}

bool CalibrationEditorModel::PointPasses(const PointDialogModel& d) {
    InputCheck c = CheckDeviceFloat(d.Signal, Text::Value("Signal"));
    if (c) c = CheckDeviceFloat(d.Etalon, tx::kFieldEtalon);
    if (c) return true;
    ops_.prompter.critical(c.message());
    return false;
}

void CalibrationEditorModel::ShowChangedCurve(float selected) {
    points.SortPoints();
    // A repeated value is reported but stays: the user fixes or deletes it.
    points.CheckDuplicates(ops_.prompter);
    ShowCurve(points, xXx, fields);
    fields.lstKrivkaSelected = FindSignal(selected) - 1;
}

bool CalibrationEditorModel::ReplacedSameLoad(const PointDialogModel& d) {
    const auto load = static_cast<float>(d.Etalon);
    const int k = points.FindUserValue(load);
    if (k == 0) return false;
    const auto signal = static_cast<float>(d.Signal);
    const Text ask(tx::kReplacePoint, SingleText(load), SingleText(points.slot(k).signal),
                   SingleText(signal));
    if (!ops_.prompter.question(ask, MessageAnswer::No)) return false;
    points.slot(k).signal = signal;
    ShowChangedCurve(signal);
    return true;
}

bool CalibrationEditorModel::AddFromDialog(bool offerReplace) {
    PointDialogModel& d = Dialog();
    if (d.Etalon == kPointCancelled) return false;
    if (RefuseTenthPoint()) return false;
    if (!PointPasses(d)) return false;
    if (offerReplace && ReplacedSameLoad(d)) return true;
    const int k = points.FirstFreeSlot();
    if (k == 0) return false;
    CurvePoint& p = points.slot(k);
    p.userValue = static_cast<float>(d.Etalon);
    p.signal = static_cast<float>(d.Signal);
    p.state = kSlotUsed;
    points.setCount(points.count() + 1);
    ShowChangedCurve(static_cast<float>(d.Signal));
    return true;
}

bool CalibrationEditorModel::cmdSCAN_Click() {
    // A signal no answer has refreshed would be a point of another load.
    if (!LiveFresh()) {
        ops_.prompter.critical(Text(tx::kSignalStale));
        return false;
    }
    PointDialogModel& d = Dialog();
    // Always the live mV/V, whatever the curve type shows: the timer
    // refreshes it only while the type is "mV/V -> usr".
    d.Signal = xXx.liveMvV;
    d.Etalon = 0;
    d.ValueFormat = xXx.numberFormat;
    d.EditSignal = false;
    dialog_.ShowModal(d);
    return AddFromDialog(true);
}

bool CalibrationEditorModel::mKrivkaBodAdd_Click() {
    if (RefuseTenthPoint()) return false;
    PointDialogModel& d = Dialog();
    d.Signal = 0;
    d.Etalon = 0;
    d.ValueFormat = xXx.numberFormat;
    d.EditSignal = true;
    dialog_.ShowModal(d);
    return AddFromDialog();
}

void CalibrationEditorModel::lstKrivka_DblClick() {
    const int line = fields.lstKrivkaSelected;
    if (line < 0 || line >= points.count()) return;
    const int k = line + 1;
    PointDialogModel& d = Dialog();
    d.Signal = points.slot(k).signal;
    d.Etalon = points.slot(k).userValue;
    d.ValueFormat = xXx.numberFormat;
    dialog_.ShowModal(d);
    if (d.Etalon == kPointCancelled || !PointPasses(d)) return;
    points.slot(k).signal = static_cast<float>(d.Signal);
    points.slot(k).userValue = static_cast<float>(d.Etalon);
    points.SortPoints();
    points.CheckDuplicates(ops_.prompter);
    ShowCurve(points, xXx, fields);
}

void CalibrationEditorModel::mKrivkaBodDelete_Click() {
    const int line = fields.lstKrivkaSelected;
    if (line < 0) {
        ops_.prompter.critical(Text(tx::kMarkPointFirst));
        return;
    }
    points.DeletePoint(line + 1);
    ShowCurve(points, xXx, fields);
}

void CalibrationEditorModel::mKrivkaNew_Click() {
    if (!MayLeave()) return;
    const MessageAnswer answer =
        ops_.prompter.message(Prompter::Box(Text(tx::kNewCurveQuestion), MessageIcon::Exclamation,
                                            MessageButtons::YesNo, MessageAnswer::No));
    if (answer != MessageAnswer::Yes) return;
    ops_.prompter.information(Text(tx::kSavedOnSave));
    fields.txtPopis.clear();
    xXx.pointCount = 0;
    points.Clear();
    Tag = EditorTag::New;
}

void CalibrationEditorModel::cmdAction_Click(int index) {
    if (index == 0) {
        Tag = EditorTag::Cancel;
        return;
    }
    if (index != 1) return;
    if (FNX == kTargetEKey && !ops_.port.line.isOpen()) {
        ops_.prompter.critical(Text(tx::kEditorNoLine));
        return;
    }
    if (xXx.noEKey) {
        ops_.prompter.critical(Text(tx::kNoEKeyToWrite));
        return;
    }
    if (!ops_.prompter.question(Text(tx::kWriteQuestion), MessageAnswer::No)) return;
    if (!TXT2XXX()) {
        ops_.prompter.critical(Text(tx::kCannotPrepare));
        return;
    }
    PrepareSlopes(xXx, ops_.nowMs());
    if (FNX == kTargetEKey) {
        // Refused here, while the user can still change the text: the key
        // holds one Windows-1250 byte per character.
        if (const Text refusal = EKeyTextRefusal(xXx); !refusal.empty()) {
            ops_.prompter.critical(refusal);
            return;
        }
        // Which block the record goes back to is only as sure as the mask
        // the reading chose it by; the points stay in the editor meanwhile.
        if (!RecordSourceReliable(ops_, Input, tx::kNothingWritten)) return;
        Tag = EditorTag::Store;
        return;
    }
    if (!xXx2CFGFile(FNX, FNXSection)) ops_.prompter.critical(Text(tx::kFileNotSaved));
}

void CalibrationEditorModel::mFileSaveAs_Click() {
    FileDialogSpec d = EditorFileDialog(appFolder, tx::kSaveFileTitle, tx::kSaveFileFilter, ".CLB");
    if (!ops_.prompter.showSave(d) || d.fileName.empty()) return;
    std::string name = d.fileName;
    if (!EndsWithClb(name)) name += ".CLB";
    if (!TXT2XXX()) return;
    if (!xXx2CFGFile(name, kClbMenuGroup))
        ops_.prompter.critical(Text(tx::kFileWriteFailed, name, fileError_));
}

bool CalibrationEditorModel::mFileOpen_Click() {
    FileDialogSpec d = EditorFileDialog(appFolder, tx::kOpenFileTitle, tx::kOpenFileFilter, ".CLB");
    if (!ops_.prompter.showOpen(d) || d.fileName.empty()) return false;
    const std::string& path = d.fileName;

    std::vector<ClbGroup> groups;
    Text reason(tx::kNoFileStore);
    if (files == nullptr || !files->readGroups(path, groups, reason)) {
        ops_.prompter.critical(Text(tx::kFileUnreadable, path, reason));
        return false;
    }
    const ClbGroup* group = PickCalibrationGroup(groups, FNXSection);
    if (group == nullptr) {
        const std::string menuGroup = "[" + kClbMenuGroup + "]";
        Text wanted = Text::Value(menuGroup);
        if (!FNXSection.empty() && FNXSection != kClbMenuGroup)
            wanted = Text(tx::kGroupOrGroup, FNXSection, menuGroup);
        ops_.prompter.critical(Text(tx::kNoSuchGroup, path, wanted));
        return false;
    }
    // A refused file leaves xXx as it was. The block stays the editor's:
    // the calibration goes to the sensor being edited.
    Text error;
    if (!CalibrationFromGroup(*group, xXx, kEditorMaxPoints, error)) {
        ops_.prompter.critical(Text(tx::kGroupRefused, path, group->name, error));
        return false;
    }
    UpdateCalibration();
    return true;
}

void CalibrationEditorModel::mKrivkaDelete_Click() {
    const MessageAnswer answer = ops_.prompter.message(
        Prompter::Box(Text(tx::kRemoveCurveQuestion), MessageIcon::Exclamation,
                      MessageButtons::YesNo, MessageAnswer::No));
    if (answer != MessageAnswer::Yes) return;
    points.Clear();
    ShowCurve(points, xXx, fields);
}

bool CalibrationEditorModel::mLoadEEKrivka_Click() {
    if (!ops_.port.line.isOpen()) {
        ops_.prompter.critical(Text(tx::kEditorNoLine));
        return false;
    }
    const std::int32_t block = BlockNumber(Adr, SubAdr);
    std::string image;
    Result result = Result::Of(ResultOf::BlockRead, ResultCode::NoAnswer);
    {
        // The editor is open with the line free so that the values stay
        // live; the read takes it back, and the measurement's last request
        // is waited out before the "KB" goes out.
        // Clicks serviced during the waits (the measurement's stop, the
        // read) must not edit, or store, what the read is about to replace.
        exchanging_ = true;
        const struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{exchanging_};
        const PausedMeasurement paused(ops_.port, ops_.view, ops_.guard);
        if (ops_.cancelled()) return false;
        result = BlockRead(ops_.port, image, ops_.state.DeviceAddress, Adr, SubAdr);
        if (ops_.cancelled()) return false;
        if (result.ok()) RememberBlock(ops_, block, image);
    }
    if (!result.ok()) {
        ops_.prompter.critical(
            Text(tx::kBlockUnread, block, Text::Value(result.text()), result.shownNumber()));
        return false;
    }
    SensorRecord read = xXx;
    const Result decoded = DecodeEKeyImage(image, read, Adr, SubAdr, ops_.nowMs());
    if (!decoded.ok()) {
        ops_.prompter.critical(Text(tx::kBlockNotCalibration, block, Text::Value(decoded.text()),
                                    decoded.shownNumber()));
        return false;
    }
    xXx = read;
    UpdateCalibration();
    return true;
}

void CalibrationEditorModel::mSaveEEKrivka_Click() {
    cmdAction_Click(1);
}

void CalibrationEditorModel::mGrafLinearity_Click() {
    linearityShown = true;
}

bool CalibrationEditorModel::mKalibracniList_Click() {
    // What the certificate states as typed: checked before anything else.
    // The build leaves these boxes alone, so the certificate takes them
    // from here.
    CertificateStated stated;
    if (const InputCheck typed =
            ReadStated(fields.txtNejistota, fields.txtPlatnostKalibrace, stated,
                       Text(tx::kFieldUncertainty), Text(tx::kFieldValidity));
        !typed) {
        ops_.prompter.critical(typed.message());
        return false;
    }
    stated.serialNumber = fields.txtSN;
    stated.sheetNumber = fields.txtKL;
    FileDialogSpec d =
        EditorFileDialog(appFolder, tx::kCertificateTitle, tx::kCertificateFilter, ".pdf");
    if (!ops_.prompter.showSave(d) || d.fileName.empty()) return false;
    std::string pdf = d.fileName;
    if (!EndsWith(pdf, ".PDF")) pdf += ".pdf";
    const std::string csv = WithExtension(pdf, ".csv");
    // The certificate shows the calibration as it would be stored.
    if (!TXT2XXX()) return false;
    const CertificateData c = MakeCertificate(xXx, ops_.state.DeviceId, ops_.state.DeviceAddress,
                                              stated, program, ops_.clock.now());
    Text reason(tx::kNoPdfWriter);
    if (certificates == nullptr || !certificates->writePdf(c, pdf, reason)) {
        ops_.prompter.critical(Text(tx::kCertificateNotSaved, pdf, reason));
        return false;
    }
    if (const Text systemReason = WriteWholeFile(csv, CertificateCsv(c)); !systemReason.empty()) {
        ops_.prompter.critical(Text(tx::kCertificateNotSaved, csv, systemReason));
        return false;
    }
    ops_.prompter.information(Text(tx::kCertificateSaved, pdf, csv));
    return true;
}

namespace {

std::string CurveKey(const PointTable& points) {
    std::string key;
    for (int k = 1; k <= points.count(); ++k)
        key += SingleText(points.slot(k).signal) + ":" + SingleText(points.slot(k).userValue) + " ";
    return key;
}

} // namespace

void CalibrationEditorModel::UpdateCalibration() {
    LoadCalibration(points, xXx, Adr, SubAdr, fields);
    openedCurve_ = CurveKey(points);
}

bool CalibrationEditorModel::MayLeave() {
    if (CurveKey(points) != openedCurve_ &&
        !ops_.prompter.question(Text(tx::kDiscardPoints, points.count()), MessageAnswer::No))
        return false;
    DropDraft();
    return true;
}

bool CalibrationEditorModel::LiveFresh() const {
    return rm27::LiveFresh(ops_.live, ops_.port.line.isOpen(), ops_.nowMs());
}

std::string CalibrationEditorModel::DraftFile() const {
    return DraftPath(draftFolder, xXx.sensorId, ops_.state.DeviceId, Input + 1);
}

void CalibrationEditorModel::KeepDraft() {
    // Leaving: given up (the draft went with the question) or being stored
    // (it goes once the store has written).
    if (draftFolder.empty() || Tag != EditorTag::None) return;
    if (CurveKey(points) == openedCurve_)
        RemoveDraft(DraftFile());
    else
        WriteDraft(DraftFile(), points, ShownTime(ops_.clock.now()));
}

bool CalibrationEditorModel::OfferDraft() {
    if (draftFolder.empty()) return false;
    const std::optional<CalibrationDraft> draft = ReadDraft(DraftFile());
    if (!draft) return false;
    PointTable kept;
    FillPoints(kept, *draft);
    if (CurveKey(kept) == openedCurve_) {
        RemoveDraft(DraftFile());
        return false;
    }
    if (!ops_.prompter.question(Text(tx::kRestoreDraft, kept.count(), draft->saved))) {
        // Declined once is declined: it is not offered at every opening.
        RemoveDraft(DraftFile());
        return false;
    }
    points = kept;
    ShowCurve(points, xXx, fields);
    return true;
}

void CalibrationEditorModel::DropDraft() {
    if (!draftFolder.empty()) RemoveDraft(DraftFile());
}

bool CalibrationEditorModel::TXT2XXX() {
    return rm27::TXT2XXX(points, fields, xXx, ops_.prompter, ops_.clock.now(), ops_.uniform());
}

bool CalibrationEditorModel::xXx2CFGFile(const std::string& fileName, const std::string& section) {
    fileError_ = Text();
    if (files == nullptr) {
        fileError_ = Text(tx::kNoFileStore);
        return false;
    }
    return files->writeGroup(fileName, CalibrationGroup(section, xXx, program), fileError_);
}

LinearityReport CalibrationEditorModel::CurveLinearity() const {
    return Linearity(CurveSamples(points));
}

LinearityTexts CalibrationEditorModel::CurveLinearityTexts() const {
    return LinearityTable(CurveLinearity(), xXx.numberFormat,
                          (xXx.curveFlags & kCurveSignalMvV) != 0, TrimBlanks(fields.txtJednotka));
}

double CalibrationEditorModel::LiveSignal() const {
    return fields.cmbCurveType == 0 ? xXx.liveSelected : xXx.liveMvV;
}

CalibrationEditorModel& ScriptedCalibrationEditor::Load() {
    if (!loaded_) {
        loaded_ = true;
        model_.Form_Load();
    }
    return model_;
}

void ScriptedCalibrationEditor::Activate() {
    model_.Form_Activate();
    model_.tmrOpisovac_Timer();
}

void ScriptedCalibrationEditor::DeleteAllPoints() {
    EditorFields& f = model_.fields;
    while (!f.lstKrivka.empty()) {
        f.lstKrivkaSelected = 0;
        model_.mKrivkaBodDelete_Click();
    }
}

bool ScriptedCalibrationEditor::AddPoint(const std::string& signal, const std::string& etalon) {
    dialog_.script.push_back({signal, etalon, false});
    return model_.mKrivkaBodAdd_Click();
}

void ScriptedCalibrationEditor::SaveOrCancel(bool save) {
    if (save) model_.cmdAction_Click(1);
    if (model_.Tag == EditorTag::None) model_.cmdAction_Click(0);
}

} // namespace rm27
