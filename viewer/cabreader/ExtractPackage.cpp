#include "viewer/cabreader/ExtractPackage.h"

#include "platform/cab/CabIo.h"
#include "platform/cab/CabText.h"
#include "viewer/study/StudyModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace cabreader {

namespace {

constexpr quint64 kUnpackFloor = quint64(1) << 30;
constexpr quint64 kUnpackRatio = 20;
constexpr qint32 kErrorFileTooLarge = 223;
constexpr qint32 kErrorDiskFull = 112;

QString Size(quint64 bytes)
{
    return QString::fromStdString(cab::SizeText(bytes));
}

// Why the package must not be unpacked into OutputFolder, or "".
QString SizeRefusal(quint64 declared, quint64 packageBytes, const QString& OutputFolder,
                    std::optional<quint64> MaxBytes, qint32& number)
{
    const quint64 limit = MaxBytes ? *MaxBytes : DefaultUnpackLimit(packageBytes);
    const QString wouldWrite = QStringLiteral("The package would write %1 (%2 bytes) when unpacked")
                                   .arg(Size(declared))
                                   .arg(declared);
    if (limit != 0 && declared > limit) {
        number = kErrorFileTooLarge;
        return wouldWrite
               + QStringLiteral(", more than the %1 allowed for a package of %2; nothing was unpacked.")
                     .arg(Size(limit), Size(packageBytes));
    }
    const auto free = cab::io::FreeBytesAt(QFile::encodeName(OutputFolder).toStdString());
    if (free && declared > *free) {
        number = kErrorDiskFull;
        return wouldWrite
               + QStringLiteral(", but only %1 are free in %2; nothing was unpacked.")
                     .arg(Size(*free), QDir::toNativeSeparators(OutputFolder));
    }
    return {};
}

} // namespace

quint64 DefaultUnpackLimit(quint64 packageBytes)
{
    const quint64 scaled = packageBytes > std::numeric_limits<quint64>::max() / kUnpackRatio
                               ? std::numeric_limits<quint64>::max()
                               : packageBytes * kUnpackRatio;
    return std::max(kUnpackFloor, scaled);
}

void ExtractPackage(study::StudyModule& module, const QString& PackagePath, const QString& OutputFolder,
                    qint16& FileCount, QString& StudyFilename, PackageReport* report, std::optional<quint64> MaxBytes,
                    cab::NameCharset NameCharset)
{
    FileCount = 0;
    StudyFilename.clear();
    CABFile package;
    package.SetNameCharset(NameCharset);
    package.SetStudyModule(&module);
    module.PackageStudyFile.clear();
    package.SetCabName(PackagePath);
    // A cabinet holds up to 65535 files; a count that wrapped to a negative
    // number would read as "no files" or worse to the caller.
    FileCount = static_cast<qint16>(std::min<qint32>(package.FileCount(), std::numeric_limits<qint16>::max()));

    const quint64 declared = package.DeclaredBytes();
    qint32 number = 0;
    const QString refusal = SizeRefusal(declared, quint64(std::max<qint64>(QFileInfo(PackagePath).size(), 0)),
                                        OutputFolder, MaxBytes, number);
    if (!refusal.isEmpty()) {
        if (report) {
            report->ExtractError = number;
            report->ExtractErrorText = refusal;
            report->NothingWritten = true;
            report->DeclaredBytes = declared;
        }
        return;
    }

    const bool unpacked = package.Extract(QString(), OutputFolder, QString());
    StudyFilename = module.PackageStudyFile;
    if (report) {
        report->RefusedEntries = package.RefusedEntries();
        report->ExtractError = unpacked ? 0 : package.ErrorNumber();
        report->ExtractErrorText = unpacked ? QString() : package.ErrorText();
        report->DeclaredBytes = declared;
    }
}

} // namespace cabreader
