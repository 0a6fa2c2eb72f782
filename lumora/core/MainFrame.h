#pragma once

#include "lumora/core/BinDataFile.h"
#include "lumora/core/DataStreamParseThread.h"
#include "lumora/core/NetWorkTcpClient.h"
#include "lumora/core/ParameterInstruDCSource.h"
#include "lumora/core/ParameterInstruMultiMeter.h"
#include "lumora/core/SampleStore.h"
#include "platform/CommandRouter.h"
#include "platform/Event.h"
#include "platform/MessageTarget.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class QAction;
class QMenu;
class QTimer;
class CEntityInstruDCPS;
class CEntityInstruDVM;
class CHighResElapsedTimer;
class CRunLog;
class CQXAppDialogMeasCurrent;
class CQXAppDialogMeasDLOG;
class CLumoraView;
class QStackedWidget;
class QTimer;
class QMenu;
class CDockingPaneViewDCSource;
class CDockingPaneViewDVM;
struct MainPreferences;
namespace shell {
class CToolbarCustomizer;
class CPaneAutoHide;
} // namespace shell

// The main window and measurement controller: owns the instrument drivers and their records, the log,
// the stop event and the measure thread, and routes the commands of the menus and panes.
class CMainFrame : public QMainWindow, public platform::CMessageTarget {
public:
    enum : unsigned {
        ID_MEASURE_CURRENT = 32810,
        ID_MEASURE_VOLTAGE = 32811,
        ID_MEASURE_CCDF = 32812,
        ID_MEASURE_DATALOGGING = 32813,
        ID_PANE_DVM = 32814,
        ID_PANE_DCSOURCE = 32815,
        ID_MEASURE_RESET = 32798,
        ID_MEASURE_START = 32799,
        ID_MEASURE_STOP = 32801,
        ID_OPTIONS = 32783,
        ID_INSTRUMENTS = 32820,
        ID_MEASURE_SETTINGS = 32797,
        ID_PROTECTION_SETTINGS = 32822,
        ID_VIEW_APPLOOK_FIRST = 305,
        ID_VIEW_APPLOOK_LAST = 319,
        ID_VIEW_APPLOOK_OFF_2007_SILVER = 317,
    };
    static constexpr platform::UINT WM_INSTRUMENT_DIALOG = platform::WM_APP + 0x7F;
    static constexpr platform::UINT WM_PROGRAM_INSTRUMENT = platform::WM_APP + 0x80;
    static constexpr platform::UINT WM_INSTRUMENT_CONNECTED = platform::WM_APP + 0x14D;
    static constexpr platform::UINT WM_TCP_DATA = platform::WM_USER + 103;
    static constexpr platform::UINT WM_EMPTY_USER_105 = platform::WM_USER + 105;
    static constexpr unsigned kDvmInstrumentId = ID_PANE_DVM;
    static constexpr unsigned kDcsInstrumentId = ID_PANE_DCSOURCE;

    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Start-up: configuration, log, bars, panes, then each instrument file and driver. -1 when the
    // frame cannot be created.
    int OnCreate();
    // Shut-down: saves the instrument files that were loaded, ends every thread of the frame, releases
    // the drivers. Runs once, from closing the window or from the destructor.
    void OnDestroy();

    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override;

    // The bars' and panes' menu, with the toolbar customize entry at its end.
    QMenu* createPopupMenu() override;
    // Runs a command as the menus, toolbars and panes do; false when the command is disabled.
    bool OnCommand(unsigned id);
    // The state of a command as its update handler gives it.
    platform::CCmdUI QueryCommand(unsigned id);
    QAction* CommandAction(unsigned id) const;
    // A command of the application object, in the menu of the caption (made when missing).
    QAction* AddAppCommand(unsigned id, const QString& text, const QString& menuCaption,
                           std::function<void()> run, platform::CCommandRouter::UpdateHandler update = {});
    // A later start of the program asks this window to come to the front.
    platform::LRESULT OnActivateInstance();
    static constexpr platform::LRESULT kActivateAnswer = 0x424D5144;
    // The name of the registered message a later start sends.
    static constexpr const char* kActivateMessageName = "{EBE8AEAD-9BF1-44FD-AA0F-7C245D0F89A7}";

    // The page of the current test; the view hands it over once it exists.
    void SetCurrentPage(CQXAppDialogMeasCurrent* page) { m_pageCurrent = page; }
    CQXAppDialogMeasCurrent* CurrentPage() const { return m_pageCurrent; }

    // The data-logging page, and the view that shows one of the two pages (see MainFrameDataLogging.cpp).
    void SetDataLoggingPage(CQXAppDialogMeasDLOG* page) { m_pageDataLogging = page; }
    CQXAppDialogMeasDLOG* DataLoggingPage() const { return m_pageDataLogging; }
    bool HostMeasurementPages();
    // The view that owns the pages; it adds its file commands to the frame's menu.
    void SetView(CLumoraView* view) { m_view = view; }
    CLumoraView* View() const { return m_view; }
    void AddViewCommand(unsigned id, const QString& text, std::function<void()> run,
                        platform::CCommandRouter::UpdateHandler update = {});
    // The File menu, first of the menu bar (made when missing).
    QMenu* FileMenu();
    static constexpr int kDataLoggingTimerId = 1;
    static constexpr platform::UINT WM_TCP_CLOSED = platform::WM_USER + 120;
    // The data-logging run as its update thread and the tests see it.
    QString AutoSaveBinName() const { return m_autoSaveName; }
    unsigned DataLoggingReceived() const { return m_progressReceived.load(std::memory_order_acquire); }
    std::uint64_t InvalidFrames() const { return m_invalidFrames.load(std::memory_order_acquire); }
    // "%Y-%m-%d_%H-%M-%S_AutoSave.bin" in the folder.
    static QString BuildAutoSaveBinName(const QString& folder, std::time_t when);
    // ElapsedRefresh as the timer uses it: whole seconds, at least 1 (a period of 0 would spin) and no
    // more than a timer holds.
    static int RefreshSeconds(int elapsedRefresh);
    // The samples of the last data-logging run.
    const CSampleStore& DataLoggingSamples() const { return m_logSamples; }
    // The most samples a data-logging run keeps: what a data file holds. Tests make it smaller, to see a
    // run reach it.
    static void SetLoggedSampleLimit(std::size_t most);
    // The folder a run saves into: the preferences' folder, or when that is empty the program folder's
    // default one ("Data/Current/", "Data/Data Logging/").
    static QString RunDataFolder(const QString& folder, const QString& defaultFolder);

    // Read by the panes and pages.
    CEntityInstruDVM* MultimeterDriver() const { return m_dvm; }
    CEntityInstruDCPS* SupplyDriver() const { return m_dcps; }
    CParameterInstruMultiMeter& MultimeterRecord() { return m_paraDvm; }
    CParameterInstruDCSource& SupplyRecord() { return m_paraDcs; }
    MainPreferences* Preferences() const { return m_preferences; }
    unsigned SelectedPage() const { return m_selectedPage; }
    CDockingPaneViewDVM* MultimeterPane() const { return m_paneDvm; }
    CDockingPaneViewDCSource* SupplyPane() const { return m_paneDcs; }
    shell::CToolbarCustomizer* Customizer() const { return m_customizer; }
    shell::CPaneAutoHide* AutoHide() const { return m_autoHide; }
    bool IsRunning() const { return m_running.load(std::memory_order_acquire) == 1; }
    bool MeasureThreadExists() const { return m_threadExists.load(std::memory_order_acquire); }

    int LoadMainConfiguration();
    int SaveMainConfiguration();
    int LoadMultimeterFile();
    int LoadSupplyFile();
    int SaveMultimeterFile();
    int SaveSupplyFile();
    int BindMultimeterDriver();
    int BindSupplyDriver();
    int ProgramMultimeter();
    int ProgramSupply();
    void SetMultimeterPaneState(int state);
    void SetSupplyPaneState(int state);
    // Writes the instrument failure message with the driver's reason to the log.
    void LogInstrumentFailure(int messageId, const QString& reason);
    int ApplyMultimeterParameters(int which);
    int PrepareMultimeterForPage();
    int PrepareSupplyForPage();
    void ApplyMeasureModeToPanes();
    void RefreshPanes();
    // The DC source pane's readout from a run's reading text; called by the measure thread.
    void UpdateSupplyReadout(const QString& reading);
    void ResetMultimeterTiming(int newMeasureMode);
    void OpenLogFile();
    void WriteLogLine(const QString& text);

    // Run control.
    void OnMeasureControl(unsigned id);
    void OnUpdateMeasureControl(platform::CCmdUI& ui);
    void StopMeasureAndWait();

    // Splits "value,time,value,time,..." into the two arrays; the pair count, 0 for an odd field count.
    static unsigned ParseDataString(const QString& text, std::vector<double>& values,
                                    std::vector<double>& times);
    // Samples of a multimeter block: a 2-byte prefix, then value and time doubles per sample.
    static unsigned ReadSampleBlock(const char* buffer, unsigned size, std::vector<double>& values,
                                    std::vector<double>& times);
    // Samples up to the trigger time-out and the first one after it.
    static unsigned ShownCount(const std::vector<double>& times, unsigned n, double triggerTimeout);
    // "%Y-%m-%d_%H-%M-%S_AutoSave.csv" in the folder.
    static QString AutoSavePath(const QString& folder, std::time_t when);

    static void RegisterFrameStrings();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

    void changeEvent(QEvent* event) override;

private:
    static constexpr platform::UINT kRunOnUiMessage = platform::WM_APP + 0x3F0;

    // Ends the frame's threads once this thread has left every call a worker waits for.
    void DestroyWhenUnwound();
    void CreateCommands();
    void AddCommand(unsigned id, const QString& text, std::function<void()> run,
                    platform::CCommandRouter::UpdateHandler update = {});
    bool CreatePanes();
    void SaveDockingLayout();
    void FitPanesToTheirForms();
    bool m_layoutRestored = false;
    bool m_panesFitted = false;
    static constexpr int kDockingLayoutVersion = 1;
    void BindAndProgramInstruments();
    // Whether the connected instrument says who it is within its time-out. One that takes the link
    // and never answers is so left offline with its message at start-up, instead of holding each
    // later step for a whole time-out without a word.
    bool MultimeterAnswers();
    bool SupplyAnswers();

    void OnApplicationLook(unsigned id);
    void OnUpdateApplicationLook(platform::CCmdUI& ui);
    void OnMeasurePage(unsigned id);
    void OnUpdateMeasurePage(platform::CCmdUI& ui);
    void OnInstruments();
    void OnMeasureSettings();
    // The options command (MainFrameOptions.cpp).
    void AddOptionsCommand(QMenu* menu);
    void OnOptions();
    // The current-test or data-logging settings of the selected page for the measuring instrument.
    void EditCurrentSettings();
    void EditDataLoggingSettings();
    // Refuses with a message while a run or its thread is active; true when a dialog may open.
    bool RefuseWhileMeasuring();
    int SaveInstrumentFile(bool supply);
    void ProgramProtection();
    void OnProtectionSettings();
    void OnUpdateProtectionSettings(platform::CCmdUI& ui);
    platform::LRESULT OnProgramInstrument(platform::WPARAM which);
    platform::LRESULT OnInstrumentDialogMessage(platform::WPARAM which, platform::LPARAM program);
    platform::LRESULT OnInstrumentConnected(platform::WPARAM id, platform::LPARAM state);

    // The measure thread and what it runs.
    void StartMeasureThread();
    void TakeRunSettings();
    void JoinFinishedThread();
    bool AnyInstrumentConnected() const;
    void MeasureThreadProc();
    int MeasureCurrentDVM();
    int MeasureCurrentDCPS();
    // When a run began and its capture ended, and how long that took.
    struct SRunTimes {
        std::time_t start = 0;
        std::time_t end = 0;
        QString duration;
    };
    // The run's capture is over: its times are taken now, and the status bar stops counting. What
    // follows (saving, messages, the notice) is not the run's time.
    SRunTimes EndCapture(std::time_t start, CHighResElapsedTimer& timer);
    void ShowRunFinished(const SRunTimes& times);
    // A message of the measure thread: every one ends the run, so the status bar stops counting
    // before it shows.
    void RunStopBox(int id);
    void RunStopBox(const QString& text);
    // An instrument call of a run failed: said with message 'id' unless the user's stop (or the
    // program's end) is what ended the call.
    void RunCallFailed(int id);
    // The status bar shows the run state and its elapsed time while a measure thread exists and its
    // capture goes on, then the idle text again.
    void BeginRunStatus();
    void UpdateRunStatus();
    void EndRunStatus();
    // Runs the call on the user-interface thread and waits for it, as a sent window message does.
    void RunOnUiThread(const std::function<void()>& call);

    QString InstrumentFilePath(bool supply) const;

    platform::CCommandRouter* m_router = nullptr;
    std::map<unsigned, QAction*> m_actions;
    std::map<unsigned, platform::CCommandRouter::UpdateHandler> m_updates;
    unsigned m_applicationLook = ID_VIEW_APPLOOK_OFF_2007_SILVER;

    shell::CToolbarCustomizer* m_customizer = nullptr;
    shell::CPaneAutoHide* m_autoHide = nullptr;
    CDockingPaneViewDVM* m_paneDvm = nullptr;
    CDockingPaneViewDCSource* m_paneDcs = nullptr;
    std::unique_ptr<CRunLog> m_runLog;
    CEntityInstruDVM* m_dvm = nullptr;
    CParameterInstruMultiMeter m_paraDvm;
    CEntityInstruDCPS* m_dcps = nullptr;
    CParameterInstruDCSource m_paraDcs;
    MainPreferences* m_preferences = nullptr;
    unsigned m_selectedPage = ID_MEASURE_CURRENT;
    platform::CEvent m_stopEvent{false, false};
    std::thread m_measureThread;
    std::atomic<bool> m_threadExists{false};
    std::atomic<int> m_running{0};
    std::atomic<bool> m_captureEnded{false};
    // A stop was asked for this run: an instrument call it ends is no failure.
    std::atomic<bool> m_stopAsked{false};
    // The finish notice of a run that completed, shown by the measure thread as its last act.
    std::optional<SRunTimes> m_finishNotice;
    // The samples of a current test.
    std::vector<double> m_timeArray;
    std::vector<double> m_valueArray;
    std::atomic<std::uint64_t> m_invalidFrames{0};
    // What a run reads of the preferences, taken when it starts: the options may be changed meanwhile.
    struct SRunSettings {
        int measureMode = -1;
        int autoSaveCurr = 0;
        QString filePathCurr;
        int autoSaveDataLogging = 0;
        QString filePathDataLogging;
        int elapsedRefresh = 5;
    };
    SRunSettings m_run;
    QTimer* m_runStatusTimer = nullptr;
    QElapsedTimer m_runClock;

    // ---- data-logging run and the supply's stream (MainFrameDataLogging.cpp, MainFrameDataStream.cpp)
    struct SDataLogProgress {
        unsigned wanted = 0;
        unsigned received = 0;
        int finished = 0;
        int kind = 0; // 1 multimeter, 2 DC source
    };
    int DataLoggingDVM();
    int DataLoggingDCPS();
    // Why a run could not keep what arrived.
    enum eKeepFailure : int { eKeptAll = 0, eNoMemory = 1, eFileFull = 2 };
    // The page cleared and sized for the run, the last run's samples let go.
    void PrepareDataLogging(unsigned wanted);
    void BeginDataLogging(unsigned wanted, int kind);
    // The last samples to the page and the file; the message of a run that could not keep what
    // arrived. False when the run could not keep them.
    bool FinishDataLogging();
    void NoteKeepFailure(CSampleStore::eAppend result);
    bool KeepFailed() const { return m_keepFailure.load(std::memory_order_acquire) != eKeptAll; }
    // Samples [start, start + count) of the store to the page's plot; false when the plot could not
    // keep them.
    bool HandToPage(unsigned start, unsigned count, int kind);
    int WriteAutoSave(unsigned count);
    void ShowMeasurementPage(unsigned id);
    void OnTimer(int id);
    void UpdateThreadProc(SDataLogProgress snapshot);
    void SetDataLoggingTimer(bool on);
    // The supply's stream into the run's store, keeping at most the wanted samples.
    int StartDataStream(unsigned wanted);
    void EndDataStream();
    platform::LRESULT OnTcpData(const unsigned char* data, std::size_t n);
    void HandOverGathered();
    void JoinDataLoggingThreads();

    CQXAppDialogMeasDLOG* m_pageDataLogging = nullptr;
    CLumoraView* m_view = nullptr;
    QMenu* m_fileMenu = nullptr;
    QStackedWidget* m_pageStack = nullptr;
    QTimer* m_dataLoggingTimer = nullptr;
    std::thread m_updateThread;
    std::atomic<bool> m_updateRunning{false};
    std::atomic<bool> m_updateFinished{true};
    std::atomic<unsigned> m_progressWanted{0};
    std::atomic<unsigned> m_progressReceived{0};
    std::atomic<int> m_progressFinished{0};
    std::atomic<int> m_progressKind{0};
    std::atomic<int> m_tickCounter{0};
    std::atomic<bool> m_autoSaveOn{false};
    std::atomic<bool> m_autoSaveFailed{false};
    std::atomic<int> m_keepFailure{eKeptAll};
    bool m_pageFull = false;
    CSampleStore m_logSamples{CBinDataFile::kMaxSamples};
    unsigned m_shownCount = 0;
    double m_lastTime = 0.0;
    QString m_autoSaveName;
    CNetWorkTcpClient m_tcpClient;
    CDataStreamParseThread m_parseThread;
    std::vector<unsigned char> m_gatherBuffer;
    unsigned char m_startReply[4] = {};
    std::size_t m_startReplyLength = 0;
    // The message of a start the supply refused (IDS_SUPPLY_SEND_FAILED, IDS_SUPPLY_PORT_IN_USE); 0 while
    // none was.
    std::atomic<int> m_streamRefusal{0};

    CQXAppDialogMeasCurrent* m_pageCurrent = nullptr;
    bool m_connectedAtStart = false;
    bool m_multimeterFileLoaded = false;
    bool m_supplyFileLoaded = false;
    bool m_destroyed = false;
};
