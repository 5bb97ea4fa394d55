// Feeds arbitrary bytes to the study file reader and, as a path, to the path
// helpers. Beyond crashes and sanitizer reports it traps when a read that
// reports success leaves views with different sample counts.
#include "viewer/study/FilePaths.h"
#include "viewer/study/StudyReader.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>

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
    }
    return 0;
}
