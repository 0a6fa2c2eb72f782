#pragma once

#include "instruments/drvcore/EntityInstrument.h"
#include "lumora/core/ParameterInstruDCSource.h"

#include <QString>
#include <vector>

namespace platform {
class CEvent;
class CMessageTarget;
} // namespace platform

// Driver of the precision DC power supply with its current-measuring function. Every operation
// sends SCPI text through the base and returns 1 on success, 0 on failure, unless noted.
class CEntityInstruDCPS : public CEntityInstrument {
public:
    // Message sent to the parent when this driver opened its session: wParam the instrument id,
    // lParam 1.
    static constexpr unsigned WM_INSTRUMENT_CONNECTED = 0x8000 + 0x14D;

    CEntityInstruDCPS();
    ~CEntityInstruDCPS() override;

    // Copies the base state only.
    void CopyFrom(const CEntityInstruDCPS& other);

    // The window that is told of a new connection (null: none) and the owner's stop event.
    void SetParentWndPtr(platform::CMessageTarget* parent, platform::CEvent* abortEvent);

    int SetInstrumentControlDCPS();
    // Items: CParameterInstruDCSource::ITEM_*.
    int SetParameterInstruDCSource(CParameterInstruDCSource& parameters, int which);
    int GetParameterInstruDCSource(CParameterInstruDCSource& parameters, int which);

    int SetFunctionType(int type);
    int GetFunctionType(int& type);
    QString GetInstrumentIDN();
    int SetOutputState(int on);
    int GetOutputState(int& on);
    int SetVoltageLevel(const QString& value);
    int GetVoltageLevel(QString& value);
    int SetVoltageLimit(const QString& value);
    int GetVoltageLimit(QString& value);
    int SetVoltageProtection(const QString& value);
    int GetVoltageProtection(QString& value);
    int SetCurrentLimit(const QString& value);
    int GetCurrentLimit(QString& value);
    int SetCurrentProtection(const QString& value);
    int GetCurrentProtection(QString& value);
    int IsSystemErrorOccured(int& occurred);
    // 1 OCP, 2 OVP, 3 OTP, 4 RVS, 5 OPS, 0 none, 6 another reply or none.
    unsigned CheckProtectionTripped();
    int GetSystemAutozero(int& on);
    int SetSystemAutozero(int on);
    int SetCurrentNPLC(double nplc);
    int GetCurrentNPLC(double& nplc);
    int GetPowerLineFrequency(double& frequency);
    // Index 0..3: 10 mA, 100 mA, 1 A, 10 A.
    int SetCurrentRange(int index);
    int GetCurrentRange(int& index);
    int SetTriggerTimeout(CParameterInstruDCSource& parameters);

    int InitialMeasure_Common();
    int InitMeasAndWaitForResult_CurrDC();
    int InitialMeasure_DataLogging();
    int AbortMeasureDataLogging();
    int InitialMeasure_DataLogging_FetchData();
    int FetchData_TimeStamp_First(double& stamp);
    int FetchData_DataLogging(double& time, double& value);
    int InitialMeasure_DataLogging_TraceData();
    int TraceData_DataLogging();

protected:
    int SetTriggerCount(unsigned count);
    int GetTriggerCount(unsigned& count);
    int SetBufferCapacity(unsigned count);
    int GetBufferCapacity(unsigned& count);
    // The error queue's length; -1 when no reply came.
    int GetSystemErrorCounts();

private:
    int CheckConnection();
    int SetItem(CParameterInstruDCSource& parameters, int item);
    int GetItem(CParameterInstruDCSource& parameters, int item);
    QString Reply() const;
    int QueryText(const QString& query, QString& reply);
    int SendValue(const char* header, const QString& value);
    int QueryOnOff(const QString& query, int& on);
    // Pumps the caller's messages, then pauses; true when the stop event ended the pause.
    bool PauseOrStop(unsigned milliseconds);
    // Reads the instrument summary event register; 0 when no reply came.
    int QueryEventRegister(int& events);
    bool IsNewFetchReply();
    void TakeTimeout(const CParameterInstru& parameters);

    platform::CMessageTarget* m_parent = nullptr;
    std::vector<char> m_previousReply;
    unsigned m_scanIndex = 0;
    int m_fetchCount = 0;
    int m_sameReply = 0;
    double m_timeOffset = 0.0;
    double m_lastTimeStamp = 0.0;
    platform::CEvent* m_abortEvent = nullptr;
    unsigned m_timeoutMs = 30000;
};

extern "C" {
// A new driver object, null when it cannot be made.
CEntityInstrument* DLL_DriverCreateObject();
const char16_t* DLL_DriverGetObjectName();
const char16_t* DLL_DriverGetObjectDesc();
}
