#pragma once

#include "platform/MessageTarget.h"

#include <QWidget>
#include <vector>

class CPreferencesPageBase;

// The area of a preference dialog that shows one page at a time, sized to the host. It answers
// PSM_GETCURRENTPAGEHWND with the active page's window (0 when none).
class CPropertyPageHost : public QWidget, public platform::CMessageTarget {
public:
    static constexpr platform::UINT PSM_GETCURRENTPAGEHWND = platform::WM_USER + 118;

    struct PAGEITEM {
        CPreferencesPageBase* Page = nullptr;
        QString Title;
        unsigned UserData = 0;
    };

    explicit CPropertyPageHost(QWidget* parent = nullptr);
    ~CPropertyPageHost() override;

    // Appends a page once; 1 for a page (also one already there), 0 for none.
    int AddPage(CPreferencesPageBase* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPreferencesPageBase* GetPage(int index) const;
    int GetPageIndex(const CPreferencesPageBase* page) const;

    // Creates the page on its first activation, hides the previous one and shows this one; 0 when
    // the index is outside the pages or the page cannot be created (the previous page stays).
    int SetActivePage(int index);
    int GetActiveIndex() const { return m_active; }
    // The active page when it exists, else null.
    CPreferencesPageBase* GetActivePage() const;

    // Exchange and validation of every created page, last first; 0 at the first refusal.
    int ValidateAll();

    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::vector<PAGEITEM> m_pages;
    int m_active = -1;
};
