// dvftool extract PACKAGE [FOLDER]: unpacks a study package as the viewer
// does when it opens one, and says what it found and what it refused.
#include "tools/dvftool/DvfTool.h"

#include "viewer/cabreader/ExtractPackage.h"
#include "viewer/study/StudyModule.h"

#include <QFileInfo>

namespace dvftool {

int ExtractCommand(const QStringList& args, const Output& io)
{
    if (args.isEmpty() || args.size() > 2 || args.front().isEmpty()) {
        io.Err(QByteArray("usage: dvftool extract PACKAGE [FOLDER]\n"));
        return kExitUsage;
    }
    const QString package = args.front();
    // Like the viewer, unpack beside the package unless told otherwise.
    const QString folder = args.size() == 2 ? args[1] : QFileInfo(package).path();

    study::StudyModule module;
    qint16 count = 0;
    QString studyFile;
    cabreader::PackageReport report;
    try {
        cabreader::ExtractPackage(module, package, folder, count, studyFile, &report);
    } catch (const cabreader::CabFileError& error) {
        io.Err(QStringLiteral("dvftool extract: %1: %2\n").arg(package, error.Description()));
        return kExitFailed;
    }

    io.Out(QStringLiteral("Files in package: %1\n").arg(count));
    io.Out(QStringLiteral("Study file:       %1\n")
               .arg(studyFile.isEmpty() ? QStringLiteral("none") : studyFile));
    io.Out(QStringLiteral("Unpacked into:    %1\n").arg(folder));
    for (const cabreader::CabRefusal& refusal : report.RefusedEntries)
        io.Out(QStringLiteral("Refused:          %1 (%2)\n").arg(refusal.Name, refusal.Reason));

    bool complete = true;
    if (report.ExtractError != 0) {
        io.Err(QStringLiteral("dvftool extract: %1: unpacking stopped: %2\n").arg(package, report.ExtractErrorText));
        complete = false;
    }
    if (!report.RefusedEntries.isEmpty()) {
        io.Err(QStringLiteral("dvftool extract: %1: %2 entries were not written\n")
                   .arg(package)
                   .arg(report.RefusedEntries.size()));
        complete = false;
    }
    if (count == 0 || studyFile.isEmpty()) {
        io.Err(QStringLiteral("dvftool extract: %1: the package holds no files or no study file (DVF)\n").arg(package));
        complete = false;
    }
    return complete ? kExitOk : kExitFailed;
}

} // namespace dvftool
