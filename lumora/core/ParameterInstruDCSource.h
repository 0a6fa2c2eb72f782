#pragma once

#include "lumora/core/ParameterInstru.h"
#include "lumora/core/ParameterMeasDataLogging.h"

// The DC power supply's settings. Field order and types are a layout contract with supplydrv.
class CParameterInstruDCSource : public CParameterInstru {
public:
    // The items supplydrv programs and reads one at a time, by the field they carry; ITEM_ALL is every
    // item in the driver's order. The identification is read only; ITEM_TRIGGER_COUNT programs the count
    // the trigger time-out needs and reads the count back.
    enum : int {
        ITEM_ALL = 0,
        ITEM_OUTPUT = 1,
        ITEM_VOLTAGE = 2,
        ITEM_VOLTAGE_PROTECTION = 3,
        ITEM_CURRENT = 6,
        ITEM_CURRENT_PROTECTION = 7,
        ITEM_FUNCTION_TYPE = 10,
        ITEM_IDN = 11,
        ITEM_RANGE = 12,
        ITEM_BUFFER_CAPACITY = 15,
        ITEM_TRIGGER_COUNT = 16,
    };

    CParameterInstruDCSource() = default;
    // A copy starts with its own current range: the range is read from the instrument, not copied.
    CParameterInstruDCSource(const CParameterInstruDCSource& other) : CParameterInstru(other) {
        CopyOwnFields(other);
    }
    CParameterInstruDCSource& operator=(const CParameterInstruDCSource& other) {
        if (this != &other) {
            CParameterInstru::operator=(other);
            CopyOwnFields(other);
        }
        return *this;
    }
    ~CParameterInstruDCSource() override = default;

    int FunctionType = 1;
    int OutputState = 0;
    int CurrentRange = 0;
    QString VoltageLevel;
    QString VoltageLimit = QStringLiteral("5");
    QString VoltageProtection = QStringLiteral("5");
    QString CurrentLimit = QStringLiteral("0.5");
    QString CurrentProtection = QStringLiteral("0.5");
    QString InstrumentIDN;
    double TriggerTimeout = 1.0;
    double DcsNplcCurr = 0.1;
    double DcsNplcDLOG = 0.01;
    double LineFrequency = 50.0;
    int TriggerCount = 1;
    unsigned BufferCapacity = 2;
    CParameterMeasDataLogging DataLogging;

private:
    void CopyOwnFields(const CParameterInstruDCSource& other) {
        FunctionType = other.FunctionType;
        OutputState = other.OutputState;
        VoltageLevel = other.VoltageLevel;
        VoltageLimit = other.VoltageLimit;
        VoltageProtection = other.VoltageProtection;
        CurrentLimit = other.CurrentLimit;
        CurrentProtection = other.CurrentProtection;
        InstrumentIDN = other.InstrumentIDN;
        TriggerTimeout = other.TriggerTimeout;
        DcsNplcCurr = other.DcsNplcCurr;
        DcsNplcDLOG = other.DcsNplcDLOG;
        LineFrequency = other.LineFrequency;
        TriggerCount = other.TriggerCount;
        BufferCapacity = other.BufferCapacity;
        DataLogging = other.DataLogging;
    }
};
