#include "platform/MessageBox.h"
#include "waveform/common/BitmapFile.h"
#include "waveform/common/GridValues.h"
#include "waveform/common/LineSummary.h"
#include "waveform/common/MarkerSnap.h"
#include "waveform/common/NiceValues.h"
#include "waveform/common/PlotFormat.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <stdexcept>

namespace {

using namespace waveform;

TEST(PlotHelpers, NiceValues) {
    struct {
        double x, upper, lower, center;
    } rows[] = {
        {3.7, 5, 2.5, 3}, {0.0123, 0.02, 0.01, 0.01}, {10, 10, 5, 10},   {-420, -500, -250, -400},
        {1.0, 1, 1, 1},   {2.2, 2.5, 2, 2},           {3.94, 5, 2.5, 3}, {3.96, 5, 2.5, 4},
    };
    for (const auto& r : rows) {
        EXPECT_NEAR(GetAdjacentScaleVertUpper(r.x), r.upper, 1e-12 * std::fabs(r.upper)) << r.x;
        EXPECT_NEAR(GetAdjacentScaleVertLower(r.x), r.lower, 1e-12 * std::fabs(r.lower)) << r.x;
        EXPECT_NEAR(GetAdjacentScaleVertCenter(r.x), r.center, 1e-12 * std::fabs(r.center)) << r.x;
    }
    EXPECT_EQ(GetAdjacentScaleVertUpper(1e-21), 1e-21);
}

TEST(PlotHelpers, AlignAxisYStepsAndRefusesSpansWithoutAStep) {
    double value = 7.3;
    EXPECT_DOUBLE_EQ(AlignAxisY(0.3, value), 0.5);
    EXPECT_DOUBLE_EQ(value, 7.0);
    value = 1.0;
    EXPECT_DOUBLE_EQ(AlignAxisY(1.5e-6, value), 2e-6);
    const double noStep[] = {0.0, -1.0, std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    for (double span : noStep) {
        value = 3.0;
        EXPECT_EQ(AlignAxisY(span, value), 0.0) << span;
        EXPECT_EQ(value, 3.0) << span;
    }
}

TEST(PlotHelpers, GridValuesEndWithinTheirCountWhereverTheRangeLies) {
    struct CCase {
        const char* name;
        double min, max, step;
        int count; // expected visits; -1: any number up to the limit
    };
    const double twoUlp = std::nextafter(std::nextafter(100.0, 200.0), 200.0);
    const CCase cases[] = {
        {"near zero", -1, 1, 0.5, 5},
        {"far from zero", 1e6, 1e6 + 1, 0.25, 5},
        {"two ulp at 100", 100.0, twoUlp, 5e-15, -1},
        {"times of 3e11", 3e11, 3e11 + 1e-3, 1e-4, -1},
        {"step count past 2^53", 1e17, 1e17 + 64, 1.0, -1},
        {"too many lines", 0, 1, 1e-6, 0},
        {"no step", 0, 1, 0, 0},
        {"unbounded", -INFINITY, INFINITY, 1, 0},
    };
    for (const CCase& c : cases) {
        int visits = 0;
        // A visitor that stops a runaway walk, so that a fault fails here instead of hanging.
        auto visit = [&](double) {
            if (++visits > waveform::kMaxGridLines + 1)
                throw std::runtime_error("grid walk did not end");
        };
        EXPECT_NO_THROW(waveform::ForEachGridValue(c.min, c.max, c.step, visit)) << c.name;
        if (c.count >= 0)
            EXPECT_EQ(visits, c.count) << c.name;
        else
            EXPECT_LE(visits, waveform::kMaxGridLines + 1) << c.name;
    }
}

TEST(PlotHelpers, Formatters) {
    EXPECT_EQ(FormatFloatText(0.1), QStringLiteral("0.1"));
    EXPECT_EQ(FormatFloatText(12.0), QStringLiteral("12"));
    EXPECT_EQ(FormatFloatText(1.5e-7), QStringLiteral("1.5e-07"));
    EXPECT_EQ(FormatFloatText(0.0), QStringLiteral("0"));
    EXPECT_EQ(FormatDoubleText(2.5), QStringLiteral("2.5"));
    EXPECT_EQ(FormatDoubleText(3.0), QStringLiteral("3"));
}

// Drawn values as the line shows them: an excluded sample keeps the previous value.
std::vector<double> HeldValues(const std::vector<double>& y, const std::vector<unsigned>& excluded) {
    std::vector<double> held(y.size(), std::numeric_limits<double>::quiet_NaN());
    double last = std::numeric_limits<double>::quiet_NaN();
    std::size_t e = 0;
    for (std::size_t i = 0; i < y.size(); ++i) {
        if (e < excluded.size() && excluded[e] == i)
            ++e;
        else
            last = y[i];
        held[i] = last;
    }
    return held;
}

TEST(LineSummary, RangesAgreeWithEverySampleAndAppendsMatchARebuild) {
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 1.0);
    const std::size_t n = 70000;
    std::vector<double> y(n);
    std::vector<unsigned> excluded;
    for (std::size_t i = 0; i < n; ++i) {
        y[i] = noise(rng);
        if (i < 40 || rng() % 50 == 0 || (i > 30000 && i < 30500))
            excluded.push_back(static_cast<unsigned>(i));
    }
    // Appended into room made beforehand (more room than needed) or grown as samples come.
    CLineSummary built, appended, reserved;
    built.Rebuild(y.data(), n, excluded);
    reserved.Reserve(3 * n);
    for (std::size_t at = 0; at < n;) {
        at = std::min(n, at + 1 + rng() % 5000);
        appended.Append(y.data(), at, excluded);
        reserved.Append(y.data(), at, excluded);
    }
    const std::vector<double> held = HeldValues(y, excluded);
    for (int trial = 0; trial < 400; ++trial) {
        std::size_t a = rng() % n, b = rng() % n;
        if (a > b)
            std::swap(a, b);
        b = std::min(n, b + 1 + (trial % 3 == 0 ? 0 : rng() % 40));
        double mn = NAN, mx = NAN, sum = 0, smin = 0, smax = 0;
        std::size_t count = 0;
        for (std::size_t i = a; i < b; ++i) {
            if (!std::isnan(held[i])) {
                mn = std::isnan(mn) ? held[i] : std::min(mn, held[i]);
                mx = std::isnan(mx) ? held[i] : std::max(mx, held[i]);
            }
            if (!std::binary_search(excluded.begin(), excluded.end(), static_cast<unsigned>(i))) {
                smin = count ? std::min(smin, y[i]) : y[i];
                smax = count ? std::max(smax, y[i]) : y[i];
                sum += y[i];
                ++count;
            }
        }
        for (const CLineSummary* s : {&built, &appended, &reserved}) {
            const CDrawnSpan span = s->DrawnRange(y.data(), excluded, a, b);
            ASSERT_EQ(span.Valid, !std::isnan(mx)) << a << ".." << b;
            if (span.Valid) {
                EXPECT_EQ(span.Min, mn) << a << ".." << b;
                EXPECT_EQ(span.Max, mx) << a << ".." << b;
                if (!std::isnan(held[a])) {
                    EXPECT_EQ(span.First, held[a]) << a;
                }
                EXPECT_EQ(span.Last, held[b - 1]) << b;
            }
            const CSampleStatistics st = s->Statistics(y.data(), excluded, a, b);
            ASSERT_EQ(st.Count, count) << a << ".." << b;
            if (count) {
                EXPECT_EQ(st.Min, smin);
                EXPECT_EQ(st.Max, smax);
                EXPECT_NEAR(st.Sum, sum, 1e-9 * static_cast<double>(count));
            }
        }
    }
    EXPECT_LT(built.MemoryBytes(), n * 4);
}

// Samples that are no numbers count for neither extreme of a column; a column of nothing else has no
// drawn value, and one that starts or ends with such a sample starts at its lowest or ends at its
// highest value. Stretches within one block of samples and across blocks, with and without an excluded
// sample in them.
TEST(LineSummary, SamplesThatAreNoNumbersCountForNeitherExtreme) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> y(48, 1.0);
    y[0] = y[3] = y[20] = y[47] = nan;
    y[1] = 2.0;
    y[2] = 5.0;
    y[4] = -1.0;
    y[21] = 7.0;
    y[30] = -4.0;
    const struct {
        const char* name;
        std::vector<unsigned> excluded;
        std::size_t begin, end;
        bool valid;
        double min, max, first, last;
    } cases[] = {
        {"only a nan", {}, 0, 1, false, 0, 0, 0, 0},
        {"starts with a nan", {}, 0, 3, true, 2.0, 5.0, 2.0, 5.0},
        {"nan inside", {}, 1, 5, true, -1.0, 5.0, 2.0, -1.0},
        {"across blocks", {}, 2, 40, true, -4.0, 7.0, 5.0, 1.0},
        {"ends with a nan", {}, 40, 48, true, 1.0, 1.0, 1.0, 1.0},
        {"nan after an excluded sample", {19}, 17, 22, true, 1.0, 7.0, 1.0, 7.0},
        {"excluded keeps the value before", {4}, 2, 6, true, 1.0, 5.0, 5.0, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CLineSummary summary;
        summary.Rebuild(y.data(), y.size(), c.excluded);
        const CDrawnSpan span = summary.DrawnRange(y.data(), c.excluded, c.begin, c.end);
        ASSERT_EQ(span.Valid, c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(span.Min, c.min);
        EXPECT_EQ(span.Max, c.max);
        EXPECT_EQ(span.First, c.first);
        EXPECT_EQ(span.Last, c.last);
    }
}

CLineData MakeLine(std::vector<double> x, std::vector<double> y, std::vector<unsigned> excluded) {
    CLineData line;
    line.X.assign(x.begin(), x.end());
    line.Y.assign(y.begin(), y.end());
    line.Excluded = std::move(excluded);
    line.Summary.Rebuild(line.Y.data(), line.Y.size(), line.Excluded);
    return line;
}

TEST(MarkerStatistics, SkipsExcludedSamplesAndIsNotValidWhenNoneRemain) {
    const CLineData line = MakeLine({0, 1, 2, 3, 4}, {5, 2e38, 1, 3, 2e38}, {1, 4});
    const CMarkerStatistics s = MarkerStatistics(line, 3, 0);
    EXPECT_EQ(s.Valid, 1);
    EXPECT_EQ(s.Maximum, 5);
    EXPECT_EQ(s.Minimum, 1);
    EXPECT_DOUBLE_EQ(s.Mean, 3);
    // 3 s at a mean of 3 A is 9 A*s, 2.5 mAh.
    EXPECT_DOUBLE_EQ(s.Product, 2.5);

    const CLineData flat = MakeLine({0, 1, 2}, {0.1, 0.1, 0.1}, {});
    const CMarkerStatistics f = MarkerStatistics(flat, 0, 2);
    EXPECT_EQ(f.Valid, 1) << "equal samples whose summed mean rounds above them";
    EXPECT_EQ(f.Mean, 0.1);
    const double big = std::numeric_limits<double>::max();
    EXPECT_EQ(MarkerStatistics(MakeLine({0, 1}, {big, big}, {}), 0, 1).Valid, 0) << "the sum overflowed";

    const CLineData allExcluded = MakeLine({0, 1, 2}, {2e38, 2e38, 2e38}, {0, 1, 2});
    EXPECT_EQ(MarkerStatistics(allExcluded, 0, 2).Valid, 0);
    EXPECT_EQ(MarkerStatistics(line, 2, 2).Valid, 0);
    EXPECT_EQ(MarkerStatistics(line, 0, 5).Valid, 0);
}

TEST(MarkerSnap, SparseSamplesTakeTheNearerSampleAndDenseOnesTheirFraction) {
    CLineData line = MakeLine({0, 1, 2, 3, 4}, {0, 1, 2, 3, 4}, {});
    CPlotMapping m;
    m.area = {0, 0, 400, 100};
    m.hMin = 0;
    m.hMax = 4;
    const CDrawnRange drawn{true, 0, 4, 0, 400};
    EXPECT_EQ(SnapToSample(line, drawn, m, 140).Index, 1u);
    EXPECT_EQ(SnapToSample(line, drawn, m, 160).Index, 2u);
    EXPECT_EQ(SnapToSample(line, drawn, m, 150).Index, 2u) << "a tie takes the later sample";
    EXPECT_EQ(SnapToSample(line, drawn, m, 900).Index, 4u);
    EXPECT_FALSE(SnapToSample(line, CDrawnRange{}, m, 100).Found);
    m.hMax = 8;
    EXPECT_FALSE(SnapToSample(line, drawn, m, 300).Found) << "the value 6 lies after the last sample";
    EXPECT_TRUE(SnapToSample(line, drawn, m, 150).Found);
    const CLineData backwards = MakeLine({1, 1, 2}, {0, 1, 2}, {});
    EXPECT_FALSE(SnapToSample(backwards, drawn, m, 60).Found) << "first two times not increasing";
    m.hMax = 4;

    std::vector<double> x(4000), y(4000);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = y[i] = static_cast<double>(i);
    CLineData dense = MakeLine(x, y, {});
    m.hMax = 3999;
    const CDrawnRange denseDrawn{true, 0, 3999, 0, 400};
    EXPECT_EQ(SnapToSample(dense, denseDrawn, m, 100).Index, 1000u);
    EXPECT_EQ(SnapToSample(dense, denseDrawn, m, -5).Index, 0u);
    EXPECT_EQ(SnapToSample(dense, denseDrawn, m, 500).Index, 3999u);
}

// A small picture fits in the file's write buffer: the full disk shows at the close, which must count.
TEST(BitmapFile, AFullDiskIsAFailedSave) {
    QStringList messages;
    const platform::MessageBoxSink previous =
        platform::SetMessageBoxSink([&](const QString& text, const QString&, unsigned) {
            messages.append(text);
            return platform::IDOK;
        });
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plot.bmp"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), path));
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    EXPECT_EQ(waveform::SaveBitmapFile(path, image, image.rect()), 0);
    EXPECT_EQ(messages.size(), 1);
    const QString good = dir.filePath(QStringLiteral("good.bmp"));
    EXPECT_EQ(waveform::SaveBitmapFile(good, image, image.rect()), 1);
    EXPECT_EQ(QFile(good).size(), 54 + 3 * 12);
    platform::SetMessageBoxSink(previous);
}

} // namespace
