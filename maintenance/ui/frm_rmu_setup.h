// frmRMUSetup: the four user limits of an RMU converter, one row per
// input with its description and unit. "OK/Uložit" writes the changed
// limits back and restarts the converter; "Zavřít" and the close box
// store nothing. Both close the dialog, so every opening reads the rows
// afresh from the records.
#pragma once

#include <QDialog>

#include <array>

#include "maintenance/rmu_settings.h"
#include "session/operations.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace rm27 {

// mRMUset: the dialog, created for each opening and gone when closed so
// that every opening shows the records as they are now; its writes checked
// once it has gone. Runs inside the caller's command.
void RunRmuSetup(Operations& ops, QWidget* parent);

class FrmRMUSetup : public QDialog {
    Q_OBJECT
public:
    // Shown modally (exec) by the command that opened it, which holds the
    // guard; the store runs inside that command.
    explicit FrmRMUSetup(Operations& ops, QWidget* parent = nullptr);

    // While the limits are being written the dialog neither stores again
    // nor closes: each byte's wait lets clicks through.
    bool storing() const { return storing_; }
    // What "OK/Uložit" wrote, for the command to check once the dialog has
    // gone (nothing when it was not pressed).
    RmuStoreResult& stored() { return stored_; }

public Q_SLOTS:
    void cmdOK_Click();
    void cmdCancel_Click();
    void reject() override;

private:
    void Form_Load();
    void SetInfo(const Text& text);

    Operations& ops_;
    bool storing_ = false;
    RmuStoreResult stored_;

    QGroupBox* Frame1 = nullptr;
    std::array<QLabel*, kInputCount> lblnpopis{};
    std::array<QLineEdit*, kInputCount> txtnlim{};
    QLabel* lblninfo = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};

} // namespace rm27
