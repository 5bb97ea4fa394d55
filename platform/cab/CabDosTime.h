// DOS date and time stamps as cabinets store them, to and from local time.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace cab {

struct DosDateTime {
    std::uint16_t date = 0; // bits 15-9 year since 1980, 8-5 month, 4-0 day
    std::uint16_t time = 0; // bits 15-11 hour, 10-5 minute, 4-0 seconds / 2
};

// The local time of `moment` as DOS fields; moments before 1980 or after 2107,
// which DOS cannot express, are clamped to the nearest it can.
DosDateTime DosDateTimeFromTime(std::time_t moment);

// The moment a DOS stamp names in local time, or nothing when its fields name
// no real date (month 0, hour 25, ...).
std::optional<std::time_t> TimeFromDosDateTime(std::uint16_t dosDate, std::uint16_t dosTime);

} // namespace cab
