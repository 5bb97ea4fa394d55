#include "viewer/cabreader/ExtractPackage.h"

#include "viewer/study/StudyModule.h"

#include <algorithm>
#include <limits>

namespace cabreader {

void ExtractPackage(study::StudyModule& module, const QString& PackagePath, const QString& OutputFolder,
                    qint16& FileCount, QString& StudyFilename, PackageReport* report)
{
    FileCount = 0;
    StudyFilename.clear();
    CABFile package;
    package.SetStudyModule(&module);
    module.PackageStudyFile.clear();
    package.SetCabName(PackagePath);
    // A cabinet holds up to 65535 files; a count that wrapped to a negative
    // number would read as "no files" or worse to the caller.
    FileCount = static_cast<qint16>(std::min<qint32>(package.FileCount(), std::numeric_limits<qint16>::max()));

    const bool unpacked = package.Extract(QString(), OutputFolder, QString());
    StudyFilename = module.PackageStudyFile;
    if (report) {
        report->RefusedEntries = package.RefusedEntries();
        report->ExtractError = unpacked ? 0 : package.ErrorNumber();
        report->ExtractErrorText = unpacked ? QString() : package.ErrorText();
    }
}

} // namespace cabreader
