#pragma once

#include <vector>

// Grid ticks of the logarithmic axes of the CCDF window.
namespace tailplot {

struct CLogTick {
    double value = 0.0;
    bool major = false;
};

// The grid of a visible range, ascending: a major tick at min, at every power of ten inside the
// range and at max; minor ticks at the whole multiples 2..9 of each decade strictly inside. A range
// whose leading digit is not 1 starts at the next whole multiple of its decade. Empty when the range
// is not a positive ascending one.
std::vector<CLogTick> LogTicks(double min, double max);

} // namespace tailplot
