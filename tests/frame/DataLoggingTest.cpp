// Data-logging runs against the simulated bench: a multimeter run and a supply run over its reading
// stream, each stopped early, and links that drop mid-run. Every sample that reached the program
// must be in the auto-saved binary file, and the run must end cleanly.
#include "BenchAdapter.h"
#include "FrameFixture.h"

#include "lumora/controls/ListCtrlEx.h"
#include "lumora/core/BinDataFile.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/NetWorkTcpClient.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "platform/StringTable.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <arpa/inet.h>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
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
    }

    // The frame with both pages, on the data-logging page, logging for an hour of the
    // instrument's time at NPLC 0.1 (1,800,000 samples wanted) with a refresh every 2 s.
    void Open(int measureMode, QString dataFolder = QString()) {
        const QString folder = m_folder->Path();
        if (dataFolder.isEmpty())
            dataFolder = folder + QStringLiteral("Data/Data Logging/");
        WriteText(folder + QStringLiteral("Config/MainApp.xml"),
                  QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n"
                                 "<LumoraSuite><General><PathConfig Value=\"%1Config/MainApp.xml\" />"
                                 "<LogPath Value=\"%1LogFiles/\" />"
                                 "<LogFileName Value=\"QX_Log_test.txt\" /><SaveLog Value=\"1\" />"
                                 "<FilePathDataLogging Value=\"%2\" />"
                                 "<AutoSaveDataLogging Value=\"1\" /><ElapsedRefresh Value=\"2\" />"
                                 "</General><Measure><MeasureMode Value=\"%3\" /></Measure></LumoraSuite>\n")
                      .arg(folder, dataFolder)
                      .arg(measureMode));
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

    // Starts the run and stops it once it has passed 'samples' and lasted 'ms' (the refresh timer
    // ticks meanwhile); false when the run never got there.
    bool RunUntil(unsigned samples, int ms = 0) {
        if (!m_frame->OnCommand(CMainFrame::ID_MEASURE_START))
            return false;
        QElapsedTimer clock;
        clock.start();
        const bool reached = PumpUntil(
            [&] { return m_frame->DataLoggingReceived() >= samples && clock.elapsed() >= ms; }, 60000);
        m_frame->OnCommand(CMainFrame::ID_MEASURE_STOP);
        return PumpUntil([&] { return !m_frame->MeasureThreadExists(); }, 60000) && reached;
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
    bool WaitForEnd() {
        if (!m_frame->OnCommand(CMainFrame::ID_MEASURE_START))
            return false;
        return PumpUntil([&] { return !m_frame->MeasureThreadExists(); }, 60000);
    }

    // The auto-saved file holds every sample the run received, in time order.
    void ExpectAutoSaveHoldsTheRun() {
        const unsigned received = m_frame->DataLoggingReceived();
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
    // Over two refresh periods, so that update threads run beside the measure thread.
    ASSERT_TRUE(RunUntil(3000, 4500))
        << m_messages.Texts().join(u'\n').toStdString() << " received " << m_frame->DataLoggingReceived();
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_TRUE(notices.Texts().isEmpty()) << "a stopped run shows no notice";
    const unsigned received = m_frame->DataLoggingReceived();
    EXPECT_GE(received, 3000u);
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
    ASSERT_GT(received, 65534u);
    EXPECT_EQ(page.SaveWaveformData(m_folder->Path() + QStringLiteral("run.xls")), 0);
    EXPECT_TRUE(m_messages.Contains(platform::LoadString(51529)));
    EXPECT_FALSE(QFileInfo::exists(m_folder->Path() + QStringLiteral("run.xls")));
}

INSTANTIATE_TEST_SUITE_P(Instruments, DataLoggingRun,
                         testing::Values(SRunCase{"Multimeter", 0}, SRunCase{"Supply", 1}),
                         [](const auto& row) { return std::string(row.param.name); });

using DataLoggingFaults = DataLoggingRun;

TEST_F(DataLoggingFaults, AStreamDroppedMidFrameEndsTheRunAndKeepsWhatArrived) {
    Open(1);
    ASSERT_TRUE(DropAfter(2000, [&] { m_bench.DropStreamMidFrame(); }));
    EXPECT_TRUE(m_messages.Contains(platform::LoadString(51532)))
        << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_GE(m_frame->DataLoggingReceived(), 2000u);
    // The half frame the link ended in is counted, never turned into a sample.
    EXPECT_EQ(m_frame->InvalidFrames(), 1u);
    ExpectAutoSaveHoldsTheRun();
    EXPECT_TRUE(m_folder->LogText().contains(QStringLiteral("Invalid Frames 1")));
}

TEST_F(DataLoggingFaults, AMultimeterLinkDroppedMidRunEndsItAndKeepsWhatArrived) {
    Open(0);
    ASSERT_TRUE(DropAfter(2000, [&] { m_bench.DropMeterLink(); }));
    EXPECT_GE(m_frame->DataLoggingReceived(), 2000u);
    ExpectAutoSaveHoldsTheRun();
}

TEST_F(DataLoggingFaults, ARefusedStreamEndsTheRunWithItsMessage) {
    Open(1);
    m_bench.RefuseStreamStart();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(m_messages.Contains(platform::LoadString(51523)))
        << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_EQ(m_frame->DataLoggingReceived(), 0u);
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
    EXPECT_TRUE(m_messages.Contains(platform::LoadString(51504)))
        << m_messages.Texts().join(u'\n').toStdString();
    EXPECT_FALSE(QFileInfo::exists(m_frame->AutoSaveBinName()));
    EXPECT_EQ(m_frame->Preferences()->AutoSaveDataLogging, 0);
    EXPECT_TRUE(m_folder->LogText().contains(QStringLiteral("AutoSave Failed")));
    // The samples are still in the page, to be saved by hand.
    EXPECT_EQ(m_frame->DataLoggingPage()->Waveform()->GetMultiLineDataLength(0),
              m_frame->DataLoggingReceived());
}

TEST_F(DataLoggingFaults, EveryByteOfTheStreamIsKeptHoweverTheChunksFall) {
    CScriptedStreamPeer peer;
    Open(1);
    CNetWorkTcpClient::SetDataStreamPort(peer.Port());
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(peer.SawStartCommand());
    EXPECT_EQ(m_messages.Texts(), QStringList{platform::LoadString(51532)});
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

TEST(DataLoggingTimer, RefreshPeriodIsKeptWithinWhatTheOptionsAccept) {
    const int cases[][2] = {{0, 2}, {-5, 2}, {1, 2}, {2, 2}, {5, 5}, {100, 100}, {101, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(CMainFrame::RefreshSeconds(c[0]), c[1]) << c[0];
}

} // namespace
