// The cabinet objects' file-system operations on Windows: attributes, folder
// order and file times are the system's own (FindFirstFile, SetFileTime,
// SetFileAttributes), paths UTF-8 up to the call.
#include "cabinet/FileSystem.h"

#include "platform/windows/Utf16.h"

#include <windows.h>
// The system's header names its own function so; ours is meant below.
#undef SetFileAttributes

namespace tessaly::fsys {

namespace {

// Seconds between 1601-01-01 (FILETIME) and 1970-01-01 (time_t).
constexpr long long kEpochDifference = 11644473600LL;
constexpr long long kTicksPerSecond = 10000000LL;

class Search {
public:
    Search(const std::wstring& pattern, WIN32_FIND_DATAW& data)
        : handle_(FindFirstFileW(pattern.c_str(), &data)) {}
    ~Search()
    {
        if (found())
            FindClose(handle_);
    }
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;
    bool found() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool next(WIN32_FIND_DATAW& data) { return FindNextFileW(handle_, &data) != FALSE; }

private:
    HANDLE handle_;
};

std::wstring Trimmed(std::wstring path)
{
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

} // namespace

std::optional<FoundFile> FindFile(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    WIN32_FIND_DATAW data{};
    Search search(Trimmed(win::WidePath(path)), data);
    if (!search.found())
        return std::nullopt;
    return FoundFile{win::Utf16ToUtf8(data.cFileName), data.dwFileAttributes};
}

void ForEachEntry(const std::string& folder, const std::function<void(const DirectoryEntry&)>& visit)
{
    std::wstring pattern = win::WidePath(folder);
    if (!pattern.empty() && pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L"*.*";
    WIN32_FIND_DATAW data{};
    Search search(pattern, data);
    if (!search.found())
        return;
    do {
        DirectoryEntry entry;
        entry.name = win::Utf16ToUtf8(data.cFileName);
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // A junction or folder link is never walked into, so no walk can loop.
        const bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.isDirectory = isFolder && !isLink;
        entry.isLinkToFolder = isFolder && isLink;
        visit(entry);
    } while (search.next(data));
}

std::optional<std::time_t> DosDateTimeToTime(std::uint16_t date, std::uint16_t time)
{
    FILETIME local{};
    FILETIME universal{};
    if (!DosDateTimeToFileTime(date, time, &local) || !LocalFileTimeToFileTime(&local, &universal))
        return std::nullopt;
    const long long ticks = (static_cast<long long>(universal.dwHighDateTime) << 32) | universal.dwLowDateTime;
    return static_cast<std::time_t>(ticks / kTicksPerSecond - kEpochDifference);
}

bool SetFileTimes(const std::string& path, std::time_t when)
{
    const long long ticks = (static_cast<long long>(when) + kEpochDifference) * kTicksPerSecond;
    FILETIME stamp{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
    // Read and write access, shared for reading, the file as it is.
    HANDLE file = CreateFileW(win::WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool set = SetFileTime(file, &stamp, &stamp, &stamp) != FALSE;
    CloseHandle(file);
    return set;
}

bool SetFileAttributes(const std::string& path, std::uint32_t attributes)
{
    // The system takes 0 as "no change"; a plain file is FILE_ATTRIBUTE_NORMAL.
    return SetFileAttributesW(win::WidePath(path).c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL) != FALSE;
}

} // namespace tessaly::fsys
