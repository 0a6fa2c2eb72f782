#pragma once

#include <vector>

// Grid ticks of the logarithmic axes of the CCDF window.
namespace tailplot {

struct CLogTick {
    double value = 0.0;
    bool major = false;
};

// The grid of a visible range: a major tick at min, at every power of ten inside the range and at max,
// in ascending order; after each major tick f but the last, in a decade of step s, the minor ticks
// f + s, f + 2 s, .. f + 8 s that lie below max (from a power of ten the multiples 2..9 of its decade;
// in the first decade counted from the range's start, so they may pass its next power of ten). A range
// whose leading digit is not 1 starts at the next whole multiple of its decade. Empty when the range is
// not a positive ascending one.
std::vector<CLogTick> LogTicks(double min, double max);

} // namespace tailplot
