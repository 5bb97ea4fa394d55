#include "platform/cab/CabDosTime.h"

namespace cab {

DosDateTime DosDateTimeFromTime(std::time_t moment)
{
    std::tm tm {};
    if (!localtime_r(&moment, &tm) || tm.tm_year < 80)
        return DosDateTime{std::uint16_t((1 << 5) | 1), 0};
    if (tm.tm_year > 80 + 127)
        return DosDateTime{std::uint16_t((127 << 9) | (12 << 5) | 31),
                           std::uint16_t((23 << 11) | (59 << 5) | 29)};
    DosDateTime dos;
    dos.date = std::uint16_t(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    // A leap second reads as :59.
    int seconds = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    dos.time = std::uint16_t((tm.tm_hour << 11) | (tm.tm_min << 5) | (seconds / 2));
    return dos;
}

std::optional<std::time_t> TimeFromDosDateTime(std::uint16_t dosDate, std::uint16_t dosTime)
{
    std::tm tm {};
    tm.tm_year = 80 + (dosDate >> 9);
    tm.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
    tm.tm_mday = dosDate & 0x1F;
    tm.tm_hour = dosTime >> 11;
    tm.tm_min = (dosTime >> 5) & 0x3F;
    tm.tm_sec = (dosTime & 0x1F) * 2;
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_hour > 23 || tm.tm_min > 59
        || tm.tm_sec > 59)
        return std::nullopt;
    tm.tm_isdst = -1;
    std::time_t moment = std::mktime(&tm);
    if (moment == std::time_t(-1))
        return std::nullopt;
    return moment;
}

} // namespace cab
