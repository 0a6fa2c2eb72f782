#pragma once

#include <QString>

class QDialog;
class QLineEdit;
class QWidget;

// What the measuring instrument of a measure mode allows, shared by the current-measurement and
// data-logging settings dialogs.
namespace shell {

struct SMeasureLimits {
    bool known = false;      // mode 0, 1 or 2
    double minNplc = 0.0;    // the smallest integration time, in power-line cycles
    QString minNplcText;     // as the message names it
    unsigned maxSamples = 0; // 0: the count is not tested
    QString model;           // appended to the dialog's title
};

// Mode 1 measures with the DC source, modes 0 and 2 with the multimeter. The DC source's 2,500-sample
// buffer bounds a current test only: its data logging streams, bounded by the data file that keeps it.
SMeasureLimits MeasureLimitsOf(int measureMode, bool currentTest);

// Title suffix and the static of the measuring instrument (1118 DC source, 1119 multimeter).
void ShowMeasureLimits(QDialog* dialog, const SMeasureLimits& limits, QWidget* supplyStatic,
                       QWidget* meterStatic);

// Tests the integration time and the uncapped sample count; a refusal shows its message and puts the
// focus on the edit to mend. True when both pass.
bool CheckMeasureLimits(const SMeasureLimits& limits, double nplc, double samples, double lineFrequency,
                        QLineEdit* nplcEdit, QLineEdit* timeEdit);

} // namespace shell
