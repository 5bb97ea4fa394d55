// Feeds arbitrary bytes to the study file reader and, as a path, to the path
// helpers and to the lookup of a study's files in a small folder of its own.
// Beyond crashes and sanitizer reports it traps when a read that reports
// success leaves views with different sample counts, or when a lookup finds a
// file that is not there.
#include "viewer/study/FilePaths.h"
#include "viewer/study/StudyFolderIndex.h"
#include "viewer/study/StudyReader.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

// A study folder with an image folder, made once and left alone.
const QString& StudyFolder()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        QDir(dir.path()).mkpath(QStringLiteral("Images"));
        for (const char* name : {"Images/v1_001.jpg", "Images/V1_002.JPG", "top.jpg", ".hidden.jpg"}) {
            QFile file(dir.filePath(QLatin1String(name)));
            file.open(QIODevice::WriteOnly);
        }
        return true;
    }();
    Q_UNUSED(made);
    static const QString folder = dir.path() + QLatin1Char('/');
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    study::StudyRecord record;
    QString errMsg;
    study::ReadStudyData(record, bytes, errMsg);
    if (record.Views.isEmpty())
        __builtin_trap();
    if (errMsg.isEmpty()) {
        const qsizetype samples = record.SampleCount();
        for (qsizetype v = 1; v < record.Views.size(); ++v) {
            if (record.Views[v].Samples.isEmpty() || record.Views[v].SampleCount() != samples)
                __builtin_trap();
        }
    }

    if (size <= 4096) {
        QString path = QString::fromLatin1(bytes);
        QString folder;
        QString ext;
        const QString whole = path;
        study::SplitFilePath(path, folder, ext);
        if (!whole.startsWith(folder) || !whole.endsWith(ext) || path.size() > whole.size())
            __builtin_trap();
        QString base = whole;
        study::FileBaseName(base);
        if (base.contains(QLatin1Char('.')) || base.contains(QLatin1Char('\\')) || base.contains(QLatin1Char('/')))
            __builtin_trap();

        // Names that climb out of the folder would have the fuzzer walk the
        // machine's folders; a NUL is no file name at all.
        if (!whole.contains(QLatin1String("..")) && !whole.contains(QChar(0))) {
            study::StudyFolderIndex files(StudyFolder());
            const QString found = files.Find(whole);
            if (!found.isEmpty() && !QFileInfo::exists(found))
                __builtin_trap();
        }
    }
    return 0;
}
