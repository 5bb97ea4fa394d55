#include "viewer/export/StagedFile.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace exporting {

namespace {

QString SystemReason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

StagedFile::StagedFile(QString destination) : destination_(std::move(destination)) {}

StagedFile::~StagedFile()
{
    Discard();
}

QString StagedFile::Create()
{
    Discard();
    const QFileInfo info(destination_);
    const QString folder = info.absolutePath();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral(".%1.%2.part")
                                 .arg(info.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const QString path = folder + QLatin1Char('/') + name;
        const QByteArray local = path.toLocal8Bit();
        // 0666 under the user's umask: the finished file gets the permissions
        // any new file of theirs would.
        const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            temporary_ = path;
            return {};
        }
        if (errno != EEXIST)
            return QStringLiteral("Cannot write in the folder %1: %2").arg(folder, SystemReason(errno));
    }
    return QStringLiteral("Cannot write in the folder %1: no free temporary name").arg(folder);
}

QString StagedFile::Commit()
{
    if (temporary_.isEmpty())
        return QStringLiteral("Could not save %1: nothing was written").arg(destination_);
    if (std::rename(temporary_.toLocal8Bit().constData(), destination_.toLocal8Bit().constData()) != 0) {
        const int code = errno;
        Discard();
        return QStringLiteral("Could not save %1: %2").arg(destination_, SystemReason(code));
    }
    committed_ = true;
    temporary_.clear();
    return {};
}

void StagedFile::Discard()
{
    if (!temporary_.isEmpty() && !committed_)
        ::unlink(temporary_.toLocal8Bit().constData());
    temporary_.clear();
}

} // namespace exporting
