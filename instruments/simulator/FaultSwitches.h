#pragma once

#include <atomic>

namespace benchsim {

// Misbehaviours a test can switch on while servers run; each applies to replies until switched off.
class CFaultSwitches {
public:
    enum eFault {
        eDropMidReply, // send part of the reply, then close the connection
        eStall,        // never answer; keep the connection open
        eGarbage,      // answer bytes that are no valid reply
        eFaultCount
    };

    void Set(eFault fault, bool on) { m_on[fault].store(on, std::memory_order_release); }
    bool Is(eFault fault) const { return m_on[fault].load(std::memory_order_acquire); }
    void ClearAll() {
        for (auto& on : m_on)
            on.store(false, std::memory_order_release);
    }

private:
    std::atomic<bool> m_on[eFaultCount] = {};
};

} // namespace benchsim
