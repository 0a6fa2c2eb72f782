#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>

class QAction;

namespace platform {

// The command id an action carries; 0 when it carries none.
void SetCommandId(QAction* action, unsigned id);
unsigned CommandId(const QAction* action);

// What an update handler may change about its command's actions.
class CCmdUI {
public:
    explicit CCmdUI(unsigned id) : m_nID(id) {}
    void Enable(bool enable = true) {
        m_enabled = enable;
        m_enableSet = true;
    }
    // 0 unchecked, 1 checked; the actions become checkable.
    void SetCheck(int check = 1) { m_check = check; }
    void SetText(const QString& text) { m_text = text; }

    unsigned m_nID;
    bool m_enabled = true;
    bool m_enableSet = false;
    int m_check = -1;
    QString m_text;
};

// Routes commands by id to handlers and keeps the actions that carry them up to date: when the
// user-interface thread's event loop goes idle, every action's update handler sets its enabled and
// checked states. A command without a handler and without an update handler is disabled.
class CCommandRouter : public QObject {
public:
    using Handler = std::function<void(unsigned id)>;
    using UpdateHandler = std::function<void(CCmdUI& cmdUI)>;

    explicit CCommandRouter(QObject* parent = nullptr);
    ~CCommandRouter() override;

    void OnCommand(unsigned id, std::function<void()> handler);
    void OnCommandRange(unsigned first, unsigned last, Handler handler);
    void OnUpdateCommand(unsigned id, UpdateHandler handler);
    void OnUpdateCommandRange(unsigned first, unsigned last, UpdateHandler handler);

    // Gives the action the id; its triggering runs the id's handler.
    void AddAction(QAction* action, unsigned id);
    void RemoveAction(QAction* action);

    // Runs the id's handler; false when it has none.
    bool Execute(unsigned id);
    bool HasHandler(unsigned id) const;
    // Runs every update handler now.
    void UpdateCommandUI();

private:
    struct Range {
        unsigned last;
        Handler handler;
    };
    struct UpdateRange {
        unsigned last;
        UpdateHandler handler;
    };
    const Handler* FindHandler(unsigned id) const;
    const UpdateHandler* FindUpdateHandler(unsigned id) const;
    void UpdateAction(QAction* action);

    std::map<unsigned, Range> m_handlers;      // by first id
    std::map<unsigned, UpdateRange> m_updates; // by first id
    std::map<QAction*, QMetaObject::Connection> m_actions;
    QMetaObject::Connection m_idle;
    bool m_updating = false;
};

} // namespace platform
