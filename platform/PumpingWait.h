#pragma once

#include "Event.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace platform {

// Waits on the user-interface thread while serving its events, so that a worker blocked in
// SendMessage or a message box is answered meanwhile. Each returns true when the wait ended by its
// condition and false on time-out (INFINITE waits without limit).

// Until done() is true.
bool PumpUntil(const std::function<bool()>& done, std::uint32_t timeoutMs = INFINITE);

// Until the event is signalled (an auto-reset event is consumed by the wait).
bool WaitPumping(CEvent& event, std::uint32_t timeoutMs = INFINITE);

// Until the thread's function has returned (it sets finished last), then joins it. A thread that is
// not joinable counts as ended. On time-out the thread stays joinable.
bool JoinPumping(std::thread& thread, const std::atomic<bool>& finished, std::uint32_t timeoutMs = INFINITE);

} // namespace platform
