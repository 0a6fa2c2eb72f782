#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace shell {

// One running program per user: the first start holds a lock file and listens on a local socket,
// both named by the key and the user, in the user's private runtime folder; a later start finds the
// lock held, asks the running one over the socket to come to the front and ends. A lock or socket
// left by a crashed start blocks nothing: the lock names a process that no longer runs, and its
// holder replaces the socket. A lock file that is not the user's own is not trusted.
class CInstanceGuard : public QObject {
public:
    enum eResult {
        eFirst,       // the lock is held and the socket listens
        eSecond,      // another start holds the lock and has been asked to come to the front
        eUnreachable, // another start holds the lock but did not answer in time
        eFailed,      // no lock could be had (FailureText says why): the program runs without the guard
    };
    // How long a later start tries to reach the running one, in all.
    static constexpr int kActivateTimeoutMs = 3000;

    explicit CInstanceGuard(const QString& key);
    ~CInstanceGuard() override;

    eResult Acquire();
    // Runs on the user-interface thread for each activation a later start sends; its result goes back.
    void SetActivationHandler(std::function<std::intptr_t()> handler) { m_handler = std::move(handler); }
    void Release();

    // The socket's full path, and the lock's; empty when there is no private folder.
    QString ServerName() const { return m_name; }
    QString LockPath() const;
    // The process that holds the lock, once Acquire found it held (0 when unknown).
    qint64 HolderProcess() const { return m_holder; }
    // Why Acquire failed, for the log.
    QString FailureText() const { return m_failure; }

    // The key with the user's id, the name of both the lock and the socket.
    static QString UserName(const QString& key);
    // The user's private runtime folder (platform::PrivateRuntimeFolder): never one another user could
    // have made first. Empty, with the reason in 'why', when there is none. Ends with '/'.
    static QString PrivateFolder(QString* why = nullptr);

private:
    void OnConnection();
    bool AskRunningInstance();
    // A lock file another user made, or that is no regular file, is removed: it cannot be a start's
    // of this user. False when it is there and cannot be removed.
    bool RemoveForeignLock() const;

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    std::function<std::intptr_t()> m_handler;
    qint64 m_holder = 0;
    QString m_failure;
    QString m_noFolder; // why there is no private folder, when there is none
};

} // namespace shell
