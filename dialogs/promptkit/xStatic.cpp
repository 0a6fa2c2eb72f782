#include "xStatic.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace promptkit {

CxStatic::CxStatic(QWidget* parent, unsigned style) : controls::CLibraryxStatic(parent, style) {
    setAcceptDrops(true);
}

QString CxStatic::DroppedBitmap(const QMimeData* data) {
    if (data == nullptr || data->urls().size() != 1 || !data->urls().front().isLocalFile())
        return QString();
    const QString file = data->urls().front().toLocalFile();
    return QFileInfo(file).suffix().compare(QStringLiteral("bmp"), Qt::CaseInsensitive) == 0 ? file
                                                                                             : QString();
}

void CxStatic::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedBitmap(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CxStatic::dropEvent(QDropEvent* event) {
    const QString file = DroppedBitmap(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    LoadFromFile(file);
}

} // namespace promptkit
