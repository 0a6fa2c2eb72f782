#include "instruments/simulator/ServerConnection.h"

#include "instruments/drvcore/SentParts.h"

#include <cerrno>
#include <chrono>
#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace benchsim {

namespace {
// How often a send that waits looks whether its client has taken some of its output.
constexpr int kProgressCheckMs = 100;
} // namespace

long long CServerConnection::NowMs() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(since).count() + 1;
}

int CServerConnection::Wait(short events, int timeoutMs) {
    pollfd p[2] = {{m_fd, events, 0}, {m_stopFd, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(p, 2, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || p[1].revents != 0)
            return -1;
        if (ready == 0)
            return 0;
        return 1;
    }
}

long long CServerConnection::ReadSome(char* data, size_t size) {
    for (;;) {
        const ssize_t got = ::recv(m_fd, data, size, MSG_DONTWAIT);
        if (got > 0)
            return got;
        if (got == 0)
            return -1;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return -1;
        StartWaiting();
        if (Wait(POLLIN, -1) != 1)
            return -1;
    }
}

void CServerConnection::CommandReceived() {
    if (m_idleSince != nullptr)
        m_idleSince->store(0, std::memory_order_release);
}

void CServerConnection::StartWaiting() {
    if (m_idleSince != nullptr && m_idleSince->load(std::memory_order_acquire) == 0)
        m_idleSince->store(NowMs(), std::memory_order_release);
}

bool CServerConnection::ReadExact(char* data, size_t size) {
    while (size > 0) {
        const long long got = ReadSome(data, size);
        if (got < 0)
            return false;
        data += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool CServerConnection::SendAll(const char* data, size_t size) {
    iovec part{const_cast<char*>(data), size};
    return SendAllV(&part, 1);
}

bool CServerConnection::SendAllV(iovec* parts, int count) {
    // Output the client does not take waits for it until the whole of it has gone out.
    const long long before = m_idleSince != nullptr ? m_idleSince->load(std::memory_order_acquire) : 0;
    while (count > 0) {
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = static_cast<size_t>(count);
        const ssize_t sent = ::sendmsg(m_fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return false;
            if (WaitForRoom() != 1)
                return false;
            continue;
        }
        drvcore::SkipSentParts(parts, count, static_cast<size_t>(sent));
    }
    if (m_idleSince != nullptr)
        m_idleSince->store(before, std::memory_order_release);
    return true;
}

int CServerConnection::WaitForRoom() {
    // The bytes the client has not yet taken; -1 when the system cannot say (no progress is seen).
    const auto queued = [this] {
        int bytes = 0;
        return ::ioctl(m_fd, SIOCOUTQ, &bytes) == 0 ? bytes : -1;
    };
    StartWaiting();
    int before = queued();
    for (;;) {
        const int ready = Wait(POLLOUT, kProgressCheckMs);
        if (ready < 0)
            return ready;
        // Looked at also when room has come: a client that reads steadily may wake every wait early.
        const int now = queued();
        if (now >= 0 && now < before && m_idleSince != nullptr)
            m_idleSince->store(NowMs(), std::memory_order_release);
        if (ready == 1)
            return ready;
        before = now;
    }
}

bool CServerConnection::Sleep(int ms) {
    pollfd p{m_stopFd, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, ms);
    } while (ready < 0 && errno == EINTR);
    return ready == 0;
}

bool CServerConnection::Pause(int ms) {
    pollfd p[2] = {{m_fd, POLLRDHUP, 0}, {m_stopFd, POLLIN, 0}};
    int ready;
    do {
        ready = ::poll(p, 2, ms);
    } while (ready < 0 && errno == EINTR);
    return ready == 0;
}

bool CServerConnection::PeerOpen() {
    pollfd p{m_fd, POLLRDHUP, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, 0);
    } while (ready < 0 && errno == EINTR);
    return ready == 0;
}

bool CServerConnection::WaitAcknowledged() {
    for (;;) {
        // Bytes not yet sent or not yet acknowledged.
        int outstanding = 0;
        if (::ioctl(m_fd, SIOCOUTQ, &outstanding) != 0)
            return false;
        if (outstanding == 0)
            return true;
        if (!Pause(1))
            return false;
    }
}

void CServerConnection::HoldUntilClosed() {
    char scrap[4096];
    while (ReadSome(scrap, sizeof scrap) >= 0) {
    }
}

void CServerConnection::Drop() {
    ::shutdown(m_fd, SHUT_RDWR);
}

} // namespace benchsim
