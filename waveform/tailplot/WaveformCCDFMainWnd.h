#pragma once

#include "waveform/common/WaveformPlotMainWnd.h"
#include "waveform/tailplot/ScrollBarCtrlLog.h"
#include "waveform/tailplot/WaveformCCDFWnd.h"

// The CCDF plot window a host page embeds: the plot child with a logarithmic horizontal and vertical
// scroll bar. Used on the user-interface thread only.
class CWaveformCCDFMainWnd : public CWaveformPlotMainWnd {
public:
    CWaveformCCDFMainWnd();
    ~CWaveformCCDFMainWnd() override;

    // Creates the window as a child of parent at rect. 0 on success; -2 when the plot cannot be
    // created.
    int Create(QWidget* parent, const QRect& rect, int id = 0);

    // The CCDF of n raw readings for the line; the caller redraws.
    void SetDataMultiLine(int line, const double* samples, unsigned n);
    // A CCDF read ready-made from a file, its points drawn as they are. 0 for fewer than two points.
    int SetCcdfPointsMultiLine(int line, const double* amplitudes, const double* percents, unsigned n);
    void SetWaveformOperateTool(eWaveformOperateToolsCCDF tool);
    eWaveformOperateToolsCCDF GetWaveformOperateTool() const;
    using CWaveformPlotMainWnd::ReDrawWaveformWnd;
    // background: the axes and lines 1..3 too; line 0 and the markers are always redrawn.
    void ReDrawWaveformWnd(int background);
    int SaveAsBitmapCCDF(const QString& path) const;

    // The plot child, for what the frame does not forward (styles, ranges, parameters, marker values).
    CWaveformCCDFWnd& Plot() { return m_wndWaveform; }

private:
    CScrollBarCtrlLog m_scrollHori;
    CScrollBarCtrlLog m_scrollVert;
    CWaveformCCDFWnd m_wndWaveform;
};
