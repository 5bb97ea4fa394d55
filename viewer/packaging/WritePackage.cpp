#include "viewer/packaging/WritePackage.h"

#include "viewer/packaging/CabinetWriterComponent.h"
#include "viewer/study/FilePaths.h"

#include "platform/com/ClassRegistry.h"

#include <QFileInfo>

namespace packaging {

namespace {

// A failure must never read as success, even from a writer that gives no words.
QString FailureText(const ICabinetWriter& writer, com::HRESULT hr)
{
    const QString text = writer.ErrorDescription();
    if (!text.isEmpty())
        return text;
    const QString number = QStringLiteral("%1").arg(quint32(hr), 8, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("The cabinet writer failed with error 0x%1.").arg(number);
}

} // namespace

quint64 TotalFileBytes(const QStringList& FileList)
{
    quint64 total = 0;
    for (const QString& file : FileList)
        total += quint64(std::max<qint64>(QFileInfo(file).size(), 0));
    return total;
}

void WritePackage(const QString& Path, const QStringList& FileList, QString& ErrMsg,
                  const PackageProgress& progress)
{
    ErrMsg.clear();
    if (FileList.isEmpty()) {
        ErrMsg = QLatin1String(kNothingToPack);
        return;
    }

    std::shared_ptr<ICabinetWriter> writer;
    try {
        RegisterCabinetWriterComponent();
        writer = com::CreateObject<ICabinetWriter>(kClsidCabinetWriter);
    } catch (const com::ComError& error) {
        ErrMsg = QStringLiteral("The cabinet writer could not be started: %1")
                     .arg(QString::fromStdString(error.Description()));
        return;
    }

    if (progress) {
        // Reading and compressing the files is one half of the work, copying
        // the compressed data into the cabinet the other.
        const quint64 sourceTotal = std::max<quint64>(TotalFileBytes(FileList), 1);
        const quint64 total = 2 * sourceTotal;
        writer->SetProgress([&progress, sourceTotal, total](const CabinetWriterProgress& p) {
            quint64 done = std::min(p.SourceBytesRead, sourceTotal);
            if (p.CabinetBytesTotal > 0)
                done = sourceTotal + quint64(double(sourceTotal) * double(p.CabinetBytesWritten)
                                             / double(p.CabinetBytesTotal));
            progress(std::min(done, total), total);
        });
    }

    if (const com::HRESULT hr = writer->CreateCabinet(Path, false, false, false); com::Failed(hr)) {
        ErrMsg = FailureText(*writer, hr);
        return;
    }
    for (const QString& file : FileList) {
        QString name = file;
        QString folder;
        QString ext;
        study::SplitFilePath(name, folder, ext);
        if (const com::HRESULT hr = writer->AddCabinetFile(file, name + ext); com::Failed(hr)) {
            ErrMsg = FailureText(*writer, hr);
            return;
        }
    }
    if (const com::HRESULT hr = writer->CloseCabinet(); com::Failed(hr))
        ErrMsg = FailureText(*writer, hr);
}

} // namespace packaging
