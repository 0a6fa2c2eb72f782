// The real program, started as a user starts it, against the simulated bench, and ended by the session
// (SIGTERM) while a box it opened is waiting for an answer: it must end within a few seconds, with
// its instrument files written back, its run's thread ended and both instruments given back to their
// front panels. A test user plugged into the program gives the commands and reports the boxes.
#include "instruments/simulator/FaultSwitches.h"
#include "instruments/simulator/bench/SimulatedBench.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

#if defined(__SANITIZE_THREAD__)
// The program is started while the bench's threads run: the child only execs it.
extern "C" const char* __tsan_default_options() {
    return "die_after_fork=0";
}
#endif

namespace {

// The longest a shut-down may take, however it is started: a bound against a hang, never a measure,
// sized for the sanitizers on a loaded machine.
constexpr int kShutDownMs = 60000;
// Anything the program does before a box shows (start-up, connecting, a short run), on a loaded
// machine with the sanitizers.
constexpr int kReachMs = 120000;

const char* const kNotice = "成功：操作执行完毕！";
const char* const kStreamRefused = "错误：仪器对象\"直流电源\"网络端口已经被占用，请重试！";

QString BuildFolder() {
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).path() + u'/';
}

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "app_terminate_tests";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr)
        new QCoreApplication(argc, argv);
}

bool WriteText(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size() &&
           file.flush();
}

QByteArray ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The simulated bench on loopback addresses of its own: the supply's reading stream is served on its
// own port, which the program does not let anyone change.
class CBench {
public:
    explicit CBench(bool refuseStream) {
        for (int attempt = 0; attempt < 20 && !m_bench; ++attempt) {
            const quint32 host = QRandomGenerator::global()->bounded(1u, 250u);
            const quint32 net = QRandomGenerator::global()->bounded(100u, 250u);
            benchsim::CSimulatedBench::SOptions options = benchsim::CSimulatedBench::TestOptions(100.0);
            options.supplyAddress = QStringLiteral("127.%1.%2.%3").arg(net).arg(host).arg(2).toStdString();
            options.meterAddress = QStringLiteral("127.%1.%2.%3").arg(net).arg(host).arg(3).toStdString();
            options.streamPort = benchsim::CDataStreamServer::DEFAULT_PORT;
            options.configureDrvcore = false;
            auto bench = std::make_unique<benchsim::CSimulatedBench>(options);
            std::string error;
            if (bench->Start(error))
                m_bench = std::move(bench);
            else
                m_error = error;
        }
        if (m_bench)
            m_bench->Stream().SetRefuseStart(refuseStream);
    }
    benchsim::CSimulatedBench* operator->() { return m_bench.get(); }
    bool Started() const { return m_bench != nullptr; }
    const std::string& Error() const { return m_error; }

private:
    std::unique_ptr<benchsim::CSimulatedBench> m_bench;
    std::string m_error;
};

// A program folder of the test's own: the program itself, the libraries beside it, and its
// configuration and instrument files.
class CInstalledProgram {
public:
    CInstalledProgram() {
        const QString build = BuildFolder();
        const QString program = Path() + QStringLiteral("lumora");
        // The program's folder is where it was started from: a hard link keeps it the build's program.
        if (::link(QFile::encodeName(build + QStringLiteral("lumora")).constData(),
                   QFile::encodeName(program).constData()) != 0)
            QFile::copy(build + QStringLiteral("lumora"), program);
        for (const QFileInfo& library : QDir(build).entryInfoList({QStringLiteral("lib*.so")}, QDir::Files))
            QFile::link(library.absoluteFilePath(), Path() + library.fileName());
        QDir().mkpath(Path() + QStringLiteral("home"));
    }
    QString Path() const { return m_dir.path() + u'/'; }
    QString SupplyFile() const {
        return Path() + QStringLiteral("Instruments/DC Power Supply/DC Power Supply.xml");
    }
    QString MeterFile() const {
        return Path() + QStringLiteral("Instruments/Digit Multimeter/Digit Multimeter.xml");
    }
    QString LogText() const {
        QString text;
        for (const QFileInfo& log : QDir(Path() + QStringLiteral("LogFiles")).entryInfoList(QDir::Files))
            text += QString::fromLocal8Bit(ReadText(log.absoluteFilePath()));
        return text;
    }

private:
    QTemporaryDir m_dir;
};

struct STermination {
    const char* name;
    int measureMode;
    const char* commands; // what the user chooses, in order
    const char* box;      // the start of the box the signal comes during
};

void PrintTo(const STermination& row, std::ostream* os) {
    *os << row.name;
}

class Termination : public testing::TestWithParam<STermination> {
protected:
    void SetUp() override {
        EnsureApplication();
        ASSERT_TRUE(QFileInfo::exists(BuildFolder() + QStringLiteral("lumora")));
        ASSERT_TRUE(QFileInfo::exists(QStringLiteral(LUMORA_TEST_PLUGINS "/generic/liblumora_test_user.so")));
    }
    void TearDown() override {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kShutDownMs);
        }
    }

    void Install(int measureMode, bool refuseStream) {
        m_bench = std::make_unique<CBench>(refuseStream);
        ASSERT_TRUE(m_bench->Started()) << m_bench->Error();
        CBench& bench = *m_bench;
        const QString folder = m_program.Path();
        ASSERT_TRUE(WriteText(
            folder + QStringLiteral("Config/MainApp.xml"),
            QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n"
                           "<LumoraSuite><General><PathConfig Value=\"%1Config/MainApp.xml\" />"
                           "<LogPath Value=\"%1LogFiles/\" /><LogFileName Value=\"QX_Log_test.txt\" />"
                           "<SaveLog Value=\"1\" /><FilePathCurr Value=\"%1Data/Current/\" />"
                           "<FilePathDataLogging Value=\"%1Data/Data Logging/\" />"
                           "<AutoSaveDataLogging Value=\"1\" /><ElapsedRefresh Value=\"1\" />"
                           "</General><Measure><MeasureMode Value=\"%2\" /></Measure></LumoraSuite>\n")
                .arg(folder)
                .arg(measureMode)
                .toUtf8()));
        m_meterText =
            QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n"
                "<QXInstrument><Instrument><Property Name=\"Digit Multimeter\" Type=\"\" Model=\"\" />"
                "<VISA Resource=\"%1\" Timeout=\"60000\" EndOfLine=\"\" AddressIP=\"\" AddressUSB=\"\" />"
                "<DigitMultimeter><FunctionType Value=\"2\" /><NplcDLog Value=\"0.100000\" />"
                "</DigitMultimeter></Instrument>"
                "<ParaMeasDataLogging><AcqTimeHour Value=\"0\" /><AcqTimeMinute Value=\"0\" />"
                "<AcqTimeSecond Value=\"2\" /><DataAcqNumber Value=\"0\" /></ParaMeasDataLogging>"
                "</QXInstrument>\n")
                .arg(QString::fromStdString(bench->MeterInstrument().Vxi11Resource()))
                .toUtf8();
        m_supplyText =
            QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n"
                "<QXInstrument><Instrument><Property Name=\"DC Power Supply\" Type=\"\" Model=\"\" />"
                "<VISA Resource=\"%1\" Timeout=\"60000\" EndOfLine=\"\" AddressIP=\"%2\" AddressUSB=\"\" />"
                "<DigitMultimeter><FunctionType Value=\"2\" /><VoltageLevel Value=\"3.3\" />"
                "<CurrentLimit Value=\"0.5\" /><VoltageProtection Value=\"5\" />"
                "<CurrentProtection Value=\"0.5\" /><TriggerTimeout Value=\"0.1\" />"
                "<DcsNplcCurr Value=\"0.1\" /><DcsNplcDLOG Value=\"0.100000\" />"
                "</DigitMultimeter></Instrument>"
                "<ParaMeasDataLogging><AcqTimeHour Value=\"0\" /><AcqTimeMinute Value=\"0\" />"
                "<AcqTimeSecond Value=\"2\" /><DataAcqNumber Value=\"0\" /></ParaMeasDataLogging>"
                "</QXInstrument>\n")
                .arg(QString::fromStdString(bench->SupplyInstrument().Vxi11Resource()),
                     QString::fromStdString(bench->Options().supplyAddress))
                .toUtf8();
        ASSERT_TRUE(WriteText(m_program.MeterFile(), m_meterText));
        ASSERT_TRUE(WriteText(m_program.SupplyFile(), m_supplyText));
    }

    // Starts the program with the test user giving the commands.
    void Start(const QString& commands) {
        const QString home = m_program.Path() + QStringLiteral("home");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_program.Path().chopped(1));
        environment.insert(QStringLiteral("LUMORA_VXI11_PORTMAPPER_PORT"),
                           QString::number((*m_bench)->PortmapperPort()));
        environment.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(LUMORA_TEST_PLUGINS));
        environment.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"),
                           QStringLiteral("lumoratestuser:") + commands);
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(m_program.Path() + QStringLiteral("lumora"), QStringList{});
        ASSERT_TRUE(m_process.waitForStarted(kReachMs)) << m_process.errorString().toStdString();
    }

    // Waits for a line of the test user that starts with the text; false when the program ended first
    // or the time is up.
    bool WaitForLine(const QString& start, int timeoutMs = kReachMs) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            while (m_process.canReadLine()) {
                const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
                m_lines << line;
                if (line.startsWith(start))
                    return true;
            }
            if (m_process.state() == QProcess::NotRunning)
                return false;
            m_process.waitForReadyRead(50);
        }
        return false;
    }
    std::string Said() {
        return (m_lines.join(u'\n') + QStringLiteral("\n--- stderr ---\n") +
                QString::fromUtf8(m_process.readAllStandardError()))
            .toStdString();
    }

    void Terminate() { ASSERT_EQ(::kill(static_cast<pid_t>(m_process.processId()), SIGTERM), 0); }

    // The program ended by itself, as a program that was asked to end.
    void ExpectOrderlyEnd() {
        const bool ended = m_process.waitForFinished(kShutDownMs);
        EXPECT_TRUE(ended) << "still running " << kShutDownMs << " ms after SIGTERM\n" << Said();
        if (!ended)
            return;
        EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit) << Said();
        EXPECT_EQ(m_process.exitCode(), 0) << Said();
        // The instrument files are the program's own now: every field it holds, written whole.
        const struct {
            QString path;
            QByteArray written;
            const char* field; // one the test's file lacks
        } files[] = {{m_program.MeterFile(), m_meterText, "<CaptCurr "},
                     {m_program.SupplyFile(), m_supplyText, "<OutputState "}};
        for (const auto& file : files) {
            const QByteArray now = ReadText(file.path);
            EXPECT_NE(now, file.written) << file.path.toStdString() << " was not written back";
            EXPECT_TRUE(now.contains(file.field)) << now.toStdString();
        }
        EXPECT_TRUE(m_program.LogText().contains(QStringLiteral("Measure Thread End"))) << "the run's thread "
                                                                                        << "was not ended";
        EXPECT_GE((*m_bench)->SupplyHost().LocalRequests(), 1u) << "the supply is still remote-controlled";
        EXPECT_GE((*m_bench)->MeterHost().LocalRequests(), 1u) << "the multimeter is still remote-controlled";
    }

    CInstalledProgram m_program;
    std::unique_ptr<CBench> m_bench;
    QByteArray m_meterText;
    QByteArray m_supplyText;
    QProcess m_process;
    QStringList m_lines;
};

TEST_P(Termination, EndsInTimeWithItsFilesWritten) {
    const STermination& row = GetParam();
    Install(row.measureMode, QString::fromUtf8(row.box) == QString::fromUtf8(kStreamRefused));
    Start(QString::fromLatin1(row.commands));
    ASSERT_TRUE(WaitForLine(QStringLiteral("dialog ") + QString::fromUtf8(row.box))) << Said();
    Terminate();
    ExpectOrderlyEnd();
}

INSTANTIATE_TEST_SUITE_P(Boxes, Termination,
                         testing::Values(
                             // A multimeter data-logging run of 2 s, ended by its finish notice.
                             STermination{"TerminateDuringFinishNotice", 0, "32813+32799", kNotice},
                             // A supply data-logging run whose stream the bench refuses.
                             STermination{"TerminateDuringStreamRefused", 1, "32813+32799", kStreamRefused},
                             // A supply current test, ended by its finish notice.
                             STermination{"TerminateDuringCurrentTestNotice", 1, "32799", kNotice}),
                         [](const auto& row) { return std::string(row.param.name); });

// A shut-down that cannot end (a run waits for an instrument that stopped answering): a second
// signal ends the program at once, as without a handler.
TEST_F(Termination, ASecondTerminationEndsItAtOnce) {
    Install(1, false);
    (*m_bench)->Supply().SetHoldMeasurement(true);
    Start(QStringLiteral("32799"));
    ASSERT_TRUE(WaitForLine(QStringLiteral("commands given"))) << Said();
    (*m_bench)->SupplyHost().Faults().Set(benchsim::CFaultSwitches::eStall, true);
    Terminate();
    // The first signal has been taken once the shut-down has written the instrument files back.
    QElapsedTimer clock;
    clock.start();
    while (ReadText(m_program.SupplyFile()) == m_supplyText && clock.elapsed() < kReachMs)
        QThread::msleep(20);
    ASSERT_NE(ReadText(m_program.SupplyFile()), m_supplyText) << Said();
    ASSERT_EQ(m_process.state(), QProcess::Running) << "the shut-down did not wait for the run\n" << Said();
    Terminate();
    ASSERT_TRUE(m_process.waitForFinished(kShutDownMs)) << Said();
    EXPECT_EQ(m_process.exitStatus(), QProcess::CrashExit) << Said();
}

} // namespace
