#include "dialogs/infobox/xStatic.h"

#include "dialogs/infobox/SplashWnd.h"
#include "lumora/controls/SplashPicture.h"

#include <QPainter>

namespace infobox {

CxStatic::CxStatic(QWidget* parent, unsigned style) : controls::CLibraryxStatic(parent, style) {}

QPixmap CxStatic::ResourcePicture(int id) {
    switch (id) {
    case 27011:
        return CSplashWnd::Picture();
    case 27013:
        return controls::SplashPicture(400, 90, QStringLiteral("Lumora"), QString());
    case 27012: { // the about box's icon: the banner's colours in a 32 x 32 square
        QPixmap icon(32, 32);
        icon.fill(Qt::transparent);
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x82, 0x99, 0xD0));
        painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
        painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(11, 8), QPointF(11, 24));
        painter.drawLine(QPointF(11, 24), QPointF(22, 24));
        return icon;
    }
    default:
        return {};
    }
}

bool CxStatic::LoadFromResource(int id, bool keepSize) {
    const QPixmap picture = ResourcePicture(id);
    if (picture.isNull())
        return false;
    SetResourceId(id);
    SetBitmap(picture, keepSize);
    return true;
}

} // namespace infobox
