#include "PlotTestSupport.h"

#include "platform/MessageBox.h"
#include "waveform/common/PlotFormat.h"
#include "waveform/tailplot/WaveformCCDFMainWnd.h"
#include "waveform/traceprefs/ParameterFile.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace plottest;

constexpr int kPlotW = 640, kPlotH = 480;
constexpr COLORREF kRed = 0x0000FF;
const QColor kRedColour(255, 0, 0);

// Where a value lands on a logarithmic axis from lo to hi spread over length pixels.
double Decades(double v, double lo, double hi) {
    return (std::log10(v) - std::log10(lo)) / (std::log10(hi) - std::log10(lo));
}

class CcdfWindowTest : public ::testing::Test {
protected:
    void Create(const CParameterWaveform* parameters = nullptr) {
        if (parameters) {
            CParameterWaveform copy = *parameters;
            ASSERT_EQ(DLL_SaveParameterToFile(m_folder.Path("Config/WaveformCCDF.xml"), &copy), 1);
        }
        ASSERT_EQ(m_frame.Create(nullptr, QRect(0, 0, kPlotW + 15, kPlotH + 15)), 0);
        m_plot = &m_frame.Plot();
        for (QWidget* child : m_frame.findChildren<QWidget*>())
            if (auto* bar = dynamic_cast<CScrollBarCtrlLog*>(child))
                (bar->IsVertical() ? m_vertBar : m_horiBar) = bar;
        ASSERT_TRUE(m_horiBar && m_vertBar);
        ASSERT_EQ(m_plot->size(), QSize(kPlotW, kPlotH));
        m_plot->SetMultiLineStyle(0, kRed, 0, 1);
    }

    void View(double h0, double h1, double v0, double v1) {
        m_plot->SetAxisScaleHoriZoom(h0, h1, 1);
        m_plot->SetAxisScaleVertZoom(v0, v1, 1);
        m_frame.ReDrawWaveformWnd(1);
    }

    QImage Shown() const { return m_plot->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    waveform::CPlotArea Area() const { return m_plot->GetPlotArea(); }

    // The pixel of (x, y) in the present view, worked out from the visible ranges.
    QPoint PixelOf(double x, double y) const {
        double h0, h1, v0, v1;
        m_plot->GetAxisScaleHoriZoom(h0, h1);
        m_plot->GetAxisScaleVertZoom(v0, v1);
        const waveform::CPlotArea a = Area();
        return QPoint(a.left + static_cast<int>(Decades(x, h0, h1) * a.Width()),
                      a.bottom - static_cast<int>(Decades(y, v0, v1) * a.Height()));
    }

    // Whether a pixel of the colour lies within one pixel of p.
    static bool Near(const QImage& image, QPoint p, const QColor& colour) {
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (image.rect().contains(p + QPoint(dx, dy)) &&
                    QColor(image.pixel(p + QPoint(dx, dy))) == colour)
                    return true;
        return false;
    }

    CApplication m_app;
    CProgramFolder m_folder;
    CWaveformCCDFMainWnd m_frame;
    CWaveformCCDFWnd* m_plot = nullptr;
    CScrollBarCtrlLog* m_horiBar = nullptr;
    CScrollBarCtrlLog* m_vertBar = nullptr;
};

TEST_F(CcdfWindowTest, OpensOnFiveDecadesOfAmplitudeAndPercent) {
    Create();
    double h0, h1, v0, v1;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    m_plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_EQ(h0, 0.0001);
    EXPECT_EQ(h1, 10.0);
    EXPECT_EQ(v0, 0.001);
    EXPECT_EQ(v1, 100.0);
    EXPECT_EQ(m_horiBar->VisibleMin(), 0.0001);
    EXPECT_EQ(m_vertBar->FullMax(), 100.0);
    EXPECT_EQ(m_frame.GetWaveformOperateTool(), eCCDFToolNone);
}

TEST_F(CcdfWindowTest, KnownReadingsGiveCurvePointsAtTheirLogarithmicPixels) {
    Create();
    // Readings 1..6: two bins, (2.25, 100 %) and (4.75, 50 %).
    const double samples[] = {6, 5, 4, 3, 2, 1};
    m_frame.SetDataMultiLine(0, samples, 6);
    ASSERT_EQ(m_frame.IsMultiLineHasData(0), 1);
    EXPECT_EQ(m_frame.GetMultiLineVisible(0), 1);
    View(1.0, 10.0, 10.0, 1000.0);
    const QImage image = Shown();
    const QPoint first = PixelOf(2.25, 100.0), second = PixelOf(4.75, 50.0);
    EXPECT_TRUE(Near(image, first, kRedColour)) << first.x() << "," << first.y();
    EXPECT_TRUE(Near(image, second, kRedColour)) << second.x() << "," << second.y();
    // A straight segment between them on the screen: its middle column holds the middle row.
    const QPoint middle((first.x() + second.x()) / 2, (first.y() + second.y()) / 2);
    EXPECT_TRUE(Near(image, middle, kRedColour));
    // Nothing of the curve left of its first point or right of its last.
    for (int x = Area().left + 1; x < first.x() - 2; ++x)
        EXPECT_FALSE(Near(image, QPoint(x, first.y()), kRedColour)) << x;
    for (int x = second.x() + 2; x < Area().right - 1; ++x)
        EXPECT_FALSE(Near(image, QPoint(x, second.y()), kRedColour)) << x;
}

TEST_F(CcdfWindowTest, UniformReadingsFallInAStraightLineOfPercentAgainstAmplitude) {
    Create();
    // Microamps 1..2000: the share at or above each bin's lower edge falls by 1 % per bin.
    std::vector<double> samples;
    for (int i = 1; i <= 2000; ++i)
        samples.push_back(i * 1e-6);
    m_frame.SetDataMultiLine(0, samples.data(), static_cast<unsigned>(samples.size()));
    m_frame.SetAxisAdaptive();
    m_frame.ReDrawWaveformWnd(1);
    const QImage image = Shown();
    const double width = 1999e-6 / 100;
    for (int k : {0, 10, 50, 90, 99}) {
        const double edge = 1e-6 + k * width;
        const double share = (2000 - std::ceil(edge / 1e-6 - 1e-9) + 1) / 2000 * 100;
        const QPoint p = PixelOf(edge + width / 2, share);
        EXPECT_TRUE(Near(image, p, kRedColour)) << "bin " << k << " at " << p.x() << "," << p.y();
    }
}

TEST_F(CcdfWindowTest, ReadyPointsAreDrawnAsTheyAre) {
    Create();
    const double amplitudes[] = {1e-3, 1e-1}, percents[] = {100.0, 1.0};
    EXPECT_EQ(m_frame.SetCcdfPointsMultiLine(1, amplitudes, percents, 2), 1);
    m_plot->SetMultiLineStyle(1, kRed, 0, 1);
    m_frame.ReDrawWaveformWnd(1);
    const QImage image = Shown();
    const waveform::CPlotArea a = Area();
    // Default view: 1e-4..10 across, 1e-3..100 % up; the points sit one and three fifths across.
    EXPECT_TRUE(Near(image, QPoint(a.left + a.Width() / 5, a.top), kRedColour));
    EXPECT_TRUE(Near(image, QPoint(a.left + 3 * a.Width() / 5, a.bottom - 3 * a.Height() / 5), kRedColour));
    EXPECT_TRUE(Near(image, QPoint(a.left + 2 * a.Width() / 5, a.top + a.Height() / 5), kRedColour));

    EXPECT_EQ(m_frame.SetCcdfPointsMultiLine(2, amplitudes, percents, 1), 0) << "one point is no curve";
    EXPECT_EQ(m_frame.IsMultiLineHasData(2), 0);
    EXPECT_EQ(m_frame.SetCcdfPointsMultiLine(4, amplitudes, percents, 2), 0) << "no line 4";
}

TEST_F(CcdfWindowTest, TooFewReadingsLeaveTheLineEmpty) {
    Create();
    const double samples[] = {1, 2, 3, 4, 5, 6, 7};
    m_frame.SetDataMultiLine(0, samples, 7);
    ASSERT_EQ(m_frame.IsMultiLineHasData(0), 1);
    m_frame.SetDataMultiLine(0, samples, 5);
    EXPECT_EQ(m_frame.IsMultiLineHasData(0), 0);
    const double equal[] = {2, 2, 2, 2, 2, 2};
    m_frame.SetDataMultiLine(1, equal, 6);
    EXPECT_EQ(m_frame.IsMultiLineHasData(1), 0);
    EXPECT_EQ(m_frame.GetMultiLineVisible(1), 0);
    m_frame.SetDataMultiLine(7, samples, 7);
    EXPECT_EQ(m_frame.IsMultiLineHasData(7), 0);
}

TEST_F(CcdfWindowTest, GridMarksDecadesSolidAndTheirMultiplesDotted) {
    Create();
    const QImage image = Shown();
    const waveform::CPlotArea a = Area();
    const QColor major(0xE0, 0xE0, 0xE0), minor(0xC0, 0xC0, 0xC0);
    const int decadeColumn = a.left + a.Width() * 2 / 5; // 1e-2
    int majorPixels = 0, minorPixels = 0;
    const int minorColumn = a.left + static_cast<int>(Decades(5e-2, 1e-4, 10.0) * a.Width());
    for (int y = a.top + 1; y < a.bottom; ++y) {
        majorPixels += QColor(image.pixel(decadeColumn, y)) == major;
        minorPixels += QColor(image.pixel(minorColumn, y)) == minor;
    }
    EXPECT_EQ(majorPixels, a.Height() - 1) << "a solid line at the decade";
    EXPECT_GT(minorPixels, a.Height() / 4) << "a dotted line at its fifth multiple";
    EXPECT_LT(minorPixels, a.Height() - 1);
}

TEST_F(CcdfWindowTest, AutoFitCoversEveryVisibleLineAndLimitsStayPositive) {
    Create();
    const double a1[] = {1e-5, 1e-3}, p1[] = {100.0, 10.0};
    const double a2[] = {1e-4, 2e-2}, p2[] = {50.0, 0.5};
    m_frame.SetCcdfPointsMultiLine(0, a1, p1, 2);
    m_frame.SetCcdfPointsMultiLine(2, a2, p2, 2);
    m_frame.SetAxisAdaptive();
    double h0, h1, v0, v1;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    m_plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_EQ(h0, 1e-5);
    EXPECT_EQ(h1, 2e-2);
    EXPECT_EQ(v0, 0.5);
    EXPECT_EQ(v1, 100.0);
    EXPECT_EQ(m_horiBar->VisibleMax(), 2e-2) << "the bars follow";
    EXPECT_EQ(m_vertBar->FullMin(), 0.5);

    m_frame.SetMultiLineVisible(2, 0);
    m_frame.SetAxisAdaptive();
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_EQ(h1, 1e-3) << "a hidden line does not count";

    m_plot->SetAxisScaleHoriZoom(0.0, 10.0, 1);
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_EQ(h0, 1e-20);
    m_plot->SetAxisScaleVertZoom(-3.0, 100.0, 1);
    m_plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_EQ(v0, 1e-20);
    m_frame.SetAxisRestore();
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_EQ(h0, 1e-5);
}

TEST_F(CcdfWindowTest, MarkersShowTheValuesUnderThemAndStopAtThePlotEdge) {
    Create();
    const double samples[] = {1e-3, 2e-3, 3e-3, 4e-3, 5e-3, 6e-3, 7e-3};
    m_frame.SetDataMultiLine(0, samples, 7);
    m_frame.SetMarkerVisible(1, 1);
    m_frame.SetMarkerVisible(0, 1);
    EXPECT_EQ(m_frame.GetMarkerVisible(1), 1);
    EXPECT_EQ(m_frame.GetMarkerVisible(0), 1);
    m_frame.ReDrawWaveformWnd(1);
    const waveform::CPlotArea a = Area();
    // Pair A lines start on the left edge, pair B lines on the bottom edge; line 1 is caught first.
    const int y = (a.top + a.bottom) / 2;
    const int target = a.left + a.Width() * 2 / 5; // 1e-2
    QTest::mouseMove(m_plot, QPoint(a.left, y));
    QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(a.left, y));
    QTest::mouseMove(m_plot, QPoint(target, y));
    QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(target, y));
    double v1, v2;
    m_plot->GetMarkerValues(1, v1, v2);
    EXPECT_NEAR(v1, 1e-2, 1e-2 * 0.02) << "the line stands where it was put, between the curve's points";
    EXPECT_NEAR(v2, 1e-4, 1e-10) << "line 2 stays on the left edge, at the axis minimum";
    const QImage image = Shown();
    EXPECT_TRUE(Near(image, QPoint(target, y), QColor(255, 0, 255))) << "marker line drawn";

    // Pair B line 1 dragged beyond the top of the plot shows the axis maximum.
    const int x = a.left + a.Width() / 2;
    QTest::mouseMove(m_plot, QPoint(x, a.bottom));
    QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(x, a.bottom));
    QTest::mouseMove(m_plot, QPoint(x, a.top - 40));
    QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(x, a.top - 40));
    m_plot->GetMarkerValues(0, v1, v2);
    EXPECT_NEAR(v1, 100.0, 1e-9);
    EXPECT_NEAR(v2, 1e-3, 1e-12);
    // Zooming keeps each line on its value.
    View(1e-3, 1.0, 1e-3, 100.0);
    m_plot->GetMarkerValues(1, v1, v2);
    EXPECT_NEAR(v1, 1e-2, 1e-2 * 0.02);
}

TEST_F(CcdfWindowTest, PanMovesByDecadesAndTheBoxZoomsToItsValues) {
    Create();
    const waveform::CPlotArea a = Area();
    m_frame.SetWaveformOperateTool(eCCDFToolPan);
    const QPoint start(a.left + 100, a.top + 100);
    QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, start);
    // One fifth of the width is one decade; one fifth of the height too.
    QTest::mouseMove(m_plot, start + QPoint(a.Width() / 5, a.Height() / 5));
    QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier,
                        start + QPoint(a.Width() / 5, a.Height() / 5));
    double h0, h1, v0, v1;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    m_plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_NEAR(h0, 1e-5, 1e-17);
    EXPECT_NEAR(h1, 1.0, 1e-12);
    EXPECT_NEAR(v0, 1e-2, 1e-14);
    EXPECT_NEAR(v1, 1000.0, 1e-9);
    EXPECT_NEAR(m_horiBar->VisibleMin(), 1e-5, 1e-17) << "the bars follow the pan";

    m_frame.SetAxisRestore();
    m_frame.SetWaveformOperateTool(eCCDFToolZoomBox);
    const QPoint from(a.left + a.Width() / 5, a.top + a.Height() / 5);
    const QPoint to(a.left + 3 * a.Width() / 5, a.top + 3 * a.Height() / 5);
    QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(m_plot, to);
    QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, to);
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    m_plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_NEAR(h0, 1e-3, 1e-15);
    EXPECT_NEAR(h1, 1e-1, 1e-13);
    EXPECT_NEAR(v0, 1e-1, 1e-13);
    EXPECT_NEAR(v1, 10.0, 1e-11);

    // A box of nanoamps still zooms: what counts on these axes is the pixels, not the difference.
    View(1e-10, 1e-9, 1e-3, 100.0);
    QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(a.left + 10, a.top + 10));
    QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(a.left + 20, a.top + 20));
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_GT(h0, 1e-10);
    EXPECT_LT(h1, 1e-9);
}

TEST_F(CcdfWindowTest, ScrollBarArrowsStepTheView) {
    Create();
    QTest::mouseClick(m_horiBar, Qt::LeftButton, Qt::NoModifier, m_horiBar->SecondArrowRect().center());
    double h0, h1;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_NEAR(h0, 2e-4, 1e-16);
    EXPECT_NEAR(h1, 20.0, 1e-12);
    // The curve's pixels move with the view: a point at 1e-3 sits where the new range puts it.
    const double amplitudes[] = {1e-3, 1.0}, percents[] = {1.0, 1.0};
    m_frame.SetCcdfPointsMultiLine(0, amplitudes, percents, 2);
    m_frame.ReDrawWaveformWnd(1);
    EXPECT_TRUE(Near(Shown(), PixelOf(1e-3, 1.0), kRedColour));

    // A double-click on the bar's reset part brings back the full range and repaints the plot.
    QTest::mouseDClick(m_horiBar, Qt::LeftButton, Qt::NoModifier, m_horiBar->ResetRect().center());
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_EQ(h0, 1e-4);
    EXPECT_EQ(h1, 10.0);
    const waveform::CPlotArea a = Area();
    EXPECT_TRUE(Near(Shown(), QPoint(a.left + a.Width() / 5, PixelOf(1e-3, 1.0).y()), kRedColour));
}

TEST_F(CcdfWindowTest, SymbolsStandOnTheirPointsAndPointsOffTheAxesArePassedOver) {
    CParameterWaveform record;
    record.LineStyle = 3; // squares
    record.HoriMinZoom = 1e-4;
    record.HoriMaxZoom = 10.0;
    record.VertMinZoom = 1e-3;
    record.VertMaxZoom = 100.0;
    Create(&record);
    const double amplitudes[] = {1e-3, 0.0, 1e-1}, percents[] = {10.0, 5.0, 1.0};
    ASSERT_EQ(m_frame.SetCcdfPointsMultiLine(0, amplitudes, percents, 3), 1);
    m_frame.ReDrawWaveformWnd(1);
    const QImage image = Shown();
    for (const QPoint& p : {PixelOf(1e-3, 10.0), PixelOf(1e-1, 1.0)}) {
        EXPECT_EQ(QColor(image.pixel(p)), kRedColour) << "filled square at " << p.x() << "," << p.y();
        EXPECT_EQ(QColor(image.pixel(p + QPoint(4, 4))), kRedColour);
        EXPECT_NE(QColor(image.pixel(p + QPoint(8, 0))), kRedColour);
    }
    // No symbol on the left edge, where a point of amplitude 0 would be pushed.
    const waveform::CPlotArea a = Area();
    EXPECT_FALSE(Near(image, QPoint(a.left + 3, PixelOf(1e-3, 5.0).y()), kRedColour));
}

TEST_F(CcdfWindowTest, TheRecordsColoursAndTextsAreDrawn) {
    CParameterWaveform record;
    record.ColorAxisBkGnd = 0x30EE10;
    record.HoriMinZoom = 1e-6;
    record.HoriMaxZoom = 1e-2;
    record.VertMinZoom = 0.0; // no place on a logarithmic axis: raised to the floor
    record.VertMaxZoom = 100.0;
    Create(&record);
    const QImage image = Shown();
    EXPECT_EQ(QColor(image.pixel(2, 2)), QColor(0x10, 0xEE, 0x30));
    EXPECT_EQ(m_plot->GetGDI().ColorAxisBkGnd, 0x30EE10u);
    double h0, h1, v0, v1;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    m_plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_EQ(h0, 1e-6);
    EXPECT_EQ(h1, 1e-2);
    EXPECT_EQ(v0, 1e-20);
    EXPECT_EQ(v1, 100.0);
}

TEST_F(CcdfWindowTest, TheBitmapHoldsWhatIsShownAndAFailedWriteIsReported) {
    Create();
    const double samples[] = {1e-3, 2e-3, 3e-3, 4e-3, 5e-3, 6e-3, 7e-3};
    m_frame.SetDataMultiLine(0, samples, 7);
    m_frame.SetMarkerVisible(1, 1);
    m_frame.ReDrawWaveformWnd(1);
    const QString path = m_folder.Path("ccdf.bmp");
    ASSERT_EQ(m_frame.SaveAsBitmapCCDF(path), 1);
    QImage image;
    ASSERT_TRUE(image.load(path, "BMP"));
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32), Shown());

    EXPECT_EQ(m_frame.SaveAsBitmapCCDF(m_folder.Path("missing/ccdf.bmp")), 0);
    std::vector<QString> boxes;
    auto old = platform::SetMessageBoxSink([&](const QString& text, const QString&, unsigned) {
        boxes.push_back(text);
        return 1;
    });
    EXPECT_EQ(m_frame.SaveAsBitmapCCDF(QStringLiteral("/dev/full")), 0) << "a full disk is no saved bitmap";
    // A small image stays in the file's buffer until the close: the close's failure counts too.
    m_frame.resize(80 + 15, 60 + 15);
    EXPECT_EQ(m_frame.SaveAsBitmapCCDF(QStringLiteral("/dev/full")), 0)
        << "a failed close is no saved bitmap";
    platform::SetMessageBoxSink(old);
    EXPECT_EQ(boxes.size(), 2u);

    CWaveformCCDFMainWnd notCreated;
    EXPECT_EQ(notCreated.SaveAsBitmapCCDF(path), 0);
}

TEST_F(CcdfWindowTest, PrintingDrawsTheCurveOnThePageAndGivesTheScreenItsPlotBack) {
    Create();
    const double samples[] = {6, 5, 4, 3, 2, 1};
    m_frame.SetDataMultiLine(0, samples, 6);
    View(1.0, 10.0, 10.0, 1000.0);
    const QImage before = Shown();
    QImage page(1000, 700, QImage::Format_RGB32);
    page.fill(Qt::black);
    {
        QPainter painter(&page);
        m_frame.OnPrint(&painter, nullptr, page.width(), page.height());
    }
    int red = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            red += QColor(page.pixel(x, y)) == kRedColour;
    EXPECT_GT(red, 50) << "the curve is on the page";
    EXPECT_EQ(QColor(page.pixel(1, 1)), QColor(Qt::white)) << "the page has the background";
    m_frame.OnEndPrinting();
    EXPECT_EQ(Shown(), before);
}

TEST_F(CcdfWindowTest, PairAShowsWithoutACurve) {
    Create();
    ASSERT_EQ(m_frame.IsMultiLineHasData(0), 0);
    m_frame.SetMarkerVisible(1, 1);
    EXPECT_EQ(m_frame.GetMarkerVisible(1), 1);
    m_frame.ReDrawWaveformWnd(1);
    const waveform::CPlotArea a = Area();
    EXPECT_TRUE(Near(Shown(), QPoint(a.left, (a.top + a.bottom) / 2), QColor(255, 0, 255)))
        << "the pair stands on the left edge";
}

TEST_F(CcdfWindowTest, ReadingsAtOrBelowZeroLowerTheDrawnCurveAndAreNotDrawn) {
    Create();
    // 21 readings, five bins of width 2 from -4 to 6: the first two bins have no place on the axis.
    std::vector<double> samples;
    for (int i = 0; i <= 20; ++i)
        samples.push_back(-4 + i * 0.5);
    m_frame.SetDataMultiLine(0, samples.data(), static_cast<unsigned>(samples.size()));
    ASSERT_EQ(m_frame.GetDataMultiLineX(0).size(), 5u);
    EXPECT_EQ(m_frame.GetDataMultiLineX(0).front(), -3.0);
    m_frame.SetAxisAdaptive();
    m_frame.ReDrawWaveformWnd(1);
    double h0 = 0, h1 = 0, v0 = 0, v1 = 0;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    m_plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_EQ(h0, 1.0) << "the fit covers the points the axes can show";
    EXPECT_EQ(h1, 5.0);
    // Readings at or above the bin of 1: 13 of 21 (0 itself is the third bin's lower edge).
    const double percent = 13.0 / 21.0 * 100.0;
    EXPECT_DOUBLE_EQ(v1, percent);
    // The curve is taken up at its first positive point; nothing is drawn left of it.
    View(0.1, 10.0, 1.0, 100.0);
    const QImage image = Shown();
    const QPoint first = PixelOf(1.0, percent);
    EXPECT_TRUE(Near(image, first, kRedColour));
    const waveform::CPlotArea a = Area();
    for (int x = a.left + 2; x < first.x() - 2; ++x)
        for (int y = a.top; y <= a.bottom; ++y)
            ASSERT_NE(QColor(image.pixel(x, y)), kRedColour) << "nothing left of the first point: " << x;
}

TEST_F(CcdfWindowTest, LabelsStayInsideTheWindowAndApart) {
    struct CCase {
        const char* name;
        int width; // of the frame
        double h0, h1, v0, v1;
    };
    const CCase cases[] = {{"a narrow amplitude range", kPlotW + 15, 0.0095, 0.012337, 0.00198549, 100.0},
                           {"long labels at both ends", kPlotW + 15, 1.234e-9, 1.234567e-4, 1.5e-5, 100.0},
                           {"a narrow window", 200, 0.0101234, 0.012337, 0.001, 100.0},
                           {"the defaults", kPlotW + 15, 0.0001, 10.0, 0.001, 100.0}};
    Create();
    const QColor text = waveform::ToQColor(m_plot->GetGDI().ColorAxisText);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    const QFontMetrics metrics(font);
    for (const CCase& c : cases) {
        m_frame.resize(c.width, kPlotH + 15);
        View(c.h0, c.h1, c.v0, c.v1);
        const QImage image = Shown();
        const waveform::CPlotArea a = Area();
        // Ink: the text's colour, or near it where a glyph's edge is smoothed into the background.
        auto ink = [&](int column, int fromRow, int toRow) {
            for (int row = fromRow; row <= toRow; ++row) {
                const QColor pixel(image.pixel(column, row));
                if (std::abs(pixel.red() - text.red()) <= 96 &&
                    std::abs(pixel.green() - text.green()) <= 96 &&
                    std::abs(pixel.blue() - text.blue()) <= 96)
                    return true;
            }
            return false;
        };
        // The lowest vertical label, just above the plot's bottom, is whole: its ink is as wide as its
        // text.
        int first = -1, last = -1;
        for (int column = 0; column < a.left; ++column)
            if (ink(column, a.bottom - metrics.height(), a.bottom - 1)) {
                first = first < 0 ? column : first;
                last = column;
            }
        const QString lowest = waveform::FormatFloatText(c.v0);
        ASSERT_GE(first, 0) << c.name;
        EXPECT_GE(last - first + 1, metrics.horizontalAdvance(lowest) - 6)
            << c.name << ": " << lowest.toStdString();
        // The horizontal labels: inside the window and separate runs of ink.
        const int labelTop = a.bottom + 4, labelBottom = std::min(image.height() - 1, a.bottom + 36);
        std::vector<std::pair<int, int>> runs;
        for (int column = 0; column < image.width(); ++column) {
            if (!ink(column, labelTop, labelBottom))
                continue;
            if (!runs.empty() && column - runs.back().second <= 2)
                runs.back().second = column;
            else
                runs.emplace_back(column, column);
        }
        ASSERT_GE(runs.size(), 1u) << c.name;
        EXPECT_LT(runs.back().second, image.width() - 1) << c.name << ": the last label leaves the window";
        const int widest = metrics.horizontalAdvance(QStringLiteral("0.000123457")) + 4;
        for (const auto& [from, to] : runs)
            EXPECT_LE(to - from, widest) << c.name << ": labels run into each other at " << from;
    }
}

} // namespace
