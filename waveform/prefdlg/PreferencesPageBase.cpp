#include "waveform/prefdlg/PreferencesPageBase.h"

CPreferencesPageBase::CPreferencesPageBase(QWidget* parent) : QWidget(parent) {}

CPreferencesPageBase::~CPreferencesPageBase() = default;

bool CPreferencesPageBase::CreatePage() {
    if (!m_pageCreated)
        m_pageCreated = OnCreatePage();
    return m_pageCreated;
}

bool CPreferencesPageBase::UpdateData(bool save) {
    if (!m_pageCreated)
        return true;
    return DoDataExchange(save);
}
