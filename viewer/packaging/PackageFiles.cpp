#include "viewer/packaging/PackageFiles.h"

#include "viewer/study/FilePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace packaging {

QStringList ListNormalFiles(const QString& folder)
{
    // Without QDir::Hidden and QDir::System the listing leaves out hidden
    // files, sockets, devices and dangling links, as the system's own
    // listing of normal files does.
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    return dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

bool HasEnding(const QString& name, const char* ending)
{
    return name.right(4).toUpper() == QLatin1String(ending);
}

bool AnyHasEnding(const QStringList& names, const char* ending)
{
    for (const QString& name : names) {
        if (HasEnding(name, ending))
            return true;
    }
    return false;
}

QString StudyFolderOf(const QString& studyFile)
{
    QString path = studyFile;
    QString folder;
    QString ext;
    study::SplitFilePath(path, folder, ext);
    return folder;
}

QStringList PackageFileList(const QString& folder, bool includeHalvex, bool includeRsf)
{
    QStringList files;
    for (const QString& name : ListNormalFiles(folder)) {
        if (HasEnding(name, kEndingStudy) || HasEnding(name, kEndingImage)
            || (includeHalvex && HasEnding(name, kEndingHalvex)) || (includeRsf && HasEnding(name, kEndingRsf)))
            files << folder + name;
    }
    return files;
}

bool CanCreateFile(const QString& Path)
{
    if (Path.isEmpty())
        return false;
    const QFileInfo info(Path);
    if (!info.exists() && !info.isSymLink()) {
        QFile probe(Path);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return false;
        probe.close();
        return probe.remove();
    }
    if (!info.isFile())
        return false;
    // Opened for appending and closed unwritten, the old package keeps every byte.
    QFile existing(Path);
    if (!existing.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    existing.close();
    QTemporaryFile beside(info.absolutePath() + QStringLiteral("/.package-XXXXXX"));
    return beside.open();
}

} // namespace packaging
