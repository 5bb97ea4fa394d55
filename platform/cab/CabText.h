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

// How an entry name stored without the UTF-8 mark (attribute 0x80) is read.
// Auto: as UTF-8 when it is well-formed multi-byte UTF-8 (tools that write
// UTF-8 without the mark), else as Windows-1252. Utf8 and Windows1252 force
// one reading for every unmarked name. Marked names are always UTF-8.
enum class NameCharset { Auto, Utf8, Windows1252 };

// The name as well-formed UTF-8: ill-formed bytes read as UTF-8 become U+FFFD.
std::string DecodeEntryName(std::string_view stored, bool markedUtf8, NameCharset charset);

// "auto", "utf-8" or "cp1252" (also "utf8", "windows-1252"; any letter case)
// as a command line gives them; nothing for anything else.
std::optional<NameCharset> ParseNameCharset(std::string_view text);

// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t c);

// A byte count as people read it: "950 bytes", "1.1 MB", "2.0 GB" (powers of 1000).
std::string SizeText(unsigned long long bytes);

// A size given on a command line: a whole number of bytes, or one followed by
// K, M, G or T (powers of 1024, an optional "iB" or "B" after). Nothing for
// anything else or a value past 2^64.
std::optional<unsigned long long> ParseSizeText(std::string_view text);

} // namespace cab
