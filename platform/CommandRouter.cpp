#include "CommandRouter.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QThread>
#include <vector>

namespace platform {
namespace {
constexpr char kCommandIdProperty[] = "commandId";

template <typename Map>
auto FindInRanges(const Map& map, unsigned id) -> decltype(&map.begin()->second.handler) {
    auto it = map.upper_bound(id);
    if (it == map.begin())
        return nullptr;
    --it;
    return id <= it->second.last ? &it->second.handler : nullptr;
}
} // namespace

void SetCommandId(QAction* action, unsigned id) {
    action->setProperty(kCommandIdProperty, id);
}

unsigned CommandId(const QAction* action) {
    const QVariant id = action->property(kCommandIdProperty);
    return id.isValid() ? id.toUInt() : 0u;
}

CCommandRouter::CCommandRouter(QObject* parent) : QObject(parent) {
    // Idle is when the thread's event loop is about to wait for more events.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        m_idle = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                         &CCommandRouter::UpdateCommandUI);
}

CCommandRouter::~CCommandRouter() {
    disconnect(m_idle);
    for (auto& [action, connection] : m_actions)
        disconnect(connection);
}

void CCommandRouter::OnCommand(unsigned id, std::function<void()> handler) {
    m_handlers[id] = Range{id, [handler = std::move(handler)](unsigned) { handler(); }};
}

void CCommandRouter::OnCommandRange(unsigned first, unsigned last, Handler handler) {
    m_handlers[first] = Range{last, std::move(handler)};
}

void CCommandRouter::OnUpdateCommand(unsigned id, UpdateHandler handler) {
    m_updates[id] = UpdateRange{id, std::move(handler)};
}

void CCommandRouter::OnUpdateCommandRange(unsigned first, unsigned last, UpdateHandler handler) {
    m_updates[first] = UpdateRange{last, std::move(handler)};
}

const CCommandRouter::Handler* CCommandRouter::FindHandler(unsigned id) const {
    return FindInRanges(m_handlers, id);
}

const CCommandRouter::UpdateHandler* CCommandRouter::FindUpdateHandler(unsigned id) const {
    return FindInRanges(m_updates, id);
}

void CCommandRouter::AddAction(QAction* action, unsigned id) {
    RemoveAction(action);
    SetCommandId(action, id);
    m_actions[action] =
        connect(action, &QAction::triggered, this, [this, action] { Execute(CommandId(action)); });
    connect(action, &QObject::destroyed, this, [this, action] { m_actions.erase(action); });
    UpdateAction(action);
}

void CCommandRouter::RemoveAction(QAction* action) {
    const auto found = m_actions.find(action);
    if (found == m_actions.end())
        return;
    disconnect(found->second);
    m_actions.erase(found);
}

bool CCommandRouter::Execute(unsigned id) {
    const Handler* handler = FindHandler(id);
    if (handler == nullptr)
        return false;
    // A copy, so that a handler may replace its own registration.
    const Handler run = *handler;
    run(id);
    return true;
}

bool CCommandRouter::HasHandler(unsigned id) const {
    return FindHandler(id) != nullptr;
}

void CCommandRouter::UpdateAction(QAction* action) {
    const unsigned id = CommandId(action);
    CCmdUI cmdUI(id);
    if (const UpdateHandler* update = FindUpdateHandler(id)) {
        const UpdateHandler run = *update;
        run(cmdUI);
        if (!cmdUI.m_enableSet)
            cmdUI.m_enabled = HasHandler(id);
    } else {
        cmdUI.m_enabled = HasHandler(id);
    }
    if (action->isEnabled() != cmdUI.m_enabled)
        action->setEnabled(cmdUI.m_enabled);
    if (cmdUI.m_check >= 0) {
        if (!action->isCheckable())
            action->setCheckable(true);
        if (action->isChecked() != (cmdUI.m_check != 0))
            action->setChecked(cmdUI.m_check != 0);
    }
    if (!cmdUI.m_text.isNull() && action->text() != cmdUI.m_text)
        action->setText(cmdUI.m_text);
}

void CCommandRouter::UpdateCommandUI() {
    if (m_updating)
        return;
    m_updating = true;
    std::vector<QAction*> actions;
    actions.reserve(m_actions.size());
    for (const auto& entry : m_actions)
        actions.push_back(entry.first);
    for (QAction* action : actions) {
        if (m_actions.count(action) != 0)
            UpdateAction(action);
    }
    m_updating = false;
}

} // namespace platform
