// The free space an extraction checks before it writes, on Windows: what the
// volume still gives the calling user (quotas included).
#include "platform/cab/CabIo.h"

#include "platform/windows/Utf16.h"

#include <windows.h>

namespace cab::io {

std::optional<std::uint64_t> FreeBytesAt(const std::string& path)
{
    std::wstring folder = win::WidePath(path.empty() ? "." : path);
    // The nearest folder that exists answers for a destination not yet made.
    for (;;) {
        ULARGE_INTEGER available{};
        if (GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr))
            return available.QuadPart;
        const std::size_t cut = folder.find_last_of(L'\\');
        if (cut == std::wstring::npos || cut == 0 || folder[cut - 1] == L':')
            return std::nullopt;
        folder.resize(cut);
    }
}

} // namespace cab::io
