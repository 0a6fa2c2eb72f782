#pragma once

#include "lumora/core/ParameterInstru.h"
#include "lumora/core/ParameterMeasDataLogging.h"

// The digital multimeter's settings. Field order and types are a layout contract with meterdrv.
class CParameterInstruMultiMeter : public CParameterInstru {
public:
    CParameterInstruMultiMeter() = default;
    CParameterInstruMultiMeter(const CParameterInstruMultiMeter&) = default;
    CParameterInstruMultiMeter& operator=(const CParameterInstruMultiMeter&) = default;
    ~CParameterInstruMultiMeter() override = default;

    int FunctionType = 1;
    int CurrentRange = 0;
    int TriggerMode = 0;
    QString TriggerLevel = QStringLiteral("0");
    QString InstrumentIDN;
    double CaptCurr = 0.5;
    double NplcCurr = 0.001;
    double NplcDLog = 0.01;
    double LineFrequency = 50.0;
    CParameterMeasDataLogging DataLogging;
};
