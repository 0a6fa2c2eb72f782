#include "waveform/common/LineSummary.h"
#include "waveform/common/ScrollBarCtrl.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <random>

#include "platform/ProgramFolder.h"

namespace {

QApplication* g_app = nullptr;

QApplication& App() {
    return *g_app;
}

// A 1920 x 1080 plot holding n samples of a low-current profile: sleep current with 40 short bursts of
// milliamps over the whole run, so that every sample count shows the same picture.
struct CPlot {
    explicit CPlot(std::size_t n) {
        platform::SetProgramFolderOverride(folder.path() + QLatin1Char('/'));
        frame.Create(nullptr, nullptr, QRect(0, 0, 1920 + 15, 1080 + 15));
        for (QWidget* child : frame.findChildren<QWidget*>())
            if (auto* p = dynamic_cast<CWaveformTimeVsAmpWnd*>(child))
                plot = p;
        std::vector<double> x(n), y(n);
        std::mt19937 rng(1);
        std::normal_distribution<double> noise(0.0, 2e-7);
        for (std::size_t i = 0; i < n; ++i) {
            x[i] = 2e-5 * static_cast<double>(i);
            y[i] = 5e-6 + noise(rng) + ((i * 40 / n) * n / 40 + n / 400 > i ? 3e-3 : 0.0);
        }
        frame.SetDataMultiLine(0, x.data(), y.data(), static_cast<unsigned>(n), 1);
        frame.SetAxisAdaptive();
        frame.ReDrawWaveformWnd(1, 1, 1);
    }
    QApplication& app = App();
    QTemporaryDir folder;
    CWaveformTimeVsAmpMainWnd frame;
    CWaveformTimeVsAmpWnd* plot = nullptr;
};

// The plots of the run; emptied by main before the application object goes.
std::map<std::size_t, std::unique_ptr<CPlot>>& Plots() {
    static std::map<std::size_t, std::unique_ptr<CPlot>> plots;
    return plots;
}

CPlot& PlotOf(std::size_t n) {
    auto& plots = Plots();
    // One large plot at a time keeps the bench within memory.
    auto it = plots.find(n);
    if (it == plots.end()) {
        plots.clear();
        it = plots.emplace(n, std::make_unique<CPlot>(n)).first;
    }
    return *it->second;
}

void BM_Redraw(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    CPlot& p = PlotOf(n);
    for (auto _ : state)
        p.frame.ReDrawWaveformWnd(1, 1, 1);
    const double copyBytes = static_cast<double>(p.frame.GetDataMultiLineX(0).capacity() +
                                                 p.frame.GetDataMultiLineY(0).capacity()) *
                             sizeof(double);
    state.counters["copy_bytes_per_sample"] = copyBytes / static_cast<double>(n);
}
BENCHMARK(BM_Redraw)->Arg(10'000)->Arg(10'000'000)->Arg(100'000'000)->Unit(benchmark::kMillisecond);

void BM_MarkerDragStep(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    CPlot& p = PlotOf(n);
    p.frame.SetMarkerVisible(1, 1);
    p.frame.ReDrawWaveformWnd(1, 1, 1);
    const waveform::CPlotArea a = p.plot->GetPlotArea();
    const int y = (a.top + a.bottom) / 2;
    QTest::mouseMove(p.plot, QPoint(a.left + 1, y));
    QTest::mousePress(p.plot, Qt::LeftButton, Qt::NoModifier, QPoint(a.left + 1, y));
    int step = 0;
    for (auto _ : state) {
        QTest::mouseMove(p.plot, QPoint(a.left + 100 + (step++ % 1000), y));
    }
    QTest::mouseRelease(p.plot, Qt::LeftButton, Qt::NoModifier, QPoint(a.left + 100, y));
}
BENCHMARK(BM_MarkerDragStep)->Arg(100'000'000)->Unit(benchmark::kMillisecond);

void BM_SummaryBytes(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    std::vector<double> y(n);
    for (std::size_t i = 0; i < n; ++i)
        y[i] = std::sin(0.001 * static_cast<double>(i));
    const std::vector<unsigned> excluded;
    waveform::CLineSummary summary;
    for (auto _ : state)
        summary.Rebuild(y.data(), n, excluded);
    state.counters["summary_bytes_per_sample"] =
        static_cast<double>(summary.MemoryBytes()) / static_cast<double>(n);
}
BENCHMARK(BM_SummaryBytes)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

// Resident bytes of the process.
double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096.0;
}

// One tick of a data-logging run on the two-axis plot with n samples already logged: the new slice is
// handed over, the axes refitted and (second argument 1) every layer redrawn, as the data-logging page
// does per tick.
void BM_LogTick(benchmark::State& state) {
    const bool redraw = state.range(1) != 0;
    constexpr unsigned kSlice = 1000, kTicks = 200;
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const std::size_t total = n + std::size_t{kSlice} * kTicks;
    std::vector<double> x(total), y(total);
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0.0, 2e-7);
    for (std::size_t i = 0; i < total; ++i) {
        x[i] = 1e-3 * static_cast<double>(i);
        // 40 bursts over the run, as in CPlot, so that both sizes show the same picture.
        y[i] = 5e-6 + noise(rng) + ((i * 40 / total) * total / 40 + total / 400 > i ? 3e-3 : 0.0);
    }
    QTemporaryDir folder;
    platform::SetProgramFolderOverride(folder.path() + QLatin1Char('/'));
    App();
    CWaveformComboMainWnd frame;
    frame.Create(nullptr, nullptr, QRect(0, 0, 1920 + 30, 1080 + 15));
    const double before = ResidentBytes();
    frame.InitialMemory(static_cast<unsigned>(total));
    frame.SetDataIndex(x.data(), y.data(), 0, static_cast<unsigned>(n), 1);
    const double plotBytes = ResidentBytes() - before;
    frame.SetAxisAdaptive();
    frame.ReDrawWaveformWnd(1, 1, 1);
    unsigned start = static_cast<unsigned>(n);
    for (auto _ : state) {
        frame.SetDataIndex(x.data(), y.data(), start, kSlice, 1);
        frame.SetAxisAdaptive();
        if (redraw)
            frame.ReDrawWaveformWnd(1, 1, 1);
        start += kSlice;
    }
    state.counters["plot_bytes_per_sample"] = plotBytes / static_cast<double>(n);
    state.counters["logged"] = static_cast<double>(frame.GetMultiLineDataLength(0));
}
BENCHMARK(BM_LogTick)
    ->ArgsProduct({{10'000, 6'000'000}, {0, 1}})
    ->ArgNames({"logged", "redraw"})
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

// Widgets must be gone before the application object, and the application before the statics Qt
// tears down at exit: both are ended here, in that order.
int main(int argc, char** argv) {
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    auto app = std::make_unique<QApplication>(qtArgc, qtArgv);
    g_app = app.get();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Plots().clear();
    app.reset();
    g_app = nullptr;
    return 0;
}
