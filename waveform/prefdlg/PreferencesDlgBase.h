#pragma once

#include <QDialog>
#include <QString>
#include <map>

class CPreferencesPageBase;
class CPropertyPageHost;
class QTreeWidget;
class QTreeWidgetItem;

// A preference dialog: a tree of categories on the left, the page host on the right, "默认全部" and
// "默认当前", validation of every page before OK. The page shown last is remembered under the
// dialog's own profile entry and shown again when it still exists.
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

    // startPageEntry: the entry of section "Preferences" that remembers the page.
    CPreferencesDlgBase(const QString& startPageEntry, QWidget* parent = nullptr);
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
    // Shows the start page and selects its tree item; call once all pages and items are added.
    void ShowStartPage();
    // The caption for a page reached through the tree, given its item's path ("a > b").
    virtual QString CaptionOf(const QString& path) const = 0;
    // "默认全部": every page in order.
    virtual void OnDefaultsAll();

private:
    void OnTreeSelection();
    void OnDefaultsCurrent();
    QString ItemPath(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* ItemOfPage(const CPreferencesPageBase* page) const;

    QString m_startPageEntry;
    CPropertyPageHost* m_host = nullptr;
    QTreeWidget* m_tree = nullptr;
    std::map<const CPreferencesPageBase*, QTreeWidgetItem*> m_items;
    int m_startPage = -1;
};
