// The ordered list of files a clsCreateCab will store, filled one file at a
// time or by walking whole directory trees. Positions count from 1.
#pragma once

#include "cabinet/clsToCompressFile.h"
#include "platform/com/ComObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessaly {

class clsToCompressFiles : public com::Object {
public:
    clsToCompressFiles();

    // Adds every file below psPath, named in the cabinet by its path relative
    // to psPath ("sub\a.txt").
    void AddDirectory(const std::string& psPath);
    // The walk behind AddDirectory: adds the files below psPath with names
    // relative to psOriginalPath.
    void AddDirectory2(const std::string& psOriginalPath, const std::string& psPath);

    // Adds one file. Missing files, directories, hidden files (names starting
    // with ".") and anything that is not a plain file are left out without an
    // error. A blank NameInCab becomes the file's own name; the second form
    // hands that name back through the caller's variable.
    void AddFile(const std::string& SourcePath, const std::string& NameInCab = "", std::int32_t CompressionType = 1);
    void AddFile(const std::string& SourcePath, std::string& NameInCab, std::int32_t CompressionType = 1);

    // Appends an entry exactly as given: none of AddFile's rules (hidden
    // files, a blank name) apply. A null entry is not added.
    void Add(std::shared_ptr<clsToCompressFile> file);

    std::int32_t Count() const;
    // The entry at a 1-based position, or null for a position that has none.
    std::shared_ptr<clsToCompressFile> Item(std::int32_t Index) const;
    // Deletes the entry at a 1-based position; other positions change nothing.
    void Remove(std::int32_t Index);

private:
    std::vector<std::shared_ptr<clsToCompressFile>> files_;
};

} // namespace tessaly
