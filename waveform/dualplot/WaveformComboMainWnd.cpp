#include "waveform/dualplot/WaveformComboMainWnd.h"

CWaveformComboMainWnd::CWaveformComboMainWnd() : CWaveformPlotMainWnd(m_wndWaveform) {
    m_wndWaveform.setParent(this);
    AddAxisBar(m_scrollHori, m_scrollHori, ePlotAxisHori);
    AddAxisBar(m_scrollLeft, m_scrollLeft, ePlotAxisLeft, kComboLeftBarId);
    AddAxisBar(m_scrollRight, m_scrollRight, ePlotAxisVert, kComboRightBarId);
}

CWaveformComboMainWnd::~CWaveformComboMainWnd() = default;

int CWaveformComboMainWnd::Create(QWidget* parent, platform::CMessageTarget* host, const QRect& rect,
                                  int id) {
    m_scrollHori.SetNotifyTarget(this);
    for (auto [bar, controlId] :
         {std::pair{&m_scrollLeft, kComboLeftBarId}, {&m_scrollRight, kComboRightBarId}}) {
        bar->SetNotifyTarget(this);
        bar->SetNotifyControlId(controlId);
        bar->SetVertical(1);
    }
    return CreateFrame(parent, host, rect, id);
}

void CWaveformComboMainWnd::InitialMemory(unsigned capacity) {
    if (Ready())
        m_wndWaveform.InitialMemory(capacity);
}

void CWaveformComboMainWnd::SetDataIndex(const double* x, const double* y, unsigned start, unsigned count,
                                         int exclusion) {
    if (Ready())
        m_wndWaveform.SetDataIndex(x, y, start, count, exclusion);
}

std::size_t CWaveformComboMainWnd::DataRoom() const {
    return Ready() ? m_wndWaveform.DataRoom() : 0;
}

int CWaveformComboMainWnd::RemakeDataRoom(
    std::size_t room, const std::function<void(double* x, double* y, std::size_t n)>& refill) {
    return Ready() ? m_wndWaveform.RemakeDataRoom(room, refill) : 0;
}

int CWaveformComboMainWnd::AppendDataSlice(const double* x, const double* y, unsigned start, unsigned count,
                                           int exclusion) {
    return Ready() ? m_wndWaveform.AppendDataSlice(x, y, start, count, exclusion) : 0;
}

void CWaveformComboMainWnd::SetDataMultiLine(int line, const double* x, const double* y, unsigned n, int axis,
                                             int exclusion) {
    if (Ready())
        m_wndWaveform.SetDataMultiLine(line, x, y, n, axis, exclusion);
}

void CWaveformComboMainWnd::ResetWaveformDataLogging() {
    if (Ready())
        m_wndWaveform.ResetWaveformDataLogging();
}

void CWaveformComboMainWnd::FollowVerticalData() {
    if (Ready())
        m_wndWaveform.FollowVerticalData();
}

unsigned CWaveformComboMainWnd::GetMultiLineDataLength(int line) const {
    return Ready() ? m_wndWaveform.GetMultiLineDataLength(line) : 0u;
}

void CWaveformComboMainWnd::SetAxisTextVertLeft(const QString& text) {
    if (Ready())
        m_wndWaveform.SetAxisTextVertLeft(text);
}

void CWaveformComboMainWnd::SetAxisTextVertRight(const QString& text) {
    if (Ready())
        m_wndWaveform.SetAxisTextVertRight(text);
}

void CWaveformComboMainWnd::SetWaveformOperateTool(eWaveformOperateToolsCombo tool) {
    if (Ready())
        m_wndWaveform.SetWaveformOperateTool(tool);
}

eWaveformOperateToolsCombo CWaveformComboMainWnd::GetWaveformOperateTool() const {
    return Ready() ? m_wndWaveform.GetWaveformOperateTool() : eComboToolNone;
}

int CWaveformComboMainWnd::SaveAsBitmapDLOG(const QString& path) const {
    return Ready() ? m_wndWaveform.SaveAsBitmap(path) : 0;
}
