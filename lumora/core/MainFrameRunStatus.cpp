// The run state in the status bar.
#include "lumora/LumoraStrings.h"
#include "lumora/core/MainFrame.h"

#include "platform/MessageBox.h"
#include "platform/ShutDown.h"
#include "platform/StringTable.h"

#include <QStatusBar>
#include <QTimer>

namespace {

// Often enough that the shown seconds never lag by more than a fraction of one.
constexpr int kRunStatusPeriodMs = 250;

QString ElapsedText(qint64 ms) {
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

// The user-interface thread polls the thread-exists flag, so the measure thread needs no call of its own.
void CMainFrame::BeginRunStatus() {
    if (m_runStatusTimer == nullptr) {
        m_runStatusTimer = new QTimer(this);
        m_runStatusTimer->setInterval(kRunStatusPeriodMs);
        connect(m_runStatusTimer, &QTimer::timeout, this, &CMainFrame::UpdateRunStatus);
    }
    m_runClock.start();
    m_runStatusTimer->start();
    UpdateRunStatus();
}

void CMainFrame::UpdateRunStatus() {
    if (MeasureThreadExists() && !m_captureEnded.load(std::memory_order_acquire)) {
        QString text = platform::LoadString(IDS_RUN_STATUS);
        text.replace(QStringLiteral("%s"), ElapsedText(m_runClock.elapsed()));
        statusBar()->showMessage(text);
        return;
    }
    EndRunStatus();
}

void CMainFrame::EndRunStatus() {
    if (m_runStatusTimer != nullptr)
        m_runStatusTimer->stop();
    statusBar()->showMessage(platform::LoadString(IDS_IDLE_MESSAGE));
}

void CMainFrame::RunStopBox(int id) {
    RunStopBox(platform::LoadString(id));
}

void CMainFrame::RunStopBox(const QString& text) {
    m_captureEnded.store(true, std::memory_order_release);
    platform::StopBox(text);
}

void CMainFrame::RunCallFailed(int id) {
    if (!m_stopAsked.load(std::memory_order_acquire) && !platform::IsShuttingDown())
        RunStopBox(id);
}
