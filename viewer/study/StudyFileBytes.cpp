#include "viewer/study/StudyFileBytes.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <new>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace study {

namespace {

StudyFileBytes Failed(QString text)
{
    StudyFileBytes result;
    result.error = std::move(text);
    return result;
}

QString TooLarge(const QString& path, qint64 maxBytes)
{
    return QStringLiteral("Study file is larger than the limit of %1 MiB: %2").arg(maxBytes >> 20).arg(path);
}

#ifdef Q_OS_UNIX

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

QString Reason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

StudyFileBytes ReadBytes(const QString& path, qint64 maxBytes)
{
    // Without O_NONBLOCK, opening a FIFO would wait for a writer that never comes.
    Descriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR)
            return Failed(QStringLiteral("Study file not found: %1").arg(path));
        return Failed(QStringLiteral("Cannot open study file %1: %2").arg(path, Reason(err)));
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        return Failed(QStringLiteral("Cannot read study file %1: %2").arg(path, Reason(errno)));
    if (S_ISDIR(st.st_mode))
        return Failed(QStringLiteral("Not a study file but a folder: %1").arg(path));
    if (!S_ISREG(st.st_mode))
        return Failed(QStringLiteral("Not a study file but a device, pipe or socket: %1").arg(path));
    if (st.st_size > maxBytes)
        return Failed(TooLarge(path, maxBytes));

    StudyFileBytes result;
    // One byte beyond the limit tells a file that grew while it was read.
    result.bytes.resize(static_cast<qsizetype>(std::min<qint64>(st.st_size, maxBytes) + 1));
    qint64 filled = 0;
    for (;;) {
        if (filled == result.bytes.size()) {
            if (filled > maxBytes)
                return Failed(TooLarge(path, maxBytes));
            result.bytes.resize(static_cast<qsizetype>(std::min<qint64>(filled * 2, maxBytes + 1)));
        }
        const ssize_t got = ::read(fd.Get(), result.bytes.data() + filled,
                                   static_cast<size_t>(result.bytes.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return Failed(QStringLiteral("Cannot read study file %1: %2").arg(path, Reason(errno)));
        }
        if (got == 0)
            break;
        filled += got;
    }
    result.bytes.resize(static_cast<qsizetype>(filled));
    return result;
}

#else

StudyFileBytes ReadBytes(const QString& path, qint64 maxBytes)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Failed(QStringLiteral("Study file not found: %1").arg(path));
    if (info.isDir())
        return Failed(QStringLiteral("Not a study file but a folder: %1").arg(path));
    if (!info.isFile())
        return Failed(QStringLiteral("Not a study file but a device, pipe or socket: %1").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failed(QStringLiteral("Cannot open study file %1: %2").arg(path, file.errorString()));
    if (file.size() > maxBytes)
        return Failed(TooLarge(path, maxBytes));
    StudyFileBytes result;
    result.bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Failed(QStringLiteral("Cannot read study file %1: %2").arg(path, file.errorString()));
    if (result.bytes.size() > maxBytes)
        return Failed(TooLarge(path, maxBytes));
    return result;
}

#endif

} // namespace

StudyFileBytes ReadStudyFileBytes(const QString& path, qint64 maxBytes)
{
    if (path.isEmpty())
        return Failed(QStringLiteral("Study file not found: %1").arg(path));
    try {
        return ReadBytes(path, maxBytes);
    } catch (const std::bad_alloc&) {
        return Failed(QStringLiteral("Not enough memory to read the study file %1").arg(path));
    }
}

} // namespace study
