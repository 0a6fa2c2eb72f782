#include "lumora/core/DataImport.h"
#include "CoreTestFiles.h"
#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "lumora/shell/ProgressWnd.h"
#include "platform/ControlId.h"

#include <QApplication>
#include <QCloseEvent>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <gtest/gtest.h>

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

std::vector<STextCase> TextCases() {
    return {
        {"PlainLf", "Time,Current\n0.5,1\n1.5,2\n", ',', "Time", "Current", 1, {0.5, 1.5}, {1, 2}, 0},
        {"PlainCrLf", "Time,Current\r\n0.5,1\r\n1.5,2\r\n", ',', "Time", "Current", 1, {0.5, 1.5}, {1, 2}, 0},
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
        {"NonNumericFieldsDropRows",
         "Time,Current\n1,2\n--,3\n\"4\",5\n6,abc\n7,8x\nTotal,2 rows\nnan,1\n9,10\n",
         ',',
         "Time",
         "Current",
         1,
         {1, 9},
         {2, 10},
         6},
        {"SignAndBlanksAround", "Time,Current\n +1.5 , -2 \n", ',', "Time", "Current", 1, {1.5}, {-2}, 0},
        {"UnitsMsMa", "Time (ms),Current (mA)\n2,3\n", ',', "Time", "Current", 1, {0.002}, {0.003}, 0},
        {"UnitNsBracketed", "Time[ns],Current\n5,1\n", ',', "Time", "Current", 1, {5e-9}, {1}, 0},
        {"UnitPs", "Time ps,Current nA\n5,1\n", ',', "Time", "Current", 1, {5e-12}, {1e-9}, 0},
        {"Utf16MicroSign",
         Utf16WithMark(QString::fromUtf8("Time (s),Current (\u00B5A)\n1,2\n")),
         ',',
         "Time",
         "Current",
         1,
         {1},
         {2e-6},
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
        {"NoNumericRow", "Time,Current\n--,--\n", ',', "Time", "Current", 0, {}, {}, 0},
        {"HeaderOnly", "Time,Current\n", ',', "Time", "Current", 0, {}, {}, 0},
        {"Empty", "", ',', "Time", "Current", 0, {}, {}, 0},
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
    std::vector<double> x{99}, y{99};
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
    }
}

INSTANTIATE_TEST_SUITE_P(Files, TextImport, ::testing::ValuesIn(TextCases()),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(TextImportFile, MissingFileFails) {
    std::vector<double> x, y;
    SImportControl control;
    EXPECT_EQ(ParseColumnsFromText(x, QStringLiteral("/nonexistent/a.csv"), u',', QStringLiteral("Time"),
                                   QStringLiteral("Current"), y, control),
              kImportFailed);
}

// Large enough to be parsed in slices: rows stay in file order and dropped rows leave no gap.
TEST(TextImportFile, SlicedParseKeepsOrder) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.csv"));
    QByteArray bytes("Time,Current\n");
    const int rows = 400000;
    for (int i = 0; i < rows; ++i) {
        bytes += QByteArray::number(i) + ',' + QByteArray::number(i * 2) + '\n';
        if (i % 1000 == 0)
            bytes += "--,1\n";
    }
    ASSERT_GT(bytes.size(), 4 << 20);
    ASSERT_TRUE(WriteAll(path, bytes));
    std::vector<double> x, y;
    SImportControl control;
    SImportCounts counts;
    ASSERT_EQ(ParseColumnsFromText(x, path, u',', QStringLiteral("Time"), QStringLiteral("Current"), y,
                                   control, &counts),
              kImportOk);
    ASSERT_EQ(x.size(), std::size_t(rows));
    EXPECT_EQ(counts.dropped, std::size_t(rows / 1000));
    for (int i = 0; i < rows; ++i) {
        if (x[i] != i || y[i] != 2.0 * i) {
            ADD_FAILURE() << "row " << i << ": " << x[i] << ", " << y[i];
            break;
        }
    }
    EXPECT_EQ(control.done.load(), control.total.load());
}

TEST(TextImportFile, CancelledBeforeStartGivesCancelAndNoData) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.csv"));
    ASSERT_TRUE(WriteAll(path, "Time,Current\n1,2\n"));
    std::vector<double> x, y;
    SImportControl control;
    control.cancel = true;
    EXPECT_EQ(
        ParseColumnsFromText(x, path, u',', QStringLiteral("Time"), QStringLiteral("Current"), y, control),
        kImportCancelled);
    EXPECT_TRUE(x.empty());
    EXPECT_TRUE(y.empty());
}

struct SUnitCase {
    const char* header;
    int found;
    double factor;
};

TEST(UnitScale, OnlyUnitTokensCount) {
    const SUnitCase cases[] = {
        {"Time (ms)", 1, 1e-3},         {"Time ns", 1, 1e-9},
        {"Current [mA]", 1, 1e-3},      {"Voltage(mV)", 1, 1e-3},
        {"Current/nA", 1, 1e-9},        {"Current (pA)", 1, 1e-12},
        {"Current (\u00B5A)", 1, 1e-6}, {"Current (\u03BCA)", 1, 1e-6},
        {"Time \u03BCs", 1, 1e-6},      {"Instrument", 0, 1.0},
        {"Current rms", 0, 1.0},        {"Time (s)", 0, 1.0},
        {"Current (A)", 0, 1.0},        {"msec", 0, 1.0},
        {"Time (Ms)", 0, 1.0},          {"", 0, 1.0},
    };
    for (const SUnitCase& c : cases) {
        double factor = 7.0;
        EXPECT_EQ(GetUnitScale(QString::fromUtf8(c.header), factor), c.found) << c.header;
        EXPECT_DOUBLE_EQ(factor, c.factor) << c.header;
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
    std::vector<double> x, y;
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
    std::vector<double> x, y;
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
    std::vector<double> x, y;
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

// The Cancel button of the progress window, clicked while a large file is read on the worker.
TEST(ImportWindow, CancelButtonGivesCancelledAndNoColumns) {
    App();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.csv"));
    QByteArray bytes("Time,Current\n");
    bytes.reserve(60 << 20);
    for (int i = 0; i < 3'000'000; ++i)
        bytes += "0.000012345,1.234567e-03\n";
    ASSERT_TRUE(WriteAll(path, bytes));
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
    std::vector<double> x{1}, y{1};
    const int result =
        ImportColumnsFromText(x, path, u',', QStringLiteral("Time"), QStringLiteral("Current"), y, &owner);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(result, kImportCancelled);
    EXPECT_TRUE(x.empty());
    EXPECT_TRUE(y.empty());
    EXPECT_EQ(OpenProgressWindow(), nullptr);
}

TEST(ImportWindow, ReadsThroughTheWorker) {
    App();
    QTemporaryDir dir;
    const QString path = WriteProjectWorkbook(dir.filePath(QStringLiteral("w.xls")));
    std::vector<double> x, y;
    EXPECT_EQ(ImportColumnsFromXls(nullptr, path, QStringLiteral("Time"), x, QStringLiteral("Current"), y),
              kImportOk);
    EXPECT_EQ(x.size(), 3u);
    EXPECT_EQ(OpenProgressWindow(), nullptr);
}

} // namespace
