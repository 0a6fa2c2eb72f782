#include "setup/InstanceChecker.h"

#include <QDir>
#include <QStandardPaths>

CInstanceChecker::CInstanceChecker(const QString& applicationName)
    : m_lock(std::make_unique<QLockFile>(LockPath(applicationName))) {
    // Age alone never makes a lock stale: a second start is refused for as long as the first runs.
    m_lock->setStaleLockTime(0);
}

CInstanceChecker::~CInstanceChecker() {
    Release();
}

QString CInstanceChecker::LockPath(const QString& applicationName) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/CInstanceChecker_MMF_") + applicationName + QStringLiteral(".lock");
}

bool CInstanceChecker::TrackFirstInstanceRunning() {
    // tryLock removes a lock whose owner process is gone before it tries again.
    return m_lock->tryLock(0);
}

void CInstanceChecker::Release() {
    if (m_lock->isLocked())
        m_lock->unlock();
}
