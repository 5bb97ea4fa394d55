#include "viewer/settings/DataFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace settings {

QStringList DataFolders(const QString& programFolder)
{
    const QString program = programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    QStringList folders{program,
                        QDir::cleanPath(QDir(program).filePath(QStringLiteral(HALVEX_DATA_FROM_BINDIR)))};
    for (const QString& shared : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString folder = QDir(shared).filePath(QStringLiteral(HALVEX_DATA_NAME));
        if (!folders.contains(folder))
            folders << folder;
    }
    return folders;
}

QString FindDataFile(const QStringList& folders, const QString& relative)
{
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(relative);
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

} // namespace settings
