// The memory a data-logging run takes per sample it keeps, measured on the whole road: an hour of the
// simulated supply at a hundredth of a power-line cycle (18,000,000 samples over its stream, in
// simulated time), received by the frame, shown in the data-logging page's plot and auto-saved.
// Reported: the resident memory the run added (held at its end, and at its peak) per sample.
#include "instruments/simulator/bench/SimulatedBench.h"
#include "lumora/core/BinDataFile.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/NetWorkTcpClient.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "platform/MessageBox.h"
#include "platform/ProgramFolder.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace {

constexpr unsigned kHourSamples = 18000000;

double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096.0;
}

// The peak of the resident memory since the last ResetPeak, in bytes.
double PeakBytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    double kb = 0;
    while (status >> key) {
        if (key == "VmHWM:") {
            status >> kb;
            return kb * 1024.0;
        }
    }
    return 0.0;
}

void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void WriteText(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toLatin1());
}

QString InstrumentXml(const QString& name, const std::string& resource, const QString& address,
                      const QString& settings) {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n"
                          "<QXInstrument><Instrument><Property Name=\"%1\" Type=\"\" Model=\"\" />"
                          "<VISA Resource=\"%2\" Timeout=\"5000\" EndOfLine=\"\" AddressIP=\"%3\" "
                          "AddressUSB=\"\" /><DigitMultimeter>%4</DigitMultimeter></Instrument>"
                          "</QXInstrument>\n")
        .arg(name, QString::fromStdString(resource), address, settings);
}

// A program folder of its own with the configuration and both instrument files of the run.
void WriteProgramFolder(const QString& folder, benchsim::CSimulatedBench& bench) {
    WriteText(folder + QStringLiteral("Config/MainApp.xml"),
              QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n"
                             "<LumoraSuite><General><PathConfig Value=\"%1Config/MainApp.xml\" />"
                             "<LogPath Value=\"%1LogFiles/\" /><LogFileName Value=\"QX_Log_bench.txt\" />"
                             "<SaveLog Value=\"0\" /><FilePathDataLogging Value=\"%1Data/Data Logging/\" />"
                             "<AutoSaveDataLogging Value=\"1\" /><ElapsedRefresh Value=\"2\" /></General>"
                             "<Measure><MeasureMode Value=\"1\" /></Measure></LumoraSuite>\n")
                  .arg(folder));
    WriteText(folder + QStringLiteral("Instruments/DC Power Supply/DC Power Supply.xml"),
              InstrumentXml(QStringLiteral("DC Power Supply"), bench.SupplyInstrument().Vxi11Resource(),
                            QStringLiteral("127.0.0.1"),
                            QStringLiteral("<FunctionType Value=\"2\" /><VoltageLevel Value=\"3.3\" />"
                                           "<DcsNplcDLOG Value=\"0.010000\" />")));
    WriteText(folder + QStringLiteral("Instruments/Digit Multimeter/Digit Multimeter.xml"),
              InstrumentXml(QStringLiteral("Digit Multimeter"), bench.MeterInstrument().Vxi11Resource(),
                            QString(), QStringLiteral("<FunctionType Value=\"2\" />")));
}

void BM_SupplyHourMemoryPerSample(benchmark::State& state) {
    const double timeScale = static_cast<double>(state.range(0));
    double held = 0.0, peak = 0.0, seconds = 0.0;
    unsigned kept = 0, saved = 0, plotted = 0;
    for (auto _ : state) {
        benchsim::CSimulatedBench bench(benchsim::CSimulatedBench::TestOptions(timeScale));
        std::string error;
        if (!bench.Start(error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        CNetWorkTcpClient::SetDataStreamPort(bench.Stream().Port());
        QTemporaryDir folder;
        const QString path = folder.path() + QLatin1Char('/');
        platform::SetProgramFolderOverride(path);
        WriteProgramFolder(path, bench);
        QStringList messages;
        platform::SetMessageBoxSink([&](const QString& text, const QString&, unsigned) {
            messages << text;
            return platform::IDOK;
        });
        // The run's notice is closed as soon as it shows.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->accept();
        });
        closer.start(20);
        {
            auto frame = std::make_unique<CMainFrame>();
            if (frame->OnCreate() != 0 || !frame->HostMeasurementPages()) {
                state.SkipWithError("the frame could not be made");
                return;
            }
            frame->resize(1600, 1000);
            frame->show();
            CParameterMeasDataLogging& logging = frame->SupplyRecord().DataLogging;
            logging.AcqTimeHour = 1;
            logging.AcqTimeMinute = 0;
            logging.AcqTimeSecond = 0;
            frame->OnCommand(CMainFrame::ID_MEASURE_DATALOGGING);
            QApplication::processEvents();
            const double before = ResidentBytes();
            ResetPeak();
            QElapsedTimer clock;
            clock.start();
            frame->OnCommand(CMainFrame::ID_MEASURE_START);
            while (frame->MeasureThreadExists() || frame->IsRunning()) {
                QApplication::processEvents(QEventLoop::AllEvents, 5);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            seconds = static_cast<double>(clock.nsecsElapsed()) * 1e-9;
            state.SetIterationTime(seconds);
            kept = frame->DataLoggingReceived();
            held = (ResidentBytes() - before) / kept;
            peak = (PeakBytes() - before) / kept;
            plotted = frame->DataLoggingPage()->Waveform()->GetMultiLineDataLength(0);
            CBinDataFile file;
            if (file.Read(frame->AutoSaveBinName()) == 1)
                saved = file.GetHeader().SampleCount;
            frame->close();
        }
        platform::SetMessageBoxSink({});
        platform::SetProgramFolderOverride(QString());
        if (!messages.isEmpty())
            state.SkipWithError(messages.join(QLatin1Char('\n')).toStdString().c_str());
    }
    if (kept != kHourSamples || plotted != kHourSamples || saved != kHourSamples)
        state.SkipWithError("the run did not keep, show and save every sample");
    state.counters["samples"] = kept;
    state.counters["bytes_per_sample"] = held;
    state.counters["peak_bytes_per_sample"] = peak;
    state.counters["run_s"] = seconds;
}
BENCHMARK(BM_SupplyHourMemoryPerSample)->Arg(100)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
