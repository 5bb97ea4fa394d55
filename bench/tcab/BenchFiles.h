// The benchmark's input: a folder tree of mixed files (text, random bytes,
// structured records, zero runs) of a chosen total size, the same every run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

struct MixedTree {
    std::vector<std::string> files; // relative paths, "/" separated
    std::uint64_t bytes = 0;
};

MixedTree WriteMixedTree(const std::filesystem::path& root, std::uint64_t totalBytes);

} // namespace bench
