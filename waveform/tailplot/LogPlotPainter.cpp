#include "waveform/tailplot/LogPlotPainter.h"

#include "waveform/tailplot/LogAxis.h"

#include "waveform/common/ColorRef.h"
#include "waveform/common/LinePainter.h"
#include "waveform/common/PlotFormat.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <optional>

namespace tailplot {

namespace {

using waveform::CPlotArea;
using waveform::CPlotMapping;
using waveform::FormatFloatText;
using waveform::ToQColor;

constexpr COLORREF kMajorGrid = 0xE0E0E0;
constexpr COLORREF kMinorGrid = 0xC0C0C0;
constexpr COLORREF kMarkerPen = 0xFF00FF;

// Labels of the major ticks of one axis: the first and the last always, any other only when it
// overlaps neither the label drawn before it nor the last one.
template <typename Box> void DrawLabels(QPainter& p, const std::vector<CLogTick>& ticks, int flags, Box box) {
    std::vector<std::size_t> majors;
    for (std::size_t i = 0; i < ticks.size(); ++i)
        if (ticks[i].major)
            majors.push_back(i);
    if (majors.empty())
        return;
    const std::size_t lastIndex = majors.back();
    const QRect lastBox = box(ticks[lastIndex].value, false, true);
    std::optional<QRect> drawn;
    for (std::size_t i : majors) {
        const bool first = i == majors.front(), last = i == lastIndex;
        const QRect r = box(ticks[i].value, first, last);
        if (!first && !last && ((drawn && r.intersects(*drawn)) || r.intersects(lastBox)))
            continue;
        p.drawText(r, flags, FormatFloatText(ticks[i].value));
        drawn = r;
    }
}

} // namespace

void DrawLogGrid(QPainter& p, const QRect& client, const CPlotMapping& m, const QColor& textColour,
                 const QFont& font) {
    const CPlotArea& a = m.area;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(font);
    const QFontMetrics metrics(font, p.device());
    const int th = metrics.height();
    const QPen majorPen(ToQColor(kMajorGrid), 1, Qt::SolidLine, Qt::FlatCap);
    const QPen minorPen(ToQColor(kMinorGrid), 1, Qt::DotLine, Qt::FlatCap);

    const std::vector<CLogTick> vertTicks = LogTicks(m.vMin, m.vMax);
    const std::vector<CLogTick> horiTicks = LogTicks(m.hMin, m.hMax);
    for (const CLogTick& t : vertTicks) {
        const int y = m.YPixel(t.value);
        if (y < a.top || y > a.bottom)
            continue;
        p.setPen(t.major ? majorPen : minorPen);
        p.drawLine(a.left, y, a.right, y);
    }
    for (const CLogTick& t : horiTicks) {
        const int x = m.XPixel(t.value);
        if (x < a.left || x > a.right)
            continue;
        p.setPen(t.major ? majorPen : minorPen);
        p.drawLine(x, a.top, x, a.bottom);
    }

    p.setPen(textColour);
    // Vertical labels: the lowest sits just above its tick and the highest just below, so neither
    // reaches past the plot.
    DrawLabels(p, vertTicks, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
               [&](double v, bool lowest, bool highest) {
                   const int y = m.YPixel(v);
                   const int top = lowest ? y - th : highest ? y : y - th / 2;
                   return QRect(client.left(), top, a.left - 2 - client.left(), th);
               });
    DrawLabels(p, horiTicks, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, [&](double v, bool, bool) {
        const int x = m.XPixel(v);
        const int w = metrics.horizontalAdvance(FormatFloatText(v)) + 2;
        return QRect(x - w / 2, a.bottom + th / 2, w, th);
    });
    p.restore();
}

void DrawLogCurve(QPainter& p, const std::vector<double>& x, const std::vector<double>& y,
                  const CPlotMapping& m, const CLineStyle& style, int lineStyle) {
    const std::size_t count = std::min(x.size(), y.size());
    if (count < 2 || m.area.IsEmpty())
        return;
    p.save();
    p.setClipRect(m.area.WithEdges());
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen pen = style.DrawPen();
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(style.DrawBrush());
    if (lineStyle == 0) {
        std::vector<QPointF> pixels;
        pixels.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            pixels.emplace_back(m.XRaw(x[i]), m.YRaw(y[i]));
        waveform::DrawJoinedPixels(p, pixels.data(), pixels.size());
    } else {
        for (std::size_t i = 0; i < count; ++i)
            if (x[i] > 0.0 && y[i] > 0.0)
                waveform::DrawSymbol(p, lineStyle, m.XPixel(x[i]), m.YPixel(y[i]));
    }
    p.restore();
}

void MarkerValues(const CPlotMapping& m, const CWaveformMarkerRecord& pair, bool pairA, double& value1,
                  double& value2) {
    const CPlotArea& a = m.area;
    if (pairA) {
        value1 = m.XValue(std::clamp(pair.Pixel1, a.left, a.right));
        value2 = m.XValue(std::clamp(pair.Pixel2, a.left, a.right));
    } else {
        value1 = m.YValue(std::clamp(pair.Pixel1, a.top, a.bottom));
        value2 = m.YValue(std::clamp(pair.Pixel2, a.top, a.bottom));
    }
}

void DrawLogMarkers(QPainter& p, const CPlotMapping& m, const CWaveformMarkerRecord& pairA,
                    const CWaveformMarkerRecord& pairB, const QFont& font) {
    if (m.area.IsEmpty() || (!pairA.Shown && !pairB.Shown))
        return;
    const CPlotArea& a = m.area;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(font);
    const QFontMetrics metrics(font, p.device());
    const int th = metrics.height();
    const QPen pen1(ToQColor(kMarkerPen), 1, Qt::SolidLine, Qt::FlatCap);
    const QPen pen2(ToQColor(kMarkerPen), 1, Qt::DotLine, Qt::FlatCap);
    // Texts in the pen's colour; values in "%g", since amplitudes of microamps have no digit in the
    // first six decimals.
    auto text = [&](int x, int top, const QString& s) {
        p.setPen(pen1);
        p.drawText(QPoint(x, top + metrics.ascent()), s);
    };
    double v1 = 0.0, v2 = 0.0;
    if (pairA.Shown) {
        const int x1 = std::clamp(pairA.Pixel1, a.left, a.right),
                  x2 = std::clamp(pairA.Pixel2, a.left, a.right);
        p.setPen(pen1);
        p.drawLine(x1, a.top, x1, a.bottom);
        p.setPen(pen2);
        p.drawLine(x2, a.top, x2, a.bottom);
        auto beside = [&](int x, const QString& s) {
            const int w = metrics.horizontalAdvance(s);
            return x + 2 + w > a.right ? x - 3 - w : x + 2;
        };
        MarkerValues(m, pairA, true, v1, v2);
        const QString s1 = FormatFloatText(v1), s2 = FormatFloatText(v2), d = FormatFloatText(v2 - v1);
        text(beside(x1, s1), a.top + 10, s1);
        text(beside(x2, s2), a.top + 10 + th + 3, s2);
        text(beside(x2, d), a.top + 10 + 2 * (th + 3), d);
    }
    if (pairB.Shown) {
        const int y1 = std::clamp(pairB.Pixel1, a.top, a.bottom),
                  y2 = std::clamp(pairB.Pixel2, a.top, a.bottom);
        p.setPen(pen1);
        p.drawLine(a.left, y1, a.right, y1);
        p.setPen(pen2);
        p.drawLine(a.left, y2, a.right, y2);
        // Above its line, or below it when the line is too near the plot's top.
        auto row = [&](int y, int above, int below, int& x) {
            const bool under = y - th + 2 < a.top;
            x = a.left + (under ? below : above);
            return under ? y : y - th + 2;
        };
        MarkerValues(m, pairB, false, v1, v2);
        int x = 0;
        const int top1 = row(y1, 3, 5, x);
        text(x, top1, FormatFloatText(v1));
        const int top2 = row(y2, 53, 57, x);
        const QString s2 = FormatFloatText(v2);
        text(x, top2, s2);
        text(x + metrics.horizontalAdvance(s2) + 10, top2,
             QStringLiteral("Delta: ") + FormatFloatText(v2 - v1));
    }
    p.restore();
}

} // namespace tailplot
