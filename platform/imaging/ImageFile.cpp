#include "platform/imaging/ImageFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace imaging {

namespace {

// A thread keeps a buffer up to this size between files: a fresh one per file
// would pay for its pages every time.
constexpr std::size_t kBufferKept = std::size_t(16) << 20;

std::vector<unsigned char>& ThreadBuffer()
{
    thread_local std::vector<unsigned char> buffer;
    return buffer;
}

class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

ImageFileBytes Failure(QString text)
{
    ImageFileBytes out;
    out.error = std::move(text);
    return out;
}

QString Unreadable(const QString& path, const QString& reason)
{
    return QStringLiteral("Image file could not be read: %1 (%2)").arg(path, reason);
}

} // namespace

ImageFileBytes ReadImageFile(const QString& path, qint64 limit)
{
    const QByteArray native = QFile::encodeName(path);
    // Non-blocking, so that opening a FIFO without a writer returns at once;
    // the type is judged on the open descriptor, so a link swapped in between
    // a check and the open cannot slip past.
    FileHandle fd(::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR || path.isEmpty())
            return Failure(QStringLiteral("Image file not found: %1").arg(path));
        return Failure(Unreadable(path, SystemReason(error)));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return Failure(Unreadable(path, SystemReason(errno)));
    if (S_ISDIR(st.st_mode))
        return Failure(Unreadable(path, QStringLiteral("a folder, not a file")));
    if (!S_ISREG(st.st_mode))
        return Failure(Unreadable(path, QStringLiteral("not a regular file")));
    if (st.st_size > kMaxImageFileBytes)
        return Failure(QStringLiteral("Image file is too large to read: %1 (%2 bytes)")
                           .arg(path)
                           .arg(qint64(st.st_size)));

    ImageFileBytes out;
    out.sizeOnDisk = st.st_size;
    const qint64 wanted = std::min<qint64>(st.st_size, std::max<qint64>(limit, 0));
    std::vector<unsigned char>& buffer = ThreadBuffer();
    try {
        if (buffer.size() < std::size_t(wanted) || buffer.empty())
            buffer.resize(std::max<std::size_t>(std::size_t(wanted), 1));
    } catch (const std::bad_alloc&) {
        std::vector<unsigned char>().swap(buffer);
        return Failure(QStringLiteral("Not enough memory to decode the image file: %1").arg(path));
    }
    qint64 got = 0;
    while (got < wanted) {
        const ssize_t n = ::read(fd.get(), buffer.data() + got, std::size_t(wanted - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Failure(Unreadable(path, SystemReason(errno)));
        }
        if (n == 0)
            break; // the file shrank meanwhile; the decoder judges what is there
        got += n;
    }
    out.data = buffer.data();
    out.size = got;
    return out;
}

void TrimImageFileBuffer()
{
    std::vector<unsigned char>& buffer = ThreadBuffer();
    if (buffer.capacity() > kBufferKept)
        std::vector<unsigned char>().swap(buffer);
}

} // namespace imaging
