#include "lumora/core/MainFrame.h"
#include "lumora/LumoraStrings.h"
#include "lumora/shell/LumoraView.h"

#include "instruments/meterdrv/EntityInstruDVM.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/ParserParaInstruDCSource.h"
#include "lumora/core/ParserParaInstruMultiMeter.h"
#include "lumora/core/ParserParameters.h"
#include "lumora/core/RunLog.h"
#include "lumora/shell/DockingPaneViewDCSource.h"
#include "lumora/shell/DockingPaneViewDVM.h"
#include "lumora/shell/FrameBars.h"
#include "lumora/shell/PaneAutoHide.h"
#include "lumora/shell/PaneCommon.h"
#include "lumora/shell/QXDialogPaneDCSource.h"
#include "lumora/shell/QXDialogPaneDVM.h"
#include "lumora/shell/ToolbarCustomize.h"
#include "platform/Library.h"
#include "platform/LibraryFolder.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/ProgramFolder.h"
#include "platform/RegisteredMessage.h"
#include "platform/ReplaceFile.h"
#include "platform/ShutDown.h"
#include "platform/StringTable.h"
#include "supplydrv/EntityInstruDCPS.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QPalette>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

namespace {

using platform::LoadString;
using platform::StopBox;

constexpr unsigned kMenuBarId = 59398;
constexpr unsigned kToolBarId = 59392;
constexpr unsigned kStatusBarId = 59393;
constexpr int kMinClientWidth = 680;
constexpr int kMinClientHeight = 550;
const char* const kDriverFactory = "DLL_DriverCreateObject";

// Programming an instrument may take its whole time-out: the start-up splash is repainted in between.
void KeepWindowsPainted() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// A parameter file that did not reach the disk is said at once: the next start would read the old one.
int ReportFileSaved(int saved) {
    if (saved == 0)
        StopBox(IDS_WRITE_FAILED);
    return saved != 0 ? 1 : 0;
}

// The driver libraries stay loaded until the process ends, as their objects' code lives there.
void* LoadDriverFactory(const QString& name) {
    static std::map<QString, std::unique_ptr<platform::CLibrary>> loaded;
    auto& library = loaded[platform::LibraryFolder() + platform::CLibrary::FileNameFor(name)];
    if (!library)
        library = std::make_unique<platform::CLibrary>();
    if (!library->IsLoaded() && !library->Load(name))
        return nullptr;
    return library->Resolve(kDriverFactory);
}

// Tints of the style's own palette standing in for the framework's visual managers.
QPalette LookPalette(unsigned id, QPalette palette) {
    auto tint = [&](QColor window, QColor button, QColor highlight) {
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::Button, button);
        palette.setColor(QPalette::Highlight, highlight);
    };
    switch (id) {
    case 315:
        tint(QColor(0xD5, 0xE4, 0xF2), QColor(0xE3, 0xEE, 0xFA), QColor(0x33, 0x66, 0xCC));
        break;
    case 316:
        tint(QColor(0x53, 0x53, 0x53), QColor(0x6A, 0x6A, 0x6A), QColor(0xF0, 0xA0, 0x30));
        palette.setColor(QPalette::WindowText, Qt::white);
        palette.setColor(QPalette::ButtonText, Qt::white);
        break;
    case 317:
        tint(QColor(0xDD, 0xE2, 0xE8), QColor(0xEC, 0xEF, 0xF3), QColor(0x5B, 0x7B, 0xA6));
        break;
    case 318:
        tint(QColor(0xD8, 0xEA, 0xEC), QColor(0xE6, 0xF3, 0xF4), QColor(0x2F, 0x8F, 0x9A));
        break;
    default:
        break;
    }
    return palette;
}

} // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    RegisterFrameStrings();
    setMinimumSize(kMinClientWidth, kMinClientHeight);
}

CMainFrame::~CMainFrame() {
    OnDestroy();
}

// New system colours reach the frame's window only; every control of the frame and its pages learns of
// them, as all windows do on the system this program comes from.
void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ThemeChange)
        return;
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* child : children) {
        QEvent themeChange(QEvent::ThemeChange);
        QCoreApplication::sendEvent(child, &themeChange);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_destroyed && m_paneDcs != nullptr)
        SaveDockingLayout();
    event->accept();
    if (!platform::ServingWaitingThread()) {
        OnDestroy();
        return;
    }
    // Closed from inside a call a worker waits for (its message box, the finish notice, a chunk of
    // the stream): the worker cannot end before that call has returned, so the boxes are closed and
    // the threads are ended once the call is left.
    platform::CloseOpenDialogs();
    DestroyWhenUnwound();
}

void CMainFrame::DestroyWhenUnwound() {
    constexpr int kRetryMs = 10;
    QTimer::singleShot(kRetryMs, this, [this] {
        if (m_destroyed)
            return;
        if (platform::ServingWaitingThread())
            DestroyWhenUnwound();
        else
            OnDestroy();
    });
}

int CMainFrame::OnCreate() {
    if (LoadMainConfiguration() == 0) {
        StopBox(IDS_CONFIG_CREATE_FAILED);
        return -1;
    }
    OpenLogFile();
    WriteLogLine(QStringLiteral("启动软件"));

    m_applicationLook = static_cast<unsigned>(platform::GetProfileInt(
        QStringLiteral("Workspace"), QStringLiteral("ApplicationLook"), ID_VIEW_APPLOOK_OFF_2007_SILVER));
    CreateCommands();
    if (CommandAction(m_applicationLook) == nullptr || m_applicationLook < ID_VIEW_APPLOOK_FIRST ||
        m_applicationLook > ID_VIEW_APPLOOK_LAST)
        m_applicationLook = ID_VIEW_APPLOOK_OFF_2007_SILVER;
    OnApplicationLook(m_applicationLook);

    // The toolbar's customize button and the user's own toolbars, before the docking layout that
    // places them is restored.
    m_customizer = new shell::CToolbarCustomizer(this, findChild<QToolBar*>(QString::number(kToolBarId)));
    statusBar()->setObjectName(QString::number(kStatusBarId));
    statusBar()->showMessage(LoadString(IDS_IDLE_MESSAGE));
    // A prompt that goes (the pointer leaving a command) leaves the run's state, or the idle text,
    // never a blank bar.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty())
            UpdateRunStatus();
    });
    shell::CreateStatusIndicators(statusBar());
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    if (!CreatePanes())
        return -1;

    BindAndProgramInstruments();
    ApplyMeasureModeToPanes();
    RefreshPanes();

    m_router->UpdateCommandUI();
    return 0;
}

// Each instrument is loaded, bound and programmed on its own, so that a missing file or library of
// one leaves the other usable.
void CMainFrame::BindAndProgramInstruments() {
    KeepWindowsPainted();
    m_multimeterFileLoaded = LoadMultimeterFile() != 0;
    if (m_multimeterFileLoaded) {
        if (BindMultimeterDriver() == 0)
            StopBox(IDS_METER_CREATE_FAILED);
        else if (ProgramMultimeter() != 0 && MultimeterAnswers())
            PrepareMultimeterForPage();
    }
    KeepWindowsPainted();
    m_supplyFileLoaded = LoadSupplyFile() != 0;
    if (m_supplyFileLoaded) {
        if (BindSupplyDriver() == 0)
            StopBox(IDS_NO_SUPPLY);
        else if (ProgramSupply() != 0 && SupplyAnswers())
            PrepareSupplyForPage();
    }
}

bool CMainFrame::MultimeterAnswers() {
    KeepWindowsPainted();
    if (!m_dvm->GetInstrumentIDN().isEmpty())
        return true;
    LogInstrumentFailure(IDS_METER_PROGRAM_FAILED, m_dvm->GetLastError());
    StopBox(IDS_METER_PROGRAM_FAILED);
    SetMultimeterPaneState(0);
    return false;
}

bool CMainFrame::SupplyAnswers() {
    KeepWindowsPainted();
    if (!m_dcps->GetInstrumentIDN().isEmpty())
        return true;
    LogInstrumentFailure(IDS_SUPPLY_PROGRAM_FAILED, m_dcps->GetLastError());
    StopBox(IDS_SUPPLY_PROGRAM_FAILED);
    SetSupplyPaneState(0);
    return false;
}

bool CMainFrame::CreatePanes() {
    m_paneDcs = new CDockingPaneViewDCSource(LoadString(IDS_PANE_DCSOURCE), this);
    m_paneDvm = new CDockingPaneViewDVM(LoadString(IDS_PANE_DVM), this);
    m_paneDcs->resize(260, 200);
    m_paneDvm->resize(260, 200);
    m_paneDcs->setAllowedAreas(Qt::AllDockWidgetAreas);
    m_paneDvm->setAllowedAreas(Qt::AllDockWidgetAreas);
    addDockWidget(Qt::LeftDockWidgetArea, m_paneDcs);
    addDockWidget(Qt::LeftDockWidgetArea, m_paneDvm);
    FitPanesToTheirForms();
    m_paneDcs->SetCommandEnabled(true);
    m_paneDvm->SetCommandEnabled(true);
    // The docking layout the user left, as the framework keeps it in the profile.
    const QByteArray layout = QByteArray::fromBase64(
        platform::GetProfileString(QStringLiteral("Workspace"), QStringLiteral("DockingLayout")).toLatin1());
    // Each pane's caption carries the pin that folds it to the window's edge.
    m_autoHide = new shell::CPaneAutoHide(this);
    m_autoHide->AddPane(m_paneDcs);
    m_autoHide->AddPane(m_paneDvm);
    if (!layout.isEmpty())
        m_layoutRestored = restoreState(layout, kDockingLayoutVersion);
    m_autoHide->RestoreState();
    return true;
}

// Wide enough for the forms with a vertical scroll bar beside them, so that nothing is cut.
void CMainFrame::FitPanesToTheirForms() {
    if (m_paneDcs == nullptr || m_paneDvm == nullptr)
        return;
    const int width = std::max({260, shell::PaneContentWidth(m_paneDcs, m_paneDcs->Form()),
                                shell::PaneContentWidth(m_paneDvm, m_paneDvm->Form())});
    resizeDocks({m_paneDcs, m_paneDvm}, {width, width}, Qt::Horizontal);
}

QMenu* CMainFrame::createPopupMenu() {
    QMenu* menu = QMainWindow::createPopupMenu();
    if (menu != nullptr && m_customizer != nullptr) {
        menu->addSeparator();
        QAction* customize = menu->addAction(LoadString(IDS_CUSTOMIZE));
        customize->setObjectName(QString::number(IDS_CUSTOMIZE));
        connect(
            customize, &QAction::triggered, m_customizer,
            [customizer = m_customizer] { customizer->OnCustomize(); }, Qt::QueuedConnection);
    }
    return menu;
}

// The docks take their widths once the window has its size; a layout the user left stays as it was.
void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_panesFitted || m_layoutRestored)
        return;
    m_panesFitted = true;
    FitPanesToTheirForms();
}

void CMainFrame::SaveDockingLayout() {
    platform::WriteProfileString(QStringLiteral("Workspace"), QStringLiteral("DockingLayout"),
                                 QString::fromLatin1(saveState(kDockingLayoutVersion).toBase64()));
}

void CMainFrame::OnDestroy() {
    if (m_destroyed)
        return;
    m_destroyed = true;
    if (m_router != nullptr)
        m_router->deleteLater();
    m_router = nullptr;
    // Only files that were read are written back: an unread file keeps what the user had in it.
    if (m_multimeterFileLoaded)
        SaveMultimeterFile();
    if (m_supplyFileLoaded)
        SaveSupplyFile();
    StopMeasureAndWait();
    JoinDataLoggingThreads();
    // The pages go with the window's children: nothing of the frame reaches them after this.
    if (m_view != nullptr)
        m_view->DetachFrame();
    m_view = nullptr;
    m_pageCurrent = nullptr;
    m_pageDataLogging = nullptr;
    if (m_dvm != nullptr) {
        m_dvm->ShutDownRemoteControl();
        delete m_dvm;
        m_dvm = nullptr;
    }
    if (m_dcps != nullptr) {
        m_dcps->ShutDownRemoteControl();
        delete m_dcps;
        m_dcps = nullptr;
    }
    m_runLog.reset();
}

platform::LRESULT CMainFrame::OnMessage(platform::UINT message, platform::WPARAM wParam,
                                        platform::LPARAM lParam) {
    switch (message) {
    case WM_INSTRUMENT_DIALOG:
        return OnInstrumentDialogMessage(wParam, lParam);
    case WM_PROGRAM_INSTRUMENT:
        return OnProgramInstrument(wParam);
    case WM_INSTRUMENT_CONNECTED:
        return OnInstrumentConnected(wParam, lParam);
    case WM_EMPTY_USER_105:
        return 0;
    case WM_TCP_DATA:
        return OnTcpData(reinterpret_cast<const unsigned char*>(wParam), static_cast<std::size_t>(lParam));
    case kRunOnUiMessage:
        (*reinterpret_cast<const std::function<void()>*>(wParam))();
        return 0;
    default:
        if (message == platform::RegisterWindowMessage(QString::fromLatin1(kActivateMessageName)))
            return OnActivateInstance();
        return 0;
    }
}

// ---- commands --------------------------------------------------------------------------------------

void CMainFrame::AddCommand(unsigned id, const QString& text, std::function<void()> run,
                            platform::CCommandRouter::UpdateHandler update) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::number(id));
    m_router->OnCommand(id, std::move(run));
    if (update) {
        m_router->OnUpdateCommand(id, update);
        m_updates[id] = std::move(update);
    }
    m_router->AddAction(action, id);
    m_actions[id] = action;
}

void CMainFrame::AddViewCommand(unsigned id, const QString& text, std::function<void()> run,
                                platform::CCommandRouter::UpdateHandler update) {
    if (m_router == nullptr)
        return;
    AddCommand(id, text, std::move(run), std::move(update));
    FileMenu()->addAction(m_actions[id]);
}

QMenu* CMainFrame::FileMenu() {
    if (m_fileMenu == nullptr) {
        m_fileMenu = new QMenu(LoadString(IDS_MENU_FILE), menuBar());
        menuBar()->insertMenu(menuBar()->actions().value(0), m_fileMenu);
    }
    return m_fileMenu;
}

void CMainFrame::CreateCommands() {
    m_router = new platform::CCommandRouter(this);
    menuBar()->setObjectName(QString::number(kMenuBarId));
    QMenu* view = menuBar()->addMenu(LoadString(IDS_MENU_VIEW));
    QMenu* measure = menuBar()->addMenu(LoadString(IDS_MENU_MEASURE));
    QToolBar* toolbar = addToolBar(LoadString(IDS_TOOLBAR_STANDARD));
    toolbar->setObjectName(QString::number(kToolBarId));

    auto page = [this](unsigned id) { return [this, id] { OnMeasurePage(id); }; };
    auto pageUi = [this](platform::CCmdUI& ui) { OnUpdateMeasurePage(ui); };
    AddCommand(ID_MEASURE_CURRENT, LoadString(IDS_MEASURE_CURRENT), page(ID_MEASURE_CURRENT), pageUi);
    AddCommand(ID_MEASURE_VOLTAGE, LoadString(IDS_MEASURE_VOLTAGE), page(ID_MEASURE_VOLTAGE), pageUi);
    AddCommand(ID_MEASURE_CCDF, LoadString(IDS_MEASURE_CCDF), page(ID_MEASURE_CCDF), pageUi);
    AddCommand(ID_MEASURE_DATALOGGING, LoadString(IDS_MEASURE_DATALOGGING), page(ID_MEASURE_DATALOGGING),
               pageUi);
    AddCommand(ID_PANE_DVM, LoadString(IDS_PANE_DVM), page(ID_PANE_DVM), pageUi);
    AddCommand(ID_PANE_DCSOURCE, LoadString(IDS_PANE_DCSOURCE), page(ID_PANE_DCSOURCE), pageUi);

    auto control = [this](unsigned id) { return [this, id] { OnMeasureControl(id); }; };
    auto controlUi = [this](platform::CCmdUI& ui) { OnUpdateMeasureControl(ui); };
    AddCommand(ID_MEASURE_RESET, LoadString(IDS_MEASURE_RESET), control(ID_MEASURE_RESET), controlUi);
    AddCommand(ID_MEASURE_START, LoadString(IDS_MEASURE_START), control(ID_MEASURE_START), controlUi);
    AddCommand(ID_MEASURE_STOP, LoadString(IDS_MEASURE_STOP), control(ID_MEASURE_STOP), controlUi);
    AddCommand(ID_MEASURE_SETTINGS, LoadString(IDS_MEASURE_SETTINGS), [this] { OnMeasureSettings(); });
    AddCommand(ID_INSTRUMENTS, LoadString(IDS_INSTRUMENTS), [this] { OnInstruments(); });
    AddCommand(
        ID_PROTECTION_SETTINGS, LoadString(IDS_PROTECTION_SETTINGS), [this] { OnProtectionSettings(); },
        [this](platform::CCmdUI& ui) { OnUpdateProtectionSettings(ui); });

    // The looks' names in the language shown, in the menu and the customize list alike.
    const QString looks[] = {LoadString(IDS_APPLOOK_WIN_2000),
                             LoadString(IDS_APPLOOK_OFF_XP),
                             LoadString(IDS_APPLOOK_WIN_XP),
                             LoadString(IDS_APPLOOK_OFF_2003),
                             LoadString(IDS_APPLOOK_VS_2005),
                             LoadString(IDS_APPLOOK_VS_2008),
                             QString(),
                             QString(),
                             QString(),
                             QString(),
                             LoadString(IDS_APPLOOK_OFF_2007_BLUE),
                             LoadString(IDS_APPLOOK_OFF_2007_BLACK),
                             LoadString(IDS_APPLOOK_OFF_2007_SILVER),
                             LoadString(IDS_APPLOOK_OFF_2007_AQUA),
                             LoadString(IDS_APPLOOK_WINDOWS_7)};
    QMenu* lookMenu = view->addMenu(LoadString(IDS_MENU_APPLOOK));
    for (unsigned id = ID_VIEW_APPLOOK_FIRST; id <= ID_VIEW_APPLOOK_LAST; ++id) {
        const QString& text = looks[id - ID_VIEW_APPLOOK_FIRST];
        if (text.isEmpty())
            continue;
        AddCommand(
            id, text, [this, id] { OnApplicationLook(id); },
            [this](platform::CCmdUI& ui) { OnUpdateApplicationLook(ui); });
        lookMenu->addAction(m_actions[id]);
    }

    view->addAction(m_actions[ID_PANE_DVM]);
    view->addAction(m_actions[ID_PANE_DCSOURCE]);
    for (unsigned id : {ID_MEASURE_CURRENT, ID_MEASURE_DATALOGGING})
        measure->addAction(m_actions[id]);
    measure->addSeparator();
    for (unsigned id : {ID_MEASURE_RESET, ID_MEASURE_START, ID_MEASURE_STOP}) {
        m_actions[id]->setIcon(shell::FrameToolbarIcon(id));
        measure->addAction(m_actions[id]);
        toolbar->addAction(m_actions[id]);
    }
    measure->addSeparator();
    measure->addAction(m_actions[ID_INSTRUMENTS]);
    measure->addAction(m_actions[ID_MEASURE_SETTINGS]);
    measure->addAction(m_actions[ID_PROTECTION_SETTINGS]);
    AddOptionsCommand(measure);
}

QAction* CMainFrame::AddAppCommand(unsigned id, const QString& text, const QString& menuCaption,
                                   std::function<void()> run,
                                   platform::CCommandRouter::UpdateHandler update) {
    if (m_router == nullptr)
        return nullptr;
    AddCommand(id, text, std::move(run), std::move(update));
    QMenu* menu = nullptr;
    for (QAction* entry : menuBar()->actions())
        if (entry->menu() != nullptr && entry->text() == menuCaption)
            menu = entry->menu();
    if (menu == nullptr)
        menu = menuBar()->addMenu(menuCaption);
    menu->addAction(m_actions[id]);
    m_router->UpdateCommandUI();
    return m_actions[id];
}

platform::LRESULT CMainFrame::OnActivateInstance() {
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    return kActivateAnswer;
}

QAction* CMainFrame::CommandAction(unsigned id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

platform::CCmdUI CMainFrame::QueryCommand(unsigned id) {
    platform::CCmdUI ui(id);
    auto it = m_updates.find(id);
    if (it != m_updates.end())
        it->second(ui);
    return ui;
}

bool CMainFrame::OnCommand(unsigned id) {
    if (m_router == nullptr || !m_router->HasHandler(id) || !QueryCommand(id).m_enabled)
        return false;
    m_router->Execute(id);
    // A command may have closed the window (Exit): the router is gone then.
    if (m_router != nullptr)
        m_router->UpdateCommandUI();
    return true;
}

void CMainFrame::OnApplicationLook(unsigned id) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_applicationLook = id;
    const bool classic = id >= 305 && id <= 307;
    QApplication::setStyle(classic ? QStringLiteral("Windows") : QStringLiteral("Fusion"));
    QApplication::setPalette(LookPalette(id, QApplication::style()->standardPalette()));
    platform::WriteProfileInt(QStringLiteral("Workspace"), QStringLiteral("ApplicationLook"),
                              static_cast<int>(id));
    QApplication::restoreOverrideCursor();
    update();
}

void CMainFrame::OnUpdateApplicationLook(platform::CCmdUI& ui) {
    ui.SetCheck((ui.m_nID == m_applicationLook) ? 1 : 0);
}

void CMainFrame::OnMeasurePage(unsigned id) {
    if (id == ID_PANE_DVM || id == ID_PANE_DCSOURCE) {
        QDockWidget* pane = id == ID_PANE_DVM ? static_cast<QDockWidget*>(m_paneDvm) : m_paneDcs;
        if (pane != nullptr)
            pane->setVisible(!pane->isVisible());
        return;
    }
    if (id == m_selectedPage)
        return;
    m_selectedPage = id;
    ShowMeasurementPage(id);
}

void CMainFrame::OnUpdateMeasurePage(platform::CCmdUI& ui) {
    switch (ui.m_nID) {
    case ID_MEASURE_CURRENT:
    case ID_MEASURE_VOLTAGE:
    case ID_MEASURE_CCDF:
    case ID_MEASURE_DATALOGGING:
        // The measure thread reads the selected page from its start on, before its running flag is set.
        ui.Enable(!IsRunning() && !MeasureThreadExists());
        ui.SetCheck((ui.m_nID == m_selectedPage) ? 1 : 0);
        break;
    case ID_PANE_DVM:
        ui.SetCheck((m_paneDvm != nullptr && m_paneDvm->isVisible()) ? 1 : 0);
        break;
    case ID_PANE_DCSOURCE:
        ui.SetCheck((m_paneDcs != nullptr && m_paneDcs->isVisible()) ? 1 : 0);
        break;
    default:
        ui.Enable(false);
        break;
    }
}

void CMainFrame::OnProtectionSettings() {
    SendMessage(this, WM_INSTRUMENT_DIALOG, 3, 1);
}

void CMainFrame::OnUpdateProtectionSettings(platform::CCmdUI& ui) {
    ui.Enable(m_preferences != nullptr && m_preferences->MeasureMode != 2);
}

platform::LRESULT CMainFrame::OnProgramInstrument(platform::WPARAM which) {
    if (MeasureThreadExists()) {
        StopBox(IDS_MEASURE_RUNNING);
        return 0;
    }
    if (which == 0) {
        ProgramMultimeter();
        return 1;
    }
    if (which == 1) {
        ProgramSupply();
        return 1;
    }
    return 0;
}

platform::LRESULT CMainFrame::OnInstrumentConnected(platform::WPARAM id, platform::LPARAM state) {
    if (id == kDvmInstrumentId)
        SetMultimeterPaneState(static_cast<int>(state));
    else if (id == kDcsInstrumentId)
        SetSupplyPaneState(static_cast<int>(state));
    return 0;
}

// ---- configuration and instrument files ---------------------------------------------------------

// A save killed half way leaves its temporary file beside the file it was replacing: those of the
// program's own folders that no save holds any more are removed at start-up.
static void RemoveStaleTemporaries(const MainPreferences& preferences) {
    const QString program = platform::ProgramFolder();
    for (const QString& folder :
         {program + QStringLiteral("Config/"), program + QStringLiteral("Instruments/DC Power Supply/"),
          program + QStringLiteral("Instruments/Digit Multimeter/"), preferences.LogPath,
          preferences.FilePathCurr, preferences.FilePathVolt, preferences.FilePathCCDF,
          preferences.FilePathDataLogging})
        platform::RemoveStaleTemporaries(folder);
}

// The one preferences record of the process, made at first use.
static MainPreferences* ProcessPreferences() {
    static MainPreferences preferences;
    return &preferences;
}

int CMainFrame::LoadMainConfiguration() {
    m_preferences = ProcessPreferences();
    if (m_preferences == nullptr) {
        StopBox(IDS_NO_PREFERENCES);
        return 0;
    }
    const QString configuration = platform::ProgramFolder() + QStringLiteral("Config/MainApp.xml");
    CParserParameters parser;
    parser.Load(configuration, m_preferences);
    // The file read at every start is the one the options are saved to, whatever path it names
    // (another installation's, another file): else they would be lost, or another file overwritten.
    m_preferences->PathConfig = configuration;
    QString logPath = platform::NormalizePath(m_preferences->LogPath);
    if (logPath.isEmpty() || !platform::IsDirectory(logPath))
        logPath = platform::ProgramFolder() + QStringLiteral("LogFiles/");
    if (!logPath.endsWith(u'/'))
        logPath += u'/';
    m_preferences->LogPath = logPath;
    if (!platform::CreateFolderLevels(logPath))
        m_preferences->SaveLog = 0;
    RemoveStaleTemporaries(*m_preferences);
    return 1;
}

int CMainFrame::SaveMainConfiguration() {
    if (m_preferences == nullptr) {
        StopBox(IDS_NO_PREFERENCES);
        return 0;
    }
    // The log may give its file a new name from the measure thread meanwhile: one consistent copy is saved.
    const MainPreferences record = m_runLog ? m_runLog->CopyPreferences() : *m_preferences;
    CParserParameters parser;
    if (parser.Save(record.PathConfig, &record) == 0) {
        StopBox(IDS_CONFIG_PARSE_ERROR);
        return 0;
    }
    return 1;
}

QString CMainFrame::InstrumentFilePath(bool supply) const {
    return platform::ProgramFolder() +
           (supply ? QStringLiteral("Instruments/DC Power Supply/DC Power Supply.xml")
                   : QStringLiteral("Instruments/Digit Multimeter/Digit Multimeter.xml"));
}

int CMainFrame::LoadMultimeterFile() {
    const QString path = InstrumentFilePath(false);
    if (!QFileInfo::exists(path))
        return 0;
    CParserParaInstruMultiMeter parser;
    return parser.Load(path, &m_paraDvm) != 0 ? 1 : 0;
}

int CMainFrame::LoadSupplyFile() {
    const QString path = InstrumentFilePath(true);
    if (!QFileInfo::exists(path))
        return 0;
    CParserParaInstruDCSource parser;
    return parser.Load(path, &m_paraDcs) != 0 ? 1 : 0;
}

int CMainFrame::SaveMultimeterFile() {
    const QString path = InstrumentFilePath(false);
    platform::CreateFolderLevels(QFileInfo(path).path());
    CParserParaInstruMultiMeter parser;
    return ReportFileSaved(parser.Save(path, &m_paraDvm));
}

int CMainFrame::SaveSupplyFile() {
    const QString path = InstrumentFilePath(true);
    platform::CreateFolderLevels(QFileInfo(path).path());
    CParserParaInstruDCSource parser;
    return ReportFileSaved(parser.Save(path, &m_paraDcs));
}

// ---- drivers ------------------------------------------------------------------------------------

int CMainFrame::BindMultimeterDriver() {
    auto factory =
        reinterpret_cast<CEntityInstrument* (*)()>(LoadDriverFactory(QStringLiteral("meterdrv.dll")));
    if (factory == nullptr)
        return 0;
    CEntityInstrument* created = factory();
    m_dvm = dynamic_cast<CEntityInstruDVM*>(created);
    if (m_dvm == nullptr) {
        delete created;
        return 0;
    }
    m_dvm->SetInstrumentID(kDvmInstrumentId);
    m_dvm->SetParentWndPtr(this, &m_stopEvent);
    return 1;
}

int CMainFrame::BindSupplyDriver() {
    auto factory =
        reinterpret_cast<CEntityInstrument* (*)()>(LoadDriverFactory(QStringLiteral("supplydrv.dll")));
    if (factory == nullptr)
        return 0;
    CEntityInstrument* created = factory();
    m_dcps = dynamic_cast<CEntityInstruDCPS*>(created);
    if (m_dcps == nullptr) {
        delete created;
        return 0;
    }
    m_dcps->SetInstrumentID(kDcsInstrumentId);
    m_dcps->SetParentWndPtr(this, &m_stopEvent);
    return 1;
}

int CMainFrame::ProgramMultimeter() {
    SetMultimeterPaneState(0);
    if (m_dvm == nullptr) {
        StopBox(IDS_NO_METER);
        return 0;
    }
    m_dvm->SetParameterInstru(m_paraDvm);
    if (m_dvm->SetInstrumentControlDVM() == 0) {
        LogInstrumentFailure(IDS_METER_PROGRAM_FAILED, m_dvm->GetLastError());
        StopBox(IDS_METER_PROGRAM_FAILED);
        return 0;
    }
    SetMultimeterPaneState(1);
    return 1;
}

int CMainFrame::ProgramSupply() {
    SetSupplyPaneState(0);
    if (m_dcps == nullptr) {
        StopBox(IDS_NO_SUPPLY);
        return 0;
    }
    m_dcps->SetParameterInstru(m_paraDcs);
    if (m_dcps->SetInstrumentControlDCPS() == 0) {
        LogInstrumentFailure(IDS_SUPPLY_PROGRAM_FAILED, m_dcps->GetLastError());
        StopBox(IDS_SUPPLY_PROGRAM_FAILED);
        return 0;
    }
    SetSupplyPaneState(1);
    return 1;
}

// The message says that the instrument failed; the log keeps why, where the user looks for it.
void CMainFrame::LogInstrumentFailure(int messageId, const QString& reason) {
    WriteLogLine(LoadString(messageId) + QStringLiteral(" ") +
                 (reason.isEmpty() ? QStringLiteral("(no reason given)") : reason));
}

void CMainFrame::SetMultimeterPaneState(int state) {
    if (m_paneDvm != nullptr)
        m_paneDvm->SetOnlineState(state);
}

void CMainFrame::SetSupplyPaneState(int state) {
    if (m_paneDcs != nullptr)
        m_paneDcs->SetOnlineState(state);
}

int CMainFrame::ApplyMultimeterParameters(int which) {
    if (m_dvm == nullptr) {
        StopBox(IDS_NO_METER);
        return 0;
    }
    return m_dvm->SetParameterInstruMultiMeter(m_paraDvm, which);
}

// Range indexes of the measuring pages: 100 mA on the multimeter, 0.1 A on the DC source.
constexpr int kMultimeterRunRange = 4;
constexpr int kSupplyRunRange = 1;

static bool IsMeasuringPage(unsigned page) {
    return page == CMainFrame::ID_MEASURE_CURRENT || page == CMainFrame::ID_MEASURE_DATALOGGING;
}

int CMainFrame::PrepareMultimeterForPage() {
    if (IsMeasuringPage(m_selectedPage) && m_dvm != nullptr && m_dvm->IsInstruConnected()) {
        // The record keeps the range, so that the whole-record set before a run sends the same one.
        m_paraDvm.FunctionType = 2;
        m_paraDvm.CurrentRange = kMultimeterRunRange;
        m_dvm->SetFunctionType(2);
        m_dvm->SetCurrentRange(m_paraDvm.CurrentRange);
        m_dvm->SetCurrentDisableAutozero();
    }
    return 1;
}

int CMainFrame::PrepareSupplyForPage() {
    if (IsMeasuringPage(m_selectedPage) && m_dcps != nullptr && m_dcps->IsInstruConnected()) {
        m_paraDcs.FunctionType = 2;
        m_paraDcs.CurrentRange = kSupplyRunRange;
        m_dcps->SetFunctionType(2);
        m_dcps->SetCurrentRange(m_paraDcs.CurrentRange);
        m_dcps->SetVoltageLevel(m_paraDcs.VoltageLevel);
        m_dcps->SetCurrentLimit(m_paraDcs.CurrentLimit);
    }
    return 1;
}

// Both panes show what the records hold, read from the instruments that answer.
void CMainFrame::RefreshPanes() {
    if (m_paneDcs != nullptr)
        m_paneDcs->UpdateFromParameter();
    if (m_paneDvm != nullptr)
        m_paneDvm->UpdateFromParameter();
}

void CMainFrame::ApplyMeasureModeToPanes() {
    if (m_preferences == nullptr) {
        StopBox(IDS_NO_PREFERENCES);
        return;
    }
    if (m_paneDvm == nullptr || m_paneDcs == nullptr)
        return;
    switch (m_preferences->MeasureMode) {
    case 0:
        m_paneDvm->SetCommandEnabled(true);
        m_paneDvm->EnableControls(true);
        m_paneDcs->SetCommandEnabled(true);
        m_paneDcs->EnableControls(true);
        break;
    case 1:
        m_paneDvm->SetCommandEnabled(false);
        m_paneDvm->EnableControls(false);
        m_paneDcs->SetCommandEnabled(true);
        m_paneDcs->EnableControls(true);
        break;
    case 2:
        m_paneDvm->SetCommandEnabled(true);
        m_paneDvm->EnableControls(true);
        m_paneDcs->SetCommandEnabled(false);
        m_paneDcs->EnableControls(false);
        break;
    default:
        break;
    }
}

void CMainFrame::ResetMultimeterTiming(int newMeasureMode) {
    if (newMeasureMode != 0 && newMeasureMode != 1)
        return;
    m_paraDvm.NplcCurr = 0.001;
    m_paraDvm.NplcDLog = 0.01;
    m_paraDvm.CaptCurr = 0.5;
    m_paraDvm.DataLogging.AcqTimeHour = 0;
    m_paraDvm.DataLogging.AcqTimeMinute = 0;
    m_paraDvm.DataLogging.AcqTimeSecond = 30;
}
