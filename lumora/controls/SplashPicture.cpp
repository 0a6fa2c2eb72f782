#include "lumora/controls/SplashPicture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPalette>

namespace controls {

QPixmap SplashPicture(int width, int height, const QString& title, const QString& subtitle) {
    QPixmap picture(width, height);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 0, height);
    gradient.setColorAt(0.0, QColor(0xF8, 0xF4, 0xEF));
    gradient.setColorAt(1.0, QColor(0x82, 0x99, 0xD0));
    painter.fillRect(picture.rect(), gradient);
    painter.setPen(QColor(0x1E, 0x3A, 0x6E));
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(height / 6);
    big.setBold(true);
    painter.setFont(big);
    painter.drawText(QRect(0, height / 2, width - 16, height / 4), Qt::AlignRight | Qt::AlignVCenter, title);
    QFont small(QStringLiteral("Arial"));
    small.setPixelSize(14);
    painter.setFont(small);
    painter.drawText(QRect(0, height * 3 / 4, width - 16, height / 4 - 8), Qt::AlignRight | Qt::AlignVCenter,
                     subtitle);
    return picture;
}

void PaintSplashText(QPainter& painter, const QRect& client, const QString& text, bool opaque) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(18);
    font.setWeight(QFont::Normal);
    painter.setFont(font);
    const QPoint at(client.left() + 5, client.top() + (client.height() * 4) / 13);
    const QRect box = painter.fontMetrics().boundingRect(QRect(at, client.bottomRight()),
                                                         Qt::AlignLeft | Qt::AlignTop, text);
    if (opaque)
        painter.fillRect(box, QPalette().color(QPalette::Window));
    painter.setPen(Qt::black);
    painter.drawText(QRect(at, client.bottomRight()), Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace controls
