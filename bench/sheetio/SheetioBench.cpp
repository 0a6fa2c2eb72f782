// Writing and reading a 65,535 x 4 workbook of doubles, beside xlrd reading the same file and the
// xlsx package writing the same values. Each side is timed the same way: warm, inside its own
// process, the median of several runs, library loading excluded; each side's output is checked
// against the values written. Figures are reported as counters.
#include "lumora/sheetio/ExcelDocument.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int ROWS = 65535;
constexpr int COLS = 4;
constexpr int REPEATS = 5;

// The same expression in the peers' scripts, so both sides check the very same doubles.
double Value(int r, int c) {
    return (r * COLS + c + 1) * 1.000000001e-7 + c;
}

QString WorkFolder() {
    static QTemporaryDir dir;
    return dir.path();
}

bool WriteOurs(const QString& path) {
    ExcelDocument doc;
    doc.New();
    ExcelSheet* sheet = doc.GetSheet(0);
    for (int r = 0; r < ROWS; ++r)
        for (int c = 0; c < COLS; ++c) {
            ExcelCell* cell = sheet->Cell(r, c);
            cell->type = ExcelCell::eDouble;
            cell->dval = Value(r, c);
        }
    return doc.SaveAs(path);
}

// Every value of the first sheet, row by row; empty when the file does not load.
std::vector<double> ReadOurs(const QString& path) {
    std::vector<double> values;
    ExcelDocument doc;
    if (!doc.Load(path) || !doc.GetSheet(0))
        return values;
    const ExcelSheet* sheet = doc.GetSheet(0);
    values.reserve(static_cast<size_t>(sheet->GetTotalRows()) * static_cast<size_t>(sheet->GetTotalCols()));
    for (int r = 0; r < sheet->GetTotalRows(); ++r)
        for (int c = 0; c < sheet->GetTotalCols(); ++c)
            values.push_back(sheet->CellAt(r, c)->GetDouble());
    return values;
}

int Mismatches(const std::vector<double>& values) {
    if (values.size() != static_cast<size_t>(ROWS) * COLS)
        return ROWS * COLS;
    int wrong = 0;
    for (int r = 0; r < ROWS; ++r)
        for (int c = 0; c < COLS; ++c)
            wrong += values[static_cast<size_t>(r) * COLS + c] != Value(r, c);
    return wrong;
}

template <class F> double MedianSeconds(F&& f) {
    std::vector<double> seconds;
    for (int i = 0; i < REPEATS; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

// Runs a peer script that prints one JSON object; empty on failure.
QJsonObject RunPeer(const QString& program, const QStringList& args, const QString& nodePath = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!nodePath.isEmpty())
        env.insert("NODE_PATH", nodePath);
    process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

long StatusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return -1;
}

// Run as "--load-peak <file>": loads the file in this fresh process and prints the growth of the
// resident set at its peak and after the load, in kilobytes. A fresh process, because a forked one
// would reuse heap pages the benchmark process has already touched.
int LoadPeakMain(const char* file) {
    const long before = StatusKilobytes("VmRSS:");
    ExcelDocument doc;
    if (!doc.Load(QString::fromLocal8Bit(file)))
        return 1;
    const long peak = StatusKilobytes("VmHWM:");
    const long after = StatusKilobytes("VmRSS:");
    std::printf("{\"peak_kB\":%ld,\"kept_kB\":%ld}\n", peak - before, after - before);
    return 0;
}

// Run as "--read-once <file>": one cold read of every value, as a process of its own.
int ReadOnceMain(const char* file) {
    return Mismatches(ReadOurs(QString::fromLocal8Bit(file))) == 0 ? 0 : 1;
}

QString Self() {
    return QFileInfo("/proc/self/exe").symLinkTarget();
}

// Median wall time of running the program as a whole process, start-up included; -1 on failure.
double MedianProcessSeconds(const QString& program, const QStringList& args) {
    bool failed = false;
    const double seconds = MedianSeconds([&] {
        QProcess process;
        process.start(program, args);
        failed = failed || !process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
                 process.exitCode() != 0;
    });
    return failed ? -1 : seconds;
}

void BM_WriteWorkbook(benchmark::State& state) {
    const QString path = WorkFolder() + "/ours.xls";
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteOurs(path));
    state.SetItemsProcessed(state.iterations() * ROWS * COLS);
}

void BM_ReadWorkbook(benchmark::State& state) {
    const QString path = WorkFolder() + "/ours.xls";
    WriteOurs(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadOurs(path));
    state.SetItemsProcessed(state.iterations() * ROWS * COLS);
}

void BM_ReadAgainstXlrd(benchmark::State& state) {
    const QString path = WorkFolder() + "/ours.xls";
    if (!WriteOurs(path)) {
        state.SkipWithError("our writer failed");
        return;
    }
    QJsonObject peer;
    std::vector<double> values;
    double ours = 0;
    for (auto _ : state) {
        peer = RunPeer("/usr/bin/python3", {LUMORA_BENCH_DIR "/xlrd_read.py", path, QString::number(ROWS),
                                            QString::number(COLS), QString::number(REPEATS)});
        ours = MedianSeconds([&] { values = ReadOurs(path); });
    }
    if (peer.isEmpty()) {
        state.SkipWithError("xlrd did not run");
        return;
    }
    const double theirs = peer["seconds"].toDouble();
    state.counters["ours_ms"] = ours * 1e3;
    state.counters["xlrd_ms"] = theirs * 1e3;
    state.counters["speedup"] = theirs / ours;
    state.counters["ours_wrong"] = Mismatches(values);
    state.counters["xlrd_wrong"] = peer["mismatches"].toDouble(-1);
    if (Mismatches(values) != 0 || peer["mismatches"].toInt(-1) != 0)
        state.SkipWithError("a reader did not read the values written");
}

void BM_ReadMemory(benchmark::State& state) {
    const QString path = WorkFolder() + "/ours.xls";
    if (!WriteOurs(path)) {
        state.SkipWithError("our writer failed");
        return;
    }
    QJsonObject figures;
    for (auto _ : state)
        figures = RunPeer(Self(), {"--load-peak", path});
    if (figures.isEmpty()) {
        state.SkipWithError("the peak could not be measured");
        return;
    }
    const double file = static_cast<double>(QFileInfo(path).size());
    const double peak = figures["peak_kB"].toDouble() * 1024;
    state.counters["file_MB"] = file / 1048576.0;
    state.counters["load_peak_MB"] = peak / 1048576.0;
    state.counters["kept_MB"] = figures["kept_kB"].toDouble() / 1024;
    state.counters["peak_per_file"] = peak / file;
}

// Each side as one cold process: start-up, library loading and the read, as a user meets them.
void BM_ReadColdAgainstXlrd(benchmark::State& state) {
    const QString path = WorkFolder() + "/ours.xls";
    if (!WriteOurs(path)) {
        state.SkipWithError("our writer failed");
        return;
    }
    double ours = -1, theirs = -1;
    for (auto _ : state) {
        ours = MedianProcessSeconds(Self(), {"--read-once", path});
        theirs =
            MedianProcessSeconds("/usr/bin/python3", {LUMORA_BENCH_DIR "/xlrd_read.py", path,
                                                      QString::number(ROWS), QString::number(COLS), "1"});
    }
    if (ours < 0 || theirs < 0) {
        state.SkipWithError("a reader failed or read other values");
        return;
    }
    state.counters["ours_ms"] = ours * 1e3;
    state.counters["xlrd_ms"] = theirs * 1e3;
    state.counters["speedup"] = theirs / ours;
}

void BM_WriteAgainstXlsx(benchmark::State& state) {
    const QString ours = WorkFolder() + "/ours.xls";
    const QString theirs = WorkFolder() + "/xlsx.xls";
    QJsonObject peer;
    double mine = 0;
    for (auto _ : state) {
        peer = RunPeer("node",
                       {LUMORA_BENCH_DIR "/xlsx_write.js", theirs, QString::number(ROWS),
                        QString::number(COLS), QString::number(REPEATS)},
                       LUMORA_SOURCE_DIR "/tests/peer/node_modules");
        mine = MedianSeconds([&] { benchmark::DoNotOptimize(WriteOurs(ours)); });
    }
    if (peer.isEmpty()) {
        state.SkipWithError("the xlsx package did not run");
        return;
    }
    // Both files hold the values written.
    const int oursWrong = Mismatches(ReadOurs(ours));
    const int theirsWrong = Mismatches(ReadOurs(theirs));
    const double peerSeconds = peer["seconds"].toDouble();
    state.counters["ours_ms"] = mine * 1e3;
    state.counters["xlsx_ms"] = peerSeconds * 1e3;
    state.counters["speedup"] = peerSeconds / mine;
    state.counters["ours_wrong"] = oursWrong;
    state.counters["xlsx_wrong"] = theirsWrong;
    if (oursWrong != 0 || theirsWrong != 0)
        state.SkipWithError("a written file does not hold the values written");
}

} // namespace

BENCHMARK(BM_WriteWorkbook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadWorkbook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAgainstXlrd)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReadColdAgainstXlrd)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReadMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WriteAgainstXlsx)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--load-peak")
        return LoadPeakMain(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "--read-once")
        return ReadOnceMain(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
