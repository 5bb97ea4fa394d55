// Text of cabinet entry names: Windows-1252 and UTF-8 to well-formed UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace cab {

// Decodes Windows-1252 bytes; the five bytes the code page leaves undefined
// become the C1 controls of the same value, as Windows maps them.
std::string Windows1252ToUtf8(std::string_view bytes);

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or
// values above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// `text` with every ill-formed sequence replaced by U+FFFD, so a damaged name
// still prints and never smuggles a disguised separator.
std::string SanitizeUtf8(std::string_view text);

bool IsAscii(std::string_view text);

} // namespace cab
