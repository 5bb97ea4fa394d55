// The file operations the system's cabinet API calls back for, over Win32
// handles carried as INT_PTR, with the _open/_read/_write/_lseek conventions
// it expects: -1 for a failed open, read, write or seek, and the system's
// error code beside it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace fcifdi::windows {

// `oflag` is made of _O_RDONLY, _O_WRONLY or _O_RDWR with _O_CREAT, _O_TRUNC
// and _O_EXCL; `attributes` are those of a file it creates.
INT_PTR OpenFile(const std::wstring& path, int oflag, DWORD attributes, int* error);
UINT ReadFile(INT_PTR file, void* buffer, UINT size, int* error);
UINT WriteFile(INT_PTR file, const void* buffer, UINT size, int* error);
int CloseFile(INT_PTR file, int* error);
// `origin` is SEEK_SET, SEEK_CUR or SEEK_END; the new position, or -1.
long SeekFile(INT_PTR file, long distance, int origin, int* error);

// Which file a path leads to (volume and file index), or nothing when it
// leads nowhere; a link is taken as itself, not as what it leads to.
struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> IdentityOf(const std::wstring& path);

// The system's own words for an error code ("Access is denied"), UTF-8.
std::string SystemReason(DWORD code);

// "'path'", and "'path': reason" for failure details.
std::string QuotedPath(const std::wstring& path);
std::string PathReason(const std::wstring& path, DWORD code);

// `folder` and every folder above it, made where missing; false with the
// system's error when one cannot be made.
bool MakeFolders(const std::wstring& folder, DWORD* error);

// The folder part of a path with its final "\", or "" for a bare name.
std::wstring FolderOf(const std::wstring& path);

// A name for a temporary file in `folder` that nothing else uses: hidden,
// dotted and stamped with this process, so a stray one is recognisably ours.
std::wstring TemporaryName(const std::wstring& folder, const wchar_t* kind);

} // namespace fcifdi::windows
