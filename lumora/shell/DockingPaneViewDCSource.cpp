#include "lumora/shell/DockingPaneViewDCSource.h"

#include "lumora/LumoraStrings.h"
#include "lumora/core/MainFrame.h"
#include "lumora/shell/PaneCommon.h"
#include "lumora/shell/PaneToolBar.h"
#include "lumora/shell/QXDialogPaneDCSource.h"
#include "supplydrv/EntityInstruDCPS.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>

CDockingPaneViewDCSource::CDockingPaneViewDCSource(const QString& caption, QWidget* parent)
    : QDockWidget(caption, parent) {
    setObjectName(QStringLiteral("pane_%1").arg(kPaneId));
    auto* body = new QWidget(this);
    body->setAutoFillBackground(true);
    body->setBackgroundRole(QPalette::Button);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(1, 0, 1, 1);
    layout->setSpacing(1);
    m_toolbar = new shell::CClassToolBar(body, ID_TOOLBAR, {ID_CONNECTION, ID_PROTECTION, ID_REFRESH},
                                         [this](int id) { OnCommand(id); });
    m_form = new CQXDialogPaneDCSource(body);
    m_form->OnInitDialog();
    layout->addWidget(m_toolbar);
    layout->addWidget(m_form, 1);
    m_toolbar->SetOwner(this);
    setWidget(body);
    setFocusProxy(m_form);
    SetCommandEnabled(false);
    shell::FollowRunState(this, [this](bool running) { m_form->SetRunLock(running); });
}

QAction* CDockingPaneViewDCSource::CommandAction(int id) const {
    return m_toolbar->FindCommand(id);
}

void CDockingPaneViewDCSource::OnCommand(int id) {
    if (!m_commandEnabled)
        return;
    CMainFrame* frame = shell::FindMainFrame(this);
    switch (id) {
    case ID_CONNECTION:
        if (platform::SendMessage(frame, CMainFrame::WM_INSTRUMENT_DIALOG, 1, 1) != 0)
            m_form->Refresh();
        break;
    case ID_PROTECTION:
        platform::SendMessage(frame, CMainFrame::WM_INSTRUMENT_DIALOG, 3, 1);
        // New protection values are the edits' new bounds.
        m_form->UpdateFromParameter();
        break;
    case ID_REFRESH:
        m_form->Refresh();
        break;
    default:
        break;
    }
}

void CDockingPaneViewDCSource::SetOnlineState(int state) {
    m_form->SetOnlineState(state);
}

int CDockingPaneViewDCSource::OnlineState() const {
    return m_form->OnlineState();
}

void CDockingPaneViewDCSource::SetCommandEnabled(bool enabled) {
    m_commandEnabled = enabled;
    m_toolbar->OnUpdateCmdUI();
}

void CDockingPaneViewDCSource::EnableControls(bool enable) {
    m_controlsEnabled = enable;
    m_form->EnableControls(enable);
}

void CDockingPaneViewDCSource::UpdateFromParameter() {
    CMainFrame* frame = shell::FindMainFrame(this);
    // An instrument that did not answer at start-up is not waited for a second time.
    if (frame != nullptr && frame->SupplyDriver() != nullptr && frame->SupplyDriver()->IsInstruConnected())
        m_form->Refresh();
    // The edits' bounds follow the protection the record now holds.
    m_form->UpdateFromParameter();
}

void CDockingPaneViewDCSource::UpdateReadout(const QString& reading) {
    m_form->UpdateReadout(reading);
}

void CDockingPaneViewDCSource::RefreshOutput() {
    m_form->RefreshOutput();
}
