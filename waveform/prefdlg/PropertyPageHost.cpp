#include "waveform/prefdlg/PropertyPageHost.h"

#include "waveform/prefdlg/PreferencesPageBase.h"

#include <QResizeEvent>
#include <algorithm>

namespace {

void FocusFirstTabStop(QWidget* page) {
    for (QWidget* w = page->nextInFocusChain(); w != nullptr && w != page; w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(page) &&
            w->isEnabled()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

} // namespace

CPropertyPageHost::CPropertyPageHost(QWidget* parent) : QWidget(parent) {}

CPropertyPageHost::~CPropertyPageHost() = default;

int CPropertyPageHost::AddPage(CPreferencesPageBase* page) {
    if (page == nullptr)
        return 0;
    if (GetPageIndex(page) < 0)
        m_pages.push_back({page, QString(), 0});
    return 1;
}

CPreferencesPageBase* CPropertyPageHost::GetPage(int index) const {
    if (index < 0 || index >= GetPageCount())
        return nullptr;
    return m_pages[static_cast<std::size_t>(index)].Page;
}

int CPropertyPageHost::GetPageIndex(const CPreferencesPageBase* page) const {
    auto it = std::find_if(m_pages.begin(), m_pages.end(),
                           [page](const PAGEITEM& item) { return item.Page == page; });
    return it == m_pages.end() ? -1 : static_cast<int>(it - m_pages.begin());
}

int CPropertyPageHost::SetActivePage(int index) {
    CPreferencesPageBase* page = GetPage(index);
    if (page == nullptr)
        return 0;
    if (index == m_active)
        return 1;
    if (!page->IsPageCreated()) {
        page->setParent(this);
        page->setGeometry(rect());
        page->hide();
        if (!page->CreatePage())
            return 0;
        page->UpdateData(false);
    }
    if (CPreferencesPageBase* previous = GetActivePage()) {
        previous->hide();
        previous->OnKillActive();
    }
    page->OnSetActive();
    page->setGeometry(rect());
    page->show();
    m_active = index;
    FocusFirstTabStop(page);
    return 1;
}

CPreferencesPageBase* CPropertyPageHost::GetActivePage() const {
    CPreferencesPageBase* page = GetPage(m_active);
    return (page != nullptr && page->IsPageCreated()) ? page : nullptr;
}

int CPropertyPageHost::ValidateAll() {
    for (int i = GetPageCount() - 1; i >= 0; --i) {
        CPreferencesPageBase* page = GetPage(i);
        if (page == nullptr || !page->IsPageCreated())
            continue;
        if (!page->UpdateData(true) || page->ValidatePage() == 0)
            return 0;
    }
    return 1;
}

platform::LRESULT CPropertyPageHost::OnMessage(platform::UINT message, platform::WPARAM, platform::LPARAM) {
    if (message != PSM_GETCURRENTPAGEHWND)
        return 0;
    return reinterpret_cast<platform::LRESULT>(static_cast<QWidget*>(GetActivePage()));
}

void CPropertyPageHost::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (CPreferencesPageBase* page = GetActivePage())
        page->setGeometry(0, 0, event->size().width(), event->size().height());
}
