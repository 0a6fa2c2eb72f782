#include "waveform/tailplot/CcdfCurve.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <random>
#include <vector>

namespace {

// A data-logging run's readings: microamp sleep current with noise, one in fifty in a milliamp burst,
// a few at or below zero and a few overflow readings.
const std::vector<double>& Readings(std::size_t n) {
    static std::vector<double> samples;
    if (samples.size() != n) {
        samples.resize(n);
        std::mt19937 rng(7);
        std::normal_distribution<double> sleep(5e-6, 2e-6);
        std::uniform_real_distribution<double> burst(1e-3, 5e-3);
        for (std::size_t i = 0; i < n; ++i)
            samples[i] = i % 50 < 1 ? burst(rng) : i % 100000 == 7 ? 9.9e37 : sleep(rng);
    }
    return samples;
}

// The distribution worked the plain way, to check the timed one against: the readings sorted, each
// counted into the bin whose interval holds it, the empty bins but the first dropped, percents summed
// from the top.
tailplot::CCcdfCurve Reference(const std::vector<double>& samples) {
    std::vector<double> readings;
    for (double v : samples)
        if (v >= -tailplot::kOverflowReading && v <= tailplot::kOverflowReading)
            readings.push_back(v);
    std::sort(readings.begin(), readings.end());
    tailplot::CCcdfCurve curve;
    const unsigned bins = tailplot::CcdfBinCount(readings.size());
    if (bins == 0)
        return curve;
    const double lo = readings.front(), width = (readings.back() - lo) / bins;
    std::vector<double> count(bins, 0.0);
    unsigned bin = 0;
    for (double v : readings) {
        while (bin + 1 < bins && v >= lo + (bin + 1) * width)
            ++bin;
        ++count[bin];
    }
    double above = 0.0;
    std::vector<double> x, y;
    for (unsigned k = bins; k-- > 0;) {
        above += count[k];
        if (count[k] == 0 && k != 0)
            continue;
        x.push_back(lo + width / 2 + k * width);
        y.push_back(above / static_cast<double>(readings.size()) * 100.0);
    }
    curve.X.assign(x.rbegin(), x.rend());
    curve.Y.assign(y.rbegin(), y.rend());
    return curve;
}

bool Matches(const tailplot::CCcdfCurve& a, const tailplot::CCcdfCurve& b) {
    if (a.X.size() != b.X.size() || a.Y.size() != b.Y.size())
        return false;
    for (std::size_t i = 0; i < a.X.size(); ++i)
        if (std::fabs(a.X[i] - b.X[i]) > 1e-12 * std::fabs(b.X[i]) + 1e-300 ||
            std::fabs(a.Y[i] - b.Y[i]) > 1e-9)
            return false;
    return true;
}

void BM_Ccdf(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const std::vector<double>& samples = Readings(n);
    tailplot::CCcdfCurve curve;
    for (auto _ : state) {
        tailplot::ComputeCcdf(samples.data(), n, curve);
        benchmark::DoNotOptimize(curve.Y.data());
    }
    if (!Matches(curve, Reference(samples)))
        state.SkipWithError("the distribution differs from the reference");
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(BM_Ccdf)->Arg(10'000)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

} // namespace
