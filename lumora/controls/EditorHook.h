#pragma once

#include <QObject>
#include <map>
#include <mutex>

class QWidget;

namespace controls {

class CListCtrlEx;

// Watches the in-place editors of every list: keys that end an edit, focus loss and destruction.
// One hook serves all lists; it lives while a list exists. Its map of editors is the one lock.
class CEditorHook : public QObject {
public:
    static void Acquire();
    static void Release();
    // The hook while any list exists, else null.
    static CEditorHook* Instance();

    void Register(QWidget* editor, CListCtrlEx* list);
    void Unregister(QWidget* editor);
    CListCtrlEx* Lookup(QWidget* editor) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CEditorHook() = default;

    mutable std::mutex m_mutex;
    std::map<QWidget*, CListCtrlEx*> m_editors;
};

} // namespace controls
