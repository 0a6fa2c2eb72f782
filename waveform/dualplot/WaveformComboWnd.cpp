#include "waveform/dualplot/WaveformComboWnd.h"

#include "waveform/common/GridValues.h"
#include "waveform/common/NiceValues.h"
#include "waveform/common/PlotExclusion.h"
#include "waveform/common/PlotFormat.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

namespace {

using namespace waveform;

constexpr double kLeftMin = 0.0, kLeftMax = 5.0;

} // namespace

CWaveformComboWnd::CWaveformComboWnd() : CWaveformPlotWnd(QStringLiteral("WaveformCombo.xml")) {
    UseLeftAxis();
    SetAxisScaleOrg(ePlotAxisLeft, kLeftMin, kLeftMax, 0);
    SetAxisZoomRange(ePlotAxisLeft, kLeftMin, kLeftMax, 0);
}

CWaveformComboWnd::~CWaveformComboWnd() = default;

// ---- data ----

void CWaveformComboWnd::InitialMemory(unsigned capacity) {
    CLoopLinkItem* item = Line(0);
    item->Data.Clear();
    item->Data.X.shrink_to_fit();
    item->Data.Y.shrink_to_fit();
    item->Data.Excluded.shrink_to_fit();
    m_capacity = capacity;
    ForgetDrawnRange(0);
    // A new run is followed again, whatever view the last one was left in.
    m_followTime = true;
    m_followVertical = true;
    ReDrawWaveformWnd(1, 1, 1);
}

void CWaveformComboWnd::SetDataIndex(const double* x, const double* y, unsigned start, unsigned count,
                                     int exclusion) {
    if (x != nullptr && y != nullptr)
        AppendDataSlice(x + start, y + start, start, count, exclusion);
}

// Room for 'needed' samples of line 0, grown by an eighth at a time so that the line holds little
// more than its samples, and never beyond the capacity the run asked for.
void CWaveformComboWnd::MakeRoom(CLineData& d, std::size_t needed) {
    constexpr std::size_t kFirstRoom = std::size_t{1} << 16;
    const std::size_t room = std::min(d.X.capacity(), d.Y.capacity());
    if (needed <= room)
        return;
    const std::size_t grown = std::min(std::max({needed, room + room / 8, kFirstRoom}), m_capacity);
    d.X.reserve(grown);
    d.Y.reserve(grown);
    d.Summary.Reserve(grown);
}

std::size_t CWaveformComboWnd::DataRoom() const {
    const CLineData& d = Line(0)->Data;
    return std::min(d.X.capacity(), d.Y.capacity());
}

int CWaveformComboWnd::RemakeDataRoom(
    std::size_t room, const std::function<void(double* x, double* y, std::size_t n)>& refill) {
    CLineData& d = Line(0)->Data;
    const std::size_t n = std::min(d.X.size(), d.Y.size());
    room = std::min(std::max(room, n), m_capacity);
    if (room <= DataRoom())
        return 1;
    // When the room asked for cannot be had, the line is made again as it was.
    std::size_t made = 0;
    for (const std::size_t wanted : {room, n}) {
        d.X = platform::CLargeArray<double>();
        d.Y = platform::CLargeArray<double>();
        try {
            d.X.reserve(wanted);
            d.Y.reserve(wanted);
            d.Summary.Reserve(wanted);
            made = wanted;
            break;
        } catch (const std::bad_alloc&) {
        }
    }
    if (made == 0 && n > 0) {
        d.Clear();
        ForgetDrawnRange(0);
        return 0;
    }
    d.X.resize(n);
    d.Y.resize(n);
    refill(d.X.data(), d.Y.data(), n);
    return made == room ? 1 : 0;
}

int CWaveformComboWnd::AppendDataSlice(const double* x, const double* y, unsigned start, unsigned count,
                                       int exclusion) {
    const std::size_t end = static_cast<std::size_t>(start) + count;
    if (x == nullptr || y == nullptr || count == 0 || end > m_capacity)
        return 0;
    CLoopLinkItem* item = Line(0);
    CLineData& d = item->Data;
    try {
        // All the memory the slice needs is had before anything changes.
        MakeRoom(d, end);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    const std::size_t before = d.X.size();
    const bool replacing = start < before;
    if (replacing) {
        d.X.resize(start);
        d.Y.resize(start);
        d.Excluded.erase(std::lower_bound(d.Excluded.begin(), d.Excluded.end(), start), d.Excluded.end());
    } else if (start > d.X.size()) {
        // Samples never handed over read as zero.
        d.X.resize(start, 0.0);
        d.Y.resize(start, 0.0);
    }
    d.X.insert(d.X.end(), x, x + count);
    d.Y.insert(d.Y.end(), y, y + count);
    const std::size_t excludedBefore = d.Excluded.size();
    try {
        AppendExcluded(d.X.data(), d.Y.data(), start, end, exclusion, d.Excluded);
    } catch (const std::bad_alloc&) {
        d.X.resize(replacing ? start : before);
        d.Y.resize(replacing ? start : before);
        d.Excluded.resize(excludedBefore);
        if (replacing)
            d.Summary.Rebuild(d.Y.data(), start, d.Excluded);
        return 0;
    }
    if (replacing) {
        d.Summary.Rebuild(d.Y.data(), end, d.Excluded);
        const auto [lo, hi] = std::minmax_element(d.X.begin(), d.X.end());
        item->XMin = *lo;
        item->XMax = *hi;
    } else {
        // Only the new samples are summarised and looked at for the time extent.
        const bool first = d.Summary.Count() == 0;
        const std::size_t from = first ? 0 : d.Summary.Count();
        const auto [lo, hi] = std::minmax_element(d.X.begin() + static_cast<std::ptrdiff_t>(from), d.X.end());
        item->XMin = first ? *lo : std::min(item->XMin, *lo);
        item->XMax = first ? *hi : std::max(item->XMax, *hi);
        d.Summary.Append(d.Y.data(), end, d.Excluded);
    }
    FollowTimeOfData();
    return 1;
}

void CWaveformComboWnd::SetDataMultiLine(int line, const double* x, const double* y, unsigned n, int axis,
                                         int exclusion) {
    if (line < 0 || line >= kLineCount)
        return;
    m_axisFlags[static_cast<std::size_t>(line)] = axis;
    AssignLine(line, x, y, n, exclusion);
    if (line == 0)
        m_capacity = Line(0)->Data.X.capacity();
    FollowTimeOfData();
}

void CWaveformComboWnd::ResetWaveformDataLogging() {
    SetAxisScaleVertOrg(0.0, 1.0, 1);
    SetAxisZoomRange(ePlotAxisVert, 0.0, 1.0, 1);
    SetAxisScaleOrg(ePlotAxisLeft, kLeftMin, kLeftMax, 1);
    SetAxisZoomRange(ePlotAxisLeft, kLeftMin, kLeftMax, 1);
    SetAxisScaleHoriOrg(0.0, 1.0, 1);
    SetAxisZoomRange(ePlotAxisHori, 0.0, 1.0, 1);
    CLineData& d = Line(0)->Data;
    d.Clear();
    d.X.shrink_to_fit();
    d.Y.shrink_to_fit();
    d.Excluded.shrink_to_fit();
    m_capacity = 0;
    m_axisFlags[0] = 0;
    ForgetDrawnRange(0);
    m_followTime = true;
    m_followVertical = true;
    ReDrawWaveformWnd(1, 1, 1);
}

unsigned CWaveformComboWnd::GetMultiLineDataLength(int line) const {
    const CLoopLinkItem* item = Line(line);
    return item ? static_cast<unsigned>(item->Data.Count()) : 0u;
}

// ---- ranges ----

void CWaveformComboWnd::FollowTimeOfData() {
    bool any = false;
    double min = 0.0, max = 0.0;
    for (int line = 0; line < kLineCount; ++line) {
        const CLoopLinkItem* item = Line(line);
        if (!GetMultiLineVisible(line) || item->Data.Count() == 0)
            continue;
        min = any ? std::min(min, item->XMin) : item->XMin;
        max = any ? std::max(max, item->XMax) : item->XMax;
        any = true;
    }
    if (!any)
        return;
    SetAxisScaleHoriOrg(min, max, 1);
    if (m_followTime)
        SetAxisZoomRange(ePlotAxisHori, min, max, 1);
}

void CWaveformComboWnd::OnHorizontalView(bool restored) {
    m_followTime = restored;
}

void CWaveformComboWnd::OnVerticalView(bool restored) {
    m_followVertical = restored;
}

void CWaveformComboWnd::ApplyParameterRanges(int notify) {
    if (!notify) {
        CWaveformPlotWnd::ApplyParameterRanges(notify);
        return;
    }
    // Limits typed in the dialog are the user's view; the same limits leave the following as it was.
    double min = 0.0, max = 0.0, right0 = 0.0, right1 = 0.0, left0 = 0.0, left1 = 0.0;
    GetAxisScaleHoriZoom(min, max);
    GetAxisScaleVertZoom(right0, right1);
    GetAxisScaleZoom(ePlotAxisLeft, left0, left1);
    const bool following = m_followTime, followingVertical = m_followVertical;
    CWaveformPlotWnd::ApplyParameterRanges(notify);
    m_followTime = following && m_parameter.HoriMinZoom == min && m_parameter.HoriMaxZoom == max;
    m_followVertical = followingVertical && m_parameter.VertMinZoom == right0 &&
                       m_parameter.VertMaxZoom == right1 && m_parameter.VertLeftMinZoom == left0 &&
                       m_parameter.VertLeftMaxZoom == left1;
}

void CWaveformComboWnd::FitVerticalAxes(bool visible) {
    // The extents come from the lines' summaries: a refit costs the same at any number of samples.
    struct CUnion {
        bool Any = false;
        double Min = 0.0, Max = 0.0;
        void Add(double lo, double hi) {
            Min = Any ? std::min(Min, lo) : lo;
            Max = Any ? std::max(Max, hi) : hi;
            Any = true;
        }
    } left, right;
    for (int line = 0; line < kLineCount; ++line) {
        double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        if (!GetMultiLineVisible(line) || !LineExtent(line, x0, x1, y0, y1))
            continue;
        (m_axisFlags[static_cast<std::size_t>(line)] ? left : right).Add(y0, y1);
    }
    for (auto [axis, extent] : {std::pair{ePlotAxisLeft, left}, {ePlotAxisVert, right}}) {
        if (!extent.Any)
            continue;
        SetAxisScaleOrg(axis, extent.Min, extent.Max, 1);
        if (visible)
            SetAxisZoomRange(axis, extent.Min, extent.Max, 1);
    }
}

void CWaveformComboWnd::SetAxisAdaptive() {
    FitVerticalAxes(true);
    m_followVertical = true;
}

void CWaveformComboWnd::FollowVerticalData() {
    FitVerticalAxes(m_followVertical);
}

// ---- drawing ----

template <typename Visit> void CWaveformComboWnd::ForEachRowLabel(const CPlotMapping& m, Visit visit) const {
    if (!AxesDrawable(m))
        return;
    const CPlotArea& a = m.area;
    double leftMin = 0.0, leftMax = 0.0;
    GetAxisScaleZoom(ePlotAxisLeft, leftMin, leftMax);
    double unused = 0.0;
    const double vstep = AlignAxisY((m.vMax - m.vMin) / 6.0, unused);
    ForEachGridValue(m.vMin, m.vMax, vstep, [&](double v) {
        // The nearest row: a value a hair past a row (0.6 of 630 rows) is not cut off to the row above,
        // whose left label, read from the row, would say 3.007937 where 3 lies.
        const int y = ToPixel(std::round(m.YRaw(v)));
        const double left = (a.bottom - y) * (leftMax - leftMin) / a.Height() + leftMin;
        visit(y, FormatFloatText(v), FormatDoubleText(left));
    });
}

CPlotArea CWaveformComboWnd::CalcAxisRect(const QRect& client) const {
    // Both vertical axes carry labels: margins of four characters, or as wide as the labels of the
    // present ranges (a voltage in six decimals does not fit four). The rows do not depend on them.
    const int w = QFontMetrics(AxisFont()).horizontalAdvance(QStringLiteral("中"));
    const CPlotArea first = PlotAreaWithMargins(client, 4 * w, 4 * w);
    QStringList rights, lefts;
    ForEachRowLabel(DrawMapping(first), [&](int, const QString& right, const QString& left) {
        rights << right;
        lefts << left;
    });
    const int left = std::max(4 * w, WidestLabel(lefts) + kLabelGap + kLabelEdge);
    const int right = std::max(4 * w, WidestLabel(rights) + kLabelGap + kLabelEdge);
    return left == 4 * w && right == 4 * w ? first : PlotAreaWithMargins(client, left, right);
}

CPlotMapping CWaveformComboWnd::LineMapping(int line, const CPlotMapping& mapping) const {
    if (line < 0 || line >= kLineCount || !m_axisFlags[static_cast<std::size_t>(line)])
        return mapping;
    CPlotMapping m = mapping;
    GetAxisScaleZoom(ePlotAxisLeft, m.vMin, m.vMax);
    return m;
}

void CWaveformComboWnd::DrawRealTimeLines(QPainter& p, const CPlotMapping& m, bool keepDrawnRange) {
    // Every visible line, over the static layer's copy of lines 1..3.
    for (int line = 0; line < kLineCount; ++line)
        DrawOneLine(p, line, m, keepDrawnRange);
}

void CWaveformComboWnd::DrawAxes(QPainter& p, const QRect& client, const CPlotMapping& m) const {
    p.fillRect(client, ToQColor(m_parameter.ColorAxisBkGnd));
    if (!AxesDrawable(m))
        return;
    const CPlotArea& a = m.area;
    p.save();
    p.setFont(AxisFont());
    const int th = QFontMetrics(AxisFont(), p.device()).height();
    const QColor gridColour = GridColour(), textColour = ToQColor(m_parameter.ColorAxisText);
    // One set of grid rows, stepped on the right axis; each row is labelled with both axes' values.
    ForEachRowLabel(m, [&](int y, const QString& right, const QString& left) {
        p.setPen(QPen(gridColour, 1));
        p.drawLine(a.left, y, a.right, y);
        p.setPen(textColour);
        p.drawText(
            QRect(a.right + kLabelGap, y - th / 2, std::max(0, client.right() - a.right - kLabelGap), th),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, right);
        p.drawText(QRect(client.left(), y - th / 2, a.left - kLabelGap - client.left(), th),
                   Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, left);
    });
    DrawTimeGrid(p, client, m);
    p.setPen(textColour);
    p.drawText(QRect(a.left - 200, a.top - 10 - th, 400, th), Qt::AlignHCenter | Qt::AlignTop,
               m_parameter.ScaleTextVertLeft);
    p.drawText(QRect(a.right - 200, a.top - 10 - th, 400, th), Qt::AlignHCenter | Qt::AlignTop,
               m_parameter.ScaleTextVert);
    DrawCaptionsAndFrame(p, client, a);
    p.restore();
}

// ---- markers ----

void CWaveformComboWnd::ReportMarkerB() {
    // The right values are the pair's own; the left ones are read at the same pixel rows.
    CPlotMapping onLeft = DrawMapping(GetPlotArea());
    GetAxisScaleZoom(ePlotAxisLeft, onLeft.vMin, onLeft.vMax);
    m_comboMarkerB.RightValue1 = m_markerB.Value1;
    m_comboMarkerB.RightValue2 = m_markerB.Value2;
    m_comboMarkerB.LeftValue1 = onLeft.YValue(m_markerB.Pixel1);
    m_comboMarkerB.LeftValue2 = onLeft.YValue(m_markerB.Pixel2);
    SendMarker(kMarkerCodePairB, &m_comboMarkerB);
}
