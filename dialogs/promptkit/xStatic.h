#pragma once

#include "lumora/controls/LibraryxStatic.h"

namespace promptkit {

// The picture static of the prompt library: the library build of the control library's.
class CxStatic : public controls::CLibraryxStatic {
public:
    explicit CxStatic(QWidget* parent = nullptr, unsigned style = 0)
        : controls::CLibraryxStatic(parent, style) {}
};

} // namespace promptkit
