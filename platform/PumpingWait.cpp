#include "PumpingWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

namespace platform {
namespace {
// How often the condition is looked at when no event wakes the loop.
constexpr int kPollMs = 5;
} // namespace

bool PumpUntil(const std::function<bool()>& done, std::uint32_t timeoutMs) {
    const QDeadlineTimer deadline = timeoutMs == INFINITE ? QDeadlineTimer(QDeadlineTimer::Forever)
                                                          : QDeadlineTimer(static_cast<qint64>(timeoutMs));
    QCoreApplication* app = QCoreApplication::instance();
    const bool pumps = app != nullptr && QThread::currentThread() == app->thread();
    // A repeating timer wakes the loop, so a condition changed by another thread is seen.
    QTimer wake;
    if (pumps) {
        wake.setInterval(kPollMs);
        wake.start();
    }
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        if (pumps)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        else
            QThread::msleep(kPollMs);
    }
    return true;
}

bool WaitPumping(CEvent& event, std::uint32_t timeoutMs) {
    return PumpUntil([&event] { return event.Wait(0) == eWaitResult::Signaled; }, timeoutMs);
}

bool JoinPumping(std::thread& thread, const std::atomic<bool>& finished, std::uint32_t timeoutMs) {
    if (!thread.joinable())
        return true;
    if (!PumpUntil([&finished] { return finished.load(std::memory_order_acquire); }, timeoutMs))
        return false;
    thread.join();
    return true;
}

} // namespace platform
