// The application object in the test's own process: the splash on each way a start can end, the
// title, the language switch and the recent files.
#include "../frame/FrameFixture.h"
#include "lumora/LumoraStrings.h"

#include "lumora/controls/ListCtrlEx.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "lumora/shell/DockingPaneViewDCSource.h"
#include "lumora/shell/DockingPaneViewDVM.h"
#include "lumora/shell/FrameBars.h"
#include "lumora/shell/LumoraApp.h"
#include "lumora/shell/PaneAutoHide.h"
#include "lumora/shell/QXDialogPaneDCSource.h"
#include "lumora/shell/QXDialogPaneDVM.h"
#include "lumora/shell/ToolbarCustomize.h"
#include "platform/ControlId.h"
#include "platform/LibraryFolder.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/ProgramFolder.h"
#include "platform/StringTable.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
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
        platform::SetMessageBoxSink([this](const QString& text, const QString& caption, unsigned) {
            m_messages.append({text, SplashVisible()});
            m_captions.append(caption);
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
    QStringList m_captions;
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
    // A project document in the test's folder.
    QString Document(const QString& name) {
        const QString path = m_folder.Path() + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }
    QStringList Messages() const {
        QStringList texts;
        for (const auto& message : m_watch.m_messages)
            texts << message.text;
        return texts;
    }
    QAction* MenuEntry(unsigned id) const {
        for (QAction* action : m_app.MainFrame()->FileMenu()->actions())
            if (action->objectName() == QString::number(id))
                return action;
        return nullptr;
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
        platform::StopBox(IDS_CONFIG_CREATE_FAILED);
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
              platform::LoadString(IDS_APP_TITLE) + QStringLiteral("  ") + m_app.VersionText());
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
    EXPECT_EQ(platform::LoadString(IDS_APP_TITLE), QStringLiteral("TMX-2600B 低电流直流特性测试软件"));
}

TEST_F(AppTest, LanguageCommandsWriteTheProfileAndMoveTheCheckMark) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    CMainFrame& frame = *m_app.MainFrame();
    for (int language : {1, 0, 1}) {
        SCOPED_TRACE(language);
        m_watch.m_messages.clear();
        ASSERT_TRUE(frame.OnCommand(language == 1 ? ID_LANGUAGE_ENGLISH : ID_LANGUAGE_CHINESE));
        EXPECT_EQ(platform::GetProfileInt(QStringLiteral("Config"), QStringLiteral("Language"), -1),
                  language);
        EXPECT_EQ(frame.QueryCommand(ID_LANGUAGE_ENGLISH).m_check, language == 1 ? 1 : 0);
        EXPECT_EQ(frame.QueryCommand(ID_LANGUAGE_CHINESE).m_check, language == 0 ? 1 : 0);
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
    ASSERT_TRUE(m_app.MainFrame()->OnCommand(ID_APP_ABOUT));
    QWidget* about = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowFlags().testFlag(Qt::FramelessWindowHint) &&
            window->parentWidget() == m_app.MainFrame())
            about = window;
    ASSERT_NE(about, nullptr);
    const QImage shown = about->grab().toImage();
    EXPECT_FALSE(shown.isNull());
}

// The File menu shows the ten recent files newest first; choosing one opens it, and one that is gone
// is said and leaves the list.
TEST_F(AppTest, TheFileMenuListsTheRecentFilesAndOpensOne) {
    const QString kept = Document(QStringLiteral("kept.lmrproj"));
    const QString gone = m_folder.Path() + QStringLiteral("gone.lmrproj");
    platform::WriteProfileString(QStringLiteral("Recent File List"), QStringLiteral("File1"), gone);
    platform::WriteProfileString(QStringLiteral("Recent File List"), QStringLiteral("File2"), kept);
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    QAction* first = MenuEntry(ID_FILE_MRU_FILE1);
    QAction* second = MenuEntry(ID_FILE_MRU_FILE1 + 1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(first->text().startsWith(QStringLiteral("&1 ")));
    EXPECT_TRUE(first->text().endsWith(QStringLiteral("gone.lmrproj")));
    EXPECT_TRUE(second->text().endsWith(QStringLiteral("kept.lmrproj")));
    // The entries stand between the print commands and Exit.
    const QList<QAction*> entries = m_app.MainFrame()->FileMenu()->actions();
    EXPECT_LT(entries.indexOf(MenuEntry(ID_FILE_PRINT_SETUP)), entries.indexOf(first));
    EXPECT_LT(entries.indexOf(second), entries.indexOf(MenuEntry(ID_APP_EXIT)));

    second->trigger();
    EXPECT_EQ(m_app.DocumentPath(), kept);
    EXPECT_TRUE(m_app.MainFrame()->windowTitle().startsWith(QStringLiteral("kept.lmrproj - ")));
    EXPECT_EQ(m_app.RecentFiles(), (QStringList{kept, gone}));
    EXPECT_TRUE(Messages().isEmpty());

    MenuEntry(ID_FILE_MRU_FILE1 + 1)->trigger();
    ASSERT_EQ(Messages().size(), 1);
    EXPECT_TRUE(Messages().front().startsWith(QStringLiteral("打开文档失败。")));
    EXPECT_EQ(m_app.RecentFiles(), QStringList{kept});
    EXPECT_EQ(MenuEntry(ID_FILE_MRU_FILE1 + 1), nullptr);
    EXPECT_EQ(platform::GetProfileString(QStringLiteral("Recent File List"), QStringLiteral("File2")),
              QString());
    EXPECT_EQ(m_app.DocumentPath(), kept);
}

TEST_F(AppTest, AnEmptyRecentListShowsTheFrameworksDisabledEntry) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    QAction* entry = MenuEntry(ID_FILE_MRU_FILE1);
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->isEnabled());
    EXPECT_EQ(entry->text(), QStringLiteral("最近的文件"));
}

TEST_F(AppTest, TheDocumentOnTheCommandLineIsOpened) {
    const QString path = Document(QStringLiteral("bench.lmrproj"));
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora"), path}));
    EXPECT_EQ(m_app.DocumentPath(), path);
    EXPECT_EQ(m_app.RecentFiles().value(0), path);
    EXPECT_TRUE(m_app.MainFrame()->windowTitle().startsWith(QStringLiteral("bench.lmrproj - TMX-2600B")));
    EXPECT_TRUE(Messages().isEmpty());
}

// The shell's open of a document that cannot be read ends the start after the framework's message.
TEST_F(AppTest, ADocumentOnTheCommandLineThatCannotBeOpenedEndsTheStart) {
    EXPECT_FALSE(
        m_app.InitInstance({QStringLiteral("lumora"), m_folder.Path() + QStringLiteral("none.lmrproj")}));
    EXPECT_EQ(m_app.ExitCode(), 1);
    ASSERT_EQ(Messages().size(), 1);
    EXPECT_TRUE(Messages().front().startsWith(QStringLiteral("打开文档失败。")));
    EXPECT_FALSE(SplashVisible());
}

TEST_F(AppTest, ACommandLineItCannotParseIsSaidAndTheProgramStarts) {
    const QString path = Document(QStringLiteral("a.lmrproj"));
    for (const QStringList& arguments : {QStringList{QStringLiteral("lumora"), QStringLiteral("--what")},
                                         QStringList{QStringLiteral("lumora"), path, path}}) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        m_watch.m_messages.clear();
        ASSERT_TRUE(m_app.InitInstance(arguments));
        EXPECT_EQ(Messages(), QStringList{QStringLiteral("错误：命令行参数解析错误，请重试！")});
        EXPECT_TRUE(m_app.DocumentPath().isEmpty());
        m_app.ExitInstance(0);
    }
}

TEST_F(AppTest, MessageBoxesBearTheApplicationsName) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    platform::MessageBox(QStringLiteral("x"), platform::MB_OK);
    ASSERT_FALSE(m_watch.m_captions.isEmpty());
    EXPECT_EQ(m_watch.m_captions.back(), platform::LoadString(IDS_APP_TITLE));
}

// A file dropped on the window opens as a document, as the framework's drop target does.
TEST_F(AppTest, AFileDroppedOnTheWindowOpens) {
    const QString path = Document(QStringLiteral("dropped.lmrproj"));
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    CMainFrame* frame = m_app.MainFrame();
    const QPoint at(frame->width() / 2, frame->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &drop);
    EXPECT_EQ(m_app.DocumentPath(), path);
    EXPECT_EQ(m_app.RecentFiles().value(0), path);
}

TEST_F(AppTest, FileMenuCarriesTheFrameworksCommandsAndExitCloses) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    const QList<QAction*> entries = m_app.MainFrame()->FileMenu()->actions();
    ASSERT_GE(entries.size(), 4);
    EXPECT_EQ(entries[0]->objectName(), QStringLiteral("57600"));
    EXPECT_EQ(entries[1]->objectName(), QStringLiteral("57601"));
    EXPECT_EQ(entries.last()->objectName(), QStringLiteral("57665"));
    EXPECT_EQ(entries.last()->text(), QStringLiteral("退出(&X)"));
    ASSERT_NE(MenuEntry(ID_FILE_PRINT_SETUP), nullptr);
    // The context menu of the framework's manager.
    QMenu* context = CLumoraApp::ContextMenu(QStringLiteral("资源管理器"));
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->objectName(), QStringLiteral("274"));
    const QString path = Document(QStringLiteral("n.lmrproj"));
    ASSERT_TRUE(m_app.OpenDocumentFile(path));
    ASSERT_TRUE(m_app.MainFrame()->OnCommand(ID_FILE_NEW));
    EXPECT_TRUE(m_app.DocumentPath().isEmpty());
    EXPECT_TRUE(m_app.MainFrame()->windowTitle().startsWith(QStringLiteral("TMX-2600B")));
    ASSERT_TRUE(m_app.MainFrame()->OnCommand(ID_APP_EXIT));
    EXPECT_FALSE(m_app.MainFrame()->isVisible());
}

// The main toolbar's buttons and the panes' toolbar buttons draw pictures, not texts.
TEST_F(AppTest, TheToolbarButtonsCarryIcons) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    CMainFrame* frame = m_app.MainFrame();
    auto* toolbar = frame->findChild<QToolBar*>(QStringLiteral("59392"));
    ASSERT_NE(toolbar, nullptr);
    int commands = 0;
    for (QAction* action : toolbar->actions()) {
        if (action->objectName().toUInt() == 0)
            continue;
        ++commands;
        EXPECT_FALSE(action->icon().isNull()) << action->text().toStdString();
        auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
    }
    EXPECT_EQ(commands, 3);
    for (QAction* pane :
         {frame->SupplyPane()->CommandAction(ID_CONNECTION),
          frame->SupplyPane()->CommandAction(ID_PROTECTION), frame->SupplyPane()->CommandAction(ID_REFRESH),
          frame->MultimeterPane()->CommandAction(ID_CONNECTION),
          frame->MultimeterPane()->CommandAction(ID_REFRESH)}) {
        ASSERT_NE(pane, nullptr);
        EXPECT_FALSE(pane->icon().isNull()) << pane->toolTip().toStdString();
    }
    // The bars' menu ends with the customize entry.
    std::unique_ptr<QMenu> bars(frame->createPopupMenu());
    ASSERT_NE(bars, nullptr);
    ASSERT_FALSE(bars->actions().isEmpty());
    EXPECT_EQ(bars->actions().last()->text(), QStringLiteral("自定义..."));
    // The customize button closes the toolbar, labelled with IDS_CUSTOMIZE.
    auto* customize = toolbar->findChild<QToolButton*>(QStringLiteral("customize"));
    ASSERT_NE(customize, nullptr);
    EXPECT_EQ(customize->toolTip(), QStringLiteral("自定义"));
}

TEST_F(AppTest, TheStatusBarShowsTheLockIndicators) {
    shell::SetKeyLockReader([] { return 1u | 4u; });
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    QStatusBar* bar = m_app.MainFrame()->statusBar();
    auto text = [bar](unsigned id) {
        auto* label = bar->findChild<QLabel*>(QString::number(id));
        return label != nullptr ? label->text() : QStringLiteral("missing");
    };
    EXPECT_TRUE(
        frametest::PumpUntil([&] { return text(shell::ID_INDICATOR_CAPS) == QStringLiteral("CAP"); }));
    EXPECT_EQ(text(shell::ID_INDICATOR_NUM), QString());
    EXPECT_EQ(text(shell::ID_INDICATOR_SCRL), QStringLiteral("SCRL"));
    shell::SetKeyLockReader([] { return 2u; });
    EXPECT_TRUE(frametest::PumpUntil([&] { return text(shell::ID_INDICATOR_NUM) == QStringLiteral("NUM"); }));
    EXPECT_EQ(text(shell::ID_INDICATOR_CAPS), QString());
    shell::SetKeyLockReader({});
}

// At the default layout each pane shows its whole form across: no horizontal scrolling.
TEST_F(AppTest, ThePanesAreWideEnoughForTheirForms) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    CMainFrame* frame = m_app.MainFrame();
    frame->resize(1280, 800);
    QCoreApplication::processEvents();
    for (const controls::CScrollDialog* form :
         {static_cast<const controls::CScrollDialog*>(frame->SupplyPane()->Form()),
          static_cast<const controls::CScrollDialog*>(frame->MultimeterPane()->Form())}) {
        const int content = form->Content()->childrenRect().right() + 1;
        const int shown =
            form->width() - (form->VerticalBar()->isVisible() ? form->VerticalBar()->width() : 0);
        EXPECT_GE(shown, content);
        EXPECT_FALSE(form->HorizontalBar()->isVisible() && form->HorizontalBar()->maximum() > 0);
    }
}

// The docking layout the user leaves is the next start's.
TEST_F(AppTest, TheDockingLayoutIsKeptForTheNextStart) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    CMainFrame* frame = m_app.MainFrame();
    frame->addDockWidget(Qt::RightDockWidgetArea, frame->MultimeterPane());
    frame->MultimeterPane()->hide();
    frame->close();
    m_app.ExitInstance(0);
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    frame = m_app.MainFrame();
    EXPECT_EQ(frame->dockWidgetArea(frame->MultimeterPane()), Qt::RightDockWidgetArea);
    EXPECT_EQ(frame->dockWidgetArea(frame->SupplyPane()), Qt::LeftDockWidgetArea);
    EXPECT_TRUE(frame->MultimeterPane()->isHidden());
}

// A toolbar the user makes keeps its commands, with the user images for commands without their own
// picture, from one start to the next.
TEST_F(AppTest, AUserToolbarKeepsItsCommands) {
    ASSERT_TRUE(QFile::copy(platform::ExecutableFolder() + QStringLiteral("UserImages.bmp"),
                            m_folder.Path() + QStringLiteral("UserImages.bmp")));
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    shell::CToolbarCustomizer* customizer = m_app.MainFrame()->Customizer();
    ASSERT_NE(customizer, nullptr);
    EXPECT_EQ(customizer->UserImages().size(), 8u);
    QToolBar* mine = customizer->OnToolbarCreateNew(QStringLiteral("我的工具栏"));
    ASSERT_NE(mine, nullptr);
    EXPECT_NE(mine->findChild<QToolButton*>(QStringLiteral("customize")), nullptr);
    EXPECT_TRUE(customizer->AddCommand(mine, CMainFrame::ID_MEASURE_CURRENT));
    EXPECT_TRUE(customizer->AddCommand(mine, CMainFrame::ID_MEASURE_START));
    EXPECT_FALSE(customizer->AddCommand(mine, CMainFrame::ID_MEASURE_START));
    auto* page = qobject_cast<QToolButton*>(
        mine->widgetForAction(m_app.MainFrame()->CommandAction(CMainFrame::ID_MEASURE_CURRENT)));
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->icon().isNull());
    m_app.MainFrame()->close();
    m_app.ExitInstance(0);

    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    customizer = m_app.MainFrame()->Customizer();
    ASSERT_EQ(customizer->UserToolbars().size(), 1u);
    QToolBar* again = customizer->UserToolbars().front();
    EXPECT_EQ(again->windowTitle(), QStringLiteral("我的工具栏"));
    QStringList commands;
    for (QAction* action : again->actions())
        if (action->objectName().toUInt() != 0)
            commands << action->objectName();
    EXPECT_EQ(commands, (QStringList{"32810", "32799"}));
}

// The program's tooltips are shown in lines at most 200 pixels wide, word by word, or character by
// character in a script without blanks.
TEST_F(AppTest, TooltipsAreAtMostTwoHundredPixelsWide) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    QString text;
    for (int i = 0; i < 20; ++i)
        text += QStringLiteral("word%1 ").arg(i);
    text += QString(30, QChar(0x6D4B));
    QLabel label(QStringLiteral("tip"));
    label.setToolTip(text);
    label.show();
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), label.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&label, &help);
    const QStringList lines = QToolTip::text().split(u'\n');
    QToolTip::hideText();
    ASSERT_GT(lines.size(), 3);
    const QFontMetrics metrics(QToolTip::font());
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), 200) << line.toStdString();
    EXPECT_EQ(lines.join(QString()).remove(u' '), QString(text).remove(u' '));
}

// The command ids on a toolbar, in order.
QStringList ToolbarCommands(const QToolBar* toolbar) {
    QStringList commands;
    for (QAction* action : toolbar->actions())
        if (action->objectName().toUInt() != 0)
            commands << action->objectName();
    return commands;
}

// The entry of the command in the toolbar's add-or-remove menu, as the user opens it.
QAction* AddOrRemoveEntry(QToolBar* toolbar, const QString& text) {
    auto* customize = toolbar->findChild<QToolButton*>(QStringLiteral("customize"));
    if (customize == nullptr || customize->menu() == nullptr)
        return nullptr;
    emit customize->menu()->aboutToShow();
    const QList<QAction*> entries = customize->menu()->actions();
    if (entries.isEmpty() || entries.front()->menu() == nullptr)
        return nullptr;
    for (QAction* entry : entries.front()->menu()->actions())
        if (entry->text() == text)
            return entry;
    return nullptr;
}

// The standard toolbar as the user changed it, a button added and one taken off with its menu, is
// the next start's; the button taken off stays in the menus and on the toolbar's list.
TEST_F(AppTest, TheStandardToolbarKeepsTheUsersButtons) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    CMainFrame* frame = m_app.MainFrame();
    auto* standard = frame->findChild<QToolBar*>(QStringLiteral("59392"));
    ASSERT_NE(standard, nullptr);
    ASSERT_EQ(ToolbarCommands(standard), (QStringList{"32798", "32799", "32801"}));
    ASSERT_TRUE(frame->Customizer()->AddCommand(standard, CMainFrame::ID_MEASURE_CURRENT));
    QAction* stop = AddOrRemoveEntry(standard, QStringLiteral("终止"));
    ASSERT_NE(stop, nullptr);
    ASSERT_TRUE(stop->isChecked());
    stop->trigger();
    EXPECT_EQ(ToolbarCommands(standard), (QStringList{"32798", "32799", "32810"}));
    EXPECT_TRUE(frame->CommandAction(CMainFrame::ID_MEASURE_STOP)->isVisible());
    frame->close();
    m_app.ExitInstance(0);

    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    frame = m_app.MainFrame();
    standard = frame->findChild<QToolBar*>(QStringLiteral("59392"));
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(ToolbarCommands(standard), (QStringList{"32798", "32799", "32810"}));
    EXPECT_TRUE(frame->CommandAction(CMainFrame::ID_MEASURE_STOP)->isVisible());
    stop = AddOrRemoveEntry(standard, QStringLiteral("终止"));
    ASSERT_NE(stop, nullptr);
    EXPECT_FALSE(stop->isChecked());
    // Put back, it takes its old place.
    stop->trigger();
    EXPECT_EQ(ToolbarCommands(standard), (QStringList{"32798", "32799", "32801", "32810"}));
}

// The pin folds a pane to a tab on its edge; pointing at the tab slides it out, the pin docks it
// again; a folded pane stays folded at the next start.
TEST_F(AppTest, APinnedPaneFoldsToATabAndComesBack) {
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    CMainFrame* frame = m_app.MainFrame();
    QDockWidget* pane = frame->MultimeterPane();
    auto* pin = pane->titleBarWidget() != nullptr
                    ? pane->titleBarWidget()->findChild<QToolButton*>(QStringLiteral("pin"))
                    : nullptr;
    ASSERT_NE(pin, nullptr);
    EXPECT_EQ(pin->toolTip(), QStringLiteral("自动隐藏"));
    pin->click();
    shell::CPaneAutoHide* autoHide = frame->AutoHide();
    ASSERT_TRUE(autoHide->IsAutoHidden(pane));
    EXPECT_FALSE(pane->isVisible());
    EXPECT_EQ(frame->dockWidgetArea(pane), Qt::NoDockWidgetArea);
    QToolButton* tab = autoHide->Tab(pane);
    ASSERT_NE(tab, nullptr);
    EXPECT_TRUE(tab->isVisible());
    EXPECT_EQ(tab->text(), QStringLiteral("数字万用表"));
    tab->click();
    EXPECT_TRUE(autoHide->IsSlidOut(pane));
    EXPECT_TRUE(pane->isVisible());
    // The form inside works as docked: it is the same form.
    EXPECT_TRUE(frame->MultimeterPane()->Form()->isVisible());
    autoHide->SlideIn(pane);
    EXPECT_FALSE(pane->isVisible());

    frame->close();
    m_app.ExitInstance(0);
    ASSERT_TRUE(m_app.InitInstance({QStringLiteral("lumora")}));
    frame = m_app.MainFrame();
    pane = frame->MultimeterPane();
    ASSERT_TRUE(frame->AutoHide()->IsAutoHidden(pane));
    frame->AutoHide()->SetAutoHide(pane, false);
    EXPECT_TRUE(pane->isVisible());
    EXPECT_EQ(frame->dockWidgetArea(pane), Qt::LeftDockWidgetArea);
    EXPECT_EQ(frame->AutoHide()->Tab(pane), nullptr);
}

} // namespace
