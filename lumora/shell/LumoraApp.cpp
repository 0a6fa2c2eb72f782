#include "lumora/shell/LumoraApp.h"

#include "dialogs/infobox/FileVersionInfo.h"
#include "dialogs/infobox/InfoBox.h"
#include "lumora/LumoraStrings.h"
#include "lumora/core/MainFrame.h"
#include "lumora/shell/InstanceGuard.h"
#include "lumora/shell/LumoraView.h"
#include "lumora/shell/TooltipParams.h"
#include "lumora/shell/UnreadFilesNotice.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/ProgramFolder.h"
#include "platform/RegisteredMessage.h"
#include "platform/ShutDown.h"
#include "platform/StringTable.h"
#include "platform/TerminationSignals.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QTranslator>
#include <map>

namespace {

using platform::LoadString;

const QString kConfigSection = QStringLiteral("Config");
const QString kLanguageEntry = QStringLiteral("Language");
const QString kRecentSection = QStringLiteral("Recent File List");
const char* const kLanguageRegister = "RegisterLanguageStrings";

// Chinese for the few texts of Qt's own dialogs that its translation leaves in English; asked only
// after Qt's translation had none.
class CQtTextsFallback : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        static const std::map<QString, QString> kTexts = {
            {QStringLiteral("Folder"), QStringLiteral("文件夹")},
            {QStringLiteral("File Folder"), QStringLiteral("文件夹")},
            {QStringLiteral("Drive"), QStringLiteral("驱动器")},
            {QStringLiteral("File"), QStringLiteral("文件")},
            {QStringLiteral("Alias"), QStringLiteral("快捷方式")},
            {QStringLiteral("Shortcut"), QStringLiteral("快捷方式")},
            {QStringLiteral("Unknown"), QStringLiteral("未知")},
        };
        const QString where = QString::fromLatin1(context);
        if (!where.startsWith(QStringLiteral("QAbstractFileIconProvider")) &&
            !where.startsWith(QStringLiteral("QFileSystemModel")) &&
            !where.startsWith(QStringLiteral("QFileDialog")))
            return QString();
        const auto found = kTexts.find(QString::fromUtf8(source));
        return found != kTexts.end() ? found->second : QString();
    }
};

// The context menus of the framework's context-menu manager, by name.
std::map<QString, QMenu*>& ContextMenus() {
    static std::map<QString, QMenu*> menus;
    return menus;
}

// A menu text without its access key and ellipsis: "打开(&O)..." -> "打开".
QString PlainText(QString text) {
    static const QRegularExpression accessKey(QStringLiteral("\\(&.\\)|&|\\.\\.\\.$"));
    return text.remove(accessKey).trimmed();
}

// What a recent-file entry shows: the path, shortened in the middle as the framework shortens it.
QString RecentFileLabel(int index, const QString& path) {
    QString shown = QDir::toNativeSeparators(path);
    constexpr int kLongest = 40;
    if (shown.size() > kLongest) {
        const QStringList parts = shown.split(u'/', Qt::SkipEmptyParts);
        shown = parts.size() >= 2 ? QStringLiteral("/.../") + parts[parts.size() - 2] + u'/' + parts.last()
                                  : QStringLiteral(".../") + parts.value(0);
    }
    shown.replace(u'&', QStringLiteral("&&"));
    return index < 9 ? QStringLiteral("&%1 %2").arg(index + 1).arg(shown)
                     : QStringLiteral("1&0 %1").arg(shown);
}

// The framework's drop target of the main window: each dropped file is opened as a document.
class CDropTarget : public QObject {
public:
    explicit CDropTarget(CLumoraApp* app, QObject* parent) : QObject(parent), m_app(app) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (!LocalFiles(drag->mimeData()).isEmpty()) {
                drag->acceptProposedAction();
                return true;
            }
            return false;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList files = LocalFiles(drop->mimeData());
            if (files.isEmpty())
                return false;
            drop->acceptProposedAction();
            if (auto* window = qobject_cast<QWidget*>(watched))
                window->activateWindow();
            for (const QString& file : files)
                m_app->OpenDocumentFile(file);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static QStringList LocalFiles(const QMimeData* data) {
        QStringList files;
        if (data == nullptr)
            return files;
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
        return files;
    }
    CLumoraApp* m_app;
};

} // namespace

CLumoraApp::CLumoraApp() {
    RegisterAppStrings();
    shell::RegisterUnreadFilesStrings();
    // Registered before anything starts, so that the frame and the instance guard agree on it.
    platform::RegisterWindowMessage(QString::fromLatin1(CMainFrame::kActivateMessageName));
}

CLumoraApp::~CLumoraApp() {
    ExitInstance(m_exitCode);
}

void CLumoraApp::RegisterAppStrings() {
    platform::RegisterStrings({
        {IDS_APP_TITLE, u"TMX-2600B 低电流直流特性测试软件"},
        {IDS_VERSION, u"版本  %d.%d.%d %s"},
        {IDS_OLE_INIT_FAILED, u"OLE 初始化失败。请确保 OLE 库是正确的版本。"},
        {IDS_SOCKETS_INIT_FAILED, u"Windows 套接字初始化失败。"},
        {IDS_RESTART, u"请重新启动应用软件！"},
        {IDS_EXPLORER, u"资源管理器"},
        {ID_LANGUAGE_CHINESE, u"简体中文"},
        {ID_LANGUAGE_ENGLISH, u"English"},
        {IDS_LANGUAGE_MENU, u"语言"},
        {IDS_HELP_MENU, u"帮助"},
        {ID_APP_ABOUT, u"关于 Lumora(&A)..."},
        {IDS_PRODUCT_LINE, u"TMX-2600B 低电流直流特性测试软件"},
        {IDS_LEGAL_NOTICE, u"版权所有 (C) TORVANE TECHNOLOGIES。保留所有权利。"},
        {ID_FILE_NEW, u"新建(&N)"},
        {ID_FILE_OPEN, u"打开(&O)..."},
        {ID_FILE_PRINT_SETUP, u"打印设置(&R)..."},
        {ID_FILE_MRU_FILE1, u"最近的文件"},
        {ID_APP_EXIT, u"退出(&X)"},
        {IDS_COMMAND_LINE_ERROR, u"错误：命令行参数解析错误，请重试！"},
        {IDS_FAILED_TO_OPEN_DOC, u"打开文档失败。"},
        {IDS_DOCUMENT_FILTER, u"配置文件 (*.lmrproj)"},
        {IDS_ALL_FILES, u"所有文件 (*.*)"},
        {IDS_INSTANCE_UNREACHABLE, u"Lumora 已在运行（进程 %1），但在 %2 秒内没有响应，本次启动结束。"
                                   u"请等它启动完毕后再试，或结束该进程后重新启动。"},
        {IDS_INSTANCE_UNGUARDED, u"Lumora 没有只属于本用户的运行文件夹，无法防止同时运行多个 Lumora（%1）。"
                                 u"再次启动将打开另一个 Lumora。"},
    });
}

QString CLumoraApp::FormatVersionText() {
    CFileVersionInfo version;
    version.Create(static_cast<const void*>(nullptr));
    const QByteArray format = LoadString(IDS_VERSION).toUtf8();
    return QString::asprintf(format.constData(), int{version.GetFileVersion(3)},
                             int{version.GetFileVersion(2)}, int{version.GetFileVersion(1)},
                             version.GetPrivateBuild().toUtf8().constData());
}

bool CLumoraApp::InitInstance(const QStringList& arguments) {
    m_exited = false;
    m_exitCode = 1;
    QApplication::setOrganizationName(QStringLiteral("TORVANE TECHNOLOGIES"));
    QApplication::setApplicationName(QStringLiteral("Lumora"));
    LoadRecentFiles();
    LoadLanguage();
    m_versionText = FormatVersionText();
    platform::SetMessageBoxCaption(LoadString(IDS_APP_TITLE));
    PreLoadState();
    if (!m_printer) {
        // The printer the print setup command sets up and every print starts from.
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        CLumoraView::SetApplicationPrinter(m_printer.get());
    }

    // Another start is looked for before anything shows: a second start wakes the first and ends
    // without a window of its own, not even a splash.
    m_instance = std::make_unique<shell::CInstanceGuard>(m_instanceKey);
    m_instance->SetActivationHandler([this] { return OnActivate(); });
    switch (m_instance->Acquire()) {
    case shell::CInstanceGuard::eSecond:
        m_instance.reset();
        m_exitCode = 0;
        return false;
    case shell::CInstanceGuard::eUnreachable: {
        // Said, not passed over: the user would otherwise see nothing at all.
        const qint64 holder = m_instance->HolderProcess();
        m_instance.reset();
        platform::MessageBox(LoadString(IDS_INSTANCE_UNREACHABLE)
                                 .arg(holder > 0 ? QString::number(holder) : QStringLiteral("?"))
                                 .arg(shell::CInstanceGuard::kActivateTimeoutMs / 1000),
                             platform::MB_ICONWARNING);
        m_exitCode = 1;
        return false;
    }
    case shell::CInstanceGuard::eFailed:
        // Without a lock the program still runs; only the guard against a second start is lost, and
        // the user is told, since a second start would then open a second window.
        qWarning("lumora: runs without the single-instance guard: %s", qPrintable(m_instance->FailureText()));
        platform::MessageBox(LoadString(IDS_INSTANCE_UNGUARDED).arg(m_instance->FailureText()),
                             platform::MB_ICONWARNING);
        break;
    case shell::CInstanceGuard::eFirst:
        break;
    }
    shell::SetTooltipParams(shell::kTooltipMaxWidth);

    // Ended by the session or a terminal, the program leaves as through its window: runs stopped and
    // saved, instrument files written back. Nobody is left to answer: the boxes open now are closed
    // and later ones answered at once. The signal may come inside a box's own loop, which a run's
    // thread waits for: the main loop is left, which ends every loop inside it, and the frame ends
    // its threads once nothing waits below (ExitInstance). A start still under way ends once its
    // frame exists.
    platform::OnTerminationSignals([this] {
        m_terminateRequested = true;
        platform::BeginShutDown();
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });

    StartSplash();
    HoldMessagesBehindSplash();

    QString document;
    m_documentPath.clear();
    if (!ParseCommandLine(arguments, document))
        platform::StopBox(IDS_COMMAND_LINE_ERROR);
    // The settings files are read while the frame, its pages and their plots are made; those that are
    // there but could not be read are said once the window is up.
    const FrameFactory factory = m_frameFactory ? m_frameFactory : &CLumoraApp::CreateFrameAndView;
    CXmlReadProblems unreadFiles;
    m_frame = factory(document);
    if (!m_frame) {
        RestoreMessageSink();
        return Fail();
    }
    m_baseTitle = LoadString(IDS_APP_TITLE) + QStringLiteral("  ") + m_versionText;
    AddCommands();
    UpdateTitle();
    // The document named on the command line is opened as the shell's open command does; one that
    // cannot be opened ends the start, after the framework's message.
    if (!document.isEmpty() && !OpenDocumentFile(document)) {
        RestoreMessageSink();
        return Fail();
    }
    RestoreMessageSink();

    // The whole work area also where no window manager maximises: it is the window's restored size too.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_frame->setGeometry(screen->availableGeometry());
    m_frame->showMaximized();
    EndSplash();
    m_frame->activateWindow();
    m_frame->setAcceptDrops(true);
    m_frame->installEventFilter(new CDropTarget(this, m_frame.get()));
    const QString unread = shell::UnreadFilesNotice(
        unreadFiles.Problems(), platform::ProgramFolder() + QStringLiteral("Config/MainApp.xml"));
    if (!unread.isEmpty() && !m_terminateRequested)
        platform::MessageBox(unread, platform::MB_ICONWARNING);
    if (m_terminateRequested) {
        m_frame->close();
        m_exitCode = 0;
        return false;
    }
    if (m_pendingActivation) {
        m_pendingActivation = false;
        platform::SendMessage(
            m_frame.get(),
            platform::RegisterWindowMessage(QString::fromLatin1(CMainFrame::kActivateMessageName)), 0, 0);
    }
    m_exitCode = 0;
    return true;
}

bool CLumoraApp::Fail() {
    EndSplash();
    m_exitCode = 1;
    return false;
}

std::unique_ptr<CMainFrame> CLumoraApp::CreateFrameAndView(const QString& /*documentPath*/) {
    auto frame = std::make_unique<CMainFrame>();
    if (frame->OnCreate() < 0)
        return nullptr;
    // The view owns the four measurement pages in the frame's client area.
    if (CLumoraView::CreateInFrame(*frame) == nullptr)
        return nullptr;
    return frame;
}

void CLumoraApp::LoadLanguage() {
    m_language = platform::GetProfileInt(kConfigSection, kLanguageEntry, 0);
    if (m_language == 1 && m_languageLibrary.Load(QStringLiteral("lumoraENG.dll"))) {
        auto registerStrings = reinterpret_cast<int (*)()>(m_languageLibrary.Resolve(kLanguageRegister));
        if (registerStrings == nullptr || registerStrings() == 0) {
            platform::ClearStrings(platform::eStringLayer::Language);
            m_languageLibrary.Free();
        }
    }
    // Qt's own dialogs and buttons, their dates and numbers too, speak the program's language.
    const bool english = m_languageLibrary.IsLoaded();
    QLocale::setDefault(english ? QLocale(QLocale::English, QLocale::UnitedStates)
                                : QLocale(QLocale::Chinese, QLocale::China));
    if (!english) {
        m_qtFallback = std::make_unique<CQtTextsFallback>();
        QCoreApplication::installTranslator(m_qtFallback.get());
        m_qtTranslator = std::make_unique<QTranslator>();
        if (m_qtTranslator->load(QStringLiteral("qtbase_zh_CN"),
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(m_qtTranslator.get());
        else
            m_qtTranslator.reset();
    }
}

void CLumoraApp::StartSplash() {
    if (!m_splashLibrary.Load(QStringLiteral("startscreen.dll")))
        return;
    auto start = reinterpret_cast<void (*)(const char16_t*)>(m_splashLibrary.Resolve("StartSplash"));
    auto end = reinterpret_cast<void (*)(QWidget*)>(m_splashLibrary.Resolve("EndSplash"));
    if (start == nullptr || end == nullptr) {
        m_splashLibrary.Free();
        return;
    }
    m_endSplash = end;
    start(reinterpret_cast<const char16_t*>(m_versionText.utf16()));
}

// A message box of the start-up would sit behind the splash: the splash ends before the first one.
void CLumoraApp::HoldMessagesBehindSplash() {
    if (!IsSplashShown())
        return;
    m_savedSink =
        platform::SetMessageBoxSink([this](const QString& text, const QString& caption, unsigned flags) {
            EndSplash();
            RestoreMessageSink();
            return platform::MessageBox(text, flags, caption);
        });
}

void CLumoraApp::RestoreMessageSink() {
    if (!m_savedSink)
        return;
    platform::MessageBoxSink saved = std::move(*m_savedSink);
    m_savedSink.reset();
    platform::SetMessageBoxSink(std::move(saved));
}

void CLumoraApp::EndSplash() {
    if (m_endSplash == nullptr)
        return;
    auto end = m_endSplash;
    m_endSplash = nullptr;
    end(m_frame && m_frame->isVisible() ? m_frame.get() : nullptr);
    m_splashLibrary.Free();
}

bool CLumoraApp::ParseCommandLine(const QStringList& arguments, QString& document) {
    document.clear();
    QString found;
    for (const QString& argument : arguments.mid(1)) {
        if (argument.isEmpty())
            continue;
        // No option of the framework's shell commands is served here; a second document neither.
        if (argument.startsWith(u'-') || !found.isEmpty())
            return false;
        found = argument;
    }
    document = found;
    return true;
}

void CLumoraApp::PreLoadState() {
    QMenu*& menu = ContextMenus()[LoadString(IDS_EXPLORER)];
    if (menu != nullptr)
        return;
    menu = new QMenu(LoadString(IDS_EXPLORER));
    menu->setObjectName(QString::number(IDR_POPUP_EXPLORER));
    for (unsigned id : {ID_FILE_NEW, ID_FILE_OPEN}) {
        QAction* action = menu->addAction(LoadString(static_cast<int>(id)));
        action->setObjectName(QString::number(id));
        QObject::connect(action, &QAction::triggered, [this, id] {
            if (m_frame)
                m_frame->OnCommand(id);
        });
    }
}

QMenu* CLumoraApp::ContextMenu(const QString& name) {
    const auto found = ContextMenus().find(name);
    return found != ContextMenus().end() ? found->second : nullptr;
}

bool CLumoraApp::OnFileNew() {
    m_documentPath.clear();
    UpdateTitle();
    return true;
}

bool CLumoraApp::OpenDocumentFile(const QString& path) {
    const QFileInfo info(path);
    QFile file(info.absoluteFilePath());
    // The document keeps no data: opening reads nothing, but a file that cannot be read is no document.
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        platform::StopBox(LoadString(IDS_FAILED_TO_OPEN_DOC) + QStringLiteral("\n") +
                          QDir::toNativeSeparators(info.absoluteFilePath()));
        return false;
    }
    m_documentPath = info.absoluteFilePath();
    AddToRecentFileList(m_documentPath);
    UpdateTitle();
    return true;
}

bool CLumoraApp::AskOpenFileName(QString& path) {
    const QString filter = LoadString(IDS_DOCUMENT_FILTER) + QStringLiteral(";;") + LoadString(IDS_ALL_FILES);
    path = QFileDialog::getOpenFileName(
        m_frame.get(), PlainText(LoadString(ID_FILE_OPEN)),
        m_recentFiles.isEmpty() ? QString() : QFileInfo(m_recentFiles.front()).path(), filter);
    return !path.isEmpty();
}

void CLumoraApp::OnFileOpen() {
    QString path;
    if (AskOpenFileName(path))
        OpenDocumentFile(path);
}

void CLumoraApp::OnFilePrintSetup() {
    if (!m_printer)
        return;
    QPageSetupDialog dialog(m_printer.get(), m_frame.get());
    dialog.exec();
}

bool CLumoraApp::OnOpenRecentFile(int index) {
    if (index < 0 || index >= m_recentFiles.size())
        return false;
    const QString path = m_recentFiles[index];
    if (OpenDocumentFile(path))
        return true;
    m_recentFiles.removeAll(path);
    SaveRecentFiles();
    UpdateRecentFileMenu();
    return false;
}

void CLumoraApp::UpdateTitle() {
    if (!m_frame)
        return;
    m_frame->setWindowTitle(m_documentPath.isEmpty()
                                ? m_baseTitle
                                : QFileInfo(m_documentPath).fileName() + QStringLiteral(" - ") + m_baseTitle);
}

void CLumoraApp::UpdateRecentFileMenu() {
    if (m_fileMenu == nullptr || m_recentEnd == nullptr)
        return;
    for (QAction* action : m_recentActions) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    const int shown = std::max(1, static_cast<int>(m_recentFiles.size()));
    for (int i = 0; i < shown; ++i) {
        auto* action = new QAction(m_fileMenu);
        action->setObjectName(QString::number(ID_FILE_MRU_FILE1 + i));
        if (m_recentFiles.isEmpty()) {
            // The framework's entry while the list is empty.
            action->setText(LoadString(ID_FILE_MRU_FILE1));
            action->setEnabled(false);
        } else {
            action->setText(RecentFileLabel(i, m_recentFiles[i]));
            action->setToolTip(m_recentFiles[i]);
            QObject::connect(action, &QAction::triggered, [this, i] { OnOpenRecentFile(i); });
        }
        m_fileMenu->insertAction(m_recentEnd, action);
        m_recentActions.push_back(action);
    }
}

void CLumoraApp::AddCommands() {
    const QString fileMenu = LoadString(IDS_MENU_FILE);
    m_fileMenu = m_frame->FileMenu();
    const QList<QAction*> viewCommands = m_fileMenu->actions();
    QAction* first = viewCommands.value(0);
    m_frame->AddAppCommand(ID_FILE_NEW, LoadString(ID_FILE_NEW), fileMenu, [this] { OnFileNew(); });
    m_frame->AddAppCommand(ID_FILE_OPEN, LoadString(ID_FILE_OPEN), fileMenu, [this] { OnFileOpen(); });
    for (unsigned id : {ID_FILE_NEW, ID_FILE_OPEN})
        m_fileMenu->insertAction(first, m_frame->CommandAction(id));
    if (first != nullptr)
        m_fileMenu->insertSeparator(first);
    m_frame->AddAppCommand(ID_FILE_PRINT_SETUP, LoadString(ID_FILE_PRINT_SETUP), fileMenu,
                           [this] { OnFilePrintSetup(); });
    m_fileMenu->addSeparator();
    m_recentEnd = m_fileMenu->addSeparator();
    m_frame->AddAppCommand(ID_APP_EXIT, LoadString(ID_APP_EXIT), fileMenu, [this] {
        if (m_frame)
            m_frame->close();
    });
    UpdateRecentFileMenu();

    const QString languageMenu = LoadString(IDS_LANGUAGE_MENU);
    for (unsigned id : {ID_LANGUAGE_CHINESE, ID_LANGUAGE_ENGLISH}) {
        const int language = id == ID_LANGUAGE_CHINESE ? 0 : 1;
        m_frame->AddAppCommand(
            id, LoadString(static_cast<int>(id)), languageMenu, [this, language] { OnLanguage(language); },
            [this, language](platform::CCmdUI& ui) { ui.SetCheck(m_language == language ? 1 : 0); });
    }
    m_frame->AddAppCommand(ID_APP_ABOUT, LoadString(ID_APP_ABOUT), LoadString(IDS_HELP_MENU),
                           [this] { OnAppAbout(); });
}

void CLumoraApp::OnLanguage(int language) {
    m_language = language;
    platform::WriteProfileInt(kConfigSection, kLanguageEntry, language);
    platform::MessageBox(LoadString(IDS_RESTART), platform::MB_OK);
}

void CLumoraApp::OnAppAbout() {
    SplashWndShow(LoadString(IDS_PRODUCT_LINE), FormatVersionText(), LoadString(IDS_LEGAL_NOTICE), 1,
                  m_frame.get());
}

std::intptr_t CLumoraApp::OnActivate() {
    ++m_activations;
    if (!m_frame || !m_frame->isVisible()) {
        m_pendingActivation = true;
        return 0;
    }
    return platform::SendMessage(
        m_frame.get(), platform::RegisterWindowMessage(QString::fromLatin1(CMainFrame::kActivateMessageName)),
        0, 0);
}

void CLumoraApp::LoadRecentFiles() {
    m_recentFiles.clear();
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString path = platform::GetProfileString(kRecentSection, QStringLiteral("File%1").arg(i));
        if (!path.isEmpty())
            m_recentFiles.append(path);
    }
}

void CLumoraApp::AddToRecentFileList(const QString& path) {
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > kRecentFiles)
        m_recentFiles.removeLast();
    SaveRecentFiles();
    UpdateRecentFileMenu();
}

void CLumoraApp::SaveRecentFiles() {
    for (int i = 0; i < kRecentFiles; ++i)
        platform::WriteProfileString(kRecentSection, QStringLiteral("File%1").arg(i + 1),
                                     i < m_recentFiles.size() ? m_recentFiles[i] : QString());
}

// The frame goes first (it saves the instrument files and ends its threads), then the single-instance
// guard, and the language library last, after everything that showed its texts.
int CLumoraApp::ExitInstance(int result) {
    if (m_exited)
        return result;
    m_exited = true;
    RestoreMessageSink();
    EndSplash();
    SplashWndDestroy();
    m_recentActions.clear();
    m_recentEnd = nullptr;
    m_fileMenu = nullptr;
    if (m_frame) {
        m_frame->OnDestroy();
        m_frame.reset();
    }
    for (auto& [name, menu] : ContextMenus())
        delete menu;
    ContextMenus().clear();
    if (CLumoraView::ApplicationPrinter() == m_printer.get())
        CLumoraView::SetApplicationPrinter(nullptr);
    m_printer.reset();
    m_instance.reset();
    if (m_qtTranslator) {
        QCoreApplication::removeTranslator(m_qtTranslator.get());
        m_qtTranslator.reset();
    }
    if (m_qtFallback) {
        QCoreApplication::removeTranslator(m_qtFallback.get());
        m_qtFallback.reset();
    }
    QLocale::setDefault(QLocale::system());
    if (m_languageLibrary.IsLoaded()) {
        platform::ClearStrings(platform::eStringLayer::Language);
        m_languageLibrary.Free();
    }
    return result;
}
