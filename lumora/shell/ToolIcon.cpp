#include "lumora/shell/ToolIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace shell {
namespace {

const QColor kLineColors[] = {QColor(0x00, 0x60, 0xD0), QColor(0xD0, 0x30, 0x30), QColor(0x20, 0x90, 0x30),
                              QColor(0xB0, 0x70, 0x00)};

void DrawCurve(QPainter& painter, const QColor& color) {
    QPainterPath path(QPointF(3, 17));
    path.cubicTo(QPointF(8, 2), QPointF(14, 22), QPointF(21, 6));
    painter.setPen(QPen(color, 2));
    painter.drawPath(path);
}

} // namespace

QPixmap ToolIcon(int buttonId) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPen dark(QColor(0x30, 0x30, 0x30), 1.5);
    painter.setPen(dark);
    switch (buttonId) {
    case 1079:
    case 1080:
    case 1081:
    case 1082: {
        DrawCurve(painter, kLineColors[buttonId - 1079]);
        painter.setPen(dark);
        painter.drawText(QRect(13, 12, 11, 12), Qt::AlignCenter, QString::number(buttonId - 1078));
        break;
    }
    case 1083: // settings: a gear-like wheel
        painter.drawEllipse(QPointF(12, 12), 7, 7);
        painter.drawEllipse(QPointF(12, 12), 2.5, 2.5);
        break;
    case 1084: // fit: arrows to the corners
        painter.drawRect(5, 5, 14, 14);
        painter.drawLine(8, 8, 16, 16);
        painter.drawLine(16, 8, 8, 16);
        break;
    case 1085: // restore: a circular arrow
        painter.drawArc(QRectF(5, 5, 14, 14), 45 * 16, 270 * 16);
        painter.drawLine(17, 5, 17, 9);
        break;
    case 1092: // no tool: an arrow pointer
        painter.drawLine(7, 4, 7, 19);
        painter.drawLine(7, 4, 17, 14);
        painter.drawLine(7, 19, 17, 14);
        break;
    case 1086: // drag: a cross of arrows
        painter.drawLine(12, 3, 12, 21);
        painter.drawLine(3, 12, 21, 12);
        break;
    case 1087: // area: a dashed box
        painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5, Qt::DashLine));
        painter.drawRect(4, 6, 16, 12);
        break;
    case 1088: // horizontal selection
        painter.drawLine(3, 12, 21, 12);
        painter.drawLine(4, 6, 4, 18);
        painter.drawLine(20, 6, 20, 18);
        break;
    case 1089: // vertical selection
        painter.drawLine(12, 3, 12, 21);
        painter.drawLine(6, 4, 18, 4);
        painter.drawLine(6, 20, 18, 20);
        break;
    case 1091: // time markers: two vertical lines
        painter.setPen(QPen(QColor(0xFF, 0x00, 0xFF), 1.5));
        painter.drawLine(8, 3, 8, 21);
        painter.drawLine(16, 3, 16, 21);
        break;
    case 1090: // value markers: two horizontal lines
        painter.setPen(QPen(QColor(0xFF, 0x00, 0xFF), 1.5));
        painter.drawLine(3, 8, 21, 8);
        painter.drawLine(3, 16, 21, 16);
        break;
    default:
        painter.drawRect(4, 4, 16, 16);
        break;
    }
    return pixmap;
}

} // namespace shell
