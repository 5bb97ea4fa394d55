// What the study benchmarks measure with: processor time of the calling
// thread, user and system (the machine is shared, and time spent waiting for a
// processor is no part of a pass), and the median of several runs.
#pragma once

#include <algorithm>
#include <ctime>
#include <vector>

namespace benchstudy {

inline double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace benchstudy
