#pragma once

#include "waveform/common/LineData.h"
#include "waveform/common/LinePainter.h"
#include "waveform/common/PlotMapping.h"

#include <cstddef>

namespace waveform {

struct CSnapResult {
    bool Found = false;
    std::size_t Index = 0;
};

// The sample of the line that a marker at pointer x snaps to, within the range drawn last. Dense ranges
// (3 or more samples per pixel) take the sample at the same fraction of the drawn pixels; sparse ones the
// sample nearest in time (the later one on a tie), found by binary search on the ascending time.
CSnapResult SnapToSample(const CLineData& line, const CDrawnRange& drawn, const CPlotMapping& mapping,
                         int pointerX);

struct CMarkerStatistics {
    int Valid = 0;
    double Maximum = 0.0, Minimum = 0.0, Mean = 0.0, Product = 0.0;
};

// Maximum, minimum and mean of the samples from one marker index to the other (both included), skipping
// excluded samples; Product is |X1 - X2| x mean / 3.6 (the charge in mAh for X in seconds and the mean in
// amperes). Not valid when the indices are equal, out of range, or every sample between them is excluded.
CMarkerStatistics MarkerStatistics(const CLineData& line, std::size_t index1, std::size_t index2);

} // namespace waveform
