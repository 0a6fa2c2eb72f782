#include "lumora/shell/PaneToolBar.h"

#include "lumora/core/MainFrame.h"
#include "lumora/shell/PaneCommon.h"
#include "platform/ControlId.h"
#include "platform/StringTable.h"

#include <QAction>
#include <QToolBar>

namespace shell {

QToolBar* CreatePaneToolBar(QWidget* pane, int toolbarId, std::initializer_list<int> commands,
                            const std::function<void(int)>& run) {
    RegisterPaneStrings();
    auto* toolbar = new QToolBar(pane);
    platform::SetControlId(toolbar, toolbarId);
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (int id : commands) {
        const QStringList parts = platform::LoadString(id).split(u'\n');
        QAction* action = toolbar->addAction(parts.value(1, parts.value(0)));
        action->setToolTip(parts.value(0));
        action->setStatusTip(parts.value(0));
        action->setObjectName(QString::number(id));
        QObject::connect(action, &QAction::triggered, pane, [run, id] { run(id); });
    }
    return toolbar;
}

QAction* FindPaneCommand(const QToolBar* toolbar, int id) {
    for (QAction* action : toolbar->actions()) {
        if (action->objectName() == QString::number(id))
            return action;
    }
    return nullptr;
}

void FollowRunState(QWidget* pane, const std::function<void(bool running)>& lock) {
    CMainFrame* frame = FindMainFrame(pane);
    QAction* start = frame != nullptr ? frame->CommandAction(CMainFrame::ID_MEASURE_START) : nullptr;
    if (start == nullptr)
        return;
    QObject::connect(start, &QAction::changed, pane, [start, lock] { lock(!start->isEnabled()); });
}

} // namespace shell
