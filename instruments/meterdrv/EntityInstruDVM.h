#pragma once

#include "instruments/drvcore/EntityInstrument.h"
#include "lumora/core/ParameterInstruMultiMeter.h"

#include <QString>
#include <cstdint>

namespace platform {
class CEvent;
class CMessageTarget;
} // namespace platform

// Driver of the graphical sampling multimeter measuring DC current. After a capture or a data
// logging round the data buffer holds "#0" and then, per sample, a little-endian double reading
// and a double relative time in seconds. Operations return 1 on success and 0 on failure.
class CEntityInstruDVM : public CEntityInstrument {
public:
    static constexpr unsigned WM_INSTRUMENT_CONNECTED = 0x8000 + 0x14D;
    static constexpr std::uint64_t MAX_SAMPLES = 6000000;
    // Samples read back in one data-logging round at most.
    static constexpr std::uint64_t ROUND_SAMPLES = 100000;

    CEntityInstruDVM();
    ~CEntityInstruDVM() override;

    void SetParentWndPtr(platform::CMessageTarget* parent, platform::CEvent* abortEvent);
    int SetInstrumentControlDVM();

    // Items: CParameterInstruMultiMeter::ITEM_*.
    int SetParameterInstruMultiMeter(const CParameterInstruMultiMeter& parameters, int which);
    int GetParameterInstruMultiMeter(CParameterInstruMultiMeter& parameters, int which);

    // 1 DC voltage, 2 DC current.
    int SetFunctionType(int type);
    int GetFunctionType(int& type);
    QString GetInstrumentIDN();
    // Index 0..6: 10 µA, 100 µA, 1 mA, 10 mA, 100 mA, 1 A, 3 A.
    int SetCurrentRange(int index);
    int GetCurrentRange(int& index);
    int SetCurrentDisableAutozero();
    int SetCurrentNPLC(double nplc);
    // 0 free running, 1 rising edge, 2 falling edge of the analog trigger.
    int SetTriggerMode(int mode);
    int GetTriggerMode(int& mode);
    int SetTriggerLevel(const QString& amperes);
    int GetTriggerLevel(QString& amperes);

    int SetMeasureCurrentTime(const CParameterInstruMultiMeter& parameters);
    int InitMeasAndWaitForResult();

    int InitialDataLogging();
    int InitMeasureDataLogging();
    int ReadDataLoggingBuffer();
    int AbortMeasureDataLogging();

private:
    int CheckConnection();
    int SetItem(const CParameterInstruMultiMeter& parameters, int item);
    int GetItem(CParameterInstruMultiMeter& parameters, int item);
    QString Reply() const;
    void TakeTimeout(const CParameterInstru& parameters);
    // Reads samples first..last (1-based) of the reading buffer into the data buffer.
    int ReadSamples(std::uint64_t first, std::uint64_t last);
    // Rewrites the reply's binary block as "#0" + 'count' samples; false when it does not hold them.
    bool TakeBlock(std::uint64_t count);
    void SetEmptyBlock();
    int QueryCount(std::uint64_t& count);
    bool StopRequested() const;

    platform::CMessageTarget* m_parent = nullptr;
    platform::CEvent* m_abortEvent = nullptr;
    unsigned m_timeoutMs = 30000;
    int m_triggerMode = 0;
    std::uint64_t m_captureCount = 0;
    double m_captureSeconds = 0.0;
    bool m_capturePrepared = false;
    std::uint64_t m_loggedCount = 0;
    std::int64_t m_lastRoundMs = 0;
};

extern "C" {
// A new driver object, null when it cannot be made.
CEntityInstrument* DLL_DriverCreateObject();
}
