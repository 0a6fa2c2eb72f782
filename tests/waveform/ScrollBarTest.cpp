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

TEST(ScrollBar, TheThumbShowsTheVisiblePartAndStaysOnTheTrack) {
    CApplication app;
    CScrollBarCtrl bar;
    bar.resize(330, 15);
    bar.show();
    bar.SetFullRange(0, 10);
    bar.SetVisibleRange(0, 5);
    const QRect track = bar.TrackRect();
    EXPECT_EQ(track, QRect(15, 0, 330 - 45, 15));
    EXPECT_EQ(bar.ThumbRect().left(), track.left());
    EXPECT_EQ(bar.ThumbRect().width(), track.width() / 2);
    bar.SetVisibleRange(20, 25);
    EXPECT_LE(bar.ThumbRect().right(), track.right());
    EXPECT_GE(bar.ThumbRect().left(), track.left());
}

} // namespace
