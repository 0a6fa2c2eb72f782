#include "waveform/tailplot/WaveformCCDFMainWnd.h"

CWaveformCCDFMainWnd::CWaveformCCDFMainWnd() : CWaveformPlotMainWnd(m_wndWaveform) {
    m_wndWaveform.setParent(this);
    AddAxisBar(m_scrollHori, m_scrollHori, ePlotAxisHori);
    AddAxisBar(m_scrollVert, m_scrollVert, ePlotAxisVert);
}

CWaveformCCDFMainWnd::~CWaveformCCDFMainWnd() = default;

int CWaveformCCDFMainWnd::Create(QWidget* parent, const QRect& rect, int id) {
    m_scrollHori.SetNotifyTarget(this);
    m_scrollVert.SetNotifyTarget(this);
    m_scrollVert.SetVertical(1);
    return CreateFrame(parent, nullptr, rect, id);
}

void CWaveformCCDFMainWnd::SetDataMultiLine(int line, const double* samples, unsigned n) {
    if (Ready())
        m_wndWaveform.SetDataMultiLine(line, samples, n);
}

int CWaveformCCDFMainWnd::SetCcdfPointsMultiLine(int line, const double* amplitudes, const double* percents,
                                                 unsigned n) {
    return Ready() ? m_wndWaveform.SetCcdfPointsMultiLine(line, amplitudes, percents, n) : 0;
}

void CWaveformCCDFMainWnd::SetWaveformOperateTool(eWaveformOperateToolsCCDF tool) {
    if (Ready())
        m_wndWaveform.SetWaveformOperateTool(tool);
}

eWaveformOperateToolsCCDF CWaveformCCDFMainWnd::GetWaveformOperateTool() const {
    return Ready() ? m_wndWaveform.GetWaveformOperateTool() : eCCDFToolNone;
}

void CWaveformCCDFMainWnd::ReDrawWaveformWnd(int background) {
    if (Ready())
        m_wndWaveform.ReDrawWaveformWnd(background);
}

int CWaveformCCDFMainWnd::SaveAsBitmapCCDF(const QString& path) const {
    return Ready() ? m_wndWaveform.SaveAsBitmap(path) : 0;
}
