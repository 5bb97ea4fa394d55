// libFuzzer target for the cabinet reader: open, list, check and extract every
// entry of any byte string, checking that no entry is placed out of its folder.
#include "platform/cab/CabReader.h"
#include "platform/cab/TargetFolder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// Entries claiming more than this are listed but not extracted, so one input
// cannot fill the disk.
constexpr std::uint32_t kMaxEntryBytes = 4u << 20;
constexpr std::uint64_t kMaxInputBytes = 16u << 20;

const std::filesystem::path& WorkFolder()
{
    static const std::filesystem::path folder = [] {
        std::error_code ec;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
            ? std::filesystem::path("/dev/shm")
            : std::filesystem::temp_directory_path();
        auto p = base / ("halvex-fuzz-cab-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p / "out");
        std::atexit([] { std::error_code ignored; std::filesystem::remove_all(WorkFolder(), ignored); });
        return p;
    }();
    return folder;
}

bool StaysInside(const std::string& folder, const std::string& path)
{
    if (path.compare(0, folder.size() + 1, folder + "/") != 0)
        return false;
    std::string rest = "/" + path.substr(folder.size() + 1) + "/";
    return rest.find("/../") == std::string::npos && rest.find("/./") == std::string::npos
        && rest.find("//") == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInputBytes)
        return 0;
    const std::filesystem::path& work = WorkFolder();
    const std::string cabinet = (work / "input.cab").string();
    const std::string out = (work / "out").string();
    {
        std::ofstream file(cabinet, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }

    cab::CabReader reader;
    cab::TargetFolder folder;
    if (!reader.Open(cabinet) && !folder.Open(out)) {
        const auto& entries = reader.Entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].size > kMaxEntryBytes)
                continue;
            // Odd entries are only checked, even ones written where they are placed.
            if (i % 2 == 1) {
                reader.Verify(i);
                continue;
            }
            const cab::Target target = folder.Place(entries[i].name);
            if (target.error)
                continue;
            if (!StaysInside(out, target.path))
                std::abort();
            reader.Extract(i, target);
        }
    }
    reader.Close();

    std::error_code ec;
    std::filesystem::remove_all(out, ec);
    std::filesystem::create_directory(out, ec);
    // Nothing but the input and the output folder may be left in the work folder.
    for (const auto& item : std::filesystem::directory_iterator(work, ec))
        if (item.path().filename() != "input.cab" && item.path().filename() != "out")
            std::abort();
    return 0;
}
