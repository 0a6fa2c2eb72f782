#include "lumora/shell/PaneToolBar.h"

#include "lumora/LumoraStrings.h"
#include "lumora/core/MainFrame.h"
#include "lumora/shell/FrameBars.h"
#include "lumora/shell/PaneCommon.h"
#include "platform/ControlId.h"
#include "platform/StringTable.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

namespace shell {

QIcon PaneCommandIcon(int id) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (id) {
    case ID_REFRESH: // refresh: a circular arrow
        PaintCircularArrow(painter, QRectF(0, 0, 16, 16), QColor(0x20, 0x80, 0x30));
        break;
    case ID_CONNECTION: { // connection: a plug with its cord
        painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5));
        painter.setBrush(QColor(0x40, 0x70, 0xC0));
        painter.drawRoundedRect(QRectF(3.5, 5.5, 7, 6), 1.5, 1.5);
        painter.drawLine(QPointF(10.5, 7), QPointF(14, 7));
        painter.drawLine(QPointF(10.5, 10), QPointF(14, 10));
        painter.setBrush(Qt::NoBrush);
        QPainterPath cord(QPointF(3.5, 8.5));
        cord.cubicTo(QPointF(0.5, 8.5), QPointF(1.5, 14.5), QPointF(5, 14.5));
        painter.drawPath(cord);
        break;
    }
    case ID_PROTECTION: { // protection: a shield
        QPainterPath shield;
        shield.moveTo(8, 1.5);
        shield.lineTo(14, 3.5);
        shield.cubicTo(QPointF(14, 10), QPointF(11, 13), QPointF(8, 14.5));
        shield.cubicTo(QPointF(5, 13), QPointF(2, 10), QPointF(2, 3.5));
        shield.closeSubpath();
        painter.setPen(QPen(QColor(0x80, 0x50, 0x00), 1.2));
        painter.setBrush(QColor(0xF0, 0xB0, 0x20));
        painter.drawPath(shield);
        break;
    }
    default:
        return QIcon();
    }
    painter.end();
    return QIcon(pixmap);
}

CClassToolBar::CClassToolBar(QWidget* parent, int toolbarId, std::initializer_list<int> commands,
                             const std::function<void(int)>& run)
    : QToolBar(parent) {
    RegisterPaneStrings();
    platform::SetControlId(this, toolbarId);
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (int id : commands) {
        const QStringList parts = platform::LoadString(id).split(u'\n');
        QAction* action = addAction(PaneCommandIcon(id), parts.value(1, parts.value(0)));
        action->setToolTip(parts.value(1, parts.value(0)));
        action->setStatusTip(parts.value(0));
        action->setObjectName(QString::number(id));
        QObject::connect(action, &QAction::triggered, parent, [run, id] { run(id); });
    }
}

void CClassToolBar::OnUpdateCmdUI() {
    auto* owner = dynamic_cast<CToolBarOwner*>(Owner());
    for (QAction* action : actions()) {
        const int id = action->objectName().toInt();
        if (id == 0)
            continue;
        platform::CCmdUI ui(static_cast<unsigned>(id));
        if (owner != nullptr)
            owner->OnUpdateToolBarCommand(ui);
        action->setEnabled(ui.m_enabled);
    }
}

QAction* CClassToolBar::FindCommand(int id) const {
    for (QAction* action : actions()) {
        if (action->objectName() == QString::number(id))
            return action;
    }
    return nullptr;
}

CDockingPaneViewDCSourceMenuButton::CDockingPaneViewDCSourceMenuButton(int command, QMenu* menu,
                                                                       QWidget* parent)
    : QToolButton(parent), m_command(command) {
    setIcon(PaneCommandIcon(command));
    setIconSize(QSize(16, 16));
    setPopupMode(QToolButton::MenuButtonPopup);
    setMenu(menu);
    if (menu != nullptr) {
        for (QAction* action : menu->actions()) {
            const QIcon icon = PaneCommandIcon(action->objectName().toInt());
            if (!icon.isNull())
                action->setIcon(icon);
        }
    }
}

void FollowRunState(QWidget* pane, const std::function<void(bool running)>& lock) {
    CMainFrame* frame = FindMainFrame(pane);
    QAction* start = frame != nullptr ? frame->CommandAction(CMainFrame::ID_MEASURE_START) : nullptr;
    if (start == nullptr)
        return;
    QObject::connect(start, &QAction::changed, pane, [start, lock] { lock(!start->isEnabled()); });
}

} // namespace shell
