#include "maintenance/ui/frm_rmu_setup.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "l10n/localizer.h"
#include "maintenance/rmu_settings.h"
#include "ui/mnemonics.h"
#include "ui/window_placement.h"

namespace rm27 {

namespace {

QString Indexed(const char* name, int index) {
    return QString::fromLatin1(name) + QLatin1Char('_') + QString::number(index);
}

// The limits line up digit under digit; the descriptions and units are
// blank-padded to their fixed widths, which only a fixed pitch shows. The
// system's fixed font is fixed on every machine, whatever fonts a name
// such as "Lucida Console" falls back to there.
QFont LimitFont() {
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

} // namespace

void RunRmuSetup(Operations& ops, QWidget* parent) {
    RmuStoreResult stored;
    RunRmuSettings(ops, [&] {
        FrmRMUSetup dialog(ops, parent);
        dialog.exec();
        stored = dialog.stored();
    });
    CheckRmuStore(ops, stored);
}

FrmRMUSetup::FrmRMUSetup(Operations& ops, QWidget* parent) : QDialog(parent), ops_(ops) {
    setObjectName(QStringLiteral("frmRMUSetup"));
    setModal(true);
    setWindowTitle(tr("Nastaven9 jednotky RMU"));

    const QFont fixed = LimitFont();
    Frame1 = new QGroupBox(tr("Uživatelské limity"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* rows = new QGridLayout(Frame1);
    const QFontMetrics fm(fixed);
    for (int i = 0; i < kInputCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        lblnpopis[k] = new QLabel(Frame1);
        lblnpopis[k]->setObjectName(Indexed("lblnpopis", i));
        lblnpopis[k]->setFont(fixed);
        txtnlim[k] = new QLineEdit(Frame1);
        txtnlim[k]->setObjectName(Indexed("txtnlim", i));
        txtnlim[k]->setFont(fixed);
        txtnlim[k]->setAlignment(Qt::AlignRight);
        txtnlim[k]->setMinimumWidth(fm.horizontalAdvance(QString(12, QLatin1Char('0'))));
        rows->addWidget(lblnpopis[k], i, 0);
        rows->addWidget(txtnlim[k], i, 1);
    }
    rows->setColumnStretch(1, 1);

    lblninfo = new QLabel(this);
    lblninfo->setObjectName(QStringLiteral("lblninfo"));
    lblninfo->setMinimumHeight(fontMetrics().height());
    cmdOK = new QPushButton(tr("OK/Uložit"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(tr("Zavřít"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &FrmRMUSetup::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmRMUSetup::cmdCancel_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblninfo, 1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    KeepTitleWhole(this);
    AddMnemonics(this);

    Form_Load();
}

void FrmRMUSetup::Form_Load() {
    for (int i = 0; i < kInputCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const SensorRecord& rec = ops_.state.records[k];
        lblnpopis[k]->setText(Shown(RmuRowCaption(rec, i)));
        txtnlim[k]->setText(QString::fromStdString(RmuLimitText(rec)));
        // The row shows the limit cut to its format: the tip has it whole.
        txtnlim[k]->setToolTip(Shown(RmuLimitOverflow(rec)));
    }
}

void FrmRMUSetup::SetInfo(const Text& text) {
    lblninfo->setText(Shown(text));
    lblninfo->repaint();
}

void FrmRMUSetup::cmdOK_Click() {
    if (storing_) return;
    storing_ = true;
    for (QWidget* w : std::initializer_list<QWidget*>{cmdOK, cmdCancel, Frame1})
        w->setEnabled(false);
    std::array<std::optional<std::string>, kInputCount> texts;
    for (std::size_t k = 0; k < texts.size(); ++k)
        texts[k] = txtnlim[k]->text().toStdString();
    stored_ = StoreRmuLimits(ops_, texts, [this](const Text& text) { SetInfo(text); });
    storing_ = false;
    if (stored_.refused) {
        // Nothing was sent: the rows stay as typed, to be put right.
        for (QWidget* w : std::initializer_list<QWidget*>{cmdOK, cmdCancel, Frame1})
            w->setEnabled(true);
        return;
    }
    accept();
}

void FrmRMUSetup::cmdCancel_Click() {
    reject();
}

// Escape, "Zavřít" and the close box all come here; the close box stays
// shut while the store runs, as the dialog then is still visible.
void FrmRMUSetup::reject() {
    if (!storing_) QDialog::reject();
}

} // namespace rm27
