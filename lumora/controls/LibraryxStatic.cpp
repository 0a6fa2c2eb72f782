#include "LibraryxStatic.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace controls {

CLibraryxStatic::CLibraryxStatic(QWidget* parent, unsigned style) : CxStatic(parent, style) {
    setAcceptDrops(true);
}

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

QString CLibraryxStatic::DroppedBitmap(const QMimeData* data) {
    if (data == nullptr || data->urls().size() != 1 || !data->urls().front().isLocalFile())
        return QString();
    const QString file = data->urls().front().toLocalFile();
    return QFileInfo(file).suffix().compare(QStringLiteral("bmp"), Qt::CaseInsensitive) == 0 ? file
                                                                                             : QString();
}

void CLibraryxStatic::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedBitmap(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CLibraryxStatic::dropEvent(QDropEvent* event) {
    const QString file = DroppedBitmap(event->mimeData());
    if (file.isEmpty())
        return;
    // The source is told the drop was taken only when the picture was.
    if (LoadFromFile(file))
        event->acceptProposedAction();
}

} // namespace controls
