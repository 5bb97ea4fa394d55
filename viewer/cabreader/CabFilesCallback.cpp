#include "viewer/cabreader/CabFilesCallback.h"

#include "viewer/cabreader/CABFile.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace cabreader::CabFilesCallback {

namespace {

CABFile* currentCabFile = nullptr;

enum class MakeResult { Created, Exists, PathNotFound, Failed };

MakeResult MakeOneFolder(const QString& folder)
{
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0777) == 0)
        return MakeResult::Created;
    const int error = errno;
    if (error == EEXIST) {
        // A file of that name is in the way: nothing can be extracted below it.
        struct stat info{};
        if (::stat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode))
            return MakeResult::Exists;
        return MakeResult::Failed;
    }
    return error == ENOENT ? MakeResult::PathNotFound : MakeResult::Failed;
}

} // namespace

CABFile* CurrentCabFile()
{
    return currentCabFile;
}

void SetCurrentCabFile(CABFile* cabFile)
{
    currentCabFile = cabFile;
}

setupapi::UINT IterateCallback(void* Context, setupapi::UINT Notification, setupapi::UINT_PTR Param1,
                               setupapi::UINT_PTR Param2)
{
    if (!currentCabFile)
        return 0;
    return currentCabFile->CabCallBack(Context, Notification, Param1, Param2);
}

void SplitCabPath(const QString& FullName, QString& FolderPart, QString& NamePart)
{
    const qsizetype cut = std::max(FullName.lastIndexOf(u'\\'), FullName.lastIndexOf(u'/'));
    FolderPart = FullName.left(cut + 1);
    NamePart = FullName.mid(cut + 1);
}

bool MakePath(const QString& Folder)
{
    if (Folder.isEmpty())
        return false;
    // "\" separates folders in cabinet names; here only "/" does.
    QString folder = QString(Folder).replace(u'\\', u'/');
    if (folder.back() == u'/')
        folder.chop(1);
    if (folder.isEmpty())
        return true; // the root folder

    MakeResult result = MakeOneFolder(folder);
    if (result == MakeResult::Created || result == MakeResult::Exists)
        return true;
    if (result == MakeResult::Failed)
        return false;

    // Find the deepest folder above that exists, then create the rest downwards.
    QStringList parts = folder.split(u'/');
    const bool absolute = parts.front().isEmpty();
    parts.removeAll(QString());
    const auto join = [&](qsizetype last) {
        QString path = absolute ? QStringLiteral("/") : QString();
        for (qsizetype i = 0; i <= last; ++i) {
            if (i > 0)
                path += u'/';
            path += parts[i];
        }
        return path;
    };

    qsizetype existing = parts.size() - 2;
    for (; existing >= 0; --existing) {
        result = MakeOneFolder(join(existing));
        if (result == MakeResult::Created || result == MakeResult::Exists)
            break;
        if (result == MakeResult::Failed)
            return false;
    }
    for (qsizetype next = existing + 1; next < parts.size(); ++next) {
        if (MakeOneFolder(join(next)) != MakeResult::Created)
            return false;
    }
    return true;
}

} // namespace cabreader::CabFilesCallback
