#include "lumora/core/MainPreferences.h"

#include "common/xmlfile/PathHelpers.h"
#include "platform/Numbers.h"

#include <algorithm>
#include <cmath>

namespace {

double ResolutionOfIndex(int index) {
    static constexpr double kResolution[] = {0.0,    0.0,     0.1,      0.01,     0.001,
                                             0.0001, 0.00001, 0.000001, 0.0000001};
    return (index >= 0 && index <= 8) ? kResolution[index] : 0.0;
}

// The precision a "%.<n>f" / "%.<n>e" text asks for, bounded so that no text makes an unsafe format.
int PrecisionOf(const QString& format) {
    if (!format.startsWith(QStringLiteral("%.")))
        return 6;
    return std::clamp(static_cast<int>(platform::WToI(format.mid(2))), 0, kMaxValueDigits);
}

} // namespace

MainPreferences::MainPreferences() {
    const QString folder = GetModuleDirectory();
    PathConfig = folder + QStringLiteral("Config/MainApp.xml");
    LogPath = folder + QStringLiteral("LogFiles/");
    FilePathCurr = folder + QStringLiteral("Data/Current/");
    FilePathVolt = folder + QStringLiteral("Data/Voltage/");
    FilePathCCDF = folder + QStringLiteral("Data/CCDF/");
    FilePathDataLogging = folder + QStringLiteral("Data/Data Logging/");
    UpdateDerivedFields();
}

MainPreferences::MainPreferences(const MainPreferences& other) : MainPreferences() {
    *this = other;
}

MainPreferences& MainPreferences::operator=(const MainPreferences& other) {
    if (this == &other)
        return *this;
    MeasureMode = other.MeasureMode;
    PathConfig = other.PathConfig;
    SaveLog = other.SaveLog;
    LogPath = other.LogPath;
    LogFileName = other.LogFileName;
    Digits = other.Digits;
    EFormat_Little = other.EFormat_Little;
    EFormat_Big = other.EFormat_Big;
    FilePathCurr = other.FilePathCurr;
    AutoSaveCurr = other.AutoSaveCurr;
    FilePathVolt = other.FilePathVolt;
    AutoSaveVolt = other.AutoSaveVolt;
    FilePathCCDF = other.FilePathCCDF;
    AutoSaveCCDF = other.AutoSaveCCDF;
    FilePathDataLogging = other.FilePathDataLogging;
    AutoSaveDataLogging = other.AutoSaveDataLogging;
    ElapsedRefresh = other.ElapsedRefresh;
    UpdateDerivedFields();
    return *this;
}

void MainPreferences::UpdateDerivedFields() {
    FixedFormat = platform::CFormat("%%.%df", Digits);
    ExponentFormat = platform::CFormat("%%.%de", Digits);
    static constexpr double kLimit[] = {999.0, 9999.0, 99999.0, 999999.0, 9999999.0};
    if (EFormat_Big >= 0 && EFormat_Big <= 4)
        ExponentLimit = kLimit[EFormat_Big];
    ExponentResolution = ResolutionOfIndex(EFormat_Little);
}

SMeasuredValueFormat::SMeasuredValueFormat(const MainPreferences& preferences)
    : FixedPrecision(PrecisionOf(preferences.FixedFormat)),
      ExponentPrecision(PrecisionOf(preferences.ExponentFormat)), ExponentLimit(preferences.ExponentLimit),
      ExponentResolution(preferences.ExponentResolution) {}

char* SMeasuredValueFormat::Format(char* at, double v) const {
    const double magnitude = std::fabs(v);
    if (magnitude > ExponentLimit || magnitude < ExponentResolution)
        return platform::FormatExponent(at, v, ExponentPrecision);
    return platform::FormatFixed(at, v, FixedPrecision);
}

void SMeasuredValueFormat::Append(std::string& out, double v) const {
    char buffer[platform::kNumberChars];
    out.append(buffer, Format(buffer, v));
}

QString FormatMeasuredValue(const MainPreferences& preferences, double v) {
    std::string text;
    SMeasuredValueFormat(preferences).Append(text, v);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
