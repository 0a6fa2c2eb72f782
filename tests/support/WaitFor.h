#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <thread>

// Waits of the tests: each one waits for a condition, never for a fixed time. The limit is sized for
// the sanitizer builds on a loaded machine; a wait whose condition holds ends at once, so a passing
// test stays fast.
namespace testsupport {

// How long a test waits for something that normally takes milliseconds.
inline constexpr std::chrono::milliseconds kLongWait{60000};
// The same, as an instrument record's Timeout (ms): for the calls that must succeed.
inline constexpr const char* kLongTimeoutMs = "60000";

// Polls the condition until it holds (true) or the limit has passed (false). For threads without an
// event loop to pump; the user-interface thread pumps its events while it waits (PumpUntil).
inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = kLongWait) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Whether the asynchronous result came within the limit.
template <class T> bool Ready(const std::future<T>& result, std::chrono::milliseconds limit = kLongWait) {
    return result.wait_for(limit) == std::future_status::ready;
}

} // namespace testsupport
