#include "cabinet/clsToCompressFiles.h"

#include "cabinet/FileSystem.h"
#include "cabinet/basCabUtil.h"

#include <algorithm>
#include <limits>

namespace tessaly {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

clsToCompressFile::clsToCompressFile() : com::Object(CabinetModule()) {}
clsToCompressFiles::clsToCompressFiles() : com::Object(CabinetModule()) {}

void clsToCompressFiles::AddDirectory(const std::string& psPath)
{
    AddDirectory2(psPath, psPath);
}

void clsToCompressFiles::AddDirectory2(const std::string& psOriginalPath, const std::string& psPath)
{
    const std::string folder = AppendBackslash(psPath);
    // Entry names are relative to the root; a root given with a trailing
    // separator must not cost each name its first character.
    std::size_t rootLength = psOriginalPath.size();
    while (rootLength > 0 && IsSeparator(psOriginalPath[rootLength - 1]))
        --rootLength;

    fsys::ForEachEntry(NativePath(folder), [&](const fsys::DirectoryEntry& entry) {
        const std::string name = TrimAtNull(entry.name);
        if (name.empty() || name == "." || name == "..")
            return;
        const std::string full = folder + name;
        if (entry.isDirectory) {
            AddDirectory2(psOriginalPath, full);
        } else if (!entry.isLinkToFolder) {
            const std::string relative = full.size() > rootLength + 1 ? full.substr(rootLength + 1) : name;
            AddFile(full, relative, 1);
        }
    });
}

void clsToCompressFiles::AddFile(const std::string& SourcePath, const std::string& NameInCab,
                                 std::int32_t CompressionType)
{
    std::string name = NameInCab;
    AddFile(SourcePath, name, CompressionType);
}

void clsToCompressFiles::AddFile(const std::string& SourcePath, std::string& NameInCab, std::int32_t CompressionType)
{
    try {
        const auto found = fsys::FindFile(NativePath(SourcePath));
        if (!found)
            return;
        if (found->attributes & (fsys::kAttrDirectory | fsys::kAttrHidden | fsys::kAttrSystem))
            return;
        if (Trimmed(NameInCab).empty())
            NameInCab = TrimAtNull(found->name);
        if (CompressionType < std::numeric_limits<std::int16_t>::min()
            || CompressionType > std::numeric_limits<std::int16_t>::max())
            return; // does not fit the entry's 16-bit field: nothing is added
        auto file = std::make_shared<clsToCompressFile>();
        file->NameInCab(NameInCab);
        file->SourcePath(SourcePath);
        file->CompressionType(static_cast<std::int16_t>(CompressionType));
        files_.push_back(std::move(file));
    } catch (...) {
        // Adding is best effort: a file that cannot be looked at is left out.
    }
}

void clsToCompressFiles::Add(std::shared_ptr<clsToCompressFile> file)
{
    if (file)
        files_.push_back(std::move(file));
}

std::int32_t clsToCompressFiles::Count() const
{
    return static_cast<std::int32_t>(files_.size());
}

std::shared_ptr<clsToCompressFile> clsToCompressFiles::Item(std::int32_t Index) const
{
    if (Index < 1 || static_cast<std::size_t>(Index) > files_.size())
        return nullptr;
    return files_[static_cast<std::size_t>(Index) - 1];
}

void clsToCompressFiles::Remove(std::int32_t Index)
{
    if (Index < 1 || static_cast<std::size_t>(Index) > files_.size())
        return;
    files_.erase(files_.begin() + (Index - 1));
}

} // namespace tessaly
