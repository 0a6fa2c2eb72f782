#pragma once

#include "lumora/controls/LibraryxStatic.h"

namespace infobox {

// The picture static of the information library: the control library's, with the bitmap kept by
// value (setting the same picture twice frees nothing twice) and loaded from the library's pictures
// by id or from a file, or dropped on it as the prompt library's takes it.
class CxStatic : public controls::CLibraryxStatic {
public:
    explicit CxStatic(QWidget* parent = nullptr, unsigned style = 0);

    // A picture of the library by id; false for an unknown id.
    bool LoadFromResource(int id, bool keepSize);

    // The pictures of the library by id; a null picture for an unknown id.
    static QPixmap ResourcePicture(int id);
};

} // namespace infobox
