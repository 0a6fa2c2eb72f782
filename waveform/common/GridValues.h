#pragma once

#include <cmath>
#include <cstdint>

namespace waveform {

// Grid lines per axis beyond which an axis draws no grid (a step too fine for its span).
constexpr int kMaxGridLines = 200;

// Visits the grid values k x step inside [min, max], walked from the first multiple rather than from
// zero so a range far from zero costs no more than one near it. The walk counts whole steps: beyond
// 2^53 adding one to a double k no longer changes it, and a two-ulp span there must still end.
template <typename Visit> void ForEachGridValue(double min, double max, double step, Visit visit) {
    if (!(step > 0.0))
        return;
    const double first = std::ceil(min / step), last = std::floor(max / step);
    if (!std::isfinite(first) || !std::isfinite(last) || !(last - first <= kMaxGridLines))
        return;
    const std::int64_t count = static_cast<std::int64_t>(last - first);
    for (std::int64_t i = 0; i <= count; ++i)
        visit((first + static_cast<double>(i)) * step);
}

} // namespace waveform
