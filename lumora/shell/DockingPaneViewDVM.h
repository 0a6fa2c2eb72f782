#pragma once

#include "lumora/shell/PaneToolBar.h"

#include <QDockWidget>

class QAction;
class QLabel;
class CQXDialogPaneDVM;

// The multimeter's docking pane: a toolbar (connection, refresh, online lamp) over the scrolling
// control form.
class CDockingPaneViewDVM : public QDockWidget, public shell::CToolBarOwner {
public:
    static constexpr int kPaneId = 32814;
    enum : int { ID_TOOLBAR = 271 };

    explicit CDockingPaneViewDVM(const QString& caption, QWidget* parent = nullptr);

    void SetOnlineState(int state);
    int OnlineState() const { return m_online; }
    void SetCommandEnabled(bool enabled);
    bool CommandEnabled() const { return m_commandEnabled; }
    // Enables the form's controls (the trigger controls stay as the trigger mode wants them).
    void EnableControls(bool enable);
    bool ControlsEnabled() const { return m_controlsEnabled; }
    // The form's values from the instrument when it is connected, else from the frame's record.
    void UpdateFromParameter();
    void OnCommand(int id);

    CQXDialogPaneDVM* Form() const { return m_form; }
    QAction* CommandAction(int id) const;
    void OnUpdateToolBarCommand(platform::CCmdUI& ui) override { ui.Enable(m_commandEnabled); }

private:
    shell::CDockingPaneViewDVMToolBar* m_toolbar = nullptr;
    QLabel* m_onlineIcon = nullptr;
    CQXDialogPaneDVM* m_form = nullptr;
    int m_online = 0;
    bool m_commandEnabled = false;
    bool m_controlsEnabled = true;
};
