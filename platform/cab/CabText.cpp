#include "platform/cab/CabText.h"

#include <cstdint>
#include <cstdio>

namespace cab {

namespace {

constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};


// Length of the well-formed sequence starting at `i`, or 0 when it is not one.
std::size_t SequenceLength(std::string_view s, std::size_t i)
{
    auto b = [&](std::size_t k) { return std::uint8_t(s[k]); };
    std::uint8_t lead = b(i);
    if (lead < 0x80)
        return 1;
    std::size_t len;
    std::uint8_t lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        len = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        len = 3;
        if (lead == 0xE0)
            lo = 0xA0; // overlong below U+0800
        if (lead == 0xED)
            hi = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        len = 4;
        if (lead == 0xF0)
            lo = 0x90; // overlong below U+10000
        if (lead == 0xF4)
            hi = 0x8F; // above U+10FFFF
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    if (b(i + 1) < lo || b(i + 1) > hi)
        return 0;
    for (std::size_t k = 2; k < len; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF)
            return 0;
    return len;
}

} // namespace

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string Windows1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        auto c = std::uint8_t(ch);
        if (c >= 0x80 && c < 0xA0)
            AppendUtf8(out, kCp1252High[c - 0x80]);
        else
            AppendUtf8(out, c);
    }
    return out;
}

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = SequenceLength(text, i);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

std::string SanitizeUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = SequenceLength(text, i);
        if (len == 0) {
            AppendUtf8(out, 0xFFFD);
            ++i;
        } else {
            out.append(text.substr(i, len));
            i += len;
        }
    }
    return out;
}

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (std::uint8_t(c) >= 0x80)
            return false;
    return true;
}

std::string DecodeEntryName(std::string_view stored, bool markedUtf8, NameCharset charset)
{
    bool utf8 = markedUtf8 || charset == NameCharset::Utf8;
    // Windows-1252 text almost never forms multi-byte UTF-8 by chance.
    if (!utf8 && charset == NameCharset::Auto)
        utf8 = !IsAscii(stored) && IsValidUtf8(stored);
    return utf8 ? SanitizeUtf8(stored) : Windows1252ToUtf8(stored);
}

std::optional<NameCharset> ParseNameCharset(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    if (lower == "auto")
        return NameCharset::Auto;
    if (lower == "utf-8" || lower == "utf8")
        return NameCharset::Utf8;
    if (lower == "cp1252" || lower == "windows-1252")
        return NameCharset::Windows1252;
    return std::nullopt;
}

std::string SizeText(unsigned long long bytes)
{
    if (bytes < 1000)
        return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    const char* units[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
    double value = double(bytes) / 1000.0;
    int unit = 0;
    while (value >= 999.95 && unit < 5) {
        value /= 1000.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

std::optional<unsigned long long> ParseSizeText(std::string_view text)
{
    unsigned long long value = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const unsigned digit = unsigned(text[i] - '0');
        if (value > (~0ull - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (i == 0)
        return std::nullopt;
    std::string_view unit = text.substr(i);
    int shift = 0;
    if (!unit.empty()) {
        switch (unit[0]) {
        case 'k': case 'K': shift = 10; break;
        case 'm': case 'M': shift = 20; break;
        case 'g': case 'G': shift = 30; break;
        case 't': case 'T': shift = 40; break;
        case 'b': case 'B': break;
        default: return std::nullopt;
        }
        std::string_view rest = unit.substr(shift == 0 ? 1 : 1);
        if (shift == 0 && !rest.empty())
            return std::nullopt;
        if (!rest.empty() && rest != "B" && rest != "iB")
            return std::nullopt;
    }
    if (shift > 0 && value > (~0ull >> shift))
        return std::nullopt;
    return value << shift;
}

} // namespace cab
