#include "lumora/shell/MeasureLimits.h"

#include "lumora/core/ParameterMeasDataLogging.h"
#include "lumora/shell/DialogData.h"
#include "platform/StringTable.h"

#include <QDialog>

namespace shell {

namespace {

constexpr unsigned kSupplyBuffer = 2500;

} // namespace

SMeasureLimits MeasureLimitsOf(int measureMode, bool currentTest) {
    SMeasureLimits limits;
    if (measureMode == 1) {
        limits = {true, 0.002, QStringLiteral("0.002"), currentTest ? kSupplyBuffer : 0u,
                  QStringLiteral("2280S")};
    } else if (measureMode == 0 || measureMode == 2) {
        limits = {true, 0.0005, QStringLiteral("0.0005"), static_cast<unsigned>(kMaxDataAcqNumber),
                  QStringLiteral("DMM7510")};
    }
    return limits;
}

void ShowMeasureLimits(QDialog* dialog, const SMeasureLimits& limits, QWidget* supplyStatic,
                       QWidget* meterStatic) {
    if (!limits.known)
        return;
    dialog->setWindowTitle(dialog->windowTitle() + QStringLiteral(": ") + limits.model);
    const bool supply = limits.model == QStringLiteral("2280S");
    supplyStatic->setVisible(supply);
    meterStatic->setVisible(!supply);
}

bool CheckMeasureLimits(const SMeasureLimits& limits, double nplc, double samples, double lineFrequency,
                        QLineEdit* nplcEdit, QLineEdit* timeEdit) {
    if (!limits.known)
        return true;
    if (nplc < limits.minNplc) {
        StopMessage(platform::LoadString(51526).replace(QStringLiteral("%s"), limits.minNplcText));
        FocusEdit(nplcEdit);
        return false;
    }
    if (limits.maxSamples != 0 && samples > limits.maxSamples) {
        const int longest = CalcCountPerPeriod(limits.maxSamples, nplc, lineFrequency);
        StopMessage(platform::LoadString(51527).replace(QStringLiteral("%d"), QString::number(longest)));
        FocusEdit(timeEdit);
        return false;
    }
    return true;
}

} // namespace shell
