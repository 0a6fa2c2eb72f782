#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"

#include <QResizeEvent>

namespace {

constexpr int kBar = 15;

} // namespace

CWaveformTimeVsAmpMainWnd::CWaveformTimeVsAmpMainWnd() {
    m_scrollHori.setParent(this);
    m_scrollVert.setParent(this);
    m_wndWaveform.setParent(this);
}

CWaveformTimeVsAmpMainWnd::~CWaveformTimeVsAmpMainWnd() = default;

int CWaveformTimeVsAmpMainWnd::Create(QWidget* parent, platform::CMessageTarget* host, const QRect& rect,
                                      int id) {
    if (m_created)
        return 0;
    if (parent)
        setParent(parent);
    setProperty("controlId", id);
    if (m_wndWaveform.Create(this, this, host) != 0)
        return -2;
    m_scrollHori.SetNotifyTarget(this);
    m_scrollVert.SetNotifyTarget(this);
    m_scrollVert.SetVertical(1);
    m_created = true;
    PassRangesToBars();
    setGeometry(rect);
    OnSize(rect.width(), rect.height());
    show();
    return 0;
}

void CWaveformTimeVsAmpMainWnd::PassRangesToBars() {
    double min = 0, max = 0;
    m_wndWaveform.GetAxisScaleHoriOrg(min, max);
    m_scrollHori.SetFullRange(min, max);
    m_wndWaveform.GetAxisScaleHoriZoom(min, max);
    m_scrollHori.SetVisibleRange(min, max);
    m_wndWaveform.GetAxisScaleVertOrg(min, max);
    m_scrollVert.SetFullRange(min, max);
    m_wndWaveform.GetAxisScaleVertZoom(min, max);
    m_scrollVert.SetVisibleRange(min, max);
}

void CWaveformTimeVsAmpMainWnd::OnSize(int cx, int cy) {
    m_wndWaveform.setGeometry(0, 0, std::max(0, cx - kBar), std::max(0, cy - kBar));
    m_scrollHori.setGeometry(0, cy - kBar, cx, kBar);
    m_scrollVert.setGeometry(cx - kBar, 0, kBar, std::max(0, cy - kBar));
}

void CWaveformTimeVsAmpMainWnd::resizeEvent(QResizeEvent* event) {
    if (m_created)
        OnSize(event->size().width(), event->size().height());
}

platform::LRESULT CWaveformTimeVsAmpMainWnd::OnMessage(platform::UINT message, platform::WPARAM wParam,
                                                       platform::LPARAM) {
    if (message == WM_WAVEFORM_AXIS_CHANGED) {
        double min = 0, max = 0;
        switch (static_cast<int>(wParam)) {
        case eAxisHoriOrg:
            m_wndWaveform.GetAxisScaleHoriOrg(min, max);
            m_scrollHori.SetFullRange(min, max);
            m_scrollHori.update();
            break;
        case eAxisHoriZoom:
            m_wndWaveform.GetAxisScaleHoriZoom(min, max);
            m_scrollHori.SetVisibleRange(min, max);
            m_scrollHori.update();
            break;
        case eAxisVertOrg:
            m_wndWaveform.GetAxisScaleVertOrg(min, max);
            m_scrollVert.SetFullRange(min, max);
            m_scrollVert.update();
            break;
        case eAxisVertZoom:
            m_wndWaveform.GetAxisScaleVertZoom(min, max);
            m_scrollVert.SetVisibleRange(min, max);
            m_scrollVert.update();
            break;
        default:
            break;
        }
        return 0;
    }
    if (message == WM_WAVEFORM_SCROLLBAR) {
        if (!m_wndWaveform.IsCreated())
            return 0;
        if (wParam == 0)
            m_wndWaveform.SetAxisScaleHoriZoom(m_scrollHori.VisibleMin(), m_scrollHori.VisibleMax(), 0);
        else if (wParam == 1)
            m_wndWaveform.SetAxisScaleVertZoom(m_scrollVert.VisibleMin(), m_scrollVert.VisibleMax(), 0);
        else
            return 1;
        m_wndWaveform.ReDrawWaveformWnd(1, 1, 1);
        return 1;
    }
    return 0;
}

void CWaveformTimeVsAmpMainWnd::SetConfigFileName(const QString& name) {
    m_wndWaveform.SetConfigFileName(name);
}

void CWaveformTimeVsAmpMainWnd::SetDataMultiLine(int line, const double* x, const double* y, unsigned n,
                                                 int exclusion) {
    if (Ready())
        m_wndWaveform.SetDataMultiLine(line, x, y, n, exclusion);
}

void CWaveformTimeVsAmpMainWnd::ReDrawWaveformWnd(int axis, int realtime, int markers) {
    if (Ready())
        m_wndWaveform.ReDrawWaveformWnd(axis, realtime, markers);
}

void CWaveformTimeVsAmpMainWnd::ResetWaveformWnd() {
    if (Ready())
        m_wndWaveform.ResetWaveformWnd();
}

int CWaveformTimeVsAmpMainWnd::GetMultiLineVisible(int line) const {
    return Ready() ? m_wndWaveform.GetMultiLineVisible(line) : 0;
}

void CWaveformTimeVsAmpMainWnd::SetMultiLineVisible(int line, int visible) {
    if (Ready())
        m_wndWaveform.SetMultiLineVisible(line, visible);
}

int CWaveformTimeVsAmpMainWnd::IsMultiLineHasData(int line) const {
    return Ready() ? m_wndWaveform.IsMultiLineHasData(line) : 0;
}

int CWaveformTimeVsAmpMainWnd::GetMultiLineStatistic(int line, double& min, double& max, double& mean) const {
    return Ready() ? m_wndWaveform.GetMultiLineStatistic(line, min, max, mean) : 0;
}

void CWaveformTimeVsAmpMainWnd::SetMarkerVisible(int pairA, int show) {
    if (Ready())
        m_wndWaveform.SetMarkerVisible(pairA, show);
}

int CWaveformTimeVsAmpMainWnd::GetMarkerVisible(int pairA) const {
    return Ready() ? m_wndWaveform.GetMarkerVisible(pairA) : 0;
}

void CWaveformTimeVsAmpMainWnd::SetWaveformOperateTool(eWaveformOperateTools tool) {
    if (Ready())
        m_wndWaveform.SetWaveformOperateTool(tool);
}

eWaveformOperateTools CWaveformTimeVsAmpMainWnd::GetWaveformOperateTool() const {
    return Ready() ? m_wndWaveform.GetWaveformOperateTool() : eWaveformToolNone;
}

void CWaveformTimeVsAmpMainWnd::SetAxisTextHori(const QString& text) {
    if (Ready())
        m_wndWaveform.SetAxisTextHori(text);
}

void CWaveformTimeVsAmpMainWnd::SetAxisTextVert(const QString& text) {
    if (Ready())
        m_wndWaveform.SetAxisTextVert(text);
}

void CWaveformTimeVsAmpMainWnd::SetChartName(const QString& text) {
    if (Ready())
        m_wndWaveform.SetChartName(text);
}

void CWaveformTimeVsAmpMainWnd::SetAxisAdaptive() {
    if (Ready())
        m_wndWaveform.SetAxisAdaptive();
}

void CWaveformTimeVsAmpMainWnd::SetAxisRestore() {
    if (Ready())
        m_wndWaveform.SetAxisRestore();
}

int CWaveformTimeVsAmpMainWnd::SaveAsBitmapTVA(const QString& path) const {
    return Ready() ? m_wndWaveform.SaveAsBitmap(path) : 0;
}

void CWaveformTimeVsAmpMainWnd::OnBeginPrinting(QPrinter* printer) {
    if (Ready())
        m_wndWaveform.OnBeginPrinting(printer);
}

void CWaveformTimeVsAmpMainWnd::OnPrepareDC(QPainter* painter, QPaintDevice* printer) {
    if (Ready())
        m_wndWaveform.OnPrepareDC(painter, printer);
}

void CWaveformTimeVsAmpMainWnd::OnPrint(QPainter* painter, const QRect* drawRect, int width, int height) {
    if (Ready())
        m_wndWaveform.OnPrint(painter, drawRect, width, height);
}

void CWaveformTimeVsAmpMainWnd::OnEndPrinting() {
    if (Ready())
        m_wndWaveform.OnEndPrinting();
}
