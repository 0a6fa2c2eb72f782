#pragma once

#include <QDockWidget>

class QLabel;

// The multimeter's docking pane: its online icon and the flag that enables its commands. The control
// form joins it later.
class CDockingPaneViewDVM : public QDockWidget {
public:
    static constexpr int kPaneId = 32814;
    static constexpr int kOnlineIconId = 1075;

    explicit CDockingPaneViewDVM(const QString& caption, QWidget* parent = nullptr);

    void SetOnlineState(int state);
    int OnlineState() const { return m_online; }
    void SetCommandEnabled(bool enabled) { m_commandEnabled = enabled; }
    bool CommandEnabled() const { return m_commandEnabled; }
    // Enables the form's controls (the trigger controls stay as the trigger mode wants them).
    void EnableControls(bool enable);
    bool ControlsEnabled() const { return m_controlsEnabled; }

private:
    QLabel* m_onlineIcon = nullptr;
    int m_online = 0;
    bool m_commandEnabled = false;
    bool m_controlsEnabled = true;
};
