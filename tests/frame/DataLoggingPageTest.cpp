// The data-logging page on its own: the view switching, its table, its readers and writers, and the
// failures it must report.
#include "FrameFixture.h"

#include "lumora/LumoraStrings.h"
#include "lumora/controls/ListCtrlEx.h"
#include "lumora/controls/XPStyleButtonST.h"
#include "lumora/core/BinDataFile.h"
#include "lumora/core/DataImport.h"
#include "lumora/core/FilePageStrings.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "platform/ControlId.h"
#include "platform/StringTable.h"
#include "waveform/common/ColorRef.h"
#include "waveform/common/PlotRecords.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"
#include "waveform/tailplot/WaveformCCDFMainWnd.h"
#include "waveform/tailplot/WaveformCCDFWnd.h"
#include "waveform/traceprefs/PrefPageWaveform.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace frametest;

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class DataLoggingPage : public testing::Test {
protected:
    void SetUp() override {
        m_folder = std::make_unique<CProgramFolder>();
        m_folder->WriteConfiguration(0, false);
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_EQ(m_frame->OnCreate(), 0);
        ASSERT_TRUE(m_frame->HostMeasurementPages());
        m_frame->resize(1000, 700);
        m_frame->show();
        ASSERT_NE(m_frame->DataLoggingPage(), nullptr);
    }
    void TearDown() override {
        m_frame.reset();
        m_folder.reset();
    }

    CQXAppDialogMeasDLOG& Page() { return *m_frame->DataLoggingPage(); }
    QString Path(const QString& name) const { return m_folder->Path() + name; }

    // The run's line as the data-logging run hands it over, in two slices.
    void LogSamples(const std::vector<double>& times, const std::vector<double>& values) {
        LogOnPage(Page(), times, values, 1, 2);
    }

    CMessageRecorder m_messages;
    std::unique_ptr<CProgramFolder> m_folder;
    std::unique_ptr<CMainFrame> m_frame;
};

TEST_F(DataLoggingPage, PageCommandsSwitchTheShownPage) {
    EXPECT_TRUE(m_frame->CurrentPage()->isVisible());
    EXPECT_FALSE(Page().isVisible());
    ASSERT_TRUE(m_frame->OnCommand(CMainFrame::ID_MEASURE_DATALOGGING));
    EXPECT_TRUE(Page().isVisible());
    EXPECT_FALSE(m_frame->CurrentPage()->isVisible());
    ASSERT_TRUE(m_frame->OnCommand(CMainFrame::ID_MEASURE_CURRENT));
    EXPECT_TRUE(m_frame->CurrentPage()->isVisible());
    EXPECT_FALSE(Page().isVisible());
}

// The settings button edits the plot that is shown: the two-axis plot, or the CCDF plot in its view.
TEST_F(DataLoggingPage, TheSettingsButtonEditsTheShownPlot) {
    const auto editChartName = [this](const QString& name) {
        QTimer::singleShot(0, [name] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto* edit = platform::FindControl<QLineEdit>(dialog, CPrefPageWaveform::IDC_CHART_NAME);
            ASSERT_NE(edit, nullptr);
            edit->setText(name);
            dialog->accept();
        });
        Page().OnCommand(CQXAppDialogMeasDLOG::IDC_SETTINGS);
    };
    editChartName(QStringLiteral("两轴"));
    EXPECT_EQ(Page().Waveform()->GetGDI().ChartName, QStringLiteral("两轴"));

    Page().ShowCcdfView(1);
    ASSERT_NE(Page().WaveformCCDF(), nullptr);
    editChartName(QStringLiteral("分布"));
    EXPECT_EQ(Page().WaveformCCDF()->GetGDI().ChartName, QStringLiteral("分布"));
    EXPECT_EQ(Page().Waveform()->GetGDI().ChartName, QStringLiteral("两轴"));
}

TEST_F(DataLoggingPage, ResetClearsEveryValueCellTheMilliampHoursToo) {
    const CWaveformStatisticRecord statistics{1, 2e-3, 1e-6, 5e-4, 7e-5};
    Page().OnMessage(WM_WAVEFORM_MARKER, reinterpret_cast<platform::WPARAM>(&statistics),
                     kMarkerCodeStatistics);
    const CWaveformComboMarkerRecord pairB{1e-3, 2e-3, 3.3, 3.2};
    Page().OnMessage(WM_WAVEFORM_MARKER, reinterpret_cast<platform::WPARAM>(&pairB), kMarkerCodePairB);
    controls::CListCtrlEx& list = *Page().StatisticList();
    EXPECT_EQ(list.GetItemText(3, 1), QStringLiteral("7.000000e-05"));
    EXPECT_EQ(list.GetItemText(2, 3), QStringLiteral("-1.000000e-03"));
    EXPECT_EQ(list.GetItemText(0, 5), QStringLiteral("3.300000"));
    Page().ResetDataLogging();
    for (int column : {1, 3, 5, 7, 8})
        for (int row = 0; row < (column == 1 ? 4 : 3); ++row)
            EXPECT_EQ(list.GetItemText(row, column), QStringLiteral("---")) << row << "," << column;
}

std::vector<double> Line(const platform::CLargeArray<double>& values, unsigned n) {
    return std::vector<double>(values.begin(), values.begin() + std::min<std::size_t>(n, values.size()));
}

// Voltage, DC, Min and Max become lines 0, 1, ... in that order; each takes the rows that hold its
// value, with their own times, so a short row neither shifts a column nor adds a value.
TEST_F(DataLoggingPage, TextColumnsBecomeLinesWithTheirOwnRows) {
    WriteBytes(Path(QStringLiteral("in.csv")), "Time,Voltage,Current DC\r\n0,3.3,0.001\r\n1,3.2\r\n"
                                               "\r\n2,3.1,0.002\r\n");
    Page().LoadWaveformFromTextFile(Path(QStringLiteral("in.csv")), u',');
    CWaveformComboMainWnd& plot = *Page().Waveform();
    ASSERT_EQ(plot.GetMultiLineDataLength(0), 3u);
    EXPECT_EQ(Line(plot.GetDataMultiLineX(0), 3), (std::vector<double>{0, 1, 2}));
    EXPECT_EQ(Line(plot.GetDataMultiLineY(0), 3), (std::vector<double>{3.3, 3.2, 3.1}));
    ASSERT_EQ(plot.GetMultiLineDataLength(1), 2u);
    EXPECT_EQ(Line(plot.GetDataMultiLineX(1), 2), (std::vector<double>{0, 2}));
    EXPECT_EQ(Line(plot.GetDataMultiLineY(1), 2), (std::vector<double>{0.001, 0.002}));
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

// What a file holds is what the lines show: no row that the file does not hold as numbers.
TEST_F(DataLoggingPage, TextReaderTakesOnlyTheNumbersTheFileHolds) {
    const struct {
        const char* name;
        QByteArray text;
        std::vector<double> x;
        std::vector<double> y;
    } cases[] = {
        {"trailing separator", "Time,Current DC,\r\n10,5e-3\r\n11,6e-3,\r\n", {10, 11}, {5e-3, 6e-3}},
        {"long row", "Time,Current DC\r\n1,2," + QByteArray(5000, 'x') + ",7\r\n3,4\r\n", {1, 3}, {2, 4}},
        {"no number", "Time,Current DC\r\n1,abc\r\nxyz,2\r\n,3\r\n4,\r\n5,6\r\n", {5}, {6}},
        {"out of range", "Time,Current DC\r\n1e400,1\r\n2,1e400\r\nnan,3\r\n4,inf\r\n5,6\r\n", {5}, {6}},
        {"units", "Time,Current DC\r\n1 s,2.5 mA\r\n", {1}, {2.5}},
        {"CR only", "Time\tCurrent DC\r1\t2\r3\t4\r", {1, 3}, {2, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool tab = c.text.contains('\t');
        WriteBytes(Path(QStringLiteral("t.csv")), c.text);
        m_messages.Clear();
        Page().LoadWaveformFromTextFile(Path(QStringLiteral("t.csv")), tab ? u'\t' : u',');
        EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
        const unsigned n = Page().Waveform()->GetMultiLineDataLength(0);
        EXPECT_EQ(Line(Page().Waveform()->GetDataMultiLineX(0), n), c.x);
        EXPECT_EQ(Line(Page().Waveform()->GetDataMultiLineY(0), n), c.y);
    }
}

// The CCDF view shows the distribution of line 0.
TEST_F(DataLoggingPage, TheCcdfViewShowsLineZero) {
    QByteArray text("Time,Voltage,Current DC\r\n");
    for (int i = 1; i <= 10; ++i)
        text += QByteArray::number(i) + "," + QByteArray::number(3.0 + 0.01 * i) + "," +
                QByteArray::number(i) + "e-06\r\n";
    WriteBytes(Path(QStringLiteral("volts.csv")), text);
    Page().LoadWaveformFromTextFile(Path(QStringLiteral("volts.csv")), u',');
    Page().ShowCcdfView(1);
    ASSERT_NE(Page().WaveformCCDF(), nullptr);
    const auto& amplitudes = Page().WaveformCCDF()->Plot().GetDataMultiLineX(0);
    ASSERT_FALSE(amplitudes.empty());
    for (double amplitude : amplitudes) {
        EXPECT_GE(amplitude, 3.01);
        EXPECT_LE(amplitude, 3.10);
    }
    EXPECT_EQ(Page().WaveformCCDF()->GetMultiLineVisible(0), 1);

    // An empty line 0 leaves the CCDF line hidden.
    Page().ShowCcdfView(0);
    Page().ResetDataLogging();
    Page().ShowCcdfView(1);
    EXPECT_EQ(Page().WaveformCCDF()->GetMultiLineVisible(0), 0);
}

// A device asleep at 4.4 µA that bursts to 12 mA in 2 % of the samples, read off the drawn CCDF as a
// user reads it: 2 % of the samples lie above 1 mA, and above 0.1 mA once one bin (120 µA) is passed.
TEST_F(DataLoggingPage, TheDrawnCcdfOfSleepAndBurstsShowsTheirShares) {
    QByteArray text("Time,Current DC\r\n");
    for (int i = 0; i < 5000; ++i)
        text += QByteArray::number(i) + (i % 50 == 49 ? ",0.012\r\n" : ",0.0000044\r\n");
    WriteBytes(Path(QStringLiteral("sleep.csv")), text);
    Page().LoadWaveformFromTextFile(Path(QStringLiteral("sleep.csv")), u',');
    auto* button = platform::FindControl<controls::CXPStyleButtonST>(&Page(), CQXAppDialogMeasDLOG::IDC_CCDF);
    button->SetCheck(1);
    Page().OnCommand(CQXAppDialogMeasDLOG::IDC_CCDF);
    ASSERT_NE(Page().WaveformCCDF(), nullptr);
    CWaveformCCDFWnd& plot = Page().WaveformCCDF()->Plot();
    const QImage image = plot.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb line = waveform::ToQColor(plot.GetGDI().Styles[0].LineColor).rgb();
    const waveform::CPlotArea a = plot.GetPlotArea();
    double h0 = 0, h1 = 0, v0 = 0, v1 = 0;
    plot.GetAxisScaleHoriZoom(h0, h1);
    plot.GetAxisScaleVertZoom(v0, v1);
    const auto column = [&](double amperes) {
        return a.left + static_cast<int>(std::log10(amperes / h0) / std::log10(h1 / h0) * a.Width());
    };
    const auto percent = [&](int row) {
        return v1 * std::pow(v0 / v1, static_cast<double>(row - a.top) / a.Height());
    };
    constexpr double kBin = 1.2e-4;
    const struct {
        const char* name;
        double amperes;
    } cases[] = {{"1 mA", 1e-3}, {"0.1 mA", 1e-4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QList<double> drawn;
        bool twoPercent = false;
        for (int x = column(c.amperes); x <= column(c.amperes + kBin); ++x)
            for (int y = a.top; y <= a.bottom; ++y)
                if (image.pixel(x, y) == line) {
                    drawn << percent(y);
                    twoPercent = twoPercent || std::fabs(percent(y) - 2.0) < 0.1;
                }
        ASSERT_FALSE(drawn.isEmpty());
        EXPECT_TRUE(twoPercent) << "drawn from " << *std::min_element(drawn.begin(), drawn.end()) << " % to "
                                << *std::max_element(drawn.begin(), drawn.end()) << " %";
    }
}

// A data-logging file with a voltage column: what each format saves under the current's header is the
// current; the voltage goes on the left axis when read and is not saved as current.
TEST_F(DataLoggingPage, AFileWithAVoltageColumnSavesItsCurrentAsCurrent) {
    WriteBytes(Path(QStringLiteral("in.txt")),
               "Time\tVoltage\tCurrent DC\r\n0\t3.3\t0.001\r\n1\t3.25\t0.002\r\n2\t3.2\t0.004\r\n");
    Page().LoadWaveformFromTextFile(Path(QStringLiteral("in.txt")), u'\t');
    ASSERT_EQ(Page().Waveform()->GetMultiLineDataLength(1), 3u);
    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("out.csv"))), 1);
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("out.csv"))),
              QByteArray("Time,Current DC\r\n0,1.000000e-03\r\n1,2.000000e-03\r\n2,4.000000e-03\r\n"));
    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("out.txt"))), 1);
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("out.txt"))),
              QByteArray("Time\tCurrent DC\r\n0\t1.000000e-03\r\n1\t2.000000e-03\r\n2\t4.000000e-03\r\n"));
    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("out.xls"))), 1);
    EXPECT_EQ(ReadWithXlrd(Path(QStringLiteral("out.xls"))),
              (QStringList{QStringLiteral("'Time','Current DC'"), QStringLiteral("0.0,0.001"),
                           QStringLiteral("1.0,0.002"), QStringLiteral("2.0,0.004")}));
    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("out.bin"))), 1);
    Page().LoadWaveformFromBinFile(Path(QStringLiteral("out.bin")));
    CWaveformComboMainWnd& plot = *Page().Waveform();
    ASSERT_EQ(plot.GetMultiLineDataLength(0), 3u);
    EXPECT_EQ(Line(plot.GetDataMultiLineY(0), 3), (std::vector<double>{0.001, 0.002, 0.004}));
    EXPECT_EQ(plot.GetMultiLineVisible(1), 0) << "the file holds one line";
    // Each of the four saves said it left the voltage out.
    EXPECT_EQ(m_messages.Texts(), QStringList(4, platform::LoadString(IDS_ONLY_CURRENT_SAVED)));
    CBinDataFile file;
    ASSERT_EQ(file.Read(Path(QStringLiteral("out.bin"))), 1);
    EXPECT_FALSE(file.IsColumnPresent(1));
    EXPECT_EQ(file.GetColumn(2), (CImportColumn{0.001, 0.002, 0.004}));
}

// A file that gives no line is reported and changes no line.
TEST_F(DataLoggingPage, FilesThatGiveNoLineAreReportedAndLeaveThePlot) {
    LogSamples({0.0, 1.0, 2.0}, {1e-6, 2e-6, 3e-6});
    WriteBytes(Path(QStringLiteral("other.csv")), "Seconds,Current DC\r\n0,1\r\n");
    WriteBytes(Path(QStringLiteral("columns.csv")), "Time,Foo,Bar\r\n0,1,2\r\n");
    WriteBytes(Path(QStringLiteral("empty.csv")), "Time,Current DC\r\n");
    WriteBytes(Path(QStringLiteral("words.csv")), "Time,Current DC\r\n--,--\r\nend,of file\r\n");
    WriteBytes(Path(QStringLiteral("bad.bin")), "not a binary data file");
    const QString parseError = platform::LoadString(IDS_PARSE_ERROR);
    for (const char* name : {"other.csv", "columns.csv", "empty.csv", "words.csv", "missing.csv"}) {
        m_messages.Clear();
        Page().LoadWaveformFromTextFile(Path(QString::fromLatin1(name)), u',');
        EXPECT_EQ(m_messages.Texts(), QStringList{parseError}) << name;
    }
    for (const char* name : {"bad.bin", "missing.bin"}) {
        m_messages.Clear();
        Page().LoadWaveformFromBinFile(Path(QString::fromLatin1(name)));
        EXPECT_EQ(m_messages.Texts(), QStringList{parseError}) << name;
    }
    EXPECT_EQ(Page().Waveform()->GetMultiLineDataLength(0), 3u);
    m_messages.Clear();
    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("run.csv"))), 1);
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("run.csv"))),
              QByteArray("Time,Current DC\r\n0,1.000000e-06\r\n1,2.000000e-06\r\n2,3.000000e-06\r\n"));
}

// The current line is what is saved, in every format, under its own name: a file's Max column as
// "Current Max" and in the binary file's Max column, not the voltage beside it, which the save says it
// left out. With no current, or for a type the page does not write, the save says so and writes no file.
TEST_F(DataLoggingPage, SavesTheCurrentLineOrSaysWhyNot) {
    WriteBytes(Path(QStringLiteral("in.csv")), "Time,Voltage,Max\r\n0,3.3,1\r\n1,3.25,2\r\n2,3.2,3\r\n");
    Page().LoadWaveformFromTextFile(Path(QStringLiteral("in.csv")), u',');
    const QStringList leftOut{platform::LoadString(IDS_ONLY_CURRENT_SAVED)};
    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("out.csv"))), 1);
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("out.csv"))),
              QByteArray("Time,Current Max\r\n0,1.000000\r\n1,2.000000\r\n2,3.000000\r\n"));
    EXPECT_EQ(m_messages.Texts(), leftOut);
    m_messages.Clear();
    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("out.bin"))), 1);
    EXPECT_EQ(m_messages.Texts(), leftOut);
    CBinDataFile file;
    ASSERT_EQ(file.Read(Path(QStringLiteral("out.bin"))), 1);
    EXPECT_EQ(file.GetColumn(4), (CImportColumn{1, 2, 3}));
    EXPECT_FALSE(file.IsColumnPresent(1));
    EXPECT_FALSE(file.IsColumnPresent(2));
    // Read back, the file gives the same line, on the current's axis.
    m_messages.Clear();
    Page().LoadWaveformFromBinFile(Path(QStringLiteral("out.bin")));
    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("again.csv"))), 1);
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("again.csv"))), ReadBytes(Path(QStringLiteral("out.csv"))));
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();

    WriteBytes(Path(QStringLiteral("volts.csv")), "Time,Voltage\r\n0,3.3\r\n1,3.25\r\n");
    Page().LoadWaveformFromTextFile(Path(QStringLiteral("volts.csv")), u',');
    EXPECT_EQ(Page().SaveWaveformData(Path(QStringLiteral("volts.bin"))), 0);
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_DATA_NOT_READY)});
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("volts.bin"))));
    m_messages.Clear();

    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("out.dat"))), 0);
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_LOGGING_TYPE_UNSUPPORTED)});
    Page().ResetDataLogging();
    for (const char* name : {"none.csv", "none.txt", "none.xls", "none.bin"}) {
        m_messages.Clear();
        EXPECT_EQ(Page().SaveWaveformData(Path(QString::fromLatin1(name))), 0) << name;
        EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_DATA_NOT_READY)}) << name;
        EXPECT_FALSE(QFileInfo::exists(Path(QString::fromLatin1(name)))) << name;
    }
}

TEST_F(DataLoggingPage, BinaryFileRoundTripsAndALoadLeavesTheCcdfView) {
    LogSamples({0.0, 0.5, 1.0, 1.5}, {1e-6, 5e-3, -2e-6, 4e-6});
    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("run.bin"))), 1);
    CBinDataFile file;
    ASSERT_EQ(file.Read(Path(QStringLiteral("run.bin"))), 1);
    EXPECT_EQ(file.GetColumn(2), (CImportColumn{1e-6, 5e-3, -2e-6, 4e-6}));

    auto* ccdf = platform::FindControl<controls::CXPStyleButtonST>(&Page(), CQXAppDialogMeasDLOG::IDC_CCDF);
    ccdf->SetCheck(1);
    Page().OnCommand(CQXAppDialogMeasDLOG::IDC_CCDF);
    ASSERT_EQ(Page().IsCcdfView(), 1);
    EXPECT_TRUE(Page().Waveform()->isHidden());
    Page().ResetDataLogging();
    Page().LoadWaveformFromBinFile(Path(QStringLiteral("run.bin")));
    EXPECT_EQ(Page().IsCcdfView(), 0);
    EXPECT_EQ(ccdf->GetCheck(), 0);
    EXPECT_FALSE(Page().Waveform()->isHidden());
    ASSERT_EQ(Page().Waveform()->GetMultiLineDataLength(0), 4u);
    EXPECT_EQ(Page().Waveform()->GetDataMultiLineY(0)[1], 5e-3);
}

// A run that starts while the CCDF view shows: back on the two-axis view the run is there, fitted,
// without pressing 适应.
TEST_F(DataLoggingPage, TheTwoAxisPlotKeepsUpWithARunBehindTheCcdfView) {
    auto* ccdf = platform::FindControl<controls::CXPStyleButtonST>(&Page(), CQXAppDialogMeasDLOG::IDC_CCDF);
    ccdf->SetCheck(1);
    Page().OnCommand(CQXAppDialogMeasDLOG::IDC_CCDF);
    ASSERT_EQ(Page().IsCcdfView(), 1);
    std::vector<double> times, values;
    for (int i = 0; i < 300; ++i) {
        times.push_back(0.5 * i);
        values.push_back(2e-6 + 1e-6 * (i % 7));
    }
    LogOnPage(Page(), times, values, 1, 3);
    ccdf->SetCheck(0);
    Page().OnCommand(CQXAppDialogMeasDLOG::IDC_CCDF);
    ASSERT_EQ(Page().IsCcdfView(), 0);
    CWaveformComboWnd* plot = nullptr;
    for (QWidget* child : Page().Waveform()->findChildren<QWidget*>())
        if (auto* p = dynamic_cast<CWaveformComboWnd*>(child))
            plot = p;
    ASSERT_NE(plot, nullptr);
    double h0 = 0, h1 = 0, v0 = 0, v1 = 0;
    plot->GetAxisScaleHoriZoom(h0, h1);
    plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_EQ(h0, 0.0);
    EXPECT_EQ(h1, times.back());
    EXPECT_EQ(v0, 2e-6);
    EXPECT_EQ(v1, 8e-6);
    // And it is drawn: the line's colour across the plot.
    const QImage shown = plot->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor line = waveform::ToQColor(plot->GetGDI().Styles[0].LineColor);
    const waveform::CPlotArea a = plot->GetPlotArea();
    int columns = 0;
    for (int x = a.left + 1; x < a.right; x += 10) {
        bool drawn = false;
        for (int y = a.top; y <= a.bottom && !drawn; ++y)
            drawn = QColor(shown.pixel(x, y)) == line;
        columns += drawn;
    }
    EXPECT_GE(columns, (a.Width() / 10) * 9 / 10);
}

// Every writer on a full disk: a message and a failed result, never a file reported as saved. Text
// files that were made but not written whole say so (IDS_WRITE_FAILED); the binary file object names the
// system's error first, then the page's IDS_FILE_CREATE_FAILED; a workbook that cannot be saved shows it.
TEST_F(DataLoggingPage, AFullDiskIsReportedByEveryWriter) {
    LogSamples({0.0, 1.0}, {1e-6, 2e-6});
    const struct {
        const char* name;
        int message;
        int at;
    } writers[] = {{"full.csv", IDS_WRITE_FAILED, 0},
                   {"full.txt", IDS_WRITE_FAILED, 0},
                   {"full.bin", IDS_FILE_CREATE_FAILED, 1},
                   {"full.xls", IDS_FILE_CREATE_FAILED, 0},
                   {"list.txt", IDS_WRITE_FAILED, 0}};
    for (const auto& writer : writers) {
        SCOPED_TRACE(writer.name);
        const QString path = Path(QString::fromLatin1(writer.name));
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), path));
        const auto before = m_messages.Texts().size();
        const int result = QString::fromLatin1(writer.name).startsWith(QStringLiteral("list"))
                               ? Page().SaveListData(path)
                               : Page().SaveWaveformData(path);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(m_messages.Texts().mid(before).value(writer.at), platform::LoadString(writer.message));
    }
}

TEST_F(DataLoggingPage, AWorkbookHoldsAtMost65534Samples) {
    std::vector<double> times(65535), values(65535, 1e-6);
    for (std::size_t i = 0; i < times.size(); ++i)
        times[i] = 0.001 * static_cast<double>(i);
    LogSamples(times, values);
    EXPECT_EQ(Page().SaveWaveformData(Path(QStringLiteral("big.xls"))), 0);
    EXPECT_TRUE(m_messages.Contains(platform::LoadString(IDS_XLS_TOO_MANY_ROWS)));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("big.xls"))));
    times.pop_back();
    values.pop_back();
    LogSamples(times, values);
    EXPECT_EQ(Page().SaveWaveformData(Path(QStringLiteral("fits.xls"))), 1);
    EXPECT_GT(QFileInfo(Path(QStringLiteral("fits.xls"))).size(), 65534 * 2 * 8);
}

TEST(DataLoggingPageAlone, WithoutPreferencesMarkersAndTextSavesReport51519) {
    EnsureApplication();
    CMessageRecorder messages;
    CQXAppDialogMeasDLOG page;
    ASSERT_TRUE(page.OnInitDialog());
    LogOnPage(page, {0.0, 1.0}, {1e-6, 2e-6}, 1);
    const CWaveformStatisticRecord statistics{1, 2e-3, 1e-6, 5e-4, 7e-5};
    page.OnMessage(WM_WAVEFORM_MARKER, reinterpret_cast<platform::WPARAM>(&statistics),
                   kMarkerCodeStatistics);
    EXPECT_EQ(page.SaveWaveformData(QStringLiteral("/nonexistent/never.csv")), 0);
    EXPECT_EQ(messages.Texts(), (QStringList{platform::LoadString(IDS_PAGE_NO_PREFERENCES),
                                             platform::LoadString(IDS_PAGE_NO_PREFERENCES)}));
    EXPECT_EQ(page.StatisticList()->GetItemText(0, 1), QStringLiteral("---"));
}

} // namespace
