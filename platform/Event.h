#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;

enum class eWaitResult { Signaled, Timeout };

// An event object: a manual-reset event stays signalled until reset and releases every waiter;
// an auto-reset event releases one waiter and resets itself as it does.
class CEvent {
public:
    explicit CEvent(bool manualReset = false, bool initialState = false);
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    void Set();
    void Reset();
    eWaitResult Wait(std::uint32_t timeoutMs = INFINITE);
    // True when signalled, without consuming an auto-reset signal.
    bool IsSet() const;

private:
    const bool m_manualReset;
    bool m_signaled;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
};

} // namespace platform
