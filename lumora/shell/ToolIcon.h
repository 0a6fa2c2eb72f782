#pragma once

#include <QPixmap>

namespace shell {

// The 24 x 24 images of the measurement pages' tool buttons, by button id.
QPixmap ToolIcon(int buttonId);

} // namespace shell
