// The data-logging page on its own: the view switching, its table, its readers and writers, and the
// failures it must report.
#include "FrameFixture.h"

#include "lumora/controls/ListCtrlEx.h"
#include "lumora/controls/XPStyleButtonST.h"
#include "lumora/core/BinDataFile.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "lumora/core/WriteFailure.h"
#include "platform/ControlId.h"
#include "platform/StringTable.h"
#include "waveform/common/ColorRef.h"
#include "waveform/common/PlotRecords.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"
#include "waveform/tailplot/WaveformCCDFMainWnd.h"
#include "waveform/traceprefs/PrefPageWaveform.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QTimer>
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
        const auto n = static_cast<unsigned>(times.size());
        Page().ResetDataLogging();
        Page().InitialMemory(n);
        Page().AppendMeasuredData(times.data(), values.data(), 0, n / 2, 1);
        Page().AppendMeasuredData(times.data(), values.data(), n / 2, n - n / 2, 1);
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

TEST_F(DataLoggingPage, TextReaderSkipsRowsWithAMissingFieldAndTheSaveWritesTheCurrentLine) {
    WriteBytes(Path(QStringLiteral("in.csv")), "Time,Voltage,Current DC\r\n0,3.3,0.001\r\n1,3.2\r\n"
                                               "\r\n2,3.1,0.002\r\n");
    Page().LoadWaveformFromTextFile(Path(QStringLiteral("in.csv")), u',');
    CWaveformComboMainWnd& plot = *Page().Waveform();
    ASSERT_EQ(plot.GetMultiLineDataLength(0), 2u);
    EXPECT_EQ(plot.GetDataMultiLineY(0)[1], 3.1) << "line 0 is the voltage";
    ASSERT_EQ(plot.GetMultiLineDataLength(1), 2u);
    EXPECT_EQ(plot.GetDataMultiLineX(1)[1], 2.0) << "the short row is left out, not shifted";
    EXPECT_EQ(Page().CurrentLine(), 1);
    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("out.CSV"))), 1);
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("out.CSV"))),
              QByteArray("Time,Current DC\r\n0,1.000000e-03\r\n2,2.000000e-03\r\n"));
    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("out.txt"))), 1);
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("out.txt"))),
              QByteArray("Time\tCurrent DC\r\n0\t1.000000e-03\r\n2\t2.000000e-03\r\n"));
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

// The CCDF view shows the distribution of the DC current, wherever a loaded file put it: a file with a
// voltage column has the voltage on line 0, and its volts must not appear on the CCDF's current axis.
TEST_F(DataLoggingPage, TheCcdfViewShowsTheCurrentLineNotTheVoltage) {
    QByteArray text("Time,Voltage,Current DC\r\n");
    for (int i = 1; i <= 10; ++i)
        text += QByteArray::number(i) + "," + QByteArray::number(3.0 + 0.01 * i) + "," +
                QByteArray::number(i) + "e-06\r\n";
    WriteBytes(Path(QStringLiteral("volts.csv")), text);
    Page().LoadWaveformFromTextFile(Path(QStringLiteral("volts.csv")), u',');
    ASSERT_EQ(Page().CurrentLine(), 1);
    Page().ShowCcdfView(1);
    ASSERT_NE(Page().WaveformCCDF(), nullptr);
    const std::vector<double>& amplitudes = Page().WaveformCCDF()->Plot().GetDataMultiLineX(0);
    ASSERT_FALSE(amplitudes.empty());
    for (double amplitude : amplitudes) {
        EXPECT_GE(amplitude, 1e-6);
        EXPECT_LE(amplitude, 1e-5);
    }

    // A file without a current column leaves the CCDF line empty and hidden.
    WriteBytes(Path(QStringLiteral("only.csv")), "Time,Voltage\r\n1,3.3\r\n2,3.2\r\n3,3.1\r\n4,3.0\r\n"
                                                 "5,2.9\r\n6,2.8\r\n7,2.7\r\n");
    Page().LoadWaveformFromTextFile(Path(QStringLiteral("only.csv")), u',');
    ASSERT_EQ(Page().CurrentLine(), -1);
    Page().ShowCcdfView(1);
    EXPECT_EQ(Page().WaveformCCDF()->GetMultiLineVisible(0), 0);
}

TEST_F(DataLoggingPage, FilesThatAreNotItsOwnLeaveThePlotAsItWas) {
    LogSamples({0.0, 1.0, 2.0}, {1e-6, 2e-6, 3e-6});
    WriteBytes(Path(QStringLiteral("other.csv")), "Seconds,Current DC\r\n0,1\r\n");
    Page().LoadWaveformFromTextFile(Path(QStringLiteral("other.csv")), u',');
    Page().LoadWaveformFromTextFile(Path(QStringLiteral("missing.csv")), u',');
    Page().LoadWaveformFromBinFile(Path(QStringLiteral("missing.bin")));
    // A file of its own kind that holds no rows changes no line either.
    WriteBytes(Path(QStringLiteral("empty.csv")), "Time,Current DC\r\n");
    Page().LoadWaveformFromTextFile(Path(QStringLiteral("empty.csv")), u',');
    EXPECT_EQ(Page().Waveform()->GetMultiLineDataLength(0), 3u);
    EXPECT_EQ(Page().CurrentLine(), 0);
    // So the line still shown is the line saved.
    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("run.csv"))), 1);
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("run.csv"))),
              QByteArray("Time,Current DC\r\n0,1.000000e-06\r\n1,2.000000e-06\r\n2,3.000000e-06\r\n"));
}

TEST_F(DataLoggingPage, BinaryFileRoundTripsAndALoadLeavesTheCcdfView) {
    LogSamples({0.0, 0.5, 1.0, 1.5}, {1e-6, 5e-3, -2e-6, 4e-6});
    ASSERT_EQ(Page().SaveWaveformData(Path(QStringLiteral("run.bin"))), 1);
    CBinDataFile file;
    ASSERT_EQ(file.Read(Path(QStringLiteral("run.bin"))), 1);
    EXPECT_EQ(file.GetColumn(2), (std::vector<double>{1e-6, 5e-3, -2e-6, 4e-6}));

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
    Page().ResetDataLogging();
    Page().InitialMemory(300);
    for (unsigned start = 0; start < 300; start += 100)
        Page().AppendMeasuredData(times.data(), values.data(), start, 100, 1);
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
// files that were made but not written whole say so (kWriteFailedId); the binary file object names the
// system's error first, then the page's 51504; a workbook that cannot be saved shows 51504.
TEST_F(DataLoggingPage, AFullDiskIsReportedByEveryWriter) {
    LogSamples({0.0, 1.0}, {1e-6, 2e-6});
    const struct {
        const char* name;
        int message;
        int at;
    } writers[] = {{"full.csv", kWriteFailedId, 0},
                   {"full.txt", kWriteFailedId, 0},
                   {"full.bin", 51504, 1},
                   {"full.xls", 51504, 0},
                   {"list.txt", kWriteFailedId, 0}};
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
    EXPECT_TRUE(m_messages.Contains(platform::LoadString(51529)));
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
    const CWaveformStatisticRecord statistics{1, 2e-3, 1e-6, 5e-4, 7e-5};
    page.OnMessage(WM_WAVEFORM_MARKER, reinterpret_cast<platform::WPARAM>(&statistics),
                   kMarkerCodeStatistics);
    EXPECT_EQ(page.SaveWaveformData(QStringLiteral("/nonexistent/never.csv")), 0);
    EXPECT_EQ(messages.Texts(), (QStringList{platform::LoadString(51519), platform::LoadString(51519)}));
    EXPECT_EQ(page.StatisticList()->GetItemText(0, 1), QStringLiteral("---"));
}

} // namespace
