// CommonDialog: the standard open-file and save-file dialogs with the
// properties the windows set on them (title, "text|pattern|..." filter,
// filter index, default extension, initial folder, owner window). The
// dialog itself is reached through a replaceable function, so that tests
// can answer it without a modal window.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace rm27 {

// What the dialog is asked and what the user answered.
struct FileDialogRequest {
    bool save = false;
    QWidget* owner = nullptr;
    QString title;
    QString directory;       // initial folder, with the preset file name when there is one
    QStringList nameFilters; // Qt form: "Soubory (*.eep)"
    int selectedFilter = 0;  // 0-based position in nameFilters
    QString defaultSuffix;   // without the dot
};
struct FileDialogAnswer {
    bool chosen = false;
    QString fileName;
    int selectedFilter = 0;
};
using FileDialogRunner = std::function<FileDialogAnswer(const FileDialogRequest&)>;

class CommonDialog {
public:
    CommonDialog();

    QString DialogTitle;
    // Pairs of display text and pattern, separated by "|":
    // "Soubory  (*.eep)|*.eep|Všechny |*.*". A pattern may list several
    // masks separated by ";".
    QString Filter;
    // 1-based position of the filter offered first; after a choice, the
    // filter the user had selected.
    int FilterIndex = 1;
    // Appended (with its dot) to a saved name that has no extension.
    QString DefaultExt;
    QString InitDir;
    QWidget* hOwner = nullptr;
    // Preset name on the way in, the chosen path on the way out.
    QString FileName;

    // True when the user chose a file (FileName then holds its full path);
    // false when the dialog was cancelled (FileName unchanged).
    bool ShowOpen();
    bool ShowSave();

    // The function that shows the dialog; defaults to the process-wide one.
    FileDialogRunner runner;

    // Process-wide runner for dialogs created deep inside the windows;
    // setting an empty function restores the real QFileDialog.
    static void SetDefaultRunner(FileDialogRunner runner);
    static FileDialogRunner DefaultRunner();

    // "text|pattern|..." to Qt's name filters. "*.*" means every file, as
    // it did where the filter texts come from.
    static QStringList NameFilters(const QString& filter);

private:
    bool show(bool save);
};

} // namespace rm27
