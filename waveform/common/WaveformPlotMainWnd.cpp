#include "waveform/common/WaveformPlotMainWnd.h"

#include "waveform/traceprefs/SetPropertyWaveform.h"

#include <QResizeEvent>

namespace {

// The codes of the bars' notifications (linear and logarithmic bars alike).
constexpr platform::LPARAM kScrollCodeMoved = 224;
constexpr platform::LPARAM kScrollCodeReset = 515;

} // namespace

CWaveformPlotMainWnd::CWaveformPlotMainWnd(CWaveformPlotWnd& plotWnd) : m_plotWnd(plotWnd) {}

CWaveformPlotMainWnd::~CWaveformPlotMainWnd() = default;

void CWaveformPlotMainWnd::AddAxisBar(QWidget& widget, CAxisScrollBar& bar, int axis, int controlId) {
    widget.setParent(this);
    m_bars.push_back({&widget, &bar, axis, controlId});
}

int CWaveformPlotMainWnd::CreateFrame(QWidget* parent, platform::CMessageTarget* host, const QRect& rect,
                                      int id) {
    if (m_created)
        return 0;
    if (parent)
        setParent(parent);
    setProperty("controlId", id);
    if (m_plotWnd.Create(this, this, host) != 0)
        return -2;
    m_created = true;
    PassRangesToBars();
    setGeometry(rect);
    OnSize(rect.width(), rect.height());
    show();
    return 0;
}

const CWaveformPlotMainWnd::CBarLink* CWaveformPlotMainWnd::BarOfAxis(int axis) const {
    for (const CBarLink& link : m_bars)
        if (link.Axis == axis)
            return &link;
    return nullptr;
}

void CWaveformPlotMainWnd::PassRange(const CBarLink& link, bool full) {
    double min = 0, max = 0;
    if (full) {
        m_plotWnd.GetAxisScaleOrg(link.Axis, min, max);
        link.Bar->SetFullRange(min, max);
    } else {
        m_plotWnd.GetAxisScaleZoom(link.Axis, min, max);
        link.Bar->SetVisibleRange(min, max);
    }
}

void CWaveformPlotMainWnd::PassRangesToBars() {
    for (const CBarLink& link : m_bars) {
        PassRange(link, true);
        PassRange(link, false);
    }
}

void CWaveformPlotMainWnd::OnSize(int cx, int cy) {
    const int b = kBarThickness;
    const int left = BarOfAxis(ePlotAxisLeft) ? b : 0;
    const int right = BarOfAxis(ePlotAxisVert) ? b : 0;
    const int plotHeight = std::max(0, cy - b);
    m_plotWnd.setGeometry(left, 0, std::max(0, cx - left - right), plotHeight);
    for (const CBarLink& link : m_bars) {
        if (link.Axis == ePlotAxisHori)
            link.Widget->setGeometry(0, cy - b, cx, b);
        else if (link.Axis == ePlotAxisVert)
            link.Widget->setGeometry(cx - b, 0, b, plotHeight);
        else
            link.Widget->setGeometry(0, 0, b, plotHeight);
    }
}

void CWaveformPlotMainWnd::resizeEvent(QResizeEvent* event) {
    if (m_created)
        OnSize(event->size().width(), event->size().height());
}

const CWaveformPlotMainWnd::CBarLink* CWaveformPlotMainWnd::NotifyingBar(platform::WPARAM wParam,
                                                                         platform::LPARAM lParam) const {
    if (wParam == 0)
        return BarOfAxis(ePlotAxisHori);
    if (wParam != 1)
        return nullptr;
    const CBarLink* vertical = nullptr;
    int count = 0;
    for (const CBarLink& link : m_bars)
        if (link.Axis != ePlotAxisHori) {
            vertical = &link;
            ++count;
        }
    if (count < 2)
        return vertical;
    // Two vertical bars notify with a block of three ints: (not used, control id, code).
    if (lParam == 0)
        return nullptr;
    const int controlId = reinterpret_cast<const int*>(lParam)[1];
    for (const CBarLink& link : m_bars)
        if (link.Axis != ePlotAxisHori && link.ControlId == controlId)
            return &link;
    // An unknown id is the right bar's, as the two-axis window reads it.
    return BarOfAxis(ePlotAxisVert);
}

platform::LRESULT CWaveformPlotMainWnd::OnMessage(platform::UINT message, platform::WPARAM wParam,
                                                  platform::LPARAM lParam) {
    if (message == WM_WAVEFORM_AXIS_CHANGED) {
        const int flag = static_cast<int>(wParam);
        if (flag < eAxisHoriOrg || flag > eAxisLeftZoom)
            return 0;
        if (const CBarLink* link = BarOfAxis((flag - 1) / 2)) {
            PassRange(*link, flag % 2 == 1);
            link->Widget->update();
        }
        return 0;
    }
    if (message == WM_WAVEFORM_SCROLLBAR) {
        if (!m_plotWnd.IsCreated())
            return 0;
        const CBarLink* link = NotifyingBar(wParam, lParam);
        if (link == nullptr)
            return 1;
        m_plotWnd.SetAxisZoomRange(link->Axis, link->Bar->VisibleMin(), link->Bar->VisibleMax(), 0);
        // A move is the user's view; the reset's double-click brings back the full range.
        const platform::LPARAM code =
            link->ControlId != 0 && lParam != 0 ? reinterpret_cast<const int*>(lParam)[2] : lParam;
        if (code == kScrollCodeMoved || code == kScrollCodeReset) {
            if (link->Axis == ePlotAxisHori)
                m_plotWnd.OnHorizontalView(code == kScrollCodeReset);
            else
                m_plotWnd.OnVerticalView(code == kScrollCodeReset);
        }
        m_plotWnd.ReDrawWaveformWnd(1, 1, 1);
        return 1;
    }
    return 0;
}

int CWaveformPlotMainWnd::GetMultiLineVisible(int line) const {
    return Ready() ? m_plotWnd.GetMultiLineVisible(line) : 0;
}

void CWaveformPlotMainWnd::SetMultiLineVisible(int line, int visible) {
    if (Ready())
        m_plotWnd.SetMultiLineVisible(line, visible);
}

int CWaveformPlotMainWnd::IsMultiLineHasData(int line) const {
    return Ready() ? m_plotWnd.IsMultiLineHasData(line) : 0;
}

int CWaveformPlotMainWnd::GetMultiLineStatistic(int line, double& min, double& max, double& mean) const {
    return Ready() ? m_plotWnd.GetMultiLineStatistic(line, min, max, mean) : 0;
}

void CWaveformPlotMainWnd::SetMarkerVisible(int pairA, int show) {
    if (Ready())
        m_plotWnd.SetMarkerVisible(pairA, show);
}

int CWaveformPlotMainWnd::GetMarkerVisible(int pairA) const {
    return Ready() ? m_plotWnd.GetMarkerVisible(pairA) : 0;
}

void CWaveformPlotMainWnd::SetAxisTextHori(const QString& text) {
    if (Ready())
        m_plotWnd.SetAxisTextHori(text);
}

void CWaveformPlotMainWnd::SetAxisTextVert(const QString& text) {
    if (Ready())
        m_plotWnd.SetAxisTextVert(text);
}

void CWaveformPlotMainWnd::SetChartName(const QString& text) {
    if (Ready())
        m_plotWnd.SetChartName(text);
}

void CWaveformPlotMainWnd::SetAxisAdaptive() {
    if (Ready())
        m_plotWnd.SetAxisAdaptive();
}

void CWaveformPlotMainWnd::SetAxisRestore() {
    if (Ready())
        m_plotWnd.SetAxisRestore();
}

void CWaveformPlotMainWnd::ReDrawWaveformWnd(int axis, int realtime, int markers) {
    if (Ready())
        m_plotWnd.ReDrawWaveformWnd(axis, realtime, markers);
}

int CWaveformPlotMainWnd::SetPropertyWaveform() {
    if (!Ready())
        return 0;
    // Cancel leaves the record as it was: only the copy takes the visible ranges.
    CParameterWaveform copy = m_plotWnd.ParameterWithVisibleRanges();
    if (DLL_SetPropertyWaveform(&copy, PropertyMode()) != 1)
        return 0;
    // The edited parameters are shown either way; a file that could not be written is told apart.
    return m_plotWnd.SetGDI(copy) == 1 ? 1 : -1;
}

void CWaveformPlotMainWnd::OnBeginPrinting(QPrinter* printer) {
    if (Ready())
        m_plotWnd.OnBeginPrinting(printer);
}

void CWaveformPlotMainWnd::OnPrepareDC(QPainter* painter, QPaintDevice* printer) {
    if (Ready())
        m_plotWnd.OnPrepareDC(painter, printer);
}

void CWaveformPlotMainWnd::OnPrint(QPainter* painter, const QRect* drawRect, int width, int height) {
    if (Ready())
        m_plotWnd.OnPrint(painter, drawRect, width, height);
}

void CWaveformPlotMainWnd::OnEndPrinting() {
    if (Ready())
        m_plotWnd.OnEndPrinting();
}
