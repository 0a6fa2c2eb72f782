#pragma once

#include "lumora/controls/xStatic.h"

class QMimeData;

namespace promptkit {

// The picture static of the prompt library: the control library's, showing a bitmap given to it or
// read from a file, and taking a single ".bmp" file dropped on it.
class CxStatic : public controls::CxStatic {
public:
    explicit CxStatic(QWidget* parent = nullptr, unsigned style = 0);

    // Shows the picture; without keepSize the control takes the picture's own size.
    void SetBitmap(const QPixmap& bitmap, bool keepSize);
    // A picture file, shown at the control's size; false when it does not load (the shown picture
    // stays).
    bool LoadFromFile(const QString& fileName);
    int ResourceId() const { return m_resourceId; }
    QString FileName() const { return m_fileName; }
    void SetResourceId(int id) { m_resourceId = id; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The one ".bmp" file of a drop, empty for anything else.
    static QString DroppedBitmap(const QMimeData* data);

    int m_resourceId = -1;
    QString m_fileName;
};

} // namespace promptkit
