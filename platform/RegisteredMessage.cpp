#include "RegisteredMessage.h"

#include <QHash>
#include <mutex>

namespace platform {

UINT RegisterWindowMessage(const QString& name) {
    static std::mutex mutex;
    static QHash<QString, UINT> registered;
    static UINT next = 0xC000;
    std::lock_guard lock(mutex);
    if (auto it = registered.constFind(name.toLower()); it != registered.constEnd())
        return *it;
    if (next > 0xFFFF)
        return 0;
    registered.insert(name.toLower(), next);
    return next++;
}

} // namespace platform
