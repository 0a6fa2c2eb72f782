#include "lumora/shell/OnlineIcon.h"

#include <QPainter>

namespace shell {

QPixmap OnlineIcon(bool online) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    painter.setBrush(online ? QColor(0x20, 0xC0, 0x20) : QColor(0xA0, 0xA0, 0xA0));
    painter.drawEllipse(3, 3, 18, 18);
    return pixmap;
}

} // namespace shell
