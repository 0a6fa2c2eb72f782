#include "lumora/shell/DockingPaneViewDVM.h"

#include "instruments/meterdrv/EntityInstruDVM.h"
#include "lumora/LumoraStrings.h"
#include "lumora/core/MainFrame.h"
#include "lumora/shell/OnlineIcon.h"
#include "lumora/shell/PaneCommon.h"
#include "lumora/shell/PaneToolBar.h"
#include "lumora/shell/QXDialogPaneDVM.h"

#include <QAction>
#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>

CDockingPaneViewDVM::CDockingPaneViewDVM(const QString& caption, QWidget* parent)
    : QDockWidget(caption, parent) {
    setObjectName(QStringLiteral("pane_%1").arg(kPaneId));
    auto* body = new QWidget(this);
    body->setAutoFillBackground(true);
    body->setBackgroundRole(QPalette::Button);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(1, 0, 1, 1);
    layout->setSpacing(1);
    m_toolbar = new shell::CDockingPaneViewDVMToolBar(body, ID_TOOLBAR, {ID_CONNECTION, ID_REFRESH},
                                                      [this](int id) { OnCommand(id); });
    auto* spacer = new QWidget(m_toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbar->addWidget(spacer);
    m_onlineIcon = new QLabel(m_toolbar);
    m_onlineIcon->setObjectName(QStringLiteral("online"));
    m_toolbar->addWidget(m_onlineIcon);
    m_form = new CQXDialogPaneDVM(body);
    m_form->OnInitDialog();
    layout->addWidget(m_toolbar);
    layout->addWidget(m_form, 1);
    m_toolbar->SetOwner(this);
    setWidget(body);
    setFocusProxy(m_form);
    SetOnlineState(0);
    SetCommandEnabled(false);
    shell::FollowRunState(this, [this](bool running) { m_form->SetRunLock(running); });
}

QAction* CDockingPaneViewDVM::CommandAction(int id) const {
    return m_toolbar->FindCommand(id);
}

void CDockingPaneViewDVM::OnCommand(int id) {
    if (!m_commandEnabled)
        return;
    if (id == ID_CONNECTION) {
        if (platform::SendMessage(shell::FindMainFrame(this), CMainFrame::WM_INSTRUMENT_DIALOG, 0, 1) != 0)
            m_form->Refresh();
    } else if (id == ID_REFRESH) {
        m_form->Refresh();
    }
}

void CDockingPaneViewDVM::SetOnlineState(int state) {
    m_online = state;
    m_onlineIcon->setPixmap(shell::OnlineIcon(state != 0));
    m_onlineIcon->setToolTip(state != 0 ? QStringLiteral("online") : QStringLiteral("offline"));
    m_onlineIcon->repaint();
}

void CDockingPaneViewDVM::SetCommandEnabled(bool enabled) {
    m_commandEnabled = enabled;
    m_toolbar->OnUpdateCmdUI();
}

void CDockingPaneViewDVM::UpdateFromParameter() {
    CMainFrame* frame = shell::FindMainFrame(this);
    if (frame == nullptr)
        return;
    // An instrument that did not answer at start-up is not waited for a second time.
    if (frame->MultimeterDriver() != nullptr && frame->MultimeterDriver()->IsInstruConnected())
        m_form->Refresh();
    else
        m_form->UpdateFromParameter();
}

void CDockingPaneViewDVM::EnableControls(bool enable) {
    m_controlsEnabled = enable;
    m_form->EnableControls(enable);
}
