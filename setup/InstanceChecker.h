#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// One running launcher per user and program name. The lock is a file in the user's private runtime
// folder holding the owner's process id, so a lock left by a crashed launcher is taken over, not
// obeyed. Without a private folder there is no lock, and the launcher runs unguarded.
class CInstanceChecker {
public:
    // 'applicationName' is the executable's base name.
    explicit CInstanceChecker(const QString& applicationName);
    CInstanceChecker(const CInstanceChecker&) = delete;
    CInstanceChecker& operator=(const CInstanceChecker&) = delete;
    virtual ~CInstanceChecker();

    // True when this process now holds the lock (or there is none to be had); false when another live
    // instance holds it.
    bool TrackFirstInstanceRunning();
    // Gives the lock up early; the destructor does it too.
    void Release();

    // Empty, with the reason in 'why', when the user has no private runtime folder.
    static QString LockPath(const QString& applicationName, QString* why = nullptr);

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_noFolder;
};
