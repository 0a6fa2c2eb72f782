#include "lumora/core/HighResElapsedTimer.h"

#include "platform/Numbers.h"

#include <atomic>
#include <time.h>

namespace {

// Counts per second of the counter, read once per process.
std::atomic<std::int64_t> g_frequency{0};

std::int64_t CounterNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

CHighResElapsedTimer::CHighResElapsedTimer() {
    if (g_frequency.load(std::memory_order_relaxed) == 0)
        g_frequency.store(1000000000, std::memory_order_relaxed);
}

void CHighResElapsedTimer::Start() {
    m_startCount = CounterNow();
}

QString CHighResElapsedTimer::GetElapsedText() {
    const double t = static_cast<double>(CounterNow() - m_startCount) /
                     static_cast<double>(g_frequency.load(std::memory_order_relaxed));
    m_text = FormatElapsed(t);
    return m_text;
}

QString CHighResElapsedTimer::FormatElapsed(double t) {
    const auto hours = static_cast<std::int64_t>(t) / 3600;
    const auto minutes = static_cast<std::int64_t>(t - static_cast<double>(hours) * 3600.0) / 60;
    const auto seconds = static_cast<std::int64_t>(t - static_cast<double>(minutes) * 60.0 -
                                                   static_cast<double>(hours) * 3600.0);
    const auto milliseconds = static_cast<std::int64_t>(t * 1000.0) % 1000;
    return platform::CFormat("%.2d.%.2d.%.2d.%.3d", static_cast<int>(hours), static_cast<int>(minutes),
                             static_cast<int>(seconds), static_cast<int>(milliseconds));
}
