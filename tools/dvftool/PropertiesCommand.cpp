// dvftool properties STUDY.dvf|STUDY.dvp: the study's properties as the
// tab-delimited text the viewer copies to the clipboard, byte for byte.
#include "tools/dvftool/DvfTool.h"

#include "viewer/cabreader/ExtractPackage.h"
#include "viewer/properties/CopyText.h"
#include "viewer/study/FilePaths.h"
#include "viewer/study/StudyModule.h"

#include <QDir>
#include <QTemporaryDir>

namespace dvftool {

namespace {

const QByteArray kUsage = "usage: dvftool properties STUDY.dvf|STUDY.dvp\n";

bool IsPackage(const QString& path)
{
    QString name = path;
    QString folder;
    QString ext;
    study::SplitFilePath(name, folder, ext);
    return ext.toUpper() == QLatin1String(".DVP");
}

} // namespace

int PropertiesCommand(const QStringList& args, const Output& io)
{
    QStringList files;
    bool optionsEnded = false;
    for (const QString& arg : args) {
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            io.Err(QStringLiteral("dvftool properties: unknown option \"%1\"\n").arg(arg));
            io.Err(kUsage);
            return kExitUsage;
        } else {
            files << arg;
        }
    }
    if (files.size() != 1) {
        io.Err(kUsage);
        return kExitUsage;
    }
    const QString& input = files.front();
    study::StudyModule module;
    QString studyFile = input;

    // A package is unpacked into a folder of its own that goes away with it.
    QTemporaryDir unpacked;
    if (IsPackage(input)) {
        if (!unpacked.isValid()) {
            io.Err(QStringLiteral("dvftool properties: no temporary folder to unpack into: %1\n")
                       .arg(unpacked.errorString()));
            return kExitFailed;
        }
        qint16 fileCount = 0;
        QString studyName;
        cabreader::PackageReport report;
        try {
            cabreader::ExtractPackage(module, input, unpacked.path(), fileCount, studyName, &report);
        } catch (const cabreader::CabFileError& error) {
            io.Err(QStringLiteral("dvftool properties: %1: %2\n").arg(input, error.Description()));
            return kExitFailed;
        }
        if (report.ExtractError != 0)
            io.Err(QStringLiteral("dvftool properties: %1: unpacking stopped early: %2\n")
                       .arg(input, report.ExtractErrorText));
        if (studyName.isEmpty()) {
            io.Err(QStringLiteral("dvftool properties: %1: the package holds no study file (.dvf)\n").arg(input));
            return kExitFailed;
        }
        studyFile = study::ResolveStudyFile(unpacked.path() + QLatin1Char('/'), studyName);
    }

    QString errMsg;
    module.ReadStudyFile(studyFile, errMsg);
    if (!errMsg.isEmpty()) {
        io.Err(QStringLiteral("dvftool properties: %1: %2\n").arg(input, errMsg));
        return kExitFailed;
    }
    // Widths matter only on screen.
    const properties::PropertyTable table =
        properties::BuildPropertyTable(module.Study, [](const QString&) { return 0.0; });
    io.Out(properties::PropertiesCopyText(module.Study.StudyName, table));
    return kExitOk;
}

} // namespace dvftool
