#include "tools/dvftool/StudyInput.h"

#include "viewer/cabreader/ExtractPackage.h"
#include "viewer/study/FilePaths.h"
#include "viewer/study/StudyModule.h"

#include <QFileInfo>

namespace dvftool {

namespace {

bool IsPackage(const QString& path)
{
    QString name = path;
    QString folder;
    QString ext;
    study::SplitFilePath(name, folder, ext);
    return ext.toUpper() == QLatin1String(".DVP");
}

} // namespace

bool StudyInput::Open(const QString& input, const char* command, const Output& io)
{
    const QString prefix = QStringLiteral("dvftool %1: ").arg(QLatin1String(command));
    studyFile_ = input;
    if (!IsPackage(input))
        return true;

    // A package is unpacked into a folder of its own that goes away with it.
    unpacked_ = std::make_unique<QTemporaryDir>();
    if (!unpacked_->isValid()) {
        io.Err(prefix + QStringLiteral("no temporary folder to unpack into: %1\n").arg(unpacked_->errorString()));
        return false;
    }
    study::StudyModule module;
    qint16 fileCount = 0;
    QString studyName;
    cabreader::PackageReport report;
    try {
        cabreader::ExtractPackage(module, input, unpacked_->path(), fileCount, studyName, &report);
    } catch (const cabreader::CabFileError& error) {
        io.Err(prefix + QStringLiteral("%1: %2\n").arg(input, error.Description()));
        return false;
    }
    if (report.ExtractError != 0)
        io.Err(prefix + QStringLiteral("%1: unpacking stopped early: %2\n").arg(input, report.ExtractErrorText));
    if (studyName.isEmpty()) {
        io.Err(prefix + QStringLiteral("%1: the package holds no study file (.dvf)\n").arg(input));
        return false;
    }
    studyFile_ = study::ResolveStudyFile(unpacked_->path() + QLatin1Char('/'), studyName);
    return true;
}

QString StudyInput::Folder() const
{
    return QFileInfo(studyFile_).absolutePath() + QLatin1Char('/');
}

} // namespace dvftool
