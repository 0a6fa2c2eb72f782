// The view with its four pages inside a real frame (offscreen): switching pages by their commands,
// opening and saving each page's files, outside readers on what it saved, screenshots and printing.
#include "FrameFixture.h"
#include "lumora/LumoraStrings.h"

#include "lumora/core/BinDataFile.h"
#include "lumora/core/DataImport.h"
#include "lumora/core/FilePageStrings.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/QXAppDialogMeasCCDF.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "lumora/core/QXAppDialogMeasVoltage.h"
#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "lumora/shell/LumoraDoc.h"
#include "lumora/shell/LumoraView.h"
#include "platform/StringTable.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"
#include "waveform/tailplot/WaveformCCDFMainWnd.h"

#include "lumora/shell/ProgressWnd.h"
#include "platform/ControlId.h"
#include "tests/sheetio/StreamBuilder.h"
#include "tests/support/ForeignLink.h"
#include "tests/support/MemoryLimitedChild.h"
#include "tests/support/WaitFor.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace {

using namespace frametest;

// The view with its file dialogs answered by the test.
class CTestView : public CLumoraView {
public:
    using CLumoraView::CLumoraView;
    QString openAnswer;
    QString saveAnswer;
    QString filterAnswer;
    QString proposed;

protected:
    QString AskOpenFileName(const QString&, const QString&) override { return openAnswer; }
    QString AskSaveFileName(const QString&, const QString& name, const QString&, QString* selected) override {
        proposed = name;
        if (selected != nullptr)
            *selected = filterAnswer;
        return saveAnswer;
    }
};

class View : public testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        m_folder = std::make_unique<CProgramFolder>();
        m_folder->WriteConfiguration(1, false);
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_GE(m_frame->OnCreate(), 0);
        m_view = new CTestView(m_frame.get(), m_frame.get());
        ASSERT_EQ(CLumoraView::CreateInFrame(*m_frame, m_view), m_view);
        m_frame->resize(1000, 700);
        m_frame->show();
        m_messages.Clear();
    }
    void TearDown() override {
        m_frame.reset();
        m_folder.reset();
    }
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    // Runs the commands the view posted to the frame.
    void Pump() {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }
    bool Select(unsigned id) {
        const bool done = m_frame->OnCommand(id);
        Pump();
        return done;
    }
    static bool WriteFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    void FillDataLogging(const std::vector<double>& x, const std::vector<double>& y) {
        LogOnPage(*m_view->PageDLOG(), x, y, 3);
    }

    // Opens the file through the view, pressing Cancel in its progress window as soon as the window
    // shows that the read got somewhere; whether it did. 'opened' is what the open gave.
    bool OpenCancellingOnceShown(const QString& path, int& opened) {
        bool cancelled = false;
        CProgressWatch watch([&](CProgressWnd& window) {
            if (!cancelled && window.GetPos() > 0) {
                CProgressWatch::Cancel(window);
                cancelled = true;
            }
        });
        opened = m_view->OpenWaveformFile(path);
        return cancelled;
    }

    CMessageRecorder m_messages;
    QTemporaryDir m_dir;
    std::unique_ptr<CProgramFolder> m_folder;
    std::unique_ptr<CMainFrame> m_frame;
    CTestView* m_view = nullptr;
};

TEST_F(View, PageCommandsSwitchTheFourPages) {
    ASSERT_NE(m_view->PageCurrent(), nullptr);
    ASSERT_NE(m_view->PageVoltage(), nullptr);
    ASSERT_NE(m_view->PageCCDF(), nullptr);
    ASSERT_NE(m_view->PageDLOG(), nullptr);
    EXPECT_EQ(m_view->VisiblePage(), m_view->PageCurrent());
    EXPECT_EQ(m_frame->CurrentPage(), m_view->PageCurrent());
    EXPECT_EQ(m_frame->DataLoggingPage(), m_view->PageDLOG());
    // Only the current and data-logging pages print and save screenshots; on the voltage and CCDF
    // pages those commands do nothing and are not offered.
    const struct {
        unsigned id;
        QWidget* page;
        bool prints;
    } steps[] = {
        {CMainFrame::ID_MEASURE_VOLTAGE, m_view->PageVoltage(), false},
        {CMainFrame::ID_MEASURE_CCDF, m_view->PageCCDF(), false},
        {CMainFrame::ID_MEASURE_DATALOGGING, m_view->PageDLOG(), true},
        {CMainFrame::ID_MEASURE_CURRENT, m_view->PageCurrent(), true},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(Select(step.id)) << step.id;
        EXPECT_EQ(m_frame->SelectedPage(), step.id);
        EXPECT_EQ(m_view->VisiblePage(), step.page) << step.id;
        EXPECT_TRUE(step.page->isVisible()) << step.id;
        EXPECT_EQ(m_view->PrintedWindow() != nullptr, step.prints) << step.id;
        for (unsigned command : {CLumoraView::ID_FILE_PRINT, CLumoraView::ID_FILE_PRINT_DIRECT,
                                 CLumoraView::ID_FILE_PRINT_PREVIEW, CLumoraView::ID_SAVE_SCREENSHOT})
            EXPECT_EQ(m_frame->QueryCommand(command).m_enabled, step.prints) << step.id << " " << command;
    }
    m_view->ShowMeasurementPage(40000);
    EXPECT_EQ(m_view->VisiblePage(), nullptr);
}

TEST_F(View, CurrentPageFilesRoundTripThroughOpenAndSave) {
    const std::vector<double> x{0.0, 0.001, 0.0025}, y{1.5e-3, -2.5e-6, 0.25};
    m_view->PageCurrent()->SetMeasuredData(const_cast<double*>(x.data()), const_cast<double*>(y.data()), 3,
                                           1);
    for (const char* name : {"cur.csv", "cur.txt", "cur.xls"}) {
        ASSERT_EQ(m_view->SaveWaveformFile(Path(name)), 1) << name;
        m_view->PageCurrent()->ResetMeasurement();
        ASSERT_TRUE(Select(CMainFrame::ID_MEASURE_VOLTAGE));
        ASSERT_EQ(m_view->OpenWaveformFile(Path(name)), 1) << name;
        Pump();
        EXPECT_EQ(m_frame->SelectedPage(), CMainFrame::ID_MEASURE_CURRENT) << name;
        EXPECT_THAT(m_view->PageCurrent()->Waveform()->GetDataMultiLineX(0), ::testing::ElementsAreArray(x))
            << name;
        EXPECT_THAT(m_view->PageCurrent()->Waveform()->GetDataMultiLineY(0), ::testing::ElementsAreArray(y))
            << name;
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
    const QStringList rows = ReadWithXlrd(Path("cur.xls"));
    EXPECT_EQ(rows, (QStringList{"'Time','Current'", "0.0,0.0015", "0.001,-2.5e-06", "0.0025,0.25"}));
}

// The samples a file holds: times, then the value columns by name.
struct SSourceFile {
    const char* name;
    unsigned page;             // the page the view opens it on
    std::vector<double> line0; // the line that page saves afterwards (empty: nothing to save)
    std::vector<double> line0Times;
    const char* header; // the saved value column's name
};

const std::vector<double> kTimes{0.0, 0.5, 1.25};
const std::vector<double> kCurrents{1e-3, 2.5e-6, -3.5e-4};
const std::vector<double> kVolts{3.3, 3.25, 3.2};
const std::vector<double> kMaxima{2e-3, 3e-6, 1e-4};

QByteArray TextTable(const char* header, char separator,
                     const std::vector<const std::vector<double>*>& columns) {
    QByteArray text = QByteArray(header) + "\r\n";
    for (std::size_t i = 0; i < kTimes.size(); ++i) {
        text += QByteArray::number(kTimes[i], 'g', 17);
        for (const std::vector<double>* column : columns)
            text += separator + QByteArray::number((*column)[i], 'g', 17);
        text += "\r\n";
    }
    return text;
}

// A binary data file of the given value columns (1 voltage, 2 DC, 3 minimum, 4 maximum): the header
// the page's writer makes, with the flags and arrays changed.
QByteArray BinFile(const QString& scratch,
                   const std::vector<std::pair<int, const std::vector<double>*>>& columns) {
    CBinDataFile writer;
    if (writer.Write(kTimes.data(), kCurrents.data(), static_cast<unsigned>(kTimes.size()), scratch) != 1)
        return {};
    QFile file(scratch);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(CBinDataFile::kDataOffset);
    const int flags = offsetof(CBinDataFile::SHeader, ColumnPresent);
    for (int column = 1; column <= CBinDataFile::kColumns; ++column) {
        std::uint32_t present = 0;
        for (const auto& [index, values] : columns)
            present = present || index == column;
        std::memcpy(bytes.data() + flags + 4 * (column - 1), &present, 4);
    }
    bytes.append(reinterpret_cast<const char*>(kTimes.data()), qsizetype(kTimes.size() * sizeof(double)));
    for (int column = 1; column <= CBinDataFile::kColumns; ++column) {
        for (const auto& [index, values] : columns) {
            if (index == column)
                bytes.append(reinterpret_cast<const char*>(values->data()),
                             qsizetype(values->size() * sizeof(double)));
        }
    }
    return bytes;
}

// The samples of a saved file as the outside readers see them: csv and txt through Python's csv
// module, xls through xlrd, each row "time value"; the binary file through our reader.
// The rows of a saved file; header receives its value column's name (a binary file's column number).
std::vector<std::pair<double, double>> ReadBack(const QString& path, QString& header) {
    std::vector<std::pair<double, double>> rows;
    header.clear();
    if (path.endsWith(QStringLiteral(".bin"))) {
        CBinDataFile file;
        if (file.Read(path) != 1)
            return rows;
        for (int column = CBinDataFile::kColumns; column >= 1; --column)
            if (file.IsColumnPresent(column))
                header = QString::number(column);
        const auto& values = file.GetColumn(header.toInt());
        for (std::size_t i = 0; i < file.GetTimes().size() && i < values.size(); ++i)
            rows.emplace_back(file.GetTimes()[i], values[i]);
        return rows;
    }
    QProcess python;
    python.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import csv, sys, xlrd\n"
                        "p = sys.argv[1]\n"
                        "if p.endswith('.xls'):\n"
                        "    s = xlrd.open_workbook(p).sheet_by_index(0)\n"
                        "    rows = [[c.value for c in s.row(r)] for r in range(s.nrows)]\n"
                        "else:\n"
                        "    with open(p, newline='') as f:\n"
                        "        rows = list(csv.reader(f, delimiter='\\t' if p.endswith('.txt') else ','))\n"
                        "print(rows[0][0], '|', rows[0][1])\n"
                        "for r in rows[1:]:\n"
                        "    print(repr(float(r[0])), repr(float(r[1])))\n"),
         path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        ADD_FAILURE() << "python: " << python.readAllStandardError().toStdString();
        return rows;
    }
    const QStringList lines =
        QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    header = lines.value(0).section(QStringLiteral(" | "), 1);
    for (const QString& line : lines.mid(1)) {
        const QStringList numbers = line.split(u' ');
        rows.emplace_back(numbers.value(0).toDouble(), numbers.value(1).toDouble());
    }
    return rows;
}

// Each file the data-logging page reads, with and without a DC column, opened through the view and
// saved from the page it opened on in every format: every sample of the current that page saves comes
// back under the current's name (never the voltage beside it), or a message says why nothing was saved.
TEST_F(View, DataLoggingFilesRoundTripThroughOpenAndEverySave) {
    const QString scratch = Path("scratch.bin");
    ASSERT_TRUE(WriteFile(Path("dc.csv"), TextTable("Time,Current DC", ',', {&kCurrents})));
    ASSERT_TRUE(
        WriteFile(Path("dc.txt"), TextTable("Time\tVoltage\tCurrent DC", '\t', {&kVolts, &kCurrents})));
    ASSERT_TRUE(WriteFile(Path("nodc.csv"), TextTable("Time,Voltage,Max", ',', {&kVolts, &kMaxima})));
    ASSERT_TRUE(WriteFile(Path("nodc.txt"), TextTable("Time\tMax\tVoltage", '\t', {&kMaxima, &kVolts})));
    ASSERT_TRUE(WriteFile(Path("dc.bin"), BinFile(scratch, {{1, &kVolts}, {2, &kCurrents}})));
    ASSERT_TRUE(WriteFile(Path("nodc.bin"), BinFile(scratch, {{1, &kVolts}, {4, &kMaxima}})));
    for (const auto& [name, header] : {std::pair{"dc.xls", "Current DC"}, std::pair{"nodc.xls", "Voltage"}}) {
        ExcelDocument document;
        document.New();
        ExcelSheet* sheet = document.GetSheet(0);
        sheet->Cell(0, 0)->SetString("Time");
        sheet->Cell(0, 1)->SetString(header);
        for (std::size_t i = 0; i < kTimes.size(); ++i) {
            for (int column = 0; column < 2; ++column) {
                ExcelCell* cell = sheet->Cell(static_cast<int>(i + 1), column);
                cell->type = ExcelCell::eDouble;
                cell->dval = column == 0                        ? kTimes[i]
                             : std::string(header) == "Voltage" ? kVolts[i]
                                                                : kCurrents[i];
            }
        }
        ASSERT_TRUE(document.SaveAs(Path(name)));
    }
    const SSourceFile sources[] = {
        {"dc.csv", CMainFrame::ID_MEASURE_DATALOGGING, kCurrents, kTimes, "Current DC"},
        {"dc.txt", CMainFrame::ID_MEASURE_DATALOGGING, kCurrents, kTimes, "Current DC"},
        {"nodc.csv", CMainFrame::ID_MEASURE_DATALOGGING, kMaxima, kTimes, "Current Max"},
        {"nodc.txt", CMainFrame::ID_MEASURE_DATALOGGING, kMaxima, kTimes, "Current Max"},
        {"dc.bin", CMainFrame::ID_MEASURE_DATALOGGING, kCurrents, kTimes, "Current DC"},
        {"nodc.bin", CMainFrame::ID_MEASURE_DATALOGGING, kMaxima, kTimes, "Current Max"},
        {"dc.xls", CMainFrame::ID_MEASURE_CURRENT, kCurrents, kTimes, "Current"},
        {"nodc.xls", CMainFrame::ID_MEASURE_VOLTAGE, {}, {}, ""},
    };
    for (const SSourceFile& source : sources) {
        SCOPED_TRACE(source.name);
        m_view->PageDLOG()->ResetDataLogging();
        m_view->PageCurrent()->ResetMeasurement();
        m_messages.Clear();
        ASSERT_EQ(m_view->OpenWaveformFile(Path(source.name)), 1);
        Pump();
        ASSERT_EQ(m_frame->SelectedPage(), source.page);
        EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
        for (const char* type : {"csv", "txt", "xls", "bin"}) {
            SCOPED_TRACE(type);
            const QString saved = Path(source.name) + QStringLiteral(".out.") + QString::fromLatin1(type);
            m_messages.Clear();
            const int result = m_view->SaveWaveformFile(saved);
            const bool writes = !source.line0.empty() && (source.page == CMainFrame::ID_MEASURE_DATALOGGING ||
                                                          std::string(type) != "bin");
            if (!writes) {
                EXPECT_EQ(result, 0);
                EXPECT_EQ(m_messages.Texts().size(), 1);
                const int expected = source.line0.empty() ? IDS_DATA_NOT_READY : IDS_CURRENT_TYPE_UNSUPPORTED;
                EXPECT_EQ(m_messages.Texts().value(0), platform::LoadString(expected));
                EXPECT_FALSE(QFile::exists(saved));
                continue;
            }
            ASSERT_EQ(result, 1) << m_messages.Texts().join(u'\n').toStdString();
            QString header;
            const auto rows = ReadBack(saved, header);
            // A binary file names its column by number: the DC current's 2, the maximum's 4.
            const QString name = QString::fromLatin1(source.header);
            EXPECT_EQ(header, std::string(type) != "bin" ? name
                              : name.endsWith(u"DC")     ? QStringLiteral("2")
                                                         : QStringLiteral("4"));
            ASSERT_EQ(rows.size(), source.line0.size());
            for (std::size_t i = 0; i < rows.size(); ++i) {
                EXPECT_NEAR(rows[i].first, source.line0Times[i], 1e-9) << "row " << i;
                EXPECT_NEAR(rows[i].second, source.line0[i], 1e-12) << "row " << i;
            }
        }
    }
}

// Rows of every kind the text export writes: times with decimals to trim and without, values on both
// sides of the exponent's limits, signs and zeros of both signs, values beyond any plot and values
// that are no numbers. Enough rows that a large export's way through them is taken too.
void ExportRows(std::vector<double>& x, std::vector<double>& y) {
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {
        5e-6,    -2.5e-6, 3e-3,          0.1,      0.0999999, 99999.0,
        99999.5, -0.25,   0.0,           -0.0,     1e-300,    1e300,
        -inf,    inf,     123.456789012, 4.9e-324, 1.5,       std::numeric_limits<double>::quiet_NaN()};
    constexpr std::size_t kRows = 8197;
    x.resize(kRows);
    y.resize(kRows);
    for (std::size_t i = 0; i < kRows; ++i) {
        const auto k = static_cast<double>(i);
        x[i] = i < 4000 ? 0.0002 * k : i < 8000 ? 3600.5 + 0.00013 * k : 1e9 + 0.5 * k;
        y[i] = values[i % std::size(values)] * (1.0 + 1e-6 * static_cast<double>(i % 1000));
    }
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The text exports of both pages, saved through the view's save command, hold the bytes the export
// has always written: the data-logging page's csv file is kept beside this test; the txt files and the
// current page's differ from it only in the header and the separator.
TEST_F(View, TextExportsOfBothPagesHoldTheKeptBytes) {
    const QByteArray kept = ReadFile(QStringLiteral(LUMORA_FRAME_FIXTURES "/logging_export.csv"));
    ASSERT_TRUE(kept.startsWith("Time,Current DC\r\n"));
    const QByteArray body = kept.mid(static_cast<qsizetype>(std::strlen("Time,Current DC\r\n")));
    std::vector<double> x, y;
    ExportRows(x, y);
    ASSERT_EQ(body.count('\n'), static_cast<qsizetype>(x.size()));
    m_view->PageCurrent()->SetMeasuredData(x.data(), y.data(), static_cast<unsigned>(x.size()), 1);
    FillDataLogging(x, y);
    const struct {
        unsigned page;
        const char* name;
        QByteArray header;
        char separator;
    } saves[] = {
        {CMainFrame::ID_MEASURE_DATALOGGING, "logging.csv", "Time,Current DC\r\n", ','},
        {CMainFrame::ID_MEASURE_DATALOGGING, "logging.txt", "Time\tCurrent DC\r\n", '\t'},
        {CMainFrame::ID_MEASURE_CURRENT, "current.csv", "Time,Current\r\n", ','},
        {CMainFrame::ID_MEASURE_CURRENT, "current.txt", "Time\tCurrent\r\n", '\t'},
    };
    for (const auto& save : saves) {
        SCOPED_TRACE(save.name);
        ASSERT_TRUE(Select(save.page));
        m_view->saveAnswer = Path(save.name);
        m_view->OnFileSaveWaveform();
        QByteArray expected = save.header + body;
        expected.replace(',', save.separator);
        const QByteArray saved = ReadFile(Path(save.name));
        ASSERT_EQ(saved.size(), expected.size());
        EXPECT_TRUE(saved == expected);
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

// Each kind of row on its own, as literal bytes: the time with up to eight decimals and no trailing
// zeros or point, the value in the exponent form below 0.1 and above 99999, in the fixed form between.
TEST_F(View, TextExportRowsAreWrittenAsTheyHaveAlwaysBeen) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        double time, value;
        const char* row;
    } cases[] = {
        {"zero", 0.0, 0.0, "0,0.000000e+00\r\n"},
        {"negative zeros", -0.0, -0.0, "-0,-0.000000e+00\r\n"},
        {"sleep current", 0.0002, 5e-6, "0.0002,5.000000e-06\r\n"},
        {"time rounded to eight decimals", 1.234567891, -2.5e-6, "1.23456789,-2.500000e-06\r\n"},
        {"time trailing zeros", 12.5, 3e-3, "12.5,3.000000e-03\r\n"},
        {"at the resolution", 1.0, 0.1, "1,0.100000\r\n"},
        {"below the resolution", 2.0, 0.0999999, "2,9.999990e-02\r\n"},
        {"at the limit", 3.0, 99999.0, "3,99999.000000\r\n"},
        {"above the limit", 4.0, 99999.5, "4,9.999950e+04\r\n"},
        {"negative fixed", 5.0, -0.25, "5,-0.250000\r\n"},
        {"smallest", 6.0, 4.9e-324, "6,4.940656e-324\r\n"},
        {"huge", 7.0, 1e300, "7,1.000000e+300\r\n"},
        {"infinite", 8.0, inf, "8,inf\r\n"},
        {"minus infinite", 9.0, -inf, "9,-inf\r\n"},
        {"not a number", 10.0, std::numeric_limits<double>::quiet_NaN(), "10,nan\r\n"},
        {"long time", 1e20, 1.5, "100000000000000000000,1.500000\r\n"},
    };
    ASSERT_TRUE(Select(CMainFrame::ID_MEASURE_DATALOGGING));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Two rows: one alone would be a line the plot cannot draw.
        const std::vector<double> x{c.time, c.time}, y{c.value, c.value};
        FillDataLogging(x, y);
        m_view->saveAnswer = Path("row.csv");
        m_view->OnFileSaveWaveform();
        EXPECT_EQ(ReadFile(Path("row.csv")).toStdString(),
                  std::string("Time,Current DC\r\n") + c.row + c.row);
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

// A number with a decimal comma ("1,5") or digit grouping ("1,000") in a file is no number: read up to
// the comma it would be a thousand times off, so the file is refused with the parse message and the
// page keeps what it showed. A semicolon file is refused by the page as before.
TEST_F(View, AFileWithDecimalCommasIsRefusedWithTheParseMessage) {
    const std::vector<double> x{0.0, 1.0}, y{1.0, 2.0};
    const struct {
        const char* name;
        QByteArray text;
    } refused[] = {
        {"both.txt", "Time\tCurrent\n0,5\t1,5\n"},
        {"value.txt", "Time\tCurrent\r\n0.5\t1,5\r\n"},
        {"later.txt", "Time\tCurrent\n0.5\t1.5\n1.0\t0,25\n"},
        {"grouped.txt", "Time\tCurrent\n1\t1,000\n"},
    };
    for (const auto& row : refused) {
        m_view->PageCurrent()->SetMeasuredData(const_cast<double*>(x.data()), const_cast<double*>(y.data()),
                                               2, 1);
        m_messages.Clear();
        ASSERT_TRUE(WriteFile(Path(row.name), row.text)) << row.name;
        m_view->OpenWaveformFile(Path(row.name));
        Pump();
        EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_PARSE_ERROR)}) << row.name;
        EXPECT_THAT(m_view->PageCurrent()->Waveform()->GetDataMultiLineY(0), ::testing::ElementsAreArray(y))
            << row.name;
    }
    // The page reading a semicolon file as a comma file finds no columns in its header.
    m_messages.Clear();
    ASSERT_TRUE(WriteFile(Path("semicolon.csv"), "Time;Current\n0,5;1,5\n"));
    EXPECT_EQ(m_view->PageCurrent()->LoadWaveformFromTextFile(0, Path("semicolon.csv"), u','), 0);
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_PARSE_ERROR)});
    EXPECT_THAT(m_view->PageCurrent()->Waveform()->GetDataMultiLineY(0), ::testing::ElementsAreArray(y));

    // A workbook's text cell is read by the same rule.
    ExcelDocument document;
    document.New();
    document.GetSheet(0)->Cell(0, 0)->SetString("Time");
    document.GetSheet(0)->Cell(0, 1)->SetString("Current");
    document.GetSheet(0)->Cell(1, 0)->SetString("0.5");
    document.GetSheet(0)->Cell(1, 1)->SetString("1,5");
    ASSERT_TRUE(document.SaveAs(Path("text.xls")));
    m_messages.Clear();
    m_view->OpenWaveformFile(Path("text.xls"));
    ASSERT_TRUE(PumpUntil([&] { return !m_messages.Texts().isEmpty(); }));
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_PARSE_ERROR)});
    EXPECT_THAT(m_view->PageCurrent()->Waveform()->GetDataMultiLineY(0), ::testing::ElementsAreArray(y));

    // The same numbers with a decimal point are read.
    m_messages.Clear();
    ASSERT_TRUE(WriteFile(Path("point.txt"), "Time\tCurrent\n0.5\t1.5\n"));
    ASSERT_EQ(m_view->OpenWaveformFile(Path("point.txt")), 1);
    Pump();
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_THAT(m_view->PageCurrent()->Waveform()->GetDataMultiLineX(0), ::testing::ElementsAre(0.5));
    EXPECT_THAT(m_view->PageCurrent()->Waveform()->GetDataMultiLineY(0), ::testing::ElementsAre(1.5));
}

TEST_F(View, VoltageAndCcdfFilesOpenOnTheirPages) {
    ASSERT_TRUE(WriteFile(Path("v.csv"), "Time,Voltage\r\n0,3.3\r\n1,3.2\r\n"));
    ASSERT_EQ(m_view->OpenWaveformFile(Path("v.csv")), 1);
    Pump();
    EXPECT_EQ(m_frame->SelectedPage(), CMainFrame::ID_MEASURE_VOLTAGE);
    EXPECT_EQ(m_view->VisiblePage(), m_view->PageVoltage());
    EXPECT_THAT(m_view->PageVoltage()->Waveform()->GetDataMultiLineY(0),
                ::testing::ElementsAreArray(std::vector<double>{3.3, 3.2}));

    // Line ends of CR only: the header is the first line all the same.
    ASSERT_TRUE(WriteFile(Path("c.TXT"), "CCDFAmplitude\tOccurrence\r0.001\t100\r0.01\t10\r0.1\t1\r"));
    ASSERT_EQ(m_view->OpenWaveformFile(Path("c.TXT")), 1);
    Pump();
    EXPECT_EQ(m_frame->SelectedPage(), CMainFrame::ID_MEASURE_CCDF);
    EXPECT_THAT(m_view->PageCCDF()->Waveform()->GetDataMultiLineY(0),
                ::testing::ElementsAreArray(std::vector<double>{100, 10, 1}));

    // Saving from these pages: no writer, message IDS_DATA_NOT_READY.
    EXPECT_EQ(m_view->SaveWaveformFile(Path("none.csv")), 0);
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_DATA_NOT_READY)});
    EXPECT_FALSE(QFile::exists(Path("none.csv")));
}

TEST_F(View, FileNamesTypesAndFailuresAreReported) {
    const std::vector<double> x{0.0, 1.0}, y{1.0, 2.0};
    m_view->PageCurrent()->SetMeasuredData(const_cast<double*>(x.data()), const_cast<double*>(y.data()), 2,
                                           1);
    // The chosen filter gives the name its extension.
    m_view->saveAnswer = Path("chosen");
    m_view->filterAnswer = QStringLiteral("Excel 文件(*.xls)");
    m_view->OnFileSaveWaveform();
    EXPECT_TRUE(QFile::exists(Path("chosen.xls")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d$"))
                    .match(m_view->proposed)
                    .hasMatch())
        << m_view->proposed.toStdString();
    // A type the page does not write is reported with the types it writes, not silently skipped.
    m_view->filterAnswer = QStringLiteral("所有文件 (*.*)");
    for (const char* name : {"chosen.dat", "chosen.bin"}) {
        m_view->saveAnswer = Path(name);
        m_view->OnFileSaveWaveform();
        EXPECT_FALSE(QFile::exists(Path(name))) << name;
        EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_CURRENT_TYPE_UNSUPPORTED)})
            << name;
        m_messages.Clear();
    }
    // Opening a type the view does not read does nothing.
    ASSERT_TRUE(WriteFile(Path("chosen.dat"), "Time,Current\r\n1,2\r\n"));
    EXPECT_EQ(m_view->OpenWaveformFile(Path("chosen.dat")), 0);
    EXPECT_TRUE(m_messages.Texts().isEmpty());

    // A workbook whose B1 names the voltage or the CCDF page switches to that page; they read no
    // workbook.
    for (const auto& [name, header, page] :
         {std::tuple{"volt.xls", "Voltage", CMainFrame::ID_MEASURE_VOLTAGE},
          std::tuple{"ccdf.xls", "Occurrence", CMainFrame::ID_MEASURE_CCDF}}) {
        ExcelDocument document;
        document.New();
        document.GetSheet(0)->Cell(0, 0)->SetString("Time");
        document.GetSheet(0)->Cell(0, 1)->SetString(header);
        ASSERT_TRUE(document.SaveAs(Path(name)));
        ASSERT_TRUE(Select(CMainFrame::ID_MEASURE_CURRENT));
        EXPECT_EQ(m_view->OpenWaveformFile(Path(name)), 1) << name;
        Pump();
        EXPECT_EQ(m_frame->SelectedPage(), page) << name;
        EXPECT_TRUE(m_messages.Texts().isEmpty()) << name;
    }
    ASSERT_TRUE(Select(CMainFrame::ID_MEASURE_CURRENT));

    // A bitmap that cannot be created is reported once, and so is one that cannot be written.
    EXPECT_EQ(m_view->SaveScreenShotFile(Path("no/such/folder/shot.bmp")), 0);
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_FILE_CREATE_FAILED)});
    m_messages.Clear();
    EXPECT_EQ(m_view->SaveScreenShotFile(QStringLiteral("/dev/full")), 0);
    EXPECT_EQ(m_messages.Texts().size(), 1);
    EXPECT_EQ(m_view->SaveScreenShotFile(Path("shot.bmp")), 1);
    QFile shot(Path("shot.bmp"));
    ASSERT_TRUE(shot.open(QIODevice::ReadOnly));
    EXPECT_EQ(shot.read(2), QByteArray("BM"));
    EXPECT_EQ(m_view->SaveListDataFile(Path("list.txt")), 1);
}

// A FIFO named like any data file is refused at once: no reader waits for a writer to appear, which
// once held the user-interface thread for good. Should one wait, a writer comes after the test's
// patience and frees it, so the test fails rather than hangs.
TEST_F(View, AFifoNamedLikeADataFileIsRefusedAtOnce) {
    const std::vector<double> x{0.0, 1.0}, y{1.0, 2.0};
    FillDataLogging(x, y);
    struct SCase {
        const char* name;
        QStringList messages;
    };
    const SCase cases[] = {
        {"fifo.bin", {platform::LoadString(IDS_PARSE_ERROR)}},
        {"fifo.xls", {}},
        {"fifo.csv", {}},
        {"fifo.txt", {}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray path = QFile::encodeName(Path(c.name));
        ASSERT_EQ(::mkfifo(path.constData(), 0600), 0);
        std::atomic<bool> returned{false};
        std::atomic<bool> freed{false};
        std::thread writer([&] {
            if (testsupport::WaitUntil([&] { return returned.load(); }))
                return;
            freed = true;
            const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
        });
        m_messages.Clear();
        m_view->OpenWaveformFile(Path(c.name));
        returned = true;
        writer.join();
        EXPECT_FALSE(freed);
        EXPECT_EQ(m_messages.Texts(), c.messages);
    }
    EXPECT_THAT(m_view->PageDLOG()->Waveform()->GetDataMultiLineX(0), ::testing::ElementsAreArray(x));
}

// A workbook of 70 MB (its globals are empty FONT records) is read for its header as a large text
// file is read: under the progress window, which shows how far it got and offers Cancel. A cancelled
// read opens nothing and says nothing, and the page stays as it was.
TEST_F(View, ALargeWorkbookIsReadUnderTheProgressWindowWithCancel) {
    using namespace sheetiotest;
    Bytes fonts;
    fonts.reserve(std::size_t{70} << 20);
    const Bytes empty = Rec(0x0031, {});
    while (fonts.size() < (std::size_t{70} << 20))
        Add(fonts, empty);
    Bytes body;
    Add(body, LabelSstRec(0, 0, 0));
    Add(body, LabelSstRec(0, 1, 1));
    ASSERT_TRUE(WriteWorkbookFile(Path("large.xls"), BuildStream({{"S", body}}, {"Time", "Current"}, fonts)));
    Bytes().swap(fonts);
    ASSERT_TRUE(Select(CMainFrame::ID_MEASURE_VOLTAGE));
    int opened = -1;
    EXPECT_TRUE(OpenCancellingOnceShown(Path("large.xls"), opened));
    EXPECT_EQ(opened, 0);
    Pump();
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_EQ(m_frame->SelectedPage(), CMainFrame::ID_MEASURE_VOLTAGE);
}

// A name in the save dialog that is another user's link to a file of this user's (planted in a folder
// both may write) is not saved through, in any of the page's formats: the save says it could not
// make the file, and the file the link names stays as it was.
TEST_F(View, ASaveNeverWritesThroughAnotherUsersLink) {
    if (!testsupport::CanMakeForeignLinks())
        GTEST_SKIP() << "only root can give a link to another user";
    const std::vector<double> x{0.0, 1.0}, y{1.0, 2.0};
    FillDataLogging(x, y);
    ASSERT_TRUE(Select(CMainFrame::ID_MEASURE_DATALOGGING));
    ASSERT_TRUE(WriteFile(Path("precious.txt"), "mine"));
    for (const char* type : {"csv", "txt", "xls", "bin"}) {
        SCOPED_TRACE(type);
        const QString link = Path("planted.") + QString::fromLatin1(type);
        ASSERT_TRUE(testsupport::MakeForeignLink(Path("precious.txt"), link));
        m_messages.Clear();
        EXPECT_EQ(m_view->SaveWaveformFile(link), 0);
        EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_FILE_CREATE_FAILED)});
        QFile precious(Path("precious.txt"));
        ASSERT_TRUE(precious.open(QIODevice::ReadOnly));
        EXPECT_EQ(precious.readAll(), QByteArray("mine"));
        EXPECT_TRUE(QFileInfo(link).isSymLink());
    }
}

// A legal binary file of 4 GiB less 16 bytes (sparse, so it costs no disk) is read as a large text
// file is: under the progress window, which shows how far it got and offers Cancel. Once cancelled it
// keeps nothing and has taken memory only for what it had read, not for the file's arrays cleared up
// front; the page keeps what it showed.
TEST_F(View, ALargeBinaryFileReadsUnderTheProgressWindowWithCancel) {
    const std::vector<double> x{0.0, 1.0}, y{1.0, 2.0};
    FillDataLogging(x, y);
    const std::uint64_t size = (std::uint64_t{1} << 32) - 16;
    const auto samples = static_cast<std::uint32_t>((size - CBinDataFile::kDataOffset) / 16);
    QByteArray header(CBinDataFile::kDataOffset, '\0');
    const std::uint16_t magic = CBinDataFile::kMagic;
    const std::uint32_t present = 1;
    std::memcpy(header.data(), &magic, sizeof magic);
    std::memcpy(header.data() + 47, &samples, sizeof samples);
    std::memcpy(header.data() + 79, &present, sizeof present);
    {
        QFile file(Path("large.bin"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(header), header.size());
        ASSERT_TRUE(file.resize(static_cast<qint64>(size)));
    }
    const bool peakKnown = testsupport::ResetPeakMemory();
    const std::uint64_t before = testsupport::PeakMemory();
    int opened = -1;
    EXPECT_TRUE(OpenCancellingOnceShown(Path("large.bin"), opened));
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_PARSE_ERROR)});
    EXPECT_THAT(m_view->PageDLOG()->Waveform()->GetDataMultiLineX(0), ::testing::ElementsAreArray(x));
    EXPECT_THAT(m_view->PageDLOG()->Waveform()->GetDataMultiLineY(0), ::testing::ElementsAreArray(y));
    if (peakKnown) {
        EXPECT_LT(testsupport::PeakMemory() - before, std::uint64_t{2} << 30)
            << "peak " << testsupport::PeakMemory();
    }
}

// Ghostscript's rendering of the PDF's first page, at a low resolution.
QImage RenderPdf(const QString& pdf, const QString& png) {
    QProcess gs;
    gs.start(QStringLiteral("gs"), {QStringLiteral("-q"), QStringLiteral("-dNOPAUSE"),
                                    QStringLiteral("-dBATCH"), QStringLiteral("-sDEVICE=png16m"),
                                    QStringLiteral("-r30"), QStringLiteral("-sOutputFile=") + png, pdf});
    if (!gs.waitForFinished(60000) || gs.exitCode() != 0)
        return QImage();
    return QImage(png);
}

// Quick print where the system has no printer says so (not a file error).
TEST_F(View, QuickPrintWithoutAPrinterSaysSo) {
    if (CLumoraView::PrinterAvailable())
        GTEST_SKIP() << "this machine has a printer";
    ASSERT_TRUE(m_frame->OnCommand(CLumoraView::ID_FILE_PRINT_DIRECT));
    EXPECT_EQ(m_messages.Texts(),
              QStringList{QStringLiteral("错误：没有可用的打印机！请安装或连接打印机后重试。")});
}

TEST_F(View, PrintsTheSelectedPlotOnOneLandscapePage) {
    if (QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty())
        GTEST_SKIP() << "ghostscript is not installed";
    std::vector<double> x(200), y(200);
    for (int i = 0; i < 200; ++i) {
        x[i] = i * 0.001;
        y[i] = (i % 20) * 1e-4;
    }
    m_view->PageCurrent()->SetMeasuredData(x.data(), y.data(), 200, 1);
    // The voltage and CCDF pages print nothing and save no screenshot.
    for (unsigned page : {CMainFrame::ID_MEASURE_VOLTAGE, CMainFrame::ID_MEASURE_CCDF}) {
        ASSERT_TRUE(Select(page));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Path("nothing.pdf"));
        EXPECT_FALSE(m_view->PrintSelectedPage(printer)) << page;
        EXPECT_EQ(m_view->SaveScreenShotFile(Path("nothing.bmp")), 0) << page;
        EXPECT_FALSE(QFile::exists(Path("nothing.pdf"))) << page;
        EXPECT_FALSE(QFile::exists(Path("nothing.bmp"))) << page;
        EXPECT_TRUE(m_messages.Texts().isEmpty()) << page;
    }
    for (unsigned page : {CMainFrame::ID_MEASURE_CURRENT, CMainFrame::ID_MEASURE_DATALOGGING}) {
        ASSERT_TRUE(Select(page));
        const QString pdf = Path(page == CMainFrame::ID_MEASURE_CURRENT ? "current.pdf" : "logging.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        ASSERT_TRUE(m_view->PrintSelectedPage(printer)) << page;
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(file.readAll());
        EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))), 1) << page;
        const QImage image = RenderPdf(pdf, pdf + QStringLiteral(".png"));
        ASSERT_FALSE(image.isNull()) << page;
        EXPECT_GT(image.width(), image.height()) << page;
        // A4 at 30 dpi: 351 x 248 pixels.
        EXPECT_NEAR(image.width(), 351, 3);
        qint64 inked = 0;
        for (int row = 0; row < image.height(); ++row) {
            for (int column = 0; column < image.width(); ++column)
                inked += image.pixel(column, row) != qRgb(255, 255, 255) ? 1 : 0;
        }
        EXPECT_GT(inked, image.width() * image.height() / 50) << page;
    }
}

TEST(LumoraDoc, SavesNothingAndKnowsItsView) {
    EnsureApplication();
    CLumoraDoc document;
    QWidget other;
    EXPECT_TRUE(document.OnNewDocument());
    EXPECT_FALSE(document.OnSaveDocument(QStringLiteral("/tmp/x.lmrproj"), &other));
    CLumoraView view(nullptr);
    EXPECT_TRUE(document.OnSaveDocument(QStringLiteral("/tmp/x.lmrproj"), &view));
    EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/x.lmrproj")));
}

} // namespace
