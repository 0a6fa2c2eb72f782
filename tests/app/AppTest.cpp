// The application object in the test's own process: the splash on each way a start can end, the
// title, the language switch and the recent files.
#include "../frame/FrameFixture.h"

#include "lumora/controls/ListCtrlEx.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "lumora/shell/LumoraApp.h"
#include "platform/ControlId.h"
#include "platform/LibraryFolder.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/ProgramFolder.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QFile>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

const QString kSplashTitle = QStringLiteral("TORVANE TECHNOLOGIES SPLASH");

bool SplashVisible() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowTitle() == kSplashTitle)
            return true;
    return false;
}

// Counts splash windows shown, and keeps each message with whether a splash was on screen with it.
class CStartWatch : public QObject {
public:
    CStartWatch() {
        qApp->installEventFilter(this);
        platform::SetMessageBoxSink([this](const QString& text, const QString&, unsigned) {
            m_messages.append({text, SplashVisible()});
            return platform::IDOK;
        });
    }
    ~CStartWatch() override {
        qApp->removeEventFilter(this);
        platform::SetMessageBoxSink({});
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->windowTitle() == kSplashTitle)
            ++m_splashShown;
        return false;
    }
    struct SMessage {
        QString text;
        bool underSplash;
    };
    QList<SMessage> m_messages;
    int m_splashShown = 0;
};

class AppTest : public ::testing::Test {
protected:
    explicit AppTest(bool withMultimeter = true) : m_folder(withMultimeter) {}
    void SetUp() override {
        m_folder.WriteConfiguration(0, false);
        LinkLibrary(QStringLiteral("libstartscreen.so"));
        m_app.SetInstanceKey(QUuid::createUuid().toString());
    }
    void TearDown() override {
        m_app.ExitInstance(0);
        platform::ClearStrings(platform::eStringLayer::Language);
    }
    void LinkLibrary(const QString& name) {
        QFile::link(platform::ExecutableFolder() + name, m_folder.Path() + QStringLiteral("lib/") + name);
    }

    frametest::CProgramFolder m_folder;
    CStartWatch m_watch;
    CLumoraApp m_app;
};

TEST_F(AppTest, TheSplashEndsWhenTheFrameCannotBeMade) {
    m_app.SetFrameFactory([](const QString&) -> std::unique_ptr<CMainFrame> {
        platform::MessageBox(platform::LoadString(51506), platform::MB_ICONSTOP);
        return nullptr;
    });
    EXPECT_FALSE(m_app.InitInstance({QStringLiteral("lumora")}));
    EXPECT_EQ(m_app.ExitCode(), 1);
    EXPECT_EQ(m_watch.m_splashShown, 1);
    EXPECT_FALSE(SplashVisible());
    ASSERT_EQ(m_watch.m_messages.size(), 1);
    EXPECT_FALSE(m_watch.m_messages.front().underSplash);
}

TEST_F(AppTest, TheSplashEndsWhenTheFrameFailsWithoutAWord) {
    m_app.SetFrameFactory([](const QString&) { return std::unique_ptr<CMainFrame>(); });
    EXPECT_FALSE(m_app.InitInstance({QStringLiteral("lumora")}));
    EXPECT_EQ(m_watch.m_splashShown, 1);
    EXPECT_FALSE(SplashVisible());
}

class AppWithoutMeterLibrary : public AppTest {
protected:
    AppWithoutMeterLibrary() : AppTest(false) {}
};

// The multimeter's driver library is missing and the supply cannot be reached: the window opens all
// the same, and no message of the start-up is hidden behind the splash.
TEST_F(AppWithoutMeterLibrary, MessagesOfAMissingDriverLibraryComeAfterTheSplash) {
    m_folder.WriteMultimeterFile({QStringLiteral("TCPIP0::127.0.0.1::1::SOCKET"), QString()});
    m_folder.WriteSupplyFile({QStringLiteral("TCPIP0::127.0.0.1::1::SOCKET"), QString()});
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    EXPECT_EQ(m_watch.m_splashShown, 1);
    EXPECT_FALSE(SplashVisible());
    ASSERT_FALSE(m_watch.m_messages.isEmpty());
    for (const auto& message : m_watch.m_messages)
        EXPECT_FALSE(message.underSplash) << message.text.toStdString();
    ASSERT_NE(m_app.MainFrame(), nullptr);
    EXPECT_TRUE(m_app.MainFrame()->isVisible());
}

TEST_F(AppTest, TitleWithTheVersionFromTheProgramsRecord) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    EXPECT_TRUE(m_app.VersionText().startsWith(QStringLiteral("版本  1.0.0 ")));
    EXPECT_EQ(m_app.MainFrame()->windowTitle(),
              platform::LoadString(CLumoraApp::IDS_APP_TITLE) + QStringLiteral("  ") + m_app.VersionText());
    EXPECT_TRUE(m_app.MainFrame()->windowTitle().startsWith(QStringLiteral("TMX-2600B")));
}

// The window the application brings up shows each page's table and tool buttons.
TEST_F(AppTest, TheMainWindowShowsThePagesControls) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    CQXAppDialogMeasCurrent* current = m_app.MainFrame()->CurrentPage();
    CQXAppDialogMeasDLOG* logging = m_app.MainFrame()->DataLoggingPage();
    ASSERT_NE(current, nullptr);
    ASSERT_NE(logging, nullptr);
    EXPECT_TRUE(current->isVisible());
    EXPECT_TRUE(current->StatisticList()->isVisible());
    for (int id : {1079, 1083, 1090}) {
        QWidget* button = platform::FindControl<QWidget>(current, id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_TRUE(button->isVisible()) << id;
    }
    // The hidden page's own controls show with it.
    for (int id : {1006, 1083, 1093, 1090}) {
        QWidget* control = platform::FindControl<QWidget>(logging, id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_TRUE(control->isVisibleTo(logging)) << id;
    }
}

TEST_F(AppTest, EnglishAskedForWithoutItsLibraryStartsInChinese) {
    platform::WriteProfileInt(QStringLiteral("Config"), QStringLiteral("Language"), 1);
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    EXPECT_EQ(m_app.Language(), 1);
    EXPECT_FALSE(m_app.LanguageLibraryLoaded());
    EXPECT_EQ(platform::LoadString(CLumoraApp::IDS_APP_TITLE),
              QStringLiteral("TMX-2600B 低电流直流特性测试软件"));
}

TEST_F(AppTest, LanguageCommandsWriteTheProfileAndMoveTheCheckMark) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    CMainFrame& frame = *m_app.MainFrame();
    for (int language : {1, 0, 1}) {
        SCOPED_TRACE(language);
        m_watch.m_messages.clear();
        ASSERT_TRUE(frame.OnCommand(language == 1 ? CLumoraApp::ID_LANGUAGE_ENGLISH
                                                  : CLumoraApp::ID_LANGUAGE_CHINESE));
        EXPECT_EQ(platform::GetProfileInt(QStringLiteral("Config"), QStringLiteral("Language"), -1),
                  language);
        EXPECT_EQ(frame.QueryCommand(CLumoraApp::ID_LANGUAGE_ENGLISH).m_check, language == 1 ? 1 : 0);
        EXPECT_EQ(frame.QueryCommand(CLumoraApp::ID_LANGUAGE_CHINESE).m_check, language == 0 ? 1 : 0);
        ASSERT_EQ(m_watch.m_messages.size(), 1);
        EXPECT_EQ(m_watch.m_messages.front().text, QStringLiteral("请重新启动应用软件！"));
    }
}

TEST_F(AppTest, TenRecentFilesNewestFirst) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    for (int i = 1; i <= 12; ++i)
        m_app.AddToRecentFileList(QStringLiteral("/data/run%1.lmrproj").arg(i));
    m_app.AddToRecentFileList(QStringLiteral("/data/run5.lmrproj"));
    const QStringList files = m_app.RecentFiles();
    ASSERT_EQ(files.size(), 10);
    EXPECT_EQ(files.front(), QStringLiteral("/data/run5.lmrproj"));
    EXPECT_EQ(files[1], QStringLiteral("/data/run12.lmrproj"));
    EXPECT_EQ(files.back(), QStringLiteral("/data/run3.lmrproj"));
    EXPECT_EQ(platform::GetProfileString(QStringLiteral("Recent File List"), QStringLiteral("File1")),
              QStringLiteral("/data/run5.lmrproj"));
    EXPECT_EQ(platform::GetProfileString(QStringLiteral("Recent File List"), QStringLiteral("File10")),
              QStringLiteral("/data/run3.lmrproj"));
}

TEST_F(AppTest, TheAboutCommandShowsTheVersionUntilAKey) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    ASSERT_TRUE(m_app.MainFrame()->OnCommand(CLumoraApp::ID_APP_ABOUT));
    QWidget* about = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowFlags().testFlag(Qt::FramelessWindowHint) &&
            window->parentWidget() == m_app.MainFrame())
            about = window;
    ASSERT_NE(about, nullptr);
    const QImage shown = about->grab().toImage();
    EXPECT_FALSE(shown.isNull());
}

} // namespace
