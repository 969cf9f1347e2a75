#include "ui/common_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>

namespace rm27 {

namespace {

FileDialogAnswer RunQFileDialog(const FileDialogRequest& request) {
    QFileDialog dialog(request.owner, request.title, request.directory);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.nameFilters);
    if (request.selectedFilter >= 0 && request.selectedFilter < request.nameFilters.size())
        dialog.selectNameFilter(request.nameFilters.at(request.selectedFilter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    FileDialogAnswer answer;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return answer;
    answer.chosen = true;
    answer.fileName = dialog.selectedFiles().constFirst();
    answer.selectedFilter = static_cast<int>(
        std::max<qsizetype>(0, request.nameFilters.indexOf(dialog.selectedNameFilter())));
    return answer;
}

FileDialogRunner& GlobalRunner() {
    static FileDialogRunner runner;
    return runner;
}

} // namespace

CommonDialog::CommonDialog() : runner(DefaultRunner()) {}

void CommonDialog::SetDefaultRunner(FileDialogRunner r) {
    GlobalRunner() = std::move(r);
}

FileDialogRunner CommonDialog::DefaultRunner() {
    return GlobalRunner() ? GlobalRunner() : FileDialogRunner(RunQFileDialog);
}

QStringList CommonDialog::NameFilters(const QString& filter) {
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList masks;
        for (const QString& m : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString mask = m.trimmed();
            masks << (mask == QLatin1String("*.*") ? QStringLiteral("*") : mask);
        }
        const QString patterns = masks.join(QLatin1Char(' '));
        QString text = parts.at(i).trimmed();
        // Texts that already name their pattern ("Soubory  (*.eep)") would
        // show it twice if Qt's "(pattern)" tail were added again.
        const QString tail = QLatin1Char('(') + patterns + QLatin1Char(')');
        if (!text.endsWith(tail)) text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + tail;
        out << text;
    }
    return out;
}

bool CommonDialog::ShowOpen() {
    return show(false);
}
bool CommonDialog::ShowSave() {
    return show(true);
}

bool CommonDialog::show(bool save) {
    FileDialogRequest request;
    request.save = save;
    request.owner = hOwner;
    request.title = DialogTitle;
    request.nameFilters = NameFilters(Filter);
    request.selectedFilter = FilterIndex - 1;
    request.defaultSuffix =
        DefaultExt.startsWith(QLatin1Char('.')) ? DefaultExt.mid(1) : DefaultExt;
    const QString folder = InitDir.isEmpty() ? QDir::currentPath() : InitDir;
    request.directory = FileName.isEmpty() ? folder : QDir(folder).filePath(FileName);

    const FileDialogAnswer answer = runner ? runner(request) : RunQFileDialog(request);
    if (!answer.chosen || answer.fileName.isEmpty()) return false;
    FileName = answer.fileName;
    if (save && !request.defaultSuffix.isEmpty() && QFileInfo(FileName).suffix().isEmpty())
        FileName += QLatin1Char('.') + request.defaultSuffix;
    FilterIndex = answer.selectedFilter + 1;
    return true;
}

} // namespace rm27
