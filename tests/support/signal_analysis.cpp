// Pitch and level of recorded or rendered audio, for tests of what the synthesizer plays.
#include "support/signal_analysis.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace testsupport {

double fundamentalHz(const std::vector<float>& x, double rate)
{
    const auto minLag = static_cast<std::size_t>(rate / 2000.0);
    const auto maxLag = static_cast<std::size_t>(rate / 50.0);
    std::vector<double> r(maxLag + 2, 0.0);
    for (std::size_t lag = minLag - 1; lag <= maxLag + 1; ++lag) {
        for (std::size_t i = 0; i + lag < x.size(); ++i) {
            r[lag] += double{x[i]} * x[i + lag];
        }
    }
    const double strongest = std::ranges::max(std::span(r).subspan(minLag, maxLag - minLag + 1));
    for (std::size_t lag = minLag; lag <= maxLag; ++lag) {
        if (r[lag] >= 0.9 * strongest && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
            const double curvature = r[lag - 1] - 2.0 * r[lag] + r[lag + 1];
            const double offset =
                curvature == 0.0 ? 0.0 : 0.5 * (r[lag - 1] - r[lag + 1]) / curvature;
            return rate / (static_cast<double>(lag) + offset);
        }
    }
    return 0.0;
}

float rms(const std::vector<float>& x)
{
    double sum = 0.0;
    for (const float sample : x) {
        sum += double{sample} * sample;
    }
    return static_cast<float>(
        std::sqrt(sum / static_cast<double>(std::max<std::size_t>(x.size(), 1))));
}

}  // namespace testsupport
