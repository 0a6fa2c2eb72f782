#include "platform/MessageTarget.h"
#include "tests/support/WaitFor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace platform;

class CRecorder : public CMessageTarget {
public:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        handledOn = QThread::currentThread();
        last = message;
        return static_cast<LRESULT>(wParam) + lParam;
    }
    QThread* handledOn = nullptr;
    UINT last = 0;
};

int g_argc = 1;
char g_name[] = "platform_tests";
char* g_argv[] = {g_name, nullptr};

QCoreApplication& App() {
    static QCoreApplication* app =
        QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(g_argc, g_argv);
    return *app;
}

TEST(MessageTarget, SendOnTheOwnThreadRunsAtOnce) {
    App();
    CRecorder target;
    EXPECT_EQ(SendMessage(&target, WM_APP + 0x14D, 32814, 1), 32815);
    EXPECT_EQ(target.handledOn, QThread::currentThread());
    EXPECT_EQ(SendMessage(nullptr, WM_APP, 0, 0), 0);
}

TEST(MessageTarget, SendFromAWorkerBlocksUntilTheOwnerThreadHandledIt) {
    App();
    CRecorder target;
    std::atomic<bool> done{false};
    LRESULT result = 0;
    std::thread worker([&] {
        result = SendMessage(&target, WM_USER + 103, 2, 3);
        done = true;
    });
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < testsupport::kLongWait.count())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(result, 5);
    EXPECT_EQ(target.handledOn, QThread::currentThread());
}

TEST(MessageTarget, PostQueuesAndDropsForADestroyedTarget) {
    App();
    auto* target = new CRecorder;
    EXPECT_TRUE(PostMessage(target, WM_APP + 0x80, 1, 0));
    EXPECT_EQ(target->last, 0u);
    QCoreApplication::processEvents();
    EXPECT_EQ(target->last, WM_APP + 0x80);
    EXPECT_TRUE(PostMessage(target, WM_APP + 1, 0, 0));
    delete target;
    QCoreApplication::processEvents(); // must not touch the dead target
    EXPECT_FALSE(PostMessage(nullptr, WM_APP, 0, 0));
}

} // namespace
