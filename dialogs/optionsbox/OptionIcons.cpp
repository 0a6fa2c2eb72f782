#include "dialogs/optionsbox/OptionIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace optionsbox {

namespace {

constexpr int kSide = 32;
const QColor kInk(0x30, 0x30, 0x30);
const QColor kPaper(0xFA, 0xFA, 0xF5);

// A sheet with a folded corner, the common ground of the file icons.
void DrawSheet(QPainter& p) {
    QPainterPath sheet(QPointF(7, 3));
    sheet.lineTo(20, 3);
    sheet.lineTo(26, 9);
    sheet.lineTo(26, 29);
    sheet.lineTo(7, 29);
    sheet.closeSubpath();
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    p.drawPolyline(QPolygonF({QPointF(20, 3), QPointF(20, 9), QPointF(26, 9)}));
}

void DrawSheetWithTrace(QPainter& p, const QColor& colour, const QPolygonF& trace) {
    DrawSheet(p);
    p.setPen(QPen(colour, 1.6));
    p.drawPolyline(trace);
}

void DrawGear(QPainter& p, const QPointF& centre, double radius, const QColor& colour) {
    p.setPen(QPen(colour, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius, radius);
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(45.0 * i);
        p.drawLine(QPointF(radius, 0), QPointF(radius + 3, 0));
        p.restore();
    }
    p.drawEllipse(centre, radius / 3, radius / 3);
}

} // namespace

QPixmap OptionIcon(int id) {
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (id) {
    case 55219: // the dialog: settings
        DrawGear(p, QPointF(16, 16), 9, QColor(0x40, 0x60, 0x90));
        break;
    case 55230: // configuration file: a sheet with a small gear
        DrawSheet(p);
        DrawGear(p, QPointF(16.5, 19), 4, QColor(0x40, 0x60, 0x90));
        break;
    case 55242: // current data: a sheet with a pulse of current
        DrawSheetWithTrace(p, QColor(0x00, 0x60, 0xD0),
                           {{9, 24}, {13, 24}, {13, 13}, {18, 13}, {18, 24}, {24, 24}});
        break;
    case 55210: // data logging: a sheet with a long trace
        DrawSheetWithTrace(p, QColor(0x20, 0x90, 0x30),
                           {{9, 22}, {12, 17}, {15, 20}, {18, 12}, {21, 18}, {24, 15}});
        break;
    case 55243: // log file: a sheet with lines of text
        DrawSheet(p);
        p.setPen(QPen(kInk, 1.2));
        for (int row = 0; row < 4; ++row)
            p.drawLine(QPointF(10, 12 + 4.5 * row), QPointF(row == 3 ? 18 : 23, 12 + 4.5 * row));
        break;
    default:
        break;
    }
    return pixmap;
}

} // namespace optionsbox
