#include "lumora/controls/SafeLink.h"

#include <QDesktopServices>

namespace controls {

bool IsSafeLink(const QUrl& url) {
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return !url.host().isEmpty();
    if (scheme == QLatin1String("mailto"))
        return url.path().contains(u'@');
    return false;
}

bool OpenSafeLink(const QUrl& url) {
    if (!IsSafeLink(url))
        return false;
    return QDesktopServices::openUrl(url);
}

} // namespace controls
