#include "ui/frm_about.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QSysInfo>
#include <QVBoxLayout>

#include "ui/build_info.h"

namespace rm27 {

FrmAbout::FrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);
    const QString title = QString::fromUtf8(build::kProgramTitle);
    setWindowTitle(tr("O aplikaci ") + title);

    lblTitle = new QLabel(title, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);

    lblVersion = new QLabel(tr("Verze ") + QString::fromUtf8(build::kVersionText), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    QStringList makerLines;
    for (const char* line : {build::kMakerName, build::kMakerContact, build::kMakerWeb}) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (!text.isEmpty()) makerLines << text.toHtmlEscaped();
    }
    lblMaker = new QLabel(makerLines.join(QStringLiteral("<br>")), this);
    lblMaker->setObjectName(QStringLiteral("lblMaker"));
    lblMaker->setTextInteractionFlags(Qt::TextSelectableByMouse);

    cmdSysInfo = new QPushButton(tr("Systémové informace ..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAutoDefault(false);
    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdSysInfo, &QPushButton::clicked, this, &FrmAbout::cmdSysInfo_Click);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(lblVersion);
    layout->addSpacing(fontMetrics().height());
    layout->addWidget(lblMaker);
    layout->addSpacing(fontMetrics().height());
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString FrmAbout::SystemInfoText() {
    QStringList lines;
    lines << QString::fromUtf8(build::kProgramTitle) + QLatin1Char(' ') +
                 QString::fromUtf8(build::kVersionText);
    lines << tr("Qt: %1 (sestaveno s %2)")
                 .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR));
    lines << tr("Operační systém: %1").arg(QSysInfo::prettyProductName());
    lines << tr("Jádro: %1 %2, %3")
                 .arg(QSysInfo::kernelType(), QSysInfo::kernelVersion(),
                      QSysInfo::currentCpuArchitecture());
    lines << QString();
    const auto ports = QSerialPortInfo::availablePorts();
    lines << tr("Sériová zařízení: %1").arg(ports.size());
    for (const QSerialPortInfo& info : ports) {
        QString line = QStringLiteral("  ") + info.systemLocation();
        QStringList details;
        if (!info.description().isEmpty()) details << info.description();
        if (!info.manufacturer().isEmpty()) details << info.manufacturer();
        if (!info.serialNumber().isEmpty()) details << info.serialNumber();
        if (!details.isEmpty())
            line += QStringLiteral(" (") + details.join(QStringLiteral(", ")) + QLatin1Char(')');
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

void FrmAbout::cmdSysInfo_Click() {
    QDialog box(this);
    box.setObjectName(QStringLiteral("frmSysInfo"));
    box.setWindowTitle(tr("Systémové informace"));
    auto* text = new QPlainTextEdit(SystemInfoText(), &box);
    text->setReadOnly(true);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setMinimumSize(text->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 64,
                         text->fontMetrics().lineSpacing() * 14);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &box);
    connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(text);
    layout->addWidget(buttons);
    box.exec();
}

} // namespace rm27
