#pragma once

#include <QUrl>

namespace controls {

// Opens a web or mail link with the desktop's handler. Only http and https links with a host and
// mailto links with an address are opened: a label's text must never start a program or open a file.
bool IsSafeLink(const QUrl& url);
// With newWindow a web link opens in a new window of the default browser, through the "new-window"
// action of its desktop entry; a browser without one opens it as it opens any link.
bool OpenSafeLink(const QUrl& url, bool newWindow = false);

} // namespace controls
