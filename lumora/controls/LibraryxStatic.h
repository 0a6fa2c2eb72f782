#pragma once

#include "xStatic.h"

class QMimeData;

namespace controls {

// What the dialog libraries' own builds of the picture static add to it: the bitmap shown at the
// control's size or at its own, read from a file, with the resource id or the file it came from, and
// a single ".bmp" file dropped on the control shown in it.
class CLibraryxStatic : public CxStatic {
public:
    explicit CLibraryxStatic(QWidget* parent = nullptr, unsigned style = 0);

    // Shows the picture; without keepSize the control takes the picture's own size.
    void SetBitmap(const QPixmap& bitmap, bool keepSize);
    // A picture file, shown at the control's size; false when it does not load (the shown picture
    // stays).
    bool LoadFromFile(const QString& fileName);

    int ResourceId() const { return m_resourceId; }
    QString FileName() const { return m_fileName; }
    void SetResourceId(int id) {
        m_resourceId = id;
        m_fileName.clear();
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The one ".bmp" file of a drop (the extension in any case), empty for anything else.
    static QString DroppedBitmap(const QMimeData* data);

    int m_resourceId = -1;
    QString m_fileName;
};

} // namespace controls
