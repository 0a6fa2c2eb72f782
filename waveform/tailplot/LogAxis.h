#pragma once

#include "waveform/common/PlotMapping.h"

#include <vector>

// Logarithmic axes of the CCDF window: value-pixel mapping and grid ticks.
namespace tailplot {

// The smallest visible limit of a logarithmic axis.
constexpr double kLogAxisFloor = 1e-20;

// Raises a limit to kLogAxisFloor (NaN too), so that no limit of 0 or below reaches a logarithm.
double RaiseToLogFloor(double limit);

// Decades between pixels of a plot area and both axes' visible ranges (limits already raised).
struct CLogMapping {
    waveform::CPlotArea area;
    double hMin = 1e-4, hMax = 10.0, vMin = 1e-3, vMax = 100.0;

    // Unrounded pixels; a value of 0 or below has no pixel and gives NaN (callers skip it).
    double XRaw(double x) const;
    double YRaw(double y) const;
    // Pixels truncated to ints (kept within waveform::kPixelLimit).
    int XPixel(double x) const { return waveform::ToPixel(XRaw(x)); }
    int YPixel(double y) const { return waveform::ToPixel(YRaw(y)); }
    // The values at a pixel column (from the left) and a pixel row (from the top).
    double XValue(int px) const;
    double YValue(int py) const;
    bool Drawable() const;
};

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
