#include "PlotTestSupport.h"

#include "waveform/tailplot/ScrollBarCtrlLog.h"

#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace plottest;

class CCountingFrame : public platform::CMessageTarget {
public:
    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM, platform::LPARAM lParam) override {
        if (message == CScrollBarCtrl::kNotifyMessage)
            codes.push_back(static_cast<int>(lParam));
        return 1;
    }
    std::vector<int> codes;
};

struct CDecadeCase {
    double value;
    bool up;
    double expected;
};

TEST(LogScrollBar, ArrowStepsGoToTheNeighbouringWholeMultipleOfTheDecade) {
    const CDecadeCase cases[] = {
        {3.2e-5, true, 4e-5}, {3.2e-5, false, 2e-5}, {1e-5, false, 9e-6},  {9e-6, true, 1e-5},
        {1.0, true, 2.0},     {2.0, false, 1.0},     {100.0, false, 90.0}, {0.3, false, 0.2},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(CScrollBarCtrlLog::DecadeStep(c.value, c.up), c.expected, c.expected * 1e-12)
            << c.value << (c.up ? " up" : " down");
}

struct CArrowCase {
    std::string name;
    int vertical;
    bool firstArrow;
    double min, max;
};

TEST(LogScrollBar, ArrowsAndDragsMoveBothLimitsAndReport) {
    CApplication app;
    // The right and the upper arrow raise the values, the left and the lower one lower them.
    const std::vector<CArrowCase> cases = {
        {"horizontal right", 0, false, 2e-4, 20.0},
        {"horizontal left", 0, true, 9e-5, 9.0},
        {"vertical upper", 1, true, 2e-3, 200.0},
        {"vertical lower", 1, false, 9e-4, 90.0},
    };
    for (const auto& c : cases) {
        CCountingFrame frame;
        CScrollBarCtrlLog bar;
        bar.SetNotifyTarget(&frame);
        bar.SetVertical(c.vertical);
        bar.resize(c.vertical ? 15 : 300, c.vertical ? 300 : 15);
        const double lo = c.vertical ? 1e-3 : 1e-4, hi = c.vertical ? 100.0 : 10.0;
        bar.SetFullRange(lo, hi);
        bar.SetVisibleRange(lo, hi);
        bar.show();
        const QRect arrow = c.firstArrow ? bar.FirstArrowRect() : bar.SecondArrowRect();
        QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, arrow.center());
        EXPECT_NEAR(bar.VisibleMin(), c.min, c.min * 1e-12) << c.name;
        EXPECT_NEAR(bar.VisibleMax(), c.max, c.max * 1e-12) << c.name;
        ASSERT_FALSE(frame.codes.empty()) << c.name;
        EXPECT_EQ(frame.codes.front(), CScrollBarCtrl::kCodeMoved) << c.name;
    }

    CCountingFrame frame;
    CScrollBarCtrlLog bar;
    bar.SetNotifyTarget(&frame);
    bar.resize(300, 15);
    bar.SetFullRange(1e-4, 10.0);
    bar.SetVisibleRange(1e-3, 1.0);
    bar.show();
    const QPoint start = bar.TrackRect().center();
    QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(&bar, start + QPoint(40, 0));
    EXPECT_NEAR(bar.VisibleMin(), 1.01e-3, 1e-15) << "a move right scales by 1 %, however far";
    EXPECT_NEAR(bar.VisibleMax(), 1.01, 1e-12);
    QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, start + QPoint(40, 0));
    QTest::mouseDClick(&bar, Qt::LeftButton, Qt::NoModifier, bar.ResetRect().center());
    EXPECT_EQ(bar.VisibleMin(), 1e-4);
    EXPECT_EQ(bar.VisibleMax(), 10.0);
}

TEST(LogScrollBar, ThumbShowsTheVisibleDecadesOfTheFullRange) {
    CApplication app;
    CScrollBarCtrlLog bar;
    bar.resize(15 + 500, 15);
    bar.SetFullRange(1e-4, 10.0);
    // Decades 1e-3 .. 1e-1: from one fifth to three fifths of the track.
    bar.SetVisibleRange(1e-3, 1e-1);
    bar.show();
    const QRect track = bar.TrackRect(), thumb = bar.ThumbRect();
    ASSERT_EQ(track.width(), 500);
    EXPECT_EQ(thumb.left(), track.left() + 100);
    EXPECT_EQ(thumb.width(), 200);

    CScrollBarCtrlLog vertical;
    vertical.SetVertical(1);
    vertical.resize(15, 15 + 500);
    vertical.SetFullRange(1e-3, 100.0);
    vertical.SetVisibleRange(1e-2, 1.0);
    vertical.show();
    const QRect vtrack = vertical.TrackRect(), vthumb = vertical.ThumbRect();
    // Two of five decades, measured upwards from the track's bottom.
    EXPECT_EQ(vthumb.height(), 200);
    EXPECT_EQ(vthumb.top(), vtrack.top() + 500 - 300);
}

} // namespace
