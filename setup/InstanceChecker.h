#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// One running launcher per user and program name. The lock is a file in the user's runtime folder
// holding the owner's process id, so a lock left by a crashed launcher is taken over, not obeyed.
class CInstanceChecker {
public:
    // 'applicationName' is the executable's base name.
    explicit CInstanceChecker(const QString& applicationName);
    CInstanceChecker(const CInstanceChecker&) = delete;
    CInstanceChecker& operator=(const CInstanceChecker&) = delete;
    virtual ~CInstanceChecker();

    // True when this process now holds the lock; false when another live instance holds it.
    bool TrackFirstInstanceRunning();
    // Gives the lock up early; the destructor does it too.
    void Release();

    static QString LockPath(const QString& applicationName);

private:
    std::unique_ptr<QLockFile> m_lock;
};
