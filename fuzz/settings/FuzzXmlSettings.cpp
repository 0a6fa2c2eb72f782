// Every reader of the XML settings files on one input: the main configuration, both instrument files,
// a plot's display parameters and the installer launcher's file. None may crash, however the input
// is made (nested 40,000 deep, cut off, not XML at all); an instrument file that loads is saved back
// over itself and must read back as the record it gave, or, when it would not, not be written at all.
#include "common/xmlfile/XmlDocument.h"
#include "lumora/core/ParserParaInstruDCSource.h"
#include "lumora/core/ParserParaInstruMultiMeter.h"
#include "lumora/core/ParserParameters.h"
#include "setup/SetupApp.h"
#include "waveform/traceprefs/ParameterFile.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// One folder of the process, holding the input under the launcher's own name; removed at exit.
char g_folder[] = "/tmp/lumora-fuzz-settings-XXXXXX";

const QString& Folder() {
    static const QString folder = [] {
        if (::mkdtemp(g_folder) == nullptr)
            std::abort();
        std::atexit([] { QDir(QString::fromLocal8Bit(g_folder)).removeRecursively(); });
        return QString::fromLocal8Bit(g_folder) + u'/';
    }();
    return folder;
}

void Write(const QString& path, const std::uint8_t* data, std::size_t size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size))
        std::abort();
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

void Same(double a, double b) {
    if (!(a == b || (std::isnan(a) && std::isnan(b))))
        std::abort();
}

void Same(const CParameterInstru& a, const CParameterInstru& b) {
    if (a.Name != b.Name || a.Type != b.Type || a.Model != b.Model || a.Resource != b.Resource ||
        a.Timeout != b.Timeout || a.EndOfLine != b.EndOfLine || a.AddressIP != b.AddressIP ||
        a.AddressUSB != b.AddressUSB)
        std::abort();
}

void Same(const CParameterMeasDataLogging& a, const CParameterMeasDataLogging& b) {
    if (a.AcqTimeHour != b.AcqTimeHour || a.AcqTimeMinute != b.AcqTimeMinute ||
        a.AcqTimeSecond != b.AcqTimeSecond || a.AutoNPLC != b.AutoNPLC ||
        a.DataLoggingMeas != b.DataLoggingMeas || a.DataAcqNumber != b.DataAcqNumber ||
        a.FileSize != b.FileSize)
        std::abort();
}

void Same(const CParameterInstruDCSource& a, const CParameterInstruDCSource& b) {
    Same(static_cast<const CParameterInstru&>(a), b);
    if (a.FunctionType != b.FunctionType || a.OutputState != b.OutputState ||
        a.VoltageLevel != b.VoltageLevel || a.VoltageLimit != b.VoltageLimit ||
        a.VoltageProtection != b.VoltageProtection || a.CurrentLimit != b.CurrentLimit ||
        a.CurrentProtection != b.CurrentProtection || a.BufferCapacity != b.BufferCapacity)
        std::abort();
    Same(a.TriggerTimeout, b.TriggerTimeout);
    Same(a.DcsNplcCurr, b.DcsNplcCurr);
    Same(a.DcsNplcDLOG, b.DcsNplcDLOG);
    Same(a.DataLogging, b.DataLogging);
}

void Same(const CParameterInstruMultiMeter& a, const CParameterInstruMultiMeter& b) {
    Same(static_cast<const CParameterInstru&>(a), b);
    if (a.FunctionType != b.FunctionType)
        std::abort();
    Same(a.CaptCurr, b.CaptCurr);
    Same(a.NplcCurr, b.NplcCurr);
    Same(a.NplcDLog, b.NplcDLog);
    Same(a.DataLogging, b.DataLogging);
}

// Loads the input; when it loads, saves the record over a copy of the input and loads that again.
template <class Parser, class Record> void RoundTrip(const QString& input, const QString& copy) {
    Record record;
    if (Parser().Load(input, &record) != 1)
        return;
    QFile::remove(copy);
    if (!QFile::copy(input, copy))
        std::abort();
    // A record whose file would not be read back is not written: the file stays as it was.
    if (Parser().Save(copy, &record) != 1) {
        if (Contents(copy) != Contents(input))
            std::abort();
        return;
    }
    Record back;
    if (Parser().Load(copy, &back) != 1)
        std::abort();
    Same(record, back);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const QString input = Folder() + QString::fromLatin1(CSetupApp::kLauncherFileName);
    Write(input, data, size);

    MainPreferences preferences;
    if (CParserParameters().Load(input, &preferences) == 1)
        FormatMeasuredValue(preferences, 1.5);
    RoundTrip<CParserParaInstruDCSource, CParameterInstruDCSource>(input,
                                                                   Folder() + QStringLiteral("dc.xml"));
    RoundTrip<CParserParaInstruMultiMeter, CParameterInstruMultiMeter>(input,
                                                                       Folder() + QStringLiteral("dmm.xml"));
    CParameterWaveform waveform;
    DLL_LoadParameterFromFile(input, &waveform);
    CSetupApp launcher;
    launcher.ReadLauncherFile(Folder());
    return 0;
}
