#pragma once

#include <QDialog>
#include <QString>
#include <map>

class CPreferencesPageBase;
class CPropertyPageHost;
class QTreeWidget;
class QTreeWidgetItem;

// A preference dialog: a tree of categories on the left, the page host on the right, "默认全部" and
// "默认当前", validation of every page before OK. The first page is always created, so that its
// defaults and checks apply whichever page the dialog opens on; the page active at closing is
// remembered as "StartPage" of section "Preferences" and opened again when it still exists. The pages
// get the profile's section store (CIniSectionStore) once all are added, and again after OK, last page
// first; a store a page changed is written then.
class CPreferencesDlgBase : public QDialog {
public:
    enum : int {
        IDC_HELP = 55107,
        IDC_PLACEHOLDER = 55119,
        IDC_DEFAULTS_ALL = 55120,
        IDC_DEFAULTS_CURRENT = 55121,
        IDC_TREE = 55150,
        IDC_HOST = 0xE900,
    };

    // lastActiveEntry: an entry of section "Preferences" of the dialog's own that remembers the page
    // chosen in the tree and selects it at opening when it exists; empty for none.
    explicit CPreferencesDlgBase(const QString& lastActiveEntry = QString(), QWidget* parent = nullptr);
    ~CPreferencesDlgBase() override;

    int AddPage(CPreferencesPageBase* page);
    virtual int SetActivePage(int index);
    int SetActivePageByData(const CPreferencesPageBase* page);
    CPropertyPageHost* Host() const { return m_host; }
    QTreeWidget* Tree() const { return m_tree; }

    void accept() override;
    void done(int result) override;

protected:
    // Adds the page's item under the path of levels separated by ">" (top levels bold).
    void AddTreeItem(CPreferencesPageBase* page, const QString& path);
    // Hands the pages the section store, then creates the first page, shows the start page and selects
    // its tree item; call once all pages and items are added.
    void ShowStartPage();
    // The caption for a page reached through the tree, given its item's path ("a > b").
    virtual QString CaptionOf(const QString& path) const = 0;
    // "默认全部": every page in order.
    virtual void OnDefaultsAll();

private:
    void OnTreeSelection();
    // Every page gets the store, last page first: loading (save false) or saving; a changed store is
    // written, and a store that could not be written is reported.
    void PassStore(bool save);
    void OnDefaultsCurrent();
    QString ItemPath(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* ItemOfPage(const CPreferencesPageBase* page) const;

    QString m_lastActiveEntry;
    CPropertyPageHost* m_host = nullptr;
    QTreeWidget* m_tree = nullptr;
    std::map<const CPreferencesPageBase*, QTreeWidgetItem*> m_items;
    int m_startPage = -1;
};
