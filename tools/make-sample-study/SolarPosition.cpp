#include "tools/make-sample-study/SolarPosition.h"

#include <algorithm>
#include <cmath>

namespace samplestudy {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
} // namespace

SunPosition SolarPosition(double latitude, double longitude, int dayOfYear, double standardHours,
                          double timeZoneHours)
{
    SunPosition sun;
    // Fractional year in radians (Spencer's Fourier series use it).
    const double g = 2.0 * kPi / 365.0 * (dayOfYear - 1 + (standardHours - 12.0) / 24.0);

    sun.equationOfTime = 229.18 * (0.000075 + 0.001868 * std::cos(g) - 0.032077 * std::sin(g) -
                                   0.014615 * std::cos(2 * g) - 0.040849 * std::sin(2 * g));
    const double declination = 0.006918 - 0.399912 * std::cos(g) + 0.070257 * std::sin(g) -
                               0.006758 * std::cos(2 * g) + 0.000907 * std::sin(2 * g) -
                               0.002697 * std::cos(3 * g) + 0.00148 * std::sin(3 * g);
    sun.declination = declination / kDeg;

    // True solar time in minutes: the clock corrected for the site's distance
    // from its zone's meridian and for the equation of time.
    const double offset = sun.equationOfTime + 4.0 * longitude - 60.0 * timeZoneHours;
    const double solarMinutes = standardHours * 60.0 + offset;
    sun.hourAngle = solarMinutes / 4.0 - 180.0;

    const double lat = latitude * kDeg;
    const double ha = sun.hourAngle * kDeg;
    const double cosZenith = std::clamp(std::sin(lat) * std::sin(declination) +
                                            std::cos(lat) * std::cos(declination) * std::cos(ha),
                                        -1.0, 1.0);
    const double zenith = std::acos(cosZenith);
    sun.altitude = 90.0 - zenith / kDeg;

    // Azimuth from the east and north components of the sun's direction.
    const double east = -std::cos(declination) * std::sin(ha);
    const double north = std::sin(declination) * std::cos(lat) -
                         std::cos(declination) * std::sin(lat) * std::cos(ha);
    double azimuth = std::atan2(east, north) / kDeg;
    if (azimuth < 0)
        azimuth += 360.0;
    sun.azimuth = azimuth;
    return sun;
}

} // namespace samplestudy
