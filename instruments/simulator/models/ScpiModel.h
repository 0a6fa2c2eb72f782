#pragma once

#include "DeviceUnderTest.h"
#include "ErrorQueue.h"
#include "ScpiCommand.h"
#include "ScpiTree.h"
#include "SimClock.h"
#include "instruments/simulator/InstrumentModel.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace benchsim {

// What both simulated instruments share: the parser and the command tree's common part (the
// IEEE 488.2 common commands, SYSTem:ERRor and STATus), the status model, the error queue, the clock
// and the device under test. A derived model adds its own commands to the tree and handles them
// under the model's lock.
class CScpiModel : public IInstrumentModel {
public:
    // Bits of the standard event status register.
    static constexpr unsigned ESR_OPC = 0x01, ESR_QYE = 0x04, ESR_DDE = 0x08, ESR_EXE = 0x10, ESR_CME = 0x20;
    // Bits of the status byte.
    static constexpr unsigned STB_EAV = 0x04, STB_QSB = 0x08, STB_MAV = 0x10, STB_ESB = 0x20, STB_MSS = 0x40,
                              STB_OSB = 0x80;

    CScpiModel();

    bool Execute(const std::string& command, std::string& reply) override;
    eStep Run(SProgramMessage& message, std::string& output, std::size_t limit) override;
    void ReportError(int code) override;
    void DeviceClear() override;

    // Simulated seconds per wall-clock second; tests speed the instrument up.
    void SetTimeScale(double scale) { m_clock.SetScale(scale); }
    double Now() const { return m_clock.Now(); }
    std::size_t ErrorCount() const;
    // Fault switch: a started measurement never completes (a stalled trigger).
    void SetHoldMeasurement(bool hold) { m_hold = hold; }
    // The device under test that this instrument sees from now on.
    void SetDeviceUnderTest(const CDeviceUnderTest& dut) {
        std::lock_guard lock(m_mutex);
        m_dut = dut;
    }

protected:
    enum class eResult { Done, Reply, Unknown, OutOfRange, BadParameter, NoData };

    virtual std::string Identity() const = 0;
    virtual void ResetState() = 0;
    // *CLS: the model's own event registers; the error queue and the common registers are the base's.
    virtual void ClearStatus() {}
    virtual void AbortMeasurement() {}
    // An overlapped operation (a started measurement) is still running.
    virtual bool Busy() { return false; }
    virtual eResult Handle(const CScpiCommand& command, std::string& reply) = 0;

    bool Held() const { return m_hold; }
    // Queues an error and sets its bit in the standard event status register.
    void PushError(int code, const char* message = nullptr);
    // Latches bits into the operation event register.
    void SetOperationEvent(unsigned bits) { m_operationEvent |= bits; }
    // From a handler answering eResult::Reply: its reply is the unit's beginning, 'rest' makes the
    // remainder as the output is read.
    void ContinueReplyWith(ReplyRest rest) { m_replyRest = std::move(rest); }

    // Settings handled alike by both instruments: a query answers the value, a command sets it.
    static std::string OnOff(bool on) { return on ? "1" : "0"; }
    // A boolean: "1"/"0" on query; ON/OFF/1/0 to set.
    static eResult SwitchSetting(const CScpiCommand& command, std::string& reply, bool& target);
    // A number the tree has checked; a query with MINimum/MAXimum/DEFault answers that limit.
    static eResult NumberSetting(const CScpiCommand& command, std::string& reply, double& target,
                                 std::string (*format)(double));
    // A whole-number setting the tree has checked.
    template <typename T>
    static eResult CountSetting(const CScpiCommand& command, std::string& reply, T& target) {
        if (command.IsQuery()) {
            reply = std::to_string(command.Count() ? static_cast<T>(*command.Number(0)) : target);
            return eResult::Reply;
        }
        target = static_cast<T>(*command.Number(0));
        return eResult::Done;
    }

    CScpiTree m_tree;
    CErrorQueue m_errors;
    CSimClock m_clock;
    CDeviceUnderTest m_dut;
    mutable std::mutex m_mutex;

private:
    eResult HandleCommon(const CScpiCommand& command, std::string& reply, bool outputPending);
    unsigned StatusByte(bool outputPending) const;
    void UpdateOperationComplete();

    std::atomic<bool> m_hold{false};
    unsigned m_eventStatus = 0, m_eventEnable = 0, m_serviceEnable = 0;
    unsigned m_operationEvent = 0, m_operationEnable = 0;
    unsigned m_questionableEvent = 0, m_questionableEnable = 0;
    // *OPC was sent: the operation-complete bit is set once nothing overlapped runs.
    bool m_opcPending = false;
    ReplyRest m_replyRest;
};

} // namespace benchsim
