#include "waveform/tailplot/WaveformCCDFWnd.h"

#include "platform/ProgramFolder.h"
#include "waveform/common/BitmapFile.h"
#include "waveform/common/ColorRef.h"
#include "waveform/traceprefs/ParameterFile.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

namespace {

using tailplot::CLogMapping;
using tailplot::RaiseToLogFloor;
using waveform::CPlotArea;
using waveform::ToQColor;

constexpr COLORREF kDefaultAxisPen = 0x808080;

const std::vector<double> kNoValues;

} // namespace

CWaveformCCDFWnd::CWaveformCCDFWnd() {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CWaveformCCDFWnd::~CWaveformCCDFWnd() = default;

int CWaveformCCDFWnd::Create(QWidget* parent, platform::CMessageTarget* frame) {
    setParent(parent);
    m_frame = frame;
    for (CMemoryDC* dc : {&m_dcComposed, &m_dcStatic, &m_dcRealTime})
        if (!dc->Create(100, 100, m_parameter.ColorAxisBkGnd))
            return -2;
    InitGDIObjects();
    m_created = true;
    show();
    return 0;
}

QString CWaveformCCDFWnd::ConfigFilePath() const {
    return platform::ProgramFolder() + QStringLiteral("Config/WaveformCCDF.xml");
}

void CWaveformCCDFWnd::InitGDIObjects() {
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
        m_vertOrgMin = m_parameter.VertMinZoom;
        m_vertOrgMax = m_parameter.VertMaxZoom;
        m_horiOrgMin = m_parameter.HoriMinZoom;
        m_horiOrgMax = m_parameter.HoriMaxZoom;
        SetAxisScaleVertZoom(m_vertOrgMin, m_vertOrgMax, 0);
        SetAxisScaleHoriZoom(m_horiOrgMin, m_horiOrgMax, 0);
    }
}

void CWaveformCCDFWnd::Notify(int flag) {
    platform::SendMessage(m_frame, kAxisChangedMessage, static_cast<platform::WPARAM>(flag), 0);
}

// ---- lines ----

tailplot::CCcdfCurve* CWaveformCCDFWnd::Line(int line) {
    return line >= 0 && line < static_cast<int>(m_lines.size()) ? &m_lines[static_cast<std::size_t>(line)]
                                                                : nullptr;
}

const tailplot::CCcdfCurve* CWaveformCCDFWnd::Line(int line) const {
    return const_cast<CWaveformCCDFWnd*>(this)->Line(line);
}

void CWaveformCCDFWnd::SetDataMultiLine(int line, const double* samples, unsigned n) {
    tailplot::CCcdfCurve* curve = Line(line);
    if (curve == nullptr)
        return;
    // Too few readings leave the line as it was told: nothing to show, nothing changed.
    if (n <= 5) {
        curve->X.clear();
        curve->Y.clear();
        return;
    }
    m_parameter.Styles[static_cast<std::size_t>(line)].Visible = tailplot::ComputeCcdf(samples, n, *curve);
}

int CWaveformCCDFWnd::SetCcdfPointsMultiLine(int line, const double* amplitudes, const double* percents,
                                             unsigned n) {
    tailplot::CCcdfCurve* curve = Line(line);
    if (curve == nullptr)
        return 0;
    const int result = tailplot::SetCcdfPoints(amplitudes, percents, n, *curve);
    m_parameter.Styles[static_cast<std::size_t>(line)].Visible = result;
    return result;
}

const std::vector<double>& CWaveformCCDFWnd::GetDataMultiLineX(int line) const {
    const tailplot::CCcdfCurve* curve = Line(line);
    return curve ? curve->X : kNoValues;
}

const std::vector<double>& CWaveformCCDFWnd::GetDataMultiLineY(int line) const {
    const tailplot::CCcdfCurve* curve = Line(line);
    return curve ? curve->Y : kNoValues;
}

int CWaveformCCDFWnd::GetMultiLineVisible(int line) const {
    return Line(line) ? m_parameter.Styles[static_cast<std::size_t>(line)].Visible : 0;
}

void CWaveformCCDFWnd::SetMultiLineVisible(int line, int visible) {
    if (Line(line))
        m_parameter.Styles[static_cast<std::size_t>(line)].Visible = visible;
}

int CWaveformCCDFWnd::IsMultiLineHasData(int line) const {
    const tailplot::CCcdfCurve* curve = Line(line);
    return curve && !curve->X.empty() && !curve->Y.empty() ? 1 : 0;
}

void CWaveformCCDFWnd::SetMultiLineStyle(int line, const CLineStyle& style) {
    if (Line(line))
        m_parameter.Styles[static_cast<std::size_t>(line)] = style;
}

void CWaveformCCDFWnd::SetMultiLineStyle(int line, COLORREF colour, int, int width) {
    if (!Line(line))
        return;
    CLineStyle& s = m_parameter.Styles[static_cast<std::size_t>(line)];
    if (s.LineColor != colour || s.LineWidth != width) {
        s.LineColor = colour;
        s.LineWidth = width;
        s.ReCreateObjects();
    }
}

CLineStyle CWaveformCCDFWnd::GetMultiLineStyle(int line) const {
    return Line(line) ? m_parameter.Styles[static_cast<std::size_t>(line)] : CLineStyle();
}

// ---- ranges ----

void CWaveformCCDFWnd::SetAxisScaleHoriOrg(double min, double max, int notify) {
    m_horiOrgMin = min;
    m_horiOrgMax = max;
    if (notify)
        Notify(eHoriOrg);
}

void CWaveformCCDFWnd::SetAxisScaleVertOrg(double min, double max, int notify) {
    m_vertOrgMin = min;
    m_vertOrgMax = max;
    if (notify)
        Notify(eVertOrg);
}

void CWaveformCCDFWnd::SetAxisScaleHoriZoom(double min, double max, int notify) {
    m_horiZoomMin = RaiseToLogFloor(min);
    m_horiZoomMax = RaiseToLogFloor(max);
    if (notify)
        Notify(eHoriZoom);
}

void CWaveformCCDFWnd::SetAxisScaleVertZoom(double min, double max, int notify) {
    m_vertZoomMin = RaiseToLogFloor(min);
    m_vertZoomMax = RaiseToLogFloor(max);
    if (notify)
        Notify(eVertZoom);
}

void CWaveformCCDFWnd::GetAxisScaleHoriOrg(double& min, double& max) const {
    min = m_horiOrgMin;
    max = m_horiOrgMax;
}

void CWaveformCCDFWnd::GetAxisScaleVertOrg(double& min, double& max) const {
    min = m_vertOrgMin;
    max = m_vertOrgMax;
}

void CWaveformCCDFWnd::GetAxisScaleHoriZoom(double& min, double& max) const {
    min = m_horiZoomMin;
    max = m_horiZoomMax;
}

void CWaveformCCDFWnd::GetAxisScaleVertZoom(double& min, double& max) const {
    min = m_vertZoomMin;
    max = m_vertZoomMax;
}

void CWaveformCCDFWnd::SetAxisRestore() {
    SetAxisScaleVertZoom(m_vertOrgMin, m_vertOrgMax, 1);
    SetAxisScaleHoriZoom(m_horiOrgMin, m_horiOrgMax, 1);
}

void CWaveformCCDFWnd::SetAxisAdaptive() {
    bool any = false;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    for (int line = 0; line < static_cast<int>(m_lines.size()); ++line) {
        const tailplot::CCcdfCurve& c = m_lines[static_cast<std::size_t>(line)];
        if (!GetMultiLineVisible(line))
            continue;
        // Only points the logarithmic axes can show set the extent.
        for (std::size_t i = 0; i < std::min(c.X.size(), c.Y.size()); ++i) {
            const double x = c.X[i], y = c.Y[i];
            if (!(x > 0.0 && y > 0.0 && std::isfinite(x) && std::isfinite(y)))
                continue;
            xMin = any ? std::min(xMin, x) : x;
            xMax = any ? std::max(xMax, x) : x;
            yMin = any ? std::min(yMin, y) : y;
            yMax = any ? std::max(yMax, y) : y;
            any = true;
        }
    }
    if (!any)
        return;
    // Equal values would leave no decade to draw: a decade either side instead.
    if (!(xMax > xMin)) {
        xMin /= 10;
        xMax *= 10;
    }
    if (!(yMax > yMin)) {
        yMin /= 10;
        yMax *= 10;
    }
    SetAxisScaleVertOrg(yMin, yMax, 1);
    SetAxisScaleVertZoom(yMin, yMax, 1);
    SetAxisScaleHoriOrg(xMin, xMax, 1);
    SetAxisScaleHoriZoom(xMin, xMax, 1);
}

// ---- parameters ----

void CWaveformCCDFWnd::SetGDI(const CParameterWaveform& parameter) {
    m_parameter = parameter;
    m_axisPensApplied = true;
    SetAxisScaleHoriOrg(m_parameter.HoriMinZoom, m_parameter.HoriMaxZoom, 1);
    SetAxisScaleVertOrg(m_parameter.VertMinZoom, m_parameter.VertMaxZoom, 1);
    SetAxisRestore();
    ReDrawWaveformWnd(1);
    SaveParameters();
}

void CWaveformCCDFWnd::UpdateParameterWaveform() {
    m_parameter.HoriMaxZoom = m_horiZoomMax;
    m_parameter.HoriMinZoom = m_horiZoomMin;
    m_parameter.VertMaxZoom = m_vertZoomMax;
    m_parameter.VertMinZoom = m_vertZoomMin;
}

int CWaveformCCDFWnd::SaveParameters() {
    return DLL_SaveParameterToFile(ConfigFilePath(), &m_parameter);
}

// ---- geometry ----

CPlotArea CWaveformCCDFWnd::CalcAxisRect(const QRect& client) const {
    const QFontMetrics metrics(m_fontArial);
    const int c = metrics.horizontalAdvance(QStringLiteral("中"));
    const int h = metrics.height();
    CPlotArea a;
    a.left = client.left() + 5 * c;
    a.top = client.top() + 2 * h;
    a.right = a.left + ((client.width() - 7 * c) / 10) * 10;
    a.bottom = a.top + ((client.height() - 5 * h) / 10) * 10;
    return a;
}

void CWaveformCCDFWnd::RecalDrawArea(int cx, int cy) {
    m_client = QRect(0, 0, cx, cy);
    if (!m_client.isEmpty()) {
        const COLORREF bk = m_parameter.ColorAxisBkGnd;
        m_dcStatic.Create(cx, cy, bk);
        m_dcRealTime.Create(cx, cy, bk);
        // The shown layer only grows, so that shrinking and growing back costs no reallocation.
        if (!m_dcComposed.Exists() || m_dcComposed.Width() < cx || m_dcComposed.Height() < cy)
            m_dcComposed.Create(std::max(cx, m_dcComposed.Width()), std::max(cy, m_dcComposed.Height()), bk);
    }
    m_plot = CalcAxisRect(m_client);
}

void CWaveformCCDFWnd::resizeEvent(QResizeEvent*) {
    if (!m_created)
        return;
    const int cx = width(), cy = height();
    if (cx > 0 && cx < 3000 && cy > 0 && cy < 3000)
        RecalDrawArea(cx, cy);
    ReDrawWaveformWnd(1);
}

CLogMapping CWaveformCCDFWnd::Mapping(const CPlotArea& area) const {
    CLogMapping m;
    m.area = area;
    m.hMin = m_horiZoomMin;
    m.hMax = m_horiZoomMax;
    m.vMin = m_vertZoomMin;
    m.vMax = m_vertZoomMax;
    return m;
}

QPen CWaveformCCDFWnd::FramePen() const {
    // Until parameters are applied the frame keeps its fixed pen; after that it follows the record.
    return QPen(ToQColor(m_axisPensApplied ? m_parameter.ColorAxis : kDefaultAxisPen),
                m_axisPensApplied ? 2 : 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

// ---- drawing ----

void CWaveformCCDFWnd::DrawLine(QPainter& p, int line, const CLogMapping& m) const {
    const CLineStyle& style = m_parameter.Styles[static_cast<std::size_t>(line)];
    if (style.Visible)
        tailplot::DrawLogCurve(p, m_lines[static_cast<std::size_t>(line)].X,
                               m_lines[static_cast<std::size_t>(line)].Y, m, style, m_parameter.LineStyle);
}

void CWaveformCCDFWnd::DrawAll(QPainter& p, const QRect& client, const CLogMapping& m) {
    tailplot::DrawLogAxes(p, client, m, m_parameter, m_fontArial, FramePen());
    for (int line = 1; line < static_cast<int>(m_lines.size()); ++line)
        DrawLine(p, line, m);
    DrawLine(p, 0, m);
    PlaceMarkers(m);
    tailplot::DrawLogMarkers(p, m, m_markerA, m_markerB, m_fontMarker);
}

void CWaveformCCDFWnd::ReDrawWaveformWnd(int background) {
    if (m_client.isEmpty() || m_plot.IsEmpty() || !m_dcStatic.Exists() || !m_dcRealTime.Exists())
        return;
    const CLogMapping m = Mapping(m_plot);
    if (background) {
        QPainter p(&m_dcStatic.Image());
        tailplot::DrawLogAxes(p, m_client, m, m_parameter, m_fontArial, FramePen());
        for (int line = 1; line < static_cast<int>(m_lines.size()); ++line)
            DrawLine(p, line, m);
    }
    m_dcRealTime.CopyFrom(m_dcStatic, m_client);
    {
        QPainter p(&m_dcRealTime.Image());
        DrawLine(p, 0, m);
        PlaceMarkers(m);
        tailplot::DrawLogMarkers(p, m, m_markerA, m_markerB, m_fontMarker);
    }
    if (m_dcComposed.Exists())
        m_dcComposed.CopyFrom(m_dcRealTime, m_client);
    update();
}

void CWaveformCCDFWnd::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_dcComposed.Exists())
        p.drawImage(QPoint(0, 0), m_dcComposed.Image(), m_client);
    else
        p.fillRect(rect(), ToQColor(m_parameter.ColorAxisBkGnd));
}

// ---- markers ----

void CWaveformCCDFWnd::PlaceMarkers(const CLogMapping& m) {
    if (!m.Drawable())
        return;
    const CPlotArea& a = m.area;
    if (m_markerA.Shown) {
        m_markerA.Pixel1 = std::clamp(m_markerA.Pixel1, a.left, a.right);
        m_markerA.Pixel2 = std::clamp(m_markerA.Pixel2, a.left, a.right);
        m_markerA.Value1 = m.XValue(m_markerA.Pixel1);
        m_markerA.Value2 = m.XValue(m_markerA.Pixel2);
    }
    if (m_markerB.Shown) {
        m_markerB.Pixel1 = std::clamp(m_markerB.Pixel1, a.top, a.bottom);
        m_markerB.Pixel2 = std::clamp(m_markerB.Pixel2, a.top, a.bottom);
        m_markerB.Value1 = m.YValue(m_markerB.Pixel1);
        m_markerB.Value2 = m.YValue(m_markerB.Pixel2);
    }
}

void CWaveformCCDFWnd::SetMarkerVisible(int pairA, int show) {
    (pairA ? m_markerA : m_markerB).Shown = show;
}

int CWaveformCCDFWnd::GetMarkerVisible(int pairA) const {
    return (pairA ? m_markerA : m_markerB).Shown;
}

void CWaveformCCDFWnd::GetMarkerValues(int pairA, double& value1, double& value2) const {
    const tailplot::CMarkerPair& pair = pairA ? m_markerA : m_markerB;
    value1 = pair.Value1;
    value2 = pair.Value2;
}

CWaveformCCDFWnd::eMarkerLine CWaveformCCDFWnd::HitTest(const QPoint& pt) const {
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

// ---- mouse ----

void CWaveformCCDFWnd::SetWaveformOperateTool(eWaveformOperateToolsCCDF tool) {
    m_tool = tool;
    UpdateCursor();
}

void CWaveformCCDFWnd::UpdateCursor() {
    if (m_over == eMarkerA1 || m_over == eMarkerA2)
        setCursor(Qt::SizeHorCursor);
    else if (m_over == eMarkerB1 || m_over == eMarkerB2)
        setCursor(Qt::SizeVerCursor);
    else if (m_tool == eCCDFToolPan)
        setCursor(Qt::SizeAllCursor);
    else if (m_tool >= eCCDFToolZoomBox && m_tool <= eCCDFToolZoomVert)
        setCursor(Qt::CrossCursor);
    else
        setCursor(Qt::ArrowCursor);
}

void CWaveformCCDFWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_buttonDown = true;
    m_pressPoint = event->position().toPoint();
    if (m_over != eMarkerNone) {
        m_dragging = m_over;
        return;
    }
    m_pressHoriMin = m_horiZoomMin;
    m_pressHoriMax = m_horiZoomMax;
    m_pressVertMin = m_vertZoomMin;
    m_pressVertMax = m_vertZoomMax;
}

void CWaveformCCDFWnd::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pt = event->position().toPoint();
    if (!m_buttonDown) {
        m_over = HitTest(pt);
        UpdateCursor();
        return;
    }
    if (m_dragging != eMarkerNone) {
        switch (m_dragging) {
        case eMarkerA1:
            m_markerA.Pixel1 = pt.x();
            break;
        case eMarkerA2:
            m_markerA.Pixel2 = pt.x();
            break;
        case eMarkerB1:
            m_markerB.Pixel1 = pt.y();
            break;
        default:
            m_markerB.Pixel2 = pt.y();
            break;
        }
        ReDrawWaveformWnd(0);
        return;
    }
    if (m_plot.IsEmpty())
        return;
    if (m_tool == eCCDFToolPan) {
        // The view moves in decades: the same drag shifts it by the same factor at any zoom.
        const double hDecades = std::log10(m_pressHoriMax) - std::log10(m_pressHoriMin);
        const double vDecades = std::log10(m_pressVertMax) - std::log10(m_pressVertMin);
        const double hShift = -(pt.x() - m_pressPoint.x()) * hDecades / m_plot.Width();
        const double vShift = (pt.y() - m_pressPoint.y()) * vDecades / m_plot.Height();
        SetAxisScaleHoriZoom(m_pressHoriMin * std::pow(10.0, hShift), m_pressHoriMax * std::pow(10.0, hShift),
                             0);
        SetAxisScaleVertZoom(m_pressVertMin * std::pow(10.0, vShift), m_pressVertMax * std::pow(10.0, vShift),
                             0);
        ReDrawWaveformWnd(1);
        Notify(eVertZoom);
        Notify(eHoriZoom);
    } else if (m_tool >= eCCDFToolZoomBox && m_tool <= eCCDFToolZoomVert) {
        const QPoint current(std::clamp(pt.x(), m_plot.left, m_plot.right),
                             std::clamp(pt.y(), m_plot.top, m_plot.bottom));
        QRect box = QRect(m_pressPoint, current).normalized();
        if (m_tool == eCCDFToolZoomHori)
            box = QRect(QPoint(box.left(), m_plot.top), QPoint(box.right(), m_plot.bottom));
        else if (m_tool == eCCDFToolZoomVert)
            box = QRect(QPoint(m_plot.left, box.top()), QPoint(m_plot.right, box.bottom()));
        if (m_dcComposed.Exists()) {
            m_dcComposed.CopyFrom(m_dcRealTime, m_plot.WithEdges());
            QPainter p(&m_dcComposed.Image());
            p.setPen(QPen(Qt::black, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(box);
        }
        update();
    }
}

void CWaveformCCDFWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_buttonDown)
        return;
    m_buttonDown = false;
    if (m_dragging != eMarkerNone) {
        m_dragging = eMarkerNone;
        return;
    }
    if (m_tool >= eCCDFToolZoomBox && m_tool <= eCCDFToolZoomVert && !m_plot.IsEmpty()) {
        const QPoint pt = event->position().toPoint();
        const QPoint end(std::clamp(pt.x(), m_plot.left, m_plot.right),
                         std::clamp(pt.y(), m_plot.top, m_plot.bottom));
        const CLogMapping m = Mapping(m_plot);
        // On logarithmic axes any two pixels hold clearly different values: a box one pixel wide zooms
        // in, at microamps as at amps.
        if ((m_tool == eCCDFToolZoomBox || m_tool == eCCDFToolZoomHori) && end.x() != m_pressPoint.x()) {
            const int a = std::min(m_pressPoint.x(), end.x()), b = std::max(m_pressPoint.x(), end.x());
            SetAxisScaleHoriZoom(m.XValue(a), m.XValue(b), 1);
        }
        if ((m_tool == eCCDFToolZoomBox || m_tool == eCCDFToolZoomVert) && end.y() != m_pressPoint.y()) {
            const int top = std::min(m_pressPoint.y(), end.y()), bottom = std::max(m_pressPoint.y(), end.y());
            SetAxisScaleVertZoom(m.YValue(bottom), m.YValue(top), 1);
        }
        ReDrawWaveformWnd(1);
        return;
    }
    update();
}

// ---- bitmap and printing ----

int CWaveformCCDFWnd::SaveAsBitmap(const QString& path) const {
    if (!m_dcComposed.Exists() || m_client.isEmpty())
        return 0;
    // Only the client area: the shown layer never shrinks, so beyond it lie stale pixels.
    return waveform::SaveBitmapFile(path, m_dcComposed.Image(), m_client);
}

void CWaveformCCDFWnd::OnBeginPrinting(QPrinter* printer) {
    if (printer)
        printer->setFromTo(1, 1);
}

void CWaveformCCDFWnd::OnPrepareDC(QPainter* painter, QPaintDevice* printer) {
    if (painter == nullptr || printer == nullptr)
        return;
    const double scale = static_cast<double>(printer->logicalDpiX()) / logicalDpiX();
    painter->scale(scale, scale);
}

void CWaveformCCDFWnd::OnPrint(QPainter* painter, const QRect* drawRect, int width, int height) {
    if (painter == nullptr)
        return;
    const QRect client = drawRect ? *drawRect : QRect(0, 0, width, height);
    CPlotArea area = CalcAxisRect(client);
    area.left += 10;
    area.right -= 10;
    area.top += 20;
    area.bottom -= 20;
    // The markers' pixels belong to the screen: the printed ones keep their place in the plot.
    const tailplot::CMarkerPair a = m_markerA, b = m_markerB;
    const CLogMapping screen = Mapping(m_plot), page = Mapping(area);
    if (screen.Drawable() && page.Drawable()) {
        m_markerA.Pixel1 = page.XPixel(screen.XValue(a.Pixel1));
        m_markerA.Pixel2 = page.XPixel(screen.XValue(a.Pixel2));
        m_markerB.Pixel1 = page.YPixel(screen.YValue(b.Pixel1));
        m_markerB.Pixel2 = page.YPixel(screen.YValue(b.Pixel2));
    }
    DrawAll(*painter, client, page);
    m_markerA = a;
    m_markerB = b;
}

void CWaveformCCDFWnd::OnEndPrinting() {
    RecalDrawArea(width(), height());
    ReDrawWaveformWnd(1);
}
