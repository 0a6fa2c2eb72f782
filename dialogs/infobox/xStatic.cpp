#include "dialogs/infobox/xStatic.h"

#include "dialogs/infobox/SplashWnd.h"
#include "lumora/controls/SplashPicture.h"

namespace infobox {

CxStatic::CxStatic(QWidget* parent, unsigned style) : controls::CxStatic(parent, style) {
    setAcceptDrops(false);
}

QPixmap CxStatic::ResourcePicture(int id) {
    switch (id) {
    case 27011:
        return CSplashWnd::Picture();
    case 27013:
        return controls::SplashPicture(400, 90, QStringLiteral("Lumora"), QString());
    default:
        return {};
    }
}

void CxStatic::SetBitmap(const QPixmap& bitmap, bool keepSize) {
    SetTransparent(false);
    controls::CxStatic::SetBitmap(bitmap, keepSize ? width() : bitmap.width(),
                                  keepSize ? height() : bitmap.height());
}

bool CxStatic::LoadFromFile(const QString& fileName) {
    QPixmap picture;
    if (!picture.load(fileName))
        return false;
    m_resourceId = -1;
    m_fileName = fileName;
    SetBitmap(picture, true);
    return true;
}

bool CxStatic::LoadFromResource(int id, bool keepSize) {
    const QPixmap picture = ResourcePicture(id);
    if (picture.isNull())
        return false;
    m_resourceId = id;
    m_fileName.clear();
    SetBitmap(picture, keepSize);
    return true;
}

} // namespace infobox
