#pragma once

#include "platform/Library.h"
#include "platform/MessageBox.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;

class CMainFrame;
class QMenu;
class QPrinter;
class QTranslator;
class QWidget;

namespace shell {
class CInstanceGuard;
}

// The one application object of Lumora: brings the program up in a fixed order (profile, language,
// version text, single instance, splash, frame with its document and view, main window) and takes
// it down again in the reverse order, the language library last.
class CLumoraApp {
public:
    enum : unsigned { IDR_POPUP_EXPLORER = 274 };
    static constexpr const char* kInstanceKey = "{0CF2B480-6AF5-4445-BAF9-1D1F7DAC8B28}";
    static constexpr const char* kDocumentTemplate =
        "Lumora\n\nLumora\n配置文件 (*.lmrproj)\n.lmrproj\nLumora.Document\nLumora.Document";
    static constexpr int kRecentFiles = 10;

    // What the single-document template makes: the main frame, created (OnCreate), with the
    // document and the view in it; null when any of them cannot be made.
    using FrameFactory = std::function<std::unique_ptr<CMainFrame>(const QString& documentPath)>;

    CLumoraApp();
    ~CLumoraApp();
    CLumoraApp(const CLumoraApp&) = delete;
    CLumoraApp& operator=(const CLumoraApp&) = delete;

    // The start-up; false ends the program with ExitCode(). A QApplication must exist.
    bool InitInstance(const QStringList& arguments);
    // The shut-down after the event loop (or after a failed start); returns the process's exit code.
    int ExitInstance(int result);
    // 0 for a second start, 1 for a start that failed.
    int ExitCode() const { return m_exitCode; }

    void OnAppAbout();
    void OnLanguage(int language);

    CMainFrame* MainFrame() const { return m_frame.get(); }
    int Language() const { return m_language; }
    bool LanguageLibraryLoaded() const { return m_languageLibrary.IsLoaded(); }
    QString VersionText() const { return m_versionText; }
    QStringList RecentFiles() const { return m_recentFiles; }
    void AddToRecentFileList(const QString& path);
    // The framework's document commands: a new, empty document; a document opened from a file (it
    // holds no data: the file must be readable), entered in the recent files and named in the title.
    bool OnFileNew();
    bool OpenDocumentFile(const QString& path);
    void OnFileOpen();
    void OnFilePrintSetup();
    // The recent file of the File menu's entry; one that cannot be opened leaves the list.
    bool OnOpenRecentFile(int index);
    QString DocumentPath() const { return m_documentPath; }
    // The arguments as the framework's command line reads them: at most one document, no option.
    // False, with the document path empty, for anything else.
    static bool ParseCommandLine(const QStringList& arguments, QString& document);
    // The context menus registered at start-up by name.
    static QMenu* ContextMenu(const QString& name);
    // How often a later start asked this one to come to the front.
    int ActivationCount() const { return m_activations; }
    bool IsSplashShown() const { return m_endSplash != nullptr; }

    // Tests: a key of their own for the single-instance lock and socket, and a template of their own.
    void SetInstanceKey(const QString& key) { m_instanceKey = key; }
    void SetFrameFactory(FrameFactory factory) { m_frameFactory = std::move(factory); }
    // The frame, the document and the view as the program makes them.
    static std::unique_ptr<CMainFrame> CreateFrameAndView(const QString& documentPath);

    // The application's texts, Chinese built in.
    static void RegisterAppStrings();
    // The version text of IDS_VERSION from the program's own version record.
    static QString FormatVersionText();

private:
    void LoadLanguage();
    void StartSplash();
    void EndSplash();
    void HoldMessagesBehindSplash();
    void RestoreMessageSink();
    void AddCommands();
    void LoadRecentFiles();
    void PreLoadState();
    void UpdateRecentFileMenu();
    void SaveRecentFiles();
    void UpdateTitle();
    bool AskOpenFileName(QString& path);
    std::intptr_t OnActivate();
    bool Fail();

    // Declared first, so that it goes last: everything after it may use its texts.
    platform::CLibrary m_languageLibrary;
    std::unique_ptr<QTranslator> m_qtTranslator;
    std::unique_ptr<QTranslator> m_qtFallback;
    int m_language = 0;
    QString m_versionText;
    platform::CLibrary m_splashLibrary;
    void (*m_endSplash)(QWidget*) = nullptr;
    std::optional<platform::MessageBoxSink> m_savedSink;
    QString m_instanceKey = QString::fromLatin1(kInstanceKey);
    std::unique_ptr<shell::CInstanceGuard> m_instance;
    FrameFactory m_frameFactory;
    std::unique_ptr<CMainFrame> m_frame;
    QStringList m_recentFiles;
    QString m_documentPath;
    QString m_baseTitle;
    QMenu* m_fileMenu = nullptr;
    std::vector<QAction*> m_recentActions;
    QAction* m_recentEnd = nullptr;
    std::unique_ptr<QPrinter> m_printer;
    int m_activations = 0;
    bool m_pendingActivation = false;
    int m_exitCode = 0;
    bool m_exited = false;
    bool m_terminateRequested = false;
};
