#include "platform/PumpingWait.h"
#include "platform/MessageTarget.h"
#include "tests/support/WaitFor.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace platform;

constexpr auto kLongMs = static_cast<std::uint32_t>(testsupport::kLongWait.count());

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "platform_wait_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(argc, argv);
    return *app;
}

class CPageStandIn : public CMessageTarget {
public:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM) override {
        handledOn = QThread::currentThread();
        return message == WM_APP + 0xC6 ? static_cast<LRESULT>(wParam) * 2 : 0;
    }
    QThread* handledOn = nullptr;
};

TEST(PumpingWait, JoinServesTheWorkersBlockingSendMessage) {
    App();
    CPageStandIn page;
    std::atomic<bool> finished{false};
    LRESULT result = 0;
    std::thread worker([&] {
        result = SendMessage(&page, WM_APP + 0xC6, 21, 0);
        finished.store(true, std::memory_order_release);
    });
    ASSERT_TRUE(JoinPumping(worker, finished, kLongMs));
    EXPECT_FALSE(worker.joinable());
    EXPECT_EQ(result, 42);
    EXPECT_EQ(page.handledOn, QThread::currentThread());
    EXPECT_TRUE(JoinPumping(worker, finished, 0)); // nothing left to join
}

TEST(PumpingWait, EventWaitServesSentMessagesUntilSignalled) {
    App();
    CPageStandIn page;
    CEvent done(false, false);
    LRESULT sum = 0;
    std::thread worker([&] {
        for (WPARAM i = 1; i <= 3; ++i)
            sum += SendMessage(&page, WM_APP + 0xC6, i, 0);
        done.Set();
    });
    const bool signalled = WaitPumping(done, kLongMs);
    worker.join();
    EXPECT_TRUE(signalled);
    EXPECT_EQ(sum, 12);
    EXPECT_FALSE(done.IsSet()); // the wait consumed the auto-reset signal
}

TEST(PumpingWait, TimesOutWhenTheConditionNeverHolds) {
    App();
    EXPECT_FALSE(PumpUntil([] { return false; }, 20));
    CEvent never(true, false);
    EXPECT_FALSE(WaitPumping(never, 20));
    EXPECT_TRUE(PumpUntil([] { return true; }, 0));

    std::atomic<bool> finished{false};
    CEvent release(true, false);
    std::thread worker([&] {
        release.Wait(kLongMs);
        finished.store(true, std::memory_order_release);
    });
    EXPECT_FALSE(JoinPumping(worker, finished, 20));
    EXPECT_TRUE(worker.joinable());
    release.Set();
    EXPECT_TRUE(JoinPumping(worker, finished, kLongMs));
}

TEST(PumpingWait, WaitsWithoutPumpingOffTheUserInterfaceThread) {
    App();
    std::atomic<bool> flag{false};
    bool result = false;
    std::thread waiter([&] { result = PumpUntil([&] { return flag.load(); }, kLongMs); });
    flag = true;
    waiter.join();
    EXPECT_TRUE(result);
}

} // namespace
