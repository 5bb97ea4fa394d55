// Text of cabinet entry names: Windows-1252 and UTF-8 to well-formed UTF-8.
#pragma once

#include <optional>
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

// An entry's stored name as well-formed UTF-8. It is UTF-8 when the entry is
// flagged so, and also when, unflagged, it is well-formed multi-byte UTF-8:
// tools that do not set the flag write such names, and Windows-1252 text
// almost never forms those sequences by chance. Otherwise it is Windows-1252.
std::string EntryNameText(std::string_view stored, bool flaggedUtf8);

// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t c);

// A byte count as people read it: "950 bytes", "1.1 MB", "2.0 GB" (powers of 1000).
std::string SizeText(unsigned long long bytes);

// A size given on a command line: a whole number of bytes, or one followed by
// K, M, G or T (powers of 1024, an optional "iB" or "B" after). Nothing for
// anything else or a value past 2^64.
std::optional<unsigned long long> ParseSizeText(std::string_view text);

} // namespace cab
