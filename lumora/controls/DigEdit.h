#pragma once

#include "ColorRef.h"
#include "platform/MessageTarget.h"

#include <QColor>
#include <QLineEdit>

namespace controls {

// A one-line edit for one bounded decimal number. Arrow keys move a one-character highlight from
// digit to digit; Up, Down and the wheel add or subtract the highlighted digit's place value. The
// value is committed (the parent is told by WM_DIGEDIT_COMMIT) on a step, on Enter and on leaving
// the control, never on a single keystroke; Escape takes back what was typed since the last commit.
// The text is read by the strict rule (platform::ReadStrictDouble). An entry in which a key was
// dropped (a comma, a letter, a second point, a digit beyond the limit) is not the number typed: it
// is refused with a beep, and Enter or leaving brings back the last committed value, as does a text
// that is no number (empty, a lone sign).
class CDigEdit : public QLineEdit {
public:
    // Posted to the nearest ancestor that takes messages: wParam the control's id, lParam 0.
    static constexpr platform::UINT WM_DIGEDIT_COMMIT = platform::WM_USER + 1100;

    explicit CDigEdit(QWidget* parent = nullptr);
    ~CDigEdit() override;

    int m_nMaxDigits = 10;
    int m_nDecimals = 0;
    int m_nSelStart = 0;
    int m_nSelEnd = 0;
    int m_nDigitOffset = 0;
    double m_dStep = 1.0;
    double m_dMax = 4e9;
    double m_dMin = -4e9;
    int m_bStepLocked = 0;
    COLORREF m_crText;
    COLORREF m_crBack;

    // Shows the value in the current format (with more decimals when the value has them), unclamped;
    // it becomes the value Escape returns to.
    // A value that is not finite is refused.
    void SetValue(double value);
    // The shown value, clamped to the bounds (the text then shows the bound).
    double GetValue();
    QString FormatValue(double value) const;
    // Place value of the digit at the caret index of the text (0 on the point, the sign or the end).
    static double PlaceValue(const QString& text, int caret);

protected:
    // The number the text holds as it was typed; false when it holds none or the entry was refused.
    bool TypedNumber(double& value) const;

    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyColors();
    void OnChar(QKeyEvent* event);
    void OnCaretKey(bool left);
    void Step(bool up);
    void SelectDigit(int caret);
    void Commit();
    int SelStart() const;
    int SelEnd() const;
    // The number of the text, or the last committed value when the text holds none or the entry was
    // refused.
    double ParsedValue() const;
    void RefuseKey();
    double Clamp(double value) const;
    int ShownDecimals() const;

    // What the keys typed since the last value was shown amount to.
    enum class EEntry { eClean, eAfterBlank, eRefused };

    QColor m_brBack;
    double m_committed = 0.0;
    EEntry m_entry = EEntry::eClean;
    int m_fontHeight = -1;
};

} // namespace controls
