#include "platform/Event.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using platform::CEvent;
using platform::eWaitResult;

TEST(Event, AutoResetReleasesOneWaitAndResets) {
    CEvent event(false, true);
    EXPECT_EQ(event.Wait(0), eWaitResult::Signaled);
    EXPECT_EQ(event.Wait(10), eWaitResult::Timeout);
}

TEST(Event, ManualResetStaysSignalledUntilReset) {
    CEvent event(true, false);
    EXPECT_EQ(event.Wait(5), eWaitResult::Timeout);
    event.Set();
    EXPECT_EQ(event.Wait(0), eWaitResult::Signaled);
    EXPECT_EQ(event.Wait(0), eWaitResult::Signaled);
    event.Reset();
    EXPECT_FALSE(event.IsSet());
    EXPECT_EQ(event.Wait(0), eWaitResult::Timeout);
}

TEST(Event, SetFromAnotherThreadWakesEveryManualWaiter) {
    CEvent event(true, false);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i)
        waiters.emplace_back([&] {
            if (event.Wait(5000) == eWaitResult::Signaled)
                ++woken;
        });
    event.Set();
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(woken.load(), 4);
}

TEST(Event, AutoResetSignalWakesExactlyOneOfTwoWaiters) {
    CEvent event(false, false);
    std::atomic<int> woken{0};
    std::thread a([&] { woken += event.Wait(300) == eWaitResult::Signaled; });
    std::thread b([&] { woken += event.Wait(300) == eWaitResult::Signaled; });
    event.Set();
    a.join();
    b.join();
    EXPECT_EQ(woken.load(), 1);
}

} // namespace
