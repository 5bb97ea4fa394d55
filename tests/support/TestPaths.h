// Where tests find real files written by other tools, and scratch folders that
// clean up after themselves.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>

namespace testsupport {

// The shared corpus of real cabinets. Absent on a user's clone: callers skip.
inline std::optional<std::filesystem::path> CorpusDir(const std::string& sub = "")
{
    const char* env = std::getenv("HALVEX_CORPUS_DIR");
    std::filesystem::path dir = env && *env ? env : HALVEX_SOURCE_DIR "/../shared/corpus";
    if (!sub.empty())
        dir /= sub;
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec))
        return std::nullopt;
    return dir;
}

// A fresh folder under the system temp folder, removed with everything in it.
class TempDir {
public:
    TempDir()
    {
        std::random_device rd;
        auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("halvex-test-" + std::to_string(rd()));
            std::error_code ec;
            if (std::filesystem::create_directory(path_, ec))
                break;
        }
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Writes bytes to a file below the folder, creating sub-folders as needed.
    std::filesystem::path Write(const std::string& name, const std::string& bytes) const
    {
        auto p = path_ / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary);
        out << bytes;
        return p;
    }

private:
    std::filesystem::path path_;
};

inline std::string ReadAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every plain file below a folder, by path relative to it, with its bytes.
inline std::map<std::string, std::string> FilesBelow(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            files[std::filesystem::relative(e.path(), folder).string()] = ReadAll(e.path());
    return files;
}

} // namespace testsupport
