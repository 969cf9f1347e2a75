#include "ui/qt_prompter.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWidget>

#include "l10n/localizer.h"
#include "ui/common_dialog.h"
#include "ui/texts.h"
#include "ui/window_placement.h"
#include "ui/mnemonics.h"

namespace rm27 {

namespace {

QMessageBox::Icon ToQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QWidget* QtPrompter::window(const std::string& name) const {
    if (!name.empty()) {
        const QString wanted = QString::fromStdString(name);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == wanted && w->isVisible()) return w;
        }
    }
    return owner_;
}

QWidget* QtPrompter::inFront(QWidget* wanted) {
    QWidget* onTop = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) onTop = w;
    }
    if (onTop == nullptr) return wanted;
    // A box of the window on top, or of a dialog of it, shows over it.
    for (QWidget* w = wanted; w != nullptr; w = w->parentWidget()) {
        if (w == onTop) return wanted;
    }
    return onTop;
}

QWidget* QtPrompter::boxParent() const {
    QWidget* active = QApplication::activeWindow();
    return inFront(active != nullptr ? active : owner_);
}

MessageAnswer QtPrompter::message(const MessageBoxSpec& box) {
    QWidget* parent = boxParent();
    QMessageBox mb(ToQt(box.icon), box.title.empty() ? title_ : Shown(box.title), Shown(box.text),
                   QMessageBox::NoButton, parent);
    if (box.buttons == MessageButtons::YesNo) {
        mb.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        mb.setDefaultButton(box.defaultButton == MessageAnswer::No ? QMessageBox::No
                                                                   : QMessageBox::Yes);
        // Closing the box is the safe answer, whatever the default.
        mb.setEscapeButton(QMessageBox::No);
        mb.button(QMessageBox::Yes)->setText(Shown(Text(texts::ui::kButtonYes)));
        mb.button(QMessageBox::No)->setText(Shown(Text(texts::ui::kButtonNo)));
        KeepTitleWhole(&mb);
        return mb.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    mb.setStandardButtons(QMessageBox::Ok);
    KeepTitleWhole(&mb);
    mb.exec();
    return MessageAnswer::Ok;
}

int QtPrompter::choose(const MessageBoxSpec& box, const std::vector<Text>& choices) {
    QWidget* parent = boxParent();
    QMessageBox mb(ToQt(box.icon), box.title.empty() ? title_ : Shown(box.title), Shown(box.text),
                   QMessageBox::NoButton, parent);
    std::vector<QAbstractButton*> buttons;
    for (const Text& choice : choices)
        buttons.push_back(mb.addButton(Shown(choice), QMessageBox::ActionRole));
    // Taking no way back is the default: each of them writes.
    QPushButton* close = mb.addButton(QMessageBox::Close);
    close->setText(Shown(Text(texts::ui::kButtonClose)));
    mb.setDefaultButton(close);
    mb.setEscapeButton(close);
    KeepTitleWhole(&mb);
    mb.exec();
    const auto it = std::find(buttons.begin(), buttons.end(), mb.clickedButton());
    return it == buttons.end() ? -1 : static_cast<int>(it - buttons.begin());
}

std::string QtPrompter::inputBox(const Text& prompt, const Text& title,
                                 const std::string& defaultText) {
    QWidget* parent = boxParent();
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title.empty() ? title_ : Shown(title));
    dialog.setLabelText(Shown(prompt));
    dialog.setTextValue(QString::fromStdString(defaultText));
    dialog.setCancelButtonText(Shown(Text(texts::ui::kButtonCancel)));
    KeepTitleWhole(&dialog);
    const bool ok = dialog.exec() == QDialog::Accepted;
    const QString text = dialog.textValue();
    return ok ? text.toStdString() : std::string();
}

namespace {

QTableWidget* RowTable(const std::vector<Text>& headings,
                       const std::vector<std::vector<Text>>& rows, QWidget* parent) {
    auto* table = new QTableWidget(static_cast<int>(rows.size()),
                                   static_cast<int>(headings.size()), parent);
    QStringList captions;
    for (const Text& h : headings)
        captions << Shown(h);
    table->setHorizontalHeaderLabels(captions);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size() && c < headings.size(); ++c)
            table->setItem(static_cast<int>(r), static_cast<int>(c),
                           new QTableWidgetItem(Shown(rows[r][c], TextKind::Value)));
    }
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    table->resizeColumnsToContents();
    table->setCurrentCell(0, 0);
    return table;
}

} // namespace

int QtPrompter::pickRow(const Text& title, const std::vector<Text>& headings,
                        const std::vector<std::vector<Text>>& rows, const Text& other) {
    QDialog dialog(boxParent());
    dialog.setObjectName(QStringLiteral("frmPickRow"));
    dialog.setWindowTitle(Shown(title));
    QTableWidget* table = RowTable(headings, rows, &dialog);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* choose =
        buttons->addButton(Shown(Text(texts::ui::kButtonChoose)), QDialogButtonBox::AcceptRole);
    QPushButton* file = buttons->addButton(Shown(other), QDialogButtonBox::ActionRole);
    buttons->addButton(Shown(Text(texts::ui::kButtonCancel)), QDialogButtonBox::RejectRole);
    choose->setDefault(true);
    int picked = -1;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(table, &QTableWidget::cellDoubleClicked, &dialog, &QDialog::accept);
    QObject::connect(file, &QPushButton::clicked, &dialog, [&] {
        picked = kPickOther;
        dialog.reject();
    });
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(table);
    layout->addWidget(buttons);
    AddMnemonics(&dialog);
    const int wide = table->horizontalHeader()->length() + 4 * table->frameWidth() +
                     table->verticalScrollBar()->sizeHint().width();
    FitToScreen(&dialog, {std::max(wide + 24, 480), dialog.sizeHint().height() + 8 * table->rowHeight(0)});
    if (dialog.exec() == QDialog::Accepted) picked = table->currentRow();
    return picked;
}

bool QtPrompter::showFile(FileDialogSpec& dialog, bool save) {
    CommonDialog cd;
    cd.DialogTitle = Shown(dialog.title);
    cd.Filter = Shown(dialog.filter);
    cd.FilterIndex = dialog.filterIndex;
    cd.DefaultExt = QString::fromStdString(dialog.defaultExt);
    cd.InitDir = QString::fromStdString(dialog.initDir);
    cd.FileName = QString::fromStdString(dialog.fileName);
    cd.hOwner = inFront(window(dialog.owner));
    if (!(save ? cd.ShowSave() : cd.ShowOpen())) return false;
    dialog.fileName = cd.FileName.toStdString();
    dialog.filterIndex = cd.FilterIndex;
    return true;
}

bool QtPrompter::showOpen(FileDialogSpec& dialog) {
    return showFile(dialog, false);
}

bool QtPrompter::showSave(FileDialogSpec& dialog) {
    return showFile(dialog, true);
}

void QtPrompter::clipboardClear() {
    QApplication::clipboard()->clear();
}

void QtPrompter::clipboardSetText(const std::string& text) {
    QApplication::clipboard()->setText(QString::fromStdString(text));
}

} // namespace rm27
