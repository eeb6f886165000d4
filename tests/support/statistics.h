// Median and percentiles of measured figures, for benchmarks and spacing checks.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace bench {

// The p-th percentile (0 to 100) by the nearest-rank method; 0 for no values.
inline double percentile(std::vector<double> values, double p)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100 * values.size()));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

inline double median(const std::vector<double>& values)
{
    return percentile(values, 50);
}

}  // namespace bench
