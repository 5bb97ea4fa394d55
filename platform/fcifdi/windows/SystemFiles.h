// The file operations the system's cabinet API calls back for, over Win32
// handles carried as INT_PTR, with the _open/_read/_write/_lseek conventions
// it expects: -1 for a failed open, read, write or seek, and the system's
// error code beside it.
#pragma once

#include <windows.h>

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

// Every folder on the way to `path`'s own folder, made where missing. False
// when one cannot be made (a file is in the way, no permission).
bool MakeParentFolders(const std::wstring& path);

// The folder part of a path with its final "\", or "" for a bare name.
std::wstring FolderOf(const std::wstring& path);

// A name for a temporary file in `folder` that nothing else uses: hidden,
// dotted and stamped with this process, so a stray one is recognisably ours.
std::wstring TemporaryName(const std::wstring& folder, const wchar_t* kind);

} // namespace fcifdi::windows
