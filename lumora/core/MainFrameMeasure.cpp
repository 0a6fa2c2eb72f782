// Run control and the measure thread of the main frame.
#include "lumora/LumoraStrings.h"
#include "lumora/core/MainFrame.h"

#include "dialogs/promptkit/PromptKit.h"
#include "instruments/meterdrv/EntityInstruDVM.h"
#include "lumora/core/HighResElapsedTimer.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/core/RunLog.h"
#include "lumora/shell/DockingPaneViewDCSource.h"
#include "platform/LocalTime.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/PumpingWait.h"
#include "platform/StringTable.h"
#include "supplydrv/EntityInstruDCPS.h"

#include <QFileInfo>
#include <cstring>

namespace {

// Fills the "%s" of a string-table text in order.
QString FillStrings(QString format, std::initializer_list<QString> values) {
    qsizetype from = 0;
    for (const QString& value : values) {
        const qsizetype at = format.indexOf(QStringLiteral("%s"), from);
        if (at < 0)
            break;
        format.replace(at, 2, value);
        from = at + value.size();
    }
    return format;
}

} // namespace

// ---- log ----------------------------------------------------------------------------------------

void CMainFrame::OpenLogFile() {
    if (m_preferences == nullptr)
        return;
    if (!m_runLog)
        m_runLog = std::make_unique<CRunLog>(*m_preferences);
    m_runLog->OpenLogFile();
}

void CMainFrame::WriteLogLine(const QString& text) {
    if (m_runLog)
        m_runLog->WriteLogLine(text);
}

// ---- run control --------------------------------------------------------------------------------

void CMainFrame::OnMeasureControl(unsigned id) {
    switch (id) {
    case ID_MEASURE_START:
        StartMeasureThread();
        break;
    case ID_MEASURE_STOP:
        m_stopAsked.store(true, std::memory_order_release);
        m_stopEvent.Set();
        SetDataLoggingTimer(false);
        break;
    case ID_MEASURE_RESET:
        StopMeasureAndWait();
        if (m_dcps != nullptr) {
            m_dcps->ResetInstrument();
            PrepareSupplyForPage();
        }
        if (m_dvm != nullptr) {
            m_dvm->ResetInstrument();
            PrepareMultimeterForPage();
        }
        // The reset changed what the instruments hold (the supply's output is off): the panes show it.
        RefreshPanes();
        break;
    default:
        break;
    }
}

void CMainFrame::OnUpdateMeasureControl(platform::CCmdUI& ui) {
    switch (ui.m_nID) {
    case ID_MEASURE_RESET:
        // During a run the drivers belong to the measure thread: the state at its start serves.
        ui.Enable(MeasureThreadExists() ? m_connectedAtStart : AnyInstrumentConnected());
        break;
    // A new run waits until the previous thread has ended, not only until its running flag drops.
    case ID_MEASURE_START:
        ui.Enable(!IsRunning() && !MeasureThreadExists());
        break;
    case ID_MEASURE_STOP:
        ui.Enable(IsRunning());
        break;
    default:
        break;
    }
}

void CMainFrame::StartMeasureThread() {
    if (MeasureThreadExists())
        return;
    JoinFinishedThread();
    m_connectedAtStart = AnyInstrumentConnected();
    m_invalidFrames.store(0, std::memory_order_relaxed);
    // The counts of the last run are not this run's.
    m_progressReceived.store(0, std::memory_order_relaxed);
    TakeRunSettings();
    // A stop pressed while nothing waited must not end the new run at once.
    m_stopEvent.Reset();
    m_stopAsked.store(false, std::memory_order_relaxed);
    m_captureEnded.store(false, std::memory_order_relaxed);
    m_finishNotice.reset();
    m_threadExists.store(true, std::memory_order_release);
    m_measureThread = std::thread([this] { MeasureThreadProc(); });
    BeginRunStatus();
}

// The options may be confirmed while the run goes on: the run keeps what they said when it started.
void CMainFrame::TakeRunSettings() {
    m_run = SRunSettings();
    if (m_preferences == nullptr)
        return;
    const MainPreferences preferences = m_runLog ? m_runLog->CopyPreferences() : *m_preferences;
    m_run.measureMode = preferences.MeasureMode;
    m_run.autoSaveCurr = preferences.AutoSaveCurr;
    m_run.filePathCurr = RunDataFolder(preferences.FilePathCurr, QStringLiteral("Data/Current/"));
    m_run.autoSaveDataLogging = preferences.AutoSaveDataLogging;
    m_run.filePathDataLogging =
        RunDataFolder(preferences.FilePathDataLogging, QStringLiteral("Data/Data Logging/"));
    m_run.elapsedRefresh = preferences.ElapsedRefresh;
}

QString CMainFrame::RunDataFolder(const QString& folder, const QString& defaultFolder) {
    if (folder.trimmed().isEmpty())
        return platform::ProgramFolder() + defaultFolder;
    return folder;
}

bool CMainFrame::AnyInstrumentConnected() const {
    return (m_dcps != nullptr && m_dcps->IsInstruConnected()) ||
           (m_dvm != nullptr && m_dvm->IsInstruConnected());
}

void CMainFrame::JoinFinishedThread() {
    if (m_measureThread.joinable())
        m_measureThread.join();
}

void CMainFrame::StopMeasureAndWait() {
    if (MeasureThreadExists()) {
        m_stopAsked.store(true, std::memory_order_release);
        m_stopEvent.Set();
        // The worker's calls into the windows run here while it is waited for.
        platform::PumpUntil([this] { return !MeasureThreadExists(); });
    }
    JoinFinishedThread();
}

void CMainFrame::RunOnUiThread(const std::function<void()>& call) {
    SendMessage(this, kRunOnUiMessage, reinterpret_cast<platform::WPARAM>(&call), 0);
}

// ---- the measure thread -------------------------------------------------------------------------

void CMainFrame::MeasureThreadProc() {
    WriteLogLine(QStringLiteral("Measure Thread Begin"));
    m_running.store(1, std::memory_order_release);
    const int mode = m_run.measureMode;
    if (m_selectedPage == ID_MEASURE_CURRENT) {
        if (mode == 0 || mode == 2)
            MeasureCurrentDVM();
        else if (mode == 1)
            MeasureCurrentDCPS();
        if (m_run.autoSaveCurr != 0 && m_pageCurrent != nullptr) {
            const QString path = AutoSavePath(m_run.filePathCurr, std::time(nullptr));
            platform::CreateFolderLevels(QFileInfo(path).path());
            int saved = 0;
            RunOnUiThread([&] { saved = m_pageCurrent->SaveWaveformData(path); });
            if (saved == 0)
                WriteLogLine(QStringLiteral("AutoSave Failed: ") + path);
        }
    } else if (m_selectedPage == ID_MEASURE_DATALOGGING) {
        if (mode == 0 || mode == 2)
            DataLoggingDVM();
        else if (mode == 1)
            DataLoggingDCPS();
    }
    // However the run ended (done, stopped, failed), the pane shows the output as the supply has it.
    if (mode == 1)
        RunOnUiThread([this] {
            if (m_paneDcs != nullptr)
                m_paneDcs->RefreshOutput();
        });
    // The notice comes last, once the run has left everything as it stays.
    if (m_finishNotice) {
        ShowRunFinished(*m_finishNotice);
        m_finishNotice.reset();
    }
    const std::uint64_t invalid = m_invalidFrames.load(std::memory_order_relaxed);
    if (invalid > 0)
        WriteLogLine(platform::CFormat("Invalid Frames %llu", static_cast<unsigned long long>(invalid)));
    WriteLogLine(QStringLiteral("Measure Thread End"));
    m_running.store(0, std::memory_order_release);
    m_threadExists.store(false, std::memory_order_release);
}

int CMainFrame::MeasureCurrentDVM() {
    const std::time_t start = std::time(nullptr);
    CHighResElapsedTimer timer;
    timer.Start();
    if (m_pageCurrent != nullptr)
        RunOnUiThread([this] { m_pageCurrent->ResetMeasurement(); });
    if (m_dvm == nullptr) {
        RunStopBox(IDS_NO_METER);
        return 0;
    }
    if (!m_dvm->IsInstruConnected()) {
        RunStopBox(IDS_METER_NOT_PROGRAMMED);
        return 0;
    }
    if (ApplyMultimeterParameters(CParameterInstruMultiMeter::ITEM_ALL) == 0 ||
        m_dvm->SetMeasureCurrentTime(m_paraDvm) == 0 || m_dvm->InitMeasAndWaitForResult() == 0) {
        RunCallFailed(IDS_START_FAILED);
        return 0;
    }
    const std::vector<char> block = m_dvm->GetDataCopy();
    if (block.empty())
        return 0;
    const unsigned n =
        ReadSampleBlock(block.data(), static_cast<unsigned>(block.size()), m_valueArray, m_timeArray);
    const SRunTimes times = EndCapture(start, timer);
    if (m_pageCurrent != nullptr)
        RunOnUiThread([&] { m_pageCurrent->SetMeasuredData(m_timeArray.data(), m_valueArray.data(), n, 1); });
    m_finishNotice = times;
    return 1;
}

int CMainFrame::MeasureCurrentDCPS() {
    const std::time_t start = std::time(nullptr);
    CHighResElapsedTimer timer;
    timer.Start();
    if (m_pageCurrent != nullptr)
        RunOnUiThread([this] { m_pageCurrent->ResetMeasurement(); });
    if (m_dcps == nullptr) {
        RunStopBox(IDS_NO_SUPPLY);
        return 0;
    }
    if (!m_dcps->IsInstruConnected()) {
        RunStopBox(IDS_SUPPLY_NOT_PROGRAMMED);
        return 0;
    }
    if (m_dcps->SetCurrentNPLC(m_paraDcs.DcsNplcCurr) == 0 || m_dcps->SetTriggerTimeout(m_paraDcs) == 0) {
        RunStopBox(IDS_START_FAILED);
        return 0;
    }
    if (m_dcps->InitMeasAndWaitForResult_CurrDC() == 0) {
        RunCallFailed(IDS_START_FAILED);
        return 0;
    }
    const SRunTimes times = EndCapture(start, timer);
    const QString reading = m_dcps->GetDataString();
    UpdateSupplyReadout(reading);
    const unsigned n = ParseDataString(reading, m_valueArray, m_timeArray);
    if (n == 0)
        return 0;
    const unsigned shown = ShownCount(m_timeArray, n, m_paraDcs.TriggerTimeout);
    if (m_pageCurrent != nullptr)
        RunOnUiThread(
            [&] { m_pageCurrent->SetMeasuredData(m_timeArray.data(), m_valueArray.data(), shown, 2); });
    m_finishNotice = times;
    return 1;
}

CMainFrame::SRunTimes CMainFrame::EndCapture(std::time_t start, CHighResElapsedTimer& timer) {
    SRunTimes times;
    times.start = start;
    times.duration = timer.GetElapsedText();
    times.end = std::time(nullptr);
    m_captureEnded.store(true, std::memory_order_release);
    return times;
}

void CMainFrame::ShowRunFinished(const SRunTimes& times) {
    const QString format = QStringLiteral("%Y-%m-%d %H:%M:%S");
    const QString text = FillStrings(
        platform::LoadString(IDS_RUN_FINISHED),
        {platform::FormatTime(times.start, format), platform::FormatTime(times.end, format), times.duration});
    WriteLogLine(text);
    // The notice is a window of the user-interface thread; the run ends when it is closed.
    RunOnUiThread([&] {
        EndRunStatus();
        DlgExeFinished(this, 0, text);
    });
}
