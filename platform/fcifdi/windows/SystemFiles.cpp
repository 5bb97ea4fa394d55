#include "platform/fcifdi/windows/SystemFiles.h"

#include "platform/windows/Utf16.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>

namespace fcifdi::windows {

namespace {

HANDLE AsHandle(INT_PTR file) { return reinterpret_cast<HANDLE>(file); }

int LastError() { return static_cast<int>(GetLastError()); }

} // namespace

INT_PTR OpenFile(const std::wstring& path, int oflag, DWORD attributes, int* error)
{
    DWORD access = GENERIC_READ;
    if (oflag & _O_WRONLY)
        access = GENERIC_WRITE;
    else if (oflag & _O_RDWR)
        access = GENERIC_READ | GENERIC_WRITE;

    DWORD disposition = OPEN_EXISTING;
    if ((oflag & _O_CREAT) && (oflag & _O_EXCL))
        disposition = CREATE_NEW;
    else if ((oflag & _O_CREAT) && (oflag & _O_TRUNC))
        disposition = CREATE_ALWAYS;
    else if (oflag & _O_CREAT)
        disposition = OPEN_ALWAYS;
    else if (oflag & _O_TRUNC)
        disposition = TRUNCATE_EXISTING;

    // Readers share with other readers only, so nobody changes a cabinet
    // under a walk; a file being written is ours alone.
    const DWORD share = access == GENERIC_READ ? FILE_SHARE_READ : 0;
    HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                (attributes ? attributes : FILE_ATTRIBUTE_NORMAL) | FILE_FLAG_SEQUENTIAL_SCAN,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (error)
            *error = LastError();
        return -1;
    }
    return reinterpret_cast<INT_PTR>(handle);
}

UINT ReadFile(INT_PTR file, void* buffer, UINT size, int* error)
{
    DWORD done = 0;
    if (!::ReadFile(AsHandle(file), buffer, size, &done, nullptr)) {
        if (error)
            *error = LastError();
        return static_cast<UINT>(-1);
    }
    return done;
}

UINT WriteFile(INT_PTR file, const void* buffer, UINT size, int* error)
{
    DWORD done = 0;
    if (!::WriteFile(AsHandle(file), buffer, size, &done, nullptr)) {
        if (error)
            *error = LastError();
        return static_cast<UINT>(-1);
    }
    return done;
}

int CloseFile(INT_PTR file, int* error)
{
    if (!CloseHandle(AsHandle(file))) {
        if (error)
            *error = LastError();
        return -1;
    }
    return 0;
}

long SeekFile(INT_PTR file, long distance, int origin, int* error)
{
    DWORD method = FILE_BEGIN;
    if (origin == SEEK_CUR)
        method = FILE_CURRENT;
    else if (origin == SEEK_END)
        method = FILE_END;
    LARGE_INTEGER move;
    move.QuadPart = distance;
    LARGE_INTEGER position;
    // The cabinet format's offsets are 32-bit: a position beyond that is an error here.
    if (!SetFilePointerEx(AsHandle(file), move, &position, method) || position.QuadPart > 0x7FFFFFFF) {
        if (error)
            *error = LastError();
        return -1;
    }
    return static_cast<long>(position.QuadPart);
}

std::optional<FileIdentity> IdentityOf(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!known)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

std::string SystemReason(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = length ? std::wstring(text, length) : L"system error " + std::to_wstring(code);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L'.'
                               || reason.back() == L' '))
        reason.pop_back();
    return win::Utf16ToUtf8(reason);
}

bool MakeFolders(const std::wstring& folder, DWORD* error)
{
    std::wstring path = folder;
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return true;
        *error = ERROR_DIRECTORY;
        return false;
    }
    const std::size_t cut = path.find_last_of(L'\\');
    if (cut != std::wstring::npos && cut > 0 && path[cut - 1] != L':' && !MakeFolders(path.substr(0, cut), error))
        return false;
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        *error = GetLastError();
        return false;
    }
    return true;
}

std::string QuotedPath(const std::wstring& path)
{
    std::string text = "'";
    text += win::Utf16ToUtf8(path);
    text += '\'';
    return text;
}

std::string PathReason(const std::wstring& path, DWORD code)
{
    std::string text = QuotedPath(path);
    text += ": ";
    text += SystemReason(code);
    return text;
}

std::wstring FolderOf(const std::wstring& path)
{
    const std::size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

std::wstring TemporaryName(const std::wstring& folder, const wchar_t* kind)
{
    static std::atomic<unsigned> counter{0};
    wchar_t name[64];
    std::swprintf(name, 64, L".~cab%lu-%u.%ls", GetCurrentProcessId(), counter.fetch_add(1) + 1, kind);
    return folder + name;
}

} // namespace fcifdi::windows
