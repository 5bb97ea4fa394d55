#include "platform/cab/MsPackSystem.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>
#include <memory>

namespace cab::detail {

namespace {

// Reads of a cabinet come in pairs of a few bytes of block header and a
// block of data, so read handles keep a window of the file in memory and go to
// the system once per window instead of twice per block.
constexpr std::size_t kReadWindow = 64 * 1024;

struct Handle {
    MsPackSystem* system;
    int fd;
    bool owned; // a cabinet opened for reading; the output file is the caller's
    std::string path;
    // Read handles only: where the file starts for libmspack (see viewPath),
    // the offset of the next byte it reads, and the window of the file held
    // in `window`, starting at `windowAt`; the last two count from `base`.
    off_t base = 0;
    off_t position = 0;
    off_t windowAt = 0;
    std::size_t windowSize = 0;
    std::unique_ptr<char[]> window;
};

MsPackSystem* Self(mspack_system* s) { return reinterpret_cast<MsPackSystem::Raw*>(s)->owner; }
Handle* AsHandle(mspack_file* f) { return reinterpret_cast<Handle*>(f); }

void Record(MsPackSystem* system, int err, io::Action action, const std::string& path)
{
    system->lastErrno = err;
    system->lastAction = action;
    system->lastPath = path;
}

mspack_file* Open(mspack_system* s, const char* filename, int mode)
{
    MsPackSystem* system = Self(s);
    if (mode == MSPACK_SYS_OPEN_WRITE) {
        // libmspack only ever writes the file the reader asked it to extract.
        if (std::strcmp(filename, kOutputName) != 0 || (system->outputFd < 0 && system->outputFd != kDiscardOutput)) {
            Record(system, EACCES, io::Action::CreateFile, filename);
            return nullptr;
        }
        auto* h = new (std::nothrow) Handle{system, system->outputFd, false, system->outputPath, 0, 0, 0, 0, nullptr};
        return reinterpret_cast<mspack_file*>(h);
    }
    if (mode != MSPACK_SYS_OPEN_READ) {
        Record(system, EACCES, io::Action::CreateFile, filename);
        return nullptr;
    }
    int fd = ::open(filename, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        Record(system, errno, io::Action::OpenExisting, filename);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int err = S_ISDIR(st.st_mode) ? EISDIR : (errno ? errno : EACCES);
        ::close(fd);
        Record(system, err, io::Action::OpenExisting, filename);
        return nullptr;
    }
    const off_t base = system->viewOffset != 0 && system->viewPath == filename ? system->viewOffset : 0;
    auto* h = new (std::nothrow) Handle{system, fd, true, filename, base, 0, 0, 0, nullptr};
    if (h)
        h->window.reset(new (std::nothrow) char[kReadWindow]);
    if (!h || !h->window) {
        delete h;
        ::close(fd);
        Record(system, ENOMEM, io::Action::OpenExisting, filename);
        return nullptr;
    }
    return reinterpret_cast<mspack_file*>(h);
}

void Close(mspack_file* f)
{
    Handle* h = AsHandle(f);
    if (!h)
        return;
    if (h->owned)
        ::close(h->fd);
    delete h;
}

// libmspack can hand back a handle it has already closed as null, after a
// damaged block in a set; that is a failed read, not a crash.
int Read(mspack_file* f, void* buffer, int bytes)
{
    Handle* h = AsHandle(f);
    if (!h || bytes < 0)
        return -1;
    if (!h->owned) {
        long long n = io::ReadFull(h->fd, buffer, std::size_t(bytes));
        if (n < 0) {
            Record(h->system, errno, io::Action::Read, h->path);
            return -1;
        }
        return int(n);
    }
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    const auto wanted = std::size_t(bytes);
    while (done < wanted) {
        const off_t end = h->windowAt + off_t(h->windowSize);
        if (h->position >= h->windowAt && h->position < end) {
            const std::size_t n = std::min(wanted - done, std::size_t(end - h->position));
            std::memcpy(out + done, h->window.get() + (h->position - h->windowAt), n);
            done += n;
            h->position += off_t(n);
            continue;
        }
        // A read as large as the window goes straight to the caller's buffer.
        const std::size_t rest = wanted - done;
        const bool direct = rest >= kReadWindow;
        long long n = direct ? io::ReadFullAt(h->fd, out + done, rest, h->base + h->position)
                             : io::ReadFullAt(h->fd, h->window.get(), kReadWindow, h->base + h->position);
        if (n < 0) {
            Record(h->system, errno, io::Action::Read, h->path);
            return -1;
        }
        if (direct) {
            done += std::size_t(n);
            h->position += off_t(n);
            break;
        }
        h->windowAt = h->position;
        h->windowSize = std::size_t(n);
        if (n == 0)
            break; // the end of the file
    }
    return int(done);
}

int Write(mspack_file* f, void* buffer, int bytes)
{
    Handle* h = AsHandle(f);
    if (!h || bytes < 0)
        return -1;
    int err = h->fd == kDiscardOutput ? 0 : io::WriteAll(h->fd, buffer, std::size_t(bytes));
    if (err != 0) {
        Record(h->system, err, io::Action::Write, h->path);
        return -1;
    }
    MsPackSystem* system = h->system;
    if (!h->owned && system->outputProgress) {
        system->outputWritten += std::uint64_t(bytes);
        if (!system->outputProgress(system->outputWritten)) {
            system->cancelled = true;
            return -1;
        }
    }
    return bytes;
}

int Seek(mspack_file* f, off_t offset, int mode)
{
    Handle* h = AsHandle(f);
    if (!h)
        return -1;
    int whence = mode == MSPACK_SYS_SEEK_START ? SEEK_SET
        : mode == MSPACK_SYS_SEEK_CUR          ? SEEK_CUR
                                               : SEEK_END;
    if (h->owned) {
        // Read handles keep their own offset; the window stays valid.
        off_t from = 0;
        if (whence == SEEK_CUR) {
            from = h->position;
        } else if (whence == SEEK_END) {
            struct stat st {};
            if (::fstat(h->fd, &st) != 0) {
                Record(h->system, errno, io::Action::Read, h->path);
                return -1;
            }
            from = std::max<off_t>(0, st.st_size - h->base);
        }
        // Past the file's own start, or so far on that the real offset overflows.
        const off_t limit = std::numeric_limits<off_t>::max() - h->base;
        if ((offset > 0 && from > limit - offset) || from + offset < 0) {
            Record(h->system, EINVAL, io::Action::Read, h->path);
            return -1;
        }
        h->position = from + offset;
        return 0;
    }
    if (::lseek(h->fd, offset, whence) < 0) {
        Record(h->system, errno, io::Action::Read, h->path);
        return -1;
    }
    return 0;
}

off_t Tell(mspack_file* f)
{
    Handle* h = AsHandle(f);
    if (!h)
        return -1;
    if (h->owned)
        return h->position;
    off_t at = ::lseek(h->fd, 0, SEEK_CUR);
    if (at < 0)
        Record(h->system, errno, io::Action::Read, h->path);
    return at;
}

void Message(mspack_file* f, const char* format, ...)
{
    if (!f)
        return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    AsHandle(f)->system->lastMessage = text;
}

void* Alloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void Free(void* p) { std::free(p); }
void Copy(void* src, void* dest, size_t bytes) { std::memmove(dest, src, bytes); }

} // namespace

MsPackSystem::MsPackSystem()
{
    mspack_system& base = raw_.base;
    raw_.owner = this;
    base.open = Open;
    base.close = Close;
    base.read = Read;
    base.write = Write;
    base.seek = Seek;
    base.tell = Tell;
    base.message = Message;
    base.alloc = Alloc;
    base.free = Free;
    base.copy = Copy;
    base.null_ptr = nullptr;
}

void MsPackSystem::ClearError()
{
    cancelled = false;
    outputWritten = 0;
    lastErrno = 0;
    lastPath.clear();
    lastMessage.clear();
}

} // namespace cab::detail
