#pragma once

#include "DeviceUnderTest.h"
#include "ErrorQueue.h"
#include "ScpiCommand.h"
#include "SimClock.h"
#include "instruments/simulator/InstrumentModel.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace benchsim {

// What both simulated instruments share: message splitting, the common commands, the error
// queue and the SYSTem:ERRor subsystem, the clock and the device under test. A derived model
// handles its own subsystems under the model's lock.
class CScpiModel : public IInstrumentModel {
public:
    CScpiModel();

    bool Execute(const std::string& command, std::string& reply) override;
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
    // *CLS: status registers; the error queue is cleared by the base.
    virtual void ClearStatus() {}
    virtual void AbortMeasurement() {}
    // Adjusts the canonical header for the instrument's optional nodes before dispatch.
    virtual void Normalise(CScpiCommand& command) const { (void)command; }
    virtual eResult Handle(const CScpiCommand& command, std::string& reply) = 0;

    bool Held() const { return m_hold; }

    // Settings handled alike by both instruments: a query answers the value, a command sets it.
    static std::string OnOff(bool on) { return on ? "1" : "0"; }
    // A boolean: "1"/"0" on query; ON/OFF/1/0 to set.
    static eResult SwitchSetting(const CScpiCommand& command, std::string& reply, bool& target);
    // A number answered in 'format'; set only within [minimum, maximum].
    static eResult NumberSetting(const CScpiCommand& command, std::string& reply, double& target,
                                 double minimum, double maximum, std::string (*format)(double));
    // Reads the first parameter as a whole number within [minimum, maximum]; Done when it is one.
    static eResult ReadCount(const CScpiCommand& command, double minimum, double maximum,
                             std::uint64_t& count);

    CErrorQueue m_errors;
    CSimClock m_clock;
    CDeviceUnderTest m_dut;
    mutable std::mutex m_mutex;

private:
    eResult HandleCommon(const CScpiCommand& command, std::string& reply);
    std::atomic<bool> m_hold{false};
};

} // namespace benchsim
