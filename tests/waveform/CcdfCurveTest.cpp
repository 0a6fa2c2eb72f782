#include "waveform/tailplot/CcdfCurve.h"
#include "waveform/tailplot/LogPlotPainter.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

using tailplot::CCcdfCurve;
using tailplot::ComputeCcdf;

struct CBinCountCase {
    std::size_t n;
    unsigned bins;
};

TEST(CcdfCurveTest, BinCountFollowsTheNumberOfReadings) {
    const CBinCountCase cases[] = {{0, 0},    {5, 0},     {6, 2},      {20, 2},        {21, 5},
                                   {50, 5},   {51, 10},   {100, 10},   {101, 20},      {200, 20},
                                   {201, 50}, {1000, 50}, {1001, 100}, {10000000, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(tailplot::CcdfBinCount(c.n), c.bins) << "n = " << c.n;
}

// Distinct readings 1..n fill every bin, so the curve has one point per bin.
TEST(CcdfCurveTest, DistinctReadingsGiveOnePointPerBin) {
    for (std::size_t n : {1001u, 1000u, 200u, 50u, 20u, 6u}) {
        std::vector<double> samples(n);
        for (std::size_t i = 0; i < n; ++i)
            samples[i] = static_cast<double>(n - i); // descending: no order is assumed
        CCcdfCurve curve;
        ASSERT_EQ(ComputeCcdf(samples.data(), n, curve), 1) << n;
        EXPECT_EQ(curve.X.size(), tailplot::CcdfBinCount(n)) << n;
        EXPECT_EQ(curve.Y.size(), curve.X.size()) << n;
        EXPECT_DOUBLE_EQ(curve.Y.front(), 100.0) << n;
    }
}

TEST(CcdfCurveTest, SixReadingsMakeTwoBinsWithTheMaximumInTheLast) {
    const double samples[] = {3, 1, 6, 2, 5, 4};
    CCcdfCurve curve;
    ASSERT_EQ(ComputeCcdf(samples, 6, curve), 1);
    EXPECT_EQ(curve.X, (std::vector<double>{2.25, 4.75}));
    EXPECT_EQ(curve.Y, (std::vector<double>{100.0, 50.0}));
    // Readings on an inner edge belong to the bin above it.
    const double onEdge[] = {1, 3, 3, 5, 2, 3};
    ASSERT_EQ(ComputeCcdf(onEdge, 6, curve), 1);
    EXPECT_EQ(curve.X, (std::vector<double>{2.0, 4.0}));
    EXPECT_DOUBLE_EQ(curve.Y[1], 4.0 / 6.0 * 100.0);
    // Readings only subnormal steps apart still fall into their bins.
    const double tiny[] = {6e-310, 5e-310, 4e-310, 3e-310, 2e-310, 1e-310};
    ASSERT_EQ(ComputeCcdf(tiny, 6, curve), 1);
    ASSERT_EQ(curve.X.size(), 2u);
    EXPECT_NEAR(curve.X[0], 2.25e-310, 1e-320);
    EXPECT_NEAR(curve.X[1], 4.75e-310, 1e-320);
    EXPECT_EQ(curve.Y, (std::vector<double>{100.0, 50.0}));
}

// The CCDF of the integers 1..2000 at each bin's lower edge e is the share of integers >= e.
TEST(CcdfCurveTest, UniformIntegersMatchTheirShareAtOrAboveEachEdge) {
    constexpr int n = 2000;
    std::vector<double> samples;
    for (int i = 1; i <= n; ++i)
        samples.push_back(i);
    CCcdfCurve curve;
    ASSERT_EQ(ComputeCcdf(samples.data(), samples.size(), curve), 1);
    ASSERT_EQ(curve.X.size(), 100u);
    const double width = (n - 1) / 100.0;
    for (int k = 0; k < 100; ++k) {
        const double edge = 1 + k * width;
        const double atOrAbove = n - std::ceil(edge) + 1;
        EXPECT_NEAR(curve.X[k], edge + width / 2, 1e-9) << "bin " << k;
        EXPECT_NEAR(curve.Y[k], atOrAbove / n * 100.0, 1e-9) << "bin " << k;
    }
}

// A bin without readings keeps its point at the share of the readings above it: the curve stays flat
// across it and falls where readings are, so what is read off between two occupied bins is true.
TEST(CcdfCurveTest, EmptyBinsKeepTheShareAboveThem) {
    // 10 readings of 1 and 11 of 10: five bins of width 1.8, only the first and the last hold any.
    std::vector<double> samples(10, 1.0);
    samples.insert(samples.end(), 11, 10.0);
    CCcdfCurve curve;
    ASSERT_EQ(ComputeCcdf(samples.data(), samples.size(), curve), 1);
    const double x[] = {1.9, 3.7, 5.5, 7.3, 9.1};
    const double above = 11.0 / 21.0 * 100.0;
    const double y[] = {100.0, above, above, above, above};
    ASSERT_EQ(curve.X.size(), 5u);
    ASSERT_EQ(curve.Y.size(), 5u);
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_DOUBLE_EQ(curve.X[k], x[k]) << "bin " << k;
        EXPECT_DOUBLE_EQ(curve.Y[k], y[k]) << "bin " << k;
    }
}

TEST(CcdfCurveTest, EveryReadingEntersTheBinsAndNoReadingCountsNowhere) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct CCase {
        const char* name;
        std::vector<double> samples;
        std::vector<double> x, y;
    };
    const CCase cases[] = {
        // 0..5: two bins of width 2.5, zero in the first.
        {"zero", {0, 1, 2, 3, 4, 5}, {1.25, 3.75}, {100.0, 50.0}},
        // -1..5: two bins of width 3; the negative reading is the first bin's.
        {"negative", {-1, 1, 2, 3, 4, 5}, {0.5, 3.5}, {100.0, 4.0 / 6.0 * 100.0}},
        // Overflow, NaN and infinity are no readings: the six others make the distribution.
        {"no readings among them",
         {1, 9.9e37, 2, nan, 3, -9.9e37, 4, inf, 5, -inf, 6},
         {2.25, 4.75},
         {100.0, 50.0}},
    };
    for (const CCase& c : cases) {
        CCcdfCurve curve;
        std::size_t readings = 0;
        ASSERT_EQ(ComputeCcdf(c.samples.data(), c.samples.size(), curve, &readings), 1) << c.name;
        EXPECT_EQ(readings, 6u) << c.name;
        ASSERT_EQ(curve.X.size(), c.x.size()) << c.name;
        for (std::size_t i = 0; i < c.x.size(); ++i) {
            EXPECT_DOUBLE_EQ(curve.X[i], c.x[i]) << c.name << " bin " << i;
            EXPECT_DOUBLE_EQ(curve.Y[i], c.y[i]) << c.name << " bin " << i;
        }
    }
}

TEST(CcdfCurveTest, TheBinCountFollowsEveryReadingNotOnlyThePositiveOnes) {
    // 996 positive readings and five at zero: 1001 readings, so 100 bins.
    std::vector<double> samples(5, 0.0);
    for (int i = 1; i <= 996; ++i)
        samples.push_back(i);
    CCcdfCurve curve;
    ASSERT_EQ(ComputeCcdf(samples.data(), samples.size(), curve), 1);
    EXPECT_EQ(curve.X.size(), 100u);
    EXPECT_DOUBLE_EQ(curve.X.front(), 996.0 / 200.0);
}

struct CEmptyCase {
    std::string name;
    std::vector<double> samples;
};

TEST(CcdfCurveTest, TooFewOrEqualReadingsGiveNoCurve) {
    const std::vector<CEmptyCase> cases = {
        {"none", {}},
        {"five", {1, 2, 3, 4, 5}},
        {"six equal", {2, 2, 2, 2, 2, 2}},
        {"five readings among overflows", {1, 2, 9.9e37, 3, 4, 9.91e37, 5}},
        {"overflow only", {9.9e37, 9.9e37, 9.9e37, 9.9e37, 9.9e37, 9.9e37, 9.9e37}},
    };
    for (const auto& c : cases) {
        CCcdfCurve curve{{1.0}, {1.0}};
        EXPECT_EQ(ComputeCcdf(c.samples.data(), c.samples.size(), curve), 0) << c.name;
        EXPECT_TRUE(curve.X.empty() && curve.Y.empty()) << c.name;
    }
    CCcdfCurve curve;
    EXPECT_EQ(ComputeCcdf(nullptr, 100, curve), 0);
}

TEST(CcdfCurveTest, ReadyPointsAreTakenAsTheyAre) {
    const double amplitudes[] = {1e-6, 1e-4, 0.0, 2e-3};
    const double percents[] = {100.0, 12.5, 3.0, 0.01};
    CCcdfCurve curve;
    ASSERT_EQ(tailplot::SetCcdfPoints(amplitudes, percents, 4, curve), 1);
    EXPECT_EQ(curve.X, (std::vector<double>(std::begin(amplitudes), std::end(amplitudes))));
    EXPECT_EQ(curve.Y, (std::vector<double>(std::begin(percents), std::end(percents))));
    EXPECT_EQ(tailplot::SetCcdfPoints(amplitudes, percents, 1, curve), 0);
    EXPECT_TRUE(curve.X.empty() && curve.Y.empty());
    EXPECT_EQ(tailplot::SetCcdfPoints(nullptr, percents, 4, curve), 0);
}

TEST(CcdfCurveTest, MarkerTextsAreFixedWithSixDecimalsUnlessTheyWouldLoseTheValue) {
    struct CCase {
        double value;
        const char* text;
    };
    const CCase cases[] = {{12.5, "12.5"},          {100.0, "100"},
                           {0.0123456, "0.012346"}, {0.5, "0.5"},
                           {-2.25, "-2.25"},        {0.0, "0"},
                           {5e-9, "5e-09"},         {2.5e-6, "2.5e-06"},
                           {-3.2e-4, "-0.00032"},   {0.00123456, "0.001235"}};
    for (const CCase& c : cases)
        EXPECT_EQ(tailplot::MarkerText(c.value).toStdString(), c.text) << c.value;
}

} // namespace
