#include "lumora/shell/LumoraApp.h"

#include "dialogs/infobox/FileVersionInfo.h"
#include "dialogs/infobox/InfoBox.h"
#include "lumora/core/MainFrame.h"
#include "lumora/shell/InstanceGuard.h"
#include "lumora/shell/LumoraView.h"
#include "lumora/shell/UnreadFilesNotice.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/ProgramFolder.h"
#include "platform/RegisteredMessage.h"
#include "platform/StringTable.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

namespace {

using platform::LoadString;

const QString kConfigSection = QStringLiteral("Config");
const QString kLanguageEntry = QStringLiteral("Language");
const QString kRecentSection = QStringLiteral("Recent File List");
const char* const kLanguageRegister = "RegisterLanguageStrings";

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
        {100, u"OLE 初始化失败。请确保 OLE 库是正确的版本。"},
        {104, u"Windows 套接字初始化失败。"},
        {IDS_RESTART, u"请重新启动应用软件！"},
        {IDS_EXPLORER, u"资源管理器"},
        {ID_LANGUAGE_CHINESE, u"简体中文"},
        {ID_LANGUAGE_ENGLISH, u"English"},
        {IDS_LANGUAGE_MENU, u"语言"},
        {IDS_HELP_MENU, u"帮助"},
        {ID_APP_ABOUT, u"关于 Lumora(&A)..."},
        {IDS_PRODUCT_LINE, u"TMX-2600B 低电流直流特性测试软件"},
        {IDS_LEGAL_NOTICE, u"版权所有 (C) TORVANE TECHNOLOGIES。保留所有权利。"},
        {IDS_INSTANCE_UNREACHABLE, u"Lumora 已在运行（进程 %1），但在 %2 秒内没有响应，本次启动结束。"
                                   u"请等它启动完毕后再试，或结束该进程后重新启动。"},
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
        // Without a lock the program still runs; only the guard against a second start is lost.
        qWarning("lumora: runs without the single-instance guard: %s", qPrintable(m_instance->FailureText()));
        break;
    case shell::CInstanceGuard::eFirst:
        break;
    }

    // Ended by the session or a terminal, the program leaves as through its window: runs stopped and
    // saved, instrument files written back. A start still under way ends once its frame exists.
    platform::OnTerminationSignals([this] {
        m_terminateRequested = true;
        QApplication::closeAllWindows();
        // Nobody is left to answer: a message that opens on the way out is closed too.
        auto* closer = new QTimer(QCoreApplication::instance());
        QObject::connect(closer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        closer->start(100);
    });

    StartSplash();
    HoldMessagesBehindSplash();

    for (const QString& argument : arguments.mid(1)) {
        if (!argument.startsWith(u'-')) {
            m_documentPath = argument;
            break;
        }
    }
    // The settings files are read while the frame, its pages and their plots are made; those that are
    // there but could not be read are said once the window is up.
    const FrameFactory factory = m_frameFactory ? m_frameFactory : &CLumoraApp::CreateFrameAndView;
    CXmlReadProblems unreadFiles;
    m_frame = factory(m_documentPath);
    RestoreMessageSink();
    if (!m_frame)
        return Fail();
    if (!m_documentPath.isEmpty())
        AddToRecentFileList(QFileInfo(m_documentPath).absoluteFilePath());
    AddCommands();

    m_frame->setWindowTitle(LoadString(IDS_APP_TITLE) + QStringLiteral("  ") + m_versionText);
    m_frame->showMaximized();
    EndSplash();
    m_frame->activateWindow();
    m_frame->setAcceptDrops(true);
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
    // Qt's own dialogs and buttons speak Chinese with the program's own texts.
    if (!m_languageLibrary.IsLoaded()) {
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

void CLumoraApp::AddCommands() {
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
    if (m_frame) {
        m_frame->OnDestroy();
        m_frame.reset();
    }
    m_instance.reset();
    if (m_qtTranslator) {
        QCoreApplication::removeTranslator(m_qtTranslator.get());
        m_qtTranslator.reset();
    }
    if (m_languageLibrary.IsLoaded()) {
        platform::ClearStrings(platform::eStringLayer::Language);
        m_languageLibrary.Free();
    }
    return result;
}
