// The program's boxes and dialogs for the operations: QMessageBox with the
// icon, buttons and default button asked for, QInputDialog, the file
// dialogs through CommonDialog, and the system clipboard.
#pragma once

#include <QString>

#include "session/prompter.h"

class QWidget;

namespace rm27 {

class QtPrompter final : public Prompter {
public:
    // owner: the window boxes belong to when the request names none (the
    // main window); title: the program's title, on every box.
    QtPrompter(QWidget* owner, QString title) : owner_(owner), title_(std::move(title)) {}

    MessageAnswer message(const MessageBoxSpec& box) override;
    int choose(const MessageBoxSpec& box, const std::vector<Text>& choices) override;
    std::string inputBox(const Text& prompt, const Text& title,
                         const std::string& defaultText) override;
    bool showOpen(FileDialogSpec& dialog) override;
    bool showSave(FileDialogSpec& dialog) override;
    void clipboardClear() override;
    void clipboardSetText(const std::string& text) override;
    int pickRow(const Text& title, const std::vector<Text>& headings,
                const std::vector<std::vector<Text>>& rows, const Text& other) override;

private:
    bool showFile(FileDialogSpec& dialog, bool save);
    // The visible top-level window called `name`; the owner when none is.
    QWidget* window(const std::string& name) const;
    // The window a box belongs to: the one the user works in (the active
    // one, else the owner), unless a window kept on top (the calibration
    // editor) would then stand in front of the box and hide it.
    QWidget* boxParent() const;
    static QWidget* inFront(QWidget* wanted);

    QWidget* owner_;
    QString title_;
};

} // namespace rm27
