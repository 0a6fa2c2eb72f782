// The main road against the simulated bench: start-up binds and programs both instruments, a current
// test runs in each measure mode, and its samples reach the page, the notice, the log and the file.
#include "BenchAdapter.h"
#include "FrameFixture.h"

#include "common/xmlfile/TextHelpers.h"
#include "instruments/simulator/bench/SimulatedInstrument.h"
#include "lumora/LumoraStrings.h"
#include "lumora/controls/DisplayDigital.h"
#include "lumora/controls/ListCtrlEx.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/shell/DockingPaneViewDCSource.h"
#include "lumora/shell/DockingPaneViewDVM.h"
#include "lumora/shell/QXDialogPaneDCSource.h"
#include "platform/Numbers.h"
#include "platform/StringTable.h"
#include "tests/drivertest/ScriptedModel.h"
#include "tests/support/FileSizeLimit.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEnterEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace {

using namespace frametest;

// Short captures keep the suite fast: 0.05 s at NPLC 0.001 and 50 Hz is 2,500 multimeter samples;
// 0.1 s at NPLC 0.1 is 50 trigger samples of the DC source.
const QString kMeterSettings =
    QStringLiteral("<FunctionType Value=\"2\" /><CaptCurr Value=\"0.050000\" />"
                   "<NplcCurr Value=\"0.001000\" /><NplcDLog Value=\"0.010000\" />");
QString SupplySettings(double triggerTimeout, double nplc = 0.1) {
    return QStringLiteral(
               "<FunctionType Value=\"2\" /><OutputState Value=\"1\" /><VoltageLevel Value=\"3.3\" />"
               "<VoltageLimit Value=\"5\" /><VoltageProtection Value=\"5\" />"
               "<CurrentLimit Value=\"0.5\" /><CurrentProtection Value=\"0.5\" />"
               "<TriggerTimeout Value=\"%1\" /><DcsNplcCurr Value=\"%2\" />"
               "<DcsNplcDLOG Value=\"0.010000\" /><BufferCapacity Value=\"2\" />")
        .arg(triggerTimeout, 0, 'f', 6)
        .arg(nplc, 0, 'f', 6);
}

class FrameOnTheBench : public testing::Test {
protected:
    void Prepare(int measureMode, bool autoSave, double triggerTimeout = 0.1, bool meterLibrary = true) {
        m_folder = std::make_unique<CProgramFolder>(meterLibrary);
        m_folder->WriteConfiguration(measureMode, autoSave);
        // A long test waits for 2,500 samples of 0.2 s each, far longer than any test runs.
        const double nplc = triggerTimeout > 1.0 ? 10.0 : 0.1;
        m_folder->WriteSupplyFile({m_bench.SupplyResource(), SupplySettings(triggerTimeout, nplc)});
        m_folder->WriteMultimeterFile({m_bench.MeterResource(), kMeterSettings});
        m_lumora = std::make_unique<SLumora>();
    }

    CMainFrame& Frame() { return *m_lumora->frame; }
    CQXAppDialogMeasCurrent& Page() { return *m_lumora->page; }

    // Starts a run and waits until its thread has ended.
    bool RunOnce() {
        if (!Frame().OnCommand(CMainFrame::ID_MEASURE_START))
            return false;
        return PumpUntil([&] { return !Frame().MeasureThreadExists(); });
    }

    void TearDown() override {
        m_lumora.reset();
        m_folder.reset();
    }

    CBench m_bench;
    CMessageRecorder m_messages;
    std::unique_ptr<CProgramFolder> m_folder;
    std::unique_ptr<SLumora> m_lumora;
};

struct SModeCase {
    const char* name;
    int measureMode;
};

void PrintTo(const SModeCase& row, std::ostream* os) {
    *os << row.name;
}

class CurrentTest : public FrameOnTheBench, public testing::WithParamInterface<SModeCase> {};

std::vector<std::pair<double, double>> ReadCsv(const QString& path) {
    QFile file(path);
    std::vector<std::pair<double, double>> rows;
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    const QStringList lines =
        QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.value(0), QStringLiteral("Time,Current"));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(u',');
        rows.emplace_back(platform::WToF(fields.value(0)), platform::WToF(fields.value(1)));
    }
    return rows;
}

TEST_P(CurrentTest, SamplesReachPlotTableNoticeLogAndFile) {
    Prepare(GetParam().measureMode, true);
    ASSERT_EQ(m_lumora->created, 0);
    EXPECT_EQ(Frame().MultimeterPane()->OnlineState(), 1);
    EXPECT_EQ(Frame().SupplyPane()->OnlineState(), 1);
    ASSERT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();

    CDialogRecorder notices;
    ASSERT_TRUE(RunOnce());
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();

    const auto& x = Page().Waveform()->GetDataMultiLineX(0);
    const auto& y = Page().Waveform()->GetDataMultiLineY(0);
    // The multimeter captures CaptCurr seconds at NplcCurr cycles per sample; the DC source takes
    // its trigger count, all within the trigger time-out, so all of them are shown.
    const auto& meter = Frame().MultimeterRecord();
    const std::size_t expected =
        GetParam().measureMode == 1
            ? std::size_t(Frame().SupplyRecord().TriggerCount)
            : std::size_t(std::ceil(meter.CaptCurr / (meter.NplcCurr / meter.LineFrequency)));
    EXPECT_GT(expected, 10u);
    EXPECT_EQ(x.size(), expected);
    ASSERT_EQ(y.size(), x.size());
    EXPECT_EQ(Page().Waveform()->GetMultiLineVisible(0), 1);

    // The time markers show the values of the first sample in the table.
    Page().OnCommand(CQXAppDialogMeasCurrent::IDC_MARKER_HORI);
    EXPECT_EQ(Page().StatisticList()->GetItemText(0, 5), FormatDouble(-1, x.front()));
    EXPECT_NE(Page().StatisticList()->GetItemText(0, 6), QStringLiteral("---"));

    ASSERT_EQ(notices.Texts().size(), 1);
    const QRegularExpression notice(QStringLiteral(
        "^成功：操作执行完毕！\\r?\\n测试启动时间: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\r?\\n"
        "测试终止时间: \\d{4}-\\d\\d-\\d\\d "
        "\\d\\d:\\d\\d:\\d\\d\\r?\\n用时：\\d\\d\\.\\d\\d\\.\\d\\d\\.\\d{3} "
        "\\(时.分.秒.毫秒\\)$"));
    EXPECT_TRUE(notice.match(notices.Texts().front()).hasMatch()) << notices.Texts().front().toStdString();

    const QString log = m_folder->LogText();
    EXPECT_TRUE(log.contains(QStringLiteral("启动软件")));
    EXPECT_TRUE(log.contains(QStringLiteral(",Measure Thread Begin\r\n")));
    EXPECT_TRUE(log.contains(QStringLiteral(",Measure Thread End\r\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("测试启动时间")));

    // Idle time of the event loop brings the menu and toolbar states up to date.
    QEventLoop idle;
    QTimer::singleShot(100, &idle, &QEventLoop::quit);
    idle.exec();
    EXPECT_TRUE(Frame().CommandAction(CMainFrame::ID_MEASURE_START)->isEnabled());
    EXPECT_FALSE(Frame().CommandAction(CMainFrame::ID_MEASURE_STOP)->isEnabled());

    const QStringList files = m_folder->DataFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("/\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d_AutoSave\\.csv$"))
            .match(files.front())
            .hasMatch());
    const auto rows = ReadCsv(files.front());
    ASSERT_EQ(rows.size(), x.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_NEAR(rows[i].first, x[i], 5e-9) << i;
        ASSERT_NEAR(rows[i].second, y[i], std::abs(y[i]) * 1e-6 + 1e-12) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, CurrentTest,
                         testing::Values(SModeCase{"DcSource", 1}, SModeCase{"Multimeter", 0}),
                         [](const auto& row) { return std::string(row.param.name); });

// An empty data folder in the options is the program folder's own: the current test's file goes to
// its "Data/Current/", made when missing, and never to the process's working folder.
// The supply's file as the program is shipped holds no levels (its address is the bench supply's):
// start-up sends no setting without its number, so the supply queues no error.
TEST_F(FrameOnTheBench, AStartUpWithTheShippedSupplyFileLeavesTheSupplysErrorQueueEmpty) {
    m_folder = std::make_unique<CProgramFolder>();
    m_folder->WriteConfiguration(0, false);
    const QString shipped = QStringLiteral(
        LUMORA_SOURCE_DIR "/resources/program/Instruments/DC Power Supply/DC Power Supply.xml");
    const QString installed =
        m_folder->Path() + QStringLiteral("Instruments/DC Power Supply/DC Power Supply.xml");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(installed).path()));
    ASSERT_TRUE(QFile::copy(shipped, installed));
    m_folder->WriteMultimeterFile({m_bench.MeterResource(), kMeterSettings});
    m_bench.ClearCommandLogs();
    m_lumora = std::make_unique<SLumora>();
    ASSERT_EQ(m_lumora->created, 0);
    ASSERT_EQ(Frame().SupplyPane()->OnlineState(), 1);
    const auto commands = m_bench.SupplyCommands();
    ASSERT_FALSE(commands.empty());
    for (const std::string& command : commands) {
        EXPECT_NE(command.back(), ' ') << command;
        EXPECT_NE(command, ":VOLT") << command;
    }
    EXPECT_EQ(m_bench.SupplyErrorCount(), 0u);
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

TEST_F(FrameOnTheBench, WithAnEmptyDataFolderTheAutoSaveGoesToTheProgramsDataFolder) {
    m_folder = std::make_unique<CProgramFolder>();
    m_folder->WriteConfiguration(1, true);
    const QString configPath = m_folder->Path() + QStringLiteral("Config/MainApp.xml");
    QFile config(configPath);
    ASSERT_TRUE(config.open(QIODevice::ReadOnly));
    QString xml = QString::fromLatin1(config.readAll());
    config.close();
    xml.replace(QRegularExpression(QStringLiteral("<FilePathCurr Value=\"[^\"]*\" />")),
                QStringLiteral("<FilePathCurr Value=\"\" />"));
    ASSERT_TRUE(xml.contains(QStringLiteral("<FilePathCurr Value=\"\" />")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    config.write(xml.toLatin1());
    config.close();
    ASSERT_TRUE(QDir(m_folder->Path() + QStringLiteral("Data/Current")).removeRecursively());
    m_folder->WriteSupplyFile({m_bench.SupplyResource(), SupplySettings(0.1)});
    m_folder->WriteMultimeterFile({m_bench.MeterResource(), kMeterSettings});
    const QStringList strayBefore = QDir::current().entryList({QStringLiteral("*_AutoSave.csv")});
    m_lumora = std::make_unique<SLumora>();
    ASSERT_EQ(m_lumora->created, 0);
    CDialogRecorder notices;
    ASSERT_TRUE(RunOnce());
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_EQ(m_folder->DataFiles().size(), 1);
    EXPECT_EQ(QDir::current().entryList({QStringLiteral("*_AutoSave.csv")}), strayBefore);
}

// An automatic save that the disk cannot take is reported, and no cut-off file passes for the run's data.
TEST_F(FrameOnTheBench, AFailedAutoSaveIsReportedAndLeavesNoFile) {
    Prepare(1, true);
    ASSERT_EQ(Frame().SupplyPane()->OnlineState(), 1);
    CDialogRecorder notices;
    {
        // Room for the header and a few lines of the file, not for all of them.
        testsupport::CFileSizeLimit disk(200);
        ASSERT_TRUE(disk.IsSet());
        ASSERT_TRUE(RunOnce());
    }
    EXPECT_GT(Page().Waveform()->GetDataMultiLineX(0).size(), 20u);
    EXPECT_TRUE(m_messages.Contains(platform::LoadString(IDS_WRITE_FAILED)))
        << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_TRUE(m_folder->DataFiles().isEmpty());
}

// The measuring pages choose the multimeter's 100 mA range, and the whole-record set at the start of a
// run sends that range again, not the 10 uA range of an unfilled record.
TEST_F(FrameOnTheBench, AMultimeterRunOnAMilliampLoadReadsItAfterStartUpAndAfterReset) {
    constexpr double load = 3e-3;
    m_bench.SetSteadyLoad(load);
    Prepare(0, false);
    CDialogRecorder notices;
    for (const char* when : {"after start-up", "after reset"}) {
        SCOPED_TRACE(when);
        if (std::string(when) == "after reset") {
            ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_RESET));
        }
        EXPECT_EQ(Frame().MultimeterRecord().CurrentRange, 4);
        ASSERT_TRUE(RunOnce());
        const auto& y = Page().Waveform()->GetDataMultiLineY(0);
        ASSERT_GT(y.size(), 10u);
        const auto off = [&](double v) { return std::abs(v - load) > load * 0.01; };
        EXPECT_EQ(std::count_if(y.begin(), y.end(), off), 0)
            << "of " << y.size() << " readings; the first reads " << y.front();
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

TEST_F(FrameOnTheBench, StopDuringADcSourceTestEndsItWithoutANotice) {
    Prepare(1, false, 600.0);
    ASSERT_EQ(Frame().SupplyPane()->OnlineState(), 1);
    CDialogRecorder notices;
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return Frame().IsRunning(); }));
    ASSERT_TRUE(PumpUntil([&] { return Frame().QueryCommand(CMainFrame::ID_MEASURE_STOP).m_enabled; }));
    EXPECT_FALSE(Frame().QueryCommand(CMainFrame::ID_MEASURE_START).m_enabled);
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_STOP));
    // Far below the ten minutes the instrument would wait for its trigger count.
    EXPECT_TRUE(PumpUntil([&] { return !Frame().MeasureThreadExists(); }));
    EXPECT_TRUE(notices.Texts().isEmpty());
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();

    // A stop pressed while nothing runs does not end the next run at once.
    Frame().OnMeasureControl(CMainFrame::ID_MEASURE_STOP);
    m_lumora->frame->SupplyRecord().TriggerTimeout = 0.1;
    ASSERT_TRUE(RunOnce());
    EXPECT_EQ(notices.Texts().size(), 1);
}

// However a supply test ends, the pane shows the output as the supply has it: the test switched it on,
// and a stop leaves it on.
TEST_F(FrameOnTheBench, AStoppedSupplyTestLeavesThePaneShowingTheOutputTheSupplyHas) {
    Prepare(1, false, 600.0);
    const auto* form = Frame().SupplyPane()->Form();
    ASSERT_FALSE(m_bench.SupplyOutputOn()) << "the simulated supply starts with its output off";
    ASSERT_FALSE(form->Readout()->m_bOutputOn);
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return m_bench.SupplyOutputOn() && Frame().IsRunning(); }));
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_STOP));
    ASSERT_TRUE(PumpUntil([&] { return !Frame().MeasureThreadExists(); }));
    ASSERT_TRUE(m_bench.SupplyOutputOn());
    EXPECT_TRUE(form->Readout()->m_bOutputOn);
    EXPECT_EQ(Frame().SupplyRecord().OutputState, 1);
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

// While a run goes on the status bar says so with the time it has taken; afterwards it is idle again.
// A button's prompt shows in the status bar while the pointer is on it; once the pointer leaves, the
// bar is idle again, not blank.
TEST_F(FrameOnTheBench, WhenThePointerLeavesAButtonTheStatusBarIsIdleAgain) {
    Prepare(1, false);
    QToolButton* button = nullptr;
    for (QToolButton* candidate : Frame().SupplyPane()->findChildren<QToolButton*>())
        if (button == nullptr && !candidate->statusTip().isEmpty())
            button = candidate;
    ASSERT_NE(button, nullptr);
    const QPointF at(2, 2);
    QEnterEvent enter(at, at, button->mapToGlobal(at));
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(Frame().statusBar()->currentMessage(), button->statusTip());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(Frame().statusBar()->currentMessage(), QStringLiteral("就绪"));
}

TEST_F(FrameOnTheBench, TheStatusBarShowsARunAndItsElapsedTime) {
    Prepare(1, false, 600.0);
    CDialogRecorder notices;
    const QString idle = platform::LoadString(IDS_IDLE_MESSAGE);
    EXPECT_EQ(Frame().statusBar()->currentMessage(), idle);
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_START));
    const QRegularExpression running(QStringLiteral("^测量进行中…  已用时间：00:00:(\\d\\d)$"));
    EXPECT_TRUE(running.match(Frame().statusBar()->currentMessage()).hasMatch())
        << Frame().statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(PumpUntil([&] {
        const auto match = running.match(Frame().statusBar()->currentMessage());
        return match.hasMatch() && match.captured(1).toInt() >= 1;
    })) << Frame().statusBar()->currentMessage().toStdString();
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_STOP));
    ASSERT_TRUE(PumpUntil([&] { return !Frame().MeasureThreadExists(); }));
    EXPECT_TRUE(PumpUntil([&] { return Frame().statusBar()->currentMessage() == idle; }))
        << Frame().statusBar()->currentMessage().toStdString();
    EXPECT_EQ(idle, QStringLiteral("就绪"));

    // A run that completes is over while its notice is shown: the status is read as the notice shows.
    class CShowWatch : public QObject {
    public:
        explicit CShowWatch(std::function<void()> onDialogShown) : m_onDialogShown(std::move(onDialogShown)) {
            qApp->installEventFilter(this);
        }
        ~CShowWatch() override { qApp->removeEventFilter(this); }
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Show && qobject_cast<QDialog*>(watched) != nullptr)
                m_onDialogShown();
            return false;
        }

    private:
        std::function<void()> m_onDialogShown;
    };
    QString whileNoticeShown;
    CShowWatch watch([&] {
        if (whileNoticeShown.isEmpty())
            whileNoticeShown = Frame().statusBar()->currentMessage();
    });
    Frame().SupplyRecord().TriggerTimeout = 0.1;
    ASSERT_TRUE(RunOnce());
    ASSERT_EQ(notices.Texts().size(), 1);
    EXPECT_EQ(whileNoticeShown.toStdString(), idle.toStdString());
}

TEST_F(FrameOnTheBench, ResetDuringARunStopsItAndResetsBothInstruments) {
    Prepare(1, false, 600.0);
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return Frame().IsRunning(); }));
    m_bench.ClearCommandLogs();
    ASSERT_TRUE(Frame().QueryCommand(CMainFrame::ID_MEASURE_RESET).m_enabled);
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_RESET));
    EXPECT_FALSE(Frame().MeasureThreadExists());
    EXPECT_TRUE(m_bench.SupplyReceived("*RST"));
    EXPECT_TRUE(m_bench.MeterReceived("*RST"));
}

TEST_F(FrameOnTheBench, ProgrammingIsRefusedWhileAMeasureThreadExists) {
    Prepare(1, false, 600.0);
    EXPECT_EQ(platform::SendMessage(&Frame(), CMainFrame::WM_PROGRAM_INSTRUMENT, 2, 0), 0);
    EXPECT_EQ(platform::SendMessage(&Frame(), CMainFrame::WM_PROGRAM_INSTRUMENT, 1, 0), 1);
    EXPECT_EQ(Frame().SupplyPane()->OnlineState(), 1);
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_START));
    EXPECT_EQ(platform::SendMessage(&Frame(), CMainFrame::WM_PROGRAM_INSTRUMENT, 1, 0), 0);
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_MEASURE_RUNNING)});
    EXPECT_FALSE(Frame().QueryCommand(CMainFrame::ID_MEASURE_CURRENT).m_enabled);
    Frame().OnCommand(CMainFrame::ID_MEASURE_STOP);
    Frame().StopMeasureAndWait();
    EXPECT_FALSE(Frame().MeasureThreadExists());
}

TEST_F(FrameOnTheBench, ClosingDuringARunEndsTheMeasureThreadBeforeTheFrameGoes) {
    Prepare(1, false, 600.0);
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return Frame().IsRunning(); }));
    m_lumora.reset();
    const QString log = m_folder->LogText();
    EXPECT_EQ(log.count(QStringLiteral("Measure Thread End")), 1);
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

TEST_F(FrameOnTheBench, StartTwiceQuicklyRunsOneThread) {
    Prepare(1, false);
    CDialogRecorder notices;
    EXPECT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_START));
    EXPECT_FALSE(Frame().OnCommand(CMainFrame::ID_MEASURE_START));
    Frame().OnMeasureControl(CMainFrame::ID_MEASURE_START);
    ASSERT_TRUE(PumpUntil([&] { return !Frame().MeasureThreadExists(); }));
    EXPECT_EQ(m_folder->LogText().count(QStringLiteral("Measure Thread Begin")), 1);
    EXPECT_EQ(notices.Texts().size(), 1);
}

TEST_F(FrameOnTheBench, WithoutTheMultimeterLibraryTheFrameOpensWithTheSupplyBound) {
    Prepare(1, false, 0.1, false);
    ASSERT_EQ(m_lumora->created, 0);
    EXPECT_EQ(m_messages.Texts(), QStringList{QStringLiteral("错误：数字万用表对象创建错误，请重试！")});
    EXPECT_EQ(Frame().MultimeterDriver(), nullptr);
    EXPECT_EQ(Frame().SupplyPane()->OnlineState(), 1);
    CDialogRecorder notices;
    ASSERT_TRUE(RunOnce());
    EXPECT_EQ(notices.Texts().size(), 1);
}

TEST_F(FrameOnTheBench, EachInstrumentLoadsOnItsOwnAndAnUnreadFileIsNotWrittenBack) {
    m_folder = std::make_unique<CProgramFolder>();
    m_folder->WriteConfiguration(1, false);
    m_folder->WriteSupplyFile({m_bench.SupplyResource(), SupplySettings(0.1)});
    const QString meterFile =
        m_folder->Path() + QStringLiteral("Instruments/Digit Multimeter/Digit Multimeter.xml");
    const QString supplyFile =
        m_folder->Path() + QStringLiteral("Instruments/DC Power Supply/DC Power Supply.xml");
    m_lumora = std::make_unique<SLumora>();
    ASSERT_EQ(m_lumora->created, 0);
    EXPECT_EQ(Frame().MultimeterDriver(), nullptr);
    EXPECT_EQ(Frame().SupplyPane()->OnlineState(), 1);
    EXPECT_TRUE(m_messages.Texts().isEmpty());
    m_lumora.reset();
    EXPECT_FALSE(QFile::exists(meterFile));
    EXPECT_TRUE(QFile::exists(supplyFile));

    // A file that does not parse keeps what the user had in it.
    QFile broken(supplyFile);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("<QXInstrument><Instrument>");
    broken.close();
    m_lumora = std::make_unique<SLumora>();
    EXPECT_EQ(Frame().SupplyDriver(), nullptr);
    m_lumora.reset();
    QFile kept(supplyFile);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("<QXInstrument><Instrument>"));
}

// Closing on a full disk says the instrument file was not saved and keeps the one that was there.
TEST_F(FrameOnTheBench, AnInstrumentFileTheDiskCannotTakeIsReportedAndKeptWhole) {
    Prepare(1, false);
    const QString supplyFile =
        m_folder->Path() + QStringLiteral("Instruments/DC Power Supply/DC Power Supply.xml");
    QFile before(supplyFile);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray good = before.readAll();
    before.close();
    ASSERT_TRUE(m_messages.Texts().isEmpty());
    {
        testsupport::CFileSizeLimit disk(100);
        ASSERT_TRUE(disk.IsSet());
        m_lumora.reset();
    }
    EXPECT_EQ(m_messages.Texts(),
              (QStringList{platform::LoadString(IDS_WRITE_FAILED), platform::LoadString(IDS_WRITE_FAILED)}));
    QFile after(supplyFile);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), good);
}

TEST_F(FrameOnTheBench, UnreachableInstrumentsAreReportedAndLeftOffline) {
    m_folder = std::make_unique<CProgramFolder>();
    m_folder->WriteConfiguration(1, false);
    m_folder->WriteSupplyFile({CBench::UnreachableResource(), SupplySettings(0.1)});
    m_folder->WriteMultimeterFile({CBench::UnreachableResource(), kMeterSettings});
    m_lumora = std::make_unique<SLumora>();
    ASSERT_EQ(m_lumora->created, 0);
    EXPECT_EQ(m_messages.Texts(), (QStringList{platform::LoadString(IDS_METER_PROGRAM_FAILED),
                                               platform::LoadString(IDS_SUPPLY_PROGRAM_FAILED)}));
    EXPECT_EQ(Frame().MultimeterPane()->OnlineState(), 0);
    EXPECT_EQ(Frame().SupplyPane()->OnlineState(), 0);
    EXPECT_FALSE(Frame().QueryCommand(CMainFrame::ID_MEASURE_RESET).m_enabled);
    // The run's log says why, beside each message.
    const QString log = m_folder->LogText();
    for (int message : {IDS_METER_PROGRAM_FAILED, IDS_SUPPLY_PROGRAM_FAILED}) {
        QString line;
        for (const QString& logged : log.split(u'\n'))
            if (logged.contains(platform::LoadString(message)))
                line = logged;
        EXPECT_TRUE(line.contains(QStringLiteral("cannot connect to 127.0.0.1:1 (Connection refused)")))
            << message << "\n"
            << log.toStdString();
    }
}

// A multimeter that answers its identification query with nothing is offline, and the log says why
// rather than the bare message (or the reason of an earlier failure).
TEST_F(FrameOnTheBench, AnEmptyIdentificationIsLoggedWithItsReason) {
    drivertest::CScriptedModel model;
    model.SetReply("*IDN?", "");
    benchsim::CSimulatedInstrument meter(model);
    std::string error;
    ASSERT_TRUE(meter.Start("127.0.0.1", -1, 0, 0, error)) << error;
    m_folder = std::make_unique<CProgramFolder>();
    m_folder->WriteConfiguration(1, false);
    m_folder->WriteSupplyFile({CBench::UnreachableResource(), SupplySettings(0.1)});
    // Closing asks the offline meter what the scripted one does not answer: a short time-out ends that.
    m_folder->WriteMultimeterFile(
        {QString::fromStdString(meter.SocketResource()), kMeterSettings, QStringLiteral("1000")});
    m_lumora = std::make_unique<SLumora>();
    EXPECT_EQ(Frame().MultimeterPane()->OnlineState(), 0);
    QString line;
    for (const QString& logged : m_folder->LogText().split(u'\n'))
        if (logged.contains(platform::LoadString(IDS_METER_PROGRAM_FAILED)))
            line = logged;
    EXPECT_TRUE(line.contains(platform::LoadString(IDS_METER_PROGRAM_FAILED) +
                              QStringLiteral(" empty identification reply")))
        << m_folder->LogText().toStdString();
    m_lumora.reset();
}

// An instrument that takes the link but never answers held the start-up for its whole time-out and
// then showed the window as if all were well: the start-up names it once its time-out has passed, and
// leaves it offline, so that nothing later waits for it again.
TEST_F(FrameOnTheBench, AnInstrumentThatNeverAnswersIsNamedAtStartUp) {
    struct SCase {
        const char* name;
        bool supply;
        int message;
    };
    const SCase cases[] = {{"supply", true, IDS_SUPPLY_PROGRAM_FAILED},
                           {"multimeter", false, IDS_METER_PROGRAM_FAILED}};
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CSilentPeer silent;
        m_lumora.reset();
        m_folder.reset();
        m_messages.Clear();
        m_folder = std::make_unique<CProgramFolder>();
        m_folder->WriteConfiguration(0, false);
        m_folder->WriteSupplyFile({c.supply ? silent.Resource() : m_bench.SupplyResource(),
                                   SupplySettings(0.1), QStringLiteral("1500")});
        m_folder->WriteMultimeterFile(
            {c.supply ? m_bench.MeterResource() : silent.Resource(), kMeterSettings, QStringLiteral("1500")});
        m_lumora = std::make_unique<SLumora>();
        ASSERT_EQ(m_lumora->created, 0);
        EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(c.message)});
        EXPECT_EQ(Frame().SupplyPane()->OnlineState(), c.supply ? 0 : 1);
        EXPECT_EQ(Frame().MultimeterPane()->OnlineState(), c.supply ? 1 : 0);
        m_lumora.reset();
    }
}

TEST_F(FrameOnTheBench, ALinkDroppedMidTestEndsTheRunAndTheProgramStaysResponsive) {
    Prepare(1, false, 600.0);
    CDialogRecorder notices;
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return Frame().IsRunning(); }));
    m_bench.DropSupplyLink();
    EXPECT_TRUE(PumpUntil([&] { return !Frame().MeasureThreadExists(); }));
    EXPECT_TRUE(notices.Texts().isEmpty());
    // The user-interface thread still answers: the commands refresh and a page can be chosen.
    EXPECT_TRUE(Frame().QueryCommand(CMainFrame::ID_MEASURE_START).m_enabled);
    EXPECT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_DATALOGGING));
    EXPECT_EQ(Frame().SelectedPage(), CMainFrame::ID_MEASURE_DATALOGGING);
}

// A current test that its instrument fails mid-way is said to have failed, never passed over as if
// the user had stopped it. The supply's test loses the supply, the multimeter's the multimeter.
class CurrentTestFailure : public FrameOnTheBench, public testing::WithParamInterface<SModeCase> {};

TEST_P(CurrentTestFailure, AnInstrumentLostMidTestIsSaid) {
    Prepare(GetParam().measureMode, false, 600.0);
    m_bench.HoldMeasurements(true);
    CDialogRecorder notices;
    ASSERT_TRUE(Frame().OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return Frame().IsRunning(); }));
    if (GetParam().measureMode == 1)
        m_bench.DropSupplyLink();
    else
        m_bench.DropMeterLink();
    ASSERT_TRUE(PumpUntil([&] { return !Frame().MeasureThreadExists(); }, 60000));
    EXPECT_TRUE(notices.Texts().isEmpty());
    EXPECT_EQ(m_messages.Texts(), QStringList{QStringLiteral("错误：启动测试操作失败，请重试！")})
        << m_messages.Texts().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Modes, CurrentTestFailure,
                         testing::Values(SModeCase{"DcSource", 1}, SModeCase{"Multimeter", 0}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
