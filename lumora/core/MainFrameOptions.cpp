#include "dialogs/optionsbox/OptionsBox.h"
#include "lumora/LumoraStrings.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/RunLog.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"

#include <QAction>
#include <QMenu>

void CMainFrame::AddOptionsCommand(QMenu* menu) {
    AddCommand(ID_OPTIONS, platform::LoadString(IDS_OPTIONS), [this] { OnOptions(); });
    menu->addSeparator();
    menu->addAction(m_actions[ID_OPTIONS]);
}

// The dialog edits a copy; the run log may rename LogFileName meanwhile, so the copy is taken and
// given back under the log's lock, and the log keeps the name it is writing to.
void CMainFrame::OnOptions() {
    if (m_preferences == nullptr) {
        platform::StopBox(IDS_NO_PREFERENCES);
        return;
    }
    MainPreferences copy = m_runLog ? m_runLog->CopyPreferences() : *m_preferences;
    if (SetPropertyMain(&copy) == 0)
        return;
    if (m_runLog)
        m_runLog->AssignPreferences(copy);
    else
        *m_preferences = copy;
    SaveMainConfiguration();
}
