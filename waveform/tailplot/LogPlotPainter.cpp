#include "waveform/tailplot/LogPlotPainter.h"

#include "waveform/tailplot/LogAxis.h"

#include "waveform/common/ColorRef.h"
#include "waveform/common/LinePainter.h"
#include "waveform/common/PlotFormat.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace tailplot {

namespace {

using waveform::CPlotArea;
using waveform::CPlotMapping;
using waveform::FormatDoubleText;
using waveform::FormatFloatText;
using waveform::ToQColor;

constexpr COLORREF kMajorGrid = 0xE0E0E0;
constexpr COLORREF kMinorGrid = 0xC0C0C0;
constexpr COLORREF kMarkerPen = 0xFF00FF;

// Labels of the major ticks of one axis: the first and the last, any other only when it overlaps
// neither the label drawn before it nor the last one; the first gives way when it meets the last.
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
        if (!last && ((drawn && r.intersects(*drawn)) || r.intersects(lastBox)))
            continue;
        p.drawText(r, flags, FormatFloatText(ticks[i].value));
        drawn = r;
    }
}

} // namespace

QStringList LogLabelTexts(double min, double max) {
    QStringList texts;
    for (const CLogTick& t : LogTicks(min, max))
        if (t.major)
            texts << FormatFloatText(t.value);
    return texts;
}

QString MarkerText(double value) {
    // Six decimals keep fewer than four digits of a value below 0.001, none of nanoamperes.
    if (value != 0.0 && std::fabs(value) < 1e-3)
        return FormatFloatText(value);
    return FormatDoubleText(value);
}

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
                   return QRect(client.left(), top, a.left - kLabelGap - client.left(), th);
               });
    // Centred on its tick, moved inside the client at the ends of the axis.
    DrawLabels(p, horiTicks, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, [&](double v, bool, bool) {
        const int x = m.XPixel(v);
        const int w = metrics.horizontalAdvance(FormatFloatText(v)) + 2;
        const int left =
            std::clamp(x - w / 2, client.left(), std::max(client.left(), client.right() + 1 - w));
        return QRect(left, a.bottom + th / 2, w, th);
    });
    p.restore();
}

void DrawLogCurve(QPainter& p, std::span<const double> x, std::span<const double> y, const CPlotMapping& m,
                  const CLineStyle& style, int lineStyle) {
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
        // A point of 0 or below has no place on the axes: the curve is taken up at the next one.
        const double none = std::numeric_limits<double>::quiet_NaN();
        for (std::size_t i = 0; i < count; ++i) {
            if (x[i] > 0.0 && y[i] > 0.0)
                pixels.emplace_back(m.XRaw(x[i]), m.YRaw(y[i]));
            else
                pixels.emplace_back(none, none);
        }
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

QRegion DrawLogMarkers(QPainter& painter, bool draw, const CPlotMapping& m,
                       const CWaveformMarkerRecord& pairA, const CWaveformMarkerRecord& pairB,
                       const QFont& font) {
    QRegion covered;
    if (m.area.IsEmpty() || (!pairA.Shown && !pairB.Shown))
        return covered;
    QPainter* p = draw ? &painter : nullptr;
    const CPlotArea& a = m.area;
    const QFontMetrics metrics(font, painter.device());
    const int th = metrics.height();
    const QPen pen1(ToQColor(kMarkerPen), 1, Qt::SolidLine, Qt::FlatCap);
    const QPen pen2(ToQColor(kMarkerPen), 1, Qt::DotLine, Qt::FlatCap);
    if (p) {
        p->save();
        p->setRenderHint(QPainter::Antialiasing, false);
        p->setFont(font);
    }
    auto line = [&](const QPen& pen, int x1, int y1, int x2, int y2) {
        covered += QRect(QPoint(std::min(x1, x2) - 1, std::min(y1, y2) - 1),
                         QPoint(std::max(x1, x2) + 1, std::max(y1, y2) + 1));
        if (p) {
            p->setPen(pen);
            p->drawLine(x1, y1, x2, y2);
        }
    };
    // Texts in the pen's colour.
    auto text = [&](int x, int top, const QString& s) {
        covered += QRect(x - 2, top - 2, metrics.horizontalAdvance(s) + 4, th + 4);
        if (p) {
            p->setPen(pen1);
            p->drawText(QPoint(x, top + metrics.ascent()), s);
        }
    };
    double v1 = 0.0, v2 = 0.0;
    if (pairA.Shown) {
        const int x1 = std::clamp(pairA.Pixel1, a.left, a.right),
                  x2 = std::clamp(pairA.Pixel2, a.left, a.right);
        line(pen1, x1, a.top, x1, a.bottom);
        line(pen2, x2, a.top, x2, a.bottom);
        auto beside = [&](int x, const QString& s) {
            const int w = metrics.horizontalAdvance(s);
            return x + 2 + w > a.right ? x - 3 - w : x + 2;
        };
        MarkerValues(m, pairA, true, v1, v2);
        const QString s1 = MarkerText(v1), s2 = MarkerText(v2), d = MarkerText(v2 - v1);
        text(beside(x1, s1), a.top + 10, s1);
        text(beside(x2, s2), a.top + 10 + th + 3, s2);
        text(beside(x2, d), a.top + 10 + 2 * (th + 3), d);
    }
    if (pairB.Shown) {
        const int y1 = std::clamp(pairB.Pixel1, a.top, a.bottom),
                  y2 = std::clamp(pairB.Pixel2, a.top, a.bottom);
        line(pen1, a.left, y1, a.right, y1);
        line(pen2, a.left, y2, a.right, y2);
        // Above its line, or below it when the line is too near the plot's top.
        auto row = [&](int y, int above, int below, int& x) {
            const bool under = y - th + 2 < a.top;
            x = a.left + (under ? below : above);
            return under ? y : y - th + 2;
        };
        MarkerValues(m, pairB, false, v1, v2);
        int x = 0;
        const int top1 = row(y1, 3, 5, x);
        text(x, top1, MarkerText(v1));
        const int top2 = row(y2, 53, 57, x);
        const QString s2 = MarkerText(v2);
        text(x, top2, s2);
        text(x + metrics.horizontalAdvance(s2) + 10, top2, QStringLiteral("Delta: ") + MarkerText(v2 - v1));
    }
    if (p)
        p->restore();
    return covered;
}

} // namespace tailplot
