#pragma once

#include "instruments/simulator/CommandLog.h"
#include "instruments/simulator/FaultSwitches.h"
#include "instruments/simulator/InstrumentModel.h"

#include <atomic>
#include <mutex>
#include <string>

namespace benchsim {

// One instrument as its protocol servers see it: the model (one command at a time, whichever
// server it came from), its command log and its fault switches.
class CInstrumentHost {
public:
    explicit CInstrumentHost(IInstrumentModel& model) : m_model(model) {}
    CInstrumentHost(const CInstrumentHost&) = delete;
    CInstrumentHost& operator=(const CInstrumentHost&) = delete;

    // The largest program message or unread input an instrument keeps, as its input buffer.
    static constexpr std::size_t kInputLimit = 4 * 1024 * 1024;

    // Logs the line, then executes it; true with 'reply' set when the instrument answers.
    bool Execute(const std::string& line, std::string& reply);
    // Logs the line and makes it the message that Run executes.
    void Begin(SProgramMessage& message, const std::string& line);
    // One step of IInstrumentModel::Run, one server at a time.
    IInstrumentModel::eStep Run(SProgramMessage& message, std::string& output, std::size_t limit);
    void ReportError(int code);
    void DeviceClear();
    // A client gave the instrument back to its front panel (VXI-11 device_local).
    void GoToLocal() { m_localRequests.fetch_add(1, std::memory_order_relaxed); }
    unsigned LocalRequests() const { return m_localRequests.load(std::memory_order_relaxed); }

    CCommandLog& Log() { return m_log; }
    CFaultSwitches& Faults() { return m_faults; }

private:
    IInstrumentModel& m_model;
    std::mutex m_modelMutex;
    CCommandLog m_log;
    CFaultSwitches m_faults;
    std::atomic<unsigned> m_localRequests{0};
};

} // namespace benchsim
