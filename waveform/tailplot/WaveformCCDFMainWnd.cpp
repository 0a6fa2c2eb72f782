#include "waveform/tailplot/WaveformCCDFMainWnd.h"

#include <QResizeEvent>

namespace {

constexpr int kBar = 15;

} // namespace

CWaveformCCDFMainWnd::CWaveformCCDFMainWnd() {
    m_scrollHori.setParent(this);
    m_scrollVert.setParent(this);
    m_wndWaveform.setParent(this);
}

CWaveformCCDFMainWnd::~CWaveformCCDFMainWnd() = default;

int CWaveformCCDFMainWnd::Create(QWidget* parent, const QRect& rect, int id) {
    if (m_created)
        return 0;
    if (parent)
        setParent(parent);
    setProperty("controlId", id);
    if (m_wndWaveform.Create(this, this) != 0)
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

void CWaveformCCDFMainWnd::PassRangesToBars() {
    for (int flag = CWaveformCCDFWnd::eHoriOrg; flag <= CWaveformCCDFWnd::eVertZoom; ++flag)
        OnMessage(CWaveformCCDFWnd::kAxisChangedMessage, static_cast<platform::WPARAM>(flag), 0);
}

void CWaveformCCDFMainWnd::OnSize(int cx, int cy) {
    m_wndWaveform.setGeometry(0, 0, std::max(0, cx - kBar), std::max(0, cy - kBar));
    m_scrollHori.setGeometry(0, cy - kBar, cx, kBar);
    m_scrollVert.setGeometry(cx - kBar, 0, kBar, std::max(0, cy - kBar));
}

void CWaveformCCDFMainWnd::resizeEvent(QResizeEvent* event) {
    if (m_created)
        OnSize(event->size().width(), event->size().height());
}

platform::LRESULT CWaveformCCDFMainWnd::OnMessage(platform::UINT message, platform::WPARAM wParam,
                                                  platform::LPARAM) {
    if (message == CWaveformCCDFWnd::kAxisChangedMessage) {
        double min = 0, max = 0;
        switch (static_cast<int>(wParam)) {
        case CWaveformCCDFWnd::eHoriOrg:
            m_wndWaveform.GetAxisScaleHoriOrg(min, max);
            m_scrollHori.SetFullRange(min, max);
            m_scrollHori.update();
            break;
        case CWaveformCCDFWnd::eHoriZoom:
            m_wndWaveform.GetAxisScaleHoriZoom(min, max);
            m_scrollHori.SetVisibleRange(min, max);
            m_scrollHori.update();
            break;
        case CWaveformCCDFWnd::eVertOrg:
            m_wndWaveform.GetAxisScaleVertOrg(min, max);
            m_scrollVert.SetFullRange(min, max);
            m_scrollVert.update();
            break;
        case CWaveformCCDFWnd::eVertZoom:
            m_wndWaveform.GetAxisScaleVertZoom(min, max);
            m_scrollVert.SetVisibleRange(min, max);
            m_scrollVert.update();
            break;
        default:
            break;
        }
        return 0;
    }
    if (message == CScrollBarCtrl::kNotifyMessage) {
        if (!m_wndWaveform.IsCreated())
            return 0;
        if (wParam == 0)
            m_wndWaveform.SetAxisScaleHoriZoom(m_scrollHori.VisibleMin(), m_scrollHori.VisibleMax(), 0);
        else if (wParam == 1)
            m_wndWaveform.SetAxisScaleVertZoom(m_scrollVert.VisibleMin(), m_scrollVert.VisibleMax(), 0);
        else
            return 1;
        m_wndWaveform.ReDrawWaveformWnd(1);
        return 1;
    }
    return 0;
}

void CWaveformCCDFMainWnd::SetDataMultiLine(int line, const double* samples, unsigned n) {
    if (Ready())
        m_wndWaveform.SetDataMultiLine(line, samples, n);
}

int CWaveformCCDFMainWnd::SetCcdfPointsMultiLine(int line, const double* amplitudes, const double* percents,
                                                 unsigned n) {
    return Ready() ? m_wndWaveform.SetCcdfPointsMultiLine(line, amplitudes, percents, n) : 0;
}

int CWaveformCCDFMainWnd::GetMultiLineVisible(int line) const {
    return Ready() ? m_wndWaveform.GetMultiLineVisible(line) : 0;
}

void CWaveformCCDFMainWnd::SetMultiLineVisible(int line, int visible) {
    if (Ready())
        m_wndWaveform.SetMultiLineVisible(line, visible);
}

int CWaveformCCDFMainWnd::IsMultiLineHasData(int line) const {
    return Ready() ? m_wndWaveform.IsMultiLineHasData(line) : 0;
}

void CWaveformCCDFMainWnd::SetMarkerVisible(int pairA, int show) {
    if (Ready())
        m_wndWaveform.SetMarkerVisible(pairA, show);
}

int CWaveformCCDFMainWnd::GetMarkerVisible(int pairA) const {
    return Ready() ? m_wndWaveform.GetMarkerVisible(pairA) : 0;
}

void CWaveformCCDFMainWnd::SetWaveformOperateTool(eWaveformOperateToolsCCDF tool) {
    if (Ready())
        m_wndWaveform.SetWaveformOperateTool(tool);
}

eWaveformOperateToolsCCDF CWaveformCCDFMainWnd::GetWaveformOperateTool() const {
    return Ready() ? m_wndWaveform.GetWaveformOperateTool() : eCCDFToolNone;
}

void CWaveformCCDFMainWnd::SetAxisTextHori(const QString& text) {
    if (Ready())
        m_wndWaveform.SetAxisTextHori(text);
}

void CWaveformCCDFMainWnd::SetAxisTextVert(const QString& text) {
    if (Ready())
        m_wndWaveform.SetAxisTextVert(text);
}

void CWaveformCCDFMainWnd::SetChartName(const QString& text) {
    if (Ready())
        m_wndWaveform.SetChartName(text);
}

void CWaveformCCDFMainWnd::SetAxisAdaptive() {
    if (Ready())
        m_wndWaveform.SetAxisAdaptive();
}

void CWaveformCCDFMainWnd::SetAxisRestore() {
    if (Ready())
        m_wndWaveform.SetAxisRestore();
}

void CWaveformCCDFMainWnd::ReDrawWaveformWnd(int background) {
    if (Ready())
        m_wndWaveform.ReDrawWaveformWnd(background);
}

int CWaveformCCDFMainWnd::SaveAsBitmapCCDF(const QString& path) const {
    return Ready() ? m_wndWaveform.SaveAsBitmap(path) : 0;
}

void CWaveformCCDFMainWnd::OnBeginPrinting(QPrinter* printer) {
    if (Ready())
        m_wndWaveform.OnBeginPrinting(printer);
}

void CWaveformCCDFMainWnd::OnPrepareDC(QPainter* painter, QPaintDevice* printer) {
    if (Ready())
        m_wndWaveform.OnPrepareDC(painter, printer);
}

void CWaveformCCDFMainWnd::OnPrint(QPainter* painter, const QRect* drawRect, int width, int height) {
    if (Ready())
        m_wndWaveform.OnPrint(painter, drawRect, width, height);
}

void CWaveformCCDFMainWnd::OnEndPrinting() {
    if (Ready())
        m_wndWaveform.OnEndPrinting();
}
