// The settings dialogs of the main frame: instruments and measure mode, connection, protection, and
// the measurement settings of the selected page.
#include "lumora/LumoraStrings.h"
#include "lumora/core/MainFrame.h"

#include "lumora/core/MainPreferences.h"
#include "lumora/shell/DlgPropertyVISARes.h"
#include "lumora/shell/DockingPaneViewDCSource.h"
#include "lumora/shell/QXDialogPaneDCSource.h"
#include "lumora/shell/QXDialogSettingsCurrProtect.h"
#include "lumora/shell/QXDialogSettingsInstru.h"
#include "lumora/shell/QXDialogSettingsMeasCurr.h"
#include "lumora/shell/QXDialogSettingsMeasDataLog.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"
#include "supplydrv/EntityInstruDCPS.h"

namespace {

using platform::StopBox;

} // namespace

// The measure thread reads the records and the measure mode from its start, before its running flag
// is set, so a thread that exists counts as a run.
bool CMainFrame::RefuseWhileMeasuring() {
    if (!IsRunning() && !MeasureThreadExists())
        return false;
    StopBox(IDS_MEASURE_RUNNING_CANCELLED);
    return true;
}

// The save has said why when it failed: once is enough.
int CMainFrame::SaveInstrumentFile(bool supply) {
    return supply ? SaveSupplyFile() : SaveMultimeterFile();
}

void CMainFrame::OnInstruments() {
    if (m_preferences == nullptr) {
        StopBox(IDS_NO_PREFERENCES);
        return;
    }
    if (RefuseWhileMeasuring())
        return;
    CQXDialogSettingsInstru dialog(m_preferences->MeasureMode, this);
    if (dialog.exec() != QDialog::Accepted || dialog.MeasureMode() == m_preferences->MeasureMode)
        return;
    m_preferences->MeasureMode = dialog.MeasureMode();
    ResetMultimeterTiming(m_preferences->MeasureMode);
    SaveMainConfiguration();
    ApplyMeasureModeToPanes();
}

void CMainFrame::OnMeasureSettings() {
    if (RefuseWhileMeasuring() || m_preferences == nullptr)
        return;
    if (m_selectedPage == ID_MEASURE_CURRENT)
        EditCurrentSettings();
    else if (m_selectedPage == ID_MEASURE_DATALOGGING)
        EditDataLoggingSettings();
}

void CMainFrame::EditCurrentSettings() {
    const int mode = m_preferences->MeasureMode;
    if (mode == 0 || mode == 2) {
        CQXDialogSettingsMeasCurr dialog(m_paraDvm.CaptCurr, m_paraDvm.NplcCurr, m_paraDvm.LineFrequency,
                                         mode, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        m_paraDvm.CaptCurr = dialog.CaptureTime();
        m_paraDvm.NplcCurr = dialog.Nplc();
        SaveInstrumentFile(false);
    } else if (mode == 1) {
        CQXDialogSettingsMeasCurr dialog(m_paraDcs.TriggerTimeout, m_paraDcs.DcsNplcCurr,
                                         m_paraDcs.LineFrequency, mode, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        m_paraDcs.TriggerTimeout = dialog.CaptureTime();
        m_paraDcs.DcsNplcCurr = dialog.Nplc();
        SaveInstrumentFile(true);
    }
}

void CMainFrame::EditDataLoggingSettings() {
    const int mode = m_preferences->MeasureMode;
    if (mode != 0 && mode != 1 && mode != 2)
        return;
    const bool supply = mode == 1;
    CParameterMeasDataLogging block = supply ? m_paraDcs.DataLogging : m_paraDvm.DataLogging;
    double& nplc = supply ? m_paraDcs.DcsNplcDLOG : m_paraDvm.NplcDLog;
    const double lineFrequency = supply ? m_paraDcs.LineFrequency : m_paraDvm.LineFrequency;
    CQXDialogSettingsMeasDataLog dialog(&block, nplc, lineFrequency, mode, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    (supply ? m_paraDcs.DataLogging : m_paraDvm.DataLogging) = block;
    nplc = dialog.Nplc();
    SaveInstrumentFile(supply);
}

namespace {

// Takes the supply's error queue, oldest first; empty when it holds none. Bounded: a queue that never
// says it is empty is not read for ever.
QStringList TakeSupplyErrors(CEntityInstruDCPS& supply) {
    constexpr int kMostErrors = 32;
    QStringList errors;
    for (int i = 0; i < kMostErrors; ++i) {
        int occurred = 0;
        if (supply.IsSystemErrorOccured(occurred) == 0 || occurred == 0)
            break;
        errors << supply.GetDataString().trimmed();
    }
    return errors;
}

} // namespace

// The protection levels to the supply, then read back: a level the supply refused is said with the
// supply's own error, and the record keeps what the supply holds.
void CMainFrame::ProgramProtection() {
    TakeSupplyErrors(*m_dcps);
    m_dcps->SetVoltageLimit(m_paraDcs.VoltageLimit);
    m_dcps->SetVoltageProtection(m_paraDcs.VoltageProtection);
    m_dcps->SetCurrentLimit(m_paraDcs.CurrentLimit);
    m_dcps->SetCurrentProtection(m_paraDcs.CurrentProtection);
    const QStringList errors = TakeSupplyErrors(*m_dcps);
    for (auto [read, field] :
         {std::pair{&CEntityInstruDCPS::GetVoltageLimit, &m_paraDcs.VoltageLimit},
          std::pair{&CEntityInstruDCPS::GetVoltageProtection, &m_paraDcs.VoltageProtection},
          std::pair{&CEntityInstruDCPS::GetCurrentLimit, &m_paraDcs.CurrentLimit},
          std::pair{&CEntityInstruDCPS::GetCurrentProtection, &m_paraDcs.CurrentProtection}}) {
        QString held;
        if ((m_dcps->*read)(held) != 0 && !held.isEmpty())
            *field = held;
    }
    if (!errors.isEmpty())
        StopBox(platform::LoadString(IDS_SUPPLY_REFUSED).replace(QStringLiteral("%s"), errors.join(u'\n')));
}

platform::LRESULT CMainFrame::OnInstrumentDialogMessage(platform::WPARAM which, platform::LPARAM program) {
    if (RefuseWhileMeasuring())
        return 0;
    if (which == 0 || which == 1) {
        const bool supply = which == 1;
        CParameterInstru& record = supply ? static_cast<CParameterInstru&>(m_paraDcs) : m_paraDvm;
        CParameterInstru copy = record;
        CDlgPropertyVISARes dialog(copy, this);
        if (dialog.exec() != QDialog::Accepted)
            return 0;
        record = copy;
        SaveInstrumentFile(supply);
        if (program == 0)
            return 0;
        if (supply)
            return ProgramSupply() != 0 && PrepareSupplyForPage() != 0 ? 1 : 0;
        if (ProgramMultimeter() == 0)
            return 0;
        PrepareMultimeterForPage();
        return 1;
    }
    if (which == 3) {
        CParameterInstruDCSource copy = m_paraDcs;
        CQXDialogSettingsCurrProtect dialog(copy, this);
        if (dialog.exec() != QDialog::Accepted)
            return 0;
        m_paraDcs = copy;
        if (program != 0 && m_dcps != nullptr && m_dcps->IsInstruConnected())
            ProgramProtection();
        // Saved once the supply has said what it holds: the file keeps no level it refused.
        SaveInstrumentFile(true);
        // The new protection levels are the bounds of the DC source pane's edits.
        if (m_paneDcs != nullptr)
            m_paneDcs->Form()->UpdateFromParameter();
        return 0;
    }
    return 0;
}
