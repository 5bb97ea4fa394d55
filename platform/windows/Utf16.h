// Text at the edge of the Windows API: the project keeps UTF-8 everywhere and
// converts to the system's UTF-16 only where it calls the system.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace win {

// Ill-formed UTF-8 becomes U+FFFD rather than failing, so a damaged name still
// reaches the call that reports it.
inline std::wstring Utf8ToUtf16(std::string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, result.data(), wide);
    return result;
}

inline std::string Utf16ToUtf8(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int narrow = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, result.data(), narrow, nullptr, nullptr);
    return result;
}

// A path for the wide file API: "/" and "\" both separate folders, the system
// prefers "\".
inline std::wstring WidePath(std::string_view path)
{
    std::wstring wide = Utf8ToUtf16(path);
    for (auto& c : wide)
        if (c == L'/')
            c = L'\\';
    return wide;
}

} // namespace win
