#include "LibraryxStatic.h"

namespace controls {

void CLibraryxStatic::SetBitmap(const QPixmap& bitmap, bool keepSize) {
    SetTransparent(false);
    CxStatic::SetBitmap(bitmap, keepSize ? width() : bitmap.width(), keepSize ? height() : bitmap.height());
}

bool CLibraryxStatic::LoadFromFile(const QString& fileName) {
    QPixmap picture;
    if (!picture.load(fileName, "BMP"))
        return false;
    m_resourceId = -1;
    m_fileName = fileName;
    SetBitmap(picture, true);
    return true;
}

} // namespace controls
