#include "viewer/study/Windows1252.h"

#include <array>

namespace study {

namespace {

// Only 0x80..0x9F differ from Latin-1. The five bytes Windows-1252 leaves
// unassigned map to the C1 controls of the same value, as Windows itself does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<char16_t, 256> MakeTable()
{
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = static_cast<char16_t>(b);
    for (int b = 0; b < 32; ++b)
        table[0x80 + b] = kHighControls[b];
    return table;
}

constexpr std::array<char16_t, 256> kTable = MakeTable();

} // namespace

QString FromWindows1252(const char* bytes, qsizetype size)
{
    if (size <= 0)
        return QString();
    // One pass through the table: Latin-1 and Windows-1252 agree except on
    // 0x80..0x9F, which the table maps to their own characters.
    QString text(size, Qt::Uninitialized);
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype k = 0; k < size; ++k)
        out[k] = kTable[in[k]];
    return text;
}

} // namespace study
