// The pages' comparison lines read from files: the voltage and CCDF pages, and the current page's
// lines 1 to 3, with the progress window's Cancel.
#include "FrameFixture.h"
#include "lumora/LumoraStrings.h"
#include "platform/StringTable.h"

#include "lumora/controls/ReportCtrl.h"
#include "lumora/controls/XPStyleButtonST.h"
#include "lumora/core/DataImport.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/QXAppDialogMeasCCDF.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "lumora/core/QXAppDialogMeasVoltage.h"
#include "lumora/shell/ProgressWnd.h"
#include "platform/ControlId.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"
#include "waveform/stripplot/WaveformTimeVsAmpWnd.h"
#include "waveform/tailplot/WaveformCCDFMainWnd.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace frametest;

QString ParseError() {
    return platform::LoadString(IDS_PARSE_ERROR);
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

class FilePages : public testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    CMessageRecorder m_messages;
    QTemporaryDir m_dir;
};

TEST_F(FilePages, VoltagePageReadsTimeAndVoltageIntoLineZero) {
    CQXAppDialogMeasVoltage page;
    ASSERT_TRUE(page.OnInitDialog());
    ASSERT_TRUE(WriteFile(Path("v.csv"), "Time (ms),Voltage\r\n1,3.3\r\n2,3.25\r\n4,3.2\r\n"));
    EXPECT_EQ(page.LoadWaveformFromTextFile(Path("v.csv"), u','), 1);
    const std::vector<double> x{0.001, 0.002, 0.004}, y{3.3, 3.25, 3.2};
    EXPECT_THAT(page.Waveform()->GetDataMultiLineX(0), ::testing::ElementsAreArray(x));
    EXPECT_THAT(page.Waveform()->GetDataMultiLineY(0), ::testing::ElementsAreArray(y));
    EXPECT_TRUE(platform::FindControl<controls::CXPStyleButtonST>(&page, 1079)->GetCheck());
    EXPECT_TRUE(m_messages.Texts().isEmpty());
    // The axes are left as they were: 适应 fits them.
    CWaveformTimeVsAmpWnd* plot = nullptr;
    for (QWidget* child : page.Waveform()->findChildren<QWidget*>())
        if (auto* p = dynamic_cast<CWaveformTimeVsAmpWnd*>(child))
            plot = p;
    ASSERT_NE(plot, nullptr);
    double h0 = -1, h1 = -1, v0 = -1, v1 = -1;
    plot->GetAxisScaleHoriZoom(h0, h1);
    plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_EQ(std::vector<double>({h0, h1, v0, v1}), std::vector<double>({0, 1, 0, 1}));
    page.OnCommand(1084);
    plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_EQ(std::vector<double>({v0, v1}), std::vector<double>({3.2, 3.3}));

    // Without "Time" in the first field: the parse error, and line 0 as it was.
    ASSERT_TRUE(WriteFile(Path("bad.csv"), "Voltage,Time\r\n1,2\r\n"));
    EXPECT_EQ(page.LoadWaveformFromTextFile(Path("bad.csv"), u','), 0);
    EXPECT_EQ(m_messages.Texts(), QStringList{ParseError()});
    EXPECT_THAT(page.Waveform()->GetDataMultiLineX(0), ::testing::ElementsAreArray(x));

    ASSERT_EQ(page.ReportList()->GetColumnCount(), 2);
    EXPECT_EQ(page.ReportList()->GetColumnHeading(0), QStringLiteral("测量值"));
    EXPECT_EQ(page.ReportList()->GetColumnHeading(1), QStringLiteral("统计值"));

    // A file that names the columns and holds no row is read: line 0 is then empty.
    m_messages.Clear();
    ASSERT_TRUE(WriteFile(Path("header.csv"), "Time,Voltage\r\n"));
    EXPECT_EQ(page.LoadWaveformFromTextFile(Path("header.csv"), u','), 1);
    EXPECT_TRUE(page.Waveform()->GetDataMultiLineX(0).empty());
    EXPECT_TRUE(m_messages.Texts().isEmpty());

    // Button 1083 has no action on this page, and 1092 is not there.
    page.OnCommand(1083);
    page.OnCommand(1092);
    EXPECT_TRUE(m_messages.Texts().isEmpty());
    EXPECT_EQ(platform::FindControl<QWidget>(&page, 1092), nullptr);
}

TEST_F(FilePages, CcdfPageDrawsTheFilesPointsAsTheyAre) {
    CQXAppDialogMeasCCDF page;
    ASSERT_TRUE(page.OnInitDialog());
    ASSERT_TRUE(
        WriteFile(Path("c.txt"), "CCDFAmplitude\tOccurrence\n0.001\t100\n0.002\t40\n0.004\t5\n0.008\t0.1\n"));
    EXPECT_EQ(page.LoadWaveformFromTextFile(Path("c.txt"), u'\t'), 1);
    EXPECT_TRUE(m_messages.Texts().isEmpty());
    const std::vector<double> x{0.001, 0.002, 0.004, 0.008}, y{100, 40, 5, 0.1};
    EXPECT_THAT(page.Waveform()->GetDataMultiLineX(0), ::testing::ElementsAreArray(x));
    EXPECT_THAT(page.Waveform()->GetDataMultiLineY(0), ::testing::ElementsAreArray(y));
    EXPECT_EQ(page.Waveform()->GetMultiLineVisible(0), 1);

    ASSERT_TRUE(WriteFile(Path("swapped.txt"), "Occurrence\tCCDFAmplitude\n1\t2\n3\t4\n"));
    EXPECT_EQ(page.LoadWaveformFromTextFile(Path("swapped.txt"), u'\t'), 0);
    EXPECT_EQ(m_messages.Texts(), QStringList{ParseError()});
    EXPECT_THAT(page.Waveform()->GetDataMultiLineX(0), ::testing::ElementsAreArray(x));

    m_messages.Clear();
    ASSERT_TRUE(WriteFile(Path("one.txt"), "CCDFAmplitude\tOccurrence\n0.001\t100\n"));
    EXPECT_EQ(page.LoadWaveformFromTextFile(Path("one.txt"), u'\t'), 0);
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_TOO_FEW_CCDF_POINTS)});
    EXPECT_THAT(page.Waveform()->GetDataMultiLineX(0), ::testing::ElementsAreArray(x));

    QStringList headings;
    for (int c = 0; c < page.ReportList()->GetColumnCount(); ++c)
        headings << page.ReportList()->GetColumnHeading(c);
    EXPECT_EQ(headings, (QStringList{QStringLiteral("测量值"), QStringLiteral("水平标记"),
                                     QStringLiteral("垂直标记")}));
    for (int id : {1087, 1088, 1089, 1090, 1091})
        EXPECT_TRUE(platform::FindControl<QWidget>(&page, id)->isHidden()) << id;
}

// Every format the current page writes comes back into a comparison line; a cancelled read leaves
// the line as it was and shows the parse error, as a file that does not match does.
TEST_F(FilePages, CurrentPageLinesFromItsOwnFilesAndCancel) {
    CProgramFolder folder;
    folder.WriteConfiguration(1, false);
    CMainFrame frame;
    ASSERT_EQ(frame.LoadMainConfiguration(), 1);
    auto* page = new CQXAppDialogMeasCurrent(&frame);
    ASSERT_TRUE(page->OnInitDialog());
    std::vector<double> x{0.0, 0.5, 1.25}, y{0.25, 0.5, -0.75};
    page->SetMeasuredData(x.data(), y.data(), 3, 1);
    int line = 1;
    for (const char* name : {"a.csv", "a.txt", "a.xls"}) {
        const QString path = Path(name);
        ASSERT_EQ(page->SaveWaveformData(path), 1) << name;
        const int read = path.endsWith(QStringLiteral("xls"))
                             ? page->LoadWaveformFromXlsFile(line, path)
                             : page->LoadWaveformFromTextFile(
                                   line, path, path.endsWith(QStringLiteral("csv")) ? u',' : u'\t');
        EXPECT_EQ(read, 1) << name;
        EXPECT_THAT(page->Waveform()->GetDataMultiLineX(line), ::testing::ElementsAreArray(x)) << name;
        EXPECT_THAT(page->Waveform()->GetDataMultiLineY(line), ::testing::ElementsAreArray(y)) << name;
        ++line;
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty());

    QByteArray big("Time,Current\n");
    for (int i = 0; i < 3'000'000; ++i)
        big += "0.000012345,1.234567e-03\n";
    ASSERT_TRUE(WriteFile(Path("big.csv"), big));
    frame.show();
    bool clicked = false;
    CProgressWatch watch([&](CProgressWnd& window) {
        if (!clicked) {
            CProgressWatch::Cancel(window);
            clicked = true;
        }
    });
    EXPECT_EQ(page->LoadWaveformFromTextFile(1, Path("big.csv"), u','), 0);
    EXPECT_TRUE(clicked);
    EXPECT_THAT(page->Waveform()->GetDataMultiLineX(1), ::testing::ElementsAreArray(x));
    EXPECT_THAT(page->Waveform()->GetDataMultiLineY(1), ::testing::ElementsAreArray(y));
    EXPECT_EQ(m_messages.Texts(), QStringList{ParseError()});
}

// The line buttons of the voltage and CCDF pages open text files: the dialog offers them, and a name
// typed without an extension is taken as ".txt".
TEST_F(FilePages, TheLineButtonsOfTheVoltageAndCcdfPagesOpenTextFiles) {
    CQXAppDialogMeasVoltage voltage;
    CQXAppDialogMeasCCDF ccdf;
    ASSERT_TRUE(voltage.OnInitDialog());
    ASSERT_TRUE(ccdf.OnInitDialog());
    for (CMeasurementPage* page :
         {static_cast<CMeasurementPage*>(&voltage), static_cast<CMeasurementPage*>(&ccdf)}) {
        SCOPED_TRACE(page == &voltage ? "voltage" : "CCDF");
        QString suffix;
        QStringList filters;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            suffix = dialog->defaultSuffix();
            filters = dialog->nameFilters();
            mode = dialog->fileMode();
            dialog->reject();
        });
        // A line without data stands visible in a new plot: the first click hides it.
        page->PlotWindow()->SetMultiLineVisible(0, 0);
        page->OnCommand(1079);
        EXPECT_EQ(suffix, QStringLiteral("txt"));
        EXPECT_EQ(mode, QFileDialog::ExistingFile);
        EXPECT_EQ(filters.value(0), QStringLiteral("数据文本文件 (*.txt)"));
    }
}

// The templates' hidden items: button 1068 "自动坐标系" on every page; the data-logging page's vertical
// label names the left axis.
TEST_F(FilePages, EveryPageHoldsTheHiddenAutomaticAxesButton) {
    CQXAppDialogMeasVoltage voltage;
    CQXAppDialogMeasCCDF ccdf;
    CQXAppDialogMeasDLOG logging;
    ASSERT_TRUE(voltage.OnInitDialog());
    ASSERT_TRUE(ccdf.OnInitDialog());
    ASSERT_TRUE(logging.OnInitDialog());
    for (QWidget* page :
         {static_cast<QWidget*>(&voltage), static_cast<QWidget*>(&ccdf), static_cast<QWidget*>(&logging)}) {
        auto* automatic = platform::FindControl<QPushButton>(page, 1068);
        ASSERT_NE(automatic, nullptr);
        EXPECT_EQ(automatic->text(), QStringLiteral("自动坐标系"));
        EXPECT_TRUE(automatic->isHidden());
    }
    QStringList hiddenLabels;
    for (const QLabel* label : logging.findChildren<QLabel*>())
        if (label->isHidden())
            hiddenLabels << label->text();
    hiddenLabels.sort();
    EXPECT_EQ(hiddenLabels, (QStringList{QStringLiteral("左侧纵坐标"), QStringLiteral("横坐标")}));
}

} // namespace
