#include "tools/tcab/Listing.h"

#include <cstdio>

namespace tcab {

std::string DosDateTimeText(std::uint16_t date, std::uint16_t time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980u + (date >> 9), (date >> 5) & 0x0Fu,
                  date & 0x1Fu, time >> 11, (time >> 5) & 0x3Fu, (time & 0x1Fu) * 2);
    return text;
}

std::string AttributeText(std::uint32_t attributes)
{
    std::string text = "-----";
    if (attributes & 0x01)
        text[0] = 'R';
    if (attributes & 0x02)
        text[1] = 'H';
    if (attributes & 0x04)
        text[2] = 'S';
    if (attributes & 0x20)
        text[3] = 'A';
    if (attributes & 0x40)
        text[4] = 'X';
    return text;
}

std::string ListingLine(const tessaly::clsCompressedFile& file)
{
    char size[16];
    std::snprintf(size, sizeof size, "%10u", static_cast<std::uint32_t>(file.FileSize()));
    return DosDateTimeText(static_cast<std::uint16_t>(file.FileDate()), static_cast<std::uint16_t>(file.FileTime()))
        + " " + size + "  " + AttributeText(static_cast<std::uint32_t>(file.Attribs())) + "  " + file.FileCabName();
}

} // namespace tcab
