// The data import against numpy's loadtxt on the same 6,000,000-row file, the workbook import of a full
// Excel 97-2003 sheet, and the longest stall of the user-interface thread while a file is imported.
// Both text readers are timed the same way: warm, inside their own process, the median of several
// reads of the file from the page cache; both outputs are checked against the values written.
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
#include <string>
#include <vector>

namespace {

constexpr int kTextRows = 6'000'000;
constexpr int kXlsRows = 65'535;
constexpr int kRepeats = 5;

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
    double sumX = 0;
    double sumY = 0;
};

// "Time,Current" and one "%.8f,%.6e" line per sample, as the pages write them.
const QString& TextFile(SExpected* expected = nullptr) {
    static const QString path = Folder() + QStringLiteral("/big.csv");
    static SExpected sums;
    static bool written = false;
    if (!written) {
        std::string text = "Time,Current\n";
        text.reserve(std::size_t(kTextRows) * 28);
        char buffer[64];
        for (int i = 0; i < kTextRows; ++i) {
            const double x = TimeOf(i);
            char* end = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 8).ptr;
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
        written = true;
    }
    if (expected != nullptr)
        *expected = sums;
    return path;
}

bool Near(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

double MedianSeconds(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void BM_TextImport(benchmark::State& state) {
    SExpected expected;
    const QString& path = TextFile(&expected);
    const double megabytes = QFile(path).size() / 1e6;
    CImportColumn x, y;
    double ours = 0;
    for (auto _ : state) {
        std::vector<double> seconds;
        SImportControl warm;
        ParseColumnsFromText(x, path, u',', QStringLiteral("Time"), QStringLiteral("Current"), y, warm);
        for (int r = 0; r < kRepeats; ++r) {
            SImportControl control;
            const auto start = std::chrono::steady_clock::now();
            const int result = ParseColumnsFromText(x, path, u',', QStringLiteral("Time"),
                                                    QStringLiteral("Current"), y, control);
            seconds.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            if (result != kImportOk) {
                state.SkipWithError("import failed");
                return;
            }
        }
        ours = MedianSeconds(seconds);
        state.SetIterationTime(ours);
    }
    double sumX = 0, sumY = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sumX += x[i];
        sumY += y[i];
    }
    if (x.size() != std::size_t(kTextRows) || !Near(sumX, expected.sumX) || !Near(sumY, expected.sumY)) {
        state.SkipWithError("our import read other numbers than were written");
        return;
    }

    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(LUMORA_BENCH_DIR "/numpy_loadtxt.py"), path, QString::number(kRepeats)});
    if (!python.waitForFinished(-1) || python.exitCode() != 0) {
        state.SkipWithError(("numpy: " + python.readAllStandardError().toStdString()).c_str());
        return;
    }
    const QJsonObject reply = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    const double theirs = reply.value(QStringLiteral("seconds")).toDouble();
    if (reply.value(QStringLiteral("rows")).toInt() != kTextRows ||
        !Near(reply.value(QStringLiteral("sum_x")).toDouble(), expected.sumX) ||
        !Near(reply.value(QStringLiteral("sum_y")).toDouble(), expected.sumY)) {
        state.SkipWithError("numpy read other numbers than were written");
        return;
    }
    state.counters["MB"] = megabytes;
    state.counters["ours_MBps"] = megabytes / ours;
    state.counters["numpy_MBps"] = megabytes / theirs;
    state.counters["speedup"] = theirs / ours;
}
BENCHMARK(BM_TextImport)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

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
    CImportColumn x, y;
    for (auto _ : state) {
        SImportControl control;
        if (ParseColumnsFromXls(path, QStringLiteral("Time"), x, QStringLiteral("Current"), y, control) !=
            kImportOk) {
            state.SkipWithError("import failed");
            return;
        }
    }
    if (x.size() != std::size_t(kXlsRows - 1) || x.back() != TimeOf(kXlsRows - 1) ||
        y.back() != ValueOf(kXlsRows - 1))
        state.SkipWithError("the workbook import read other numbers than were written");
    state.counters["rows"] = kXlsRows;
}
BENCHMARK(BM_XlsImport)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The user-interface thread during an import through the progress window: a 1 ms timer ticks all
// along, and the longest gap between two ticks is how long the thread could not serve an event.
void BM_UiGapDuringImport(benchmark::State& state) {
    const QString& path = TextFile();
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
