// The data-logging page's costs at the size of the longest run (6,000,000 samples): the CSV export
// interleaved with Python's csv module, pandas and numpy writing the same rows, and the memory a
// logged sample takes with every copy of it (the run's arrays and the page's plot).
#include "bench/support/Figures.h"
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
#include <fcntl.h>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <unistd.h>
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
    CPeers(const QString& samples, const QProcessEnvironment& environment)
        : m_peer(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(LUMORA_BENCH_DIR "/csv_peers.py"), samples}, environment) {}
    QString Ask(const QString& command, const QString& path) {
        return QString::fromLatin1(m_peer.Ask(command + u' ' + path));
    }

private:
    benchsupport::CLinePeer m_peer;
};

// The least a text export of the same bytes costs: the file copied while it is in the page cache, in
// pieces of a megabyte, into a new file beside the copy's place. Durable: flushed to the disk and
// renamed over the copy, as our save replaces a file. The seconds; negative when a step failed.
double CopySeconds(const QString& from, const QString& to, bool durable) {
    const QByteArray source = QFile::encodeName(from), target = QFile::encodeName(to),
                     temporary = target + ".tmp";
    static std::vector<char> buffer(std::size_t{1} << 20);
    const auto start = std::chrono::steady_clock::now();
    const int in = ::open(source.constData(), O_RDONLY | O_CLOEXEC);
    const int out = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = in >= 0 && out >= 0;
    for (ssize_t got = 0; ok && (got = ::read(in, buffer.data(), buffer.size())) != 0;)
        ok = got > 0 && ::write(out, buffer.data(), static_cast<std::size_t>(got)) == got;
    if (durable)
        ok = ok && ::fsync(out) == 0 && ::rename(temporary.constData(), target.constData()) == 0;
    ok = (in < 0 || ::close(in) == 0) && (out < 0 || ::close(out) == 0) && ok;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::unlink(temporary.constData());
    return ok ? seconds : -1.0;
}

// The export of a whole run, interleaved with Python's csv module (the very same text), pandas
// to_csv and numpy savetxt, each peer both with the page policy it gets by default and with ours
// (benchsupport::HugePagePolicy), and with the limit: a copy of our file while it is in the page
// cache, plain and durable (flushed and renamed, as our save is). Each repetition runs ours, the
// limits and then each peer into new files, each once the files before it are on the disk (sync), so
// that none pays for the writing back of another's; the figures are the medians. Our file must equal
// the csv module's, and every file is read back and its numbers compared with the samples as its
// writer's formats write them.
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
    // The peers with their own page policy, and with ours.
    CPeers python[2] = {CPeers(samples, QProcessEnvironment::systemEnvironment()),
                        CPeers(samples, benchsupport::HugePagePolicy())};
    const char* const policy[2] = {"", "_hugepages"};
    std::vector<double> ours, oursCpu, copy, durableCopy, load;
    std::map<std::string, std::vector<double>> theirs;
    auto file = [&](const QString& who) { return folder.filePath(who + QStringLiteral(".csv")); };
    const QString oursFile = file(QStringLiteral("ours"));
    for (auto _ : state) {
        for (int i = 0; i < kRepeats; ++i) {
            load.push_back(benchsupport::LoadAverage());
            QFile::remove(oursFile);
            // No run pays for the writing back of the files before it.
            ::sync();
            const auto start = std::chrono::steady_clock::now();
            const std::clock_t cpu = std::clock();
            if (WriteTimeValueText(oursFile, "Time,Current DC", ',', times.data(), values.data(), n,
                                   preferences) != 1) {
                state.SkipWithError("the export failed");
                return;
            }
            ours.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            oursCpu.push_back(static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC);
            ::sync();
            copy.push_back(CopySeconds(oursFile, file(QStringLiteral("copy")), false));
            ::sync();
            durableCopy.push_back(CopySeconds(oursFile, file(QStringLiteral("copy")), true));
            if (copy.back() < 0 || durableCopy.back() < 0) {
                state.SkipWithError("the copy of our file failed");
                return;
            }
            for (int p = 0; p < 2; ++p) {
                for (const QString& peer : peers) {
                    const QString path = file(peer + QString::fromLatin1(policy[p]));
                    QFile::remove(path);
                    ::sync();
                    bool ok = false;
                    const double seconds = python[p].Ask(peer, path).toDouble(&ok);
                    if (!ok) {
                        state.SkipWithError("a peer failed");
                        return;
                    }
                    theirs[peer.toStdString() + policy[p]].push_back(seconds);
                }
            }
        }
        state.SetIterationTime(benchsupport::Median(ours));
    }
    int wrong = 0;
    for (int p = 0; p < 2; ++p) {
        if (!SameFiles(oursFile, file(QStringLiteral("csv") + QString::fromLatin1(policy[p]))))
            state.SkipWithError("our file differs from the csv module's");
        for (const QString& peer : peers)
            wrong += python[0]
                         .Ask(QStringLiteral("check ") + peer, file(peer + QString::fromLatin1(policy[p])))
                         .toInt();
    }
    wrong += python[0].Ask(QStringLiteral("check ours"), oursFile).toInt();
    if (wrong != 0)
        state.SkipWithError("a file does not hold the samples");
    const double oursSeconds = benchsupport::Median(ours);
    state.counters["ours_s"] = oursSeconds;
    state.counters["ours_cpu_s"] = benchsupport::Median(oursCpu);
    state.counters["copy_s"] = benchsupport::Median(copy);
    state.counters["copy_ratio"] = oursSeconds / benchsupport::Median(copy);
    state.counters["durable_copy_s"] = benchsupport::Median(durableCopy);
    state.counters["durable_copy_ratio"] = oursSeconds / benchsupport::Median(durableCopy);
    for (const auto& [peer, seconds] : theirs) {
        state.counters[peer + "_s"] = benchsupport::Median(seconds);
        state.counters[peer + "_ratio"] = benchsupport::Median(seconds) / oursSeconds;
    }
    state.counters["load"] = benchsupport::Median(load);
    state.counters["wrong"] = wrong;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kRepeats *
                            QFile(oursFile).size());
}
BENCHMARK(BM_CsvExportAgainstPeers)
    ->Arg(kLongestRun)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The export alone against its limits, without the peers, in more repetitions: quick to run again
// while the export is worked on.
void BM_CsvExportAgainstCopy(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<double> times, values;
    MakeRun(n, times, values);
    QTemporaryDir folder;
    const MainPreferences preferences;
    const QString oursFile = folder.filePath(QStringLiteral("ours.csv")),
                  copyFile = folder.filePath(QStringLiteral("copy.csv"));
    std::vector<double> ours, copy, durableCopy, load;
    for (auto _ : state) {
        load.push_back(benchsupport::LoadAverage());
        QFile::remove(oursFile);
        ::sync();
        const auto start = std::chrono::steady_clock::now();
        if (WriteTimeValueText(oursFile, "Time,Current DC", ',', times.data(), values.data(), n,
                               preferences) != 1) {
            state.SkipWithError("the export failed");
            return;
        }
        ours.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        state.SetIterationTime(ours.back());
        ::sync();
        copy.push_back(CopySeconds(oursFile, copyFile, false));
        ::sync();
        durableCopy.push_back(CopySeconds(oursFile, copyFile, true));
    }
    if (!SameFiles(oursFile, copyFile))
        state.SkipWithError("the copy differs");
    const double oursSeconds = benchsupport::Median(ours);
    state.counters["ours_s"] = oursSeconds;
    state.counters["copy_s"] = benchsupport::Median(copy);
    state.counters["copy_ratio"] = oursSeconds / benchsupport::Median(copy);
    state.counters["durable_copy_s"] = benchsupport::Median(durableCopy);
    state.counters["durable_copy_ratio"] = oursSeconds / benchsupport::Median(durableCopy);
    state.counters["load"] = benchsupport::Median(load);
}
BENCHMARK(BM_CsvExportAgainstCopy)
    ->Arg(kLongestRun)
    ->UseManualTime()
    ->Iterations(15)
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
