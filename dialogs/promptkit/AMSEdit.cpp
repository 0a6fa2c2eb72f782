#include "AMSEdit.h"

#include <QApplication>
#include <QKeyEvent>

namespace promptkit {

void CAMSEdit::Behavior::AfterPaste() {
    Redraw();
}

void CAMSEdit::Behavior::Redraw() {
    const QString valid = GetValidText();
    if (valid == m_edit.text())
        return;
    const int start = m_edit.m_selectionStart;
    const int length = m_edit.m_selectionLength;
    m_edit.setText(valid);
    const int end = static_cast<int>(valid.size());
    m_edit.setSelection(std::min(start, end), std::min(length, end - std::min(start, end)));
}

bool CAMSEdit::Behavior::ShouldEnter(QChar) const {
    return true;
}

CAMSEdit::CAMSEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textEdited, this, &CAMSEdit::OnTextEdited);
    // The selection before an edit is the one a paste keeps; the signals come after textEdited.
    connect(this, &QLineEdit::selectionChanged, this, &CAMSEdit::RememberSelection);
    connect(this, &QLineEdit::cursorPositionChanged, this, &CAMSEdit::RememberSelection);
}

void CAMSEdit::RememberSelection() {
    if (hasSelectedText()) {
        m_selectionStart = selectionStart();
        m_selectionLength = static_cast<int>(selectedText().size());
    } else {
        m_selectionStart = cursorPosition();
        m_selectionLength = 0;
    }
}

void CAMSEdit::SetWindowText(const QString& text) {
    setText(text);
    if (m_behavior != nullptr) {
        RememberSelection();
        m_behavior->Redraw();
    }
}

void CAMSEdit::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    // Shortcuts carry their letter as text too; only plain characters are typing.
    const bool printable =
        text.size() == 1 && text.at(0).isPrint() &&
        (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier)) == 0;
    if (m_behavior != nullptr && printable) {
        if (isReadOnly() || m_behavior->OnChar(text.at(0))) {
            event->accept();
            return;
        }
    }
    m_typing = printable;
    QLineEdit::keyPressEvent(event);
    m_typing = false;
}

void CAMSEdit::OnTextEdited() {
    if (m_behavior != nullptr && !m_typing)
        m_behavior->AfterPaste();
}

QString CAMSAlphanumericBehavior::GetValidText() const {
    QString valid = m_edit.text();
    if (m_refused.isEmpty())
        return valid;
    valid.removeIf([this](QChar c) { return m_refused.contains(c); });
    return valid;
}

bool CAMSAlphanumericBehavior::OnChar(QChar character) {
    if (!m_refused.contains(character) && ShouldEnter(character))
        return false;
    QApplication::beep();
    return true;
}

CAMSAlphanumericEdit::CAMSAlphanumericEdit(const QString& refused, QWidget* parent)
    : CAMSEdit(parent), CAMSAlphanumericBehavior(static_cast<CAMSEdit&>(*this), refused) {
    SetBehavior(this);
}

} // namespace promptkit
