// The data-logging run of the main frame: the measure thread's loops for either instrument, the
// refresh timer and its update thread, the auto-save file, and the view that hosts the pages.
#include "lumora/LumoraStrings.h"
#include "lumora/core/MainFrame.h"
#include "lumora/shell/LumoraView.h"

#include "instruments/meterdrv/EntityInstruDVM.h"
#include "lumora/core/BinDataFile.h"
#include "lumora/core/HighResElapsedTimer.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"
#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "platform/Paths.h"
#include "platform/PumpingWait.h"
#include "platform/StringTable.h"
#include "supplydrv/EntityInstruDCPS.h"

#include <QFileInfo>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <system_error>

namespace {

constexpr int kTicksPerSave = 31;
std::atomic<std::size_t> g_loggedSampleLimit{CBinDataFile::kMaxSamples};
// How long the supply loop waits for the stop event per round; the counts are looked at in between.
constexpr std::uint32_t kSupplyPollMs = 10;

// The time the run's sample count is computed from: a run lasts as long as its count was meant for.
double AcquisitionSeconds(const CParameterMeasDataLogging& logging) {
    return DataAcqSeconds(static_cast<float>(logging.AcqTimeHour), static_cast<float>(logging.AcqTimeMinute),
                          static_cast<float>(logging.AcqTimeSecond));
}

unsigned WantedCount(const CParameterMeasDataLogging& logging, double nplc, double lineFrequency) {
    const int count =
        CalcDataAcqNumber(static_cast<float>(logging.AcqTimeHour), static_cast<float>(logging.AcqTimeMinute),
                          static_cast<float>(logging.AcqTimeSecond), nplc, lineFrequency);
    return count > 0 ? static_cast<unsigned>(count) : 0u;
}

} // namespace

void CMainFrame::SetLoggedSampleLimit(std::size_t most) {
    g_loggedSampleLimit.store(std::min(most, CBinDataFile::kMaxSamples), std::memory_order_relaxed);
}

int CMainFrame::RefreshSeconds(int elapsedRefresh) {
    return std::clamp(elapsedRefresh, 1, std::numeric_limits<int>::max() / 1000);
}

QString CMainFrame::BuildAutoSaveBinName(const QString& folder, std::time_t when) {
    return AutoSavePath(folder, when).chopped(3) + QStringLiteral("bin");
}

// ---- the view -----------------------------------------------------------------------------------

bool CMainFrame::HostMeasurementPages() {
    m_pageStack = new QStackedWidget(this);
    // Each page builds its controls before the stack shows it: controls made inside a widget that is
    // already shown would stay hidden.
    auto* current = new CQXAppDialogMeasCurrent(m_pageStack);
    if (!current->OnInitDialog())
        return false;
    m_pageStack->addWidget(current);
    SetCurrentPage(current);
    auto* logging = new CQXAppDialogMeasDLOG(m_pageStack);
    if (!logging->OnInitDialog())
        return false;
    m_pageStack->addWidget(logging);
    logging->AttachFrameParameters();
    SetDataLoggingPage(logging);
    setCentralWidget(m_pageStack);
    ShowMeasurementPage(m_selectedPage);
    return true;
}

void CMainFrame::ShowMeasurementPage(unsigned id) {
    if (m_view != nullptr) {
        m_view->ShowMeasurementPage(id);
        return;
    }
    if (m_pageStack == nullptr)
        return;
    QWidget* page = m_pageCurrent;
    if (id == ID_MEASURE_DATALOGGING)
        page = m_pageDataLogging;
    if (page != nullptr)
        m_pageStack->setCurrentWidget(page);
}

// ---- the runs -----------------------------------------------------------------------------------

void CMainFrame::PrepareDataLogging(unsigned wanted) {
    if (m_pageDataLogging != nullptr)
        RunOnUiThread([&] {
            m_pageDataLogging->ResetDataLogging();
            m_pageDataLogging->InitialMemory(wanted);
        });
    // The store grows with the samples that arrive; the last run's are in the page.
    m_logSamples.Clear();
    m_logSamples.SetLimit(g_loggedSampleLimit.load(std::memory_order_relaxed));
}

void CMainFrame::BeginDataLogging(unsigned wanted, int kind) {
    m_progressWanted.store(wanted, std::memory_order_relaxed);
    m_progressReceived.store(0, std::memory_order_relaxed);
    m_progressFinished.store(0, std::memory_order_relaxed);
    m_progressKind.store(kind, std::memory_order_relaxed);
    m_tickCounter.store(0, std::memory_order_relaxed);
    m_shownCount = 0;
    m_pageFull = false;
    m_lastTime = 0.0;
    m_autoSaveOn.store(m_run.autoSaveDataLogging != 0, std::memory_order_relaxed);
    m_autoSaveFailed.store(false, std::memory_order_relaxed);
    m_keepFailure.store(eKeptAll, std::memory_order_relaxed);
    m_autoSaveName = BuildAutoSaveBinName(m_run.filePathDataLogging, std::time(nullptr));
    if (m_autoSaveOn.load(std::memory_order_relaxed))
        platform::CreateFolderLevels(m_run.filePathDataLogging);
    // The timer is started on the user-interface thread, which publishes all of the above to it.
    SetDataLoggingTimer(true);
}

void CMainFrame::NoteKeepFailure(CSampleStore::eAppend result) {
    if (result == CSampleStore::eAppend::Kept)
        return;
    int none = eKeptAll;
    m_keepFailure.compare_exchange_strong(none, result == CSampleStore::eAppend::Full ? eFileFull : eNoMemory,
                                          std::memory_order_acq_rel);
}

bool CMainFrame::FinishDataLogging() {
    m_progressFinished.store(1, std::memory_order_release);
    SetDataLoggingTimer(false);
    // No tick starts another update now; the one under way may be waiting for the user-interface
    // thread, which is free.
    while (m_updateRunning.load(std::memory_order_acquire))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (m_updateThread.joinable())
        m_updateThread.join();
    // A run that could not keep what arrived saves what it kept, whether auto-save is on or not: the
    // page may not hold all of it.
    if (KeepFailed() && !m_autoSaveFailed.load(std::memory_order_relaxed)) {
        platform::CreateFolderLevels(QFileInfo(m_autoSaveName).path());
        m_autoSaveOn.store(true, std::memory_order_relaxed);
    }
    // What arrived since the last tick (a stop kills the timer at once) goes to the page and the file.
    SDataLogProgress last;
    last.wanted = m_progressWanted.load(std::memory_order_relaxed);
    last.received = static_cast<unsigned>(m_logSamples.Count());
    m_progressReceived.store(last.received, std::memory_order_release);
    last.finished = 1;
    last.kind = m_progressKind.load(std::memory_order_relaxed);
    UpdateThreadProc(last);
    if (m_autoSaveFailed.load(std::memory_order_relaxed)) {
        WriteLogLine(QStringLiteral("AutoSave Failed ") + m_autoSaveName);
        RunOnUiThread([this] {
            if (m_preferences != nullptr)
                m_preferences->AutoSaveDataLogging = 0;
        });
        RunStopBox(IDS_FILE_CREATE_FAILED);
    }
    const int failure = m_keepFailure.load(std::memory_order_acquire);
    if (failure == eKeptAll)
        return true;
    QString text = platform::LoadString(failure == eFileFull ? IDS_RUN_FILE_FULL : IDS_RUN_NO_MEMORY);
    text.replace(QStringLiteral("%u"), QString::number(m_logSamples.Limit()));
    WriteLogLine(text);
    RunStopBox(text);
    return false;
}

int CMainFrame::DataLoggingDVM() {
    const std::time_t start = std::time(nullptr);
    CHighResElapsedTimer timer;
    timer.Start();
    if (m_dvm == nullptr) {
        RunStopBox(IDS_NO_METER);
        return 0;
    }
    if (m_dvm->SetParameterInstruMultiMeter(m_paraDvm, CParameterInstruMultiMeter::ITEM_ALL) == 0 ||
        m_dvm->SetCurrentNPLC(m_paraDvm.NplcDLog) == 0)
        return 0;
    const unsigned wanted = WantedCount(m_paraDvm.DataLogging, m_paraDvm.NplcDLog, m_paraDvm.LineFrequency);
    m_paraDvm.DataLogging.DataAcqNumber = wanted;
    const double duration = AcquisitionSeconds(m_paraDvm.DataLogging);
    if (wanted == 0)
        return 0;
    PrepareDataLogging(wanted);
    if (m_dvm->InitialDataLogging() == 0 || m_dvm->InitMeasureDataLogging() == 0)
        return 0;
    BeginDataLogging(wanted, 1);

    unsigned received = 0;
    bool reading = m_dvm->ReadDataLoggingBuffer() != 0;
    while (reading) {
        const char* buffer = m_dvm->GetDataBuffer();
        const unsigned size = m_dvm->GetDataSize();
        if (buffer != nullptr && size >= 2) {
            const unsigned n = std::min((size - 2) / 16, wanted - received);
            // The block holds value and time of each sample in turn.
            const auto result =
                m_logSamples.Append(n, [&](std::size_t first, double* t, double* v, std::size_t count) {
                    const char* at = buffer + 2 + 16 * first;
                    for (std::size_t i = 0; i < count; ++i, at += 16) {
                        std::memcpy(v + i, at, sizeof(double));
                        std::memcpy(t + i, at + 8, sizeof(double));
                    }
                });
            NoteKeepFailure(result);
            received = static_cast<unsigned>(m_logSamples.Count());
            if (received > 0)
                m_lastTime = m_logSamples.TimeAt(received - 1);
            m_progressReceived.store(received, std::memory_order_release);
        }
        if (KeepFailed())
            break;
        if (received >= wanted || m_lastTime > duration) {
            m_dvm->AbortMeasureDataLogging();
            // The run's times end here: saving and any message after it are not the run's.
            const SRunTimes times = EndCapture(start, timer);
            if (FinishDataLogging())
                m_finishNotice = times;
            return 1;
        }
        if (m_stopEvent.Wait(0) == platform::eWaitResult::Signaled) {
            m_dvm->AbortMeasureDataLogging();
            EndCapture(start, timer);
            FinishDataLogging();
            return 1;
        }
        reading = m_dvm->ReadDataLoggingBuffer() != 0;
    }
    // The multimeter stopped answering: what arrived is kept and saved, and the user is told, as for
    // a supply whose stream ends.
    const bool lost = !KeepFailed();
    m_dvm->AbortMeasureDataLogging();
    EndCapture(start, timer);
    FinishDataLogging();
    if (lost)
        RunCallFailed(IDS_METER_LINK_LOST);
    return 0;
}

int CMainFrame::DataLoggingDCPS() {
    const std::time_t start = std::time(nullptr);
    CHighResElapsedTimer timer;
    timer.Start();
    if (m_dcps == nullptr) {
        RunStopBox(IDS_NO_SUPPLY);
        return 0;
    }
    if (m_paraDcs.Resource.contains(QStringLiteral("USB"))) {
        RunStopBox(IDS_DATALOGGING_NEEDS_LAN);
        return 0;
    }
    if (m_dcps->SetCurrentNPLC(m_paraDcs.DcsNplcDLOG) == 0) {
        RunStopBox(IDS_START_FAILED);
        return 0;
    }
    const unsigned wanted =
        WantedCount(m_paraDcs.DataLogging, m_paraDcs.DcsNplcDLOG, m_paraDcs.LineFrequency);
    m_paraDcs.DataLogging.DataAcqNumber = wanted;
    const double duration = AcquisitionSeconds(m_paraDcs.DataLogging);
    if (wanted == 0)
        return 0;
    // The page is cleared for a supply run as for a multimeter run: it must not keep the last run's line.
    PrepareDataLogging(wanted);
    if (m_dcps->InitialMeasure_DataLogging() == 0) {
        RunStopBox(IDS_START_FAILED);
        return 0;
    }
    // The supply's output is on now: the pane shows it so.
    UpdateSupplyReadout(QString());
    if (StartDataStream(wanted) == 0) {
        m_dcps->AbortMeasureDataLogging();
        return 0;
    }
    BeginDataLogging(wanted, 2);

    enum { eRunning, eComplete, eStopped, eFailed, eRefused, eLinkLost } end = eRunning;
    while (end == eRunning) {
        const bool stop = m_stopEvent.Wait(kSupplyPollMs) == platform::eWaitResult::Signaled;
        const auto received = static_cast<unsigned>(m_parseThread.Received());
        m_lastTime = m_parseThread.LastTime();
        m_progressReceived.store(received, std::memory_order_release);
        NoteKeepFailure(m_parseThread.StoreResult());
        if (KeepFailed())
            end = eFailed;
        else if (received >= wanted || m_lastTime > duration)
            end = eComplete;
        else if (stop)
            end = eStopped;
        else if (m_streamRefusal.load(std::memory_order_acquire) != 0)
            end = eRefused;
        else if (m_tcpClient.LinkLost())
            end = eLinkLost;
    }
    // The last bytes that arrived are parsed before the final update takes the counts.
    EndDataStream();
    NoteKeepFailure(m_parseThread.StoreResult());
    m_invalidFrames.store(m_parseThread.InvalidFrames(), std::memory_order_relaxed);
    m_dcps->AbortMeasureDataLogging();
    const SRunTimes times = EndCapture(start, timer);
    const bool kept = FinishDataLogging();
    if (end == eRefused)
        RunStopBox(m_streamRefusal.load(std::memory_order_acquire));
    if (end == eLinkLost)
        RunStopBox(IDS_SUPPLY_LINK_LOST);
    if (end == eComplete && kept)
        m_finishNotice = times;
    return (end == eComplete || end == eStopped) && kept ? 1 : 0;
}

// ---- refresh timer and update thread ------------------------------------------------------------

void CMainFrame::SetDataLoggingTimer(bool on) {
    if (QThread::currentThread() != thread()) {
        RunOnUiThread([this, on] { SetDataLoggingTimer(on); });
        return;
    }
    if (m_dataLoggingTimer == nullptr) {
        m_dataLoggingTimer = new QTimer(this);
        connect(m_dataLoggingTimer, &QTimer::timeout, this, [this] { OnTimer(kDataLoggingTimerId); });
    }
    if (!on) {
        m_dataLoggingTimer->stop();
        return;
    }
    m_dataLoggingTimer->start(RefreshSeconds(m_run.elapsedRefresh) * 1000);
}

void CMainFrame::OnTimer(int id) {
    // A tick while an update runs is dropped, not counted.
    if (id != kDataLoggingTimerId || m_updateRunning.load(std::memory_order_acquire))
        return;
    if (m_updateThread.joinable())
        m_updateThread.join();
    m_tickCounter.fetch_add(1, std::memory_order_relaxed);
    SDataLogProgress snapshot;
    snapshot.wanted = m_progressWanted.load(std::memory_order_relaxed);
    snapshot.received = m_progressReceived.load(std::memory_order_acquire);
    snapshot.finished = m_progressFinished.load(std::memory_order_acquire);
    snapshot.kind = m_progressKind.load(std::memory_order_relaxed);
    if (snapshot.received != 0) {
        m_updateRunning.store(true, std::memory_order_release);
        m_updateFinished.store(false, std::memory_order_release);
        try {
            m_updateThread = std::thread([this, snapshot] {
                UpdateThreadProc(snapshot);
                m_updateRunning.store(false, std::memory_order_release);
                m_updateFinished.store(true, std::memory_order_release);
            });
        } catch (const std::system_error&) {
            // No thread to be had now (memory at its limit): the next tick or the run's end takes it.
            m_updateRunning.store(false, std::memory_order_release);
            m_updateFinished.store(true, std::memory_order_release);
        }
    }
    if (snapshot.finished != 0 || snapshot.received >= snapshot.wanted)
        SetDataLoggingTimer(false);
}

bool CMainFrame::HandToPage(unsigned start, unsigned count, int kind) {
    if (m_pageDataLogging == nullptr)
        return true;
    int kept = 1;
    // The plot belongs to the user-interface thread: only the new samples are handed over there.
    RunOnUiThread([&] { kept = m_pageDataLogging->AppendMeasuredSamples(m_logSamples, start, count, kind); });
    return kept != 0;
}

int CMainFrame::WriteAutoSave(unsigned count) {
    std::vector<CBinDataFile::SColumnPiece> times, values;
    m_logSamples.ForEachSegment(0, count, [&](std::size_t, const double* t, const double* v, std::size_t n) {
        times.push_back({t, n});
        values.push_back({v, n});
    });
    CBinDataFile file;
    return file.Write(times, values, m_autoSaveName);
}

void CMainFrame::UpdateThreadProc(SDataLogProgress snapshot) {
    if (snapshot.received > m_shownCount && !m_pageFull) {
        if (HandToPage(m_shownCount, snapshot.received - m_shownCount, snapshot.kind)) {
            m_shownCount = snapshot.received;
        } else {
            // The page keeps what it had; the run ends, and its file keeps every sample.
            m_pageFull = true;
            NoteKeepFailure(CSampleStore::eAppend::OutOfMemory);
        }
    }
    if (snapshot.finished == 0 && snapshot.received < snapshot.wanted) {
        if (m_tickCounter.load(std::memory_order_relaxed) < kTicksPerSave)
            return;
        m_tickCounter.store(0, std::memory_order_relaxed);
    }
    // A run that received nothing has nothing to save.
    if (snapshot.received == 0 || !m_autoSaveOn.load(std::memory_order_relaxed))
        return;
    if (WriteAutoSave(snapshot.received) == 0) {
        // Later ticks do not try again; the run reports it at its end.
        m_autoSaveOn.store(false, std::memory_order_relaxed);
        m_autoSaveFailed.store(true, std::memory_order_relaxed);
    }
}

void CMainFrame::JoinDataLoggingThreads() {
    SetDataLoggingTimer(false);
    platform::JoinPumping(m_updateThread, m_updateFinished);
    m_tcpClient.Close();
    m_parseThread.Finish();
}
