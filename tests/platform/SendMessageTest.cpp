#include "platform/MessageTarget.h"
#include "tests/support/WaitFor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace platform;

class CCounter : public CMessageTarget {
public:
    LRESULT OnMessage(UINT, WPARAM wParam, LPARAM) override {
        total += static_cast<int>(wParam); // written on the owner's thread, read by the sender after
        return total;
    }
    int total = 0;
};

void PumpUntil(const std::atomic<bool>& flag) {
    QElapsedTimer timer;
    timer.start();
    while (!flag && timer.elapsed() < testsupport::kLongWait.count())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(SendMessage, SenderSeesTheHandlersWritesAndTheHandlerTheSenders) {
    int argc = 1;
    char name[] = "platform_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    CCounter target;
    std::atomic<bool> done{false};
    int seen = 0;
    std::thread worker([&] {
        for (int i = 1; i <= 50; ++i)
            SendMessage(&target, WM_APP, WPARAM(i), 0);
        seen = target.total;
        done = true;
    });
    PumpUntil(done);
    worker.join();
    EXPECT_EQ(seen, 50 * 51 / 2);
}

} // namespace
