#include "ui/app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace rm27 {

namespace {

QDir DataFolder() {
    // r27ctl calls itself r27ctl; what it keeps belongs with the window's.
    const QString own = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("r27manager"));
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setApplicationName(own);
    return QDir(data);
}

} // namespace

QString BackupFolder() {
    return DataFolder().filePath(QStringLiteral("backups"));
}

QString DraftFolder() {
    return DataFolder().filePath(QStringLiteral("drafts"));
}

QString JournalPath() {
    return QDir(BackupFolder()).filePath(QStringLiteral("journal.jsonl"));
}

} // namespace rm27
