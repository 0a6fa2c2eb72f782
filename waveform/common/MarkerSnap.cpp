#include "waveform/common/MarkerSnap.h"

#include <algorithm>
#include <cmath>

namespace waveform {

CSnapResult SnapToSample(const CLineData& line, const CDrawnRange& drawn, const CPlotMapping& mapping,
                         int pointerX) {
    CSnapResult result;
    const std::size_t count = line.Count();
    if (!drawn.Drawn || count < 2 || drawn.EndIndex < drawn.FirstIndex)
        return result;
    const std::size_t first = static_cast<std::size_t>(drawn.FirstIndex);
    const std::size_t end = std::min(static_cast<std::size_t>(drawn.EndIndex), count - 1);
    const double samples = static_cast<double>(end - first + 1);
    const int pixels = std::max(1, drawn.LastX - drawn.FirstX);
    if (std::ceil(samples / pixels) >= 3) {
        const int x = std::clamp(pointerX, drawn.FirstX, std::max(drawn.FirstX, drawn.LastX));
        const double at = first + static_cast<double>(x - drawn.FirstX) / pixels * samples;
        result.Index =
            static_cast<std::size_t>(std::clamp(at, static_cast<double>(first), static_cast<double>(end)));
        result.Found = true;
        return result;
    }
    const double* x = line.X.data();
    if (!(x[1] > x[0]))
        return result;
    const double value = std::clamp(mapping.XValue(pointerX), mapping.hMin, mapping.hMax);
    if (!(value >= x[0] && value <= x[count - 1]))
        return result;
    const std::size_t after = static_cast<std::size_t>(std::lower_bound(x, x + count, value) - x);
    if (after == 0) {
        result.Index = 0;
    } else {
        const std::size_t before = after - 1;
        result.Index = (value - x[before] < x[after] - value) ? before : after;
    }
    result.Found = true;
    return result;
}

CMarkerStatistics MarkerStatistics(const CLineData& line, std::size_t index1, std::size_t index2) {
    CMarkerStatistics stats;
    const std::size_t lo = std::min(index1, index2), hi = std::max(index1, index2);
    if (!(lo < hi && hi < line.Count()))
        return stats;
    const CSampleStatistics s = line.Summary.Statistics(line.Y.data(), line.Excluded, lo, hi + 1);
    if (s.Count == 0)
        return stats;
    stats.Maximum = s.Max;
    stats.Minimum = s.Min;
    stats.Mean = s.Sum / static_cast<double>(s.Count);
    // Rounding of the sum can put the mean of equal samples just outside them; only a sum that
    // overflowed leaves it outside.
    if (std::isfinite(stats.Mean))
        stats.Mean = std::clamp(stats.Mean, stats.Minimum, stats.Maximum);
    stats.Valid = 1;
    stats.Product = std::fabs(line.X[index1] - line.X[index2]) * stats.Mean / 3.6; // A x s to mAh
    if (!(stats.Mean <= stats.Maximum && stats.Mean >= stats.Minimum))
        stats.Valid = 0;
    return stats;
}

} // namespace waveform
