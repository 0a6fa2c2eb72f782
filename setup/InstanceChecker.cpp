#include "setup/InstanceChecker.h"

#include "platform/RuntimeFolder.h"

CInstanceChecker::CInstanceChecker(const QString& applicationName) {
    const QString path = LockPath(applicationName, &m_noFolder);
    if (path.isEmpty())
        return;
    m_lock = std::make_unique<QLockFile>(path);
    // Age alone never makes a lock stale: a second start is refused for as long as the first runs.
    m_lock->setStaleLockTime(0);
}

CInstanceChecker::~CInstanceChecker() {
    Release();
}

QString CInstanceChecker::LockPath(const QString& applicationName, QString* why) {
    // Where Lumora keeps its own lock: never a folder another user could have made first, as the
    // shared temporary folder would be, where one planted lock would stop every start.
    const QString folder = platform::PrivateRuntimeFolder(why);
    if (folder.isEmpty())
        return {};
    return folder + QStringLiteral("CInstanceChecker_MMF_") + applicationName + QStringLiteral(".lock");
}

bool CInstanceChecker::TrackFirstInstanceRunning() {
    if (!m_lock) {
        // No lock to be had: the launcher runs unguarded rather than not at all, and says so.
        qWarning("setup: runs without the single-instance lock: %s", qPrintable(m_noFolder));
        return true;
    }
    // tryLock removes a lock whose owner process is gone before it tries again.
    return m_lock->tryLock(0);
}

void CInstanceChecker::Release() {
    if (m_lock && m_lock->isLocked())
        m_lock->unlock();
}
