#include "lumora/shell/InstanceGuard.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>
#include <unistd.h>

namespace shell {
namespace {

const QByteArray kActivate = QByteArrayLiteral("ACTIVATE\n");

} // namespace

CInstanceGuard::CInstanceGuard(const QString& key) : m_name(UserName(key)) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &CInstanceGuard::OnConnection);
}

CInstanceGuard::~CInstanceGuard() {
    Release();
}

QString CInstanceGuard::UserName(const QString& key) {
    return QStringLiteral("lumora-%1-%2").arg(key).arg(static_cast<qulonglong>(getuid()));
}

QString CInstanceGuard::LockPath() const {
    return QDir::temp().filePath(m_name + QStringLiteral(".lock"));
}

CInstanceGuard::eResult CInstanceGuard::Acquire() {
    m_lock = std::make_unique<QLockFile>(LockPath());
    // Only a lock whose process has ended is stale, however old it is.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        // Holding the lock, any socket of that name is a crashed start's.
        QLocalServer::removeServer(m_name);
        if (!m_server.listen(m_name))
            qWarning("lumora: the activation socket %s cannot listen: %s", qPrintable(m_name),
                     qPrintable(m_server.errorString()));
        return eFirst;
    }
    const QLockFile::LockError error = m_lock->error();
    m_lock.reset();
    if (error != QLockFile::LockFailedError)
        return eFailed;
    AskRunningInstance();
    return eSecond;
}

// The running start may still be on its way to listening: it is tried again until the time is up.
bool CInstanceGuard::AskRunningInstance() {
    const QDeadlineTimer deadline(kActivateTimeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_name);
        if (socket.waitForConnected(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
            socket.write(kActivate);
            socket.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
            socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
            return true;
        }
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
