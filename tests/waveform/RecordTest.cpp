#include "waveform/common/ParameterWaveform.h"

#include <gtest/gtest.h>

namespace {

TEST(ParameterWaveform, DefaultsOfANewRecord) {
    const CParameterWaveform r;
    EXPECT_EQ(r.ScaleTextHori, QStringLiteral("时间 (s)"));
    EXPECT_EQ(r.ScaleTextVert, QStringLiteral("电流 (A)"));
    EXPECT_EQ(r.ScaleTextVertLeft, QStringLiteral("电压 (V)"));
    EXPECT_EQ(r.ChartName, QStringLiteral("电流波形曲线"));
    EXPECT_EQ(r.ColorAxis, 0xD3D3D3u);
    EXPECT_EQ(r.ColorAxisBkGnd, 0xFFFFFFu);
    ASSERT_EQ(r.Styles.size(), 4u);
    const COLORREF colours[4] = {0xFF0000, 0xCBC0FF, 0x800080, 0x008000};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(r.Styles[n].LineColor, colours[n]) << n;
        EXPECT_EQ(r.Styles[n].Visible, n == 0 ? 1 : 0) << n;
        EXPECT_EQ(r.Styles[n].Pen.color(), waveform::ToQColor(colours[n])) << n;
        EXPECT_EQ(r.Styles[n].Brush.color(), waveform::ToQColor(colours[n])) << n;
    }
    EXPECT_EQ(waveform::ToQColor(0xFF0000), QColor(0, 0, 255));
}

TEST(ParameterWaveform, AssignmentCopiesAndRebuildsPensWhenTheWidthChanged) {
    CParameterWaveform a, b;
    // The width is changed without rebuilding a's pen: the copy must build its own from the numbers.
    a.Styles[1].LineWidth = 5;
    a.ChartName = QStringLiteral("x");
    ASSERT_EQ(a.Styles[1].Pen.width(), 1);
    b = a;
    EXPECT_EQ(b.ChartName, QStringLiteral("x"));
    EXPECT_EQ(b.Styles[1].LineWidth, 5);
    EXPECT_EQ(b.Styles[1].Pen.width(), 5);
    EXPECT_EQ(b.Styles[1].Pen.color(), waveform::ToQColor(0xCBC0FF));
    b.Styles.resize(2);
    b = a;
    EXPECT_EQ(b.Styles.size(), 4u);
    EXPECT_EQ(b.Styles[3].LineColor, 0x008000u);
}

} // namespace
