// The view with its four pages inside a real frame (offscreen): switching pages by their commands,
// opening and saving each page's files, outside readers on what it saved, screenshots and printing.
#include "FrameFixture.h"

#include "lumora/core/DataImport.h"
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

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

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
        CQXAppDialogMeasDLOG* page = m_view->PageDLOG();
        page->ResetDataLogging();
        page->InitialMemory(static_cast<unsigned>(x.size()));
        page->AppendMeasuredData(x.data(), y.data(), 0, static_cast<unsigned>(x.size()), 3);
    }
    // What xlrd reads from the first sheet: one "a,b" line per row.
    static QStringList ReadWithXlrd(const QString& path) {
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, xlrd\n"
                                     "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                                     "for r in range(s.nrows):\n"
                                     "    print(','.join(repr(c.value) for c in s.row(r)))\n"),
                      path});
        if (!python.waitForFinished(60000) || python.exitCode() != 0)
            return {QStringLiteral("xlrd failed: ") + QString::fromUtf8(python.readAllStandardError())};
        return QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
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
    const struct {
        unsigned id;
        QWidget* page;
    } steps[] = {
        {CMainFrame::ID_MEASURE_VOLTAGE, m_view->PageVoltage()},
        {CMainFrame::ID_MEASURE_CCDF, m_view->PageCCDF()},
        {CMainFrame::ID_MEASURE_DATALOGGING, m_view->PageDLOG()},
        {CMainFrame::ID_MEASURE_CURRENT, m_view->PageCurrent()},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(Select(step.id)) << step.id;
        EXPECT_EQ(m_frame->SelectedPage(), step.id);
        EXPECT_EQ(m_view->VisiblePage(), step.page) << step.id;
        EXPECT_TRUE(step.page->isVisible()) << step.id;
        EXPECT_NE(m_view->PrintedWindow(), nullptr) << step.id;
        for (unsigned print : {CLumoraView::ID_FILE_PRINT, CLumoraView::ID_FILE_PRINT_DIRECT,
                               CLumoraView::ID_FILE_PRINT_PREVIEW})
            EXPECT_TRUE(m_frame->QueryCommand(print).m_enabled) << step.id << " " << print;
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
        EXPECT_EQ(m_view->PageCurrent()->Waveform()->GetDataMultiLineX(0), x) << name;
        EXPECT_EQ(m_view->PageCurrent()->Waveform()->GetDataMultiLineY(0), y) << name;
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
    const QStringList rows = ReadWithXlrd(Path("cur.xls"));
    EXPECT_EQ(rows, (QStringList{"'Time','Current'", "0.0,0.0015", "0.001,-2.5e-06", "0.0025,0.25"}));
}

TEST_F(View, DataLoggingFilesRoundTripOnTheirOwnPage) {
    const std::vector<double> x{0.0, 0.01, 0.02, 0.03}, y{1e-3, 2e-3, 4e-3, 8e-6};
    ASSERT_TRUE(Select(CMainFrame::ID_MEASURE_DATALOGGING));
    FillDataLogging(x, y);
    for (const char* name : {"log.csv", "log.txt", "log.xls", "log.bin"}) {
        ASSERT_EQ(m_view->SaveWaveformFile(Path(name)), 1) << name;
        m_view->PageDLOG()->ResetDataLogging();
        ASSERT_TRUE(Select(CMainFrame::ID_MEASURE_CURRENT));
        ASSERT_EQ(m_view->OpenWaveformFile(Path(name)), 1) << name;
        Pump();
        EXPECT_EQ(m_frame->SelectedPage(), CMainFrame::ID_MEASURE_DATALOGGING) << name;
        const int line = m_view->PageDLOG()->CurrentLine();
        ASSERT_GE(line, 0) << name;
        const auto& gotX = m_view->PageDLOG()->Waveform()->GetDataMultiLineX(line);
        const auto& gotY = m_view->PageDLOG()->Waveform()->GetDataMultiLineY(line);
        ASSERT_GE(gotX.size(), x.size()) << name;
        for (std::size_t i = 0; i < x.size(); ++i) {
            EXPECT_NEAR(gotX[i], x[i], 1e-9) << name << " row " << i;
            EXPECT_NEAR(gotY[i], y[i], 1e-12) << name << " row " << i;
        }
        m_view->PageDLOG()->ResetDataLogging();
        FillDataLogging(x, y);
        ASSERT_TRUE(Select(CMainFrame::ID_MEASURE_DATALOGGING));
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
    const QStringList rows = ReadWithXlrd(Path("log.xls"));
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], QStringLiteral("'Time','Current DC'"));
    EXPECT_EQ(rows[3], QStringLiteral("0.02,0.004"));
}

TEST_F(View, VoltageAndCcdfFilesOpenOnTheirPages) {
    ASSERT_TRUE(WriteFile(Path("v.csv"), "Time,Voltage\r\n0,3.3\r\n1,3.2\r\n"));
    ASSERT_EQ(m_view->OpenWaveformFile(Path("v.csv")), 1);
    Pump();
    EXPECT_EQ(m_frame->SelectedPage(), CMainFrame::ID_MEASURE_VOLTAGE);
    EXPECT_EQ(m_view->VisiblePage(), m_view->PageVoltage());
    EXPECT_EQ(m_view->PageVoltage()->Waveform()->GetDataMultiLineY(0), (std::vector<double>{3.3, 3.2}));

    ASSERT_TRUE(WriteFile(Path("c.TXT"), "CCDFAmplitude\tOccurrence\n0.001\t100\n0.01\t10\n0.1\t1\n"));
    ASSERT_EQ(m_view->OpenWaveformFile(Path("c.TXT")), 1);
    Pump();
    EXPECT_EQ(m_frame->SelectedPage(), CMainFrame::ID_MEASURE_CCDF);
    EXPECT_EQ(m_view->PageCCDF()->Waveform()->GetDataMultiLineY(0), (std::vector<double>{100, 10, 1}));

    // Saving from these pages: no writer, message 51505.
    EXPECT_EQ(m_view->SaveWaveformFile(Path("none.csv")), 0);
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(51505)});
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
    // An extension no writer knows is reported, not silently skipped.
    m_view->filterAnswer = QStringLiteral("所有文件 (*.*)");
    m_view->saveAnswer = Path("chosen.dat");
    m_view->OnFileSaveWaveform();
    EXPECT_FALSE(QFile::exists(Path("chosen.dat")));
    ASSERT_EQ(m_messages.Texts().size(), 1);
    m_messages.Clear();
    EXPECT_EQ(m_view->OpenWaveformFile(Path("chosen.dat")), 0);
    EXPECT_EQ(m_messages.Texts().size(), 1);
    m_messages.Clear();

    // A workbook whose B1 names a page that reads only text.
    {
        ExcelDocument document;
        document.New();
        document.GetSheet(0)->Cell(0, 0)->SetString("Time");
        document.GetSheet(0)->Cell(0, 1)->SetString("Voltage");
        ASSERT_TRUE(document.SaveAs(Path("volt.xls")));
    }
    EXPECT_EQ(m_view->OpenWaveformFile(Path("volt.xls")), 0);
    EXPECT_EQ(m_messages.Texts().size(), 1);
    m_messages.Clear();

    // A bitmap that cannot be created is reported once, and so is one that cannot be written.
    EXPECT_EQ(m_view->SaveScreenShotFile(Path("no/such/folder/shot.bmp")), 0);
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(51504)});
    m_messages.Clear();
    EXPECT_EQ(m_view->SaveScreenShotFile(QStringLiteral("/dev/full")), 0);
    EXPECT_EQ(m_messages.Texts().size(), 1);
    EXPECT_EQ(m_view->SaveScreenShotFile(Path("shot.bmp")), 1);
    QFile shot(Path("shot.bmp"));
    ASSERT_TRUE(shot.open(QIODevice::ReadOnly));
    EXPECT_EQ(shot.read(2), QByteArray("BM"));
    EXPECT_EQ(m_view->SaveListDataFile(Path("list.txt")), 1);
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
    for (unsigned page : {CMainFrame::ID_MEASURE_CURRENT, CMainFrame::ID_MEASURE_VOLTAGE}) {
        ASSERT_TRUE(Select(page));
        const QString pdf = Path(page == CMainFrame::ID_MEASURE_CURRENT ? "current.pdf" : "voltage.pdf");
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
