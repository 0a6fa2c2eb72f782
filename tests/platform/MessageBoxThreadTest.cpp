#include "platform/MessageBox.h"
#include "platform/PumpingWait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace platform;

QApplication& App() {
    static int argc = 1;
    static char name[] = "platform_gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app =
        qobject_cast<QApplication*>(QCoreApplication::instance()) ? qApp : new QApplication(argc, argv);
    return *app;
}

struct SeenBox {
    QString text;
    QString title;
    QThread* thread = nullptr;
    bool wasModal = false;
};

// Answers the first message box that shows with the given button, noting what it showed.
void AnswerNextBox(QTimer& poll, SeenBox& seen, QMessageBox::StandardButton answer) {
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&poll, &seen, answer] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box == nullptr || !box->isVisible())
                continue;
            seen.text = box->text();
            seen.title = box->windowTitle();
            seen.thread = box->thread();
            seen.wasModal = box->isModal();
            poll.stop();
            box->button(answer)->click();
            return;
        }
    });
    poll.start();
}

TEST(MessageBox, AWorkersBoxIsShownOnTheUserInterfaceThread) {
    App();
    const MessageBoxSink previous = SetMessageBoxSink({});
    QTimer poll;
    SeenBox seen;
    AnswerNextBox(poll, seen, QMessageBox::No);
    std::atomic<bool> finished{false};
    int result = 0;
    std::thread worker([&] {
        result = MessageBox(QStringLiteral("错误：数据大小异常，请重试！"), MB_YESNO | MB_ICONQUESTION,
                            QStringLiteral("Lumora"));
        finished.store(true, std::memory_order_release);
    });
    const bool joined = JoinPumping(worker, finished, 60000);
    if (!joined) {
        poll.stop();
        worker.detach();
    }
    SetMessageBoxSink(previous);
    ASSERT_TRUE(joined);
    EXPECT_EQ(result, IDNO);
    EXPECT_EQ(seen.text, QStringLiteral("错误：数据大小异常，请重试！"));
    EXPECT_EQ(seen.title, QStringLiteral("Lumora"));
    EXPECT_EQ(seen.thread, QApplication::instance()->thread());
    EXPECT_TRUE(seen.wasModal);
}

TEST(MessageBox, OnTheUserInterfaceThreadItShowsAtOnce) {
    App();
    const MessageBoxSink previous = SetMessageBoxSink({});
    QTimer poll;
    SeenBox seen;
    AnswerNextBox(poll, seen, QMessageBox::Ok);
    const int result = MessageBox(QStringLiteral("完成"), MB_OK);
    SetMessageBoxSink(previous);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.text, QStringLiteral("完成"));
}

} // namespace
