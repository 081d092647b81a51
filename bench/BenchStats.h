#pragma once
// Order statistics of a sample of timings.

#include <algorithm>
#include <cmath>
#include <vector>

namespace bench {

// The q-quantile (0..1) by the nearest-rank rule: the smallest sample with at least q of the sample at or
// below it. An empty sample gives 0.
inline double Quantile(std::vector<double> sample, double q) {
    if (sample.empty())
        return 0;
    std::sort(sample.begin(), sample.end());
    const double rank = std::ceil(q * static_cast<double>(sample.size()));
    const size_t index = rank < 1 ? 0 : static_cast<size_t>(rank) - 1;
    return sample[std::min(index, sample.size() - 1)];
}

// The median; for an even count the mean of the two middle samples.
inline double Median(std::vector<double> sample) {
    if (sample.empty())
        return 0;
    std::sort(sample.begin(), sample.end());
    const size_t n = sample.size();
    return n % 2 ? sample[n / 2] : (sample[n / 2 - 1] + sample[n / 2]) / 2;
}

} // namespace bench
