#include "PlotTestSupport.h"

#include "waveform/common/ScrollBarCtrl.h"

#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace plottest;

struct CNotice {
    platform::WPARAM bar;
    int controlId;
    int code;
};

class CFrame : public platform::CMessageTarget {
public:
    explicit CFrame(bool block) : m_block(block) {}
    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override {
        EXPECT_EQ(message, CScrollBarCtrl::kNotifyMessage);
        if (m_block) {
            const int* block = reinterpret_cast<const int*>(lParam);
            notices.push_back({wParam, block[1], block[2]});
        } else {
            notices.push_back({wParam, -1, static_cast<int>(lParam)});
        }
        return 1;
    }
    std::vector<CNotice> notices;

private:
    bool m_block;
};

// A frame that takes every notice and does nothing with it.
class CQuietFrame : public platform::CMessageTarget {
public:
    platform::LRESULT OnMessage(platform::UINT, platform::WPARAM, platform::LPARAM) override { return 1; }
};

TEST(ScrollBar, StepsResetAndNotifiesWithTheCodeOrTheBlock) {
    CApplication app;
    for (bool block : {false, true}) {
        CFrame frame(block);
        CScrollBarCtrl bar;
        bar.SetNotifyTarget(&frame);
        if (block)
            bar.SetNotifyControlId(33566);
        bar.SetVertical(1);
        bar.resize(15, 300);
        bar.SetFullRange(0, 10);
        bar.SetVisibleRange(2, 4);
        bar.show();
        QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, bar.FirstArrowRect().center());
        EXPECT_NEAR(bar.VisibleMin(), 2.2, 1e-12) << "up on a vertical bar adds";
        QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, bar.ResetRect().center());
        EXPECT_NEAR(bar.VisibleMin(), 2.2, 1e-12) << "a press on reset changes nothing";
        QTest::mouseDClick(&bar, Qt::LeftButton, Qt::NoModifier, bar.ResetRect().center());
        EXPECT_EQ(bar.VisibleMin(), 0.0);
        EXPECT_EQ(bar.VisibleMax(), 10.0);
        ASSERT_GE(frame.notices.size(), 3u);
        EXPECT_EQ(frame.notices.front().code, 224);
        EXPECT_EQ(frame.notices.front().bar, 1u);
        EXPECT_EQ(frame.notices[1].code, 513);
        EXPECT_EQ(frame.notices.back().code, 515);
        EXPECT_EQ(frame.notices.back().controlId, block ? 33566 : -1);
    }
}

// Columns of the bar's bottom row drawn black: the thumb's outer frame and the reset button's.
std::vector<int> BlackColumns(CScrollBarCtrl& bar) {
    const QImage image = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x)
        if (QColor(image.pixel(x, image.height() - 1)) == QColor(Qt::black))
            columns.push_back(x);
    return columns;
}

TEST(ScrollBar, TheTrackIsTheClientLessTheFirstArrow) {
    CApplication app;
    const int length = 330, thickness = 15;
    struct CCase {
        const char* name;
        int vertical;
        QRect track;
    };
    // Taking the second arrow away too would leave the reset button's square apart: the track keeps it.
    const CCase cases[] = {{"horizontal", 0, QRect(thickness, 0, length - thickness, thickness)},
                           {"vertical", 1, QRect(0, thickness, thickness, length - thickness)}};
    for (const CCase& c : cases) {
        CScrollBarCtrl bar;
        bar.SetVertical(c.vertical);
        bar.resize(c.vertical ? thickness : length, c.vertical ? length : thickness);
        bar.show();
        EXPECT_EQ(bar.TrackRect(), c.track) << c.name;
        EXPECT_EQ(bar.SecondArrowRect(), c.vertical ? QRect(0, length - 2 * thickness, thickness, thickness)
                                                    : QRect(length - 2 * thickness, 0, thickness, thickness))
            << c.name;
    }
}

TEST(ScrollBar, TheThumbShowsTheVisiblePartAlongTheTrack) {
    CApplication app;
    CScrollBarCtrl bar;
    const int length = 330, thickness = 15;
    bar.resize(length, thickness);
    bar.show();
    const int track = length - thickness;
    struct CCase {
        const char* name;
        double min, max;
        int from, to; // expected thumb extent along the track, in pixels from its start
    };
    const CCase cases[] = {{"first half", 0, 5, 0, track / 2},
                           {"a fifth from the start", 2, 4, track / 5, track * 2 / 5},
                           {"past the full range", 20, 25, track * 4 / 5, track}};
    for (const CCase& c : cases) {
        bar.SetFullRange(0, 10);
        bar.SetVisibleRange(c.min, c.max);
        const QRect thumb = bar.ThumbRect();
        EXPECT_NEAR(thumb.left() - thickness, c.from, 1) << c.name;
        EXPECT_NEAR(thumb.right() + 1 - thickness, c.to, 1) << c.name;
    }
    // What the user sees of a thumb clear of the buttons: its frame where the track says.
    bar.SetVisibleRange(0, 5);
    std::vector<int> black = BlackColumns(bar);
    std::erase_if(black, [&](int x) { return x < thickness || x >= length - 2 * thickness; });
    ASSERT_FALSE(black.empty());
    EXPECT_NEAR(black.front() - thickness, 0, 1);
    EXPECT_NEAR(black.back() + 1 - thickness, track / 2, 1);
    // Pressing the second arrow still presses the arrow, though the track runs under it.
    CQuietFrame moves;
    bar.SetNotifyTarget(&moves);
    QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, bar.SecondArrowRect().center());
    EXPECT_NEAR(bar.VisibleMin(), 0.5, 1e-12) << "the second arrow moves towards larger values";
}

TEST(ScrollBar, ADoubleClickStepsOnceOnAnArrowAndRestoresOnlyOnTheReset) {
    CApplication app;
    struct CCase {
        const char* name;
        bool onReset;
        double min, max;
    };
    // The first click of the double-click steps by a tenth of the visible span (the first arrow of a
    // horizontal bar towards smaller values); the second is no step.
    const CCase cases[] = {{"first arrow", false, 1.8, 3.8}, {"reset button", true, 0.0, 10.0}};
    for (const CCase& c : cases) {
        CQuietFrame frame;
        CScrollBarCtrl bar;
        bar.SetNotifyTarget(&frame);
        bar.resize(330, 15);
        bar.SetFullRange(0, 10);
        bar.SetVisibleRange(2, 4);
        bar.show();
        const QRect part = c.onReset ? bar.ResetRect() : bar.FirstArrowRect();
        // As the window system delivers it: a click, then the double-click in place of the second
        // press, then its release.
        QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, part.center());
        QTest::mouseDClick(&bar, Qt::LeftButton, Qt::NoModifier, part.center());
        QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, part.center());
        EXPECT_NEAR(bar.VisibleMin(), c.min, 1e-12) << c.name;
        EXPECT_NEAR(bar.VisibleMax(), c.max, 1e-12) << c.name;
    }
}

} // namespace
