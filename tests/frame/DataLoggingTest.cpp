// Data-logging runs against the simulated bench: a multimeter run and a supply run over its reading
// stream, each stopped early, and links that drop mid-run. Every sample that reached the program
// must be in the auto-saved binary file, and the run must end cleanly.
#include "BenchAdapter.h"
#include "FrameFixture.h"
#include "lumora/LumoraStrings.h"

#include "DialogInput.h"
#include "dialogs/optionsbox/PrefMainPageGen.h"
#include "lumora/controls/DisplayDigital.h"
#include "lumora/controls/ListCtrlEx.h"
#include "lumora/core/BinDataFile.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/NetWorkTcpClient.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "lumora/shell/DockingPaneViewDCSource.h"
#include "lumora/shell/QXDialogPaneDCSource.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"
#include "tests/support/ForeignLink.h"
#include "waveform/common/ColorRef.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"
#include "waveform/tailplot/WaveformCCDFMainWnd.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>
#include <QThreadPool>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#if defined(__SANITIZE_THREAD__)
// The outside readers run in a child process that only execs Python: it starts no thread of ours.
extern "C" const char* __tsan_default_options() {
    return "die_after_fork=0";
}
#endif

namespace {

using namespace frametest;

const QString kMeterSettings = QStringLiteral("<FunctionType Value=\"2\" /><NplcDLog Value=\"0.100000\" />");
const QString kSupplySettings = QStringLiteral(
    "<FunctionType Value=\"2\" /><OutputState Value=\"1\" /><VoltageLevel Value=\"3.3\" />"
    "<VoltageLimit Value=\"5\" /><VoltageProtection Value=\"5\" /><CurrentLimit Value=\"0.5\" />"
    "<CurrentProtection Value=\"0.5\" /><TriggerTimeout Value=\"0.1\" /><DcsNplcCurr Value=\"0.1\" />"
    "<DcsNplcDLOG Value=\"0.100000\" /><BufferCapacity Value=\"2\" />");

void WriteText(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(text.toUtf8()), text.toUtf8().size());
}

// Python reads our file with its own csv module (or xlrd) and compares every row with the auto-saved
// binary file: the time as "%.8f" without trailing zeros, the value as the default number format
// ("%.6e" below 0.1 and above 99999, else "%.6f"), a workbook's cells as the doubles themselves.
// It prints the number of rows and of rows that differ.
QString CompareWithPython(const QString& kind, const QString& file, const QString& bin) {
    const QString script = QStringLiteral(R"(
import csv, struct, sys
kind, path, binpath = sys.argv[1:4]
b = open(binpath, 'rb').read()
n = struct.unpack_from('<I', b, 47)[0]
t = struct.unpack_from('<%dd' % n, b, 176)
v = struct.unpack_from('<%dd' % n, b, 176 + 8 * n)
def time_text(x):
    s = '%.8f' % x
    return s.rstrip('0').rstrip('.') if '.' in s else s
def value_text(x):
    return ('%.6e' if abs(x) > 99999.0 or abs(x) < 0.1 else '%.6f') % x
if kind == 'xls':
    import xlrd
    sheet = xlrd.open_workbook(path).sheet_by_name('Current Data Logging')
    rows = [sheet.row_values(r) for r in range(sheet.nrows)]
    header, body = rows[0], rows[1:]
    bad = sum(1 for i, r in enumerate(body) if i >= n or r[0] != t[i] or r[1] != v[i])
else:
    with open(path, newline='') as f:
        rows = list(csv.reader(f, delimiter=',' if kind == 'csv' else '\t'))
    header, body = rows[0], rows[1:]
    bad = sum(1 for i, r in enumerate(body) if i >= n or r != [time_text(t[i]), value_text(v[i])])
print(header, len(body), n, bad)
)");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, kind, file, bin});
    if (!python.waitForFinished(120000))
        return QStringLiteral("python did not finish");
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed() +
           QString::fromUtf8(python.readAllStandardError());
}

// A stream peer of our own on a free loopback port, in place of the simulator's: it answers the start
// request in two pieces, checks the second command, then sends frames in chunks of odd sizes with a
// run of garbage among them, and ends the link in the middle of a frame.
class CScriptedStreamPeer {
public:
    static constexpr int kFrames = 1000;

    CScriptedStreamPeer() {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::listen(m_listener, 1);
        socklen_t length = sizeof(address);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~CScriptedStreamPeer() {
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    std::uint16_t Port() const { return m_port; }
    bool SawStartCommand() const { return m_sawStart; }

private:
    static void Send(int socket, const QByteArray& bytes) {
        ::send(socket, bytes.constData(), static_cast<std::size_t>(bytes.size()), MSG_NOSIGNAL);
        ::usleep(1000);
    }
    void Serve() {
        const int socket = ::accept(m_listener, nullptr, nullptr);
        if (socket < 0)
            return;
        // Small pieces leave as they are sent.
        const int yes = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof(yes));
        char request[4];
        if (::recv(socket, request, 4, MSG_WAITALL) == 4) {
            Send(socket, QByteArray(2, '\0'));
            Send(socket, QByteArray(2, '\0'));
            char command[4];
            m_sawStart = ::recv(socket, command, 4, MSG_WAITALL) == 4 &&
                         QByteArray(command, 4) == QByteArray("\x2E\xB1\0\0", 4);
            QByteArray stream;
            for (int i = 0; i < kFrames; ++i) {
                if (i == kFrames / 2)
                    stream += "junk!";
                unsigned char frame[20];
                benchsim::CDataStreamServer::EncodeFrame(static_cast<float>(i) * 1e-6f, 1000.0 + i * 0.001,
                                                         frame);
                stream += QByteArray(reinterpret_cast<const char*>(frame), 20);
            }
            unsigned char last[20];
            benchsim::CDataStreamServer::EncodeFrame(1.0f, 1001.0, last);
            stream += QByteArray(reinterpret_cast<const char*>(last), 11);
            const int sizes[] = {1, 2, 3, 7, 19, 20, 21, 1000};
            for (qsizetype at = 0, k = 0; at < stream.size(); at += sizes[k % 8], ++k)
                Send(socket, stream.mid(at, sizes[k % 8]));
            // A peer's pause before it ends the link; the client reads every byte before it sees the
            // end, however long the pause.
            ::usleep(300000);
        }
        ::close(socket);
    }

    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_sawStart{false};
    std::thread m_thread;
};

struct SRunCase {
    const char* name;
    int measureMode;
};

void PrintTo(const SRunCase& row, std::ostream* os) {
    *os << row.name;
}

class DataLoggingRun : public testing::TestWithParam<SRunCase> {
protected:
    void SetUp() override {
        m_folder = std::make_unique<CProgramFolder>();
        CNetWorkTcpClient::SetDataStreamPort(m_bench.StreamPort());
    }
    void TearDown() override {
        m_frame.reset();
        m_folder.reset();
        CNetWorkTcpClient::SetDataStreamPort(CNetWorkTcpClient::kDataStreamPort);
        CMainFrame::SetLoggedSampleLimit(CBinDataFile::kMaxSamples);
    }

    // The frame with both pages, on the data-logging page, logging for an hour of the
    // instrument's time at NPLC 0.1 (1,800,000 samples wanted) with a refresh every 2 s.
    // The data folder as the options name it (the folder of the test's program folder when not given);
    // the refresh period in seconds.
    void Open(int measureMode, std::optional<QString> dataFolderSetting = std::nullopt, int refresh = 2) {
        const QString folder = m_folder->Path();
        const QString dataFolder = dataFolderSetting.value_or(folder + QStringLiteral("Data/Data Logging/"));
        WriteText(folder + QStringLiteral("Config/MainApp.xml"),
                  QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n"
                                 "<LumoraSuite><General><PathConfig Value=\"%1Config/MainApp.xml\" />"
                                 "<LogPath Value=\"%1LogFiles/\" />"
                                 "<LogFileName Value=\"QX_Log_test.txt\" /><SaveLog Value=\"1\" />"
                                 "<FilePathDataLogging Value=\"%2\" />"
                                 "<AutoSaveDataLogging Value=\"1\" /><ElapsedRefresh Value=\"%4\" />"
                                 "</General><Measure><MeasureMode Value=\"%3\" /></Measure></LumoraSuite>\n")
                      .arg(folder, dataFolder)
                      .arg(measureMode)
                      .arg(refresh));
        m_folder->WriteMultimeterFile({m_bench.MeterResource(), kMeterSettings});
        m_folder->WriteSupplyFile({m_bench.SupplyResource(), kSupplySettings});
        // The stream is served beside the supply's SCPI address.
        const QString supplyFile = folder + QStringLiteral("Instruments/DC Power Supply/DC Power Supply.xml");
        QFile file(supplyFile);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString xml =
            QString::fromUtf8(file.readAll())
                .replace(QStringLiteral("AddressIP=\"\""), QStringLiteral("AddressIP=\"127.0.0.1\""));
        file.close();
        WriteText(supplyFile, xml);

        m_frame = std::make_unique<CMainFrame>();
        ASSERT_EQ(m_frame->OnCreate(), 0);
        ASSERT_TRUE(m_frame->HostMeasurementPages());
        m_frame->resize(1000, 700);
        m_frame->show();
        ASSERT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
        for (CParameterMeasDataLogging* logging :
             {&m_frame->MultimeterRecord().DataLogging, &m_frame->SupplyRecord().DataLogging}) {
            logging->AcqTimeHour = 1;
            logging->AcqTimeMinute = 0;
            logging->AcqTimeSecond = 0;
        }
        ASSERT_TRUE(m_frame->OnCommand(CMainFrame::ID_MEASURE_DATALOGGING));
    }

    // Starts the run and stops it once it has passed 'samples' and the page has been handed samples by
    // 'refreshes' update threads beside it; false when the run never got there.
    bool RunUntil(unsigned samples, int refreshes = 0) {
        if (!m_frame->OnCommand(CMainFrame::ID_MEASURE_START))
            return false;
        const bool reached = LogUntil(samples, refreshes);
        m_frame->OnCommand(CMainFrame::ID_MEASURE_STOP);
        return PumpUntil([&] { return !m_frame->MeasureThreadExists(); }, 60000) && reached;
    }
    // Pumps until the running run has passed 'samples' and the page has grown 'refreshes' times from
    // now on.
    bool LogUntil(unsigned samples, int refreshes) {
        unsigned shown = Shown();
        int grown = 0;
        return PumpUntil(
            [&] {
                if (Shown() > shown) {
                    shown = Shown();
                    ++grown;
                }
                return m_frame->DataLoggingReceived() >= samples && grown >= refreshes;
            },
            60000);
    }

    // Starts the run, breaks the link once 'samples' arrived and waits until the run has ended.
    bool DropAfter(unsigned samples, const std::function<void()>& drop) {
        if (!m_frame->OnCommand(CMainFrame::ID_MEASURE_START) ||
            !PumpUntil([&] { return m_frame->DataLoggingReceived() >= samples; }, 60000))
            return false;
        drop();
        return PumpUntil([&] { return !m_frame->MeasureThreadExists(); }, 60000);
    }

    // Waits, without stopping, until the run has ended by itself.
    bool WaitForEnd(int timeoutMs = 60000) {
        if (!m_frame->OnCommand(CMainFrame::ID_MEASURE_START))
            return false;
        return PumpUntil([&] { return !m_frame->MeasureThreadExists(); }, timeoutMs);
    }

    CQXAppDialogMeasDLOG& Page() { return *m_frame->DataLoggingPage(); }
    // A toolbar button of the data-logging page, clicked as the user does.
    void Click(int id) {
        auto* button = platform::FindControl<QAbstractButton>(&Page(), id);
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    CWaveformComboWnd* TwoAxisPlot() {
        for (QWidget* child : Page().Waveform()->findChildren<QWidget*>())
            if (auto* plot = dynamic_cast<CWaveformComboWnd*>(child))
                return plot;
        return nullptr;
    }
    unsigned Shown() { return Page().Waveform()->GetMultiLineDataLength(0); }
    // The lowest and highest reading of the logged line; an overload (9.9e37) is a gap, not a value.
    std::pair<double, double> ReadingRange() {
        const auto& y = Page().Waveform()->GetDataMultiLineY(0);
        double low = 1e300, high = -1e300;
        for (unsigned i = 0; i < Shown(); ++i)
            if (y[i] < 1e37) {
                low = std::min(low, y[i]);
                high = std::max(high, y[i]);
            }
        return {low, high};
    }

    // The auto-saved file holds every sample the run received, in time order.
    void ExpectAutoSaveHoldsTheRun() {
        const unsigned received = m_frame->DataLoggingReceived();
        ASSERT_GT(received, 0u);
        CBinDataFile file;
        ASSERT_EQ(file.Read(m_frame->AutoSaveBinName()), 1) << m_frame->AutoSaveBinName().toStdString();
        EXPECT_TRUE(
            QFileInfo(m_frame->AutoSaveBinName()).fileName().endsWith(QStringLiteral("_AutoSave.bin")));
        ASSERT_EQ(file.GetHeader().SampleCount, received);
        ASSERT_TRUE(file.IsColumnPresent(2));
        const auto& times = file.GetTimes();
        const auto& values = file.GetColumn(2);
        ASSERT_EQ(times.size(), received);
        ASSERT_EQ(values.size(), received);
        EXPECT_GE(times.front(), 0.0);
        for (std::size_t i = 1; i < times.size(); ++i)
            ASSERT_LT(times[i - 1], times[i]) << i;
        // The device under test draws microamps asleep and milliamps in bursts; 9.9e37 is an overload.
        for (std::size_t i = 0; i < values.size(); ++i)
            ASSERT_TRUE((values[i] > -1e-3 && values[i] < 1.0) || values[i] == 9.9e37)
                << i << " " << values[i];
    }

    CBench m_bench;
    CMessageRecorder m_messages;
    std::unique_ptr<CProgramFolder> m_folder;
    std::unique_ptr<CMainFrame> m_frame;
};

TEST_P(DataLoggingRun, StoppedEarlyKeepsEverySampleInPlotFileAndExports) {
    Open(GetParam().measureMode);
    CDialogRecorder notices;
    // More rows than a 97-2003 sheet holds, over two refreshes, so that update threads run beside the
    // measure thread.
    constexpr unsigned kMoreThanASheet = 65535;
    ASSERT_TRUE(RunUntil(kMoreThanASheet, 2))
        << m_messages.Texts().join(u'\n').toStdString() << " received " << m_frame->DataLoggingReceived();
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_TRUE(notices.Texts().isEmpty()) << "a stopped run shows no notice";
    const unsigned received = m_frame->DataLoggingReceived();
    EXPECT_GE(received, kMoreThanASheet);
    EXPECT_LT(received, 1800000u);
    ExpectAutoSaveHoldsTheRun();
    EXPECT_EQ(m_frame->InvalidFrames(), 0u);

    // The plot's logged line is the run, sample for sample.
    CQXAppDialogMeasDLOG& page = *m_frame->DataLoggingPage();
    ASSERT_TRUE(page.isVisible());
    CBinDataFile saved;
    ASSERT_EQ(saved.Read(m_frame->AutoSaveBinName()), 1);
    ASSERT_EQ(page.Waveform()->GetMultiLineDataLength(0), received);
    for (unsigned i = 0; i < received; ++i) {
        ASSERT_EQ(page.Waveform()->GetDataMultiLineX(0)[i], saved.GetTimes()[i]) << i;
        ASSERT_EQ(page.Waveform()->GetDataMultiLineY(0)[i], saved.GetColumn(2)[i]) << i;
    }

    const QString csv = m_folder->Path() + QStringLiteral("run.csv");
    ASSERT_EQ(page.SaveWaveformData(csv), 1);
    EXPECT_EQ(CompareWithPython(QStringLiteral("csv"), csv, m_frame->AutoSaveBinName()),
              QStringLiteral("['Time', 'Current DC'] %1 %1 0").arg(received));
    const QString txt = m_folder->Path() + QStringLiteral("run.txt");
    ASSERT_EQ(page.SaveWaveformData(txt), 1);
    EXPECT_EQ(CompareWithPython(QStringLiteral("txt"), txt, m_frame->AutoSaveBinName()),
              QStringLiteral("['Time', 'Current DC'] %1 %1 0").arg(received));
    // More rows than a 97-2003 sheet holds.
    EXPECT_EQ(page.SaveWaveformData(m_folder->Path() + QStringLiteral("run.xls")), 0);
    EXPECT_TRUE(m_messages.Contains(platform::LoadString(IDS_XLS_TOO_MANY_ROWS)));
    EXPECT_FALSE(QFileInfo::exists(m_folder->Path() + QStringLiteral("run.xls")));
}

// A run that reaches the most samples a data file holds ends there with a message that says so, not
// with the success notice, and its file and its plot hold every sample it kept.
TEST_P(DataLoggingRun, ARunThatReachesTheFilesLimitSaysSoAndSavesWhatItKept) {
    Open(GetParam().measureMode);
    constexpr unsigned kMost = 5000;
    CMainFrame::SetLoggedSampleLimit(kMost);
    CDialogRecorder notices;
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(notices.Texts().isEmpty()) << notices.Texts().join(u'\n').toStdString();
    EXPECT_EQ(
        m_messages.Texts(),
        QStringList{
            platform::LoadString(IDS_RUN_FILE_FULL).replace(QStringLiteral("%u"), QString::number(kMost))});
    ASSERT_EQ(m_frame->DataLoggingReceived(), kMost);
    ExpectAutoSaveHoldsTheRun();
    EXPECT_EQ(m_frame->DataLoggingPage()->Waveform()->GetMultiLineDataLength(0), kMost);
    EXPECT_TRUE(m_folder->LogText().contains(QStringLiteral("5000")));
}

// A time of 0 h 0 min 0 s counts as 10 s for the sample count, and the run lasts those 10 s: it ends
// with every sample it was meant to take, and with the notice.
TEST_P(DataLoggingRun, ARunOfNoTimeLastsTheTenSecondsItsCountIsFor) {
    Open(GetParam().measureMode);
    for (CParameterMeasDataLogging* logging :
         {&m_frame->MultimeterRecord().DataLogging, &m_frame->SupplyRecord().DataLogging})
        logging->AcqTimeHour = logging->AcqTimeMinute = logging->AcqTimeSecond = 0;
    CDialogRecorder notices;
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
    // 10 s at 0.1 cycles of 50 Hz.
    const CParameterMeasDataLogging& used = GetParam().measureMode == 1
                                                ? m_frame->SupplyRecord().DataLogging
                                                : m_frame->MultimeterRecord().DataLogging;
    EXPECT_EQ(used.DataAcqNumber, 5000u);
    EXPECT_EQ(m_frame->DataLoggingReceived(), 5000u);
    ASSERT_EQ(notices.Texts().size(), 1);
    EXPECT_TRUE(notices.Texts().front().startsWith(QStringLiteral("成功：操作执行完毕！")));
    ExpectAutoSaveHoldsTheRun();
}

INSTANTIATE_TEST_SUITE_P(Instruments, DataLoggingRun,
                         testing::Values(SRunCase{"Multimeter", 0}, SRunCase{"Supply", 1}),
                         [](const auto& row) { return std::string(row.param.name); });

using DataLoggingFaults = DataLoggingRun;

TEST_F(DataLoggingFaults, AStreamDroppedMidFrameEndsTheRunAndKeepsWhatArrived) {
    Open(1);
    ASSERT_TRUE(DropAfter(2000, [&] { m_bench.DropStreamMidFrame(); }));
    EXPECT_TRUE(m_messages.Contains(platform::LoadString(IDS_SUPPLY_LINK_LOST)))
        << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_GE(m_frame->DataLoggingReceived(), 2000u);
    // The half frame the link ended in is counted, never turned into a sample.
    EXPECT_EQ(m_frame->InvalidFrames(), 1u);
    ExpectAutoSaveHoldsTheRun();
    EXPECT_TRUE(m_folder->LogText().contains(QStringLiteral("Invalid Frames 1")));
}

// The user stops a supply run while the stream is in the middle of a frame: the part of it that came
// is no damaged frame, only the end of what was read, and every whole frame sent is a sample.
TEST_F(DataLoggingFaults, AStreamStoppedMidFrameCountsNoInvalidFrameAndKeepsEveryWholeOne) {
    Open(1);
    CDialogRecorder notices;
    ASSERT_TRUE(m_frame->OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return m_frame->DataLoggingReceived() >= 2000; }, 60000));
    m_bench.HoldStreamMidFrame();
    ASSERT_TRUE(PumpUntil([&] { return m_bench.StreamHeldMidFrame(); }, 60000));
    m_frame->OnCommand(CMainFrame::ID_MEASURE_STOP);
    ASSERT_TRUE(PumpUntil([&] { return !m_frame->MeasureThreadExists(); }, 60000));
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_TRUE(notices.Texts().isEmpty()) << "a stopped run shows no notice";
    EXPECT_EQ(m_frame->InvalidFrames(), 0u);
    EXPECT_EQ(m_frame->DataLoggingReceived(), m_bench.StreamFramesSent());
    ExpectAutoSaveHoldsTheRun();
    EXPECT_FALSE(m_folder->LogText().contains(QStringLiteral("Invalid Frames")));
}

TEST_F(DataLoggingFaults, AMultimeterLinkDroppedMidRunEndsItAndKeepsWhatArrived) {
    Open(0);
    ASSERT_TRUE(DropAfter(2000, [&] { m_bench.DropMeterLink(); }));
    EXPECT_GE(m_frame->DataLoggingReceived(), 2000u);
    ExpectAutoSaveHoldsTheRun();
    // Said as a lost supply link is said, not passed over.
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_METER_LINK_LOST)});
}

TEST_F(DataLoggingFaults, ARefusedStreamEndsTheRunWithItsMessage) {
    Open(1);
    m_bench.RefuseStreamStart();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(m_messages.Contains(platform::LoadString(IDS_SUPPLY_PORT_IN_USE)))
        << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_EQ(m_frame->DataLoggingReceived(), 0u);
    // Auto-save is on, but a run that received nothing leaves no file.
    ASSERT_FALSE(m_frame->AutoSaveBinName().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(m_frame->AutoSaveBinName()));
    EXPECT_TRUE(
        QDir(m_folder->Path() + QStringLiteral("Data/Data Logging/")).entryList(QDir::Files).isEmpty());
}

TEST_F(DataLoggingFaults, AShortRunSavesAWorkbookThatXlrdReads) {
    Open(0);
    ASSERT_TRUE(RunUntil(500));
    const unsigned received = m_frame->DataLoggingReceived();
    ASSERT_LT(received, 65535u) << "the run must fit one sheet";
    const QString xls = m_folder->Path() + QStringLiteral("run.xls");
    ASSERT_EQ(m_frame->DataLoggingPage()->SaveWaveformData(xls), 1);
    EXPECT_EQ(CompareWithPython(QStringLiteral("xls"), xls, m_frame->AutoSaveBinName()),
              QStringLiteral("['Time', 'Current DC'] %1 %1 0").arg(received));
}

TEST_F(DataLoggingFaults, AFailedAutoSaveIsReportedAndTurnedOff) {
    // A folder that cannot be made: a file stands where it would be.
    WriteText(m_folder->Path() + QStringLiteral("blocker"), QStringLiteral("x"));
    Open(0, m_folder->Path() + QStringLiteral("blocker/Data Logging/"));
    ASSERT_TRUE(RunUntil(500));
    EXPECT_TRUE(m_messages.Contains(platform::LoadString(IDS_FILE_CREATE_FAILED)))
        << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_FALSE(QFileInfo::exists(m_frame->AutoSaveBinName()));
    EXPECT_EQ(m_frame->Preferences()->AutoSaveDataLogging, 0);
    EXPECT_TRUE(m_folder->LogText().contains(QStringLiteral("AutoSave Failed")));
    // The samples are still in the page, to be saved by hand.
    EXPECT_EQ(m_frame->DataLoggingPage()->Waveform()->GetMultiLineDataLength(0),
              m_frame->DataLoggingReceived());
}

// A box the user takes a while to answer: the sink notes when it opened, and holds the run that showed
// it until the test lets it go.
class CHeldBox {
public:
    explicit CHeldBox(QString text) : m_text(std::move(text)) {
        m_previous = platform::SetMessageBoxSink([this](const QString& shown, const QString&, unsigned) {
            if (shown == m_text) {
                m_opened.store(QDateTime::currentMSecsSinceEpoch(), std::memory_order_release);
                while (!m_released.load(std::memory_order_acquire))
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            return platform::IDOK;
        });
    }
    ~CHeldBox() {
        Release();
        platform::SetMessageBoxSink(std::move(m_previous));
    }
    bool IsOpen() const { return m_opened.load(std::memory_order_acquire) != 0; }
    QDateTime Opened() const {
        return QDateTime::fromMSecsSinceEpoch(m_opened.load(std::memory_order_acquire));
    }
    void Release() { m_released.store(true, std::memory_order_release); }

private:
    QString m_text;
    platform::MessageBoxSink m_previous;
    std::atomic<qint64> m_opened{0};
    std::atomic<bool> m_released{false};
};

// The notice of a run whose auto-save failed tells the run's own times: the failure box that came
// before it, however long it stayed open, is not part of the run.
TEST_F(DataLoggingFaults, TheNoticeAfterAFailedSaveTellsTheRunsOwnTimes) {
    WriteText(m_folder->Path() + QStringLiteral("blocker"), QStringLiteral("x"));
    Open(0, m_folder->Path() + QStringLiteral("blocker/Data Logging/"));
    CParameterMeasDataLogging& logging = m_frame->MultimeterRecord().DataLogging;
    logging.AcqTimeHour = 0;
    logging.AcqTimeSecond = 2;
    CDialogRecorder notices;
    CHeldBox failure(platform::LoadString(IDS_FILE_CREATE_FAILED));
    ASSERT_TRUE(m_frame->OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return failure.IsOpen(); }, 60000));
    // The user reads the box for a while.
    QElapsedTimer reading;
    reading.start();
    PumpUntil([&] { return reading.elapsed() >= 2500; });
    failure.Release();
    ASSERT_TRUE(PumpUntil([&] { return !m_frame->MeasureThreadExists(); }, 60000));
    ASSERT_EQ(notices.Texts().size(), 1);
    const QRegularExpressionMatch times =
        QRegularExpression(QStringLiteral("测试启动时间: (\\S+ \\S+).*测试终止时间: (\\S+ \\S+).*"
                                          "用时：(\\d\\d)\\.(\\d\\d)\\.(\\d\\d)\\.(\\d\\d\\d)"),
                           QRegularExpression::DotMatchesEverythingOption)
            .match(notices.Texts().front());
    ASSERT_TRUE(times.hasMatch()) << notices.Texts().front().toStdString();
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    const QDateTime started = QDateTime::fromString(times.captured(1), format);
    const QDateTime ended = QDateTime::fromString(times.captured(2), format);
    const qint64 lasted = ((times.captured(3).toLongLong() * 60 + times.captured(4).toLongLong()) * 60 +
                           times.captured(5).toLongLong()) *
                              1000 +
                          times.captured(6).toLongLong();
    ASSERT_TRUE(started.isValid() && ended.isValid()) << notices.Texts().front().toStdString();
    EXPECT_LE(ended, failure.Opened()) << notices.Texts().front().toStdString();
    EXPECT_LE(started.addMSecs(lasted), failure.Opened()) << notices.Texts().front().toStdString();
}

// While a failure that ended the run is shown, the status bar no longer counts the run's time.
TEST_F(DataLoggingFaults, WhileARunsFailureIsShownTheStatusBarIsIdle) {
    Open(1);
    CHeldBox lost(platform::LoadString(IDS_SUPPLY_LINK_LOST));
    ASSERT_TRUE(m_frame->OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return m_frame->DataLoggingReceived() >= 2000; }, 60000));
    m_bench.DropStreamMidFrame();
    ASSERT_TRUE(PumpUntil([&] { return lost.IsOpen(); }, 60000));
    const QString idle = platform::LoadString(IDS_IDLE_MESSAGE);
    const bool wasIdle = PumpUntil([&] { return m_frame->statusBar()->currentMessage() == idle; }, 60000);
    const QString shown = m_frame->statusBar()->currentMessage();
    lost.Release();
    ASSERT_TRUE(PumpUntil([&] { return !m_frame->MeasureThreadExists(); }, 60000));
    EXPECT_TRUE(wasIdle) << shown.toStdString();
}

TEST_F(DataLoggingFaults, EveryByteOfTheStreamIsKeptHoweverTheChunksFall) {
    CScriptedStreamPeer peer;
    Open(1);
    CNetWorkTcpClient::SetDataStreamPort(peer.Port());
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(peer.SawStartCommand());
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(IDS_SUPPLY_LINK_LOST)});
    ASSERT_EQ(m_frame->DataLoggingReceived(), unsigned(CScriptedStreamPeer::kFrames));
    // The run of garbage and the half frame the link ended in.
    EXPECT_EQ(m_frame->InvalidFrames(), 2u);
    CBinDataFile file;
    ASSERT_EQ(file.Read(m_frame->AutoSaveBinName()), 1);
    ASSERT_EQ(file.GetTimes().size(), std::size_t(CScriptedStreamPeer::kFrames));
    for (int i = 0; i < CScriptedStreamPeer::kFrames; ++i) {
        ASSERT_EQ(file.GetColumn(2)[i], double(static_cast<float>(i) * 1e-6f)) << i;
        ASSERT_NEAR(file.GetTimes()[i], i * 0.001, 1e-9) << i;
    }
}

// An hour of the supply at a hundredth of a cycle is 18,000,000 samples, far beyond any instrument
// buffer: the run goes on to its end and every sample is in the plot and in the auto-saved file.
TEST_F(DataLoggingFaults, ASupplyHourAtAHundredthCycleKeepsEverySample) {
    constexpr unsigned kHour = 18000000;
    Open(1);
    m_frame->SupplyRecord().DcsNplcDLOG = 0.01;
    CDialogRecorder notices;
    ASSERT_TRUE(WaitForEnd(900000)) << "received " << m_frame->DataLoggingReceived();
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
    ASSERT_EQ(notices.Texts().size(), 1);
    EXPECT_TRUE(notices.Texts().front().startsWith(QStringLiteral("成功：操作执行完毕！")));
    EXPECT_EQ(m_frame->SupplyRecord().DataLogging.DataAcqNumber, kHour);
    ASSERT_EQ(m_frame->DataLoggingReceived(), kHour);
    // The stream goes on past the hour: the frame it is closed in is cut off, not damaged.
    EXPECT_EQ(m_frame->InvalidFrames(), 0u);

    const auto* plot = m_frame->DataLoggingPage()->Waveform();
    ASSERT_EQ(plot->GetMultiLineDataLength(0), kHour);
    CBinDataFile file;
    ASSERT_EQ(file.Read(m_frame->AutoSaveBinName()), 1);
    ASSERT_EQ(file.GetHeader().SampleCount, kHour);
    EXPECT_EQ(QFileInfo(m_frame->AutoSaveBinName()).size(), qint64(176) + qint64(16) * kHour);
    const auto& x = plot->GetDataMultiLineX(0);
    const auto& y = plot->GetDataMultiLineY(0);
    const auto& times = file.GetTimes();
    const auto& values = file.GetColumn(2);
    for (unsigned i = 0; i < kHour; ++i) {
        ASSERT_EQ(times[i], x[i]) << i;
        ASSERT_EQ(values[i], y[i]) << i;
        // One sample every 0.2 ms of the supply's clock, from 0 to the hour's last.
        ASSERT_NEAR(times[i], i * 0.0002, 1e-6) << i;
    }
}

// Pixels of the plot's image in the colour of its line 0.
int LinePixels(CWaveformPlotWnd& plot, const QRect& area) {
    const QImage image = plot.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb line = waveform::ToQColor(plot.GetGDI().Styles[0].LineColor).rgb();
    int pixels = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            pixels += image.pixel(x, y) == line;
    return pixels;
}

// The user's way: the CCDF view pressed, a run started and left to log behind it, the two-axis view
// pressed again. The two-axis plot kept up with the run: its axes hold every sample, and every column
// the samples cross shows the line. The run's start emptied the CCDF view, which showed the run before.
TEST_F(DataLoggingFaults, ARunLoggedBehindTheCcdfViewIsThereOnTheTwoAxisView) {
    Open(0);
    ASSERT_TRUE(RunUntil(1000));
    const unsigned first = Shown();
    ASSERT_GT(first, 0u);
    Click(CQXAppDialogMeasDLOG::IDC_CCDF);
    ASSERT_EQ(Page().IsCcdfView(), 1);
    CWaveformCCDFMainWnd* ccdf = Page().WaveformCCDF();
    ASSERT_NE(ccdf, nullptr);
    ASSERT_EQ(ccdf->IsMultiLineHasData(0), 1) << "the first run's distribution";
    const QRect ccdfArea = ccdf->Plot().GetPlotArea().WithEdges();
    ASSERT_GT(LinePixels(ccdf->Plot(), ccdfArea), 0);

    ASSERT_TRUE(m_frame->OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return Shown() < first; }, 60000)) << "the run's reset";
    EXPECT_EQ(ccdf->IsMultiLineHasData(0), 0) << "the first run's curve stays as if it were this one's";
    EXPECT_EQ(LinePixels(ccdf->Plot(), ccdfArea), 0);
    // Two refreshes: the page is handed samples while the CCDF view is shown.
    const bool logged = LogUntil(3000, 2);
    m_frame->OnCommand(CMainFrame::ID_MEASURE_STOP);
    ASSERT_TRUE(PumpUntil([&] { return !m_frame->MeasureThreadExists(); }, 60000));
    ASSERT_TRUE(logged);
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();

    Click(CQXAppDialogMeasDLOG::IDC_CCDF);
    ASSERT_EQ(Page().IsCcdfView(), 0);
    CWaveformComboWnd* plot = TwoAxisPlot();
    ASSERT_NE(plot, nullptr);
    ASSERT_TRUE(plot->isVisible());
    const unsigned n = Shown();
    ASSERT_EQ(n, m_frame->DataLoggingReceived());
    const auto& x = Page().Waveform()->GetDataMultiLineX(0);
    const auto [low, high] = ReadingRange();
    double h0 = 0, h1 = 0, v0 = 0, v1 = 0;
    plot->GetAxisScaleHoriZoom(h0, h1);
    plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_LE(h0, x[0]);
    EXPECT_GE(h1, x[n - 1]);
    EXPECT_LE(v0, low);
    EXPECT_GE(v1, high);
    EXPECT_LT(v1 - v0, 0.5) << "fitted to the run, not the reset's 0..1";

    const QImage image = plot->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb line = waveform::ToQColor(plot->GetGDI().Styles[0].LineColor).rgb();
    const waveform::CPlotArea a = plot->GetPlotArea();
    const auto column = [&](double t) { return a.left + static_cast<int>((t - h0) / (h1 - h0) * a.Width()); };
    const int from = std::max(a.left, column(x[0])), to = std::min(a.right, column(x[n - 1]));
    ASSERT_GT(to - from, a.Width() / 2);
    // The last column may hold only the last sample, joined to the column before by one segment; a steep
    // aliased segment one column wide may be set in its first column only, down to its end's row. There
    // the line reaches the last sample's row in the last column or the one before.
    QList<int> blank;
    for (int c = from; c < to; ++c) {
        bool drawn = false;
        for (int r = a.top; r <= a.bottom && !drawn; ++r)
            drawn = image.pixel(c, r) == line;
        if (!drawn)
            blank << c;
    }
    EXPECT_TRUE(blank.isEmpty()) << blank.size() << " columns without the line, the first at "
                                 << (blank.isEmpty() ? 0 : blank.front());
    const auto& y = Page().Waveform()->GetDataMultiLineY(0);
    const int lastRow = static_cast<int>(a.bottom - (y[n - 1] - v0) / (v1 - v0) * a.Height());
    EXPECT_TRUE(image.pixel(to, lastRow) == line || image.pixel(to - 1, lastRow) == line)
        << "the line ends at the last sample, row " << lastRow << " of column " << to;
}

// A box zoom on the right axis during a live run is the user's view: the run's next refreshes leave
// it, and 恢复 brings the following back.
TEST_F(DataLoggingFaults, AVerticalZoomDuringARunStaysUntilRestored) {
    Open(0);
    ASSERT_TRUE(m_frame->OnCommand(CMainFrame::ID_MEASURE_START));
    ASSERT_TRUE(PumpUntil([&] { return m_frame->IsRunning() && Shown() > 0; }, 60000));
    CWaveformComboWnd* plot = TwoAxisPlot();
    ASSERT_NE(plot, nullptr);
    Click(CQXAppDialogMeasDLOG::IDC_TOOL_VERT);
    const waveform::CPlotArea a = plot->GetPlotArea();
    const QPoint press(a.left + a.Width() / 2, a.top + a.Height() / 4);
    const QPoint release(press.x(), a.top + a.Height() / 2);
    QTest::mouseMove(plot, press);
    QTest::mousePress(plot, Qt::LeftButton, Qt::NoModifier, press);
    QTest::mouseMove(plot, release);
    QTest::mouseRelease(plot, Qt::LeftButton, Qt::NoModifier, release);
    double z0 = 0, z1 = 0;
    plot->GetAxisScaleVertZoom(z0, z1);
    double f0 = 0, f1 = 0;
    plot->GetAxisScaleVertOrg(f0, f1);
    ASSERT_LT(z1 - z0, (f1 - f0) / 2) << "the box zoomed in";
    for (int refresh = 0; refresh < 2; ++refresh) {
        const unsigned before = Shown();
        ASSERT_TRUE(PumpUntil([&] { return Shown() > before; }, 60000)) << refresh;
        double v0 = 0, v1 = 0;
        plot->GetAxisScaleVertZoom(v0, v1);
        EXPECT_EQ(v0, z0) << "refresh " << refresh;
        EXPECT_EQ(v1, z1) << "refresh " << refresh;
    }
    Click(CQXAppDialogMeasDLOG::IDC_RESTORE);
    const unsigned restored = Shown();
    ASSERT_TRUE(PumpUntil([&] { return Shown() > restored; }, 60000));
    m_frame->OnCommand(CMainFrame::ID_MEASURE_STOP);
    ASSERT_TRUE(PumpUntil([&] { return !m_frame->MeasureThreadExists(); }, 60000));
    // Followed again: the run's last refresh fitted the right axis to all of its readings.
    const auto [low, high] = ReadingRange();
    double v0 = 0, v1 = 0;
    plot->GetAxisScaleVertZoom(v0, v1);
    EXPECT_EQ(v0, low);
    EXPECT_EQ(v1, high);
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// The child's half of the test below: an hour of the supply at a hundredth of a cycle in a process
// whose address space ends some 300 MB past what it holds at the start. Prints what came of it.
TEST_F(DataLoggingFaults, MemoryLimitChild) {
    if (qEnvironmentVariableIsEmpty("LUMORA_MEMORY_LIMIT_CHILD"))
        GTEST_SKIP() << "run by ARunThatCannotKeepItsSamplesSaysSoAndSavesWhatArrived";
    Open(1);
    m_frame->SupplyRecord().DcsNplcDLOG = 0.01;
    CDialogRecorder notices;
    // Every thread the painting uses is made now and kept: past the limit a thread could not be made,
    // and a paint would wait for it for ever.
    QThreadPool* pool = QThreadPool::globalInstance();
    pool->setExpiryTimeout(-1);
    std::atomic<int> started{0};
    const int threads = pool->maxThreadCount();
    for (int i = 0; i < threads; ++i)
        pool->start([&] {
            ++started;
            while (started.load() < threads)
                std::this_thread::yield();
        });
    pool->waitForDone();
    m_frame->repaint();
    QFile status(QStringLiteral("/proc/self/status"));
    ASSERT_TRUE(status.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(status.readAll());
    const qint64 sizeKb =
        QRegularExpression(QStringLiteral("VmSize:\\s+(\\d+) kB")).match(text).captured(1).toLongLong();
    ASSERT_GT(sizeKb, 0);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    rlimit limit = old;
    limit.rlim_cur = static_cast<rlim_t>(sizeKb) * 1024 + (300u << 20);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limit), 0);
    const bool ended = WaitForEnd(300000);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &old), 0);
    ASSERT_TRUE(ended);
    CBinDataFile file;
    const int read = file.Read(m_frame->AutoSaveBinName());
    std::printf("RESULT received=%u plot=%u saved=%d:%u notices=%d messages=%s\n",
                m_frame->DataLoggingReceived(),
                m_frame->DataLoggingPage()->Waveform()->GetMultiLineDataLength(0), read,
                file.GetHeader().SampleCount, static_cast<int>(notices.Texts().size()),
                m_messages.Texts().join(QStringLiteral("|")).toUtf8().toBase64().constData());
    std::fflush(stdout);
}

// A run that runs out of memory ends with a message that says so, not with the success notice, and
// its file holds every sample that arrived. The limit is set in a child process of this test.
TEST(DataLoggingMemory, ARunThatCannotKeepItsSamplesSaysSoAndSavesWhatArrived) {
    if (kSanitized)
        GTEST_SKIP() << "the sanitizers reserve more address space than any limit leaves";
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMORA_MEMORY_LIMIT_CHILD"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Threads share one malloc arena instead of reserving address space for one each.
    environment.insert(QStringLiteral("MALLOC_ARENA_MAX"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral("/proc/self/exe"),
                {QStringLiteral("--gtest_filter=DataLoggingFaults.MemoryLimitChild")});
    if (!child.waitForFinished(600000)) {
        child.kill();
        child.waitForFinished();
        FAIL() << "the child did not end: " << child.readAllStandardOutput().toStdString();
    }
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    ASSERT_EQ(child.exitCode(), 0) << output.toStdString() << child.readAllStandardError().toStdString();
    const QRegularExpressionMatch result =
        QRegularExpression(QStringLiteral("RESULT received=(\\d+) plot=(\\d+) saved=(\\d+):(\\d+) "
                                          "notices=(\\d+) messages=(\\S*)"))
            .match(output);
    ASSERT_TRUE(result.hasMatch()) << output.toStdString();
    const unsigned received = result.captured(1).toUInt();
    EXPECT_GT(received, 0u);
    EXPECT_LT(received, 18000000u);
    EXPECT_LE(result.captured(2).toUInt(), received);
    EXPECT_EQ(result.captured(3).toInt(), 1);
    EXPECT_EQ(result.captured(4).toUInt(), received);
    EXPECT_EQ(result.captured(5).toInt(), 0) << "no success notice";
    CMainFrame::RegisterFrameStrings();
    EXPECT_EQ(QString::fromUtf8(QByteArray::fromBase64(result.captured(6).toLatin1())),
              platform::LoadString(IDS_RUN_NO_MEMORY));
}

// After a supply run the pane shows the output the run switched on.
TEST_F(DataLoggingFaults, AfterASupplyRunThePaneShowsItsOutputOn) {
    Open(1);
    CQXDialogPaneDCSource* form = m_frame->SupplyPane()->Form();
    ASSERT_EQ(m_frame->SupplyRecord().OutputState, 0) << "the simulated supply starts with its output off";
    ASSERT_FALSE(form->Readout()->m_bOutputOn);
    ASSERT_TRUE(RunUntil(1000));
    EXPECT_EQ(m_frame->SupplyRecord().OutputState, 1);
    EXPECT_TRUE(form->Readout()->m_bOutputOn);
}

// A refresh period of 1 s, which the configuration may hold, is the timer's.
TEST_F(DataLoggingFaults, ARefreshOfOneSecondTicksEverySecond) {
    Open(0, std::nullopt, 1);
    EXPECT_EQ(m_frame->Preferences()->ElapsedRefresh, 1);
    ASSERT_TRUE(m_frame->OnCommand(CMainFrame::ID_MEASURE_START));
    const bool ticking = PumpUntil([&] {
        const auto timers = m_frame->findChildren<QTimer*>();
        return std::any_of(timers.begin(), timers.end(),
                           [](QTimer* timer) { return timer->isActive() && timer->interval() == 1000; });
    });
    m_frame->OnCommand(CMainFrame::ID_MEASURE_STOP);
    ASSERT_TRUE(PumpUntil([&] { return !m_frame->MeasureThreadExists(); }, 60000));
    EXPECT_TRUE(ticking);
}

// The auto-save's name is known to the second: another user can plant links of that name, pointing at
// a file of this user's, in a data folder they share. The run's save never goes through them; it
// says it could not make its file, turns the auto-save off and keeps the samples in the page.
TEST_F(DataLoggingFaults, AnAutoSaveNeverWritesThroughAnotherUsersLink) {
    if (!testsupport::CanMakeForeignLinks())
        GTEST_SKIP() << "only root can give a link to another user";
    const QString data = m_folder->Path() + QStringLiteral("Data/Data Logging/");
    ASSERT_TRUE(QDir().mkpath(data));
    const QString precious = m_folder->Path() + QStringLiteral("precious.txt");
    WriteText(precious, QStringLiteral("mine"));
    // A name for every second of the next ten minutes.
    const QDateTime now = QDateTime::currentDateTime();
    for (int second = 0; second < 600; ++second) {
        const QString name = now.addSecs(second).toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) +
                             QStringLiteral("_AutoSave.bin");
        ASSERT_TRUE(testsupport::MakeForeignLink(precious, data + name));
    }
    Open(0, data);
    ASSERT_TRUE(RunUntil(500));
    EXPECT_TRUE(QFileInfo(m_frame->AutoSaveBinName()).isSymLink())
        << m_frame->AutoSaveBinName().toStdString();
    QFile file(precious);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("mine"));
    EXPECT_TRUE(m_messages.Contains(platform::LoadString(IDS_FILE_CREATE_FAILED)))
        << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_EQ(m_frame->Preferences()->AutoSaveDataLogging, 0);
    EXPECT_EQ(m_frame->DataLoggingPage()->Waveform()->GetMultiLineDataLength(0),
              m_frame->DataLoggingReceived());
}

// An empty data folder in the options is the program folder's own "Data/Data Logging/", made when
// missing: the auto-saved file never lands in the process's working folder.
TEST_F(DataLoggingFaults, WithAnEmptyDataFolderTheFileGoesToTheProgramsDataFolder) {
    Open(0, QString());
    ASSERT_TRUE(m_frame->Preferences()->FilePathDataLogging.isEmpty());
    ASSERT_TRUE(RunUntil(500));
    EXPECT_EQ(QFileInfo(m_frame->AutoSaveBinName()).absolutePath() + u'/',
              m_folder->Path() + QStringLiteral("Data/Data Logging/"));
    ExpectAutoSaveHoldsTheRun();
}

// Confirms the options dialog as soon as it shows, with the data-logging folder set to 'folder'.
void ConfirmOptionsWithFolder(const QString& folder) {
    QTimer::singleShot(0, [folder] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* tree = dialog->findChild<QTreeWidget*>();
        ASSERT_NE(tree, nullptr);
        const auto items = tree->findItems(QStringLiteral("常规"), Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(items.size(), 1);
        tree->setCurrentItem(items.front());
        auto* edit = platform::FindControl<QLineEdit>(dialog, CPrefMainPageGen::IDC_PATH_DLOG);
        ASSERT_NE(edit, nullptr);
        edit->setText(folder);
        QTest::mouseClick(platform::FindControl<QAbstractButton>(dialog, platform::IDOK), Qt::LeftButton);
    });
}

// The options may be confirmed while a run starts and goes on: the run keeps what they said when it
// was started, and reads nothing of the record the dialog gives back (run under ThreadSanitizer).
TEST_F(DataLoggingFaults, OptionsConfirmedWhileARunStartsLeaveTheRunItsSettings) {
    Open(1);
    const QString first = m_folder->Path() + QStringLiteral("Data/Data Logging/");
    const QString second = m_folder->Path() + QStringLiteral("Other/");
    ASSERT_TRUE(QDir().mkpath(second));
    for (const auto& [atStart, confirmed] : {std::pair{first, second}, std::pair{second, first}}) {
        SCOPED_TRACE(atStart.toStdString());
        ASSERT_EQ(m_frame->Preferences()->FilePathDataLogging, atStart);
        ASSERT_TRUE(m_frame->OnCommand(CMainFrame::ID_MEASURE_START));
        ConfirmOptionsWithFolder(confirmed);
        ASSERT_TRUE(m_frame->OnCommand(CMainFrame::ID_OPTIONS));
        EXPECT_EQ(m_frame->Preferences()->FilePathDataLogging, confirmed);
        ASSERT_TRUE(PumpUntil([&] { return m_frame->DataLoggingReceived() >= 500; }, 60000));
        m_frame->OnCommand(CMainFrame::ID_MEASURE_STOP);
        ASSERT_TRUE(PumpUntil([&] { return !m_frame->MeasureThreadExists(); }, 60000));
        EXPECT_EQ(QFileInfo(m_frame->AutoSaveBinName()).absolutePath() + u'/', atStart);
        ExpectAutoSaveHoldsTheRun();
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
}

// The period the configuration holds, 1 s included; 0 or less would spin, and a period beyond what a
// timer holds in milliseconds is its largest.
TEST(DataLoggingTimer, RefreshPeriodIsTheConfiguredOne) {
    const int cases[][2] = {{0, 1},
                            {-5, 1},
                            {1, 1},
                            {2, 2},
                            {5, 5},
                            {100, 100},
                            {101, 101},
                            {2147483, 2147483},
                            {std::numeric_limits<int>::max(), 2147483}};
    for (const auto& c : cases)
        EXPECT_EQ(CMainFrame::RefreshSeconds(c[0]), c[1]) << c[0];
}

} // namespace
