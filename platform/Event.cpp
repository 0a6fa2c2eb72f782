#include "Event.h"

#include <chrono>

namespace platform {

CEvent::CEvent(bool manualReset, bool initialState) : m_manualReset(manualReset), m_signaled(initialState) {}

void CEvent::Set() {
    {
        std::lock_guard lock(m_mutex);
        m_signaled = true;
    }
    if (m_manualReset)
        m_changed.notify_all();
    else
        m_changed.notify_one();
}

void CEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_signaled = false;
}

eWaitResult CEvent::Wait(std::uint32_t timeoutMs) {
    std::unique_lock lock(m_mutex);
    const auto signaled = [this] { return m_signaled; };
    if (timeoutMs == INFINITE)
        m_changed.wait(lock, signaled);
    else if (!m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), signaled))
        return eWaitResult::Timeout;
    if (!m_manualReset)
        m_signaled = false;
    return eWaitResult::Signaled;
}

bool CEvent::IsSet() const {
    std::lock_guard lock(m_mutex);
    return m_signaled;
}

} // namespace platform
