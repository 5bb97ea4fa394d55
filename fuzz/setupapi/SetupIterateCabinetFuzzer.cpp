// libFuzzer target for the cabinet walk: each input is written out as a
// cabinet and walked with a callback that extracts most files, skips some and
// stops early on others, so every path through the walk meets broken input.
#include "platform/setupapi/SetupIterateCabinet.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

using namespace setupapi;
namespace fs = std::filesystem;

// Files claiming more than this are skipped: a few bytes of cabinet can
// announce gigabytes of output.
constexpr DWORD kLargestExtracted = 1 << 20;
constexpr int kMostFiles = 64;

struct Walk {
    fs::path folder;
    int files = 0;
    std::size_t nameBytes = 0;
};

UINT Callback(void* context, UINT notification, UINT_PTR param1, UINT_PTR param2)
{
    auto& walk = *static_cast<Walk*>(context);
    switch (notification) {
    case SPFILENOTIFY_CABINETINFO: {
        const auto& info = *reinterpret_cast<const CABINET_INFO_A*>(param1);
        walk.nameBytes += std::strlen(info.CabinetPath) + std::strlen(info.CabinetFile);
        return NO_ERROR;
    }
    case SPFILENOTIFY_FILEINCABINET: {
        auto& info = *reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
        walk.nameBytes += std::strlen(info.NameInCabinet) + std::strlen(reinterpret_cast<const char*>(param2));
        const int index = walk.files++;
        if (index >= kMostFiles)
            return FILEOP_ABORT;
        if (index % 5 == 3 || info.FileSize > kLargestExtracted)
            return FILEOP_SKIP;
        if (index % 7 == 6) {
            info.Win32Error = 13;
            return FILEOP_ABORT;
        }
        const std::string target = (walk.folder / ("f" + std::to_string(index))).string();
        std::memcpy(info.FullTargetName, target.c_str(), target.size() + 1);
        return FILEOP_DOIT;
    }
    case SPFILENOTIFY_FILEEXTRACTED: {
        const auto& paths = *reinterpret_cast<const FILEPATHS_A*>(param1);
        walk.nameBytes += std::strlen(paths.Target) + std::strlen(paths.Source);
        // Go on after a damaged file every other time, to reach the files behind it.
        return walk.files % 2 ? paths.Win32Error : NO_ERROR;
    }
    default:
        return NO_ERROR;
    }
}

const fs::path& Scratch()
{
    static const fs::path scratch = [] {
        fs::path dir = fs::temp_directory_path() / ("fuzz-setupapi-" + std::to_string(::getpid()));
        fs::create_directories(dir / "out");
        return dir;
    }();
    return scratch;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path cabinet = Scratch() / "input.cab";
    {
        std::ofstream out(cabinet, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    Walk walk{Scratch() / "out"};
    const int result = SetupIterateCabinetA(cabinet.c_str(), 0, &Callback, &walk);
    if (!result && GetLastError() == NO_ERROR)
        __builtin_trap(); // a failed walk always says why

    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(walk.folder, ec))
        fs::remove_all(entry.path(), ec);
    return 0;
}
