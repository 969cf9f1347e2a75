// frmQELCalibration: the window in which the calibration of one input's
// sensor is edited (description, unit, format, gain, averaging, the curve).
// A thin shell over CalibrationEditorModel: each user action copies the
// widgets' texts into the model's fields, runs the model's handler and shows
// the fields again. It never talks to the converter; DoCalibration shows it
// non-modally and waits for its result tag. Closing hides it for reuse.
#pragma once

#include <QMainWindow>

#include <array>
#include <memory>
#include <optional>

#include "calibration/editor_model.h"
#include "calibration/files/certificate_pdf.h"
#include "calibration/files/qt_calibration_files.h"

class QAction;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QTableWidget;
class QMenu;
class QPushButton;
class QTimer;

namespace rm27 {

class FrmQELCalibInputBox;
class FrmLinearity;

class FrmQELCalibration final : public QMainWindow, public CalibrationEditor {
    Q_OBJECT
public:
    // ops: the session whose prompter, clock and random source the editor
    // uses. dialog: the point dialog; null: the window's own
    // frmQELCalibInputBox.
    explicit FrmQELCalibration(Operations& ops, QWidget* parent = nullptr,
                               PointDialog* dialog = nullptr);
    ~FrmQELCalibration() override;

    CalibrationEditorModel& model() { return model_; }
    FrmQELCalibInputBox* pointDialog() { return ownDialog_.get(); }
    // The linearity view; null until it was first shown.
    FrmLinearity* linearityWindow() const { return linearity_; }

    // ---- CalibrationEditor
    CalibrationEditorModel& Load() override;
    void RunTimer(int ti) override;
    void UpdateCalibration() override;
    void Show() override;
    void Unload() override;

    // ---- event handlers
    void Form_Activate();
    void tmrOpisovac_Timer();
    void cmdSCAN_Click();
    void cmbCurveType_Click(int index);
    void lstKrivka_DblClick();
    void cmdListAction_Click(int index);
    void cmdAction_Click(int index);
    void mKrivkaNew_Click();
    void mFileSaveAs_Click();
    void mKrivkaBodAdd_Click();
    void mKrivkaBodDelete_Click();
    void mFileOpen_Click();
    void mKrivkaDelete_Click();
    void mLoadEEKrivka_Click();
    void mSaveEEKrivka_Click();
    void mGrafLinearity_Click();
    void mKalibracniList_Click();

    // The widgets into the model's fields, and back.
    void Pull();
    void Push();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildWindow();
    QGroupBox* BuildSignalFrame(QWidget* central);
    QGroupBox* BuildSensorFrame(QWidget* central);
    void MarkCertificateOnly(QGridLayout* form);
    QGroupBox* BuildCurveFrame(QWidget* central);
    void LayOutCurveFrame(QGridLayout* curve);
    QTableWidget* BuildPointTable(QWidget* parent);
    void PushPoints(const EditorFields& f);
    QHBoxLayout* BuildActionRow(QWidget* central);
    void ConnectWindow();
    void BuildMenus();
    // Runs a handler of the model between Pull and Push.
    template <class F> void Handle(F&& handler);
    // The linearity view as the model wants it: shown and following, or
    // hidden.
    void ShowLinearity();
    // The live signal dimmed, with why, while no answer refreshes it.
    void ShowSignalFreshness();

    QtCalibrationFileStore files_;
    QtCertificatePrinter printer_;
    std::unique_ptr<FrmQELCalibInputBox> ownDialog_;
    CalibrationEditorModel model_;
    FrmLinearity* linearity_ = nullptr;
    bool loaded_ = false;
    // Whether the live signal was last shown live (unset: not shown yet).
    std::optional<bool> signalFresh_;

    QGroupBox* Frame3 = nullptr;
    QPushButton* cmdSCAN = nullptr;
    QLabel* lblLiveUnit = nullptr;
    QLabel* lblSignal = nullptr;

    QGroupBox* Frame2 = nullptr;
    QLineEdit* txtPopis = nullptr;
    QComboBox* cmbFormat = nullptr;
    QLineEdit* txtJednotka = nullptr;
    QComboBox* cmbGain = nullptr;
    QComboBox* cmbSlide = nullptr;
    QComboBox* cmbSlideRychl = nullptr;
    QLineEdit* txtLimit = nullptr;
    QLineEdit* txtKL = nullptr;
    QLineEdit* txtNejistota = nullptr;
    QLineEdit* txtPlatnostKalibrace = nullptr;
    QLineEdit* txtDateOfSave = nullptr;
    QLineEdit* txtSN = nullptr;

    QGroupBox* Frame1 = nullptr;
    QComboBox* cmbCurveType = nullptr;
    QTableWidget* lstKrivka = nullptr;
    QLabel* lblCurveSignalPopis = nullptr;
    QLabel* lblCurveEthPopis = nullptr;
    std::array<QPushButton*, 2> cmdListAction{};

    std::array<QPushButton*, 2> cmdAction{};
    QLabel* Label3 = nullptr;
    QTimer* tmrOpisovac = nullptr;

    QMenu* mFile = nullptr;
    QAction* mKrivkaNew = nullptr;
    QAction* mFileOpen = nullptr;
    QAction* mFileSaveAs = nullptr;
    QAction* mKalibracniList = nullptr;
    QAction* mKrivkaDelete = nullptr;
    QAction* mLoadEEKrivka = nullptr;
    QAction* mSaveEEKrivka = nullptr;
    QAction* mKrivkaBodAdd = nullptr;
    QAction* mKrivkaBodDelete = nullptr;
    QMenu* mGraf = nullptr;
    QAction* mGrafLinearity = nullptr;
    QAction* mScan = nullptr;
};

} // namespace rm27
