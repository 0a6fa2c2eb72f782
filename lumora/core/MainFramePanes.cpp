// What the measure thread shows in the instrument panes.
#include "lumora/core/MainFrame.h"

#include "lumora/shell/DockingPaneViewDCSource.h"

void CMainFrame::UpdateSupplyReadout(const QString& reading) {
    // Widgets belong to the user-interface thread; the thread waits until the pane has drawn.
    RunOnUiThread([&] {
        if (m_paneDcs != nullptr)
            m_paneDcs->UpdateReadout(reading);
    });
}
