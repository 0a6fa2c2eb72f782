#include "waveform/tailplot/CcdfCurve.h"

#include <benchmark/benchmark.h>
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

void BM_Ccdf(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const std::vector<double>& samples = Readings(n);
    tailplot::CCcdfCurve curve;
    for (auto _ : state) {
        tailplot::ComputeCcdf(samples.data(), n, curve);
        benchmark::DoNotOptimize(curve.Y.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(BM_Ccdf)->Arg(10'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

} // namespace
