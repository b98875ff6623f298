#pragma once

// The value below which the given fraction of the samples lie (nearest rank); 0 for no samples.

#include <algorithm>
#include <vector>

inline double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size() - 1) + 0.5));
    return values[index];
}
