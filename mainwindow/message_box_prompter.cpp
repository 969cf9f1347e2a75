#include "mainwindow/message_box_prompter.h"

#include <QInputDialog>
#include <QMessageBox>

namespace rm27 {

void MessageBoxPrompter::critical(const std::string& text) {
    QMessageBox::critical(owner_, title_, QString::fromStdString(text));
}

void MessageBoxPrompter::information(const std::string& text) {
    QMessageBox::information(owner_, title_, QString::fromStdString(text));
}

bool MessageBoxPrompter::question(const std::string& text) {
    return QMessageBox::question(owner_, title_, QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::string MessageBoxPrompter::inputBox(const std::string& prompt, const std::string& title,
                                         const std::string& defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(owner_, title.empty() ? title_ : QString::fromStdString(title),
                              QString::fromStdString(prompt), QLineEdit::Normal,
                              QString::fromStdString(defaultText), &ok);
    return ok ? text.toStdString() : std::string();
}

} // namespace rm27
