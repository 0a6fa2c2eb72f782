#pragma once

#include <QPixmap>

namespace shell {

// The panes' online and offline images: a green or grey lamp.
QPixmap OnlineIcon(bool online);

} // namespace shell
