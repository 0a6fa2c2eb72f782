#include "lumora/shell/InstanceGuard.h"

#include "platform/RuntimeFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QThread>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shell {
namespace {

const QByteArray kActivate = QByteArrayLiteral("ACTIVATE\n");
// A lock file whose contents name no process, that no start holds, and that is older than this, was
// left by a start that ended while making it.
constexpr int kUnfinishedLockSeconds = 10;

} // namespace

CInstanceGuard::CInstanceGuard(const QString& key) {
    const QString folder = PrivateFolder(&m_noFolder);
    if (!folder.isEmpty())
        m_name = folder + UserName(key);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &CInstanceGuard::OnConnection);
}

CInstanceGuard::~CInstanceGuard() {
    Release();
}

QString CInstanceGuard::UserName(const QString& key) {
    return QStringLiteral("lumora-%1-%2").arg(key).arg(static_cast<qulonglong>(::geteuid()));
}

QString CInstanceGuard::PrivateFolder(QString* why) {
    return platform::PrivateRuntimeFolder(why);
}

QString CInstanceGuard::LockPath() const {
    return m_name.isEmpty() ? QString() : m_name + QStringLiteral(".lock");
}

bool CInstanceGuard::RemoveForeignLock() const {
    const QByteArray lock = QFile::encodeName(LockPath());
    struct stat status {};
    if (::lstat(lock.constData(), &status) != 0)
        return true;
    bool foreign = !S_ISREG(status.st_mode) || status.st_uid != ::geteuid();
    if (!foreign && ::time(nullptr) - status.st_mtime > kUnfinishedLockSeconds) {
        // Contents that name no process, in a file no start holds: a start ended while making it.
        qint64 pid = 0;
        QString host, application;
        QLockFile reader(LockPath());
        const int fd = ::open(lock.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            foreign = !reader.getLockInfo(&pid, &host, &application) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
            ::close(fd);
        }
    }
    if (!foreign)
        return true;
    qWarning("lumora: %s is not a lock of this user's; it is removed", lock.constData());
    if (S_ISDIR(status.st_mode))
        return QDir(LockPath()).removeRecursively();
    return ::unlink(lock.constData()) == 0;
}

CInstanceGuard::eResult CInstanceGuard::Acquire() {
    m_holder = 0;
    m_failure.clear();
    if (m_name.isEmpty()) {
        m_failure = m_noFolder;
        return eFailed;
    }
    if (!RemoveForeignLock()) {
        m_failure = QStringLiteral("%1 is not a lock of this user's and cannot be removed").arg(LockPath());
        return eFailed;
    }
    m_lock = std::make_unique<QLockFile>(LockPath());
    // Only a lock whose process has ended is stale, however old it is.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        ::chmod(QFile::encodeName(LockPath()).constData(), 0600);
        // Holding the lock, any socket of that name is a crashed start's.
        QLocalServer::removeServer(m_name);
        if (!m_server.listen(m_name))
            qWarning("lumora: the activation socket %s cannot listen: %s", qPrintable(m_name),
                     qPrintable(m_server.errorString()));
        return eFirst;
    }
    const QLockFile::LockError error = m_lock->error();
    QString host, application;
    m_lock->getLockInfo(&m_holder, &host, &application);
    m_lock.reset();
    if (error != QLockFile::LockFailedError) {
        m_failure = QStringLiteral("the lock %1 cannot be made").arg(LockPath());
        return eFailed;
    }
    return AskRunningInstance() ? eSecond : eUnreachable;
}

// The running start may still be on its way to listening: it is tried again until the time is up.
// It is reached when it answers; a socket that takes the request and says nothing (a start that hangs
// or is stopped) is not.
bool CInstanceGuard::AskRunningInstance() {
    const QDeadlineTimer deadline(kActivateTimeoutMs);
    const auto left = [&deadline] { return static_cast<int>(std::max<qint64>(1, deadline.remainingTime())); };
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_name);
        if (socket.waitForConnected(left())) {
            socket.write(kActivate);
            socket.waitForBytesWritten(left());
            while (!socket.canReadLine() && !deadline.hasExpired() &&
                   socket.state() == QLocalSocket::ConnectedState)
                socket.waitForReadyRead(left());
            if (socket.canReadLine())
                return true;
        }
        if (!deadline.hasExpired())
            QThread::msleep(50);
    }
    return false;
}

void CInstanceGuard::OnConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kActivate.size())
                    socket->disconnectFromServer();
                return;
            }
            const QByteArray line = socket->readLine(64);
            if (line != kActivate) {
                socket->disconnectFromServer();
                return;
            }
            const std::intptr_t answer = m_handler ? m_handler() : 0;
            socket->write(QByteArray::number(static_cast<qlonglong>(answer)) + '\n');
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

void CInstanceGuard::Release() {
    if (m_server.isListening())
        m_server.close();
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

} // namespace shell
