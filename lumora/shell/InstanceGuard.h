#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace shell {

// One running program per user: the first start holds a lock file and listens on a local socket,
// both named by the key and the user; a later start finds the lock held, asks the running one over
// the socket to come to the front and ends. A lock or socket left by a crashed start blocks nothing:
// the lock names a process that no longer runs, and its holder replaces the socket.
class CInstanceGuard : public QObject {
public:
    enum eResult { eFirst, eSecond, eFailed };
    // How long a later start tries to reach the running one, in all.
    static constexpr int kActivateTimeoutMs = 3000;

    explicit CInstanceGuard(const QString& key);
    ~CInstanceGuard() override;

    // First: the lock is held and the socket listens. Second: another start holds the lock; it has
    // been asked to come to the front (when it could be reached in time). Failed: no lock could be made.
    eResult Acquire();
    // Runs on the user-interface thread for each activation a later start sends; its result goes back.
    void SetActivationHandler(std::function<std::intptr_t()> handler) { m_handler = std::move(handler); }
    void Release();

    QString ServerName() const { return m_name; }
    QString LockPath() const;
    // The key with the user's id, the name of both the lock and the socket.
    static QString UserName(const QString& key);

private:
    void OnConnection();
    bool AskRunningInstance();

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    std::function<std::intptr_t()> m_handler;
};

} // namespace shell
