// Writing and reading back a 65,535 x 2 workbook of doubles, beside xlrd reading the same file and
// the xlsx package writing the same data. Times are reported as counters.
#include "lumora/sheetio/ExcelDocument.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

constexpr int ROWS = 65535;

double Time(int i) {
    return i * 1e-4;
}
double Current(int i) {
    return 1e-9 + (i % 977) * 3.1e-9;
}

QString WorkFolder() {
    static QTemporaryDir dir;
    return dir.path();
}

bool WriteOurs(const QString& path) {
    ExcelDocument doc;
    doc.New();
    ExcelSheet* sheet = doc.GetSheet(0);
    for (int i = 0; i < ROWS; ++i) {
        ExcelCell* t = sheet->Cell(i, 0);
        t->type = ExcelCell::eDouble;
        t->dval = Time(i);
        ExcelCell* v = sheet->Cell(i, 1);
        v->type = ExcelCell::eDouble;
        v->dval = Current(i);
    }
    return doc.SaveAs(path);
}

double ReadOurs(const QString& path) {
    ExcelDocument doc;
    if (!doc.Load(path))
        return -1;
    const ExcelSheet* sheet = doc.GetSheet(0);
    double sum = 0;
    for (int r = 0; r < sheet->GetTotalRows(); ++r)
        for (int c = 0; c < sheet->GetTotalCols(); ++c)
            sum += sheet->CellAt(r, c)->GetDouble();
    return sum;
}

template <class F> double Seconds(F&& f, int repeats) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeats; ++i)
        f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / repeats;
}

// Runs a peer that prints its own seconds; negative on failure.
double PeerSeconds(const QString& program, const QStringList& args, const QString& nodePath = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!nodePath.isEmpty())
        env.insert("NODE_PATH", nodePath);
    process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForFinished(300000) || process.exitCode() != 0)
        return -1;
    bool ok = false;
    const double seconds = process.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? seconds : -1;
}

void BM_WriteWorkbook(benchmark::State& state) {
    const QString path = WorkFolder() + "/ours.xls";
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteOurs(path));
    state.SetItemsProcessed(state.iterations() * ROWS * 2);
}

void BM_ReadWorkbook(benchmark::State& state) {
    const QString path = WorkFolder() + "/ours.xls";
    WriteOurs(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadOurs(path));
    state.SetItemsProcessed(state.iterations() * ROWS * 2);
}

void BM_ReadAgainstXlrd(benchmark::State& state) {
    const QString path = WorkFolder() + "/ours.xls";
    WriteOurs(path);
    double peer = 0;
    for (auto _ : state)
        peer = PeerSeconds("/usr/bin/python3", {LUMORA_BENCH_DIR "/xlrd_read.py", path});
    const double ours = Seconds([&] { benchmark::DoNotOptimize(ReadOurs(path)); }, 5);
    if (peer < 0)
        state.SkipWithError("xlrd did not run");
    state.counters["ours_ms"] = ours * 1e3;
    state.counters["xlrd_ms"] = peer * 1e3;
    state.counters["speedup"] = peer / ours;
}

void BM_WriteAgainstXlsx(benchmark::State& state) {
    const QString ours = WorkFolder() + "/ours.xls";
    const QString theirs = WorkFolder() + "/xlsx.xls";
    double peer = 0;
    for (auto _ : state)
        peer = PeerSeconds("node", {LUMORA_BENCH_DIR "/xlsx_write.js", theirs, QString::number(ROWS)},
                           LUMORA_SOURCE_DIR "/tests/peer/node_modules");
    const double mine = Seconds([&] { benchmark::DoNotOptimize(WriteOurs(ours)); }, 5);
    if (peer < 0)
        state.SkipWithError("the xlsx package did not run");
    state.counters["ours_ms"] = mine * 1e3;
    state.counters["xlsx_ms"] = peer * 1e3;
    state.counters["speedup"] = peer / mine;
}

} // namespace

BENCHMARK(BM_WriteWorkbook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadWorkbook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAgainstXlrd)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WriteAgainstXlsx)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
