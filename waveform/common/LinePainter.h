#pragma once

#include "waveform/common/LineData.h"
#include "waveform/common/LineStyle.h"
#include "waveform/common/PlotMapping.h"

#include <QPainter>
#include <QPointF>
#include <cstddef>

namespace waveform {

// What was drawn of a line: the sample range and the pixel x of its first and last sample.
struct CDrawnRange {
    bool Drawn = false;
    int FirstIndex = 0, EndIndex = 0;
    int FirstX = 0, LastX = 0;
};

// Draws a line on any painter (screen layer, bitmap or printer) from the summary of the samples of the
// visible time range: per pixel column the first, last, lowest and highest drawn value, which sets the
// same pixels as joining every sample. lineStyle: 0 joined, 1 diamond, 2 cross, 3 square per sample
// (per column extreme when the range holds more samples than the plot has pixel columns).
// Excluded samples set a red tick at the top edge of the plot.
// One symbol of lineStyle 1 diamond (standing on the point), 2 cross, 3 square at pixel (x, y).
void DrawSymbol(QPainter& painter, int lineStyle, int x, int y);

// Joins points given in unrounded pixels with the painter's pen; points with a NaN coordinate are
// passed over, segments reaching far outside are clipped without changing their direction.
void DrawJoinedPixels(QPainter& painter, const QPointF* points, std::size_t count);

CDrawnRange DrawLine(QPainter& painter, const CLineData& line, const CPlotMapping& mapping,
                     const CLineStyle& style, int lineStyle);

} // namespace waveform
