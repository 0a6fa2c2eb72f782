#include "PlotTestSupport.h"

#include "waveform/common/ScrollBarCtrl.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"

#include <QImage>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace plottest;

constexpr int kPlotW = 640, kPlotH = 480, kBar = 15;

// A host page of the two-axis plot: keeps a copy of every record it is sent.
class CComboHost : public platform::CMessageTarget {
public:
    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override {
        if (message != WM_WAVEFORM_MARKER || wParam == 0)
            return 0;
        if (lParam == kMarkerCodeStatistics)
            statistics.push_back(*reinterpret_cast<const CWaveformStatisticRecord*>(wParam));
        else if (lParam == kMarkerCodePairA)
            pairA.push_back(*reinterpret_cast<const CWaveformMarkerRecord*>(wParam));
        else if (lParam == kMarkerCodePairB)
            pairB.push_back(*reinterpret_cast<const CWaveformComboMarkerRecord*>(wParam));
        return 0;
    }
    std::vector<CWaveformMarkerRecord> pairA;
    std::vector<CWaveformComboMarkerRecord> pairB;
    std::vector<CWaveformStatisticRecord> statistics;
};

// A run's buffers: times 0.01 s apart and a value per sample.
struct CRun {
    explicit CRun(std::size_t n, double (*value)(std::size_t)) : x(n), y(n) {
        for (std::size_t i = 0; i < n; ++i) {
            x[i] = 0.01 * static_cast<double>(i);
            y[i] = value(i);
        }
    }
    std::vector<double> x, y;
};

double Wave(std::size_t i) {
    return 0.5 + 0.4 * std::sin(0.05 * static_cast<double>(i));
}

class ComboPlotTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_frame.Create(nullptr, &m_host, QRect(0, 0, kPlotW + 2 * kBar, kPlotH + kBar)), 0);
        for (QWidget* child : m_frame.findChildren<QWidget*>()) {
            if (auto* plot = dynamic_cast<CWaveformComboWnd*>(child))
                m_plot = plot;
            else if (auto* bar = dynamic_cast<CScrollBarCtrl*>(child))
                m_bars.push_back(bar);
        }
        ASSERT_NE(m_plot, nullptr);
        ASSERT_EQ(m_bars.size(), 3u);
        ASSERT_EQ(m_plot->size(), QSize(kPlotW, kPlotH));
    }

    // The vertical bar whose left edge is at x (0: the left bar; the right one lies at the far edge).
    CScrollBarCtrl* VerticalBarAt(int x) const {
        for (CScrollBarCtrl* bar : m_bars)
            if (bar->IsVertical() && bar->geometry().left() == x)
                return bar;
        return nullptr;
    }

    void View(double h0, double h1, double right0, double right1, double left0, double left1) {
        m_plot->SetAxisScaleHoriZoom(h0, h1, 1);
        m_plot->SetAxisScaleVertZoom(right0, right1, 1);
        m_plot->SetAxisScaleZoom(ePlotAxisLeft, left0, left1, 1);
        m_frame.ReDrawWaveformWnd(1, 1, 1);
    }

    waveform::CPlotMapping Mapping(int axis) const {
        waveform::CPlotMapping m;
        m.area = m_plot->GetPlotArea();
        m_plot->GetAxisScaleHoriZoom(m.hMin, m.hMax);
        m_plot->GetAxisScaleZoom(axis, m.vMin, m.vMax);
        return m;
    }

    QImage Shown() const { return m_plot->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QColor LineColour(int line) const { return waveform::ToQColor(m_plot->GetGDI().Styles[line].LineColor); }

    // Rows of a column that hold the colour.
    std::vector<int> RowsOf(const QImage& image, int column, const QColor& colour) const {
        std::vector<int> rows;
        for (int y = 0; y < image.height(); ++y)
            if (QColor(image.pixel(column, y)) == colour)
                rows.push_back(y);
        return rows;
    }

    CApplication m_app;
    CProgramFolder m_folder;
    CComboHost m_host;
    CWaveformComboMainWnd m_frame;
    CWaveformComboWnd* m_plot = nullptr;
    std::vector<CScrollBarCtrl*> m_bars;
};

TEST_F(ComboPlotTest, LeftAndRightLinesAreDrawnOnTheirAxesInTheirColours) {
    const double x[] = {0, 10}, right[] = {0.25, 0.25}, left[] = {4.0, 4.0};
    m_frame.SetDataMultiLine(0, x, right, 2, 0, 0);
    m_frame.SetDataMultiLine(1, x, left, 2, 1, 0);
    View(0, 10, 0, 1, 0, 5);
    const QImage image = Shown();
    const waveform::CPlotArea a = m_plot->GetPlotArea();
    const int column = (a.left + a.right) / 2;
    // On a common pixel scale 0.25 of the right axis and 4 of the left one lie far apart: each line
    // is found on the row of its own axis.
    const int rightRow = Mapping(ePlotAxisVert).YPixel(0.25), leftRow = Mapping(ePlotAxisLeft).YPixel(4.0);
    ASSERT_GT(std::abs(rightRow - leftRow), 50);
    const std::vector<int> rows0 = RowsOf(image, column, LineColour(0));
    const std::vector<int> rows1 = RowsOf(image, column, LineColour(1));
    ASSERT_FALSE(rows0.empty());
    ASSERT_FALSE(rows1.empty());
    EXPECT_LE(std::abs(rows0.front() - rightRow), 1);
    EXPECT_LE(std::abs(rows1.front() - leftRow), 1);
    EXPECT_NE(LineColour(0), LineColour(1));
}

TEST_F(ComboPlotTest, LineZeroGrowsSliceBySliceAsASingleSettingDrawsIt) {
    const CRun run(1000, Wave);
    m_frame.InitialMemory(1000);
    View(0, 10, 0, 1, 0, 5);
    const waveform::CPlotMapping m = Mapping(ePlotAxisVert);
    const QColor colour = LineColour(0);
    for (unsigned slice = 0; slice < 10; ++slice) {
        m_frame.SetDataIndex(run.x.data(), run.y.data(), slice * 100, 100, 1);
        m_frame.ReDrawWaveformWnd(1, 1, 1);
        const QImage image = Shown();
        const double lastTime = run.x[slice * 100 + 99];
        EXPECT_EQ(m_frame.GetMultiLineDataLength(0), (slice + 1) * 100) << slice;
        EXPECT_FALSE(RowsOf(image, m.XPixel(lastTime) - 1, colour).empty()) << "drawn up to slice " << slice;
        if (slice < 9) {
            EXPECT_TRUE(RowsOf(image, m.XPixel(lastTime) + 6, colour).empty())
                << "nothing after slice " << slice;
        }
    }
    const QImage grown = Shown();
    // The same samples set at once give the same picture.
    CWaveformComboMainWnd whole;
    CComboHost host;
    ASSERT_EQ(whole.Create(nullptr, &host, QRect(0, 0, kPlotW + 2 * kBar, kPlotH + kBar)), 0);
    whole.SetDataMultiLine(0, run.x.data(), run.y.data(), 1000, 0, 1);
    CWaveformComboWnd* plot = nullptr;
    for (QWidget* child : whole.findChildren<QWidget*>())
        if (auto* p = dynamic_cast<CWaveformComboWnd*>(child))
            plot = p;
    ASSERT_NE(plot, nullptr);
    plot->SetAxisScaleHoriZoom(0, 10, 1);
    plot->SetAxisScaleVertZoom(0, 1, 1);
    whole.ReDrawWaveformWnd(1, 1, 1);
    EXPECT_EQ(plot->grab().toImage().convertToFormat(QImage::Format_RGB32), grown);
}

// A run's capacity takes no memory up front: line 0 grows with the slices handed over, and made again
// with more room from the caller's own samples it holds the same samples and draws the same picture.
TEST_F(ComboPlotTest, LineZeroTakesMemoryAsItGrows) {
    constexpr unsigned kCapacity = 200000;
    const CRun run(1000, Wave);
    m_frame.InitialMemory(kCapacity);
    EXPECT_EQ(m_frame.DataRoom(), 0u);
    View(0, 10, 0, 1, 0, 5);
    ASSERT_EQ(m_frame.AppendDataSlice(run.x.data(), run.y.data(), 0, 300, 1), 1);
    const std::size_t first = m_frame.DataRoom();
    EXPECT_GE(first, 300u);
    EXPECT_LT(first, kCapacity);
    std::size_t refilled = 0;
    const auto refill = [&](double* x, double* y, std::size_t n) {
        refilled = n;
        std::copy_n(run.x.data(), n, x);
        std::copy_n(run.y.data(), n, y);
    };
    ASSERT_EQ(m_frame.RemakeDataRoom(first + 1, refill), 1);
    EXPECT_EQ(refilled, 300u);
    EXPECT_EQ(m_frame.DataRoom(), first + 1);
    ASSERT_EQ(m_frame.RemakeDataRoom(10 * kCapacity, refill), 1);
    EXPECT_EQ(m_frame.DataRoom(), kCapacity) << "no more room than the capacity";
    ASSERT_EQ(m_frame.AppendDataSlice(run.x.data() + 300, run.y.data() + 300, 300, 700, 1), 1);
    EXPECT_EQ(m_frame.AppendDataSlice(run.x.data(), run.y.data(), kCapacity, 1, 1), 0)
        << "beyond the capacity";
    ASSERT_EQ(m_frame.GetMultiLineDataLength(0), 1000u);
    EXPECT_THAT(m_plot->GetDataMultiLineX(0), ::testing::ElementsAreArray(run.x));
    EXPECT_THAT(m_plot->GetDataMultiLineY(0), ::testing::ElementsAreArray(run.y));
    m_frame.ReDrawWaveformWnd(1, 1, 1);
    const QImage grown = Shown();
    m_frame.SetDataMultiLine(0, run.x.data(), run.y.data(), 1000, 0, 1);
    View(0, 10, 0, 1, 0, 5);
    EXPECT_EQ(Shown(), grown);
}

TEST_F(ComboPlotTest, StatisticsAndFittingSeeOnlyTheLoggedSamples) {
    // Room for 1000 samples, 10 logged: the room's zeros are no samples.
    m_frame.InitialMemory(1000);
    std::vector<double> x(10), y(10);
    for (int i = 0; i < 10; ++i) {
        x[i] = 2.0 + i;
        y[i] = 1.0 + 0.1 * i;
    }
    m_frame.SetDataIndex(x.data(), y.data(), 0, 10, 0);
    double min = 0, max = 0, mean = 0;
    ASSERT_EQ(m_frame.GetMultiLineStatistic(0, min, max, mean), 1);
    EXPECT_EQ(min, 1.0);
    EXPECT_DOUBLE_EQ(max, 1.9);
    EXPECT_NEAR(mean, 1.45, 1e-12);
    m_frame.SetAxisAdaptive();
    double v0, v1, h0, h1;
    m_plot->GetAxisScaleVertZoom(v0, v1);
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_EQ(v0, 1.0);
    EXPECT_DOUBLE_EQ(v1, 1.9);
    EXPECT_EQ(h0, 2.0);
    EXPECT_EQ(h1, 11.0);
    EXPECT_EQ(m_frame.GetDataMultiLineY(0).size(), 10u);
    EXPECT_EQ(m_frame.IsMultiLineHasData(0), 1);
}

TEST_F(ComboPlotTest, SlicesThatDoNotFitCopyNothing) {
    const CRun run(100, Wave);
    struct CCase {
        const char* name;
        bool initialise, reset;
        unsigned start, count;
        unsigned length;
    };
    const CCase cases[] = {
        {"before InitialMemory", false, false, 0, 10, 0},  {"after the reset", true, true, 0, 10, 0},
        {"past the room", true, false, 95, 10, 0},         {"inside the room", true, false, 0, 10, 10},
        {"a gap reads as zeros", true, false, 20, 10, 30},
    };
    for (const CCase& c : cases) {
        m_frame.ResetWaveformDataLogging();
        if (c.initialise)
            m_frame.InitialMemory(100);
        if (c.reset)
            m_frame.ResetWaveformDataLogging();
        m_frame.SetDataIndex(run.x.data(), run.y.data(), c.start, c.count, 0);
        EXPECT_EQ(m_frame.GetMultiLineDataLength(0), c.length) << c.name;
        EXPECT_EQ(m_frame.IsMultiLineHasData(0), c.length > 0 ? 1 : 0) << c.name;
    }
    EXPECT_EQ(m_frame.GetDataMultiLineY(0)[5], 0.0);
    EXPECT_EQ(m_frame.GetDataMultiLineY(0)[25], run.y[25]);
}

TEST_F(ComboPlotTest, ExclusionRulesApplyToEachSlice) {
    std::vector<double> x = {0, 1, 2, 3, 3, 5, 6, 7}, y = {1, 2, 1e38, 4, 5, 6, 7, 8};
    struct CCase {
        const char* name;
        int exclusion;
        double min, max;
    };
    // Slices [0, 4) and [4, 8): the repeated time 3 lies across the slices, so rule 2 does not see it.
    const CCase cases[] = {{"overflow", 1, 1, 8}, {"none", 0, 1, 1e38}, {"repeated times only", 2, 1, 1e38}};
    for (const CCase& c : cases) {
        m_frame.InitialMemory(8);
        m_frame.SetDataIndex(x.data(), y.data(), 0, 4, c.exclusion);
        m_frame.SetDataIndex(x.data(), y.data(), 4, 4, c.exclusion);
        double min = 0, max = 0, mean = 0;
        ASSERT_EQ(m_frame.GetMultiLineStatistic(0, min, max, mean), 1) << c.name;
        EXPECT_EQ(min, c.min) << c.name;
        EXPECT_EQ(max, c.max) << c.name;
    }
    // Within one slice the repeated time is found.
    y[2] = 3;
    m_frame.InitialMemory(8);
    m_frame.SetDataIndex(x.data(), y.data(), 0, 8, 2);
    double min = 0, max = 0, mean = 0;
    ASSERT_EQ(m_frame.GetMultiLineStatistic(0, min, max, mean), 1);
    EXPECT_DOUBLE_EQ(mean, (1 + 2 + 3 + 4 + 6 + 7 + 8) / 7.0);
}

TEST_F(ComboPlotTest, AutoFitScalesEachAxisOnItsOwnLines) {
    const double x[] = {0, 4}, volts[] = {3.0, 4.5}, amps[] = {1e-6, 3e-3}, later[] = {2e-3, 5e-3},
                 xLater[] = {1, 9}, over[] = {1e38, 2e38};
    m_frame.SetDataMultiLine(0, x, amps, 2, 0, 1);
    m_frame.SetDataMultiLine(1, x, volts, 2, 1, 1);
    m_frame.SetDataMultiLine(2, xLater, later, 2, 0, 1);
    m_frame.SetDataMultiLine(3, x, over, 2, 1, 1); // every sample excluded: adds nothing
    m_frame.SetAxisAdaptive();
    double l0, l1, r0, r1, h0, h1;
    m_plot->GetAxisScaleZoom(ePlotAxisLeft, l0, l1);
    m_plot->GetAxisScaleVertZoom(r0, r1);
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_EQ(l0, 3.0);
    EXPECT_EQ(l1, 4.5);
    EXPECT_EQ(r0, 1e-6);
    EXPECT_EQ(r1, 5e-3);
    EXPECT_EQ(h0, 0.0);
    EXPECT_EQ(h1, 9.0);
    // The left bar follows the left axis.
    CScrollBarCtrl* leftBar = VerticalBarAt(0);
    ASSERT_NE(leftBar, nullptr);
    EXPECT_EQ(leftBar->FullMin(), 3.0);
    EXPECT_EQ(leftBar->VisibleMax(), 4.5);
}

TEST_F(ComboPlotTest, EachVerticalBarMovesItsOwnAxis) {
    View(0, 10, 0, 1, 0, 5);
    CScrollBarCtrl* leftBar = VerticalBarAt(0);
    CScrollBarCtrl* rightBar = VerticalBarAt(kBar + kPlotW);
    ASSERT_TRUE(leftBar && rightBar);
    QTest::mouseClick(leftBar, Qt::LeftButton, Qt::NoModifier, leftBar->FirstArrowRect().center());
    double l0, l1, r0, r1;
    m_plot->GetAxisScaleZoom(ePlotAxisLeft, l0, l1);
    m_plot->GetAxisScaleVertZoom(r0, r1);
    EXPECT_NEAR(l0, 0.5, 1e-12);
    EXPECT_EQ(r0, 0.0);
    QTest::mouseClick(rightBar, Qt::LeftButton, Qt::NoModifier, rightBar->FirstArrowRect().center());
    m_plot->GetAxisScaleZoom(ePlotAxisLeft, l0, l1);
    m_plot->GetAxisScaleVertZoom(r0, r1);
    EXPECT_NEAR(l0, 0.5, 1e-12);
    EXPECT_NEAR(r0, 0.1, 1e-12);
}

TEST_F(ComboPlotTest, PairBReportsBothAxesAndPairAGivesStatisticsOfTheLoggedSamples) {
    const CRun run(50, Wave);
    m_frame.InitialMemory(500);
    m_frame.SetDataIndex(run.x.data(), run.y.data(), 0, 50, 0);
    View(0, 0.49, 0, 1, 0, 5);
    m_frame.SetMarkerVisible(0, 1);
    m_frame.SetMarkerVisible(1, 1);
    m_frame.ReDrawWaveformWnd(1, 1, 1);
    const waveform::CPlotMapping right = Mapping(ePlotAxisVert), left = Mapping(ePlotAxisLeft);
    // Pair B starts at 0, on the bottom edge.
    const int x = right.area.left + 50, bottom = right.area.bottom,
              quarter = right.area.top + right.area.Height() / 4;
    QTest::mouseMove(m_plot, QPoint(x, bottom));
    QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(x, bottom));
    QTest::mouseMove(m_plot, QPoint(x, quarter));
    QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(x, quarter));
    ASSERT_EQ(m_host.pairB.size(), 1u);
    EXPECT_DOUBLE_EQ(m_host.pairB[0].RightValue1, right.YValue(quarter));
    EXPECT_DOUBLE_EQ(m_host.pairB[0].LeftValue1, left.YValue(quarter));
    // A quarter of the way down from the left axis's top of 5, to the pixel: the plot's height, which the
    // axis labels' face decides, need not divide by four.
    EXPECT_NEAR(m_host.pairB[0].LeftValue1, 3.75, 5.0 / left.area.Height());
    EXPECT_EQ(m_host.pairB[0].RightValue2, 0.0);

    // Pair A from the first sample to sample 20.
    const int startX = right.XPixel(run.x[0]), midY = right.area.top + 10;
    QTest::mouseMove(m_plot, QPoint(startX + 1, midY));
    QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(startX + 1, midY));
    QTest::mouseMove(m_plot, QPoint(right.XPixel(run.x[20]), midY));
    QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, QPoint(right.XPixel(run.x[20]), midY));
    ASSERT_EQ(m_host.statistics.size(), 1u);
    double mx = run.y[0], mn = run.y[0];
    for (int i = 0; i <= 20; ++i) {
        mx = std::max(mx, run.y[i]);
        mn = std::min(mn, run.y[i]);
    }
    EXPECT_EQ(m_host.statistics[0].Valid, 1);
    EXPECT_EQ(m_host.statistics[0].Maximum, mx);
    EXPECT_EQ(m_host.statistics[0].Minimum, mn);
}

TEST_F(ComboPlotTest, ResetBringsBackTheStartingRangesAndEmptiesLineZeroOnly) {
    const double x[] = {0, 4}, y[] = {3.0, 4.5};
    m_frame.SetDataMultiLine(1, x, y, 2, 1, 0);
    m_frame.SetDataMultiLine(0, x, y, 2, 0, 0);
    m_frame.SetAxisAdaptive();
    m_frame.ResetWaveformDataLogging();
    double l0, l1, r0, r1, h0, h1;
    m_plot->GetAxisScaleZoom(ePlotAxisLeft, l0, l1);
    m_plot->GetAxisScaleVertZoom(r0, r1);
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_EQ(l0, 0.0);
    EXPECT_EQ(l1, 5.0);
    EXPECT_EQ(r1, 1.0);
    EXPECT_EQ(h1, 1.0);
    EXPECT_EQ(m_frame.IsMultiLineHasData(0), 0);
    EXPECT_EQ(m_frame.GetMultiLineDataLength(1), 2u);
}

TEST_F(ComboPlotTest, TheBitmapHoldsWhatIsShown) {
    const CRun run(200, Wave);
    m_frame.SetDataMultiLine(0, run.x.data(), run.y.data(), 200, 0, 0);
    View(0, 2, 0, 1, 0, 5);
    const QString path = m_folder.Path("combo.bmp");
    ASSERT_EQ(m_frame.SaveAsBitmapDLOG(path), 1);
    QImage image;
    ASSERT_TRUE(image.load(path, "BMP"));
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32), Shown());
}

// Ticks of a run as the data-logging page hands them over: a slice, the vertical axes following the
// data (unless the user chose a view), every layer redrawn.
class CRunTicks {
public:
    CRunTicks(CWaveformComboMainWnd& frame, const CRun& run) : m_frame(frame), m_run(run) {
        m_frame.ResetWaveformDataLogging();
        m_frame.InitialMemory(static_cast<unsigned>(run.x.size()));
    }
    void Tick(unsigned count = 1) {
        for (unsigned i = 0; i < count; ++i) {
            m_frame.SetDataIndex(m_run.x.data(), m_run.y.data(), m_logged, kSlice, 1);
            m_frame.FollowVerticalData();
            m_frame.ReDrawWaveformWnd(1, 1, 1);
            m_logged += kSlice;
        }
    }
    double LastTime() const { return m_run.x[m_logged - 1]; }

private:
    static constexpr unsigned kSlice = 100;
    CWaveformComboMainWnd& m_frame;
    const CRun& m_run;
    unsigned m_logged = 0;
};

TEST_F(ComboPlotTest, TheUsersTimeViewSurvivesTheRunAndRestoreFollowsTheDataAgain) {
    const CRun run(3000, Wave);
    CScrollBarCtrl* horiBar = nullptr;
    for (CScrollBarCtrl* bar : m_bars)
        if (!bar->IsVertical())
            horiBar = bar;
    ASSERT_NE(horiBar, nullptr);
    struct CCase {
        const char* name;
        std::function<void(const waveform::CPlotArea&)> view;
    };
    const auto drag = [this](eWaveformOperateToolsCombo tool, QPoint from, QPoint to) {
        m_frame.SetWaveformOperateTool(tool);
        QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(m_plot, (from + to) / 2);
        QTest::mouseMove(m_plot, to);
        QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, to);
        m_frame.SetWaveformOperateTool(eComboToolNone);
    };
    const CCase cases[] = {
        {"time zoom",
         [&](const waveform::CPlotArea& a) {
             const int y = (a.top + a.bottom) / 2;
             drag(eComboToolZoomHori, QPoint(a.left + a.Width() / 4, y), QPoint(a.left + a.Width() / 2, y));
         }},
        {"pan",
         [&](const waveform::CPlotArea& a) {
             const QPoint from((a.left + a.right) / 2, (a.top + a.bottom) / 2);
             drag(eComboToolPan, from, from + QPoint(60, 0));
         }},
        {"scroll bar",
         [&](const waveform::CPlotArea&) {
             QTest::mouseClick(horiBar, Qt::LeftButton, Qt::NoModifier, horiBar->FirstArrowRect().center());
         }},
    };
    for (const CCase& c : cases) {
        CRunTicks ticks(m_frame, run);
        ticks.Tick(5);
        double h0 = 0, h1 = 0;
        m_plot->GetAxisScaleHoriZoom(h0, h1);
        EXPECT_EQ(h0, 0.0) << c.name << ": the run is followed";
        EXPECT_EQ(h1, ticks.LastTime()) << c.name;

        c.view(m_plot->GetPlotArea());
        double v0 = 0, v1 = 0;
        m_plot->GetAxisScaleHoriZoom(v0, v1);
        ASSERT_FALSE(v0 == h0 && v1 == h1) << c.name << ": the view was changed";
        ticks.Tick(20);
        m_plot->GetAxisScaleHoriZoom(h0, h1);
        EXPECT_EQ(h0, v0) << c.name << ": the user's view is kept";
        EXPECT_EQ(h1, v1) << c.name;
        EXPECT_EQ(horiBar->VisibleMin(), v0) << c.name;
        EXPECT_EQ(horiBar->FullMax(), ticks.LastTime()) << c.name << ": the bar's full range grows";

        m_frame.SetAxisRestore();
        m_plot->GetAxisScaleHoriZoom(h0, h1);
        EXPECT_EQ(h1, ticks.LastTime()) << c.name << ": restore shows the whole run";
        ticks.Tick();
        m_plot->GetAxisScaleHoriZoom(h0, h1);
        EXPECT_EQ(h0, 0.0) << c.name;
        EXPECT_EQ(h1, ticks.LastTime()) << c.name << ": and follows it again";
    }
    // The scroll bar's reset brings the following back too.
    CRunTicks ticks(m_frame, run);
    ticks.Tick(2);
    QTest::mouseClick(horiBar, Qt::LeftButton, Qt::NoModifier, horiBar->FirstArrowRect().center());
    ticks.Tick();
    double h0 = 0, h1 = 0;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    ASSERT_NE(h1, ticks.LastTime());
    QTest::mouseClick(horiBar, Qt::LeftButton, Qt::NoModifier, horiBar->ResetRect().center());
    QTest::mouseDClick(horiBar, Qt::LeftButton, Qt::NoModifier, horiBar->ResetRect().center());
    QTest::mouseRelease(horiBar, Qt::LeftButton, Qt::NoModifier, horiBar->ResetRect().center());
    ticks.Tick();
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_EQ(h0, 0.0);
    EXPECT_EQ(h1, ticks.LastTime());
}

TEST_F(ComboPlotTest, AutoFitLeavesTheTimeAxisAsTheUserSetIt) {
    const double x[] = {0, 4}, amps[] = {1e-6, 3e-3};
    m_frame.SetDataMultiLine(0, x, amps, 2, 0, 1);
    View(1, 2, 0, 1, 0, 5);
    m_frame.SetAxisAdaptive();
    double h0 = 0, h1 = 0, r0 = 0, r1 = 0;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    m_plot->GetAxisScaleVertZoom(r0, r1);
    EXPECT_EQ(h0, 1.0);
    EXPECT_EQ(h1, 2.0);
    EXPECT_EQ(r1, 3e-3) << "the vertical axis is fitted";
}

TEST_F(ComboPlotTest, TheRealTimeLayerDrawsEveryVisibleLine) {
    // Two lines on one row: the later line of the real-time layer is the one seen.
    const double x[] = {0, 10}, y[] = {0.5, 0.5};
    m_frame.SetDataMultiLine(0, x, y, 2, 0, 0);
    m_frame.SetDataMultiLine(1, x, y, 2, 0, 0);
    View(0, 10, 0, 1, 0, 5);
    const waveform::CPlotMapping m = Mapping(ePlotAxisVert);
    const QImage image = Shown();
    const int column = (m.area.left + m.area.right) / 2;
    ASSERT_NE(LineColour(0), LineColour(1));
    EXPECT_FALSE(RowsOf(image, column, LineColour(1)).empty()) << "line 1 over line 0";
    EXPECT_TRUE(RowsOf(image, column, LineColour(0)).empty());
    // A real-time redraw alone shows line 1's new samples too.
    const double later[] = {0.25, 0.25};
    m_frame.SetDataMultiLine(1, x, later, 2, 0, 0);
    m_frame.ReDrawWaveformWnd(0, 1, 1);
    const std::vector<int> rows = RowsOf(Shown(), column, LineColour(1));
    EXPECT_NE(std::find(rows.begin(), rows.end(), m.YPixel(0.25)), rows.end());
}

TEST_F(ComboPlotTest, TimeSpansBelowATenThousandthAreWidenedOnThisPlot) {
    // 40 microseconds of samples: drawn over the first 40 % of a 0.0001 s axis.
    std::vector<double> x(41), y(41, 0.5);
    for (int i = 0; i <= 40; ++i)
        x[i] = i * 1e-6;
    m_frame.SetDataMultiLine(0, x.data(), y.data(), 41, 0, 0);
    m_plot->SetAxisScaleVertZoom(0, 1, 1);
    m_frame.ReDrawWaveformWnd(1, 1, 1);
    double h0 = 0, h1 = 0;
    m_plot->GetAxisScaleHoriZoom(h0, h1);
    EXPECT_EQ(h1, x.back()) << "the range itself is the data's";
    const waveform::CPlotArea a = m_plot->GetPlotArea();
    const QImage image = Shown();
    EXPECT_FALSE(RowsOf(image, a.left + a.Width() * 4 / 10 - 2, LineColour(0)).empty());
    EXPECT_TRUE(RowsOf(image, a.left + a.Width() / 2, LineColour(0)).empty());
}

TEST_F(ComboPlotTest, LabelsOfBothAxesFitTheirMargins) {
    // Six decimals on the left, exponents on the right: wider than four characters either side.
    struct CCase {
        const char* name;
        double right0, right1, left0, left1;
    };
    const CCase cases[] = {{"milli and micro", 1.23e-5, 1.29e-5, 0.00704, 0.00705},
                           {"negative volts", -1.5e-7, 9e-8, -12.5, -11.25},
                           {"the defaults", 0, 1, 0, 5}};
    for (const CCase& c : cases) {
        const double x[] = {0, 10}, y[] = {c.right0, c.right1};
        m_frame.SetDataMultiLine(0, x, y, 2, 0, 0);
        View(0, 10, c.right0, c.right1, c.left0, c.left1);
        const QImage image = Shown();
        const waveform::CPlotArea a = m_plot->GetPlotArea();
        const QColor text = waveform::ToQColor(m_plot->GetGDI().ColorAxisText);
        auto inkIn = [&](int from, int to) {
            int ink = 0;
            for (int column = from; column <= to; ++column)
                for (int row = a.top - 8; row <= a.bottom + 8; ++row)
                    ink += QColor(image.pixel(column, row)) == text;
            return ink;
        };
        EXPECT_EQ(inkIn(0, 1), 0) << c.name << ": no left label reaches the edge";
        EXPECT_EQ(inkIn(image.width() - 2, image.width() - 1), 0) << c.name << ": nor a right one";
        EXPECT_GT(inkIn(2, a.left - 3), 0) << c.name << ": the left labels are drawn";
        EXPECT_GT(inkIn(a.right + 3, image.width() - 3), 0) << c.name << ": and the right ones";
    }
}

// After a fit the highest samples lie on the plot's top edge, which belongs to the plot: zoomed in on a
// burst whose samples all stand at the highest value, every column the burst crosses shows the line.
TEST_F(ComboPlotTest, AfterAFitTheHighestSamplesAreDrawnOnTheTopEdge) {
    constexpr std::size_t kSamples = 200;
    constexpr double kSleep = 4.4e-6;
    // Bursts of 1.0 mA to 10.9 mA: each range rounds its own way on the way to pixels.
    for (int tenths = 10; tenths < 110; ++tenths) {
        const double burst = tenths * 1e-4;
        std::vector<double> x(kSamples), y(kSamples);
        for (std::size_t i = 0; i < kSamples; ++i) {
            x[i] = 0.01 * static_cast<double>(i);
            y[i] = i >= 80 && i < 120 ? burst : kSleep;
        }
        m_frame.SetDataMultiLine(0, x.data(), y.data(), kSamples, 0, 0);
        m_frame.SetAxisAdaptive();
        double r0 = 0, r1 = 0;
        m_plot->GetAxisScaleVertZoom(r0, r1);
        ASSERT_EQ(r0, kSleep);
        ASSERT_EQ(r1, burst);
        // The view of the burst alone.
        m_plot->SetAxisScaleHoriZoom(0.9, 1.1, 1);
        m_frame.ReDrawWaveformWnd(1, 1, 1);
        const QImage image = Shown();
        const waveform::CPlotArea a = m_plot->GetPlotArea();
        int blank = 0;
        for (int column = a.left; column <= a.right; ++column)
            blank += RowsOf(image, column, LineColour(0)).empty();
        EXPECT_EQ(blank, 0) << "burst of " << burst << " A";
    }
}

// The run's refits move the vertical axes with the data until the user chooses their view (a zoom box,
// a pan, a bar's arrow): from then on only the full ranges follow, until the view is restored.
TEST_F(ComboPlotTest, TheUsersVerticalViewEndsTheFollowingUntilRestored) {
    const double x[] = {0, 1, 2, 3}, small[] = {1e-3, 2e-3, 3e-3, 4e-3}, large[] = {1e-3, 2e-3, 3e-3, 8e-3};
    const auto drag = [&](int tool, QPoint from, QPoint to) {
        m_frame.SetWaveformOperateTool(static_cast<eWaveformOperateToolsCombo>(tool));
        QTest::mouseMove(m_plot, from);
        QTest::mousePress(m_plot, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(m_plot, to);
        QTest::mouseRelease(m_plot, Qt::LeftButton, Qt::NoModifier, to);
        m_frame.SetWaveformOperateTool(eComboToolNone);
    };
    const struct {
        const char* name;
        std::function<void()> choose;
    } views[] = {
        {"zoom box",
         [&] {
             const waveform::CPlotArea a = m_plot->GetPlotArea();
             drag(eComboToolZoomVert, {a.left + 20, a.top + 20}, {a.left + 20, a.top + a.Height() / 2});
         }},
        {"pan",
         [&] {
             const waveform::CPlotArea a = m_plot->GetPlotArea();
             drag(eComboToolPan, {a.left + 50, a.top + 50}, {a.left + 50, a.top + 90});
         }},
        {"the right bar's arrow",
         [&] {
             CScrollBarCtrl* bar = VerticalBarAt(kBar + kPlotW);
             QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->FirstArrowRect().center());
         }},
    };
    for (const auto& view : views) {
        SCOPED_TRACE(view.name);
        m_frame.SetDataMultiLine(0, x, small, 4, 0, 0);
        m_frame.FollowVerticalData();
        double v0 = 0, v1 = 0;
        m_plot->GetAxisScaleVertZoom(v0, v1);
        ASSERT_EQ(std::vector<double>({v0, v1}), std::vector<double>({1e-3, 4e-3}));
        view.choose();
        EXPECT_FALSE(m_plot->FollowsVertical());
        double chosen0 = 0, chosen1 = 0;
        m_plot->GetAxisScaleVertZoom(chosen0, chosen1);
        ASSERT_NE(std::vector<double>({chosen0, chosen1}), std::vector<double>({1e-3, 4e-3}));
        m_frame.SetDataMultiLine(0, x, large, 4, 0, 0);
        m_frame.FollowVerticalData();
        m_plot->GetAxisScaleVertZoom(v0, v1);
        EXPECT_EQ(std::vector<double>({v0, v1}), std::vector<double>({chosen0, chosen1})) << "the view stays";
        m_plot->GetAxisScaleVertOrg(v0, v1);
        EXPECT_EQ(std::vector<double>({v0, v1}), std::vector<double>({1e-3, 8e-3}))
            << "the full range follows";
        m_frame.SetAxisRestore();
        EXPECT_TRUE(m_plot->FollowsVertical());
        m_plot->GetAxisScaleVertZoom(v0, v1);
        EXPECT_EQ(std::vector<double>({v0, v1}), std::vector<double>({1e-3, 8e-3}));
    }
    // 适应 and a new run follow the data again too.
    const waveform::CPlotArea a = m_plot->GetPlotArea();
    for (const auto& resume : {std::function<void()>([&] { m_frame.SetAxisAdaptive(); }),
                               std::function<void()>([&] { m_frame.ResetWaveformDataLogging(); })}) {
        drag(eComboToolZoomVert, {a.left + 20, a.top + 20}, {a.left + 20, a.top + a.Height() / 2});
        ASSERT_FALSE(m_plot->FollowsVertical());
        resume();
        EXPECT_TRUE(m_plot->FollowsVertical());
    }
}

// The rows of the two-axis plot's horizontal grid in a column clear of the vertical grid: every row
// inside the plot that is not the background.
std::vector<int> GridRows(const QImage& image, const waveform::CPlotArea& a) {
    const int column = a.left + a.Width() / 20;
    const QRgb background = image.pixel(column, a.top + a.Height() / 10);
    std::vector<int> rows;
    for (int y = a.top + 1; y < a.bottom; ++y)
        if (image.pixel(column, y) != background)
            rows.push_back(y);
    return rows;
}

// The reset view, right axis 0..1 and left 0..5, on plots of many heights (each a multiple of ten
// rows): the grid rows lie at exact fifths of the height, so the left labels, read from their rows,
// are whole volts. A row computed a hair past its fifth and cut off to the row above read 3.007937
// where 3 lies.
TEST_F(ComboPlotTest, TheGridRowsOfTheResetViewLieAtExactFifths) {
    int checked = 0;
    for (int height = 300; height <= 1000; height += 10) {
        m_frame.resize(kPlotW + 2 * kBar, height + kBar);
        m_frame.ResetWaveformDataLogging();
        m_frame.ReDrawWaveformWnd(1, 1, 1);
        const waveform::CPlotArea a = m_plot->GetPlotArea();
        if (a.Height() % 10 != 0 || a.Height() <= 0)
            continue;
        ++checked;
        const QImage image = Shown();
        const int fifth = a.Height() / 5;
        const std::vector<int> expected = {a.bottom - 4 * fifth, a.bottom - 3 * fifth, a.bottom - 2 * fifth,
                                           a.bottom - fifth};
        EXPECT_EQ(GridRows(image, a), expected) << "plot height " << a.Height();
    }
    EXPECT_GT(checked, 50);
}

} // namespace
