#include "waveform/common/LinePainter.h"

#include <QLine>
#include <QPolygon>
#include <QVarLengthArray>
#include <QVector>
#include <algorithm>
#include <cmath>

namespace waveform {

namespace {

constexpr COLORREF kExcludedTickColor = 0x0000FF;
// How many columns ahead the samples and summary nodes of a column are requested.
constexpr std::size_t kPrefetchColumns = 8;

struct CPointF {
    double x, y;
};

bool Inside(const CPointF& p) {
    return std::fabs(p.x) <= kPixelLimit && std::fabs(p.y) <= kPixelLimit;
}

// Clips the segment to the square of kPixelLimit (Liang-Barsky) so that its direction is kept.
bool ClipToLimit(CPointF& a, CPointF& b) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x + kPixelLimit, kPixelLimit - a.x, a.y + kPixelLimit, kPixelLimit - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const CPointF start{a.x + t0 * dx, a.y + t0 * dy}, end{a.x + t1 * dx, a.y + t1 * dy};
    a = start;
    b = end;
    return true;
}

QPoint ToPoint(const CPointF& p) {
    return QPoint(ToPixel(p.x), ToPixel(p.y));
}

// Collects the joined line as separate segments: a segment's pixels then depend on its two ends only,
// so joining the per-column extremes sets the same pixels as joining every sample. Segments reaching
// beyond the pixel limit are clipped first.
class CSegmentBuilder {
public:
    explicit CSegmentBuilder(QPainter& painter) : m_painter(painter) {}

    void Add(CPointF p) {
        if (std::isnan(p.x) || std::isnan(p.y))
            return;
        if (m_hasLast) {
            CPointF a = m_last, b = p;
            if (Inside(a) && Inside(b)) {
                Push(QLine(ToPoint(a), ToPoint(b)));
            } else if (ClipToLimit(a, b)) {
                Push(QLine(ToPoint(a), ToPoint(b)));
            }
        }
        m_last = p;
        m_hasLast = true;
    }

    void Flush() {
        if (m_lines.isEmpty() && m_hasLast && Inside(m_last))
            m_lines.append(QLine(ToPoint(m_last), ToPoint(m_last)));
        if (!m_lines.isEmpty())
            m_painter.drawLines(m_lines.constData(), static_cast<int>(m_lines.size()));
        m_lines.clear();
    }

private:
    void Push(const QLine& line) {
        // A zero-length segment sets only the pixel that its neighbours set already.
        if (line.p1() == line.p2())
            return;
        m_lines.append(line);
    }

    QPainter& m_painter;
    QVector<QLine> m_lines;
    CPointF m_last{0, 0};
    bool m_hasLast = false;
};

bool HasExcluded(const std::vector<unsigned>& excluded, std::size_t begin, std::size_t end) {
    auto it = std::lower_bound(excluded.begin(), excluded.end(), begin);
    return it != excluded.end() && *it < end;
}

} // namespace

void DrawSymbol(QPainter& painter, int lineStyle, int x, int y) {
    switch (lineStyle) {
    case 1: {
        const QPoint diamond[4] = {{x - 5, y - 5}, {x, y - 10}, {x + 5, y - 5}, {x, y}};
        painter.drawPolygon(diamond, 4);
        break;
    }
    case 2:
        painter.drawLine(x - 5, y - 5, x + 5, y + 5);
        painter.drawLine(x - 5, y + 5, x + 5, y - 5);
        break;
    default:
        painter.drawRect(x - 5, y - 5, 10, 10);
        break;
    }
}

void DrawJoinedPixels(QPainter& painter, const QPointF* points, std::size_t count) {
    CSegmentBuilder polyline(painter);
    for (std::size_t i = 0; i < count; ++i)
        polyline.Add({points[i].x(), points[i].y()});
    polyline.Flush();
}

CDrawnRange DrawLine(QPainter& painter, const CLineData& line, const CPlotMapping& mapping,
                     const CLineStyle& style, int lineStyle) {
    CDrawnRange drawn;
    const std::size_t count = line.Count();
    if (count < 2 || mapping.area.IsEmpty() || !(mapping.hMax > mapping.hMin) ||
        !(mapping.vMax > mapping.vMin))
        return drawn;
    const double* x = line.X.data();
    const double* y = line.Y.data();

    // The drawn range: one sample before the first inside the view and one after the last, found on the
    // ascending time.
    std::size_t first = static_cast<std::size_t>(std::upper_bound(x, x + count, mapping.hMin) - x);
    first = first > 0 ? first - 1 : 0;
    std::size_t end = static_cast<std::size_t>(std::lower_bound(x, x + count, mapping.hMax) - x);
    end = std::min(end, count - 1);
    if (end < first)
        end = first;
    drawn.Drawn = true;
    drawn.FirstIndex = static_cast<int>(first);
    drawn.EndIndex = static_cast<int>(end);
    drawn.FirstX = mapping.XPixel(x[first]);
    drawn.LastX = mapping.XPixel(x[end]);

    // Samples a little outside the view still reach into it: those on the plot's edge columns and those
    // within the reach of the pen or symbol.
    const double reach = (lineStyle == 0 ? style.LineWidth + 1.0 : 12.0) / mapping.PixelsPerUnitX();
    std::size_t drawFirst =
        static_cast<std::size_t>(std::upper_bound(x, x + count, mapping.hMin - reach) - x);
    drawFirst = drawFirst > 0 ? drawFirst - 1 : 0;
    std::size_t drawEnd = static_cast<std::size_t>(std::lower_bound(x, x + count, mapping.hMax + reach) - x);
    drawEnd = std::min(drawEnd, count - 1);
    drawFirst = std::min(drawFirst, first);
    drawEnd = std::max(drawEnd, end);

    painter.save();
    painter.setClipRect(mapping.area.WithEdges());
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen = style.DrawPen();
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(style.DrawBrush());

    const std::size_t samples = drawEnd - drawFirst + 1;
    const bool everySymbol = samples < static_cast<std::size_t>(mapping.area.Width());
    const bool ticks = !line.Excluded.empty();
    QVarLengthArray<int, 256> tickColumns;
    CSegmentBuilder polyline(painter);

    // Visits the pixel columns of the drawn samples: the column and its samples [i, next).
    auto forEachColumn = [&](auto visit) {
        std::size_t i = drawFirst;
        std::size_t lastCount = 1;
        while (i <= drawEnd) {
            const int column = mapping.XPixel(x[i]);
            // Columns a few ahead are requested now; evenly spaced times make the guess exact.
            const std::size_t ahead = i + kPrefetchColumns * lastCount;
            if (ahead + lastCount <= drawEnd) {
                __builtin_prefetch(x + ahead);
                __builtin_prefetch(x + ahead + lastCount);
                line.Summary.Prefetch(y, ahead, ahead + lastCount);
            }
            // The first sample of the next column, searched from where the last column's sample count
            // predicts it: on evenly spaced times the guess is right and costs two reads.
            const std::size_t limit = drawEnd + 1;
            const std::size_t guess = std::min(limit, i + std::max<std::size_t>(1, lastCount));
            std::size_t lo = i, hi = guess;
            if (guess < limit && mapping.XPixel(x[guess]) <= column) {
                lo = guess;
                std::size_t step = 1;
                hi = std::min(limit, guess + step);
                while (hi < limit && mapping.XPixel(x[hi]) <= column) {
                    lo = hi;
                    step *= 2;
                    hi = std::min(limit, guess + step);
                }
            } else {
                // hi is the end or a sample of a later column; walk back until a sample of this column.
                std::size_t step = 1;
                for (;;) {
                    const std::size_t probe = hi - i > step ? hi - step : i;
                    if (probe == i || mapping.XPixel(x[probe]) <= column) {
                        lo = probe;
                        break;
                    }
                    hi = probe;
                    step *= 2;
                }
            }
            while (hi - lo > 1) {
                const std::size_t mid = lo + (hi - lo) / 2;
                if (mapping.XPixel(x[mid]) <= column)
                    lo = mid;
                else
                    hi = mid;
            }
            const std::size_t next = hi;
            visit(column, i, next);
            lastCount = next - i;
            i = next;
        }
    };

    if (lineStyle == 0 || !everySymbol) {
        // Per column its extremes: read from the samples, or kept from the last drawing of the same
        // samples in the same time view.
        CColumnCache& cache = line.Columns;
        const int reachPixels = lineStyle == 0 ? style.LineWidth + 1 : 12;
        if (!(cache.Valid && cache.Generation == line.Summary.Generation() && cache.HMin == mapping.hMin &&
              cache.HMax == mapping.hMax && cache.Left == mapping.area.left &&
              cache.Right == mapping.area.right && cache.Reach == reachPixels)) {
            cache.Valid = false;
            cache.Columns.clear();
            forEachColumn([&](int column, std::size_t i, std::size_t next) {
                cache.Columns.push_back({column, mapping.XRaw(x[i]),
                                         line.Summary.DrawnRange(y, line.Excluded, i, next),
                                         ticks && HasExcluded(line.Excluded, i, next)});
            });
            cache.Generation = line.Summary.Generation();
            cache.HMin = mapping.hMin;
            cache.HMax = mapping.hMax;
            cache.Left = mapping.area.left;
            cache.Right = mapping.area.right;
            cache.Reach = reachPixels;
            cache.Valid = true;
        }
        for (const CDrawnColumn& c : cache.Columns) {
            if (c.Excluded)
                tickColumns.append(c.Column);
            if (!c.Span.Valid)
                continue;
            if (lineStyle == 0) {
                polyline.Add({c.X, mapping.YRaw(c.Span.First)});
                polyline.Add({c.X, mapping.YRaw(c.Span.Min)});
                polyline.Add({c.X, mapping.YRaw(c.Span.Max)});
                polyline.Add({c.X, mapping.YRaw(c.Span.Last)});
            } else {
                DrawSymbol(painter, lineStyle, c.Column, mapping.YPixel(c.Span.Min));
                DrawSymbol(painter, lineStyle, c.Column, mapping.YPixel(c.Span.Max));
            }
        }
    } else {
        forEachColumn([&](int column, std::size_t i, std::size_t next) {
            if (ticks && HasExcluded(line.Excluded, i, next))
                tickColumns.append(column);
            for (std::size_t k = i; k < next; ++k) {
                const CDrawnSpan one = line.Summary.DrawnRange(y, line.Excluded, k, k + 1);
                if (one.Valid)
                    DrawSymbol(painter, lineStyle, mapping.XPixel(x[k]), mapping.YPixel(one.First));
            }
        });
    }
    polyline.Flush();

    if (!tickColumns.isEmpty()) {
        const QColor red = ToQColor(kExcludedTickColor);
        for (int column : tickColumns)
            painter.fillRect(QRect(column, mapping.area.top, 2, 4), red);
    }
    painter.restore();
    return drawn;
}

} // namespace waveform
