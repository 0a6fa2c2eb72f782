#include "lumora/controls/DigEdit.h"

#include "platform/ControlId.h"
#include "platform/Numbers.h"

#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QValidator>
#include <algorithm>
#include <cmath>

namespace controls {

namespace {

// Text that can come in by paste or drop: a sign, digits and one point, nothing else, and a finite
// number (a long run of digits would overflow to infinity).
class CNumberValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        static const QRegularExpression shape(QStringLiteral("^-?[0-9]*\\.?[0-9]*$"));
        if (!shape.match(input).hasMatch())
            return Invalid;
        return std::isfinite(platform::WToF(input)) ? Acceptable : Invalid;
    }
};

int PointIndex(const QString& text) {
    const qsizetype point = text.indexOf(u'.');
    return static_cast<int>(point < 0 ? text.size() : point);
}

} // namespace

CDigEdit::CDigEdit(QWidget* parent)
    : QLineEdit(parent), m_crText(ToColorRef(palette().color(QPalette::Text))),
      m_crBack(ToColorRef(palette().color(QPalette::Base))), m_brBack(ToQColor(m_crBack)) {
    setValidator(new CNumberValidator(this));
    ApplyColors();
}

// The text colour is read when painting. The control's background is the brush made at
// construction; the text itself stands on m_crBack, read at every paint, as a text background does.
// The colours are those of an edit that takes input: a disabled one keeps the style's disabled
// colours, as every other disabled control of its window does.
void CDigEdit::ApplyColors() {
    QPalette colours = palette();
    bool same = true;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        same = same && colours.color(group, QPalette::Text) == ToQColor(m_crText) &&
               colours.color(group, QPalette::Base) == Qt::transparent;
    if (same)
        return;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Text, ToQColor(m_crText));
        colours.setColor(group, QPalette::Base, Qt::transparent);
    }
    setPalette(colours);
}

void CDigEdit::paintEvent(QPaintEvent* event) {
    ApplyColors();
    if (isEnabled()) {
        QPainter painter(this);
        painter.fillRect(rect().adjusted(1, 1, -1, -1), m_brBack);
        QStyleOptionFrame panel;
        initStyleOption(&panel);
        const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
        const QString shown = displayText();
        if (!shown.isEmpty()) {
            // The line edit's own margin around its text.
            constexpr int kMargin = 2;
            const QFontMetrics metrics = fontMetrics();
            const int width = std::min(metrics.horizontalAdvance(shown), contents.width() - 2 * kMargin);
            const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
            int left = contents.left() + kMargin;
            if (align & Qt::AlignRight)
                left = contents.right() - kMargin - width + 1;
            else if (align & Qt::AlignHCenter)
                left = contents.left() + (contents.width() - width) / 2;
            const int top = contents.top() + (contents.height() - metrics.height()) / 2;
            painter.fillRect(QRect(left, top, width, metrics.height()).intersected(contents),
                             ToQColor(m_crBack));
        }
    }
    QLineEdit::paintEvent(event);
}

CDigEdit::~CDigEdit() = default;

int CDigEdit::ShownDecimals() const {
    return (m_nDecimals >= 0 && m_nDecimals <= 6) ? m_nDecimals : 0;
}

// The decimals are the fewest shown: a value with more digits than they allow keeps them, so that what
// the edit shows, and gives, is the number typed.
QString CDigEdit::FormatValue(double value) const {
    return platform::FormatExact(value, ShownDecimals());
}

void CDigEdit::SetValue(double value) {
    if (!std::isfinite(value))
        return;
    setText(FormatValue(value));
    m_committed = value;
}

double CDigEdit::Clamp(double value) const {
    if (value > m_dMax)
        value = m_dMax;
    if (value < m_dMin)
        value = m_dMin;
    return value;
}

double CDigEdit::ParsedValue() const {
    const double value = platform::WToF(text());
    return std::isfinite(value) ? value : m_committed;
}

double CDigEdit::GetValue() {
    const double value = ParsedValue();
    if (value > m_dMax || value < m_dMin || !std::isfinite(platform::WToF(text()))) {
        const double bound = Clamp(value);
        setText(FormatValue(bound));
        return bound;
    }
    return value;
}

double CDigEdit::PlaceValue(const QString& text, int caret) {
    if (caret == 0 && text.contains(u'-'))
        return 0.0;
    const int d = PointIndex(text) - caret;
    if (d >= 1 && d <= 15)
        return std::pow(10.0, d - 1);
    if (d >= -6 && d <= -1)
        return std::pow(10.0, d);
    return 0.0;
}

int CDigEdit::SelStart() const {
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

int CDigEdit::SelEnd() const {
    return hasSelectedText() ? selectionEnd() : cursorPosition();
}

void CDigEdit::SelectDigit(int caret) {
    const int length = static_cast<int>(text().size());
    caret = std::clamp(caret, 0, length);
    if (caret < length)
        setSelection(caret, 1);
    else
        setCursorPosition(caret);
    m_nSelStart = SelStart();
    m_nSelEnd = SelEnd();
}

void CDigEdit::Commit() {
    m_committed = ParsedValue();
    for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (auto* target = dynamic_cast<platform::CMessageTarget*>(w)) {
            platform::PostMessage(target, WM_DIGEDIT_COMMIT,
                                  static_cast<platform::WPARAM>(platform::ControlId(this)), 0);
            return;
        }
    }
}

void CDigEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        OnCaretKey(event->key() == Qt::Key_Left);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        Step(event->key() == Qt::Key_Up);
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        QLineEdit::keyPressEvent(event);
        break;
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Acted on when the key is released; the form must not take them as its own.
        event->accept();
        break;
    default:
        // Pasted text passes the number check of the validator.
        if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Copy) ||
            event->matches(QKeySequence::Cut) || event->matches(QKeySequence::SelectAll) ||
            event->matches(QKeySequence::Undo)) {
            QLineEdit::keyPressEvent(event);
        } else if (event->text().size() == 1 && event->text()[0].isPrint()) {
            OnChar(event);
        }
        event->accept();
        break;
    }
    update();
}

void CDigEdit::OnChar(QKeyEvent* event) {
    const QChar c = event->text()[0];
    const QString current = text();
    const int selStart = SelStart();
    const int selEnd = SelEnd();
    if (c == u'.') {
        if (current.isEmpty()) {
            setText(QStringLiteral("0."));
            setCursorPosition(2);
            return;
        }
        if (current == QStringLiteral("-")) {
            setText(QStringLiteral("-0."));
            setCursorPosition(3);
            return;
        }
        const qsizetype point = current.indexOf(u'.');
        if (point < 0 || (selStart <= point && point < selEnd))
            QLineEdit::keyPressEvent(event);
        return;
    }
    if (c == u'-') {
        if (current.isEmpty() || (selStart == 0 && !current.startsWith(u'-'))) {
            QLineEdit::keyPressEvent(event);
            return;
        }
        setText(current.startsWith(u'-') ? current.mid(1) : QStringLiteral("-") + current);
        return;
    }
    const int count = static_cast<int>(current.size()) - (current.contains(u'.') ? 1 : 0) -
                      (current.contains(u'-') ? 1 : 0);
    if ((count >= m_nMaxDigits && selStart == selEnd) || c < u'0' || c > u'9')
        return;
    if (current == QStringLiteral("0")) {
        setText(QString());
    } else if (current == QStringLiteral("-0")) {
        setText(QStringLiteral("-"));
        setCursorPosition(1);
    }
    QLineEdit::keyPressEvent(event);
}

void CDigEdit::OnCaretKey(bool left) {
    const QString current = text();
    const int length = static_cast<int>(current.size());
    const int caret = left ? std::max(0, SelStart() - 1) : std::min(length, SelStart() + 1);
    m_dStep = caret == length ? 0.0 : PlaceValue(current, caret);
    m_nDigitOffset = PointIndex(current) - caret;
    SelectDigit(caret);
}

void CDigEdit::Step(bool up) {
    if (m_bStepLocked != 0)
        return;
    // The sum is rounded to the finest digit of the text, the step and the format, so that 0.1 + 0.2
    // shows 0.3 and not the binary remainder of the addition.
    const QString current = text();
    const qsizetype point = current.indexOf(u'.');
    const int textDecimals = point < 0 ? 0 : static_cast<int>(current.size() - point - 1);
    const int stepDecimals =
        m_dStep > 0.0 && m_dStep < 1.0 ? static_cast<int>(std::lround(-std::log10(m_dStep))) : 0;
    const int digits = std::clamp(std::max({ShownDecimals(), textDecimals, stepDecimals}), 0, 15);
    const double sum = ParsedValue() + (up ? m_dStep : -m_dStep);
    const double value =
        Clamp(std::isfinite(sum) ? platform::WToF(platform::CFormat("%.*f", digits, sum)) : sum);
    setText(FormatValue(value));
    SelectDigit(PointIndex(text()) - m_nDigitOffset);
    Commit();
}

void CDigEdit::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        // Takes back the typing; nothing is committed.
        setText(FormatValue(m_committed));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        setText(FormatValue(Clamp(ParsedValue())));
        Commit();
        break;
    default:
        break;
    }
    event->accept();
}

void CDigEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    const QString current = text();
    const int caret = SelStart();
    if (!hasSelectedText())
        SelectDigit(caret);
    m_nDigitOffset = PointIndex(current) - caret;
    m_dStep = caret == current.size() ? 0.0 : PlaceValue(current, caret);
    update();
}

void CDigEdit::wheelEvent(QWheelEvent* event) {
    // Only the edit the user works in is tuned: a wheel turned over it while scrolling the form
    // beneath is no step of a value (and no value sent), and scrolls the form.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    Step(event->angleDelta().y() >= 0);
    // The wheel tunes the value; it does not also scroll the form beneath.
    event->accept();
}

void CDigEdit::focusOutEvent(QFocusEvent* event) {
    setText(FormatValue(Clamp(ParsedValue())));
    QLineEdit::focusOutEvent(event);
    Commit();
}

void CDigEdit::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
}

void CDigEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    if (height() == m_fontHeight)
        return;
    m_fontHeight = height();
    QFont face = font();
    face.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC")});
    const int tenths = static_cast<int>(m_fontHeight * 5.9);
    if (tenths > 0)
        face.setPointSizeF(tenths / 10.0);
    setFont(face);
}

} // namespace controls
