#include "PlotTestSupport.h"

#include "waveform/common/ScrollBarCtrl.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"
#include "waveform/traceprefs/ParameterFile.h"

#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>
#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace {

using namespace plottest;

constexpr int kPlotW = 640, kPlotH = 480;

class PlotWindowTest : public ::testing::Test {
protected:
    // Creates the window, after writing its parameter file when a record is given.
    void Create(const CParameterWaveform* parameters = nullptr) {
        if (parameters) {
            CParameterWaveform copy = *parameters;
            ASSERT_EQ(DLL_SaveParameterToFile(m_folder.Path("Config/Waveform.xml"), &copy), 1);
        }
        ASSERT_EQ(m_frame.Create(nullptr, &m_host, QRect(0, 0, kPlotW + 15, kPlotH + 15)), 0);
        // The parts have no meta-object of their own: they are told apart by their C++ type.
        for (QWidget* child : m_frame.findChildren<QWidget*>()) {
            if (auto* plot = dynamic_cast<CWaveformTimeVsAmpWnd*>(child))
                m_plot = plot;
            else if (auto* bar = dynamic_cast<CScrollBarCtrl*>(child))
                (bar->IsVertical() ? m_vertBar : m_horiBar) = bar;
        }
        ASSERT_NE(m_plot, nullptr);
        ASSERT_TRUE(m_horiBar && m_vertBar);
        ASSERT_EQ(m_plot->size(), QSize(kPlotW, kPlotH));
    }

    void View(double h0, double h1, double v0, double v1) {
        m_plot->SetAxisScaleHoriZoom(h0, h1, 1);
        m_plot->SetAxisScaleVertZoom(v0, v1, 1);
        m_frame.ReDrawWaveformWnd(1, 1, 1);
    }

    QImage Shown() const { return m_plot->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    waveform::CPlotMapping Mapping() const {
        waveform::CPlotMapping m;
        m.area = m_plot->GetPlotArea();
        m_plot->GetAxisScaleHoriZoom(m.hMin, m.hMax);
        m_plot->GetAxisScaleVertZoom(m.vMin, m.vMax);
        return m;
    }
    QColor At(const QImage& image, int x, int y) const { return QColor(image.pixel(x, y)); }

    CApplication m_app;
    CProgramFolder m_folder;
    CRecordingHost m_host;
    CWaveformTimeVsAmpMainWnd m_frame;
    CWaveformTimeVsAmpWnd* m_plot = nullptr;
    CScrollBarCtrl* m_horiBar = nullptr;
    CScrollBarCtrl* m_vertBar = nullptr;
};

TEST_F(PlotWindowTest, BackgroundAxisAndLineColoursComeFromTheRecord) {
    CParameterWaveform record;
    record.ColorAxisBkGnd = 0x30EE10;
    record.ColorAxis = 0x0000AA;
    record.Styles[0].LineColor = 0xFF8000;
    Create(&record);
    const std::vector<double> x = {0, 2, 4, 6, 8, 10}, y = {1, 9, 3, 7, 5, 5};
    m_frame.SetDataMultiLine(0, x.data(), y.data(), 6, 0);
    View(0, 10, 0, 10);

    const QImage image = Shown();
    const waveform::CPlotMapping m = Mapping();
    EXPECT_EQ(At(image, 2, 2), waveform::ToQColor(0x30EE10));
    EXPECT_EQ(At(image, m.area.left, (m.area.top + m.area.bottom) / 2 + 7), waveform::ToQColor(0x0000AA));
    EXPECT_EQ(At(image, m.area.left + 37, m.area.top), waveform::ToQColor(0x0000AA));
    for (std::size_t i = 1; i + 1 < x.size(); ++i)
        EXPECT_EQ(At(image, m.XPixel(x[i]), m.YPixel(y[i])), waveform::ToQColor(0xFF8000)) << "sample " << i;
    // Half way between samples 1 and 2 the joining line passes through the middle.
    EXPECT_EQ(At(image, m.XPixel(3), m.YPixel(6)), waveform::ToQColor(0xFF8000));
}

TEST_F(PlotWindowTest, ASummaryDrawnLineSetsTheSamePixelsAsJoiningEverySample) {
    Create();
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0.0, 1.0);
    const std::size_t n = 150000;
    std::vector<double> x(n), y(n);
    double level = 0;
    for (std::size_t i = 0; i < n; ++i) {
        x[i] = 0.001 * static_cast<double>(i);
        level += noise(rng);
        y[i] = level + (i % 997 == 0 ? 60.0 : 0.0);
    }
    m_frame.SetDataMultiLine(0, x.data(), y.data(), static_cast<unsigned>(n), 0);
    m_frame.SetAxisAdaptive();
    struct {
        const char* name;
        double from, to;
        int width;
    } views[] = {{"all samples", x.front(), x.back(), 1},
                 {"a zoomed part", 31.3, 47.9, 1},
                 {"few samples", 70.0, 70.3, 1},
                 {"all samples, wide pen", x.front(), x.back(), 3},
                 {"a zoomed part, wide pen", 31.3, 47.9, 2}};
    for (const auto& v : views) {
        m_plot->SetMultiLineStyle(0, 0x0000FF, 0, v.width);
        double v0 = 0, v1 = 0;
        m_plot->GetAxisScaleVertZoom(v0, v1);
        View(v.from, v.to, v0, v1);
        const QImage shown = Shown();

        m_frame.SetMultiLineVisible(0, 0);
        m_frame.ReDrawWaveformWnd(1, 1, 1);
        QImage reference = Shown();
        m_frame.SetMultiLineVisible(0, 1);
        // Every sample joined to the next, one segment each, in the line's pen.
        const waveform::CPlotMapping m = Mapping();
        QPainter p(&reference);
        p.setClipRect(m.area.WithEdges());
        p.setPen(QPen(QColor(255, 0, 0), v.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QVector<QLine> segments;
        for (std::size_t i = 1; i < n; ++i)
            segments << QLine(m.XPixel(x[i - 1]), m.YPixel(y[i - 1]), m.XPixel(x[i]), m.YPixel(y[i]));
        p.drawLines(segments);
        p.end();
        int differing = 0;
        for (int row = 0; row < shown.height(); ++row)
            for (int col = 0; col < shown.width(); ++col)
                differing += shown.pixel(col, row) != reference.pixel(col, row);
        EXPECT_EQ(differing, 0) << v.name;
    }
}

TEST_F(PlotWindowTest, MarkerLinesAreDrawnAtTheirPositions) {
    Create();
    std::vector<double> x(11), y(11);
    for (int i = 0; i <= 10; ++i) {
        x[i] = i;
        y[i] = i - 5;
    }
    m_frame.SetDataMultiLine(0, x.data(), y.data(), 11, 0);
    View(0, 10, -10, 10);
    m_frame.SetMarkerVisible(1, 1);
    m_frame.SetMarkerVisible(0, 1);
    m_frame.ReDrawWaveformWnd(1, 1, 1);
    const QImage image = Shown();
    const waveform::CPlotMapping m = Mapping();
    const QColor magenta = waveform::ToQColor(0xFF00FF);
    // Pair A sits on the first sample (left edge); pair B on the value 0 (middle row).
    EXPECT_EQ(At(image, m.area.left, m.area.top + 1), magenta);
    EXPECT_EQ(At(image, m.area.left + 100, m.YPixel(0)), magenta);
    EXPECT_NE(At(image, m.area.left + 100, m.YPixel(0) - 3), magenta);
    ASSERT_FALSE(m_host.pairA.empty());
    EXPECT_EQ(m_host.pairA.back().Shown, 1);
    EXPECT_EQ(m_host.pairA.back().Index1, 0u);
    EXPECT_EQ(m_host.pairA.back().Value3, -5.0);
}

TEST_F(PlotWindowTest, DraggingAMarkerSnapsReportsAndReleasingSendsTheStatistics) {
    Create();
    const unsigned n = 50;
    std::vector<double> x(n), y(n);
    for (unsigned i = 0; i < n; ++i) {
        x[i] = 0.2 * i;
        y[i] = std::sin(0.3 * i) + 2.0;
    }
    y[7] = 1e38; // excluded: above 1e37
    y[12] = 2e38;
    m_frame.SetDataMultiLine(0, x.data(), y.data(), n, 1);
    View(0, x.back(), 0, 4);
    m_frame.SetMarkerVisible(1, 1);
    m_frame.ReDrawWaveformWnd(0, 0, 1);
    const waveform::CPlotMapping m = Mapping();
    const int startX = m.XPixel(x[0]);
    const int midY = (m.area.top + m.area.bottom) / 2;

    m_host.pairA.clear();
    QTest::mouseMove(m_plot, QPoint(startX + 1, midY));
    QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(startX + 1, midY));
    const unsigned target = 20;
    QTest::mouseMove(m_plot, QPoint(m.XPixel(x[target]) + 3, midY));
    ASSERT_FALSE(m_host.pairA.empty());
    const CWaveformMarkerRecord r = m_host.pairA.back();
    EXPECT_EQ(r.Index1, target);
    EXPECT_EQ(r.Value1, x[target]);
    EXPECT_EQ(r.Value3, y[target]);
    EXPECT_EQ(r.Pixel1, m.XPixel(x[target]));
    EXPECT_EQ(r.Index2, 0u);
    EXPECT_TRUE(m_host.statistics.empty());

    QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(m.XPixel(x[target]) + 3, midY));
    ASSERT_EQ(m_host.statistics.size(), 1u);
    double mx = -1e300, mn = 1e300, sum = 0;
    int count = 0;
    for (unsigned i = 0; i <= target; ++i) {
        if (i == 7 || i == 12)
            continue;
        mx = std::max(mx, y[i]);
        mn = std::min(mn, y[i]);
        sum += y[i];
        ++count;
    }
    const CWaveformStatisticRecord s = m_host.statistics.back();
    EXPECT_EQ(s.Valid, 1);
    EXPECT_EQ(s.Maximum, mx);
    EXPECT_EQ(s.Minimum, mn);
    EXPECT_NEAR(s.Mean, sum / count, 1e-12);
    // The charge in mAh: 1 mAh is 3.6 A*s.
    EXPECT_NEAR(s.Product, (x[target] - x[0]) * (sum / count) * 1000 / 3600, 1e-12);
    // The shown marker line moved with it.
    EXPECT_EQ(QColor(Shown().pixel(m.XPixel(x[target]), m.area.top + 1)), waveform::ToQColor(0xFF00FF));
}

TEST_F(PlotWindowTest, DraggingPairBReportsTheValueAtThePointer) {
    Create();
    View(0, 10, -10, 10);
    m_frame.SetMarkerVisible(0, 1);
    const waveform::CPlotMapping m = Mapping();
    const int y0 = m.YPixel(0), x = m.area.left + 50;
    QTest::mouseMove(m_plot, QPoint(x, y0 + 1));
    QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(x, y0 + 1));
    const int quarter = m.area.top + m.area.Height() / 4;
    QTest::mouseMove(m_plot, QPoint(x, quarter));
    QTest::mouseMove(m_plot, QPoint(x, m.area.top - 40));
    QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(x, m.area.top - 40));
    ASSERT_EQ(m_host.pairB.size(), 2u);
    EXPECT_DOUBLE_EQ(m_host.pairB[0].Value1, 10.0 - (quarter - m.area.top) * 20.0 / m.area.Height());
    EXPECT_EQ(m_host.pairB[0].Pixel1, quarter);
    EXPECT_DOUBLE_EQ(m_host.pairB[1].Value1, 10.0) << "beyond the plot the marker stays on its edge";
    EXPECT_EQ(m_host.pairB[1].Pixel1, m.area.top);
    EXPECT_TRUE(m_host.statistics.empty());
}

struct CZoomCase {
    const char* name;
    eWaveformOperateTools tool;
    bool hori, vert;
};

TEST_F(PlotWindowTest, ZoomToolsTakeTheRangeOfTheDraggedRectangle) {
    Create();
    const CZoomCase cases[] = {{"box", eWaveformToolZoomBox, true, true},
                               {"horizontal", eWaveformToolZoomHori, true, false},
                               {"vertical", eWaveformToolZoomVert, false, true}};
    for (const CZoomCase& c : cases) {
        View(0, 10, -1, 1);
        m_frame.SetWaveformOperateTool(c.tool);
        const waveform::CPlotMapping m = Mapping();
        const QPoint from(m.area.left + 64, m.area.top + 48), to(m.area.left + 320, m.area.top + 240);
        QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(m_plot, to);
        QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, to);
        double h0, h1, v0, v1;
        m_plot->GetAxisScaleHoriZoom(h0, h1);
        m_plot->GetAxisScaleVertZoom(v0, v1);
        EXPECT_DOUBLE_EQ(h0, c.hori ? m.XValue(from.x()) : 0.0) << c.name;
        EXPECT_DOUBLE_EQ(h1, c.hori ? m.XValue(to.x()) : 10.0) << c.name;
        EXPECT_DOUBLE_EQ(v0, c.vert ? m.YValue(to.y()) : -1.0) << c.name;
        EXPECT_DOUBLE_EQ(v1, c.vert ? m.YValue(from.y()) : 1.0) << c.name;
        // The scroll bars follow the visible ranges.
        EXPECT_DOUBLE_EQ(m_horiBar->VisibleMin(), h0) << c.name;
        EXPECT_DOUBLE_EQ(m_vertBar->VisibleMax(), v1) << c.name;
    }
}

TEST_F(PlotWindowTest, ATooNarrowZoomRectangleLeavesTheRange) {
    Create();
    View(0, 10, -1, 1);
    m_frame.SetWaveformOperateTool(eWaveformToolZoomBox);
    const waveform::CPlotMapping m = Mapping();
    const QPoint from(m.area.left + 64, m.area.top + 48);
    QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(m_plot, from);
    QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, from);
    double h0, h1, v0, v1;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    m_plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_EQ(h0, 0.0);
    EXPECT_EQ(h1, 10.0);
    EXPECT_EQ(v0, -1.0);
    EXPECT_EQ(v1, 1.0);
}

TEST_F(PlotWindowTest, AnEmptySizeKeepsTheDrawArea) {
    Create();
    const waveform::CPlotArea before = m_plot->GetPlotArea();
    m_frame.resize(15, 15);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_plot->width(), 0);
    EXPECT_EQ(m_plot->GetPlotArea().right, before.right);
    EXPECT_EQ(m_plot->GetPlotArea().bottom, before.bottom);
    m_frame.resize(500, 400);
    QCoreApplication::processEvents();
    EXPECT_LT(m_plot->GetPlotArea().right, 500);
}

TEST_F(PlotWindowTest, AWidePlotIsPaintedOverItsWholeWidth) {
    CParameterWaveform record;
    record.ColorAxisBkGnd = 0x00FFFF; // yellow, to tell the background from white
    Create(&record);
    const int width = 3400;
    m_frame.resize(width + 15, 400);
    QCoreApplication::processEvents();
    ASSERT_EQ(m_plot->width(), width);
    const double x[] = {0, 10}, y[] = {0, 1};
    m_frame.SetDataMultiLine(0, x, y, 2, 0);
    View(0, 10, 0, 1);
    // Rendered over a colour that no drawing uses: any pixel left with it was not painted.
    const QColor unpainted(1, 2, 3);
    QImage image(m_plot->size(), QImage::Format_RGB32);
    image.fill(unpainted);
    m_plot->render(&image);
    int left = 0;
    for (int row = 0; row < image.height(); ++row)
        for (int column = 0; column < image.width(); ++column)
            left += QColor(image.pixel(column, row)) == unpainted;
    EXPECT_EQ(left, 0);
    // The plot itself reaches across: its right edge lies near the window's.
    EXPECT_GT(m_plot->GetPlotArea().right, width - 100);
    EXPECT_EQ(QColor(image.pixel(width - 2, 2)), waveform::ToQColor(0x00FFFF));
}

TEST_F(PlotWindowTest, PanMovesTheDataWithThePointer) {
    Create();
    View(0, 10, -1, 1);
    m_frame.SetWaveformOperateTool(eWaveformToolPan);
    const waveform::CPlotMapping m = Mapping();
    const QPoint from(m.area.left + 100, m.area.top + 100);
    QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(m_plot, from + QPoint(64, -48));
    QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, from + QPoint(64, -48));
    double h0, h1, v0, v1;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    m_plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_NEAR(h0, -64.0 * 10 / m.area.Width(), 1e-12);
    EXPECT_NEAR(h1 - h0, 10.0, 1e-12);
    EXPECT_NEAR(v0, -1.0 - 48.0 * 2 / m.area.Height(), 1e-12);
    EXPECT_NEAR(v1 - v0, 2.0, 1e-12);
    EXPECT_DOUBLE_EQ(m_horiBar->VisibleMin(), h0);
}

TEST_F(PlotWindowTest, ScrollBarArrowsAndResetMoveThePlot) {
    Create();
    m_plot->SetAxisScaleHoriOrg(0, 10, 1);
    View(2, 4, -1, 1);
    QTest::mouseClick(m_horiBar, Qt::LeftButton, Qt::NoModifier, m_horiBar->SecondArrowRect().center());
    double h0, h1;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_NEAR(h0, 2.2, 1e-12);
    EXPECT_NEAR(h1, 4.2, 1e-12);
    QTest::mouseClick(m_vertBar, Qt::LeftButton, Qt::NoModifier, m_vertBar->FirstArrowRect().center());
    double v0, v1;
    m_plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_NEAR(v0, -0.8, 1e-12);
    QTest::mouseDClick(m_horiBar, Qt::LeftButton, Qt::NoModifier, m_horiBar->ResetRect().center());
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_DOUBLE_EQ(h0, 0.0);
    EXPECT_DOUBLE_EQ(h1, 10.0);
}

TEST_F(PlotWindowTest, AMarkerDraggedPastTheLastSampleStaysOnTheSampleItHolds) {
    Create();
    std::vector<double> x(11), y(11);
    for (int i = 0; i <= 10; ++i) {
        x[i] = i;
        y[i] = 0.5;
    }
    m_frame.SetDataMultiLine(0, x.data(), y.data(), 11, 0);
    View(0, 20, 0, 1);
    m_frame.SetMarkerVisible(1, 1);
    m_frame.ReDrawWaveformWnd(0, 0, 1);
    const waveform::CPlotMapping m = Mapping();
    const int midY = (m.area.top + m.area.bottom) / 2, startX = m.XPixel(0);
    QTest::mouseMove(m_plot, QPoint(startX + 1, midY));
    QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(startX + 1, midY));
    QTest::mouseMove(m_plot, QPoint(m.XPixel(6), midY));
    QTest::mouseMove(m_plot, QPoint(m.XPixel(15), midY)); // past the last sample, inside the plot
    QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(m.XPixel(15), midY));
    ASSERT_FALSE(m_host.pairA.empty());
    const CWaveformMarkerRecord r = m_host.pairA.back();
    EXPECT_EQ(r.Index1, 6u);
    EXPECT_EQ(r.Value1, 6.0);
    EXPECT_EQ(r.Pixel1, m.XPixel(6));
    const QImage image = Shown();
    const QColor magenta = waveform::ToQColor(0xFF00FF);
    EXPECT_EQ(At(image, m.XPixel(6), m.area.top + 1), magenta) << "drawn where its value is";
    // Line 2 of the pair still sits on the first sample; nothing else is drawn on the left edge.
    EXPECT_EQ(r.Index2, 0u);
    for (int px : {m.XPixel(1), m.XPixel(15)})
        EXPECT_NE(At(image, px, m.area.top + 1), magenta) << px;
}

TEST_F(PlotWindowTest, BoxZoomReachesNanoampereSpans) {
    Create();
    struct CCase {
        const char* name;
        double v0, v1;
    };
    const CCase cases[] = {
        {"microamperes", 0, 2e-6}, {"nanoamperes", -1e-9, 1e-9}, {"picoamperes", 0, 1e-12}};
    for (const CCase& c : cases) {
        View(0, 10, c.v0, c.v1);
        m_frame.SetWaveformOperateTool(eWaveformToolZoomVert);
        const waveform::CPlotMapping m = Mapping();
        const QPoint from(m.area.left + 64, m.area.top + 100), to(m.area.left + 64, m.area.top + 200);
        QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(m_plot, to);
        QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, to);
        double v0, v1;
        m_plot->GetAxisScaleVertZoom(v0, v1);
        EXPECT_DOUBLE_EQ(v0, m.YValue(to.y())) << c.name;
        EXPECT_DOUBLE_EQ(v1, m.YValue(from.y())) << c.name;
        // A box of one pixel is a slip, not a zoom.
        const waveform::CPlotMapping zoomed = Mapping();
        QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(m_plot, from + QPoint(0, 1));
        QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, from + QPoint(0, 1));
        m_plot->GetAxisScaleVertZoom(v0, v1);
        EXPECT_EQ(v0, zoomed.vMin) << c.name;
        EXPECT_EQ(v1, zoomed.vMax) << c.name;
    }
}

TEST_F(PlotWindowTest, SamplesTwoUlpApartFitAndRedraw) {
    // Around 100 a grid step of such a span is so fine that the step count passes 2^53.
    struct CCase {
        const char* name;
        double x0, x1, y0, y1;
    };
    const double hundred = 100.0, twoUlp = std::nextafter(std::nextafter(hundred, 200.0), 200.0);
    const CCase cases[] = {{"values", 0, 1, hundred, twoUlp}, {"times", 3e11, 3e11 + 1e-3, 0, 1}};
    Create();
    for (const CCase& c : cases) {
        const double x[] = {c.x0, c.x1}, y[] = {c.y0, c.y1};
        m_frame.SetDataMultiLine(0, x, y, 2, 0);
        m_frame.SetAxisAdaptive();
        m_frame.ReDrawWaveformWnd(1, 1, 1);
        // Reaching here is the point; the frame is drawn too.
        const waveform::CPlotArea a = m_plot->GetPlotArea();
        EXPECT_NE(At(Shown(), a.left, (a.top + a.bottom) / 2), waveform::ToQColor(0xFFFFFF)) << c.name;
    }
}

TEST_F(PlotWindowTest, DegenerateRangesDrawWithoutHangingOrOverflowing) {
    Create();
    const double one[] = {5.0}, oneY[] = {1.0};
    m_frame.SetDataMultiLine(0, one, oneY, 1, 0);
    m_frame.SetAxisAdaptive();
    m_frame.ReDrawWaveformWnd(1, 1, 1);
    double h0, h1;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_EQ(h0, h1);
    const double inf = std::numeric_limits<double>::infinity();
    View(0, 1, -inf, inf);
    View(-std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), 0, 1);
    // Zoomed far into the gap between two samples: the line still crosses the plot.
    const double x[] = {0.0, 1e6}, y[] = {0.0, 1e6};
    m_frame.SetDataMultiLine(0, x, y, 2, 0);
    View(5e5, 5e5 + 1, 5e5, 5e5 + 1);
    const waveform::CPlotMapping m = Mapping();
    const QImage image = Shown();
    const QColor lineColour = waveform::ToQColor(m_plot->GetGDI().Styles[0].LineColor);
    const int cx = (m.area.left + m.area.right) / 2, cy = (m.area.top + m.area.bottom) / 2;
    int near = 0;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            near += QColor(image.pixel(cx + dx, cy + dy)) == lineColour;
    EXPECT_GE(near, 3);
}

TEST_F(PlotWindowTest, ExclusionRules) {
    Create();
    struct {
        const char* name;
        int exclusion;
        double max, mean;
    } rows[] = {{"none", 0, 2e38, (1 + 2e38 + 3) / 3},
                {"over range", 1, 3, 2},
                {"repeated time", 2, 2e38, (1 + 2e38) / 2},
                {"over range first", 3, 3, 2}};
    const double x[] = {0, 1, 1}, y[] = {1, 2e38, 3};
    for (const auto& r : rows) {
        m_frame.SetDataMultiLine(2, x, y, 3, r.exclusion);
        double mn, mx, mean;
        ASSERT_EQ(m_frame.GetMultiLineStatistic(2, mn, mx, mean), 1) << r.name;
        EXPECT_EQ(mx, r.max) << r.name;
        EXPECT_DOUBLE_EQ(mean, r.mean) << r.name;
    }
    const double x2[] = {0, 1, 1}, y2[] = {1, 2, 3};
    m_frame.SetDataMultiLine(2, x2, y2, 3, 3);
    double mn, mx, mean;
    ASSERT_EQ(m_frame.GetMultiLineStatistic(2, mn, mx, mean), 1);
    EXPECT_EQ(mx, 2) << "without values above 1e37 repeated times are excluded";
    m_frame.SetDataMultiLine(2, nullptr, y2, 3, 0);
    EXPECT_EQ(m_frame.GetMultiLineVisible(2), 0);
    EXPECT_EQ(m_frame.IsMultiLineHasData(2), 0);
    EXPECT_EQ(m_frame.GetMultiLineStatistic(2, mn, mx, mean), 0);
}

TEST_F(PlotWindowTest, TheBitmapIsA24BitImageOfTheClientArea) {
    Create();
    const double x[] = {0, 1, 2}, y[] = {0.2, 0.8, 0.4};
    m_frame.SetDataMultiLine(0, x, y, 3, 0);
    View(0, 2, 0, 1);
    m_frame.resize(400 + 15, 300 + 15);
    const QString path = m_folder.Path("plot.bmp");
    ASSERT_EQ(m_frame.SaveAsBitmapTVA(path), 1);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 54);
    auto u32 = [&](int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    auto u16 = [&](int at) { return qFromLittleEndian<quint16>(bytes.constData() + at); };
    const quint32 rowBytes = (400 * 3 + 3) & ~3u;
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(u32(2), static_cast<quint32>(bytes.size()));
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 400u);
    EXPECT_EQ(u32(22), 300u);
    EXPECT_EQ(u16(26), 1u);
    EXPECT_EQ(u16(28), 24u);
    EXPECT_EQ(u32(30), 0u);
    EXPECT_EQ(u32(34), rowBytes * 300);
    EXPECT_EQ(u32(6), 0u) << "reserved";
    for (int at = 38; at < 54; at += 4)
        EXPECT_EQ(u32(at), 0u) << "resolution and colour counts at " << at;
    EXPECT_EQ(m_frame.SaveAsBitmapTVA(m_folder.Path("missing/plot.bmp")), 0);
    QImage image;
    ASSERT_TRUE(image.load(path, "BMP"));
    EXPECT_EQ(image.size(), QSize(400, 300));
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32), Shown());
}

TEST_F(PlotWindowTest, PrintingGivesOnePageAndGivesTheScreenItsPlotBack) {
    Create();
    const double x[] = {0, 1, 2}, y[] = {0.2, 0.8, 0.4};
    m_frame.SetDataMultiLine(0, x, y, 3, 0);
    View(0, 2, 0, 1);
    const waveform::CPlotArea screenArea = m_plot->GetPlotArea();
    const QImage screenBefore = Shown();
    const QString path = m_folder.Path("plot.pdf");
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setFromTo(1, 9); // as a print dialog could leave it
        m_frame.OnBeginPrinting(&printer);
        EXPECT_EQ(printer.fromPage(), 1);
        EXPECT_EQ(printer.toPage(), 1);
        QPainter painter(&printer);
        m_frame.OnPrepareDC(&painter, &printer);
        const double scale = static_cast<double>(printer.logicalDpiX()) / m_plot->logicalDpiX();
        EXPECT_DOUBLE_EQ(painter.worldTransform().m11(), scale) << "screen units scaled to the printer";
        EXPECT_DOUBLE_EQ(painter.worldTransform().m22(), scale);
        const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
        const QRect drawRect(0, 0, static_cast<int>(page.width() / scale),
                             static_cast<int>(page.height() / scale));
        m_frame.OnPrint(&painter, &drawRect, kPlotW, kPlotH);
        painter.end();
        m_frame.OnEndPrinting();
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_GT(file.size(), 0);
    // The page's plot was laid out for the page: the screen keeps its own plot and picture.
    const waveform::CPlotArea after = m_plot->GetPlotArea();
    EXPECT_EQ(after.left, screenArea.left);
    EXPECT_EQ(after.right, screenArea.right);
    EXPECT_EQ(after.top, screenArea.top);
    EXPECT_EQ(after.bottom, screenArea.bottom);
    EXPECT_EQ(Shown(), screenBefore);
}

TEST_F(PlotWindowTest, PrintingInsetsThePlotInsideTheAxes) {
    Create();
    View(0, 2, 0, 1);
    const waveform::CPlotArea screen = m_plot->GetPlotArea();
    QImage page(kPlotW, kPlotH, QImage::Format_RGB32);
    page.fill(Qt::black);
    QPainter painter(&page);
    m_frame.OnPrint(&painter, nullptr, kPlotW, kPlotH);
    painter.end();
    const QColor frame = waveform::ToQColor(0x808080);
    const int midY = (screen.top + screen.bottom) / 2 + 7, midX = (screen.left + screen.right) / 2 + 7;
    EXPECT_EQ(QColor(page.pixel(screen.left + 10, midY)), frame) << "10 pixels in on the left";
    EXPECT_EQ(QColor(page.pixel(screen.right - 10, midY)), frame) << "and on the right";
    EXPECT_EQ(QColor(page.pixel(midX, screen.top + 20)), frame) << "20 pixels down at the top";
    EXPECT_EQ(QColor(page.pixel(midX, screen.bottom - 20)), frame) << "and up at the bottom";
    EXPECT_EQ(QColor(page.pixel(screen.left, midY)), waveform::ToQColor(0xFFFFFF));
    EXPECT_EQ(QColor(page.pixel(2, 2)), waveform::ToQColor(0xFFFFFF)) << "the page is filled first";
}

TEST_F(PlotWindowTest, ExcludedSamplesShowATickAndSymbolsMarkEachSample) {
    CParameterWaveform record;
    record.LineStyle = 3;
    record.Styles[0].LineColor = 0x00A000;
    Create(&record);
    const double x[] = {1, 3, 5, 7}, y[] = {2, 2e38, 6, 4};
    m_frame.SetDataMultiLine(0, x, y, 4, 1);
    View(0, 8, 0, 8);
    const QImage image = Shown();
    const waveform::CPlotMapping m = Mapping();
    EXPECT_EQ(At(image, m.XPixel(3) + 1, m.area.top + 2), QColor(255, 0, 0)) << "tick of the excluded sample";
    EXPECT_EQ(At(image, m.XPixel(5) + 4, m.YPixel(6) - 4), waveform::ToQColor(0x00A000))
        << "square of a sample";
    EXPECT_NE(At(image, m.XPixel(4), m.YPixel(5)), waveform::ToQColor(0x00A000)) << "symbols are not joined";
}

TEST_F(PlotWindowTest, MarkersOnOneSampleGiveNoStatisticsAndPairANeedsTwoSamples) {
    Create();
    const double one[] = {1}, oneY[] = {1};
    m_frame.SetDataMultiLine(0, one, oneY, 1, 0);
    m_frame.SetMarkerVisible(1, 1);
    EXPECT_EQ(m_frame.GetMarkerVisible(1), 0);
    EXPECT_TRUE(m_host.pairA.empty());

    const double x[] = {0, 1, 2, 3}, y[] = {1, 2, 3, 4};
    m_frame.SetDataMultiLine(0, x, y, 4, 0);
    View(0, 3, 0, 5);
    m_frame.SetMarkerVisible(1, 1);
    const waveform::CPlotMapping m = Mapping();
    const QPoint on(m.XPixel(0), (m.area.top + m.area.bottom) / 2);
    QTest::mouseMove(m_plot, on);
    QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, on);
    QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, on);
    ASSERT_EQ(m_host.statistics.size(), 1u);
    EXPECT_EQ(m_host.statistics[0].Valid, 0);
}

TEST_F(PlotWindowTest, ResetEmptiesLineZeroOnlyAndRestoresTheRanges) {
    Create();
    const double x[] = {0, 1, 2}, y[] = {1, 2, 3};
    m_frame.SetDataMultiLine(0, x, y, 3, 0);
    m_frame.SetDataMultiLine(1, x, y, 3, 0);
    View(5, 6, 7, 8);
    m_frame.ResetWaveformWnd();
    EXPECT_EQ(m_frame.IsMultiLineHasData(0), 0);
    EXPECT_EQ(m_frame.IsMultiLineHasData(1), 1);
    double h0, h1;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_EQ(h0, 0.0);
    EXPECT_EQ(h1, 1.0);
    EXPECT_EQ(m_horiBar->VisibleMax(), 1.0);
}

TEST_F(PlotWindowTest, AnEmptyFullRangeDoesNotBreakTheScrollBar) {
    Create();
    m_plot->SetAxisScaleHoriOrg(3, 3, 1);
    m_plot->SetAxisScaleHoriZoom(3, 3, 1);
    EXPECT_EQ(m_horiBar->ThumbRect().width(), m_horiBar->TrackRect().width());
    const QImage bar = m_horiBar->grab().toImage();
    EXPECT_EQ(bar.size(), m_horiBar->size());
}

TEST_F(PlotWindowTest, TheHostsConfigurationFileIsReadAndWritten) {
    CParameterWaveform record;
    record.ColorAxisBkGnd = 0x202020;
    record.HoriMinZoom = 2;
    record.HoriMaxZoom = 4;
    ASSERT_EQ(DLL_SaveParameterToFile(m_folder.Path("Config/WaveformCurrent.xml"), &record), 1);
    m_frame.SetConfigFileName(QStringLiteral("WaveformCurrent.xml"));
    Create();
    EXPECT_EQ(At(Shown(), 1, 1), waveform::ToQColor(0x202020));
    double h0, h1;
    m_plot->GetAxisScaleHoriOrg(h0, h1);
    EXPECT_EQ(h0, 2.0);
    EXPECT_EQ(h1, 4.0);
    EXPECT_EQ(m_horiBar->FullMax(), 4.0);

    CParameterWaveform changed = m_plot->GetGDI();
    changed.ChartName = QStringLiteral("changed");
    m_plot->SetGDI(changed);
    CParameterWaveform reread;
    ASSERT_EQ(DLL_LoadParameterFromFile(m_folder.Path("Config/WaveformCurrent.xml"), &reread), 1);
    EXPECT_EQ(reread.ChartName, QStringLiteral("changed"));
    EXPECT_FALSE(QFile::exists(m_folder.Path("Config/Waveform.xml")));
}

TEST_F(PlotWindowTest, TheFrameKeepsItsFixedPenUntilParametersAreApplied) {
    Create();
    View(0, 10, -1, 1);
    const waveform::CPlotMapping m = Mapping();
    const int row = (m.area.top + m.area.bottom) / 2 + 7;
    EXPECT_EQ(At(Shown(), m.area.left, row), waveform::ToQColor(0x808080));
    EXPECT_NE(At(Shown(), m.area.left - 1, row), waveform::ToQColor(0x808080)) << "one pixel wide";

    CParameterWaveform applied = m_plot->GetGDI();
    applied.ColorAxis = 0x0000AA;
    applied.HoriMinZoom = 2;
    applied.HoriMaxZoom = 4;
    applied.VertMinZoom = -3;
    applied.VertMaxZoom = 3;
    m_plot->SetGDI(applied);
    EXPECT_EQ(At(Shown(), m.area.left, row), waveform::ToQColor(0x0000AA));
    EXPECT_EQ(At(Shown(), m.area.left - 1, row), waveform::ToQColor(0x0000AA)) << "two pixels wide";
    // The bars show the new full ranges, so their reset brings back the applied limits.
    EXPECT_EQ(m_horiBar->FullMin(), 2.0);
    EXPECT_EQ(m_horiBar->FullMax(), 4.0);
    EXPECT_EQ(m_vertBar->FullMin(), -3.0);
    EXPECT_EQ(m_vertBar->FullMax(), 3.0);
}

TEST_F(PlotWindowTest, AutoFitSkipsLinesWhoseSamplesAreAllExcluded) {
    Create();
    const double x[] = {-50, 60}, over[] = {2e38, 3e38};
    m_frame.SetDataMultiLine(1, x, over, 2, 1);
    View(0, 10, -1, 1);
    m_frame.SetAxisAdaptive();
    double h0, h1, v0, v1;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    m_plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_EQ(h0, 0.0) << "nothing changes when no line contributes";
    EXPECT_EQ(h1, 10.0);
    EXPECT_EQ(v0, -1.0);

    const double x0[] = {1, 2, 3}, y0[] = {4, 6, 5};
    m_frame.SetDataMultiLine(0, x0, y0, 3, 0);
    m_frame.SetAxisAdaptive();
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    m_plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_EQ(h0, 1.0) << "the excluded line's times are not united";
    EXPECT_EQ(h1, 3.0);
    EXPECT_EQ(v0, 4.0);
    EXPECT_EQ(v1, 6.0);
}

TEST_F(PlotWindowTest, NewDataPutsPairAOnTheFirstSampleOfTheLineSet) {
    Create();
    const double x0[] = {1, 2, 3}, y0[] = {4, 6, 5};
    m_frame.SetDataMultiLine(0, x0, y0, 3, 0);
    View(0, 10, 0, 10);
    m_frame.SetMarkerVisible(1, 1);
    ASSERT_FALSE(m_host.pairA.empty());
    EXPECT_EQ(m_host.pairA.back().Value1, 1.0);

    m_host.pairA.clear();
    const double x2[] = {7, 8}, y2[] = {9, 1};
    m_frame.SetDataMultiLine(2, x2, y2, 2, 0);
    ASSERT_EQ(m_host.pairA.size(), 1u);
    const CWaveformMarkerRecord r = m_host.pairA.back();
    EXPECT_EQ(r.Index1, 0u);
    EXPECT_EQ(r.Value1, 7.0);
    EXPECT_EQ(r.Value2, 7.0);
    EXPECT_EQ(r.Value3, 9.0);
    EXPECT_EQ(r.Value4, 9.0);
    EXPECT_EQ(r.Pixel1, Mapping().XPixel(7.0));

    m_host.pairA.clear();
    m_frame.SetDataMultiLine(3, nullptr, nullptr, 0, 0);
    EXPECT_TRUE(m_host.pairA.empty()) << "a line without samples has no first sample";
}

TEST_F(PlotWindowTest, NothingHappensBeforeCreation) {
    App();
    CWaveformTimeVsAmpMainWnd frame;
    const double x[] = {0, 1}, y[] = {0, 1};
    frame.SetDataMultiLine(0, x, y, 2, 0);
    EXPECT_EQ(frame.IsMultiLineHasData(0), 0);
    EXPECT_EQ(frame.SaveAsBitmapTVA(m_folder.Path("x.bmp")), 0);
    EXPECT_EQ(frame.GetMarkerVisible(1), 0);
}

// A window on logarithmic axes, as the distribution window draws them.
class CLogPlot : public CWaveformPlotWnd {
public:
    CLogPlot() : CWaveformPlotWnd(QStringLiteral("LogPlot.xml")) {
        SetAxisLogarithmic(ePlotAxisHori, true);
        SetAxisLogarithmic(ePlotAxisVert, true);
    }
};

TEST_F(PlotWindowTest, APressDecidesFromWhereTheMarkersAreNow) {
    // The pointer rested on a pair A line; then the line went (hidden, or moved by new data) and the
    // button is pressed where the pointer is, without a move: nothing of pair A is dragged or reported.
    struct CCase {
        const char* name;
        bool hide;
    };
    const CCase cases[] = {{"pair A hidden", true}, {"pair A moved by new data", false}};
    for (const CCase& c : cases) {
        Create();
        std::vector<double> x(50), y(50, 1.0);
        for (int i = 0; i < 50; ++i)
            x[i] = i;
        m_frame.SetDataMultiLine(0, x.data(), y.data(), 50, 0);
        View(0, 49, 0, 2);
        m_frame.SetMarkerVisible(1, 1);
        m_frame.ReDrawWaveformWnd(0, 0, 1);
        const waveform::CPlotMapping m = Mapping();
        const QPoint on(m.XPixel(x[0]) + 1, (m.area.top + m.area.bottom) / 2);
        QTest::mouseMove(m_plot, on);
        if (c.hide) {
            m_frame.SetMarkerVisible(1, 0);
        } else {
            // The new line starts later: pair A goes to its first sample, far from the pointer.
            for (double& v : x)
                v += 25;
            m_frame.SetDataMultiLine(0, x.data(), y.data(), 50, 0);
        }
        m_frame.ReDrawWaveformWnd(1, 1, 1);
        m_host.pairA.clear();
        m_host.statistics.clear();
        QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, on);
        QTest::mouseMove(m_plot, on + QPoint(40, 0));
        QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, on + QPoint(40, 0));
        EXPECT_TRUE(m_host.pairA.empty()) << c.name;
        EXPECT_TRUE(m_host.statistics.empty()) << c.name;
        m_frame.SetMarkerVisible(1, 0);
    }
}

TEST_F(PlotWindowTest, AShortCaptureFillsThePlotAndItsLabelsStayApart) {
    Create();
    // 40 microseconds at one sample a microsecond, fitted: from the left edge to the right one.
    std::vector<double> x(41), y(41);
    for (int i = 0; i <= 40; ++i) {
        x[i] = i * 1e-6;
        y[i] = 1e-6 * (i % 2);
    }
    m_frame.SetDataMultiLine(0, x.data(), y.data(), 41, 0);
    m_frame.SetAxisAdaptive();
    m_frame.ReDrawWaveformWnd(1, 1, 1);
    EXPECT_EQ(m_horiBar->VisibleMax(), x.back());
    const waveform::CPlotArea a = m_plot->GetPlotArea();
    const QImage image = Shown();
    const QColor line = waveform::ToQColor(m_plot->GetGDI().Styles[0].LineColor);
    auto lineIn = [&](int column) {
        for (int row = a.top; row <= a.bottom; ++row)
            if (At(image, column, row) == line)
                return true;
        return false;
    };
    EXPECT_TRUE(lineIn(a.right - 1)) << "the last sample is on the right edge";
    EXPECT_TRUE(lineIn(a.left + a.Width() * 3 / 4));
    // The labels under the plot: runs of ink with gaps between them, none wider than one label.
    const QColor text = waveform::ToQColor(m_plot->GetGDI().ColorAxisText);
    std::vector<std::pair<int, int>> runs;
    for (int column = 0; column < image.width(); ++column) {
        bool ink = false;
        for (int row = a.bottom + 4; row < a.bottom + 40 && row < image.height(); ++row)
            ink = ink || At(image, column, row) == text;
        if (!ink)
            continue;
        if (!runs.empty() && column - runs.back().second <= 2)
            runs.back().second = column;
        else
            runs.emplace_back(column, column);
    }
    ASSERT_GE(runs.size(), 4u);
    EXPECT_GT(runs.front().first, 0) << "inside the client";
    EXPECT_LT(runs.back().second, image.width() - 1);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    const int widest = QFontMetrics(font).horizontalAdvance(QStringLiteral("4.5e-05")) + 4;
    for (const auto& [from, to] : runs)
        EXPECT_LE(to - from, widest) << "labels run into each other at " << from;
}

TEST(LogarithmicAxes, ToolsWorkInDecadesAndLimitsStayPositive) {
    CApplication app;
    CProgramFolder folder;
    CLogPlot plot;
    ASSERT_EQ(plot.Create(nullptr, nullptr, nullptr), 0);
    plot.resize(kPlotW, kPlotH);
    plot.SetAxisScaleHoriZoom(1e-9, 1e-3, 0);
    plot.SetAxisScaleVertZoom(0.001, 100, 0);
    plot.ReDrawWaveformWnd(1, 1, 1);
    const waveform::CPlotArea a = plot.GetPlotArea();
    // Zoom: the box's edges are read on the logarithmic scales.
    plot.SetOperateTool(eWaveformToolZoomBox);
    const QPoint from(a.left + a.Width() / 6, a.top + a.Height() / 5), to(a.left + a.Width() / 2, a.bottom);
    QTest::mousePress(&plot, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&plot, to);
    QTest::mouseRelease(&plot, Qt::LeftButton, Qt::NoModifier, to);
    double h0, h1, v0, v1;
    plot.GetAxisScaleHoriZoom(h0, h1);
    plot.GetAxisScaleVertZoom(v0, v1);
    EXPECT_NEAR(std::log10(h0), -9 + 6.0 * (from.x() - a.left) / a.Width(), 1e-9);
    EXPECT_NEAR(std::log10(h1), -9 + 6.0 * (to.x() - a.left) / a.Width(), 1e-9);
    EXPECT_NEAR(std::log10(v1), 2 - 5.0 * (from.y() - a.top) / a.Height(), 1e-9);
    EXPECT_NEAR(v0, 0.001, 1e-12);
    // Pan: a drag across the whole width moves the view by its span in decades, and keeps it there.
    plot.SetAxisScaleHoriZoom(1e-6, 1e-3, 0);
    plot.SetOperateTool(eWaveformToolPan);
    QTest::mousePress(&plot, Qt::LeftButton, Qt::NoModifier, QPoint(a.left, a.top + 5));
    QTest::mouseMove(&plot, QPoint(a.right, a.top + 5));
    QTest::mouseRelease(&plot, Qt::LeftButton, Qt::NoModifier, QPoint(a.right, a.top + 5));
    plot.GetAxisScaleHoriZoom(h0, h1);
    EXPECT_NEAR(std::log10(h0), -9, 1e-9);
    EXPECT_NEAR(std::log10(h1), -6, 1e-9);
    // No limit reaches zero or below.
    plot.SetAxisScaleVertZoom(-5, 0, 0);
    plot.GetAxisScaleVertZoom(v0, v1);
    EXPECT_EQ(v0, 1e-20);
    EXPECT_EQ(v1, 1e-20);
}

} // namespace
