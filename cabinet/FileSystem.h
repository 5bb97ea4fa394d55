// The file-system operations the cabinet objects need, in the terms they
// think in: Windows attribute bits and DOS dates and times.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace tessaly::fsys {

inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;

struct FoundFile {
    std::string name;         // the last component of the path
    std::uint32_t attributes; // hidden: a name starting with "."; system: neither a plain file nor a folder
};

// What a lookup of `path` finds (links followed), or nothing.
std::optional<FoundFile> FindFile(const std::string& path);

struct DirectoryEntry {
    std::string name;
    bool isDirectory = false;     // a real folder, to walk into
    bool isLinkToFolder = false;  // a link that leads to a folder: never walked, so no walk can loop
};

// Calls `visit` for each entry of the folder in the order the file system
// lists them; an unreadable folder lists nothing.
void ForEachEntry(const std::string& folder, const std::function<void(const DirectoryEntry&)>& visit);

// The moment a stored DOS date and time (local time) stand for, or nothing
// when they are not a valid date and time.
std::optional<std::time_t> DosDateTimeToTime(std::uint16_t date, std::uint16_t time);

// Sets the file's access and modification times. False when the file cannot be reached.
bool SetFileTimes(const std::string& path, std::time_t when);

// Applies read-only (0x01) to the file's permissions; hidden, system and
// archive have no counterpart here. False when the file cannot be reached.
bool SetFileAttributes(const std::string& path, std::uint32_t attributes);

} // namespace tessaly::fsys
