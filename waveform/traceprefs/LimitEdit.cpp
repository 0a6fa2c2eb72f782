#include "waveform/traceprefs/LimitEdit.h"

#include "platform/Numbers.h"

#include <QKeyEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kMinDecimals = 6;
// Beyond this a fixed text would show more digits than a double holds for the smallest limits.
constexpr int kMaxDecimals = 24;

int PointIndex(const QString& text) {
    const qsizetype point = text.indexOf(u'.');
    return static_cast<int>(point < 0 ? text.size() : point);
}

} // namespace

CLimitEdit::CLimitEdit(QWidget* parent) : controls::CDigEdit(parent) {}

CLimitEdit::~CLimitEdit() = default;

int CLimitEdit::DecimalsFor(double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude > 0.0) || !std::isfinite(magnitude) || magnitude >= 1.0)
        return kMinDecimals;
    return std::clamp(5 - static_cast<int>(std::floor(std::log10(magnitude))), kMinDecimals, kMaxDecimals);
}

int CLimitEdit::DecimalsForPair(double min, double max) {
    int decimals = std::max(DecimalsFor(min), DecimalsFor(max));
    const double span = std::fabs(max - min);
    if (span > 0.0 && std::isfinite(span))
        decimals = std::max(decimals, std::clamp(2 - static_cast<int>(std::floor(std::log10(span))),
                                                 kMinDecimals, kMaxDecimals));
    return decimals;
}

QString CLimitEdit::LimitText(double value, int decimals, int kept) {
    QString text = platform::CFormat("%.*f", std::clamp(decimals, 0, kMaxDecimals), value);
    const int point = PointIndex(text);
    while (text.size() - point - 1 > std::max(kMinDecimals, kept) && text.endsWith(u'0'))
        text.chop(1);
    return text;
}

void CLimitEdit::SetLimit(double value, int decimals) {
    if (!std::isfinite(value))
        return;
    m_decimals = std::clamp(decimals, kMinDecimals, kMaxDecimals);
    m_nDecimals = kMinDecimals;
    m_nMaxDigits = std::max(m_nMaxDigits, m_decimals + 4);
    // The digit edit's own state first (the value Escape returns to), then the precise text.
    SetValue(value);
    m_given = value;
    m_givenText = LimitText(value, m_decimals);
    m_takenText = m_givenText;
    setText(m_givenText);
}

double CLimitEdit::Limit() {
    if (text() == m_givenText)
        return m_given;
    const double typed = Typed();
    const double bounded = Bounded(typed);
    if (bounded != typed)
        setText(TextOf(bounded));
    return bounded;
}

double CLimitEdit::Bounded(double value) const {
    return std::clamp(value, m_dMin, m_dMax);
}

bool CLimitEdit::HasLimit() const {
    double typed = 0.0;
    return text() == m_givenText || TypedNumber(typed);
}

double CLimitEdit::Typed() const {
    double typed = 0.0;
    return TypedNumber(typed) ? typed : platform::WToF(m_takenText);
}

QString CLimitEdit::TextOf(double value) const {
    return LimitText(value, std::max(m_decimals, DecimalsFor(value)));
}

void CLimitEdit::Take() {
    const QString text = this->text();
    // Text that shows the given limit stays as it is, so the limit is still given back exactly.
    if (text == m_givenText)
        return;
    const double value = Bounded(Typed());
    const QString taken = TextOf(value);
    m_takenText = taken;
    // The digit edit's own state first: the entry is a new one from here.
    SetValue(value);
    setText(taken);
}

void CLimitEdit::focusOutEvent(QFocusEvent* event) {
    // A text that is no number stays as it was typed, so that the page refuses it with its message.
    if (!HasLimit()) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    const QString typed = text();
    // The digit edit rounds to its six decimals and tells its owner; the text is then set again.
    controls::CDigEdit::focusOutEvent(event);
    setText(typed);
    Take();
}

void CLimitEdit::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        setText(m_takenText);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Take();
        event->accept();
        return;
    }
    controls::CDigEdit::keyReleaseEvent(event);
}

void CLimitEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        StepDigit(event->key() == Qt::Key_Up);
        event->accept();
        return;
    }
    controls::CDigEdit::keyPressEvent(event);
}

void CLimitEdit::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    StepDigit(event->angleDelta().y() >= 0);
    event->accept();
}

void CLimitEdit::StepDigit(bool up) {
    if (m_bStepLocked != 0)
        return;
    // The digit edit's place values end at the sixth decimal; the digits after it step by theirs.
    double step = m_dStep;
    if (step == 0.0 && hasSelectedText() && m_nDigitOffset < -kMinDecimals)
        step = std::pow(10.0, m_nDigitOffset);
    const double value = Bounded(Typed() + (up ? step : -step));
    // The highlighted digit keeps its place, a zero included.
    const int kept = -m_nDigitOffset;
    const QString stepped = LimitText(value, std::max({m_decimals, DecimalsFor(value), kept}), kept);
    m_takenText = stepped;
    SetValue(value);
    setText(stepped);
    const int caret = std::clamp(PointIndex(stepped) - m_nDigitOffset, 0, static_cast<int>(stepped.size()));
    if (caret < stepped.size())
        setSelection(caret, 1);
    else
        setCursorPosition(caret);
    m_nSelStart = caret;
    m_nSelEnd = std::min(caret + 1, static_cast<int>(stepped.size()));
}
