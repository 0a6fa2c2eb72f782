#pragma once

#include "waveform/common/LineStyle.h"
#include "waveform/common/ParameterWaveform.h"
#include "waveform/tailplot/LogAxis.h"

#include <QFont>
#include <QPainter>
#include <vector>

// Drawing of the CCDF window on any painter (layer, bitmap or printer).
namespace tailplot {

// A pair of marker lines: pixel x (pair A) or y (pair B) of each line and the axis value there.
struct CMarkerPair {
    int Shown = 0;
    int Pixel1 = 0, Pixel2 = 0;
    double Value1 = 0.0, Value2 = 0.0;
};

// Background, logarithmic grid with its labels, the captions of the record and the frame of the plot.
void DrawLogAxes(QPainter& painter, const QRect& client, const CLogMapping& mapping,
                 const CParameterWaveform& record, const QFont& font, const QPen& framePen);

// A curve of amplitudes and percents in the line's style (lineStyle: 0 joined, 1 diamond, 2 cross,
// 3 square per point), clipped to the plot; points of 0 or below have no place on the axes and are
// passed over.
void DrawLogCurve(QPainter& painter, const std::vector<double>& x, const std::vector<double>& y,
                  const CLogMapping& mapping, const CLineStyle& style, int lineStyle);

// Marker lines with their values and differences; pair A is vertical, pair B horizontal.
void DrawLogMarkers(QPainter& painter, const CLogMapping& mapping, const CMarkerPair& pairA,
                    const CMarkerPair& pairB, const QFont& font);

} // namespace tailplot
