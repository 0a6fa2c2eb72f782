#include "lumora/shell/DockingPaneViewDVM.h"

#include "lumora/shell/OnlineIcon.h"

#include <QLabel>
#include <QVBoxLayout>

CDockingPaneViewDVM::CDockingPaneViewDVM(const QString& caption, QWidget* parent)
    : QDockWidget(caption, parent) {
    setObjectName(QStringLiteral("pane_%1").arg(kPaneId));
    auto* form = new QWidget(this);
    auto* layout = new QVBoxLayout(form);
    m_onlineIcon = new QLabel(form);
    m_onlineIcon->setObjectName(QString::number(kOnlineIconId));
    layout->addWidget(m_onlineIcon);
    layout->addStretch();
    setWidget(form);
    SetOnlineState(0);
}

void CDockingPaneViewDVM::SetOnlineState(int state) {
    m_online = state;
    m_onlineIcon->setPixmap(shell::OnlineIcon(state != 0));
    m_onlineIcon->setToolTip(state != 0 ? QStringLiteral("online") : QStringLiteral("offline"));
    m_onlineIcon->repaint();
}

void CDockingPaneViewDVM::EnableControls(bool enable) {
    m_controlsEnabled = enable;
}
