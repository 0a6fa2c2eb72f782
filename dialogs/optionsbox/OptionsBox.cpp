#include "dialogs/optionsbox/OptionsBox.h"

#include "dialogs/optionsbox/PrefDlgMain.h"
#include "lumora/core/MainPreferences.h"
#include "platform/ProgramFolder.h"

#include <QApplication>
#include <exception>

int SetPropertyMain(MainPreferences* record) {
    if (record == nullptr || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return 0;
    try {
        CPrefDlgMain dialog(record, QApplication::activeWindow());
        return dialog.exec() == QDialog::Accepted ? 1 : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

namespace optionsbox {

void SetDefaultPaths(MainPreferences& record) {
    const QString folder = platform::ProgramFolder();
    record.PathConfig = folder + QStringLiteral("Config/MainApp.xml");
    record.SaveLog = 0;
    record.LogPath = folder + QStringLiteral("LogFiles/");
    record.FilePathCurr = folder + QStringLiteral("Data/Current/");
    record.AutoSaveCurr = 0;
    record.FilePathVolt = folder + QStringLiteral("Data/Voltage/");
    record.AutoSaveVolt = 0;
    record.FilePathCCDF = folder + QStringLiteral("Data/CCDF/");
    record.AutoSaveCCDF = 0;
    record.FilePathDataLogging = folder + QStringLiteral("Data/Data Logging/");
    record.AutoSaveDataLogging = 1;
    record.ElapsedRefresh = 5;
}

void MakeNumberFormats(MainPreferences& record) {
    record.FixedFormat = QStringLiteral("%.%1f").arg(record.Digits);
    record.ExponentFormat = QStringLiteral("%.%1e").arg(record.Digits);
}

void MakeExponentThresholds(MainPreferences& record) {
    static constexpr double kResolution[] = {0.1, 0.01, 0.001, 0.0001, 0.00001, 0.000001, 0.0000001};
    static constexpr double kLimit[] = {999.0, 9999.0, 99999.0, 999999.0, 9999999.0};
    const int little = record.EFormat_Little;
    record.ExponentResolution = (little >= 2 && little <= 8) ? kResolution[little - 2] : 0.0;
    if (record.EFormat_Big >= 0 && record.EFormat_Big <= 4)
        record.ExponentLimit = kLimit[record.EFormat_Big];
}

} // namespace optionsbox
