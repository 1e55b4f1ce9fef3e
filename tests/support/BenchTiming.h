// Timing helpers of the benchmark programs: milliseconds between two
// performance-counter readings, and the median of a set of runs.
// Header-only: the benchmarks include it from tests/support.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace testsupport {

inline double Median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

inline double Ms(const LARGE_INTEGER& a, const LARGE_INTEGER& b, const LARGE_INTEGER& freq)
{
    return (double)(b.QuadPart - a.QuadPart) * 1000.0 / (double)freq.QuadPart;
}

} // namespace testsupport
