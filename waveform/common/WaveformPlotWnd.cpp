#include "waveform/common/WaveformPlotWnd.h"

#include "platform/ProgramFolder.h"
#include "waveform/common/BitmapFile.h"
#include "waveform/common/GridValues.h"
#include "waveform/common/HugePages.h"
#include "waveform/common/MarkerSnap.h"
#include "waveform/common/NiceValues.h"
#include "waveform/common/PlotExclusion.h"
#include "waveform/common/PlotFormat.h"
#include "waveform/traceprefs/ParameterFile.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using namespace waveform;

constexpr COLORREF kMarkerPen = 0xFF00FF;
constexpr COLORREF kDefaultAxisPen = 0x808080;
constexpr COLORREF kDefaultGridPen = 0xD3D3D3;
constexpr double kMinHoriSpan = 0.0001;
constexpr double kMinVertSpan = 1e-14;
constexpr double kMinLogLimit = 1e-20;
constexpr int kMinZoomPixels = 3;
// Rows of the shown layer painted at once: taller bands go to the painter's threads, which costs more
// than it saves for the narrow bands of marker steps.
constexpr int kPaintBand = 128;

// Where a value lies on an axis for the tools: the value itself, or its decade on a logarithmic axis.
double ToAxis(double v, bool log) {
    return log ? std::log10(v) : v;
}

double FromAxis(double a, bool log) {
    return log ? std::pow(10.0, a) : a;
}

} // namespace

CWaveformPlotWnd::CWaveformPlotWnd(const QString& configFileName) : m_configFileName(configFileName) {
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        m_items[i].Next = &m_items[(i + 1) % m_items.size()];
        m_items[i].Prev = &m_items[(i + m_items.size() - 1) % m_items.size()];
    }
    m_head = &m_items[0];
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CWaveformPlotWnd::~CWaveformPlotWnd() = default;

CLoopLinkItem* CWaveformPlotWnd::Line(int line) const {
    if (line < 0 || line >= static_cast<int>(m_items.size()))
        return nullptr;
    CLoopLinkItem* item = m_head;
    for (int i = 0; i < line; ++i)
        item = item->Next;
    return item;
}

int CWaveformPlotWnd::Create(QWidget* parent, platform::CMessageTarget* frame,
                             platform::CMessageTarget* host) {
    setParent(parent);
    m_frame = frame;
    m_host = host;
    for (CMemoryDC* dc : {&m_dcComposed, &m_dcStatic})
        if (!dc->Create(100, 100, m_parameter.ColorAxisBkGnd))
            return -2;
    InitGDIObjects();
    m_created = true;
    show();
    return 0;
}

QString CWaveformPlotWnd::ConfigFilePath() const {
    return platform::ProgramFolder() + QStringLiteral("Config/") + m_configFileName;
}

void CWaveformPlotWnd::InitGDIObjects() {
    m_parameter.AxisWidth = 1;
    m_parameter.AxisStyle = 0;
    m_parameter.ColorAxis = 0xD3D3D3;
    m_parameter.ColorAxisBkGnd = 0xFFFFFF;
    m_parameter.ColorAxisText = 0;
    m_fontSong = QFont(QStringLiteral("宋体"));
    m_fontSong.setPixelSize(13);
    m_fontArial = QFont(QStringLiteral("Arial"));
    m_fontArial.setPixelSize(16);
    m_fontMarker = m_fontArial;
    if (DLL_LoadParameterFromFile(ConfigFilePath(), &m_parameter) == 1) {
        for (CLineStyle& style : m_parameter.Styles)
            style.ReCreateObjects();
        m_axisPensApplied = true;
        ApplyParameterRanges(0);
    }
}

void CWaveformPlotWnd::Notify(int flag) {
    platform::SendMessage(m_frame, WM_WAVEFORM_AXIS_CHANGED, static_cast<platform::WPARAM>(flag), 0);
}

void CWaveformPlotWnd::SendMarker(platform::LPARAM code, const void* record) {
    platform::SendMessage(m_host, WM_WAVEFORM_MARKER, reinterpret_cast<platform::WPARAM>(record), code);
}

// ---- lines ----

void CWaveformPlotWnd::AssignLine(int line, const double* x, const double* y, unsigned n, int exclusion) {
    CLoopLinkItem* item = Line(line);
    if (item == nullptr)
        return;
    CLineData& data = item->Data;
    data.Clear();
    data.X.shrink_to_fit();
    data.Y.shrink_to_fit();
    data.Excluded.shrink_to_fit();
    const bool has = x != nullptr && y != nullptr && n > 0;
    if (has) {
        waveform::ReserveLarge(data.X, n);
        waveform::ReserveLarge(data.Y, n);
        data.X.assign(x, x + n);
        data.Y.assign(y, y + n);
        const auto [lo, hi] = std::minmax_element(x, x + n);
        item->XMin = *lo;
        item->XMax = *hi;
        AppendExcluded(x, y, 0, n, exclusion, data.Excluded);
        data.Excluded.shrink_to_fit();
        data.Summary.Rebuild(data.Y.data(), n, data.Excluded);
    }
    m_parameter.Styles[static_cast<std::size_t>(line)].Visible = has ? 1 : 0;
    m_drawn[static_cast<std::size_t>(line)] = {};
    m_markerA.Value1 = m_markerA.Value2 = 0.0;
    ResetMarkerA(data);
}

const std::vector<double>& CWaveformPlotWnd::GetDataMultiLineX(int line) const {
    const CLoopLinkItem* item = Line(line);
    return (item ? item : m_head)->Data.X;
}

const std::vector<double>& CWaveformPlotWnd::GetDataMultiLineY(int line) const {
    const CLoopLinkItem* item = Line(line);
    return (item ? item : m_head)->Data.Y;
}

int CWaveformPlotWnd::GetMultiLineVisible(int line) const {
    if (line < 0 || line >= kLineCount)
        return 0;
    return m_parameter.Styles[static_cast<std::size_t>(line)].Visible;
}

void CWaveformPlotWnd::SetMultiLineVisible(int line, int visible) {
    if (line < 0 || line >= kLineCount)
        return;
    m_parameter.Styles[static_cast<std::size_t>(line)].Visible = visible;
}

int CWaveformPlotWnd::IsMultiLineHasData(int line) const {
    const CLoopLinkItem* item = Line(line);
    return item && !item->Data.X.empty() && !item->Data.Y.empty() ? 1 : 0;
}

int CWaveformPlotWnd::GetMultiLineStatistic(int line, double& min, double& max, double& mean) const {
    const CLoopLinkItem* item = Line(line);
    if (item == nullptr)
        return 0;
    const CLineData& d = item->Data;
    const CSampleStatistics s = d.Summary.Statistics(d.Y.data(), d.Excluded, 0, d.Count());
    if (s.Count == 0)
        return 0;
    min = s.Min;
    max = s.Max;
    mean = s.Sum / static_cast<double>(s.Count);
    return 1;
}

void CWaveformPlotWnd::SetMultiLineStyle(int line, const CLineStyle& style) {
    if (line < 0 || line >= kLineCount)
        return;
    m_parameter.Styles[static_cast<std::size_t>(line)] = style;
}

void CWaveformPlotWnd::SetMultiLineStyle(int line, COLORREF colour, int, int width) {
    if (line < 0 || line >= kLineCount)
        return;
    CLineStyle& s = m_parameter.Styles[static_cast<std::size_t>(line)];
    if (s.LineColor != colour || s.LineWidth != width) {
        s.LineColor = colour;
        s.LineWidth = width;
        s.ReCreateObjects();
    }
}

CLineStyle CWaveformPlotWnd::GetMultiLineStyle(int line) const {
    if (line < 0 || line >= kLineCount)
        return CLineStyle();
    return m_parameter.Styles[static_cast<std::size_t>(line)];
}

bool CWaveformPlotWnd::LineExtent(int line, double& xMin, double& xMax, double& yMin, double& yMax) const {
    const CLoopLinkItem* item = Line(line);
    if (item == nullptr)
        return false;
    const CLineData& d = item->Data;
    if (d.Count() == 0)
        return false;
    const CSampleStatistics s = d.Summary.Statistics(d.Y.data(), d.Excluded, 0, d.Count());
    if (s.Count == 0)
        return false;
    xMin = item->XMin;
    xMax = item->XMax;
    yMin = s.Min;
    yMax = s.Max;
    return true;
}

// ---- ranges ----

int CWaveformPlotWnd::OrgFlag(int axis) {
    return 2 * axis + 1;
}

int CWaveformPlotWnd::ZoomFlag(int axis) {
    return 2 * axis + 2;
}

void CWaveformPlotWnd::SetAxisLogarithmic(int axis, bool logarithmic) {
    if (axis >= 0 && axis < kAxisCount)
        m_axes[static_cast<std::size_t>(axis)].Log = logarithmic;
}

bool CWaveformPlotWnd::IsAxisLogarithmic(int axis) const {
    return axis >= 0 && axis < kAxisCount && m_axes[static_cast<std::size_t>(axis)].Log;
}

void CWaveformPlotWnd::AdjustZoom(int axis, double& min, double& max) const {
    if (!IsAxisLogarithmic(axis))
        return;
    min = std::max(min, kMinLogLimit);
    max = std::max(max, kMinLogLimit);
}

void CWaveformPlotWnd::SetAxisScaleOrg(int axis, double min, double max, int notify) {
    if (axis < 0 || axis >= kAxisCount)
        return;
    m_axes[static_cast<std::size_t>(axis)].OrgMin = min;
    m_axes[static_cast<std::size_t>(axis)].OrgMax = max;
    if (notify)
        Notify(OrgFlag(axis));
}

void CWaveformPlotWnd::SetAxisScaleZoom(int axis, double min, double max, int notify) {
    SetAxisZoomRange(axis, min, max, notify);
    if (axis == ePlotAxisHori)
        OnHorizontalView(false);
    else
        OnVerticalView(false);
}

void CWaveformPlotWnd::SetAxisZoomRange(int axis, double min, double max, int notify) {
    if (axis < 0 || axis >= kAxisCount)
        return;
    AdjustZoom(axis, min, max);
    m_axes[static_cast<std::size_t>(axis)].ZoomMin = min;
    m_axes[static_cast<std::size_t>(axis)].ZoomMax = max;
    if (notify)
        Notify(ZoomFlag(axis));
}

void CWaveformPlotWnd::GetAxisScaleOrg(int axis, double& min, double& max) const {
    if (axis < 0 || axis >= kAxisCount)
        return;
    min = m_axes[static_cast<std::size_t>(axis)].OrgMin;
    max = m_axes[static_cast<std::size_t>(axis)].OrgMax;
}

void CWaveformPlotWnd::GetAxisScaleZoom(int axis, double& min, double& max) const {
    if (axis < 0 || axis >= kAxisCount)
        return;
    min = m_axes[static_cast<std::size_t>(axis)].ZoomMin;
    max = m_axes[static_cast<std::size_t>(axis)].ZoomMax;
}

void CWaveformPlotWnd::SetAxisScaleHoriOrg(double min, double max, int notify) {
    SetAxisScaleOrg(ePlotAxisHori, min, max, notify);
}

void CWaveformPlotWnd::SetAxisScaleVertOrg(double min, double max, int notify) {
    SetAxisScaleOrg(ePlotAxisVert, min, max, notify);
}

void CWaveformPlotWnd::SetAxisScaleHoriZoom(double min, double max, int notify) {
    SetAxisScaleZoom(ePlotAxisHori, min, max, notify);
}

void CWaveformPlotWnd::SetAxisScaleVertZoom(double min, double max, int notify) {
    SetAxisScaleZoom(ePlotAxisVert, min, max, notify);
}

void CWaveformPlotWnd::GetAxisScaleHoriOrg(double& min, double& max) const {
    GetAxisScaleOrg(ePlotAxisHori, min, max);
}

void CWaveformPlotWnd::GetAxisScaleVertOrg(double& min, double& max) const {
    GetAxisScaleOrg(ePlotAxisVert, min, max);
}

void CWaveformPlotWnd::GetAxisScaleHoriZoom(double& min, double& max) const {
    GetAxisScaleZoom(ePlotAxisHori, min, max);
}

void CWaveformPlotWnd::GetAxisScaleVertZoom(double& min, double& max) const {
    GetAxisScaleZoom(ePlotAxisVert, min, max);
}

void CWaveformPlotWnd::SetAxisRestore() {
    for (int axis : {ePlotAxisVert, ePlotAxisLeft, ePlotAxisHori}) {
        if (axis >= m_axisCount)
            continue;
        const CAxisRange& r = m_axes[static_cast<std::size_t>(axis)];
        SetAxisZoomRange(axis, r.OrgMin, r.OrgMax, 1);
    }
    OnVerticalView(true);
    OnHorizontalView(true);
}

void CWaveformPlotWnd::SetAxisAdaptive() {
    bool any = false;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    for (int line = 0; line < kLineCount; ++line) {
        double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        // A line whose samples are all excluded contributes neither extent.
        if (!GetMultiLineVisible(line) || !LineExtent(line, x0, x1, y0, y1))
            continue;
        xMin = any ? std::min(xMin, x0) : x0;
        xMax = any ? std::max(xMax, x1) : x1;
        yMin = any ? std::min(yMin, y0) : y0;
        yMax = any ? std::max(yMax, y1) : y1;
        any = true;
    }
    if (!any)
        return;
    SetAxisScaleVertOrg(yMin, yMax, 1);
    SetAxisScaleVertZoom(yMin, yMax, 1);
    SetAxisScaleHoriOrg(xMin, xMax, 1);
    SetAxisScaleHoriZoom(xMin, xMax, 1);
}

// ---- parameters ----

void CWaveformPlotWnd::ApplyParameterRanges(int notify) {
    SetAxisScaleHoriOrg(m_parameter.HoriMinZoom, m_parameter.HoriMaxZoom, notify);
    SetAxisScaleVertOrg(m_parameter.VertMinZoom, m_parameter.VertMaxZoom, notify);
    if (m_axisCount > ePlotAxisLeft)
        SetAxisScaleOrg(ePlotAxisLeft, m_parameter.VertLeftMinZoom, m_parameter.VertLeftMaxZoom, notify);
    if (notify) {
        SetAxisRestore();
        return;
    }
    for (int axis = 0; axis < m_axisCount; ++axis) {
        const CAxisRange& r = m_axes[static_cast<std::size_t>(axis)];
        SetAxisZoomRange(axis, r.OrgMin, r.OrgMax, 0);
    }
}

int CWaveformPlotWnd::SetGDI(const CParameterWaveform& parameter) {
    m_parameter = parameter;
    m_axisPensApplied = true;
    // The scroll bars take the new full ranges too, or their reset would bring back the old ones.
    ApplyParameterRanges(1);
    ReDrawWaveformWnd(1, 1, 1);
    return SaveParameters() == 1 ? 1 : 0;
}

void CWaveformPlotWnd::UpdateParameterWaveform() {
    GetAxisScaleHoriZoom(m_parameter.HoriMinZoom, m_parameter.HoriMaxZoom);
    GetAxisScaleVertZoom(m_parameter.VertMinZoom, m_parameter.VertMaxZoom);
    if (m_axisCount > ePlotAxisLeft)
        GetAxisScaleZoom(ePlotAxisLeft, m_parameter.VertLeftMinZoom, m_parameter.VertLeftMaxZoom);
}

CParameterWaveform CWaveformPlotWnd::ParameterWithVisibleRanges() {
    const CParameterWaveform kept = m_parameter;
    UpdateParameterWaveform();
    CParameterWaveform result = m_parameter;
    m_parameter = kept;
    return result;
}

int CWaveformPlotWnd::SaveParameters() {
    return DLL_SaveParameterToFile(ConfigFilePath(), &m_parameter);
}

// ---- geometry ----

CPlotArea CWaveformPlotWnd::PlotAreaWithMargins(const QRect& client, int left, int right) const {
    const int h = QFontMetrics(m_fontArial).height();
    CPlotArea a;
    a.left = client.left() + left;
    a.top = client.top() + 2 * h;
    a.right = a.left + ((client.width() - left - right) / 10) * 10;
    a.bottom = a.top + ((client.height() - 5 * h) / 10) * 10;
    return a;
}

int CWaveformPlotWnd::WidestLabel(const QStringList& texts) const {
    const QFontMetrics metrics(m_fontArial);
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return widest;
}

CPlotArea CWaveformPlotWnd::CalcAxisRect(const QRect& client) const {
    const int c = QFontMetrics(m_fontArial).horizontalAdvance(QStringLiteral("中"));
    // The left margin of five characters, or wider where a label of the present range needs it: the
    // vertical position of the labels does not depend on the margin.
    const CPlotArea first = PlotAreaWithMargins(client, 5 * c, 2 * c);
    const int labels = WidestLabel(VerticalLabels(DrawMapping(first))) + kLabelGap + kLabelEdge;
    return labels > 5 * c ? PlotAreaWithMargins(client, labels, 2 * c) : first;
}

void CWaveformPlotWnd::RecalDrawArea(int cx, int cy) {
    m_client = QRect(0, 0, cx, cy);
    if (!m_client.isEmpty()) {
        const COLORREF bk = m_parameter.ColorAxisBkGnd;
        m_dcStatic.Create(cx, cy, bk);
        // The shown layer only grows, so that shrinking and growing back costs no reallocation.
        if (!m_dcComposed.Exists() || m_dcComposed.Width() < cx || m_dcComposed.Height() < cy)
            m_dcComposed.Create(std::max(cx, m_dcComposed.Width()), std::max(cy, m_dcComposed.Height()), bk);
        m_overlays.clear();
    }
    m_plot = CalcAxisRect(m_client);
}

void CWaveformPlotWnd::OnSize(int cx, int cy) {
    // Any size is drawn whole: a window wider than a screen of old still shows its plot to its edge.
    if (cx > 0 && cy > 0)
        RecalDrawArea(cx, cy);
    ReDrawWaveformWnd(1, 1, 1);
}

void CWaveformPlotWnd::resizeEvent(QResizeEvent*) {
    if (m_created)
        OnSize(width(), height());
}

CPlotMapping CWaveformPlotWnd::DrawMapping(const CPlotArea& area) const {
    CPlotMapping m;
    m.area = area;
    const CAxisRange& h = m_axes[ePlotAxisHori];
    const CAxisRange& v = m_axes[ePlotAxisVert];
    m.logX = h.Log;
    m.logY = v.Log;
    m.hMin = h.ZoomMin;
    m.hMax = h.ZoomMax;
    // A time span of nothing (one sample, equal limits) is widened so that the axis can be stepped.
    if (!m.logX && (!(m.hMax > m.hMin) || (WidensShortTimeSpans() && !(m.hMax - m.hMin >= kMinHoriSpan))))
        m.hMax = m.hMin + kMinHoriSpan;
    m.vMin = v.ZoomMin;
    m.vMax = v.ZoomMax;
    return m;
}

bool CWaveformPlotWnd::AxesDrawable(const CPlotMapping& m) const {
    if (m.area.IsEmpty())
        return false;
    auto drawable = [](double lo, double hi, bool log, double minSpan) {
        if (log)
            return lo > 0.0 && hi > lo && std::isfinite(hi);
        const double span = hi - lo;
        return span >= minSpan && std::isfinite(span);
    };
    return drawable(m.vMin, m.vMax, m.logY, kMinVertSpan) && drawable(m.hMin, m.hMax, m.logX, 0.0) &&
           m.hMax > m.hMin;
}

// ---- drawing ----

QColor CWaveformPlotWnd::GridColour() const {
    // Until parameters are applied the frame and grid keep their fixed pens; after that they come from
    // the record at every drawing, so no pen outlives the colours it was made from.
    return ToQColor(m_axisPensApplied ? m_parameter.ColorAxis : kDefaultGridPen);
}

QPen CWaveformPlotWnd::AxisPen() const {
    return QPen(ToQColor(m_axisPensApplied ? m_parameter.ColorAxis : kDefaultAxisPen),
                m_axisPensApplied ? 2 : 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

void CWaveformPlotWnd::DrawTimeGrid(QPainter& p, const QRect& client, const CPlotMapping& m) const {
    const CPlotArea& a = m.area;
    const QFontMetrics metrics(m_fontArial, p.device());
    const int th = metrics.height();
    double unused = 0.0;
    const double hstep = AlignAxisY((m.hMax - m.hMin) / 10.0, unused);
    const QColor gridColour = GridColour(), textColour = ToQColor(m_parameter.ColorAxisText);
    QRect previous;
    ForEachGridValue(m.hMin, m.hMax, hstep, [&](double v) {
        const int x = m.XPixel(v);
        p.setPen(QPen(gridColour, 1));
        p.drawLine(x, a.top, x, a.bottom);
        // Centred under its line, moved inside the client at its ends, left out over the one before.
        const QString text = FormatFloatText(v);
        const int w = metrics.horizontalAdvance(text) + 2;
        const int left =
            std::clamp(x - w / 2, client.left(), std::max(client.left(), client.right() + 1 - w));
        const QRect box(left, a.bottom + th / 2, w, th);
        if (!previous.isNull() && box.left() <= previous.right() + kLabelGap)
            return;
        p.setPen(textColour);
        p.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
        previous = box;
    });
}

void CWaveformPlotWnd::DrawCaptionsAndFrame(QPainter& p, const QRect& client, const CPlotArea& a) const {
    const int th = QFontMetrics(m_fontArial, p.device()).height();
    p.setPen(ToQColor(m_parameter.ColorAxisText));
    p.drawText(QRect(a.left, a.top - 3 - th, a.Width(), th), Qt::AlignHCenter | Qt::AlignBottom,
               m_parameter.ChartName);
    p.drawText(QRect(a.left, client.bottom() + 1 - th - 5, a.Width(), th), Qt::AlignHCenter | Qt::AlignTop,
               m_parameter.ScaleTextHori);
    p.setPen(AxisPen());
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(a.left, a.top, a.Width(), a.Height()));
}

void CWaveformPlotWnd::DrawAxes(QPainter& p, const QRect& client, const CPlotMapping& m) const {
    p.fillRect(client, ToQColor(m_parameter.ColorAxisBkGnd));
    if (!AxesDrawable(m))
        return;
    const CPlotArea& a = m.area;
    p.save();
    p.setFont(m_fontArial);
    const int th = QFontMetrics(m_fontArial, p.device()).height();
    const QColor gridColour = GridColour(), textColour = ToQColor(m_parameter.ColorAxisText);
    double unused = 0.0;
    const double vstep = AlignAxisY((m.vMax - m.vMin) / 6.0, unused);
    ForEachGridValue(m.vMin, m.vMax, vstep, [&](double v) {
        const int y = m.YPixel(v);
        p.setPen(QPen(gridColour, 1));
        p.drawLine(a.left, y, a.right, y);
        p.setPen(textColour);
        p.drawText(QRect(client.left(), y - th / 2, a.left - kLabelGap - client.left(), th),
                   Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, FormatFloatText(v));
    });
    DrawTimeGrid(p, client, m);
    p.setPen(textColour);
    p.drawText(QRect(a.left - 200, a.top - 10 - th, 400, th), Qt::AlignHCenter | Qt::AlignTop,
               m_parameter.ScaleTextVert);
    DrawCaptionsAndFrame(p, client, a);
    p.restore();
}

QStringList CWaveformPlotWnd::VerticalLabels(const CPlotMapping& m) const {
    QStringList labels;
    if (!AxesDrawable(m))
        return labels;
    double unused = 0.0;
    ForEachGridValue(m.vMin, m.vMax, AlignAxisY((m.vMax - m.vMin) / 6.0, unused),
                     [&](double v) { labels << FormatFloatText(v); });
    return labels;
}

CPlotMapping CWaveformPlotWnd::LineMapping(int, const CPlotMapping& m) const {
    return m;
}

void CWaveformPlotWnd::DrawOneLine(QPainter& p, int line, const CPlotMapping& mapping, bool keepDrawnRange) {
    const CLoopLinkItem* item = Line(line);
    CLineStyle& style = m_parameter.Styles[static_cast<std::size_t>(line)];
    const CPlotMapping m = LineMapping(line, mapping);
    if (item == nullptr || !style.Visible || !AxesDrawable(m))
        return;
    const CDrawnRange drawn = waveform::DrawLine(p, item->Data, m, style, m_parameter.LineStyle);
    if (!keepDrawnRange)
        return;
    m_drawn[static_cast<std::size_t>(line)] = drawn;
    style.DrawnFirstIndex = drawn.FirstIndex;
    style.DrawnEndIndex = drawn.EndIndex;
    style.DrawnFirstX = drawn.FirstX;
    style.DrawnLastX = drawn.LastX;
}

void CWaveformPlotWnd::DrawStaticLines(QPainter& p, const CPlotMapping& m, bool keepDrawnRange) {
    for (int line = 1; line < kLineCount; ++line)
        DrawOneLine(p, line, m, keepDrawnRange);
}

void CWaveformPlotWnd::DrawRealTimeLines(QPainter& p, const CPlotMapping& m, bool keepDrawnRange) {
    DrawOneLine(p, 0, m, keepDrawnRange);
}

QRegion CWaveformPlotWnd::DrawMarkers(QPainter& painter, const CPlotMapping& m, bool draw) const {
    const CPlotArea& a = m.area;
    QRegion covered;
    // A line off the plot is drawn on its nearer edge.
    int x[2] = {}, y[2] = {};
    if (m_markerA.Shown) {
        x[0] = std::clamp(m_markerA.Pixel1, a.left, a.right);
        x[1] = std::clamp(m_markerA.Pixel2, a.left, a.right);
        for (int px : x)
            covered += QRect(px - 1, a.top - 1, 3, a.Height() + 3);
    }
    if (m_markerB.Shown) {
        y[0] = std::clamp(m_markerB.Pixel1, a.top, a.bottom);
        y[1] = std::clamp(m_markerB.Pixel2, a.top, a.bottom);
        for (int py : y)
            covered += QRect(a.left - 1, py - 1, a.Width() + 3, 3);
    }
    if (!draw)
        return covered;
    QPainter* p = &painter;
    const QPen pen1(ToQColor(kMarkerPen), 1, Qt::SolidLine, Qt::FlatCap);
    const QPen pen2(ToQColor(kMarkerPen), 1, Qt::DotLine, Qt::FlatCap);
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    if (m_markerA.Shown) {
        p->setPen(pen1);
        p->drawLine(x[0], a.top, x[0], a.bottom);
        p->setPen(pen2);
        p->drawLine(x[1], a.top, x[1], a.bottom);
    }
    if (m_markerB.Shown) {
        p->setPen(pen1);
        p->drawLine(a.left, y[0], a.right, y[0]);
        p->setPen(pen2);
        p->drawLine(a.left, y[1], a.right, y[1]);
    }
    p->restore();
    return covered;
}

QRegion CWaveformPlotWnd::RemoveOverlays() {
    QRegion removed;
    QImage& shown = m_dcComposed.Image();
    for (auto it = m_overlays.rbegin(); it != m_overlays.rend(); ++it) {
        const QRect& r = it->Rect;
        for (int row = 0; row < r.height(); ++row)
            std::memcpy(shown.scanLine(r.top() + row) + r.left() * 4, it->Pixels.constScanLine(row),
                        static_cast<std::size_t>(r.width()) * 4);
        removed += r;
    }
    m_overlays.clear();
    return removed;
}

template <typename Draw> QRegion CWaveformPlotWnd::DrawOverlay(Draw draw) {
    QImage& shown = m_dcComposed.Image();
    QPainter p(&shown);
    const QRegion region = draw(p, false) & QRegion(m_client);
    for (const QRect& r : region)
        m_overlays.push_back({r, shown.copy(r)});
    p.setClipRect(m_client);
    draw(p, true);
    return region;
}

void CWaveformPlotWnd::ReDrawWaveformWnd(int axis, int realtime, int markers) {
    if (m_client.isEmpty() || !m_dcStatic.Exists() || !m_dcComposed.Exists())
        return;
    // The margins follow the labels of the present ranges; a plot that moved has its lines drawn anew.
    if (axis) {
        const CPlotArea before = m_plot;
        m_plot = CalcAxisRect(m_client);
        if (m_plot.WithEdges() != before.WithEdges())
            realtime = 1;
    }
    if (m_plot.IsEmpty())
        return;
    const CPlotMapping m = DrawMapping(m_plot);
    const QRect plotRect = m_plot.WithEdges();
    QRegion damaged;
    if (axis) {
        QPainter p(&m_dcStatic.Image());
        DrawAxes(p, m_client, m);
        DrawStaticLines(p, m, true);
        p.end();
        // Outside the plot the shown layer is the static one.
        for (const QRect& r : QRegion(m_client) - QRegion(plotRect))
            m_dcComposed.CopyFrom(m_dcStatic, r);
        damaged += m_client;
        PlaceMarkerPixels(m);
    }
    if (realtime) {
        // The real-time lines straight onto the shown layer, over the static plot area; the overlays
        // go with the pixels under them.
        m_overlays.clear();
        m_dcComposed.CopyFrom(m_dcStatic, plotRect);
        QPainter p(&m_dcComposed.Image());
        DrawRealTimeLines(p, m, true);
        damaged += plotRect;
    } else {
        damaged += RemoveOverlays();
    }
    if (markers)
        damaged += DrawOverlay([&](QPainter& p, bool draw) { return DrawMarkers(p, m, draw); });
    update(damaged & QRegion(m_client));
}

void CWaveformPlotWnd::ShowZoomBox(const QRect& box) {
    QRegion damaged = RemoveOverlays();
    const CPlotMapping m = DrawMapping(m_plot);
    damaged += DrawOverlay([&](QPainter& p, bool draw) { return DrawMarkers(p, m, draw); });
    damaged += DrawOverlay([&](QPainter& p, bool draw) {
        // The outline's edges, a pixel either way.
        const QRect outer = box.adjusted(-1, -1, 2, 2), inner = box.adjusted(2, 2, -1, -1);
        if (draw) {
            p.setPen(QPen(Qt::black, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(box);
        }
        return inner.isValid() ? QRegion(outer) - QRegion(inner) : QRegion(outer);
    });
    update(damaged & QRegion(m_client));
}

void CWaveformPlotWnd::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    // Only what changed: a marker step repaints the columns it left and reached.
    const QRegion inside = m_dcComposed.Exists() ? event->region() & QRegion(m_client) : QRegion();
    const QImage& shown = m_dcComposed.Image();
    for (const QRect& r : inside) {
        // One rectangle as the clip: against the whole region every span would be clipped apart.
        // Views of its pixels, a band of rows at a time: the painter then works on them alone, and a
        // tall thin band (a marker line) is not handed to a pool of threads.
        p.setClipRect(r);
        for (int top = r.top(); top <= r.bottom(); top += kPaintBand) {
            const int rows = std::min(kPaintBand, r.bottom() + 1 - top);
            const QImage part(shown.constScanLine(top) + r.left() * 4, r.width(), rows, shown.bytesPerLine(),
                              shown.format());
            p.drawImage(QPoint(r.left(), top), part);
        }
    }
    p.setClipping(false);
    for (const QRect& r : event->region() - inside)
        p.fillRect(r, ToQColor(m_parameter.ColorAxisBkGnd));
}

// ---- markers ----

void CWaveformPlotWnd::PlaceMarkerPixels(const CPlotMapping& m) {
    if (m.area.IsEmpty())
        return;
    if (m_markerA.Shown) {
        m_markerA.Pixel1 = std::clamp(m.XPixel(m_markerA.Value1), m.area.left, m.area.right);
        m_markerA.Pixel2 = std::clamp(m.XPixel(m_markerA.Value2), m.area.left, m.area.right);
    }
    if (m_markerB.Shown) {
        m_markerB.Pixel1 = std::clamp(m.YPixel(m_markerB.Value1), m.area.top, m.area.bottom);
        m_markerB.Pixel2 = std::clamp(m.YPixel(m_markerB.Value2), m.area.top, m.area.bottom);
    }
}

void CWaveformPlotWnd::ResetMarkerA(const CLineData& d) {
    if (!m_markerA.Shown || d.Count() < 1)
        return;
    if (std::fabs(m_markerA.Value1) < 1e-20) {
        m_markerA.Index1 = 0;
        m_markerA.Value1 = d.X[0];
        m_markerA.Value3 = d.Y[0];
    }
    if (std::fabs(m_markerA.Value2) < 1e-20) {
        m_markerA.Index2 = 0;
        m_markerA.Value2 = d.X[0];
        m_markerA.Value4 = d.Y[0];
    }
    PlaceMarkerPixels(DrawMapping(m_plot));
    SendMarker(kMarkerCodePairA, &m_markerA);
}

void CWaveformPlotWnd::SetMarkerVisible(int pairA, int show) {
    if (!pairA) {
        m_markerB.Shown = show;
        if (show)
            PlaceMarkerPixels(DrawMapping(m_plot));
        return;
    }
    if (!MarkersSnapToLine()) {
        // Lines that stand anywhere need no samples to stand on.
        m_markerA.Shown = show;
        if (show)
            PlaceMarkerPixels(DrawMapping(m_plot));
        return;
    }
    if (m_head->Data.X.size() < 2)
        return;
    m_markerA.Shown = show;
    ResetMarkerA(m_head->Data);
}

int CWaveformPlotWnd::GetMarkerVisible(int pairA) const {
    return pairA ? m_markerA.Shown : m_markerB.Shown;
}

CWaveformPlotWnd::eMarkerLine CWaveformPlotWnd::HitTest(const QPoint& pt) const {
    const CPlotArea& a = m_plot;
    if (m_markerA.Shown && pt.y() >= a.top && pt.y() <= a.bottom) {
        if (std::abs(pt.x() - m_markerA.Pixel1) <= 2)
            return eMarkerA1;
        if (std::abs(pt.x() - m_markerA.Pixel2) <= 2)
            return eMarkerA2;
    }
    if (m_markerB.Shown && pt.x() >= a.left && pt.x() <= a.right) {
        if (std::abs(pt.y() - m_markerB.Pixel1) <= 2)
            return eMarkerB1;
        if (std::abs(pt.y() - m_markerB.Pixel2) <= 2)
            return eMarkerB2;
    }
    return eMarkerNone;
}

void CWaveformPlotWnd::DragMarker(const QPoint& pt) {
    const CPlotMapping m = DrawMapping(m_plot);
    if (m_dragging == eMarkerA1 || m_dragging == eMarkerA2) {
        const bool first = m_dragging == eMarkerA1;
        const CLineData& d = m_head->Data;
        int& pixel = first ? m_markerA.Pixel1 : m_markerA.Pixel2;
        double& value = first ? m_markerA.Value1 : m_markerA.Value2;
        if (!MarkersSnapToLine()) {
            pixel = std::clamp(pt.x(), m_plot.left, m_plot.right);
            value = m.XValue(pixel);
        } else if (const CSnapResult snap = SnapToSample(d, m_drawn[0], m, pt.x()); snap.Found) {
            (first ? m_markerA.Index1 : m_markerA.Index2) = static_cast<std::uint32_t>(snap.Index);
            value = d.X[snap.Index];
            (first ? m_markerA.Value3 : m_markerA.Value4) = d.Y[snap.Index];
            pixel = m.XPixel(d.X[snap.Index]);
        } else {
            // No sample under the pointer (past either end of the line): the line stays on the sample
            // it holds, so what is drawn and what is reported agree.
            pixel = m.XPixel(value);
        }
        ReDrawWaveformWnd(0, 0, 1);
        SendMarker(kMarkerCodePairA, &m_markerA);
    } else if (m_dragging == eMarkerB1 || m_dragging == eMarkerB2) {
        const int y = std::clamp(pt.y(), m_plot.top, m_plot.bottom);
        const double value = m.YValue(y);
        if (m_dragging == eMarkerB1) {
            m_markerB.Pixel1 = y;
            m_markerB.Value1 = value;
        } else {
            m_markerB.Pixel2 = y;
            m_markerB.Value2 = value;
        }
        ReDrawWaveformWnd(0, 0, 1);
        ReportMarkerB();
    }
}

void CWaveformPlotWnd::ReportMarkerB() {
    SendMarker(kMarkerCodePairB, &m_markerB);
}

void CWaveformPlotWnd::SendStatistics() {
    const CMarkerStatistics s = MarkerStatistics(m_head->Data, m_markerA.Index1, m_markerA.Index2);
    m_statistic.Valid = s.Valid;
    m_statistic.Maximum = s.Maximum;
    m_statistic.Minimum = s.Minimum;
    m_statistic.Mean = s.Mean;
    m_statistic.Product = s.Product;
    SendMarker(kMarkerCodeStatistics, &m_statistic);
}

// ---- mouse ----

void CWaveformPlotWnd::SetOperateTool(int tool) {
    m_tool = tool;
    UpdateCursor();
}

void CWaveformPlotWnd::UpdateCursor() {
    if (m_over == eMarkerA1 || m_over == eMarkerA2)
        setCursor(Qt::SizeHorCursor);
    else if (m_over == eMarkerB1 || m_over == eMarkerB2)
        setCursor(Qt::SizeVerCursor);
    else if (m_tool == eWaveformToolPan)
        setCursor(Qt::SizeAllCursor);
    else if (m_tool >= eWaveformToolZoomBox && m_tool <= eWaveformToolZoomVert)
        setCursor(Qt::CrossCursor);
    else
        setCursor(Qt::ArrowCursor);
}

void CWaveformPlotWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pt = event->position().toPoint();
    m_buttonDown = true;
    m_pressPoint = m_currentPoint = pt;
    // The markers may have been hidden or moved since the pointer last moved.
    m_over = HitTest(pt);
    UpdateCursor();
    if (m_over != eMarkerNone) {
        m_dragging = m_over;
        return;
    }
    m_axesAtPress = m_axes;
}

void CWaveformPlotWnd::Pan(const QPoint& pt) {
    // Both visible ranges keep their spans (in decades on a logarithmic axis) and move with the pointer.
    auto shifted = [&](int axis, double pixels, int length, double sign) {
        const CAxisRange& r = m_axesAtPress[static_cast<std::size_t>(axis)];
        const double lo = ToAxis(r.ZoomMin, r.Log), hi = ToAxis(r.ZoomMax, r.Log);
        const double d = sign * pixels * (hi - lo) / length;
        SetAxisScaleZoom(axis, FromAxis(lo + d, r.Log), FromAxis(hi + d, r.Log), 0);
    };
    shifted(ePlotAxisHori, pt.x() - m_pressPoint.x(), m_plot.Width(), -1.0);
    OnHorizontalView(false);
    shifted(ePlotAxisVert, pt.y() - m_pressPoint.y(), m_plot.Height(), 1.0);
    ReDrawWaveformWnd(1, 1, 1);
    Notify(eAxisVertZoom);
    Notify(eAxisHoriZoom);
}

void CWaveformPlotWnd::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pt = event->position().toPoint();
    if (!m_buttonDown) {
        m_over = HitTest(pt);
        UpdateCursor();
        return;
    }
    if (m_dragging != eMarkerNone) {
        DragMarker(pt);
        return;
    }
    if (m_plot.IsEmpty())
        return;
    if (m_tool == eWaveformToolPan) {
        Pan(pt);
    } else if (m_tool >= eWaveformToolZoomBox && m_tool <= eWaveformToolZoomVert) {
        m_currentPoint = QPoint(std::clamp(pt.x(), m_plot.left, m_plot.right),
                                std::clamp(pt.y(), m_plot.top, m_plot.bottom));
        QRect box = QRect(m_pressPoint, m_currentPoint).normalized();
        if (m_tool == eWaveformToolZoomHori)
            box = QRect(QPoint(box.left(), m_plot.top), QPoint(box.right(), m_plot.bottom));
        else if (m_tool == eWaveformToolZoomVert)
            box = QRect(QPoint(m_plot.left, box.top()), QPoint(m_plot.right, box.bottom()));
        if (m_dcComposed.Exists())
            ShowZoomBox(box);
    }
}

void CWaveformPlotWnd::ZoomToBox(const QPoint& pt) {
    const QPoint end(std::clamp(pt.x(), m_plot.left, m_plot.right),
                     std::clamp(pt.y(), m_plot.top, m_plot.bottom));
    const CPlotMapping m = DrawMapping(m_plot);
    if (m_tool == eWaveformToolZoomBox || m_tool == eWaveformToolZoomHori) {
        double a = m.XValue(m_pressPoint.x()), b = m.XValue(end.x());
        if (a > b)
            std::swap(a, b);
        if (std::abs(end.x() - m_pressPoint.x()) >= kMinZoomPixels && (m.logX || b - a > kMinHoriSpan)) {
            SetAxisScaleHoriZoom(a, b, 1);
            OnHorizontalView(false);
        }
    }
    if (m_tool == eWaveformToolZoomBox || m_tool == eWaveformToolZoomVert) {
        double a = m.YValue(m_pressPoint.y()), b = m.YValue(end.y());
        if (a > b)
            std::swap(a, b);
        // A box of a pixel or two is a slip of the hand; anything taller is a zoom, whatever the scale
        // of the axis (currents of nanoamperes included).
        if (std::abs(end.y() - m_pressPoint.y()) >= kMinZoomPixels && (m.logY || b - a >= kMinVertSpan))
            SetAxisScaleVertZoom(a, b, 1);
    }
    ReDrawWaveformWnd(1, 1, 1);
}

void CWaveformPlotWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_buttonDown)
        return;
    m_buttonDown = false;
    if (m_dragging != eMarkerNone) {
        const bool pairA = m_dragging == eMarkerA1 || m_dragging == eMarkerA2;
        m_dragging = eMarkerNone;
        if (pairA)
            SendStatistics();
        return;
    }
    if (m_tool >= eWaveformToolZoomBox && m_tool <= eWaveformToolZoomVert && !m_plot.IsEmpty()) {
        ZoomToBox(event->position().toPoint());
        return;
    }
    update();
}

// ---- bitmap and printing ----

int CWaveformPlotWnd::SaveAsBitmap(const QString& path) const {
    if (!m_dcComposed.Exists())
        return 0;
    // Only the client area: the shown layer never shrinks, so beyond it lie stale pixels.
    return SaveBitmapFile(path, m_dcComposed.Image(), m_client);
}

void CWaveformPlotWnd::OnBeginPrinting(QPrinter* printer) {
    if (printer)
        printer->setFromTo(1, 1);
}

void CWaveformPlotWnd::OnPrepareDC(QPainter* painter, QPaintDevice* printer) {
    if (painter == nullptr || printer == nullptr)
        return;
    const double scale = static_cast<double>(printer->logicalDpiX()) / logicalDpiX();
    painter->scale(scale, scale);
}

void CWaveformPlotWnd::OnPrint(QPainter* painter, const QRect* drawRect, int width, int height) {
    if (painter == nullptr)
        return;
    QRect client(0, 0, width, height);
    if (drawRect)
        client = *drawRect;
    CPlotArea area = CalcAxisRect(client);
    area.left += 10;
    area.right -= 10;
    area.top += 20;
    area.bottom -= 20;
    const CPlotMapping m = DrawMapping(area);
    DrawAxes(*painter, client, m);
    DrawStaticLines(*painter, m, false);
    if (IsMultiLineHasData(0))
        DrawOneLine(*painter, 0, m, false);
    // The markers' pixels belong to the screen; the printed ones are placed from their values.
    const CWaveformMarkerRecord a = m_markerA, b = m_markerB;
    PlaceMarkerPixels(m);
    DrawMarkers(*painter, m, true);
    m_markerA = a;
    m_markerB = b;
}

void CWaveformPlotWnd::OnEndPrinting() {
    RecalDrawArea(width(), height());
    ReDrawWaveformWnd(1, 1, 1);
}
