#include "lumora/controls/DisplayDigital.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace controls {

namespace {
constexpr int kMargin = 5;
constexpr int kInitialFontHeight = 50;
// A rectangle from its edges, the right and bottom edges outside it.
QRect Span(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

// The ink and advance of the text, whichever reaches further: a glyph may stand out of its advance.
int TextWidth(const QFont& font, const QString& text) {
    const QFontMetrics metrics(font);
    return std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).width());
}
} // namespace

CDisplayDigital::CDisplayDigital(QWidget* parent)
    : QWidget(parent), m_valueFont(MakeFont(kInitialFontHeight)), m_unitFont(MakeFont(kInitialFontHeight)) {
    Layout();
}

CDisplayDigital::~CDisplayDigital() = default;

QFont CDisplayDigital::MakeFont(int pixelHeight) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, pixelHeight));
    font.setWeight(QFont::DemiBold);
    return font;
}

// The height fills the line; a reading longer than the face was drawn for (a wider face than the one
// named, a sign and many digits) gets a smaller size, so that no character, the sign least of all, is
// cut off.
QFont CDisplayDigital::FittedFont(const QFont& font, const QString& text, int width) {
    QFont fitted = font;
    int size = fitted.pixelSize();
    if (width <= 0 || size <= 1)
        return fitted;
    for (int needed = TextWidth(fitted, text); needed > width && size > 1; needed = TextWidth(fitted, text)) {
        // In proportion first; one step at a time where rounding keeps it a pixel too wide.
        size =
            std::max(1, std::min(size - 1, static_cast<int>(static_cast<long long>(size) * width / needed)));
        fitted.setPixelSize(size);
    }
    return fitted;
}

void CDisplayDigital::Layout() {
    const QRect client = rect();
    const int left = client.left();
    const int top = client.top();
    const int right = client.left() + client.width();
    const int bottom = client.top() + client.height();
    const int mid = top + (bottom - top) / 2;
    // Two lines share the height; each line's font fills most of its half.
    if (bottom - top > 0) {
        m_valueFont = MakeFont(std::min(kInitialFontHeight, (bottom - top) * 2 / 5));
        m_unitFont = m_valueFont;
    }
    const int u = QFontMetrics(m_unitFont).horizontalAdvance(u'A');
    m_upperUnit = Span(right - kMargin - u, top, right - kMargin, mid);
    m_lowerUnit = Span(right - kMargin - u, mid, right - kMargin, bottom);
    m_fullUnit = Span(right - kMargin - u, top, right - kMargin, bottom);
    const int valueLeft = left + kMargin;
    const int valueRight = right - kMargin - u;
    m_upperValue = Span(valueLeft, top, valueRight, mid);
    m_lowerValue = Span(valueLeft, mid, valueRight, bottom);
    m_fullValue = Span(valueLeft, top, valueRight, bottom);
}

void CDisplayDigital::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
}

void CDisplayDigital::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(m_crBack));
    painter.setFont(m_unitFont);
    painter.setPen(ToQColor(m_crText));
    const bool both = !m_strVoltage.isEmpty() && !m_strCurrent.isEmpty();
    auto draw = [&](const QString& value, const QString& unit, const QRect& valueRect,
                    const QRect& unitRect) {
        painter.setFont(FittedFont(m_valueFont, value, valueRect.width()));
        painter.drawText(valueRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, value);
        painter.setFont(m_unitFont);
        painter.drawText(unitRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, unit);
    };
    if (!m_strVoltage.isEmpty())
        draw(m_strVoltage, QStringLiteral("V"), both ? m_upperValue : m_fullValue,
             both ? m_upperUnit : m_fullUnit);
    if (!m_strCurrent.isEmpty())
        draw(m_strCurrent, QStringLiteral("A"), both ? m_lowerValue : m_fullValue,
             both ? m_lowerUnit : m_fullUnit);
}

} // namespace controls
