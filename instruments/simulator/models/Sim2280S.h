#pragma once

#include "ScpiModel.h"

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace benchsim {

// A simulated precision DC power supply with its current-measuring function (2280S): source
// settings and protection, triggered current measurements into the reading buffer, the
// instrument-summary event register, and the continuous measurement that feeds the data stream.
class CSim2280S : public CScpiModel {
public:
    static constexpr unsigned MAX_COUNT = 2500;
    // Bit of the instrument-summary event register set when a triggered measurement completes.
    static constexpr unsigned MEASUREMENT_DONE = 0x400;

    struct SStreamReading {
        float value;
        double time; // seconds of the instrument's clock
    };

    CSim2280S();

    // Readings of the running continuous measurement from index 'next' on, at most 'max'; 'next'
    // advances. A new continuous run changes 'run' and starts again at index 0. Empty when no
    // continuous measurement runs.
    std::vector<SStreamReading> TakeStreamReadings(std::uint64_t& run, std::uint64_t& next, std::size_t max);
    bool IsContinuous() const;
    bool IsOutputOn() const;
    // Fault switch: the protection trip that :OUTP:PROT:TRIP? names ("NONE", "OCP", "OVP", ...).
    void SetProtectionTrip(const std::string& trip);

protected:
    std::string Identity() const override;
    void ResetState() override;
    void ClearStatus() override;
    void AbortMeasurement() override;
    bool Busy() override;
    eResult Handle(const CScpiCommand& command, std::string& reply) override;

private:
    eResult HandleSource(const CScpiCommand& command, std::string& reply);
    eResult HandleSense(const CScpiCommand& command, std::string& reply);
    eResult HandleTrigger(const CScpiCommand& command, std::string& reply);
    eResult HandleTrace(const CScpiCommand& command, std::string& reply);
    // Moves the readings made up to now into the buffer and latches completion.
    void Advance();
    double Period() const;
    // The load current flows only while the output is on: a reading of time t sees the output as it
    // was then, however much later the reading is made (the stream reads behind the clock).
    double Reading(double t) const;
    void SetOutput(bool on);
    bool OutputAt(double t) const;
    std::string FormatPairs(std::size_t first, std::size_t count) const;

    std::string m_function;
    bool m_output = false;
    // The output's changes, oldest first, as (simulated time, state from then on); bounded, with the
    // state before the oldest one kept.
    std::deque<std::pair<double, bool>> m_outputChanges;
    bool m_outputBefore = false;
    double m_voltage = 0.0, m_voltageLimit = 5.0, m_voltageProtection = 5.0;
    double m_current = 0.5, m_currentProtection = 0.5;
    std::string m_trip = "NONE";
    bool m_autozero = true;
    double m_nplc = 1.0;
    double m_lineFrequency = 50.0;
    double m_range = 1.0;
    bool m_autoRange = true;
    unsigned m_triggerCount = 1, m_sampleCount = 1, m_points = 2500;
    std::string m_triggerSource = "IMM";
    std::string m_elements = "READ";
    std::string m_feedControl = "NEV";
    unsigned m_isumEvent = 0, m_isumEnable = 0;

    // Triggered run.
    bool m_running = false;
    double m_runStart = 0.0;
    std::uint64_t m_runTaken = 0, m_runCount = 0;
    // Continuous run.
    bool m_continuous = false;
    double m_continuousStart = 0.0;
    std::uint64_t m_continuousTaken = 0, m_continuousRun = 0;
    // Reading buffer: (reading, relative time).
    std::deque<std::pair<double, double>> m_buffer;
    std::pair<double, double> m_last{0.0, 0.0};
    bool m_haveLast = false;
};

} // namespace benchsim
