#include "lumora/shell/MeasureLimits.h"

#include "common/xmlfile/TextHelpers.h"
#include "lumora/LumoraStrings.h"
#include "lumora/core/BinDataFile.h"
#include "lumora/core/ParameterMeasDataLogging.h"
#include "lumora/shell/DialogData.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"

#include <QDialog>
#include <cmath>

namespace shell {

namespace {

constexpr unsigned kSupplyBuffer = 2500;

// The longest capture as the message gives it: whole seconds, or below a second the seconds to six
// decimals, rounded down so that the time named is one that passes.
QString LongestCaptureText(unsigned samples, double nplc, double lineFrequency) {
    const int whole = CalcCountPerPeriod(samples, nplc, lineFrequency);
    if (whole != 0)
        return QString::number(whole);
    const double micro = static_cast<double>(samples) / (lineFrequency / nplc) * 1e6;
    if (!std::isfinite(micro))
        return QString::number(whole);
    // Rounding noise of the division is not taken for a microsecond less.
    return FormatDouble(-1, std::floor(micro + micro * 1e-9) / 1e6);
}

} // namespace

SMeasureLimits MeasureLimitsOf(int measureMode, bool currentTest) {
    SMeasureLimits limits;
    if (measureMode == 1) {
        // A data-logging run streams: what bounds it is the data file that keeps it.
        limits = {true, 0.002, QStringLiteral("0.002"),
                  currentTest ? kSupplyBuffer : static_cast<unsigned>(CBinDataFile::kMaxSamples),
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
        platform::StopBox(
            platform::LoadString(IDS_NPLC_OUT_OF_RANGE).replace(QStringLiteral("%s"), limits.minNplcText));
        FocusEdit(nplcEdit);
        return false;
    }
    if (limits.maxSamples != 0 && samples > limits.maxSamples) {
        platform::StopBox(
            platform::LoadString(IDS_CAPTURE_TIME_OUT_OF_RANGE)
                .replace(QStringLiteral("%d"), LongestCaptureText(limits.maxSamples, nplc, lineFrequency)));
        FocusEdit(timeEdit);
        return false;
    }
    return true;
}

} // namespace shell
