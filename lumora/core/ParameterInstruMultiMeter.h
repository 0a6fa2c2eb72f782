#pragma once

#include "lumora/core/ParameterInstru.h"
#include "lumora/core/ParameterMeasDataLogging.h"

// The digital multimeter's settings. Field order and types are a layout contract with meterdrv.
class CParameterInstruMultiMeter : public CParameterInstru {
public:
    // The items meterdrv programs and reads one at a time, by the field they carry; ITEM_ALL is every
    // item in the driver's order. The identification is read only.
    enum : int {
        ITEM_ALL = 0,
        ITEM_FUNCTION_TYPE = 1,
        ITEM_IDN = 2,
        ITEM_RANGE = 3,
        ITEM_TRIGGER_MODE = 4,
        ITEM_TRIGGER_LEVEL = 5,
    };

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
