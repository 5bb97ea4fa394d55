// File-system plumbing shared by the cabinet reader and writer: errno to
// Windows error codes, whole reads and writes, and temporary files that sit
// beside their target until they are renamed over it.
#pragma once

#include "platform/cab/CabError.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace cab::io {

// What was being done when errno was set; it decides between look-alike codes
// (a missing file against a missing folder, a read fault against a write fault).
enum class Action { OpenExisting, CreateFile, Read, Write };

std::uint32_t CodeFromErrno(int err, Action action, const std::string& path);
CabError ErrorFromErrno(int err, Action action, const std::string& path, const std::string& what);

// Owns a file descriptor; closes it on every way out.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(Fd&& other) noexcept : fd_(other.Release()) {}
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int Release();
    void Reset();
    // Closes and reports the errno of a failing close (0 when it went well):
    // some file systems report a failed write only here.
    int Close();

private:
    int fd_ = -1;
};

// Reads until `size` bytes or end of file; returns the count, or -1 with errno.
long long ReadFull(int fd, void* buffer, std::size_t size);
// The same from a given offset, leaving the file's own offset alone.
long long ReadFullAt(int fd, void* buffer, std::size_t size, off_t at);
// Writes everything; returns 0, or the errno of the failure.
int WriteAll(int fd, const void* data, std::size_t size);

// The folder part of `path` ("." when it has none).
std::string ParentFolder(const std::string& path);

// Which file a path leads to, whatever its name: device and inode.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId&) const = default;
    auto operator<=>(const FileId&) const = default;
};
inline FileId IdOf(const struct stat& st) { return FileId{st.st_dev, st.st_ino}; }

// "a file", "a folder", "a FIFO (named pipe)", "a character device", ...
std::string FileKindText(mode_t mode);

// An existing file opened for reading. Only regular files are taken: a FIFO,
// device or socket is refused without being read or waited on (the open does
// not block), so /dev/zero or a pipe named as input cannot hang or flood the
// reader. kErrorAccessDenied for a folder or any other kind of file, with a
// text that names the file and its kind; `what` ("cabinet", or "") goes into
// the texts of failing opens and reads.
struct OpenedFile {
    Fd fd;
    struct stat st {};
    CabError error;
};
OpenedFile OpenRegularFile(const std::string& path, const std::string& what);

// Temporary files carry our prefix and the writing process's id in their
// name (".~cab.<pid>.<random><suffix>"), so that the temporaries a killed
// process left behind can be told from the live ones of a running process.
inline constexpr const char* kTempPrefix = ".~cab.";
// Removes the temporaries left in the open folder by processes that no longer
// run. Each folder is swept once per process, on its first temporary.
void SweepStaleTemporaries(int folderFd);

// A new, empty file beside `target` (or in the open folder `folderFd`) with a
// name as above ending in `suffix`, created with the usual permissions. On
// failure `fd` is empty and `error` says why.
struct TempFile {
    Fd fd;
    std::string path; // beside the target: the full path; in a folder: the name in it
    CabError error;
};
TempFile CreateTempBeside(const std::string& target, const std::string& suffix);
TempFile CreateTempIn(int folderFd, const std::string& folderForMessages, const std::string& suffix);

// Bytes the file system holding `path` (or the nearest folder above it that
// exists) still gives an unprivileged writer; nothing when it cannot be told.
std::optional<std::uint64_t> FreeBytesAt(const std::string& path);

// Removes a file if it is there; errors are of no interest to a clean-up.
void RemoveQuietly(const std::string& path);

} // namespace cab::io
