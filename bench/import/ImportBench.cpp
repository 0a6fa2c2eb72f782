// The text import against numpy's loadtxt and pandas' read_csv on the same 6,000,000-row file, its
// growth with the row count up to 60,000,000 rows, the workbook import of a full Excel 97-2003 sheet,
// and the longest stall of the user-interface thread while a file is imported. The file is the pages'
// own export (WriteTimeValueText: CR LF line ends, the digits the export writes).
// The text readers are timed the same way: warm, each inside its own process, every run into new
// arrays, the runs of the three interleaved, the median of each side in wall and CPU time (ours uses
// several threads), each peer both with the page policy it gets by default and with ours; and as a
// fresh process that reads the file once and ends, start-up included. The limit is a read of the file
// out of the page cache and a scan of its line ends on 8 threads. Every output is checked against the
// values written.
#include "bench/support/Figures.h"
#include "lumora/core/DataImport.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/PageFiles.h"
#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "platform/LargeBlock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
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

// The current page's export of the samples ("Time,Current", CR LF), and the sums of the numbers as
// the file holds them, read back from its text, to check every reader's output.
QString TextFile(int rows, SExpected& expected) {
    static std::map<int, std::pair<QString, SExpected>> files;
    auto found = files.find(rows);
    if (found == files.end()) {
        const QString path = Folder() + QStringLiteral("/rows%1.csv").arg(rows);
        {
            std::vector<double> x(static_cast<std::size_t>(rows)), y(static_cast<std::size_t>(rows));
            for (int i = 0; i < rows; ++i) {
                x[static_cast<std::size_t>(i)] = TimeOf(i);
                y[static_cast<std::size_t>(i)] = ValueOf(i);
            }
            if (WriteTimeValueText(path, "Time,Current", ',', x.data(), y.data(), x.size(),
                                   MainPreferences()) != 1)
                qFatal("cannot write the bench file");
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read the bench file");
        const QByteArray text = file.readAll();
        SExpected sums;
        const char* p = text.constData() + text.indexOf('\n') + 1;
        const char* const end = text.constData() + text.size();
        while (p < end) {
            const char* comma = std::find(p, end, ',');
            const char* eol = std::find(comma, end, '\r');
            double vx = 0, vy = 0;
            std::from_chars(p, comma, vx);
            std::from_chars(comma + 1, eol, vy);
            sums.sumX += vx;
            sums.sumY += vy;
            ++sums.rows;
            p = eol + 2;
        }
        if (sums.rows != rows)
            qFatal("the bench file does not hold its rows");
        found = files.emplace(rows, std::make_pair(path, sums)).first;
    }
    expected = found->second.second;
    return found->second.first;
}

bool Near(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
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
    CPeers(const QString& path, const QProcessEnvironment& environment) {
        m_process.setProcessEnvironment(environment);
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

// The limit of a text import: the file read out of the page cache and its line ends counted, in 8
// slices on 8 threads, each through a buffer of a megabyte. The lines counted must be the file's.
SRun ReadAndScan(const QString& path, const SExpected& expected) {
    constexpr int kThreads = 8;
    // The buffers are large arrays and written before the clock starts: the limit pays no page fault
    // of its own and reads into huge pages, as ours does.
    std::vector<platform::CLargeArray<char>> buffers(kThreads,
                                                     platform::CLargeArray<char>(std::size_t{1} << 20, '\0'));
    SRun run;
    const double cpu = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (fd < 0)
        return run;
    if (::fstat(fd, &status) != 0) {
        ::close(fd);
        return run;
    }
    const std::int64_t size = status.st_size, slice = (size + kThreads - 1) / kThreads;
    std::atomic<std::int64_t> lines{0};
    std::atomic<bool> failed{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            platform::CLargeArray<char>& buffer = buffers[static_cast<std::size_t>(t)];
            std::int64_t count = 0;
            for (std::int64_t at = t * slice, end = std::min(size, at + slice); at < end;) {
                const ssize_t got = ::pread(fd, buffer.data(),
                                            static_cast<std::size_t>(std::min<std::int64_t>(
                                                static_cast<std::int64_t>(buffer.size()), end - at)),
                                            at);
                if (got <= 0) {
                    failed = true;
                    return;
                }
                count += std::count(buffer.data(), buffer.data() + got, '\n');
                at += got;
            }
            lines += count;
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    ::close(fd);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = CpuSeconds() - cpu;
    run.checked = !failed && lines == expected.rows + 1;
    return run;
}

// A fresh process that imports the file once and ends, timed from its start to its end: ours is
// import_once (the import alone), a peer's is Python importing its module and reading once. The
// process checks its own output.
SRun FreshProcess(const QString& program, const QStringList& arguments, const SExpected& expected,
                  const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    SRun run;
    const auto start = std::chrono::steady_clock::now();
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const QJsonObject reply = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    run.checked = reply.value(QStringLiteral("rows")).toInt() == expected.rows &&
                  Near(reply.value(QStringLiteral("sum_x")).toDouble(), expected.sumX) &&
                  Near(reply.value(QStringLiteral("sum_y")).toDouble(), expected.sumY);
    return run;
}

void BM_TextImport(benchmark::State& state) {
    SExpected expected;
    const QString path = TextFile(kTextRows, expected);
    const double megabytes = QFile(path).size() / 1e6;
    // The peers with the page policy they get by default, and with ours.
    CPeers plain(path, QProcessEnvironment::systemEnvironment());
    CPeers huge(path, benchsupport::HugePagePolicy());
    if (!plain.Ready() || !huge.Ready()) {
        state.SkipWithError(("peers: " + plain.Error().toStdString() + huge.Error().toStdString()).c_str());
        return;
    }
    const double loadBefore = benchsupport::LoadAverage();
    std::map<std::string, std::vector<SRun>> runs;
    const QString python = QStringLiteral("/usr/bin/python3"),
                  script = QStringLiteral(LUMORA_BENCH_DIR "/text_peers.py");
    for (auto _ : state) {
        RunOurs(path, expected);
        for (int r = 0; r < kRepeats; ++r) {
            // Each side first, second and so on in turn.
            const std::vector<std::string> sides = {"ours",   "floor",           "numpy",
                                                    "pandas", "numpy_hugepages", "pandas_hugepages"};
            for (std::size_t k = 0; k < sides.size(); ++k) {
                const std::string& side = sides[(k + static_cast<std::size_t>(r)) % sides.size()];
                const bool hugePages = side.ends_with("_hugepages");
                const std::string reader = side.substr(0, side.find('_'));
                const SRun run = side == "ours"    ? RunOurs(path, expected)
                                 : side == "floor" ? ReadAndScan(path, expected)
                                                   : (hugePages ? huge : plain).Run(reader.c_str(), expected);
                if (!run.checked) {
                    state.SkipWithError((side + " read other numbers than were written").c_str());
                    return;
                }
                runs[side].push_back(run);
            }
            // The same as fresh processes, in turn.
            const SRun fresh[] = {
                FreshProcess(QStringLiteral(LUMORA_IMPORT_ONCE), {path}, expected),
                FreshProcess(python, {script, path, QStringLiteral("--once"), QStringLiteral("pandas")},
                             expected),
                FreshProcess(python, {script, path, QStringLiteral("--once"), QStringLiteral("pandas")},
                             expected, benchsupport::HugePagePolicy())};
            const char* freshNames[] = {"ours_fresh", "pandas_fresh", "pandas_hugepages_fresh"};
            for (int k = 0; k < 3; ++k) {
                if (!fresh[k].checked) {
                    state.SkipWithError(
                        (std::string(freshNames[k]) + " failed or read other numbers").c_str());
                    return;
                }
                runs[freshNames[k]].push_back(fresh[k]);
            }
        }
        double total = 0;
        for (const SRun& run : runs["ours"])
            total += run.seconds;
        state.SetIterationTime(total / runs["ours"].size());
    }
    auto median = [&](const std::string& side, bool cpu) {
        std::vector<double> values;
        for (const SRun& run : runs[side])
            values.push_back(cpu ? run.cpuSeconds : run.seconds);
        return benchsupport::Median(values);
    };
    const double ours = median("ours", false);
    state.counters["MB"] = megabytes;
    state.counters["ours_ms"] = ours * 1e3;
    state.counters["ours_cpu_ms"] = median("ours", true) * 1e3;
    state.counters["floor_ms"] = median("floor", false) * 1e3;
    state.counters["x_floor"] = ours / median("floor", false);
    for (const char* peer : {"numpy", "pandas", "numpy_hugepages", "pandas_hugepages"}) {
        state.counters[std::string(peer) + "_ms"] = median(peer, false) * 1e3;
        state.counters[std::string(peer) + "_cpu_ms"] = median(peer, true) * 1e3;
        state.counters[std::string("x_") + peer] = median(peer, false) / ours;
    }
    state.counters["ours_fresh_ms"] = median("ours_fresh", false) * 1e3;
    for (const char* peer : {"pandas_fresh", "pandas_hugepages_fresh"}) {
        state.counters[std::string(peer) + "_ms"] = median(peer, false) * 1e3;
        state.counters[std::string("x_") + peer] = median(peer, false) / median("ours_fresh", false);
    }
    state.counters["load_avg"] = (loadBefore + benchsupport::LoadAverage()) / 2;
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
    state.counters["ns_per_row"] = benchsupport::Median(seconds) * 1e9 / expected.rows;
    state.counters["cpu_ns_per_row"] = benchsupport::Median(cpu) * 1e9 / expected.rows;
}
BENCHMARK(BM_TextImportGrowth)
    ->Arg(750'000)
    ->Arg(1'500'000)
    ->Arg(3'000'000)
    ->Arg(6'000'000)
    ->Arg(15'000'000)
    ->Arg(60'000'000)
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

int main(int argc, char** argv) {
    // The heap as the program sets it up first, so that ours is timed as the user meets it.
    platform::ReturnLargeBlocksToTheSystem();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
