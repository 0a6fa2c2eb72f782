#include "waveform/tailplot/WaveformCCDFWnd.h"

#include "waveform/common/ColorRef.h"
#include "waveform/tailplot/CcdfCurve.h"
#include "waveform/tailplot/LogPlotPainter.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

CWaveformCCDFWnd::CWaveformCCDFWnd() : CWaveformPlotWnd(QStringLiteral("WaveformCCDF.xml")) {
    SetAxisLogarithmic(ePlotAxisHori, true);
    SetAxisLogarithmic(ePlotAxisVert, true);
    SetAxisScaleVertOrg(0.001, 100.0, 0);
    SetAxisScaleVertZoom(0.001, 100.0, 0);
    SetAxisScaleHoriOrg(0.0001, 10.0, 0);
    SetAxisScaleHoriZoom(0.0001, 10.0, 0);
}

CWaveformCCDFWnd::~CWaveformCCDFWnd() = default;

void CWaveformCCDFWnd::SetDataMultiLine(int line, const double* samples, unsigned n) {
    CLoopLinkItem* item = Line(line);
    if (item == nullptr)
        return;
    tailplot::CCcdfCurve curve;
    std::size_t readings = 0;
    const int result = tailplot::ComputeCcdf(samples, n, curve, &readings);
    item->Data.Clear();
    item->Data.X.assign(curve.X.begin(), curve.X.end());
    item->Data.Y.assign(curve.Y.begin(), curve.Y.end());
    // Five readings or fewer make no distribution and change nothing else.
    if (readings > 5)
        m_parameter.Styles[static_cast<std::size_t>(line)].Visible = result;
}

int CWaveformCCDFWnd::SetCcdfPointsMultiLine(int line, const double* amplitudes, const double* percents,
                                             unsigned n) {
    CLoopLinkItem* item = Line(line);
    if (item == nullptr)
        return 0;
    tailplot::CCcdfCurve curve;
    const int result = tailplot::SetCcdfPoints(amplitudes, percents, n, curve);
    item->Data.Clear();
    item->Data.X.assign(curve.X.begin(), curve.X.end());
    item->Data.Y.assign(curve.Y.begin(), curve.Y.end());
    m_parameter.Styles[static_cast<std::size_t>(line)].Visible = result;
    return result;
}

void CWaveformCCDFWnd::GetMarkerValues(int pairA, double& value1, double& value2) const {
    tailplot::MarkerValues(DrawMapping(GetPlotArea()), pairA ? m_markerA : m_markerB, pairA != 0, value1,
                           value2);
}

void CWaveformCCDFWnd::SetAxisAdaptive() {
    bool any = false;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    for (int line = 0; line < kLineCount; ++line) {
        if (!GetMultiLineVisible(line))
            continue;
        const CLineData& d = Line(line)->Data;
        for (std::size_t i = 0; i < std::min(d.X.size(), d.Y.size()); ++i) {
            const double x = d.X[i], y = d.Y[i];
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

void CWaveformCCDFWnd::DrawAxes(QPainter& p, const QRect& client, const waveform::CPlotMapping& m) const {
    p.fillRect(client, waveform::ToQColor(m_parameter.ColorAxisBkGnd));
    if (!AxesDrawable(m))
        return;
    const QColor text = waveform::ToQColor(m_parameter.ColorAxisText);
    tailplot::DrawLogGrid(p, client, m, text, AxisFont());
    p.save();
    p.setFont(AxisFont());
    p.setPen(text);
    const int th = QFontMetrics(AxisFont(), p.device()).height();
    p.drawText(QRect(m.area.left - 200, m.area.top - 10 - th, 400, th), Qt::AlignHCenter | Qt::AlignTop,
               m_parameter.ScaleTextVert);
    DrawCaptionsAndFrame(p, client, m.area);
    p.restore();
}

void CWaveformCCDFWnd::DrawOneLine(QPainter& p, int line, const waveform::CPlotMapping& m, bool) {
    const CLoopLinkItem* item = Line(line);
    const CLineStyle& style = m_parameter.Styles[static_cast<std::size_t>(line)];
    if (item && style.Visible && AxesDrawable(m))
        tailplot::DrawLogCurve(p, item->Data.X, item->Data.Y, m, style, m_parameter.LineStyle);
}

QRegion CWaveformCCDFWnd::DrawMarkers(QPainter& p, const waveform::CPlotMapping& m, bool draw) const {
    return tailplot::DrawLogMarkers(p, draw, m, m_markerA, m_markerB, MarkerFont());
}

waveform::CPlotArea CWaveformCCDFWnd::CalcAxisRect(const QRect& client) const {
    // The left margin of five characters, or as wide as the labels of the decades shown.
    const int c = QFontMetrics(AxisFont()).horizontalAdvance(QStringLiteral("中"));
    const waveform::CPlotArea first = PlotAreaWithMargins(client, 5 * c, 2 * c);
    const waveform::CPlotMapping m = DrawMapping(first);
    const int labels =
        WidestLabel(tailplot::LogLabelTexts(m.vMin, m.vMax)) + tailplot::kLabelGap + kLabelEdge;
    return labels > 5 * c ? PlotAreaWithMargins(client, labels, 2 * c) : first;
}
