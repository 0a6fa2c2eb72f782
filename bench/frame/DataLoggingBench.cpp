// The data-logging page's costs at the size of the longest run (6,000,000 samples): the CSV export
// against Python's csv module writing the same rows in the same run, and the memory a logged sample
// takes with every copy of it (the run's arrays and the page's plot).
#include "lumora/core/BinDataFile.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/PageFiles.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "lumora/core/SampleStore.h"
#include "platform/MemoryPolicy.h"
#include "platform/ProgramFolder.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr std::size_t kLongestRun = 6'000'000;

// A run of n samples at 5 kHz: microamps of sleep current with short bursts of milliamps.
void MakeRun(std::size_t n, std::vector<double>& times, std::vector<double>& values) {
    times.resize(n);
    values.resize(n);
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 2e-7);
    for (std::size_t i = 0; i < n; ++i) {
        times[i] = 0.0002 * static_cast<double>(i);
        values[i] = 5e-6 + noise(rng) + (i % 5000 < 25 ? 3e-3 : 0.0);
    }
}

bool SameFiles(const QString& a, const QString& b) {
    QFile first(a), second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) ||
        first.size() != second.size())
        return false;
    while (!first.atEnd()) {
        if (first.read(1 << 20) != second.read(1 << 20))
            return false;
    }
    return true;
}

void BM_CsvExportAgainstPython(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<double> times, values;
    MakeRun(n, times, values);
    QTemporaryDir folder;
    const QString ours = folder.filePath(QStringLiteral("ours.csv"));
    const QString theirs = folder.filePath(QStringLiteral("python.csv"));
    const QString samples = folder.filePath(QStringLiteral("samples.bin"));
    const MainPreferences preferences;
    double seconds = 0.0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        if (WriteTimeValueText(ours, "Time,Current DC", ',', times.data(), values.data(), n, preferences) !=
            1)
            state.SkipWithError("the export failed");
        seconds = static_cast<double>(clock.nsecsElapsed()) * 1e-9;
        state.SetIterationTime(seconds);
    }
    if (CBinDataFile().Write(times.data(), values.data(), static_cast<unsigned>(n), samples) != 1) {
        state.SkipWithError("cannot write the samples for Python");
        return;
    }
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(LUMORA_BENCH_DIR "/python_csv_write.py"), samples, theirs});
    if (!python.waitForFinished(-1) || python.exitCode() != 0) {
        state.SkipWithError("python failed");
        return;
    }
    const double pythonSeconds = QString::fromLatin1(python.readAllStandardOutput()).trimmed().toDouble();
    if (!SameFiles(ours, theirs))
        state.SkipWithError("the two files differ");
    state.counters["python_s"] = pythonSeconds;
    state.counters["ours_s"] = seconds;
    state.counters["times_faster"] = pythonSeconds / seconds;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * QFile(ours).size());
}
BENCHMARK(BM_CsvExportAgainstPython)
    ->Arg(kLongestRun)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096.0;
}

// A whole run as it lives in the program: the run's sample store, which grows as samples arrive, and
// the page's plot, which is handed the samples slice by slice as the refresh ticks do.
void BM_MemoryPerLoggedSample(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<double> sourceTimes, sourceValues;
    MakeRun(n, sourceTimes, sourceValues);
    QTemporaryDir folder;
    platform::SetProgramFolderOverride(folder.path() + QLatin1Char('/'));
    double perSample = 0.0;
    for (auto _ : state) {
        auto page = std::make_unique<CQXAppDialogMeasDLOG>();
        page->resize(1600, 1000);
        page->OnInitDialog();
        const double before = ResidentBytes();
        CSampleStore store(n);
        page->ResetDataLogging();
        page->InitialMemory(static_cast<unsigned>(n));
        constexpr std::size_t kSlice = 50'000;
        for (std::size_t start = 0; start < n; start += kSlice) {
            const std::size_t count = std::min(kSlice, n - start);
            store.Append(sourceTimes.data() + start, sourceValues.data() + start, count);
            page->AppendMeasuredSamples(store, static_cast<unsigned>(start), static_cast<unsigned>(count), 1);
        }
        perSample = (ResidentBytes() - before) / static_cast<double>(n);
        benchmark::DoNotOptimize(page->Waveform()->GetMultiLineDataLength(0));
    }
    state.counters["bytes_per_sample"] = perSample;
    platform::SetProgramFolderOverride(QString());
}
BENCHMARK(BM_MemoryPerLoggedSample)->Arg(kLongestRun)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

// Widgets end before the application object, which ends before Qt's statics at exit.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // As the program does: the memory figures are the program's.
    platform::ReturnLargeBlocksToTheSystem();
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    auto app = std::make_unique<QApplication>(qtArgc, qtArgv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    app.reset();
    return 0;
}
