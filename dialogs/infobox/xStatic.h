#pragma once

#include "lumora/controls/xStatic.h"

namespace infobox {

// The picture static of the information library: the control library's, with the bitmap kept by
// value (setting the same picture twice frees nothing twice) and loaded from the library's pictures
// by id or from a file. Dropped files are not taken: a banner shows what the program gives it.
class CxStatic : public controls::CxStatic {
public:
    explicit CxStatic(QWidget* parent = nullptr, unsigned style = 0);

    // Shows the picture; without keepSize the control takes the picture's own size.
    void SetBitmap(const QPixmap& bitmap, bool keepSize);
    // A picture file; false when it does not load (the shown picture stays).
    bool LoadFromFile(const QString& fileName);
    // A picture of the library by id; false for an unknown id.
    bool LoadFromResource(int id, bool keepSize);

    int ResourceId() const { return m_resourceId; }
    QString FileName() const { return m_fileName; }

    // The pictures of the library by id; a null picture for an unknown id.
    static QPixmap ResourcePicture(int id);

private:
    int m_resourceId = -1;
    QString m_fileName;
};

} // namespace infobox
