#pragma once

#include "platform/CommandRouter.h"

#include <QString>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <initializer_list>

class QAction;
class QWidget;

namespace shell {

// Whoever a pane toolbar asks for the state of its commands.
class CToolBarOwner {
public:
    virtual ~CToolBarOwner() = default;
    virtual void OnUpdateToolBarCommand(platform::CCmdUI& ui) = 0;
};

// The toolbar of a docking pane: one button per command id, each drawn with the command's picture
// (the pane toolbar's image strip) and carrying the command's texts (status prompt, a line break,
// then the tooltip). The states of its commands come from its owner, the pane's parent when no
// owner is set; it is not one of the toolbars the user customises.
class CClassToolBar : public QToolBar {
public:
    CClassToolBar(QWidget* parent, int toolbarId, std::initializer_list<int> commands,
                  const std::function<void(int)>& run);

    void SetOwner(QWidget* owner) { m_owner = owner; }
    QWidget* Owner() const { return m_owner != nullptr ? m_owner : parentWidget(); }
    // Asks the owner for the state of every command and shows it.
    void OnUpdateCmdUI();
    bool AllowShowOnList() const { return false; }
    QAction* FindCommand(int id) const;

private:
    QWidget* m_owner = nullptr;
};

// The multimeter pane's toolbar.
class CDockingPaneViewDVMToolBar : public CClassToolBar {
public:
    CDockingPaneViewDVMToolBar(QWidget* parent, int toolbarId, std::initializer_list<int> commands,
                               const std::function<void(int)>& run)
        : CClassToolBar(parent, toolbarId, commands, run) {}
};

// A toolbar button that opens a menu of commands and draws with the pictures the pane toolbars
// share: its own command's picture, and each menu command's beside it.
class CDockingPaneViewDCSourceMenuButton : public QToolButton {
public:
    CDockingPaneViewDCSourceMenuButton(int command, QMenu* menu, QWidget* parent = nullptr);
    int Command() const { return m_command; }

private:
    int m_command;
};

// The picture of a pane toolbar command (ID_REFRESH, ID_CONNECTION, ID_PROTECTION); null for
// another id.
QIcon PaneCommandIcon(int id);
// Keeps the form locked while the frame of the pane runs a measurement: the start command of the
// frame is disabled exactly then.
void FollowRunState(QWidget* pane, const std::function<void(bool running)>& lock);

} // namespace shell
