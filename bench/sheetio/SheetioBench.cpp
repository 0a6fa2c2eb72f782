// Writing and reading a 65,535 x 4 workbook of doubles, beside xlrd reading the same file and xlwt
// writing the same values. Both sides are timed the same way and in the same stretch of time: each
// repetition runs ours and then the peer's (a Python process that stays up, so that both are warm),
// and the figures are the medians. Every output is checked: each read against the values written,
// our written file by xlrd and xlwt's file by our reader. Each peer runs both with the page policy it
// gets by default and with ours (benchsupport::HugePagePolicy), and reports both ratios.
// What the cold figures time, plainly: each side as a fresh process that reads the file and ends,
// alternately, from its start to its exit. Ours is sheetio_read_once: a program linked with sheetio
// alone that loads the workbook with ExcelDocument::Load, the reader every workbook import of the
// program goes through, and reads every value of the first sheet; it is not the program itself
// (lumora's start-up, its windows and its import dialog are not in it). Theirs is Python starting,
// importing xlrd alone, opening the workbook and reading every value. Figures are reported as
// counters, wall and CPU time.
#include "SheetValues.h"
#include "bench/support/Figures.h"
#include "bench/support/LinePeer.h"
#include "lumora/sheetio/CompoundStorage.h"
#include "lumora/sheetio/ExcelDocument.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using sheetbench::COLS;
using sheetbench::Mismatches;
using sheetbench::ROWS;
using sheetbench::Value;

constexpr int REPEATS = 7;
const QString PYTHON = QStringLiteral("/usr/bin/python3");
const QString PEER_SCRIPT = QStringLiteral(LUMORA_BENCH_DIR "/sheet_peer.py");
// Our side of a cold read: a program that reads the workbook and ends.
const QString READ_ONCE = QStringLiteral(LUMORA_READ_ONCE);

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

std::vector<double> ReadOurs(const QString& path) {
    return sheetbench::ReadValues(QFile::encodeName(path).toStdString());
}

using benchsupport::Median;

// Wall and CPU seconds of one call.
struct STimes {
    double wall;
    double cpu;
};
template <class F> STimes Time(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpu = std::clock();
    f();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC};
}

// The Python peer, started once and asked one command at a time.
class CPeer {
public:
    explicit CPeer(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
        : m_peer(PYTHON, {PEER_SCRIPT, QString::number(ROWS), QString::number(COLS)}, environment) {}
    // The peer's JSON answer; empty when it failed.
    QJsonObject Ask(const QString& command, const QString& path) {
        return QJsonDocument::fromJson(m_peer.Ask(command + u' ' + path)).object();
    }

private:
    benchsupport::CLinePeer m_peer;
};

long StatusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return -1;
}

// Run as "--load-peak <file>" or "--save-peak <file>": loads the file (or writes the benchmark's
// workbook to it) in this fresh process and prints the growth of the resident set at its peak, in
// kilobytes. A fresh process, because a forked one would reuse heap pages the benchmark process has
// already touched.
int PeakMain(bool save, const char* file) {
    const long before = StatusKilobytes("VmRSS:");
    if (save) {
        if (!WriteOurs(QString::fromLocal8Bit(file)))
            return 1;
    } else {
        ExcelDocument doc;
        if (!doc.Load(QString::fromLocal8Bit(file)))
            return 1;
    }
    std::printf("{\"peak_kB\":%ld}\n", StatusKilobytes("VmHWM:") - before);
    return 0;
}

QString Self() {
    return QFileInfo("/proc/self/exe").symLinkTarget();
}

// Runs a program as a whole process; its wall time, start-up included, and its JSON answer.
// A negative time when it failed.
double RunProcess(const QString& program, const QStringList& args, QJsonObject& answer,
                  const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    const STimes t = Time([&] {
        process.start(program, args);
        process.waitForFinished(600000);
    });
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return -1;
    answer = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    return t.wall;
}

// The peer's environment for a benchmark's argument: 0 its own page policy, 1 ours.
QProcessEnvironment PeerPolicy(const benchmark::State& state) {
    return state.range(0) != 0 ? benchsupport::HugePagePolicy() : QProcessEnvironment::systemEnvironment();
}

void Report(benchmark::State& state, const char* peer, const std::vector<double>& ours,
            const std::vector<double>& theirs, const std::vector<double>& oursCpu,
            const std::vector<double>& theirsCpu) {
    const double mine = Median(ours);
    const double other = Median(theirs);
    state.counters["ours_ms"] = mine * 1e3;
    state.counters[std::string(peer) + "_ms"] = other * 1e3;
    state.counters["ratio"] = other / mine;
    if (!oursCpu.empty()) {
        state.counters["ours_cpu_ms"] = Median(oursCpu) * 1e3;
        state.counters[std::string(peer) + "_cpu_ms"] = Median(theirsCpu) * 1e3;
    }
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

// Warm reads, interleaved: ours, then xlrd's, of the same file, every result checked.
void BM_ReadAgainstXlrd(benchmark::State& state) {
    const QString path = WorkFolder() + "/ours.xls";
    if (!WriteOurs(path)) {
        state.SkipWithError("our writer failed");
        return;
    }
    CPeer peer(PeerPolicy(state));
    std::vector<double> ours, oursCpu, theirs, theirsCpu;
    int wrong = 0;
    for (auto _ : state) {
        for (int i = 0; i < REPEATS; ++i) {
            std::vector<double> values;
            const STimes t = Time([&] { values = ReadOurs(path); });
            wrong += Mismatches(values);
            ours.push_back(t.wall);
            oursCpu.push_back(t.cpu);
            const QJsonObject answer = peer.Ask("read", path);
            if (answer.isEmpty()) {
                state.SkipWithError("xlrd did not run");
                return;
            }
            wrong += answer["mismatches"].toInt();
            theirs.push_back(answer["seconds"].toDouble());
            theirsCpu.push_back(answer["cpu"].toDouble());
        }
    }
    Report(state, "xlrd", ours, theirs, oursCpu, theirsCpu);
    state.counters["wrong"] = wrong;
    if (wrong != 0)
        state.SkipWithError("a reader did not read the values written");
}

// Each side as a fresh process, alternately: the whole process as a user meets it (start-up and
// library loading included), and the first read inside it, timed by the process itself.
void BM_ReadColdAgainstXlrd(benchmark::State& state) {
    const QString path = WorkFolder() + "/ours.xls";
    if (!WriteOurs(path)) {
        state.SkipWithError("our writer failed");
        return;
    }
    std::vector<double> ours, theirs, oursFirst, theirsFirst;
    for (auto _ : state) {
        for (int i = 0; i < REPEATS; ++i) {
            QJsonObject answer;
            const double mine = RunProcess(READ_ONCE, {path}, answer);
            oursFirst.push_back(answer["seconds"].toDouble());
            const double other = RunProcess(
                PYTHON, {PEER_SCRIPT, QString::number(ROWS), QString::number(COLS), "--once", "read", path},
                answer, PeerPolicy(state));
            theirsFirst.push_back(answer["seconds"].toDouble());
            if (mine < 0 || other < 0) {
                state.SkipWithError("a reader failed or read other values");
                return;
            }
            ours.push_back(mine);
            theirs.push_back(other);
        }
    }
    Report(state, "xlrd", ours, theirs, {}, {});
    state.counters["load"] = benchsupport::LoadAverage();
    state.counters["ours_first_read_ms"] = Median(oursFirst) * 1e3;
    state.counters["xlrd_first_read_ms"] = Median(theirsFirst) * 1e3;
    state.counters["first_read_ratio"] = Median(theirsFirst) / Median(oursFirst);
}

// Warm writes, interleaved: ours, then xlwt's, each into a new file; then our file is read by xlrd
// and xlwt's by our reader, both checked against the values.
void BM_WriteAgainstXlwt(benchmark::State& state) {
    const QString ours = WorkFolder() + "/written-ours.xls";
    const QString theirs = WorkFolder() + "/written-xlwt.xls";
    CPeer peer(PeerPolicy(state));
    std::vector<double> mine, mineCpu, other, otherCpu;
    for (auto _ : state) {
        for (int i = 0; i < REPEATS; ++i) {
            QFile::remove(ours);
            QFile::remove(theirs);
            bool written = false;
            const STimes t = Time([&] { written = WriteOurs(ours); });
            const QJsonObject answer = peer.Ask("write", theirs);
            if (!written || answer.isEmpty()) {
                state.SkipWithError("a writer failed");
                return;
            }
            mine.push_back(t.wall);
            mineCpu.push_back(t.cpu);
            other.push_back(answer["seconds"].toDouble());
            otherCpu.push_back(answer["cpu"].toDouble());
        }
    }
    const int oursWrong = peer.Ask("check", ours)["mismatches"].toInt(-1);
    const int theirsWrong = Mismatches(ReadOurs(theirs));
    Report(state, "xlwt", mine, other, mineCpu, otherCpu);
    state.counters["ours_wrong_by_xlrd"] = oursWrong;
    state.counters["xlwt_wrong_by_ours"] = theirsWrong;
    if (oursWrong != 0 || theirsWrong != 0)
        state.SkipWithError("a written file does not hold the values written");
}

// Peak memory of a load and of a save, each in a fresh process, against the file's size.
void BM_Memory(benchmark::State& state) {
    const QString path = WorkFolder() + "/ours.xls";
    const QString saved = WorkFolder() + "/saved.xls";
    if (!WriteOurs(path)) {
        state.SkipWithError("our writer failed");
        return;
    }
    QJsonObject load, save;
    for (auto _ : state) {
        RunProcess(Self(), {"--load-peak", path}, load);
        RunProcess(Self(), {"--save-peak", saved}, save);
    }
    if (load.isEmpty() || save.isEmpty() || Mismatches(ReadOurs(saved)) != 0) {
        state.SkipWithError("the peak could not be measured");
        return;
    }
    const double file = static_cast<double>(QFileInfo(path).size());
    const double loadPeak = load["peak_kB"].toDouble() * 1024;
    const double savePeak = save["peak_kB"].toDouble() * 1024;
    state.counters["file_MB"] = file / 1048576.0;
    state.counters["load_peak_MB"] = loadPeak / 1048576.0;
    state.counters["load_peak_per_file"] = loadPeak / file;
    state.counters["save_peak_MB"] = savePeak / 1048576.0;
    state.counters["save_peak_per_file"] = savePeak / file;
}

// A workbook of empty worksheets without bound sheets, as some writers leave them: each worksheet
// is given a name of its own when it is saved.
bool WriteUnnamedSheets(const QString& path, int sheets) {
    std::vector<uint8_t> stream;
    const auto put16 = [&](uint16_t v) {
        stream.push_back(static_cast<uint8_t>(v));
        stream.push_back(static_cast<uint8_t>(v >> 8));
    };
    const auto bofEof = [&](uint16_t type) {
        for (const uint16_t v : {0x0809, 16, 0x0600, int(type), 0x19A0, 0x07CD, 0, 0, 0x0306, 0, 0x000A, 0})
            put16(v);
    };
    bofEof(0x0005);
    for (int i = 0; i < sheets; ++i)
        bofEof(0x0010);
    auto storage = SheetIO::CCompoundStorage::Create(path);
    return storage && storage->CreateStream("Workbook") == 1 &&
           storage->WriteStream("Workbook", stream.data(), stream.size()) == 1;
}

// Loading such a workbook and saving it again, by the number of sheets: the names are found in time
// that grows with the sheets, not with their square.
void BM_ResaveUnnamedSheets(benchmark::State& state) {
    const int sheets = static_cast<int>(state.range(0));
    const QString path = WorkFolder() + "/unnamed.xls";
    if (!WriteUnnamedSheets(path, sheets)) {
        state.SkipWithError("the workbook was not written");
        return;
    }
    for (auto _ : state) {
        ExcelDocument doc;
        if (!doc.Load(path) || doc.GetTotalSheets() != static_cast<size_t>(sheets) ||
            !doc.SaveAs(WorkFolder() + "/unnamed-saved.xls")) {
            state.SkipWithError("the workbook did not load and save");
            return;
        }
    }
    state.SetComplexityN(sheets);
}

// A workbook whose globals are 30 MB of empty FONT records (4 bytes each) and one sheet; the peak of
// its load in a fresh process against its size. Each empty record once cost 30 to 75 times its bytes.
bool WriteEmptyFonts(const QString& path) {
    std::vector<uint8_t> stream;
    const auto record = [&stream](uint16_t code, std::initializer_list<uint8_t> data) {
        stream.insert(stream.end(), {static_cast<uint8_t>(code), static_cast<uint8_t>(code >> 8),
                                     static_cast<uint8_t>(data.size()), 0});
        stream.insert(stream.end(), data);
    };
    const auto bof = [&record](uint8_t type) {
        record(0x0809, {0x00, 0x06, type, 0x00, 0xA0, 0x19, 0xCD, 0x07, 0, 0, 0, 0, 0x06, 0x03, 0, 0});
    };
    bof(0x05);
    for (int i = 0; i < (30 << 20) / 4; ++i)
        record(0x0031, {});
    const std::size_t boundSheet = stream.size() + 4 + 4; // where the BOFpos field lies
    record(0x0085, {0, 0, 0, 0, 0, 0, 1, 0, 'S'});
    record(0x000A, {});
    const auto sheetAt = static_cast<uint32_t>(stream.size());
    for (int b = 0; b < 4; ++b)
        stream[boundSheet - 4 + static_cast<std::size_t>(b)] = static_cast<uint8_t>(sheetAt >> (8 * b));
    bof(0x10);
    record(0x000A, {});
    auto storage = SheetIO::CCompoundStorage::Create(path);
    return storage && storage->CreateStream("Workbook") == 1 &&
           storage->WriteStream("Workbook", stream.data(), stream.size()) == 1;
}

void BM_EmptyGlobalsMemory(benchmark::State& state) {
    const QString path = WorkFolder() + "/fonts.xls";
    if (!WriteEmptyFonts(path)) {
        state.SkipWithError("the workbook could not be written");
        return;
    }
    QJsonObject load;
    for (auto _ : state)
        RunProcess(Self(), {"--load-peak", path}, load);
    if (load.isEmpty()) {
        state.SkipWithError("the peak could not be measured");
        return;
    }
    const double file = static_cast<double>(QFileInfo(path).size());
    const double loadPeak = load["peak_kB"].toDouble() * 1024;
    state.counters["file_MB"] = file / 1048576.0;
    state.counters["load_peak_MB"] = loadPeak / 1048576.0;
    state.counters["load_peak_per_file"] = loadPeak / file;
}

} // namespace

BENCHMARK(BM_ResaveUnnamedSheets)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_WriteWorkbook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadWorkbook)->Unit(benchmark::kMillisecond);
// Argument "peer_hugepages": 0 the peer with its own page policy, 1 with ours.
BENCHMARK(BM_ReadAgainstXlrd)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("peer_hugepages")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_ReadColdAgainstXlrd)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("peer_hugepages")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_WriteAgainstXlwt)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("peer_hugepages")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_Memory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EmptyGlobalsMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    if (argc == 3 && (std::string(argv[1]) == "--load-peak" || std::string(argv[1]) == "--save-peak"))
        return PeakMain(std::string(argv[1]) == "--save-peak", argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
