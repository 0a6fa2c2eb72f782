#include "lumora/core/DataImport.h"
#include "CoreTestFiles.h"
#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "lumora/shell/ProgressWnd.h"
#include "platform/ControlId.h"
#include "platform/ParseNumber.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using coretest::Utf16WithMark;
using coretest::WriteAll;

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "import_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

struct STextCase {
    const char* name;
    QByteArray bytes;
    char separator;
    const char* name1;
    const char* name2;
    int result;
    std::vector<double> x;
    std::vector<double> y;
    std::size_t dropped;
};

// "时间" and "电流" in CP936.
const QByteArray kTimeGb("\xCA\xB1\xBC\xE4");
const QByteArray kCurrentGb("\xB5\xE7\xC1\xF7");

QByteArray Repeated(char c, int n) {
    return QByteArray(n, c);
}

std::vector<STextCase> TextCases() {
    return {
        {"PlainLf", "Time,Current\n0.5,1\n1.5,2\n", ',', "Time", "Current", 1, {0.5, 1.5}, {1, 2}, 0},
        {"PlainCrLf", "Time,Current\r\n0.5,1\r\n1.5,2\r\n", ',', "Time", "Current", 1, {0.5, 1.5}, {1, 2}, 0},
        {"CrOnly", "Time,Current\r0.5,1\r1.5,2\r", ',', "Time", "Current", 1, {0.5, 1.5}, {1, 2}, 0},
        {"MixedLineEnds",
         "Time,Current\r1,2\r\n3,4\n5,6\r\r\n7,8",
         ',',
         "Time",
         "Current",
         1,
         {1, 3, 5, 7},
         {2, 4, 6, 8},
         0},
        {"Utf8ByteOrderMark",
         "\xEF\xBB\xBFTime,Current (\xCE\xBC"
         "A)\n1,2\n",
         ',',
         "Time",
         "Current",
         1,
         {1},
         {2e-6},
         0},
        {"TabNoFinalNewline",
         "Time\tVoltage\n1e-3\t-2.5E+1\n2\t3",
         '\t',
         "Time",
         "Voltage",
         1,
         {1e-3, 2},
         {-25, 3},
         0},
        {"ThirdFieldIgnored", "Time,Current\n1,2,3\n", ',', "Time", "Current", 1, {1}, {2}, 0},
        {"TrailingSeparators", "Time,Current,\n1,2,\n3,4\n", ',', "Time", "Current", 1, {1, 3}, {2, 4}, 0},
        {"BlankLinesSkipped",
         "Time,Current\n\n1,2\n  \r\n3,4\n",
         ',',
         "Time",
         "Current",
         1,
         {1, 3},
         {2, 4},
         0},
        {"MissingFieldsDropRows",
         "Time,Current\n1,2\n5\n6,\n,7\n8, \n9,10\n",
         ',',
         "Time",
         "Current",
         1,
         {1, 9},
         {2, 10},
         4},
        {"FieldsWithoutANumberDropRows",
         "Time,Current\n1,2\n--,3\n\"4\",5\n6,abc\nTotal,2 rows\nnan,1\n3,inf\n+-1,2\n9,10\n",
         ',',
         "Time",
         "Current",
         1,
         {1, 9},
         {2, 10},
         7},
        {"UnitsAfterNumbersAreTheNumber",
         "Time,Voltage\n1s,2.5V\n2 s,1e-3 A\n3,8x\n",
         ',',
         "Time",
         "Voltage",
         1,
         {1, 2, 3},
         {2.5, 1e-3, 8},
         0},
        {"OutOfRange",
         "Time,Current\n1e400,1\n2,-1e400\n3,1e-400\n0x10,4\n",
         ',',
         "Time",
         "Current",
         1,
         {3, 16},
         {0, 4},
         2},
        {"SignAndBlanksAround", "Time,Current\n +1.5 , -2 \n", ',', "Time", "Current", 1, {1.5}, {-2}, 0},
        // A decimal comma or digit grouping would be read a thousand times off: the file is refused.
        {"DecimalCommasFailTheFile", "Time\tCurrent\n0,5\t1,5\n", '\t', "Time", "Current", 0, {}, {}, 0},
        {"ADecimalCommaInALaterRowFailsTheFile",
         "Time\tCurrent\n1\t2\n3\t0,25\n",
         '\t',
         "Time",
         "Current",
         0,
         {},
         {},
         0},
        {"DigitGroupingFailsTheFile", "Time\tCurrent\n1\t1,000\n", '\t', "Time", "Current", 0, {}, {}, 0},
        {"ACommaWithoutADigitAfterItEndsTheNumber",
         "Time\tCurrent\n1,\t2, mA\n",
         '\t',
         "Time",
         "Current",
         1,
         {1},
         {2},
         0},
        {"RowLongerThanAPieceIsOneRow",
         "Time,Current\n1,2," + Repeated('x', 5000) + ",7\n3," + Repeated(' ', 5000) + "4\n",
         ',',
         "Time",
         "Current",
         1,
         {1, 3},
         {2, 4},
         0},
        {"RowLongerThanTheBuffer",
         "Time,Current\n1,2," + Repeated('x', 3 << 20) + "\n3,4\n5," + Repeated('y', 3 << 20) + "\n6,7",
         ',',
         "Time",
         "Current",
         1,
         {1, 3, 6},
         {2, 4, 7},
         1},
        {"UnitsMsMa", "Time (ms),Current (mA)\n2,3\n", ',', "Time", "Current", 1, {0.002}, {0.003}, 0},
        {"UnitsMsecMamp",
         "Time (msec),Current (mAmp)\n2,3\n",
         ',',
         "Time",
         "Current",
         1,
         {0.002},
         {0.003},
         0},
        {"UnitNsBracketed", "Time[ns],Current\n5,1\n", ',', "Time", "Current", 1, {5e-9}, {1}, 0},
        {"UnitNanoAmpere", "Time,Current nA\n5,1\n", ',', "Time", "Current", 1, {5}, {1e-9}, 0},
        {"Utf16MicroSign",
         Utf16WithMark(QString::fromUtf8("Time (s),Current (\u00B5A)\n1,2\n")),
         ',',
         "Time",
         "Current",
         1,
         {1},
         {2e-6},
         0},
        {"Utf16CrOnly",
         Utf16WithMark(QString::fromUtf8("Time\tCurrent\r1\t2\r3\t4 mA\r")),
         '\t',
         "Time",
         "Current",
         1,
         {1, 3},
         {2, 4},
         0},
        {"Cp936GreekMu",
         "Time,Current (\xA6\xCC"
         "A)\n1,2\n",
         ',',
         "Time",
         "Current",
         1,
         {1},
         {2e-6},
         0},
        {"WordsHoldingPrefixesAreNoUnits",
         "Time Instrument,Current rms\n1,2\n",
         ',',
         "Time",
         "Current",
         1,
         {1},
         {2},
         0},
        {"Utf16CrLfGreekMu",
         Utf16WithMark(QString::fromUtf8("Time (\u03BCs)\tCurrent\r\n4\t5\r\n6\tx\r\n7\t8\r\n")),
         '\t',
         "Time",
         "Current",
         1,
         {4e-6, 7e-6},
         {5, 8},
         1},
        {"Cp936Header",
         kTimeGb + " Time," + kCurrentGb + " Current (mA)\r\n1,2\r\n" + kTimeGb + ",3\r\n",
         ',',
         "Time",
         "Current",
         1,
         {1},
         {0.002},
         1},
        {"Cp936NamesMatch",
         kTimeGb + "," + kCurrentGb + "\n1,2\n",
         ',',
         "\xE6\x97\xB6\xE9\x97\xB4",
         "\xE7\x94\xB5\xE6\xB5\x81",
         1,
         {1},
         {2},
         0},
        {"NamesSwapped", "Current,Time\n1,2\n", ',', "Time", "Current", 0, {}, {}, 0},
        {"OneHeaderField", "Time\n1,2\n", ',', "Time", "Current", 0, {}, {}, 0},
        {"WrongSeparator", "Time\tCurrent\n1\t2\n", ',', "Time", "Current", 0, {}, {}, 0},
        {"NoNumericRow", "Time,Current\n--,--\n", ',', "Time", "Current", 1, {}, {}, 1},
        {"HeaderOnly", "Time,Current\n", ',', "Time", "Current", 1, {}, {}, 0},
        {"HeaderOnlyWithoutLineEnd", "Time,Current", ',', "Time", "Current", 1, {}, {}, 0},
        {"Empty", "", ',', "Time", "Current", 0, {}, {}, 0},
        {"ByteOrderMarkOnly", "\xFF\xFE", ',', "Time", "Current", 0, {}, {}, 0},
        {"NoNamesSkipsHeader", "anything\n1,2\n", ',', "", "", 1, {1}, {2}, 0},
    };
}

class TextImport : public ::testing::TestWithParam<STextCase> {
protected:
    QTemporaryDir m_dir;
};

TEST_P(TextImport, ReadsPairedNumericRows) {
    const STextCase& c = GetParam();
    const QString path = m_dir.filePath(QStringLiteral("data.txt"));
    ASSERT_TRUE(WriteAll(path, c.bytes));
    CImportColumn x{99}, y{99};
    SImportControl control;
    SImportCounts counts;
    const int result = ParseColumnsFromText(x, path, QChar(c.separator), QString::fromUtf8(c.name1),
                                            QString::fromUtf8(c.name2), y, control, &counts);
    EXPECT_EQ(result, c.result);
    ASSERT_EQ(x.size(), c.x.size());
    ASSERT_EQ(y.size(), c.y.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        EXPECT_DOUBLE_EQ(x[i], c.x[i]) << "row " << i;
        EXPECT_DOUBLE_EQ(y[i], c.y[i]) << "row " << i;
    }
    if (result == kImportOk) {
        EXPECT_EQ(counts.dropped, c.dropped);
        EXPECT_EQ(counts.rows, c.x.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Files, TextImport, ::testing::ValuesIn(TextCases()),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(TextImportFile, MissingFileOrFolderFails) {
    CImportColumn x, y;
    SImportControl control;
    for (const QString& path : {QStringLiteral("/nonexistent/a.csv"), QStringLiteral("/tmp")})
        EXPECT_EQ(ParseColumnsFromText(x, path, u',', QStringLiteral("Time"), QStringLiteral("Current"), y,
                                       control),
                  kImportFailed)
            << path.toStdString();
}

// Large enough to be parsed in slices: rows stay in file order, dropped rows leave no gap, and lines of
// every kind of end and length are read whole wherever a slice begins.
TEST(TextImportFile, SlicedParseKeepsOrder) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.csv"));
    QByteArray bytes("Time,Current\n");
    const int rows = 400000;
    const char* ends[] = {"\n", "\r\n", "\r"};
    std::vector<double> ex, ey;
    int dropped = 0;
    for (int i = 0; i < rows; ++i) {
        bytes += QByteArray::number(i) + ',' + QByteArray::number(i * 2);
        if (i % 5000 == 7)
            bytes += ',' + Repeated('z', 1 << 20);
        bytes += ends[i % 3];
        ex.push_back(i);
        ey.push_back(i * 2.0);
        if (i % 1000 == 0) {
            bytes += "--,1\n";
            ++dropped;
        }
        if (i % 777 == 0) {
            bytes += QByteArray::number(i) + " s," + QByteArray::number(i) + " mA\r\n";
            ex.push_back(i);
            ey.push_back(i);
        }
    }
    ASSERT_GT(bytes.size(), 16 << 20);
    ASSERT_TRUE(WriteAll(path, bytes));
    CImportColumn x, y;
    SImportControl control;
    SImportCounts counts;
    ASSERT_EQ(ParseColumnsFromText(x, path, u',', QStringLiteral("Time"), QStringLiteral("Current"), y,
                                   control, &counts),
              kImportOk);
    ASSERT_EQ(x.size(), ex.size());
    EXPECT_EQ(counts.dropped, std::size_t(dropped));
    for (std::size_t i = 0; i < ex.size(); ++i) {
        if (x[i] != ex[i] || y[i] != ey[i]) {
            ADD_FAILURE() << "row " << i << ": " << x[i] << ", " << y[i];
            break;
        }
    }
    EXPECT_EQ(control.done.load(), control.total.load());
}

// A decimal comma anywhere in a file parsed in slices fails the whole file.
TEST(TextImportFile, ADecimalCommaFailsASlicedParse) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    QByteArray bytes("Time\tCurrent\n");
    for (int i = 0; i < 600000; ++i)
        bytes += QByteArray::number(i) + '\t' + QByteArray::number(i * 2) + '\n';
    ASSERT_GT(bytes.size(), 6 << 20);
    for (const QByteArray& last : {QByteArray("7\t1.5\n"), QByteArray("7\t1,5\n")}) {
        ASSERT_TRUE(WriteAll(path, bytes + last));
        CImportColumn x, y;
        SImportControl control;
        const int result = ParseColumnsFromText(x, path, u'\t', QStringLiteral("Time"),
                                                QStringLiteral("Current"), y, control);
        EXPECT_EQ(result, last.contains(',') ? kImportFailed : kImportOk) << last.constData();
        EXPECT_EQ(x.size(), last.contains(',') ? 0u : 600001u) << last.constData();
    }
}

TEST(TextImportFile, CancelledBeforeStartGivesCancelAndNoData) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.csv"));
    ASSERT_TRUE(WriteAll(path, "Time,Current\n1,2\n"));
    CImportColumn x, y;
    SImportControl control;
    control.cancel = true;
    EXPECT_EQ(
        ParseColumnsFromText(x, path, u',', QStringLiteral("Time"), QStringLiteral("Current"), y, control),
        kImportCancelled);
    EXPECT_TRUE(x.empty());
    EXPECT_TRUE(y.empty());
}

std::vector<double> Values(const CImportColumn& column) {
    return std::vector<double>(column.begin(), column.end());
}

// The data-logging page's reader: several columns by their fields, each with the times of its own
// values, and a column that no field names stays empty.
TEST(TextTable, EachColumnTakesTheRowsThatHoldItsValue) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.csv"));
    ASSERT_TRUE(WriteAll(path, "Time,Voltage,Current DC,\r\n0,3.3,0.001\r\n1,3.2\r\n2,--,0.002\r\nx,1,2\r\n"
                               "3,3.0 V,4e-3 A,\r\n"));
    std::vector<STextColumn> columns;
    SImportControl control;
    SImportCounts counts;
    const auto choose = [](const QString& header, std::vector<STextColumn>& chosen) {
        QStringList fields;
        EXPECT_EQ(SplitByChar(fields, header, u','), 3);
        chosen.resize(3);
        chosen[0].field = 1;
        chosen[1].field = 2;
        chosen[2].field = -1;
        return true;
    };
    ASSERT_EQ(ParseTextTable(path, u',', choose, columns, control, &counts), kImportOk);
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(Values(columns[0].times), (std::vector<double>{0, 1, 3}));
    EXPECT_EQ(Values(columns[0].values), (std::vector<double>{3.3, 3.2, 3.0}));
    EXPECT_EQ(Values(columns[1].times), (std::vector<double>{0, 2, 3}));
    EXPECT_EQ(Values(columns[1].values), (std::vector<double>{0.001, 0.002, 4e-3}));
    EXPECT_TRUE(columns[2].values.empty());
    EXPECT_EQ(counts.rows, 4u);
    EXPECT_EQ(counts.dropped, 1u);

    const auto refuse = [](const QString&, std::vector<STextColumn>&) { return false; };
    EXPECT_EQ(ParseTextTable(path, u',', refuse, columns, control), kImportFailed);
    EXPECT_TRUE(columns.empty());
}

TEST(TextHeader, FirstLineByItsEncodingAndLineEnd) {
    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray bytes;
        int result;
        const char* line;
    } cases[] = {
        {"lf", "Time,Current\n1,2\n", 1, "Time,Current"},
        {"cr", "Time,Current\r1,2\r", 1, "Time,Current"},
        {"crlf", "Time,Current\r\n1,2\r\n", 1, "Time,Current"},
        {"none", "Time,Current", 1, "Time,Current"},
        {"utf8",
         "\xEF\xBB\xBFTime,\xCE\xBC"
         "A\n",
         1, "Time,\u03BCA"},
        {"utf16", Utf16WithMark(QString::fromUtf8("Time\t\u00B5A\r\n1\t2")), 1, "Time\t\u00B5A"},
        {"cp936", kTimeGb + "," + kCurrentGb + "\n", 1, "\u65F6\u95F4,\u7535\u6D41"},
        {"empty", "", 0, ""},
        {"too long", "Time,Current" + Repeated(' ', 2 << 20) + "\n", 0, ""},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(WriteAll(path, c.bytes));
        QString line = QStringLiteral("stale");
        EXPECT_EQ(ReadTextHeaderLine(path, line), c.result) << c.name;
        if (c.result == 1) {
            EXPECT_EQ(line, QString::fromUtf8(c.line)) << c.name;
        }
    }
}

// ---- hostile files, each read in a child process so that a crash is a failure of the test ----------

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

std::int64_t StatusBytes(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(static_cast<qsizetype>(std::strlen(key))).trimmed().split(' ')[0].toLongLong() *
                   1024;
    }
    return -1;
}

struct SChild {
    bool exited = false;
    int result = -100; // the import's result when the child exited
    int signal = 0;
    std::int64_t rows = 0;          // rows the import kept
    std::int64_t addressGrowth = 0; // peak address space above the fork, bytes
    std::int64_t peakResident = 0;  // peak resident set, bytes
};

// The text import of a file in a child process whose address space may grow by 'budget' bytes beyond
// what it has at the fork (its threads' stacks and heaps included; no limit when 0). 'during' runs on a
// thread of the child beside the import.
SChild ImportInChild(const QString& path, QChar separator, std::int64_t budget, bool cancel = false,
                     const std::function<void(SImportControl&)>& during = {}) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        const std::int64_t base = StatusBytes("VmSize:");
        if (budget > 0) {
            const rlimit limit{static_cast<rlim_t>(base + budget), static_cast<rlim_t>(base + budget)};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        CImportColumn x, y;
        SImportControl control;
        control.cancel = cancel;
        std::thread beside;
        if (during)
            beside = std::thread([&] { during(control); });
        const int result = ParseColumnsFromText(x, path, separator, QStringLiteral("Time"),
                                                QStringLiteral("Current"), y, control);
        if (beside.joinable())
            beside.join();
        const std::int64_t report[3] = {static_cast<std::int64_t>(x.size()), StatusBytes("VmPeak:") - base,
                                        StatusBytes("VmHWM:")};
        if (::write(pipeFds[1], report, sizeof report) != static_cast<ssize_t>(sizeof report))
            ::_exit(99);
        ::_exit(10 + result);
    }
    ::close(pipeFds[1]);
    SChild child;
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) {
        ::close(pipeFds[0]);
        return child;
    }
    std::int64_t report[3] = {0, 0, 0};
    if (::read(pipeFds[0], report, sizeof report) == static_cast<ssize_t>(sizeof report)) {
        child.rows = report[0];
        child.addressGrowth = report[1];
        child.peakResident = report[2];
    }
    ::close(pipeFds[0]);
    child.exited = WIFEXITED(status);
    child.result = child.exited ? WEXITSTATUS(status) - 10 : -100;
    child.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return child;
}

bool WriteRepeated(const QString& path, const QByteArray& head, const QByteArray& unit, std::int64_t bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(head) != head.size())
        return false;
    QByteArray block;
    while (block.size() < (1 << 20))
        block += unit;
    for (std::int64_t written = 0; written < bytes; written += block.size()) {
        if (file.write(block) != block.size())
            return false;
    }
    return file.flush();
}

constexpr std::int64_t kMiB = 1 << 20;

// 256 MiB of empty lines keep no row, and the import needs no memory for them (arrays sized by the
// line count took 4 GiB and more).
TEST(HostileText, EmptyLinesNeedNoMemory) {
    if (kSanitized)
        GTEST_SKIP() << "address space limits do not apply under the sanitizers";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.csv"));
    ASSERT_TRUE(WriteRepeated(path, "Time,Current\n1,2\n", "\n", 256 * kMiB));
    const SChild child = ImportInChild(path, u',', 1024 * kMiB);
    EXPECT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_EQ(child.result, kImportOk);
    EXPECT_EQ(child.rows, 1);
    std::printf("[ note     ] 256 MiB of empty lines: address space +%lld MiB, peak resident %lld MiB\n",
                static_cast<long long>(child.addressGrowth / kMiB),
                static_cast<long long>(child.peakResident / kMiB));
}

// More rows than fit: the import fails and the program goes on.
TEST(HostileText, RowsBeyondTheMemoryFailTheImport) {
    if (kSanitized)
        GTEST_SKIP() << "address space limits do not apply under the sanitizers";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rows.csv"));
    ASSERT_TRUE(WriteRepeated(path, "Time,Current\n", "1,2\n", 64 * kMiB));
    const SChild child = ImportInChild(path, u',', 256 * kMiB);
    EXPECT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_EQ(child.result, kImportFailed);
}

// A first line that never ends: reading stops early (no header is that long), and Cancel is seen while
// it is read.
TEST(HostileText, EndlessFirstLineStopsEarlyAndSeesCancel) {
    if (kSanitized)
        GTEST_SKIP() << "address space limits do not apply under the sanitizers";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("line.txt"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_GT(file.write(Utf16WithMark(QStringLiteral("Time\tCurrent "))), 0);
        // A gigabyte of UTF-16 text without a line end, taking no room on the disk.
        ASSERT_TRUE(file.resize(1024 * kMiB));
    }
    for (const bool cancel : {false, true}) {
        const SChild child = ImportInChild(path, u'\t', 256 * kMiB, cancel);
        EXPECT_TRUE(child.exited) << "signal " << child.signal;
        EXPECT_EQ(child.result, cancel ? kImportCancelled : kImportFailed);
    }
}

// A file cut short while it is read is a failed import, never a crash.
TEST(HostileText, FileTruncatedWhileReadFails) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.csv"));
    ASSERT_TRUE(WriteRepeated(path, "Time,Current\n", "0.000012345,1.234567e-03\n", 256 * kMiB));
    const SChild child = ImportInChild(path, u',', 0, false, [&](SImportControl& control) {
        while (!control.started.load())
            std::this_thread::yield();
        if (::truncate(QFile::encodeName(path).constData(), 4096) != 0)
            std::abort();
    });
    EXPECT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_EQ(child.result, kImportFailed);
}

struct SUnitCase {
    const char* header;
    int found;
    double factor;
};

TEST(UnitScale, FirstUnitOfTheListThatBeginsAWord) {
    const SUnitCase cases[] = {
        {"Time (ns)", 1, 1e-9},
        {"Time (\u03BCs)", 1, 1e-6},
        {"Voltage (\u03BCV)", 1, 1e-6},
        {"Current (\u03BCA)", 1, 1e-6},
        {"Time (ms)", 1, 1e-3},
        {"Voltage (mV)", 1, 1e-3},
        {"Current (mA)", 1, 1e-3},
        {"Time \u00B5s", 1, 1e-6},
        {"Voltage[\u00B5V]", 1, 1e-6},
        {"Current (\u00B5A)", 1, 1e-6},
        {"Current/nA", 1, 1e-9},
        {"Current (pA)", 1, 1e-12},
        {"Time (msec)", 1, 1e-3},
        {"Current (mAmp)", 1, 1e-3},
        {"msec", 1, 1e-3},
        {"Time_ms", 1, 1e-3},
        {"2mA", 1, 1e-3},
        {"\u7535\u6D41mA", 1, 1e-3},
        {"Current mA over ns", 1, 1e-9},
        {"rms (mA)", 1, 1e-3},
        {"Instrument", 0, 1.0},
        {"Current rms", 0, 1.0},
        {"Items", 0, 1.0},
        {"Time (s)", 0, 1.0},
        {"Current (A)", 0, 1.0},
        {"Time (Ms)", 0, 1.0},
        {"Time ps", 0, 1.0},
        {"", 0, 1.0},
    };
    for (const SUnitCase& c : cases) {
        double factor = 7.0;
        EXPECT_EQ(GetUnitScale(QString::fromUtf8(c.header), factor), c.found) << c.header;
        EXPECT_DOUBLE_EQ(factor, c.factor) << c.header;
    }
}

TEST(NumberPrefix, AsWcstodReadsIt) {
    const struct {
        std::string text;
        bool number;
        double value;
        int length; // characters up to the end of the number
    } cases[] = {
        {"2.5V", true, 2.5, 3},     {" -1e-3 A", true, -1e-3, 6}, {"+4", true, 4, 2},
        {"0x10", true, 16, 4},      {"0x1p-2", true, 0.25, 6},    {"0xg", true, 0, 1},
        {".5", true, 0.5, 2},       {"5.", true, 5, 2},           {"1e", true, 1, 1},
        {"1e+", true, 1, 1},        {"1,5", true, 1, 1},          {"1e-400", true, 0, 6},
        {"-1e-400", true, -0.0, 7}, {"abc", false, 0, 0},         {"", false, 0, 0},
        {"  ", false, 0, 0},        {"--1", false, 0, 0},         {"+-1", false, 0, 0},
        {".", false, 0, 0},         {"1e400", false, 0, 0},       {"-1e400", false, 0, 0},
        {"inf", false, 0, 0},       {"nan", false, 0, 0},         {"1" + std::string(400, '0'), false, 0, 0},
    };
    for (const auto& c : cases) {
        const std::string& text = c.text;
        double value = 99.0;
        const char* end = platform::ParseNumberPrefix(text.data(), text.data() + text.size(), value);
        EXPECT_EQ(end != nullptr, c.number) << text;
        const QString wide = QString::fromStdString(text);
        const auto* first = reinterpret_cast<const char16_t*>(wide.utf16());
        double wideValue = 99.0;
        const char16_t* wideEnd = platform::ParseNumberPrefix(first, first + wide.size(), wideValue);
        EXPECT_EQ(wideEnd != nullptr, c.number) << text;
        if (c.number && end != nullptr && wideEnd != nullptr) {
            EXPECT_EQ(value, c.value) << text;
            EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << text;
            EXPECT_EQ(end - text.data(), c.length) << text;
            EXPECT_EQ(wideValue, c.value) << text;
            EXPECT_EQ(wideEnd - first, c.length) << text;
        }
    }
}

// Every decimal form the writers and other tools produce gives the value from_chars gives, to the bit.
TEST(NumberPrefix, SameValueAsFromChars) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-40, 40);
    std::uniform_int_distribution<int> precision(0, 20);
    char text[128];
    for (int i = 0; i < 200000; ++i) {
        const double v = mantissa(random) * std::pow(10.0, exponent(random));
        const int digits = precision(random);
        const int length = i % 3 == 0   ? std::snprintf(text, sizeof text, "%.*e", digits, v)
                           : i % 3 == 1 ? std::snprintf(text, sizeof text, "%.*f", digits % 12, v)
                                        : std::snprintf(text, sizeof text, "%.*g", digits + 1, v);
        double expected = 0.0;
        const auto [ptr, ec] = std::from_chars(text, text + length, expected);
        ASSERT_EQ(ec, std::errc()) << text;
        double value = 1.0;
        const char* end = platform::ParseNumberPrefix(text, text + length, value);
        ASSERT_NE(end, nullptr) << text;
        EXPECT_EQ(end, ptr) << text;
        EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << text;
    }
}

TEST(SplitByChar, FieldsAsTheSeparatorsCutThem) {
    const struct {
        const char* line;
        QStringList fields;
    } cases[] = {
        {"a,b", {"a", "b"}}, {"a,b,", {"a", "b"}}, {",a", {"", "a"}}, {"a,,b", {"a", "", "b"}}, {"", {}},
        {"abc", {"abc"}},
    };
    for (const auto& c : cases) {
        QStringList out{QStringLiteral("stale")};
        EXPECT_EQ(SplitByChar(out, QString::fromLatin1(c.line), u','), c.fields.size()) << c.line;
        EXPECT_EQ(out, c.fields) << c.line;
    }
}

// A workbook as the program writes it: text headers, numbers as doubles, plus rows a user edited.
QString WriteProjectWorkbook(const QString& path) {
    ExcelDocument document;
    document.New();
    EXPECT_TRUE(document.RenameSheet("Sheet1", "Current"));
    ExcelSheet* sheet = document.GetSheetByName("Current");
    sheet->Cell(0, 0)->SetString("Time (ms)");
    sheet->Cell(0, 1)->SetWString(u"Current (\u03BCA)");
    auto number = [sheet](int row, int column, double value) {
        ExcelCell* cell = sheet->Cell(row, column);
        cell->type = ExcelCell::eDouble;
        cell->dval = value;
    };
    number(1, 0, 1.0);
    number(1, 1, 2.0);
    number(2, 0, 3.0); // blank current: dropped
    sheet->Cell(3, 0)->SetString("5");
    number(3, 1, 6.0);
    number(4, 0, 7.0);
    sheet->Cell(4, 1)->SetString("n/a"); // text: dropped
    number(5, 0, 9.0);
    number(5, 1, 10.0);
    EXPECT_TRUE(document.SaveAs(path));
    return path;
}

TEST(XlsImport, ProjectWorkbookKeepsPairedRowsAndScales) {
    QTemporaryDir dir;
    const QString path = WriteProjectWorkbook(dir.filePath(QStringLiteral("w.xls")));
    CImportColumn x, y;
    SImportControl control;
    SImportCounts counts;
    ASSERT_EQ(
        ParseColumnsFromXls(path, QStringLiteral("Time"), x, QStringLiteral("Current"), y, control, &counts),
        kImportOk);
    const std::vector<double> ex{1e-3, 5e-3, 9e-3}, ey{2e-6, 6e-6, 10e-6};
    ASSERT_EQ(x.size(), ex.size());
    ASSERT_EQ(y.size(), ey.size());
    for (std::size_t i = 0; i < ex.size(); ++i) {
        EXPECT_DOUBLE_EQ(x[i], ex[i]);
        EXPECT_DOUBLE_EQ(y[i], ey[i]);
    }
    EXPECT_EQ(counts.dropped, 2u);
    EXPECT_EQ(ParseColumnsFromXls(path, QStringLiteral("Time"), x, QStringLiteral("Voltage"), y, control),
              kImportFailed);
}

TEST(XlsImport, SingleColumnAndNonWorkbookFail) {
    QTemporaryDir dir;
    const QString single = dir.filePath(QStringLiteral("s.xls"));
    {
        ExcelDocument document;
        document.New();
        ExcelSheet* sheet = document.GetSheet(0);
        sheet->Cell(0, 0)->SetString("Time");
        sheet->Cell(1, 0)->SetString("1");
        ASSERT_TRUE(document.SaveAs(single));
    }
    const QString text = dir.filePath(QStringLiteral("t.xls"));
    ASSERT_TRUE(WriteAll(text, "Time,Current\n1,2\n"));
    CImportColumn x, y;
    SImportControl control;
    for (const QString& path : {single, text})
        EXPECT_EQ(ParseColumnsFromXls(path, QStringLiteral("Time"), x, QStringLiteral("Current"), y, control),
                  kImportFailed)
            << path.toStdString();
}

// A workbook saved by LibreOffice from a CSV file.
TEST(XlsImportPeer, LibreOfficeWorkbook) {
    const QString office = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    if (office.isEmpty())
        GTEST_SKIP() << "libreoffice is not installed";
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("lo.csv"));
    ASSERT_TRUE(WriteAll(csv, "Time (ms),Current (mA)\n1,2\n2.5,-3e-2\nfoot,note\n4,5\n"));
    QProcess process;
    process.start(office,
                  {QStringLiteral("--headless"),
                   QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                   QStringLiteral("--convert-to"), QStringLiteral("xls"), QStringLiteral("--outdir"),
                   dir.path(), csv});
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString xls = dir.filePath(QStringLiteral("lo.xls"));
    ASSERT_TRUE(QFile::exists(xls)) << process.readAllStandardError().toStdString();
    CImportColumn x, y;
    SImportControl control;
    SImportCounts counts;
    ASSERT_EQ(
        ParseColumnsFromXls(xls, QStringLiteral("Time"), x, QStringLiteral("Current"), y, control, &counts),
        kImportOk);
    const std::vector<double> ex{1e-3, 2.5e-3, 4e-3}, ey{2e-3, -3e-5, 5e-3};
    ASSERT_EQ(x.size(), ex.size());
    for (std::size_t i = 0; i < ex.size(); ++i) {
        EXPECT_DOUBLE_EQ(x[i], ex[i]);
        EXPECT_DOUBLE_EQ(y[i], ey[i]);
    }
    EXPECT_EQ(counts.dropped, 1u);
}

TEST(ProgressWnd, PercentIn64Bits) {
    EXPECT_EQ(CProgressWnd::Percent(3'000'000'000LL, 0, 6'000'000'000LL), 50);
    EXPECT_EQ(CProgressWnd::Percent(30'000'000, 0, 40'000'000), 75);
    EXPECT_EQ(CProgressWnd::Percent(5, 10, 10), 0);
    EXPECT_EQ(CProgressWnd::Percent(200, 0, 100), 100);
    EXPECT_EQ(CProgressWnd::Percent(1, 0, 200), 1); // 0.5 rounds up
    EXPECT_EQ(CProgressWnd::Percent(0, 0, 0), 0);
}

TEST(ProgressWnd, ModalToOwnerWhichCannotCloseUnderIt) {
    App();
    QWidget owner;
    owner.show();
    auto* window = new CProgressWnd(&owner);
    EXPECT_EQ(window->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(window->isVisible());
    window->SetRange(0, 4'000'000'000LL);
    window->SetPos(1'000'000'000LL);
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral("[25%]")))
        << window->windowTitle().toStdString();
    EXPECT_FALSE(owner.close());
    EXPECT_TRUE(owner.isVisible());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window, &escape);
    EXPECT_TRUE(window->Cancelled());
    EXPECT_FALSE(window->PeekAndPump());
    EXPECT_FALSE(window->isVisible());
    delete window;
    EXPECT_TRUE(owner.close());
}

CProgressWnd* OpenProgressWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = dynamic_cast<CProgressWnd*>(widget); window != nullptr && window->isVisible())
            return window;
    }
    return nullptr;
}

// Counts the progress windows shown, whether or not the test serves events meanwhile.
class CProgressWindowCounter : public QObject {
public:
    CProgressWindowCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~CProgressWindowCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && dynamic_cast<CProgressWnd*>(watched) != nullptr)
            ++shown;
        return false;
    }
};

bool WaitFor(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 30000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The Cancel button of the progress window, clicked while a large file is read on the worker: the
// import fails as a mismatch does, and the columns stay empty.
TEST(ImportWindow, CancelButtonFailsTheImportAndLeavesNoColumns) {
    App();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.csv"));
    ASSERT_TRUE(WriteRepeated(path, "Time,Current\n", "0.000012345,1.234567e-03\n", 80 * kMiB));
    QWidget owner;
    owner.show();
    bool clicked = false;
    QTimer click;
    click.setInterval(1);
    QObject::connect(&click, &QTimer::timeout, [&] {
        if (CProgressWnd* window = OpenProgressWindow(); window != nullptr && !clicked) {
            platform::FindControl<QPushButton>(window, 10)->click();
            clicked = true;
        }
    });
    click.start();
    CImportColumn x{1}, y{1};
    const int result =
        ImportColumnsFromText(x, path, u',', QStringLiteral("Time"), QStringLiteral("Current"), y, &owner);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(result, kImportFailed);
    EXPECT_TRUE(x.empty());
    EXPECT_TRUE(y.empty());
    EXPECT_EQ(OpenProgressWindow(), nullptr);
}

// A text file that is no long work is read without a progress window, and so is a workbook that is not
// the page's: it fails before any window comes.
TEST(ImportWindow, NoWindowForAShortTextFileOrAWorkbookThatFails) {
    App();
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("a.csv"));
    ASSERT_TRUE(WriteAll(text, "Time,Current\n1,2\n3,4\n"));
    const QString single = dir.filePath(QStringLiteral("s.xls"));
    {
        ExcelDocument document;
        document.New();
        ExcelSheet* sheet = document.GetSheet(0);
        sheet->Cell(0, 0)->SetString("Time");
        sheet->Cell(1, 0)->SetString("1");
        ASSERT_TRUE(document.SaveAs(single));
    }
    QWidget owner;
    owner.show();
    CProgressWindowCounter counter;
    CImportColumn x, y;
    EXPECT_EQ(
        ImportColumnsFromText(x, text, u',', QStringLiteral("Time"), QStringLiteral("Current"), y, &owner),
        kImportOk);
    EXPECT_EQ(x.size(), 2u);
    EXPECT_EQ(ImportColumnsFromXls(&owner, single, QStringLiteral("Time"), x, QStringLiteral("Current"), y),
              kImportFailed);
    EXPECT_EQ(counter.shown, 0);
}

TEST(ImportWindow, ReadsThroughTheWorker) {
    App();
    QTemporaryDir dir;
    const QString path = WriteProjectWorkbook(dir.filePath(QStringLiteral("w.xls")));
    CImportColumn x, y;
    EXPECT_EQ(ImportColumnsFromXls(nullptr, path, QStringLiteral("Time"), x, QStringLiteral("Current"), y),
              kImportOk);
    EXPECT_EQ(x.size(), 3u);
    EXPECT_EQ(OpenProgressWindow(), nullptr);
}

// Takes the application's quit requests so that the test process goes on.
class CQuitRecorder : public QObject {
public:
    CQuitRecorder() { QCoreApplication::instance()->installEventFilter(this); }
    ~CQuitRecorder() override { QCoreApplication::instance()->removeEventFilter(this); }
    int quits = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
            ++quits;
            return true;
        }
        return false;
    }
};

// The program told to end while a job pumps the window: the job is told to stop, and the request is
// made again once the window is gone.
TEST(ProgressWnd, QuitStopsTheJobAndIsMadeAgainAfterIt) {
    App();
    CQuitRecorder recorder;
    QWidget owner;
    owner.show();
    auto* window = new CProgressWnd(&owner);
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
    EXPECT_FALSE(window->PeekAndPump());
    EXPECT_TRUE(window->Ending());
    EXPECT_FALSE(window->PeekAndPump());
    EXPECT_EQ(recorder.quits, 0);
    window->DestroyWindow();
    EXPECT_TRUE(WaitFor([&] { return recorder.quits == 1; }));
    delete window;
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.quits, 1);
}

TEST(ProgressWnd, CancelBringsTheMainWindowToTheFront) {
    App();
    QMainWindow main;
    main.show();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &other; }));
    CProgressWnd window(nullptr);
    platform::FindControl<QPushButton>(&window, 10)->click();
    EXPECT_TRUE(window.Cancelled());
    EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &main; }));
}

} // namespace
