#include "platform/cab/CabIo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace cab::io {

namespace {

bool FolderExists(const std::string& path)
{
    struct stat st {};
    return ::stat(ParentFolder(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

std::uint32_t CodeFromErrno(int err, Action action, const std::string& path)
{
    switch (err) {
    case ENOENT:
        // Windows tells a missing file from a missing folder; so do we.
        if (action == Action::OpenExisting && FolderExists(path))
            return kErrorFileNotFound;
        return kErrorPathNotFound;
    case ENOTDIR:
    case ELOOP:
        return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
        return kErrorAccessDenied;
    case EROFS:
        return kErrorWriteProtect;
    case ENOSPC:
        return kErrorDiskFull;
#ifdef EDQUOT
    case EDQUOT:
        return kErrorHandleDiskFull;
#endif
    case EFBIG:
        return kErrorFileTooLarge;
    case ENAMETOOLONG:
        return kErrorNameTooLong;
    case EMFILE:
    case ENFILE:
        return kErrorTooManyOpenFiles;
    case ENOMEM:
        return kErrorNotEnoughMemory;
    case EBUSY:
    case ETXTBSY:
        return kErrorSharingViolation;
    case EILSEQ:
    case EINVAL:
        if (action == Action::CreateFile)
            return kErrorInvalidName;
        break;
    default:
        break;
    }
    return action == Action::Read || action == Action::OpenExisting ? kErrorReadFault
                                                                    : kErrorWriteFault;
}

CabError ErrorFromErrno(int err, Action action, const std::string& path, const std::string& what)
{
    return CabError{CodeFromErrno(err, action, path),
                    what + " '" + path + "': " + std::strerror(err)};
}

Fd& Fd::operator=(Fd&& other) noexcept
{
    if (this != &other) {
        Reset();
        fd_ = other.Release();
    }
    return *this;
}

int Fd::Release()
{
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void Fd::Reset()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

int Fd::Close()
{
    if (fd_ < 0)
        return 0;
    int rc = ::close(fd_);
    fd_ = -1;
    // EINTR on close still releases the descriptor on Linux; the data is not lost.
    return rc == 0 || errno == EINTR ? 0 : errno;
}

namespace {

// Reads until `size` bytes or end of file; `readAt(p, n, done)` is one system read.
template <typename ReadOnce>
long long ReadUntilFull(void* buffer, std::size_t size, ReadOnce readAt)
{
    auto* p = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = readAt(p + done, size - done, done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return static_cast<long long>(done);
}

} // namespace

long long ReadFull(int fd, void* buffer, std::size_t size)
{
    return ReadUntilFull(buffer, size, [fd](char* p, std::size_t n, std::size_t) { return ::read(fd, p, n); });
}

long long ReadFullAt(int fd, void* buffer, std::size_t size, off_t at)
{
    return ReadUntilFull(buffer, size, [fd, at](char* p, std::size_t n, std::size_t done) {
        return ::pread(fd, p, n, at + off_t(done));
    });
}

int WriteAll(int fd, const void* data, std::size_t size)
{
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        p += n;
        size -= std::size_t(n);
    }
    return 0;
}

std::string ParentFolder(const std::string& path)
{
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

TempFile CreateTempBeside(const std::string& target, const std::string& suffix)
{
    TempFile temp;
    std::string folder = ParentFolder(target);
    std::random_device device;
    std::mt19937_64 random((std::uint64_t(device()) << 32) ^ device() ^ std::uint64_t(::getpid()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".~cab%012llx", (unsigned long long)(random() & 0xFFFFFFFFFFFFull));
        std::string path = folder + "/" + name + suffix;
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            temp.fd = Fd(fd);
            temp.path = std::move(path);
            return temp;
        }
        if (errno != EEXIST) {
            temp.error = ErrorFromErrno(errno, Action::CreateFile, target, "cannot create a file beside");
            return temp;
        }
    }
    temp.error = CabError{kErrorWriteFault, "cannot find a free temporary name beside '" + target + "'"};
    return temp;
}

void RemoveQuietly(const std::string& path)
{
    if (!path.empty())
        ::unlink(path.c_str());
}

} // namespace cab::io
