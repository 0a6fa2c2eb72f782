#include "waveform/tailplot/CcdfCurve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tailplot {

namespace {

constexpr unsigned kMaxBins = 100;

bool IsReading(double v) {
    return v >= -kOverflowReading && v <= kOverflowReading; // false for NaN and the overflow value
}

} // namespace

unsigned CcdfBinCount(std::size_t n) {
    if (n > 1000)
        return 100;
    if (n > 200)
        return 50;
    if (n > 100)
        return 20;
    if (n > 50)
        return 10;
    if (n > 20)
        return 5;
    if (n > 5)
        return 2;
    return 0;
}

int ComputeCcdf(const double* samples, std::size_t n, CCcdfCurve& curve, std::size_t* readingCount) {
    curve.X.clear();
    curve.Y.clear();
    if (readingCount)
        *readingCount = 0;
    if (!samples || n == 0)
        return 0;

    double lo = kOverflowReading, hi = -kOverflowReading;
    std::size_t readings = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double v = samples[i];
        const bool enters = IsReading(v);
        readings += enters;
        lo = enters && v < lo ? v : lo;
        hi = enters && v > hi ? v : hi;
    }
    if (readingCount)
        *readingCount = readings;
    const unsigned bins = CcdfBinCount(readings);
    const double width = (hi - lo) / bins;
    if (bins == 0 || !(width > 0.0))
        return 0;

    // Bin i holds [lo + i * width, lo + (i + 1) * width); the last bin also takes the maximum. The index
    // comes from one multiplication and is then set right against the edges, so rounding cannot move a
    // reading into a neighbouring bin.
    std::array<double, kMaxBins + 1> edges{};
    for (unsigned i = 0; i <= bins; ++i)
        edges[i] = lo + i * width;
    const double scale = bins / (hi - lo);
    const double last = bins - 1;
    // Four tables, so that runs of readings in one bin do not wait on each other's increments; they
    // are 32-bit and emptied after every block, before any could overflow. A bin past the last takes
    // the readings that do not enter, so the loop has no branch on them.
    std::array<std::array<std::uint32_t, kMaxBins + 1>, 4> tables{};
    std::array<std::uint64_t, kMaxBins> counts{};
    auto count = [&](auto binOf) {
        constexpr std::size_t kBlock = std::size_t{1} << 30;
        for (std::size_t from = 0; from < n; from += kBlock) {
            const std::size_t to = std::min(n, from + kBlock);
            std::size_t i = from;
            for (; i + 4 <= to; i += 4) {
                ++tables[0][binOf(samples[i])];
                ++tables[1][binOf(samples[i + 1])];
                ++tables[2][binOf(samples[i + 2])];
                ++tables[3][binOf(samples[i + 3])];
            }
            for (; i < to; ++i)
                ++tables[0][binOf(samples[i])];
            for (auto& table : tables)
                for (unsigned k = 0; k <= bins; ++k) {
                    if (k < bins)
                        counts[k] += table[k];
                    table[k] = 0;
                }
        }
    };
    if (std::isfinite(scale) && width >= std::numeric_limits<double>::min()) {
        count([&](double v) -> unsigned {
            const double t = (v - lo) * scale;
            unsigned b = t < last ? static_cast<unsigned>(std::max(t, 0.0)) : bins - 1;
            b -= b > 0 && v < edges[b];
            b += b + 1 < bins && v >= edges[b + 1];
            return IsReading(v) ? b : bins;
        });
    } else {
        // Readings only subnormal steps apart give no finite scale: their bins are searched.
        count([&](double v) -> unsigned {
            const auto b = std::upper_bound(edges.begin() + 1, edges.begin() + bins, v) - (edges.begin() + 1);
            return IsReading(v) ? static_cast<unsigned>(b) : bins;
        });
    }

    // Bins from the top down, so each point's percent is the share of readings at or above its bin. A
    // bin without readings keeps its point with the share above it: the curve is flat across it, where
    // joining the occupied bins' points alone would draw shares no reading has.
    std::uint64_t above = 0;
    const double percent = 100.0 / static_cast<double>(readings);
    for (unsigned k = bins; k-- > 0;) {
        above += counts[k];
        curve.X.push_back(lo + width / 2 + k * width);
        curve.Y.push_back(static_cast<double>(above) * percent);
    }
    std::reverse(curve.X.begin(), curve.X.end());
    std::reverse(curve.Y.begin(), curve.Y.end());
    return 1;
}

int SetCcdfPoints(const double* amplitudes, const double* percents, std::size_t n, CCcdfCurve& curve) {
    curve.X.clear();
    curve.Y.clear();
    if (!amplitudes || !percents || n < 2)
        return 0;
    curve.X.assign(amplitudes, amplitudes + n);
    curve.Y.assign(percents, percents + n);
    return 1;
}

} // namespace tailplot
