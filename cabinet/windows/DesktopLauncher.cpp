// Opening a file the way the desktop would: with the program associated with
// its type ("open" through the shell).
#include "cabinet/clsExtractCab.h"

#include "platform/windows/Utf16.h"

#include <windows.h>
#include <shellapi.h>

namespace tessaly {

void OpenWithDesktop(const std::string& path)
{
    ShellExecuteW(GetDesktopWindow(), L"Open", win::WidePath(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace tessaly
