// The two splash windows: the start-up splash bound by name as the program binds it, and the
// information library's timed splash.
#include "dialogs/infobox/InfoBox.h"
#include "dialogs/startscreen/StartScreen.h"
#include "platform/Library.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>
#include <gtest/gtest.h>
#include <thread>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "infobox_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

QList<QWidget*> VisibleWindowsTitled(const QString& title) {
    QList<QWidget*> found;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowTitle() == title)
            found.append(window);
    return found;
}

const QString kStartTitle = QStringLiteral("TORVANE TECHNOLOGIES SPLASH");

class StartSplashTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(m_library.Load(QStringLiteral("startscreen.dll"))) << m_library.ErrorText().toStdString();
        m_start = reinterpret_cast<decltype(m_start)>(m_library.Resolve("StartSplash"));
        m_end = reinterpret_cast<decltype(m_end)>(m_library.Resolve("EndSplash"));
        ASSERT_NE(m_start, nullptr);
        ASSERT_NE(m_end, nullptr);
    }
    void TearDown() override {
        if (m_end != nullptr)
            m_end(nullptr);
    }

    platform::CLibrary m_library;
    void (*m_start)(const char16_t*) = nullptr;
    void (*m_end)(QWidget*) = nullptr;
};

TEST_F(StartSplashTest, ShowsOnceUntilEndedAndAgainAfter) {
    m_start(u"版本  1.0.0 Build");
    auto shown = VisibleWindowsTitled(kStartTitle);
    ASSERT_EQ(shown.size(), 1);
    QWidget* first = shown.front();

    m_start(u"another text");
    shown = VisibleWindowsTitled(kStartTitle);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.front(), first);

    QWidget main;
    main.show();
    m_end(&main);
    EXPECT_TRUE(VisibleWindowsTitled(kStartTitle).isEmpty());
    m_end(nullptr);
    m_end(&main);

    m_start(u"again");
    EXPECT_EQ(VisibleWindowsTitled(kStartTitle).size(), 1);
}

// The text goes in black at a third of the height from the top, over the picture.
TEST_F(StartSplashTest, DrawsTheTextOnThePicture) {
    auto bandOf = [&](const char16_t* text) {
        m_start(text);
        auto shown = VisibleWindowsTitled(kStartTitle);
        EXPECT_EQ(shown.size(), 1);
        QImage image = shown.isEmpty() ? QImage() : shown.front()->grab().toImage();
        m_end(nullptr);
        const int top = image.height() * 4 / 13;
        return image.copy(0, top, image.width() / 2, 20);
    };
    const QImage blank = bandOf(u"");
    const QImage written = bandOf(u"Version 1.0.0");
    ASSERT_FALSE(blank.isNull());
    EXPECT_NE(blank, written);
    bool black = false;
    for (int y = 0; y < written.height() && !black; ++y)
        for (int x = 0; x < written.width() && !black; ++x)
            black = qGray(written.pixel(x, y)) < 40;
    EXPECT_TRUE(black);
}

TEST_F(StartSplashTest, OtherThreadsCannotStartOrEndIt) {
    std::thread([&] { m_start(u"from a worker"); }).join();
    EXPECT_TRUE(VisibleWindowsTitled(kStartTitle).isEmpty());
    m_start(u"ui");
    std::thread([&] { m_end(nullptr); }).join();
    EXPECT_EQ(VisibleWindowsTitled(kStartTitle).size(), 1);
}

QWidget* InfoSplash() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowFlags().testFlag(Qt::FramelessWindowHint) &&
            window->windowTitle() == QStringLiteral("Lumora"))
            return window;
    return nullptr;
}

class InfoSplashTest : public ::testing::Test {
protected:
    void SetUp() override { App(); }
    void TearDown() override {
        SplashWndDestroy();
        QCoreApplication::processEvents();
    }
};

TEST_F(InfoSplashTest, OneAtATimeAndClosedByTheTimer) {
    QWidget owner;
    owner.show();
    ASSERT_EQ(SplashWndShow(QStringLiteral("a"), QStringLiteral("version"), QStringLiteral("c"), 0, &owner),
              1);
    EXPECT_NE(InfoSplash(), nullptr);
    EXPECT_EQ(SplashWndShow(QString(), QStringLiteral("second"), QString(), 0, &owner), 0);
    // Its timer closes it after a few seconds; the wait allows for a loaded machine.
    QTRY_VERIFY_WITH_TIMEOUT(InfoSplash() == nullptr, 60000);
    EXPECT_EQ(SplashWndShow(QString(), QStringLiteral("again"), QString(), 1, &owner), 1);
}

// Without its timer the splash stays until input: a key pressed in any window closes it and goes no
// further.
TEST_F(InfoSplashTest, WithoutTimerAKeyAnywhereClosesItAndIsConsumed) {
    QLineEdit edit;
    edit.show();
    ASSERT_EQ(SplashWndShow(QString(), QStringLiteral("about"), QString(), 1, &edit), 1);
    // Events run for a moment and the splash stays: without a timer nothing closes it, so a slow
    // machine, which only makes the moment longer, cannot fail this.
    QTest::qWait(50);
    EXPECT_NE(InfoSplash(), nullptr);
    QTest::keyClick(&edit, Qt::Key_A);
    EXPECT_EQ(InfoSplash(), nullptr);
    EXPECT_TRUE(edit.text().isEmpty());
    QTest::keyClick(&edit, Qt::Key_B);
    EXPECT_EQ(edit.text(), QStringLiteral("b"));
}

// A key the application has a shortcut for closes the splash and runs the shortcut too.
TEST_F(InfoSplashTest, AShortcutKeyClosesItAndStillRunsItsCommand) {
    QMainWindow window;
    auto* edit = new QLineEdit(&window);
    window.setCentralWidget(edit);
    int runs = 0;
    QAction* open = window.addAction(QStringLiteral("open"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QObject::connect(open, &QAction::triggered, [&] { ++runs; });
    window.show();
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    // The key press reaches the splash itself, as it does when the splash is the active window.
    ASSERT_EQ(SplashWndShow(QString(), QStringLiteral("about"), QString(), 1, &window), 1);
    ASSERT_NE(InfoSplash(), nullptr);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_O, Qt::ControlModifier);
    QApplication::sendEvent(InfoSplash(), &press);
    EXPECT_EQ(InfoSplash(), nullptr);
    EXPECT_EQ(runs, 1);
    // Typed in the window, the key runs once and the splash goes as well.
    ASSERT_EQ(SplashWndShow(QString(), QStringLiteral("about"), QString(), 1, &window), 1);
    QTest::keyClick(edit, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(InfoSplash(), nullptr);
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(edit->text().isEmpty());
}

TEST_F(InfoSplashTest, AClickOrDestroyCloses) {
    ASSERT_EQ(SplashWndShow(QString(), QStringLiteral("about"), QString(), 1, nullptr), 1);
    QWidget* splash = InfoSplash();
    ASSERT_NE(splash, nullptr);
    QTest::mouseClick(splash, Qt::LeftButton);
    EXPECT_EQ(InfoSplash(), nullptr);

    ASSERT_EQ(SplashWndShow(QString(), QStringLiteral("about"), QString(), 1, nullptr), 1);
    SplashWndDestroy();
    EXPECT_EQ(InfoSplash(), nullptr);
    SplashWndDestroy();
}

} // namespace
