#include "calibration/editor/frm_qel_calib_input_box.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "ui/window_placement.h"

namespace rm27 {

namespace {

QString Indexed(const char* name, int index) {
    return QString::fromLatin1(name) + QLatin1Char('_') + QString::number(index);
}

} // namespace

FrmQELCalibInputBox::FrmQELCalibInputBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QString::fromStdString(kPointDialogName));
    setWindowTitle(tr("Edit"));
    setModal(true);

    auto* grid = new QGridLayout(this);
    const QString captions[] = {tr("Signal"), tr("Etalon")};
    for (int i = 0; i < 2; ++i) {
        const auto k = static_cast<std::size_t>(i);
        lblSigEth[k] = new QLabel(captions[i], this);
        lblSigEth[k]->setObjectName(Indexed("lblSigEth", i));
        txtCalBod[k] = new QLineEdit(this);
        txtCalBod[k]->setObjectName(Indexed("txtCalBod", i));
        txtCalBod[k]->setAlignment(Qt::AlignRight);
        txtCalBod[k]->installEventFilter(this);
        lblSigEth[k]->setBuddy(txtCalBod[k]);
        grid->addWidget(lblSigEth[k], i, 0);
        grid->addWidget(txtCalBod[k], i, 1);
    }
    auto* buttons = new QHBoxLayout;
    const QString buttonCaptions[] = {tr("&OK"), tr("&Storno")};
    for (int i = 0; i < 2; ++i) {
        const auto k = static_cast<std::size_t>(i);
        cmdOK[k] = new QPushButton(buttonCaptions[i], this);
        cmdOK[k]->setObjectName(Indexed("cmdOK", i));
        cmdOK[k]->setAutoDefault(false);
        connect(cmdOK[k], &QPushButton::clicked, this, [this, i] { cmdOK_Click(i); });
        buttons->addWidget(cmdOK[k]);
    }
    // Enter confirms the point, as a typed number is usually done.
    cmdOK[0]->setDefault(true);
    grid->addLayout(buttons, 2, 0, 1, 2);
}

void FrmQELCalibInputBox::ShowModal(PointDialogModel& dialog) {
    model_ = &dialog;
    if (!centred_) {
        KeepTitleWhole(this);
        adjustSize();
        CenterForm(this);
        centred_ = true;
    }
    UPDATE();
    exec();
    model_ = nullptr;
}

void FrmQELCalibInputBox::Unload() {
    if (isVisible()) reject();
    centred_ = false;
}

void FrmQELCalibInputBox::UPDATE() {
    if (model_ == nullptr) return;
    model_->UPDATE();
    for (std::size_t k = 0; k < 2; ++k)
        txtCalBod[k]->setText(QString::fromStdString(model_->txtCalBod[k]));
    QLineEdit* box = txtCalBod[model_->EditSignal ? 0 : 1];
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
}

void FrmQELCalibInputBox::cmdOK_Click(int index) {
    if (model_ == nullptr) return;
    if (index == 0) {
        for (std::size_t k = 0; k < 2; ++k)
            model_->txtCalBod[k] = txtCalBod[k]->text().toStdString();
        hide();
        model_->OK();
        done(QDialog::Accepted);
    } else {
        hide();
        model_->Storno();
        done(QDialog::Rejected);
    }
}

void FrmQELCalibInputBox::reject() {
    // The close box and Escape leave the point as "Storno" does.
    if (model_ != nullptr) model_->Storno();
    QDialog::reject();
}

bool FrmQELCalibInputBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched)) {
            // After the mouse press that gave the focus has placed the cursor.
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FrmQELCalibInputBox::mouseDoubleClickEvent(QMouseEvent* event) {
    UPDATE();
    QDialog::mouseDoubleClickEvent(event);
}

} // namespace rm27
