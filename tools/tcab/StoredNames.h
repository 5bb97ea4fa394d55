// Which files `tcab create` stores and under which names: each operand under
// the path it was given (relative to its parent when it is absolute or climbs
// with ".."), folders with everything below them. Files that cannot be stored
// and names that would clash are found before anything is written.
#pragma once

#include <string>
#include <vector>

namespace tcab {

struct StoredFile {
    std::string source; // path on disk
    std::string name;   // entry name, "\" between folders
};

struct Collection {
    std::vector<StoredFile> files;
    std::vector<std::string> problems; // one sentence per file that cannot be stored, naming it
};

// Walks the operands in order; folders in the order the file system lists
// them. Links to files are stored as the file they lead to; links to
// folders are not walked (so no walk can loop) and count as problems, as do
// special files, names holding "\" (a cabinet reads it as a folder separator)
// and names longer than a cabinet holds.
Collection CollectFiles(const std::vector<std::string>& operands);

// The name an operand's own file or folder gets in the cabinet.
std::string OperandName(const std::string& operand);

// Windows compares names without regard to case: two entries whose names
// differ only so would overwrite each other on extraction. One sentence per clash.
std::vector<std::string> NameClashes(const std::vector<StoredFile>& files);

// The name folded as a case-insensitive file system compares it.
std::string FoldedName(const std::string& utf8);

} // namespace tcab
