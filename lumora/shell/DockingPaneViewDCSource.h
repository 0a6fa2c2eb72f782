#pragma once

#include "lumora/shell/PaneToolBar.h"

#include <QDockWidget>

class QAction;
class CQXDialogPaneDCSource;

// The DC source's docking pane: a toolbar (connection, protection, refresh) over the scrolling
// control form.
class CDockingPaneViewDCSource : public QDockWidget, public shell::CToolBarOwner {
public:
    static constexpr int kPaneId = 32815;
    static constexpr int kOnlineIconId = 1075;
    enum : int { ID_TOOLBAR = 271 };

    explicit CDockingPaneViewDCSource(const QString& caption, QWidget* parent = nullptr);

    void SetOnlineState(int state);
    int OnlineState() const;
    void SetCommandEnabled(bool enabled);
    bool CommandEnabled() const { return m_commandEnabled; }
    // Enables the form's controls.
    void EnableControls(bool enable);
    bool ControlsEnabled() const { return m_controlsEnabled; }
    // The form's values from the frame's record, then from the instrument when it is connected.
    void UpdateFromParameter();
    // Shows the supply's state during a run; reading is the run's "value,time,..." text.
    void UpdateReadout(const QString& reading);
    // The output state as the instrument has it, once a run has ended.
    void RefreshOutput();
    // Runs a toolbar command as a click does.
    void OnCommand(int id);

    CQXDialogPaneDCSource* Form() const { return m_form; }
    QAction* CommandAction(int id) const;
    void OnUpdateToolBarCommand(platform::CCmdUI& ui) override { ui.Enable(m_commandEnabled); }

private:
    shell::CClassToolBar* m_toolbar = nullptr;
    CQXDialogPaneDCSource* m_form = nullptr;
    bool m_commandEnabled = false;
    bool m_controlsEnabled = true;
};
