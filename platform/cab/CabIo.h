// File-system plumbing shared by the cabinet reader and writer: errno to
// Windows error codes, whole reads and writes, and temporary files that sit
// beside their target until they are renamed over it.
#pragma once

#include "platform/cab/CabError.h"

#include <cstddef>
#include <cstdint>
#include <string>
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

// A new, empty file beside `target` with a random name ending in `suffix`,
// created with the usual permissions. On failure `fd` is empty and `error` says why.
struct TempFile {
    Fd fd;
    std::string path;
    CabError error;
};
TempFile CreateTempBeside(const std::string& target, const std::string& suffix);

// Removes a file if it is there; errors are of no interest to a clean-up.
void RemoveQuietly(const std::string& path);

} // namespace cab::io
