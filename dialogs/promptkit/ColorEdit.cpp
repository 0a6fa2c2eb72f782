#include "ColorEdit.h"

#include <QKeyEvent>

namespace promptkit {

CColorEdit::CColorEdit(QWidget* parent)
    : QPlainTextEdit(parent), m_textColor(controls::ToColorRef(palette().color(QPalette::WindowText))),
      m_backColor(controls::ToColorRef(palette().color(QPalette::Highlight))) {
    setReadOnly(true);
    ApplyColors();
}

void CColorEdit::SetTextColor(controls::COLORREF color) {
    m_textColor = color;
    ApplyColors();
}

void CColorEdit::SetBkColor(controls::COLORREF color) {
    m_backColor = color;
    ApplyColors();
}

void CColorEdit::SetText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(shown);
}

void CColorEdit::ApplyColors() {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, controls::ToQColor(m_backColor));
    colours.setColor(QPalette::Text, controls::ToQColor(m_textColor));
    setPalette(colours);
}

void CColorEdit::keyPressEvent(QKeyEvent* event) {
    // Only the Escape key is kept from the dialog; every other key is the edit's own.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

} // namespace promptkit
