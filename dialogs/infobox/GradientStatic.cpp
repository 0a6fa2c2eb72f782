#include "dialogs/infobox/GradientStatic.h"

#include <QLinearGradient>
#include <QPainter>

namespace infobox {

CGradientStatic::CGradientStatic(QWidget* parent)
    : QLabel(parent), m_first(ToColorRef(palette().color(QPalette::Highlight))),
      m_second(ToColorRef(palette().color(QPalette::Button))),
      m_textColor(ToColorRef(palette().color(QPalette::HighlightedText))) {}

void CGradientStatic::SetColor(COLORREF first) {
    m_first = first;
    update();
}
void CGradientStatic::SetGradientColor(COLORREF second) {
    m_second = second;
    update();
}
void CGradientStatic::SetTextColor(COLORREF color) {
    m_textColor = color;
    update();
}
void CGradientStatic::SetTextAlign(int align) {
    m_align = align;
    update();
}
void CGradientStatic::SetVertical(bool vertical) {
    m_vertical = vertical;
    update();
}
void CGradientStatic::SetMargin(int margin) {
    m_margin = margin;
    update();
}

void CGradientStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect client = rect();
    // The far colour lands on the last row or column, as a rectangle fill between two vertices does.
    QLinearGradient gradient(client.topLeft(), m_vertical ? client.bottomLeft() : client.topRight());
    gradient.setColorAt(0.0, ToQColor(m_first));
    gradient.setColorAt(1.0, ToQColor(m_second));
    painter.fillRect(client, gradient);
    painter.setPen(ToQColor(m_textColor));
    painter.setFont(font());
    QRect box = client;
    int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    if (m_align == 1) {
        flags |= Qt::AlignHCenter;
    } else if (m_align == 0) {
        flags |= Qt::AlignLeft;
        box.setLeft(box.left() + m_margin);
    } else {
        flags |= Qt::AlignRight;
        box.setRight(box.right() - m_margin);
    }
    painter.drawText(box, flags, text());
}

} // namespace infobox
