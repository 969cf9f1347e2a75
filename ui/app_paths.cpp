#include "ui/app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace rm27 {

QString BackupFolder() {
    // r27ctl calls itself r27ctl; its backups belong with the window's.
    const QString own = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("r27manager"));
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setApplicationName(own);
    return QDir(data).filePath(QStringLiteral("backups"));
}

QString JournalPath() {
    return QDir(BackupFolder()).filePath(QStringLiteral("journal.jsonl"));
}

} // namespace rm27
