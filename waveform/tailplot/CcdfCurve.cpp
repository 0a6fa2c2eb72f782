#include "waveform/tailplot/CcdfCurve.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tailplot {

namespace {

constexpr unsigned kMaxBins = 100;

bool IsReading(double v) {
    return v >= -kOverflowReading && v <= kOverflowReading; // false for NaN and the overflow value
}

bool EntersBins(double v) {
    return v > 0.0 && v <= kOverflowReading;
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

int ComputeCcdf(const double* samples, std::size_t n, CCcdfCurve& curve) {
    curve.X.clear();
    curve.Y.clear();
    if (!samples || n == 0)
        return 0;

    double lo = kOverflowReading, hi = 0.0;
    std::size_t readings = 0, positive = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double v = samples[i];
        const bool enters = EntersBins(v);
        readings += IsReading(v);
        positive += enters;
        lo = enters && v < lo ? v : lo;
        hi = enters && v > hi ? v : hi;
    }
    const unsigned bins = CcdfBinCount(positive);
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
    // are 32-bit and emptied after every block, before any could overflow.
    std::array<std::array<std::uint32_t, kMaxBins>, 4> tables{};
    std::array<std::uint64_t, kMaxBins> counts{};
    constexpr std::size_t kBlock = std::size_t{1} << 30;
    for (std::size_t from = 0; from < n; from += kBlock) {
        const std::size_t to = std::min(n, from + kBlock);
        for (std::size_t i = from; i < to; ++i) {
            const double v = samples[i];
            if (!EntersBins(v))
                continue;
            const double t = (v - lo) * scale;
            unsigned b = t < last ? static_cast<unsigned>(std::max(t, 0.0)) : bins - 1;
            while (b > 0 && v < edges[b])
                --b;
            while (b + 1 < bins && v >= edges[b + 1])
                ++b;
            ++tables[i & 3][b];
        }
        for (auto& table : tables)
            for (unsigned k = 0; k < bins; ++k) {
                counts[k] += table[k];
                table[k] = 0;
            }
    }

    // Bins from the top down, so each point's percent is the share of readings at or above its bin.
    std::uint64_t above = 0;
    const double percent = 100.0 / static_cast<double>(readings);
    for (unsigned k = bins; k-- > 0;) {
        above += counts[k];
        if (counts[k] == 0 && k != 0)
            continue;
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
