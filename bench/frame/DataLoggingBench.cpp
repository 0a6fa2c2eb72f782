// The data-logging page's costs at the size of the longest run (6,000,000 samples): the CSV export
// interleaved with Python's csv module, pandas and numpy writing the same rows, and the memory a
// logged sample takes with every copy of it (the run's arrays and the page's plot).
#include "bench/support/LinePeer.h"
#include "lumora/core/BinDataFile.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/PageFiles.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "lumora/core/SampleStore.h"
#include "platform/LargeBlock.h"
#include "platform/ProgramFolder.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
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

// The peers' script, started once and asked one command at a time.
class CPeers {
public:
    explicit CPeers(const QString& samples)
        : m_peer(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(LUMORA_BENCH_DIR "/csv_peers.py"), samples}) {}
    QString Ask(const QString& command, const QString& path) {
        return QString::fromLatin1(m_peer.Ask(command + u' ' + path));
    }

private:
    benchsupport::CLinePeer m_peer;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The export of a whole run, interleaved with Python's csv module (the very same text), pandas
// to_csv and numpy savetxt: each repetition runs ours and then each peer into a new file, and the
// figures are the medians. Our file must equal the csv module's; every file is read back and its
// numbers compared with the samples.
void BM_CsvExportAgainstPeers(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    constexpr int kRepeats = 3;
    std::vector<double> times, values;
    MakeRun(n, times, values);
    QTemporaryDir folder;
    const QString samples = folder.filePath(QStringLiteral("samples.bin"));
    if (CBinDataFile().Write(times.data(), values.data(), static_cast<unsigned>(n), samples) != 1) {
        state.SkipWithError("cannot write the samples for the peers");
        return;
    }
    const MainPreferences preferences;
    const QStringList peers{QStringLiteral("csv"), QStringLiteral("pandas"), QStringLiteral("numpy")};
    CPeers python(samples);
    std::vector<double> ours, oursCpu;
    std::map<QString, std::vector<double>> theirs;
    auto file = [&](const QString& who) { return folder.filePath(who + QStringLiteral(".csv")); };
    for (auto _ : state) {
        for (int i = 0; i < kRepeats; ++i) {
            QFile::remove(file(QStringLiteral("ours")));
            const auto start = std::chrono::steady_clock::now();
            const std::clock_t cpu = std::clock();
            if (WriteTimeValueText(file(QStringLiteral("ours")), "Time,Current DC", ',', times.data(),
                                   values.data(), n, preferences) != 1) {
                state.SkipWithError("the export failed");
                return;
            }
            ours.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            oursCpu.push_back(static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC);
            for (const QString& peer : peers) {
                QFile::remove(file(peer));
                bool ok = false;
                const double seconds = python.Ask(peer, file(peer)).toDouble(&ok);
                if (!ok) {
                    state.SkipWithError("a peer failed");
                    return;
                }
                theirs[peer].push_back(seconds);
            }
        }
        state.SetIterationTime(Median(ours));
    }
    if (!SameFiles(file(QStringLiteral("ours")), file(QStringLiteral("csv"))))
        state.SkipWithError("our file differs from the csv module's");
    int wrong = 0;
    for (const QString& who : {QStringLiteral("ours"), QStringLiteral("pandas"), QStringLiteral("numpy")})
        wrong += python.Ask(QStringLiteral("check"), file(who)).toInt();
    if (wrong != 0)
        state.SkipWithError("a file does not hold the samples");
    state.counters["ours_s"] = Median(ours);
    state.counters["ours_cpu_s"] = Median(oursCpu);
    for (const QString& peer : peers) {
        state.counters[peer.toStdString() + "_s"] = Median(theirs[peer]);
        state.counters[peer.toStdString() + "_ratio"] = Median(theirs[peer]) / Median(ours);
    }
    state.counters["wrong"] = wrong;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kRepeats *
                            QFile(file(QStringLiteral("ours"))).size());
}
BENCHMARK(BM_CsvExportAgainstPeers)
    ->Arg(kLongestRun)
    ->UseManualTime()
    ->Iterations(1)
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
