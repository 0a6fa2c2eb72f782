#pragma once

#include "ScpiModel.h"

#include <cstdint>
#include <map>
#include <string>

namespace benchsim {

// A simulated graphical sampling multimeter (DMM7510) measuring DC current: function, range,
// integration time, autozero, analog edge trigger, the trigger-model templates "SimpleLoop" and
// "LoopUntilEvent", and the reading buffer "defbuffer1" read back as ASCII or binary blocks.
// Readings are a function of their instant, so the buffer costs no memory per reading.
class CSimDMM7510 : public CScpiModel {
public:
    static constexpr std::uint64_t MAX_POINTS = 7000000;

    CSimDMM7510();

    // Readings now in the buffer.
    std::uint64_t BufferCount();

protected:
    std::string Identity() const override;
    void ResetState() override;
    void AbortMeasurement() override;
    bool Busy() override;
    eResult Handle(const CScpiCommand& command, std::string& reply) override;

private:
    enum class eTemplate { None, SimpleLoop, LoopUntilEvent };
    enum class eState { Idle, Running, Aborted };

    eResult HandleSense(const CScpiCommand& command, std::string& reply);
    eResult HandleTrigger(const CScpiCommand& command, std::string& reply);
    eResult HandleTrace(const CScpiCommand& command, std::string& reply);
    // READ?, FETCh? and MEASure?: the newest reading of the default buffer.
    eResult HandleReading(const CScpiCommand& command, std::string& reply);
    // The buffer named by parameter 'index' (the default buffer when absent): its size, false when unknown.
    bool KnownBuffer(const CScpiCommand& command, std::size_t index, std::uint64_t*& size);
    // The buffer elements from parameter 'first' on; this model keeps the reading and its relative time.
    eResult Elements(const CScpiCommand& command, std::size_t first, bool& withTime) const;
    // Readings first..last (from 0) as ASCII or as a block, by the data format: the reply's beginning,
    // the readings themselves made as the output is read.
    std::string Readings(std::uint64_t first, std::uint64_t last, bool withTime);
    eResult LoadTemplate(const CScpiCommand& command);
    eResult Start();
    void Advance();
    bool FindEdge(double now);
    // The readings a "LoopUntilEvent" keeps from before its event: the position's share of the buffer.
    std::uint64_t PreEventPoints() const;
    double Period() const { return m_nplc / m_lineFrequency; }

    // What the buffer's readings depend on, copied when a read-out begins: a read-out made part by
    // part shows the buffer as it was when it was asked for.
    struct SBufferView {
        CDeviceUnderTest dut;
        double start = 0.0, period = 1.0, range = 1e-5;
        bool volts = false, autoRange = true;

        double Reading(std::uint64_t index) const;
    };
    SBufferView View() const;

    std::string m_function;
    double m_range = 1e-5;
    bool m_autoRange = true;
    double m_nplc = 1.0;
    const double m_lineFrequency = 50.0;
    bool m_autozero = true;
    std::string m_atrMode = "OFF", m_atrSlope = "RIS";
    double m_atrLevel = 0.0;
    std::uint64_t m_points = 100000;
    std::uint64_t m_measureCount = 1;
    // Buffers made by TRACe:MAKE, by name: their size. They stay empty.
    std::map<std::string, std::uint64_t> m_userBuffers;
    std::string m_format = "ASC", m_byteOrder = "NORM";

    eTemplate m_template = eTemplate::None;
    std::uint64_t m_loopCount = 0;
    std::string m_event;
    double m_position = 100.0;

    eState m_state = eState::Idle;
    bool m_waitingForEvent = false;
    double m_runStart = 0.0;
    std::uint64_t m_scanned = 0;
    double m_previous = 0.0;
    // The buffer: reading i was taken at m_bufferStart + i * period.
    double m_bufferStart = 0.0;
    std::uint64_t m_count = 0, m_target = 0;
};

} // namespace benchsim
