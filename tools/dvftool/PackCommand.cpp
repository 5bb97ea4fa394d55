// dvftool pack [--hvx] [--rsf] STUDY.dvf OUT.dvp: packs the study's folder into
// a package as the viewer's Package Study does, and lists the entries stored.
#include "tools/dvftool/DvfTool.h"

#include "viewer/packaging/PackageFiles.h"
#include "viewer/packaging/WritePackage.h"
#include "viewer/study/FilePaths.h"
#include "viewer/study/StudyReader.h"

#include <QFileInfo>

namespace dvftool {

namespace {

const QByteArray kUsage = "usage: dvftool pack [--hvx] [--rsf] STUDY.dvf OUT.dvp\n";

} // namespace

int PackCommand(const QStringList& args, const Output& io)
{
    bool includeHalvex = false;
    bool includeRsf = false;
    bool optionsEnded = false;
    QStringList files;
    for (const QString& arg : args) {
        if (!optionsEnded && arg == QLatin1String("--hvx")) {
            includeHalvex = true;
        } else if (!optionsEnded && arg == QLatin1String("--rsf")) {
            includeRsf = true;
        } else if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            io.Err(QStringLiteral("dvftool pack: unknown option \"%1\"\n").arg(arg));
            io.Err(kUsage);
            return kExitUsage;
        } else {
            files << arg;
        }
    }
    if (files.size() != 2) {
        io.Err(kUsage);
        return kExitUsage;
    }
    const QString studyFile = QFileInfo(files[0]).absoluteFilePath();
    const QString& packagePath = files[1];

    // Only a study the viewer could open is packed, as in the viewer.
    study::StudyRecord record;
    QString errMsg;
    study::ReadStudyFile(record, studyFile, errMsg);
    if (!errMsg.isEmpty()) {
        io.Err(QStringLiteral("dvftool pack: %1: %2\n").arg(files[0], errMsg));
        return kExitFailed;
    }
    if (!packaging::CanCreateFile(packagePath)) {
        io.Err(QStringLiteral("dvftool pack: %1: a package cannot be created there\n").arg(packagePath));
        return kExitFailed;
    }
    const QStringList entries =
        packaging::PackageFileList(packaging::StudyFolderOf(studyFile), includeHalvex, includeRsf);
    packaging::WritePackage(packagePath, entries, errMsg);
    if (!errMsg.isEmpty()) {
        io.Err(QStringLiteral("dvftool pack: %1: %2\n").arg(packagePath, errMsg));
        return kExitFailed;
    }
    QString listing;
    for (const QString& entry : entries)
        listing += QFileInfo(entry).fileName() + QLatin1Char('\n');
    io.Out(listing);
    return kExitOk;
}

} // namespace dvftool
