#include "EditorHook.h"

#include "ListCtrlEx.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

namespace controls {
namespace {

std::mutex g_hookMutex;
int g_lists = 0;
CEditorHook* g_hook = nullptr;

} // namespace

void CEditorHook::Acquire() {
    std::lock_guard lock(g_hookMutex);
    if (g_lists++ == 0)
        g_hook = new CEditorHook;
}

void CEditorHook::Release() {
    std::lock_guard lock(g_hookMutex);
    if (--g_lists == 0) {
        delete g_hook;
        g_hook = nullptr;
    }
}

CEditorHook* CEditorHook::Instance() {
    std::lock_guard lock(g_hookMutex);
    return g_hook;
}

void CEditorHook::Register(QWidget* editor, CListCtrlEx* list) {
    {
        std::lock_guard lock(m_mutex);
        m_editors[editor] = list;
    }
    editor->installEventFilter(this);
}

void CEditorHook::Unregister(QWidget* editor) {
    {
        std::lock_guard lock(m_mutex);
        m_editors.erase(editor);
    }
    editor->removeEventFilter(this);
}

CListCtrlEx* CEditorHook::Lookup(QWidget* editor) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_editors.find(editor);
    return found == m_editors.end() ? nullptr : found->second;
}

bool CEditorHook::eventFilter(QObject* watched, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(watched);
    if (editor == nullptr)
        return false;
    if (event->type() == QEvent::Destroy) {
        std::lock_guard lock(m_mutex);
        m_editors.erase(editor);
        return false;
    }
    CListCtrlEx* list = Lookup(editor);
    if (list == nullptr)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            list->PostEndEdit(true);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            list->PostEndEdit(false);
            return true;
        }
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            list->PostTab(key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier));
            return true;
        }
        break;
    }
    case QEvent::ShortcutOverride: {
        // Enter and Esc belong to the editor while it edits, not to the dialog's buttons.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape)
            event->accept();
        break;
    }
    case QEvent::FocusOut:
        // A drop-down of the editor takes the focus for a while without ending the edit.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            list->PostEndEdit(true);
        break;
    default:
        break;
    }
    return false;
}

} // namespace controls
