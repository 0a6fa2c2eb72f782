// The text import against numpy's loadtxt and pandas' read_csv on the same 6,000,000-row file, its
// growth with the row count, the workbook import of a full Excel 97-2003 sheet, and the longest stall
// of the user-interface thread while a file is imported.
// The text readers are timed the same way: warm, each inside its own process, every run into new
// arrays, the runs of the three interleaved, the median of each side in wall and CPU time (ours uses
// several threads). Every output is checked against the values written.
#include "lumora/core/DataImport.h"
#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/ExcelSheet.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kTextRows = 6'000'000;
constexpr int kXlsRows = 65'535;
constexpr int kRepeats = 7;

double TimeOf(int i) {
    return i * 1e-5;
}
double ValueOf(int i) {
    return std::sin(i * 1e-5) * 1e-3 + 1e-6;
}

QString Folder() {
    static QTemporaryDir dir;
    return dir.path();
}

struct SExpected {
    int rows = 0;
    double sumX = 0;
    double sumY = 0;
};

// "Time,Current" and one "%.8f,%.6e" line per sample, as the pages write them; the sums of the values
// as written, to check every reader's output.
QString TextFile(int rows, SExpected& expected) {
    static std::map<int, std::pair<QString, SExpected>> files;
    auto found = files.find(rows);
    if (found == files.end()) {
        const QString path = Folder() + QStringLiteral("/rows%1.csv").arg(rows);
        SExpected sums;
        sums.rows = rows;
        std::string text = "Time,Current\n";
        text.reserve(std::size_t(rows) * 28);
        char buffer[64];
        for (int i = 0; i < rows; ++i) {
            char* end =
                std::to_chars(buffer, buffer + sizeof buffer, TimeOf(i), std::chars_format::fixed, 8).ptr;
            *end++ = ',';
            end =
                std::to_chars(end, buffer + sizeof buffer, ValueOf(i), std::chars_format::scientific, 6).ptr;
            *end++ = '\n';
            text.append(buffer, end);
            double vx = 0, vy = 0;
            const char* comma = std::find(buffer, end, ',');
            std::from_chars(buffer, comma, vx);
            std::from_chars(comma + 1, end - 1, vy);
            sums.sumX += vx;
            sums.sumY += vy;
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(text.data(), qint64(text.size())) != qint64(text.size()))
            qFatal("cannot write the bench file");
        found = files.emplace(rows, std::make_pair(path, sums)).first;
    }
    expected = found->second.second;
    return found->second.first;
}

bool Near(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

double LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').value(0).toDouble() : -1.0;
}

struct SRun {
    double seconds = 0;
    double cpuSeconds = 0;
    bool checked = false;
};

// One import into new arrays, timed and checked.
SRun RunOurs(const QString& path, const SExpected& expected) {
    CImportColumn x, y;
    SImportControl control;
    SRun run;
    const double cpu = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const int result =
        ParseColumnsFromText(x, path, u',', QStringLiteral("Time"), QStringLiteral("Current"), y, control);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = CpuSeconds() - cpu;
    double sumX = 0, sumY = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sumX += x[i];
        sumY += y[i];
    }
    run.checked = result == kImportOk && x.size() == std::size_t(expected.rows) &&
                  Near(sumX, expected.sumX) && Near(sumY, expected.sumY);
    return run;
}

// The peers' process: it reads a line naming a reader and answers with the run.
class CPeers {
public:
    explicit CPeers(const QString& path) {
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral(LUMORA_BENCH_DIR "/text_peers.py"), path});
        m_ready = m_process.waitForStarted(-1) && !ReadReply().isEmpty();
    }
    ~CPeers() {
        m_process.write("quit\n");
        m_process.closeWriteChannel();
        m_process.waitForFinished(-1);
    }
    bool Ready() const { return m_ready; }
    QString Error() { return QString::fromUtf8(m_process.readAllStandardError()); }

    SRun Run(const char* reader, const SExpected& expected) {
        m_process.write(QByteArray(reader) + '\n');
        const QJsonObject reply = ReadReply();
        SRun run;
        run.seconds = reply.value(QStringLiteral("seconds")).toDouble();
        run.cpuSeconds = reply.value(QStringLiteral("cpu_seconds")).toDouble();
        run.checked = reply.value(QStringLiteral("rows")).toInt() == expected.rows &&
                      Near(reply.value(QStringLiteral("sum_x")).toDouble(), expected.sumX) &&
                      Near(reply.value(QStringLiteral("sum_y")).toDouble(), expected.sumY);
        return run;
    }

private:
    QJsonObject ReadReply() {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(-1))
                return {};
        }
        return QJsonDocument::fromJson(m_process.readLine()).object();
    }

    QProcess m_process;
    bool m_ready = false;
};

void BM_TextImport(benchmark::State& state) {
    SExpected expected;
    const QString path = TextFile(kTextRows, expected);
    const double megabytes = QFile(path).size() / 1e6;
    CPeers peers(path);
    if (!peers.Ready()) {
        state.SkipWithError(("peers: " + peers.Error().toStdString()).c_str());
        return;
    }
    const double loadBefore = LoadAverage();
    std::map<std::string, std::vector<SRun>> runs;
    for (auto _ : state) {
        RunOurs(path, expected);
        for (int r = 0; r < kRepeats; ++r) {
            // Each side first, second and third in turn.
            const char* order[3][3] = {
                {"ours", "numpy", "pandas"}, {"numpy", "pandas", "ours"}, {"pandas", "ours", "numpy"}};
            for (const char* side : order[r % 3]) {
                const SRun run =
                    std::string(side) == "ours" ? RunOurs(path, expected) : peers.Run(side, expected);
                if (!run.checked) {
                    state.SkipWithError(
                        (std::string(side) + " read other numbers than were written").c_str());
                    return;
                }
                runs[side].push_back(run);
            }
        }
        double total = 0;
        for (const SRun& run : runs["ours"])
            total += run.seconds;
        state.SetIterationTime(total / runs["ours"].size());
    }
    auto median = [&](const char* side, bool cpu) {
        std::vector<double> values;
        for (const SRun& run : runs[side])
            values.push_back(cpu ? run.cpuSeconds : run.seconds);
        return Median(values);
    };
    const double ours = median("ours", false);
    state.counters["MB"] = megabytes;
    state.counters["ours_ms"] = ours * 1e3;
    state.counters["ours_cpu_ms"] = median("ours", true) * 1e3;
    state.counters["numpy_ms"] = median("numpy", false) * 1e3;
    state.counters["numpy_cpu_ms"] = median("numpy", true) * 1e3;
    state.counters["pandas_ms"] = median("pandas", false) * 1e3;
    state.counters["pandas_cpu_ms"] = median("pandas", true) * 1e3;
    state.counters["x_numpy"] = median("numpy", false) / ours;
    state.counters["x_pandas"] = median("pandas", false) / ours;
    state.counters["load_avg"] = (loadBefore + LoadAverage()) / 2;
}
BENCHMARK(BM_TextImport)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Our import at several sizes, into new arrays: the time per row stays the same as the file grows.
void BM_TextImportGrowth(benchmark::State& state) {
    SExpected expected;
    const QString path = TextFile(static_cast<int>(state.range(0)), expected);
    RunOurs(path, expected);
    std::vector<double> seconds, cpu;
    for (auto _ : state) {
        const SRun run = RunOurs(path, expected);
        if (!run.checked) {
            state.SkipWithError("our import read other numbers than were written");
            return;
        }
        seconds.push_back(run.seconds);
        cpu.push_back(run.cpuSeconds);
        state.SetIterationTime(run.seconds);
    }
    state.counters["ns_per_row"] = Median(seconds) * 1e9 / expected.rows;
    state.counters["cpu_ns_per_row"] = Median(cpu) * 1e9 / expected.rows;
}
BENCHMARK(BM_TextImportGrowth)
    ->Arg(750'000)
    ->Arg(1'500'000)
    ->Arg(3'000'000)
    ->Arg(6'000'000)
    ->Iterations(7)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_XlsImport(benchmark::State& state) {
    const QString path = Folder() + QStringLiteral("/full.xls");
    {
        ExcelDocument document;
        document.New();
        ExcelSheet* sheet = document.GetSheet(0);
        sheet->Cell(0, 0)->SetString("Time");
        sheet->Cell(0, 1)->SetString("Current");
        for (int row = 1; row < kXlsRows; ++row) {
            for (int column = 0; column < 2; ++column) {
                ExcelCell* cell = sheet->Cell(row, column);
                cell->type = ExcelCell::eDouble;
                cell->dval = column == 0 ? TimeOf(row) : ValueOf(row);
            }
        }
        if (!document.SaveAs(path)) {
            state.SkipWithError("cannot write the workbook");
            return;
        }
    }
    for (auto _ : state) {
        CImportColumn x, y;
        SImportControl control;
        if (ParseColumnsFromXls(path, QStringLiteral("Time"), x, QStringLiteral("Current"), y, control) !=
            kImportOk) {
            state.SkipWithError("import failed");
            return;
        }
        if (x.size() != std::size_t(kXlsRows - 1) || x.back() != TimeOf(kXlsRows - 1) ||
            y.back() != ValueOf(kXlsRows - 1)) {
            state.SkipWithError("the workbook import read other numbers than were written");
            return;
        }
    }
    state.counters["rows"] = kXlsRows;
}
BENCHMARK(BM_XlsImport)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The user-interface thread during an import through the progress window: a 1 ms timer ticks all
// along, and the longest gap between two ticks is how long the thread could not serve an event.
void BM_UiGapDuringImport(benchmark::State& state) {
    SExpected expected;
    const QString path = TextFile(kTextRows, expected);
    static int argc = 1;
    static char name[] = "import_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    QWidget owner;
    owner.show();
    double longest = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        qint64 last = -1;
        qint64 gap = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (last >= 0)
                gap = std::max(gap, now - last);
            last = now;
        });
        clock.start();
        tick.start();
        CImportColumn x, y;
        const int result = ImportColumnsFromText(x, path, u',', QStringLiteral("Time"),
                                                 QStringLiteral("Current"), y, &owner);
        tick.stop();
        if (result != kImportOk || x.size() != std::size_t(kTextRows)) {
            state.SkipWithError("import failed");
            return;
        }
        longest = std::max(longest, gap / 1e6);
    }
    state.counters["max_gap_ms"] = longest;
}
BENCHMARK(BM_UiGapDuringImport)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
