#pragma once

#include "waveform/common/LineStyle.h"
#include "waveform/common/PlotMapping.h"
#include "waveform/common/PlotRecords.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRegion>
#include <QStringList>
#include <span>
#include <vector>

// Drawing of the CCDF window on any painter (layer, bitmap or printer), in a mapping whose axes are
// both logarithmic.
namespace tailplot {

// Vertical labels end this far left of the plot.
constexpr int kLabelGap = 2;

// The texts of the labels of an axis' major ticks over a visible range.
QStringList LogLabelTexts(double min, double max);

// The grid of both axes (decades solid, their multiples dotted) and the labels of the decades. No
// label leaves the client or runs into another: the first and the last are drawn unless they meet
// (then the last), any other only where it meets neither the one drawn before it nor the last.
void DrawLogGrid(QPainter& painter, const QRect& client, const waveform::CPlotMapping& mapping,
                 const QColor& textColour, const QFont& font);

// A curve of amplitudes and percents in the line's style (lineStyle: 0 joined, 1 diamond, 2 cross,
// 3 square per point), clipped to the plot; points of 0 or below have no place on the axes and are
// passed over.
void DrawLogCurve(QPainter& painter, std::span<const double> x, std::span<const double> y,
                  const waveform::CPlotMapping& mapping, const CLineStyle& style, int lineStyle);

// The values under a marker pair's lines: pair A on the horizontal axis, pair B on the vertical one. A
// line off the plot stands on its nearer edge and takes that edge's limit.
void MarkerValues(const waveform::CPlotMapping& mapping, const CWaveformMarkerRecord& pair, bool pairA,
                  double& value1, double& value2);

// Marker lines with their values and differences (pair A vertical, pair B horizontal), drawn when
// draw is set; the area they cover on the painter either way. Values are written as "%lf" writes them,
// trailing zeros removed, except below 0.001 where its six decimals would lose them: there as "%g" does.
QRegion DrawLogMarkers(QPainter& painter, bool draw, const waveform::CPlotMapping& mapping,
                       const CWaveformMarkerRecord& pairA, const CWaveformMarkerRecord& pairB,
                       const QFont& font);

// A marker value's text as DrawLogMarkers writes it.
QString MarkerText(double value);

} // namespace tailplot
