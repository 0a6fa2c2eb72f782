#include "PromptTestSupport.h"
#include "dialogs/promptkit/PromptKit.h"
#include "lumora/controls/ColorRef.h"
#include "platform/ControlId.h"
#include "platform/Library.h"
#include "platform/PumpingWait.h"

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

using prompttest::App;
using prompttest::WhenModalShows;

struct Seen {
    QString title;
    QString group;
    QString text;
    QString button;
    QColor base;
    QColor textColor;
    bool hasPicture = false;
    QPoint centre;
};

Seen Look(QDialog* dialog) {
    Seen seen;
    seen.title = dialog->windowTitle();
    if (auto* group = dialog->findChild<QGroupBox*>())
        seen.group = group->title();
    if (auto* edit = platform::FindControl<QPlainTextEdit>(dialog, 8018)) {
        seen.text = edit->toPlainText();
        seen.base = edit->palette().color(QPalette::Base);
        seen.textColor = edit->palette().color(QPalette::Text);
    }
    // The picture static shows bitmap 8018 at the bitmap's own size (32 x 32): green where it is drawn.
    if (auto* picture = platform::FindControl<QLabel>(dialog, 8017)) {
        const QImage shown = picture->grab().toImage();
        seen.hasPicture = picture->size() == QSize(32, 32) && QColor(shown.pixel(5, 16)).green() > 150 &&
                          QColor(shown.pixel(5, 16)).red() < 100;
    }
    if (auto* ok = platform::FindControl<QPushButton>(dialog, 1))
        seen.button = ok->text();
    seen.centre = dialog->pos() + QPoint(dialog->width() / 2, dialog->height() / 2);
    return seen;
}

PFN_DlgExeFinished LoadExport(platform::CLibrary& library) {
    if (!library.Load(QStringLiteral("promptkit.dll")))
        return nullptr;
    return reinterpret_cast<PFN_DlgExeFinished>(library.Resolve("DlgExeFinished"));
}

TEST(DlgExeFinished, ShowsTheTextAndReturnsOneOnOk) {
    App();
    platform::CLibrary library;
    const PFN_DlgExeFinished run = LoadExport(library);
    ASSERT_NE(run, nullptr) << library.ErrorText().toStdString();

    QWidget frame;
    frame.setGeometry(100, 80, 800, 600);
    frame.show();
    const QString text =
        QStringLiteral("测量结束\r\n开始时间：2026-12-10 09:00:00\r\n结束时间：2026-12-10 09:00:01");
    QTimer poll;
    Seen seen;
    WhenModalShows(poll, [&](QDialog* dialog) {
        seen = Look(dialog);
        platform::FindControl<QPushButton>(dialog, 1)->click();
    });
    const int result = run(&frame, 0, text);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(seen.title, QStringLiteral("运行结束"));
    EXPECT_EQ(seen.group, QStringLiteral(" 信息 "));
    EXPECT_EQ(seen.text.split(QLatin1Char('\n')),
              (QStringList{QStringLiteral("测量结束"), QStringLiteral("开始时间：2026-12-10 09:00:00"),
                           QStringLiteral("结束时间：2026-12-10 09:00:01")}));
    EXPECT_EQ(seen.button, QStringLiteral("确定"));
    EXPECT_EQ(seen.base, QColor(0xFF, 0xFF, 0xE1));
    EXPECT_EQ(seen.textColor, QColor(Qt::black));
    EXPECT_TRUE(seen.hasPicture);
    const QPoint frameCentre =
        frame.mapToGlobal(QPoint(0, 0)) + QPoint(frame.width() / 2, frame.height() / 2);
    EXPECT_LE((seen.centre - frameCentre).manhattanLength(), 2);
}

TEST(DlgExeFinished, ClosingWithoutOkReturnsZero) {
    App();
    QTimer poll;
    Seen seen;
    WhenModalShows(poll, [&](QDialog* dialog) {
        seen = Look(dialog);
        dialog->reject();
    });
    EXPECT_EQ(DlgExeFinished(nullptr, 7, QStringLiteral("单行")), 0);
    EXPECT_EQ(seen.text, QStringLiteral("单行"));
}

TEST(DlgExeFinished, AWorkersNoticeIsShownOnTheUserInterfaceThread) {
    App();
    QTimer poll;
    Seen seen;
    QThread* shownOn = nullptr;
    WhenModalShows(poll, [&](QDialog* dialog) {
        seen = Look(dialog);
        shownOn = QThread::currentThread();
        platform::FindControl<QPushButton>(dialog, 1)->click();
    });
    std::atomic<bool> finished{false};
    int result = -1;
    std::thread worker([&] {
        result = DlgExeFinished(nullptr, 0, QStringLiteral("测量结束"));
        finished.store(true, std::memory_order_release);
    });
    const bool joined = platform::JoinPumping(worker, finished, 60000);
    if (!joined)
        worker.detach();
    ASSERT_TRUE(joined);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(seen.text, QStringLiteral("测量结束"));
    EXPECT_EQ(shownOn, QApplication::instance()->thread());
}

} // namespace
