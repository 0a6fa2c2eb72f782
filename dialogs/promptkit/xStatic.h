#pragma once

#include "lumora/controls/LibraryxStatic.h"

class QMimeData;

namespace promptkit {

// The picture static of the prompt library: the library build of the control library's, taking a
// single ".bmp" file dropped on it.
class CxStatic : public controls::CLibraryxStatic {
public:
    explicit CxStatic(QWidget* parent = nullptr, unsigned style = 0);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The one ".bmp" file of a drop, empty for anything else.
    static QString DroppedBitmap(const QMimeData* data);
};

} // namespace promptkit
