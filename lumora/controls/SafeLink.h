#pragma once

#include <QUrl>

namespace controls {

// Opens a web or mail link with the desktop's handler. Only http and https links with a host and
// mailto links with an address are opened: a label's text must never start a program or open a file.
bool IsSafeLink(const QUrl& url);
bool OpenSafeLink(const QUrl& url);

} // namespace controls
