#pragma once

#include "waveform/common/LineStyle.h"
#include "waveform/common/PlotMapping.h"
#include "waveform/common/PlotRecords.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <vector>

// Drawing of the CCDF window on any painter (layer, bitmap or printer), in a mapping whose axes are
// both logarithmic.
namespace tailplot {

// The grid of both axes (decades solid, their multiples dotted) and the labels of the decades.
void DrawLogGrid(QPainter& painter, const QRect& client, const waveform::CPlotMapping& mapping,
                 const QColor& textColour, const QFont& font);

// A curve of amplitudes and percents in the line's style (lineStyle: 0 joined, 1 diamond, 2 cross,
// 3 square per point), clipped to the plot; points of 0 or below have no place on the axes and are
// passed over.
void DrawLogCurve(QPainter& painter, const std::vector<double>& x, const std::vector<double>& y,
                  const waveform::CPlotMapping& mapping, const CLineStyle& style, int lineStyle);

// The values under a marker pair's lines: pair A on the horizontal axis, pair B on the vertical one. A
// line off the plot stands on its nearer edge and takes that edge's limit.
void MarkerValues(const waveform::CPlotMapping& mapping, const CWaveformMarkerRecord& pair, bool pairA,
                  double& value1, double& value2);

// Marker lines with their values and differences; pair A is vertical, pair B horizontal.
void DrawLogMarkers(QPainter& painter, const waveform::CPlotMapping& mapping,
                    const CWaveformMarkerRecord& pairA, const CWaveformMarkerRecord& pairB,
                    const QFont& font);

} // namespace tailplot
