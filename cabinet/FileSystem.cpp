#include "cabinet/FileSystem.h"

#include <filesystem>
#include <sys/stat.h>
#include <fcntl.h>

namespace tessaly::fsys {

namespace fs = std::filesystem;

std::optional<FoundFile> FindFile(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    FoundFile found;
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    found.name = fs::path(trimmed).filename().string();
    found.attributes = 0;
    if (S_ISDIR(st.st_mode))
        found.attributes |= kAttrDirectory;
    else if (!S_ISREG(st.st_mode))
        found.attributes |= kAttrSystem; // devices, pipes and sockets are no files to store
    else
        found.attributes |= kAttrArchive;
    if (!found.name.empty() && found.name.front() == '.' && found.name != "." && found.name != "..")
        found.attributes |= kAttrHidden;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        found.attributes |= kAttrReadOnly;
    return found;
}

void ForEachEntry(const std::string& folder, const std::function<void(const DirectoryEntry&)>& visit)
{
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        DirectoryEntry entry;
        entry.name = it->path().filename().string();
        std::error_code typeError;
        const bool isLink = it->is_symlink(typeError);
        const bool isFolder = it->is_directory(typeError);
        entry.isDirectory = isFolder && !isLink;
        entry.isLinkToFolder = isFolder && isLink;
        visit(entry);
    }
}

std::optional<std::time_t> DosDateTimeToTime(std::uint16_t date, std::uint16_t time)
{
    const int day = date & 0x1F;
    const int month = (date >> 5) & 0x0F;
    const int year = 1980 + (date >> 9);
    const int second = (time & 0x1F) * 2;
    const int minute = (time >> 5) & 0x3F;
    const int hour = time >> 11;
    static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > kDaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0))
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1; // the stored time is wall-clock time of its own day, summer or winter
    std::time_t result = std::mktime(&tm);
    if (result == static_cast<std::time_t>(-1))
        return std::nullopt;
    return result;
}

bool SetFileTimes(const std::string& path, std::time_t when)
{
    struct timespec times[2];
    times[0].tv_sec = when;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool SetFileAttributes(const std::string& path, std::uint32_t attributes)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    mode_t mode = st.st_mode & 07777;
    if (attributes & kAttrReadOnly)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    return mode == (st.st_mode & 07777) || ::chmod(path.c_str(), mode) == 0;
}

} // namespace tessaly::fsys
