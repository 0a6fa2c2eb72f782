#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"

CWaveformTimeVsAmpMainWnd::CWaveformTimeVsAmpMainWnd() : CWaveformPlotMainWnd(m_wndWaveform) {
    m_wndWaveform.setParent(this);
    AddAxisBar(m_scrollHori, m_scrollHori, ePlotAxisHori);
    AddAxisBar(m_scrollVert, m_scrollVert, ePlotAxisVert);
}

CWaveformTimeVsAmpMainWnd::~CWaveformTimeVsAmpMainWnd() = default;

int CWaveformTimeVsAmpMainWnd::Create(QWidget* parent, platform::CMessageTarget* host, const QRect& rect,
                                      int id) {
    m_scrollHori.SetNotifyTarget(this);
    m_scrollVert.SetNotifyTarget(this);
    m_scrollVert.SetVertical(1);
    return CreateFrame(parent, host, rect, id);
}

void CWaveformTimeVsAmpMainWnd::SetConfigFileName(const QString& name) {
    m_wndWaveform.SetConfigFileName(name);
}

void CWaveformTimeVsAmpMainWnd::SetDataMultiLine(int line, const double* x, const double* y, unsigned n,
                                                 int exclusion) {
    if (Ready())
        m_wndWaveform.SetDataMultiLine(line, x, y, n, exclusion);
}

void CWaveformTimeVsAmpMainWnd::ResetWaveformWnd() {
    if (Ready())
        m_wndWaveform.ResetWaveformWnd();
}

void CWaveformTimeVsAmpMainWnd::SetWaveformOperateTool(eWaveformOperateTools tool) {
    if (Ready())
        m_wndWaveform.SetWaveformOperateTool(tool);
}

eWaveformOperateTools CWaveformTimeVsAmpMainWnd::GetWaveformOperateTool() const {
    return Ready() ? m_wndWaveform.GetWaveformOperateTool() : eWaveformToolNone;
}

int CWaveformTimeVsAmpMainWnd::SaveAsBitmapTVA(const QString& path) const {
    return Ready() ? m_wndWaveform.SaveAsBitmap(path) : 0;
}
