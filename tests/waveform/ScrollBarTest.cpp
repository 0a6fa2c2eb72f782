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

TEST(ScrollBar, TheThumbShowsTheVisiblePartAndStaysBetweenTheArrows) {
    CApplication app;
    CScrollBarCtrl bar;
    const int length = 330, thickness = 15;
    bar.resize(length, thickness);
    bar.show();
    // The parts the user sees, found by pressing: the second arrow and the reset button sit at the
    // right end, one thickness each, and the thumb moves between the arrows.
    const int space = length - 3 * thickness;
    struct CCase {
        const char* name;
        double min, max;
        int from, to; // expected thumb extent in the space between the arrows, in pixels from its start
    };
    const CCase cases[] = {{"first half", 0, 5, 0, space / 2},
                           {"second half", 5, 10, space / 2, space},
                           {"past the full range", 20, 25, space * 4 / 5, space}};
    for (const CCase& c : cases) {
        bar.SetFullRange(0, 10);
        bar.SetVisibleRange(c.min, c.max);
        std::vector<int> black = BlackColumns(bar);
        // The reset button's frame is black along its bottom too: keep what lies between the arrows.
        std::erase_if(black, [&](int x) { return x < thickness || x >= length - 2 * thickness; });
        ASSERT_FALSE(black.empty()) << c.name;
        EXPECT_NEAR(black.front() - thickness, c.from, 1) << c.name;
        EXPECT_NEAR(black.back() + 1 - thickness, c.to, 1) << c.name;
    }
    // Pressing where the thumb's space ends presses the second arrow: the space is where the thumb was.
    CQuietFrame moves;
    bar.SetNotifyTarget(&moves);
    bar.SetVisibleRange(0, 5);
    QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier,
                      QPoint(length - 2 * thickness + 2, thickness / 2));
    EXPECT_NEAR(bar.VisibleMin(), 0.5, 1e-12) << "the second arrow moves towards larger values";
}

} // namespace
