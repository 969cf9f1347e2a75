// frmQELCalibInputBox ("Edit"): the small modal dialog in which a curve
// point's signal and user value are typed or corrected. It edits a
// PointDialogModel; the editor reads the result from there.
#pragma once

#include <QDialog>

#include <array>

#include "calibration/editor_model.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace rm27 {

class FrmQELCalibInputBox final : public QDialog, public PointDialog {
    Q_OBJECT
public:
    explicit FrmQELCalibInputBox(QWidget* parent = nullptr);

    // Shows the dialog modally on `dialog` (UPDATE first) and returns once
    // a button or the close box ended it; closing counts as "Storno".
    void ShowModal(PointDialogModel& dialog) override;
    void Unload() override;

    // The texts into the boxes, the chosen box focused with its text
    // selected.
    void UPDATE();
    void cmdOK_Click(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void reject() override;

private:
    std::array<QLabel*, 2> lblSigEth{};
    std::array<QLineEdit*, 2> txtCalBod{};
    std::array<QPushButton*, 2> cmdOK{};
    PointDialogModel* model_ = nullptr;
    bool centred_ = false;
};

} // namespace rm27
