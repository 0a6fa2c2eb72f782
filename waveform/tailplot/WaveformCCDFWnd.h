#pragma once

#include "waveform/common/WaveformPlotWnd.h"

// Mouse tools of the CCDF window, numbered as every plot window's tools.
enum eWaveformOperateToolsCCDF : int {
    eCCDFToolNone = eWaveformToolNone,
    eCCDFToolPan = eWaveformToolPan,
    eCCDFToolZoomBox = eWaveformToolZoomBox,
    eCCDFToolZoomHori = eWaveformToolZoomHori,
    eCCDFToolZoomVert = eWaveformToolZoomVert,
};

// The plot child of the CCDF window: up to four CCDF curves (percent of readings at or above an
// amplitude) on logarithmic axes. Marker pair A reads amplitudes, pair B percents; the markers stand
// wherever they are put, and either pair shows with or without a curve. Used on the user-interface
// thread only.
class CWaveformCCDFWnd : public CWaveformPlotWnd {
public:
    CWaveformCCDFWnd();
    ~CWaveformCCDFWnd() override;

    // The CCDF of n raw readings (tailplot::ComputeCcdf); the line is shown when it holds points. Five
    // readings or fewer empty the line and change nothing else.
    void SetDataMultiLine(int line, const double* samples, unsigned n);
    // A ready CCDF (amplitude, percent) drawn as it is; 0 for fewer than two points or a bad line.
    int SetCcdfPointsMultiLine(int line, const double* amplitudes, const double* percents, unsigned n);

    // The values under the marker lines: pair A amplitudes, pair B percents.
    void GetMarkerValues(int pairA, double& value1, double& value2) const;

    void SetWaveformOperateTool(eWaveformOperateToolsCCDF tool) { SetOperateTool(tool); }
    eWaveformOperateToolsCCDF GetWaveformOperateTool() const {
        return static_cast<eWaveformOperateToolsCCDF>(GetOperateTool());
    }

    // Fits both axes to the points of the visible lines that the logarithmic axes can show.
    void SetAxisAdaptive() override;

    using CWaveformPlotWnd::ReDrawWaveformWnd;
    // background: the axes and lines 1..3 too; line 0 and the markers are always redrawn.
    void ReDrawWaveformWnd(int background) { ReDrawWaveformWnd(background, 1, 1); }

protected:
    void DrawAxes(QPainter& painter, const QRect& client,
                  const waveform::CPlotMapping& mapping) const override;
    void DrawOneLine(QPainter& painter, int line, const waveform::CPlotMapping& mapping,
                     bool keepDrawnRange) override;
    QRegion DrawMarkers(QPainter& painter, const waveform::CPlotMapping& mapping, bool draw) const override;
    waveform::CPlotArea CalcAxisRect(const QRect& client) const override;
    bool MarkersSnapToLine() const override { return false; }
};
