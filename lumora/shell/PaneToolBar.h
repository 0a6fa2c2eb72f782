#pragma once

#include <QString>
#include <functional>
#include <initializer_list>

class QAction;
class QToolBar;
class QWidget;

namespace shell {

// A pane's toolbar with one action per command id; each action carries its id and runs the handler.
// The text of a command is its string: tooltip, a line break, then the label.
QToolBar* CreatePaneToolBar(QWidget* pane, int toolbarId, std::initializer_list<int> commands,
                            const std::function<void(int)>& run);
QAction* FindPaneCommand(const QToolBar* toolbar, int id);
// Keeps the form locked while the frame of the pane runs a measurement: the start command of the
// frame is disabled exactly then.
void FollowRunState(QWidget* pane, const std::function<void(bool running)>& lock);

} // namespace shell
