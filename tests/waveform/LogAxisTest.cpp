#include "waveform/tailplot/LogAxis.h"
#include "waveform/common/PlotMapping.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using tailplot::CLogTick;

waveform::CPlotMapping Mapping() {
    waveform::CPlotMapping m;
    m.logX = m.logY = true;
    m.area = {50, 20, 650, 420};
    m.hMin = 1e-4;
    m.hMax = 10.0;
    m.vMin = 1e-3;
    m.vMax = 100.0;
    return m;
}

struct CPixelCase {
    double value;
    int pixel;
};

TEST(LogAxisTest, EachDecadeTakesAnEqualShareOfTheAxis) {
    const waveform::CPlotMapping m = Mapping();
    // Five decades over 600 columns and 400 rows.
    for (const CPixelCase& c : {CPixelCase{1e-4, 50}, {1e-3, 170}, {1e-2, 290}, {1.0, 530}, {10.0, 650}})
        EXPECT_EQ(m.XPixel(c.value), c.pixel) << c.value;
    for (const CPixelCase& c : {CPixelCase{100.0, 20}, {10.0, 100}, {1.0, 180}, {1e-3, 420}})
        EXPECT_EQ(m.YPixel(c.value), c.pixel) << c.value;
    EXPECT_NEAR(m.XPixel(std::sqrt(10.0) * 1e-2), 350, 1);
}

TEST(LogAxisTest, PixelsMapBackToTheirValues) {
    const waveform::CPlotMapping m = Mapping();
    EXPECT_NEAR(m.XValue(290), 1e-2, 1e-15);
    EXPECT_NEAR(m.XValue(50), 1e-4, 1e-17);
    EXPECT_NEAR(m.YValue(180), 1.0, 1e-12);
    EXPECT_NEAR(m.YValue(20), 100.0, 1e-10);
    EXPECT_NEAR(m.YValue(420), 1e-3, 1e-15);
}

struct CTickCase {
    std::string name;
    double min, max;
    std::vector<double> majors;
    std::vector<double> minors;
};

std::vector<double> Multiples(double decade, int from, int to) {
    std::vector<double> v;
    for (int k = from; k <= to; ++k)
        v.push_back(k * decade);
    return v;
}

std::vector<double> Join(std::vector<std::vector<double>> parts) {
    std::vector<double> v;
    for (auto& p : parts)
        v.insert(v.end(), p.begin(), p.end());
    return v;
}

// Major ticks at the start, at each power of ten inside and at the end; after each major tick f of a
// decade of step s, eight minor ticks at f + s .. f + 8 s (those below the end), so a range that starts
// off a power of ten has its first decade's minor ticks counted from its start.
TEST(LogAxisTest, TicksMarkDecadesAndStepsFromEachMajorTick) {
    const std::vector<CTickCase> cases = {
        {"whole decades",
         1e-3,
         100.0,
         {1e-3, 1e-2, 0.1, 1, 10, 100},
         Join({Multiples(1e-3, 2, 9), Multiples(1e-2, 2, 9), Multiples(0.1, 2, 9), Multiples(1, 2, 9),
               Multiples(10, 2, 9)})},
        {"starting on a multiple",
         0.003,
         0.5,
         {0.003, 0.01, 0.1, 0.5},
         Join({Multiples(1e-3, 4, 11), Multiples(1e-2, 2, 9), Multiples(0.1, 2, 4)})},
        {"leading digit one", 1.5, 30.0, {1.5, 10, 30}, {2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5, 9.5, 20}},
        {"starting between multiples", 0.0312, 0.2, {0.04, 0.1, 0.2}, Multiples(0.01, 5, 12)},
        {"rounding up into the next decade", 0.0095, 0.05, {0.01, 0.05}, Multiples(0.01, 2, 4)},
        {"no multiple inside", 0.0031, 0.0035, {0.0031, 0.0035}, {}},
        {"not ascending", 2.0, 1.0, {}, {}},
        {"zero start", 0.0, 1.0, {}, {}},
    };
    for (const auto& c : cases) {
        std::vector<double> majors, minors;
        double previous = 0.0;
        for (const CLogTick& t : tailplot::LogTicks(c.min, c.max)) {
            EXPECT_LT(t.value, c.max * (1 + 1e-12)) << c.name << ": inside the range";
            if (t.major) {
                EXPECT_GT(t.value, previous) << c.name << ": major ticks ascending";
                previous = t.value;
            }
            (t.major ? majors : minors).push_back(t.value);
        }
        ASSERT_EQ(majors.size(), c.majors.size()) << c.name;
        ASSERT_EQ(minors.size(), c.minors.size()) << c.name;
        for (std::size_t i = 0; i < majors.size(); ++i)
            EXPECT_NEAR(majors[i], c.majors[i], c.majors[i] * 1e-12) << c.name << " major " << i;
        for (std::size_t i = 0; i < minors.size(); ++i)
            EXPECT_NEAR(minors[i], c.minors[i], c.minors[i] * 1e-12) << c.name << " minor " << i;
    }
}

} // namespace
