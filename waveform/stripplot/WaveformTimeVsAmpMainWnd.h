#pragma once

#include "waveform/common/ScrollBarCtrl.h"
#include "waveform/common/WaveformPlotMainWnd.h"
#include "waveform/stripplot/WaveformTimeVsAmpWnd.h"

// The time-versus-amplitude plot window a host page embeds: the plot child with a horizontal and a
// vertical scroll bar. Used on the user-interface thread only.
class CWaveformTimeVsAmpMainWnd : public CWaveformPlotMainWnd {
public:
    CWaveformTimeVsAmpMainWnd();
    ~CWaveformTimeVsAmpMainWnd() override;

    // Creates the window as a child of parent at rect; host receives WM_APP+0xC6 from the plot. 0 on
    // success; -2 when the plot cannot be created.
    int Create(QWidget* parent, platform::CMessageTarget* host, const QRect& rect, int id = 0);

    void SetConfigFileName(const QString& name);
    void SetDataMultiLine(int line, const double* x, const double* y, unsigned n, int exclusion);
    void ResetWaveformWnd();
    void SetWaveformOperateTool(eWaveformOperateTools tool);
    eWaveformOperateTools GetWaveformOperateTool() const;
    int SaveAsBitmapTVA(const QString& path) const;

private:
    CScrollBarCtrl m_scrollHori;
    CScrollBarCtrl m_scrollVert;
    CWaveformTimeVsAmpWnd m_wndWaveform;
};
