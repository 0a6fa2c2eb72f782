#pragma once

#include "lumora/controls/ColorRef.h"

#include <QPlainTextEdit>

namespace promptkit {

// A read-only message edit with its own text and background colours. Escape pressed inside it does
// not close its dialog.
class CColorEdit : public QPlainTextEdit {
public:
    explicit CColorEdit(QWidget* parent = nullptr);

    void SetTextColor(controls::COLORREF color);
    void SetBkColor(controls::COLORREF color);
    controls::COLORREF TextColor() const { return m_textColor; }
    controls::COLORREF BkColor() const { return m_backColor; }

    // Shows the text; "\r\n" line ends show as lines.
    void SetText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ApplyColors();

    controls::COLORREF m_textColor;
    controls::COLORREF m_backColor;
};

} // namespace promptkit
