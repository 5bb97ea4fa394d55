#include "platform/cab/CabIo.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>
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

std::string FileKindText(mode_t mode)
{
    if (S_ISREG(mode))
        return "a file";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe)";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISLNK(mode))
        return "a symbolic link";
    return "a special file";
}

OpenedFile OpenRegularFile(const std::string& path, const std::string& what)
{
    OpenedFile opened;
    // Non-blocking, so a FIFO cannot hold the open; regular files read the same either way.
    opened.fd = Fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!opened.fd) {
        opened.error = ErrorFromErrno(errno, Action::OpenExisting, path, what.empty() ? "cannot open" : "cannot open " + what);
        return opened;
    }
    if (::fstat(opened.fd.Get(), &opened.st) != 0) {
        opened.error = ErrorFromErrno(errno, Action::Read, path, what.empty() ? "cannot read" : "cannot read " + what);
        opened.fd.Reset();
        return opened;
    }
    if (!S_ISREG(opened.st.st_mode)) {
        opened.error = CabError{kErrorAccessDenied, "'" + path + "' is " + FileKindText(opened.st.st_mode)
                                                        + ", not a regular file"};
        opened.fd.Reset();
    }
    return opened;
}

namespace {

std::string RandomTempName(const std::string& suffix)
{
    static std::mutex mutex;
    static std::mt19937_64 random = [] {
        std::random_device device;
        return std::mt19937_64((std::uint64_t(device()) << 32) ^ device() ^ std::uint64_t(::getpid()));
    }();
    std::uint64_t bits = 0;
    {
        std::lock_guard lock(mutex);
        bits = random();
    }
    char name[64];
    std::snprintf(name, sizeof name, "%s%ld.%012llx", kTempPrefix, long(::getpid()),
                  (unsigned long long)(bits & 0xFFFFFFFFFFFFull));
    return name + suffix;
}

// The process id in one of our temporary names, or 0 when the name is not one.
pid_t WriterOf(const char* name)
{
    const std::size_t prefix = std::strlen(kTempPrefix);
    if (std::strncmp(name, kTempPrefix, prefix) != 0)
        return 0;
    char* end = nullptr;
    const long pid = std::strtol(name + prefix, &end, 10);
    if (end == name + prefix || *end != '.' || pid <= 0)
        return 0;
    const std::string rest = end;
    for (const char* suffix : {".spool", ".tmp", ".part"})
        if (rest.size() > std::strlen(suffix) && rest.compare(rest.size() - std::strlen(suffix), std::string::npos, suffix) == 0)
            return pid_t(pid);
    return 0;
}

bool ProcessIsGone(pid_t pid)
{
    return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

void SweepStaleTemporaries(int folderFd)
{
    struct stat folder {};
    if (::fstat(folderFd, &folder) != 0)
        return;
    static std::mutex mutex;
    static std::set<FileId> swept;
    {
        std::lock_guard lock(mutex);
        // A folder swept twice costs one listing; a record of every folder
        // ever written to would grow without end in a long-running program.
        if (swept.size() >= 1024)
            swept.clear();
        if (!swept.insert(IdOf(folder)).second)
            return;
    }
    const int listing = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return;
    }
    while (dirent* e = ::readdir(dir)) {
        const pid_t writer = WriterOf(e->d_name);
        if (writer == 0 || !ProcessIsGone(writer))
            continue;
        struct stat st {};
        if (::fstatat(folderFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(folderFd, e->d_name, 0);
    }
    ::closedir(dir);
}

TempFile CreateTempIn(int folderFd, const std::string& folderForMessages, const std::string& suffix)
{
    TempFile temp;
    SweepStaleTemporaries(folderFd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = RandomTempName(suffix);
        int fd = ::openat(folderFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            temp.fd = Fd(fd);
            temp.path = std::move(name);
            return temp;
        }
        if (errno != EEXIST) {
            temp.error = ErrorFromErrno(errno, Action::CreateFile, folderForMessages, "cannot create a file in");
            return temp;
        }
    }
    temp.error = CabError{kErrorWriteFault, "cannot find a free temporary name in '" + folderForMessages + "'"};
    return temp;
}

TempFile CreateTempBeside(const std::string& target, const std::string& suffix)
{
    const std::string folder = ParentFolder(target);
    Fd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd) {
        TempFile temp;
        temp.error = ErrorFromErrno(errno, Action::CreateFile, target, "cannot create a file beside");
        return temp;
    }
    TempFile temp = CreateTempIn(folderFd.Get(), folder, suffix);
    if (!temp.error)
        temp.path = folder + "/" + temp.path;
    return temp;
}

std::optional<std::uint64_t> FreeBytesAt(const std::string& path)
{
    std::string at = path.empty() ? "." : path;
    for (int depth = 0; depth < 4096; ++depth) {
        struct statvfs fs {};
        if (::statvfs(at.c_str(), &fs) == 0)
            return std::uint64_t(fs.f_bavail) * std::uint64_t(fs.f_frsize);
        if (errno != ENOENT && errno != ENOTDIR)
            return std::nullopt;
        const std::string parent = ParentFolder(at);
        if (parent == at)
            return std::nullopt;
        at = parent;
    }
    return std::nullopt;
}

void RemoveQuietly(const std::string& path)
{
    if (!path.empty())
        ::unlink(path.c_str());
}

} // namespace cab::io
