// Where the sun stands for a site, a day of the year and a clock time: the
// usual declination, equation-of-time and hour-angle formulas (accurate to a
// fraction of a degree, plenty for placing a sunlit patch).
#pragma once

namespace samplestudy {

struct SunPosition {
    double altitude = 0; // degrees above the horizon; negative at night
    double azimuth = 0;  // degrees clockwise from north
    double declination = 0;     // degrees
    double equationOfTime = 0;  // minutes
    double hourAngle = 0;       // degrees, negative before solar noon
};

// latitude: degrees north; longitude: degrees east (west negative);
// dayOfYear: 1 = 1 January; standardHours: local standard time in hours
// (clock time minus one hour while daylight saving applies); timeZoneHours:
// the zone's offset from UTC in hours (-5 for US Eastern).
SunPosition SolarPosition(double latitude, double longitude, int dayOfYear, double standardHours,
                          double timeZoneHours);

} // namespace samplestudy
