#include "platform/ui/UiServices.h"

namespace ui {

namespace {
constexpr double kSecondsPerDay = 86400.0;
}

double ElapsedSeconds(double start, double now)
{
    double elapsed = now - start;
    // The time of day restarts at midnight; a negative span means it did.
    if (elapsed < 0)
        elapsed += kSecondsPerDay;
    return elapsed;
}

} // namespace ui
