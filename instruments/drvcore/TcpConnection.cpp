#include "instruments/drvcore/TcpConnection.h"
#include "instruments/drvcore/SentParts.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace drvcore {

namespace {
// Large kernel buffers let multi-megabyte replies stream without stalls between reads.
constexpr int kSocketBufferBytes = 8 * 1024 * 1024;
} // namespace

CTcpConnection::~CTcpConnection() {
    Close();
}

void CTcpConnection::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool CTcpConnection::Connect(const std::string& host, int port, int timeoutMs, std::string& error) {
    Close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
        error = "cannot resolve " + host + ": " + ::gai_strerror(rc);
        return false;
    }
    error = "cannot connect to " + host + ":" + service;
    for (addrinfo* a = found; a != nullptr && m_fd < 0; a = a->ai_next) {
        int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        int size = kSocketBufferBytes;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
        if (rc != 0 && errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int ready;
            do {
                ready = ::poll(&p, 1, timeoutMs);
            } while (ready < 0 && errno == EINTR);
            int soError = 0;
            socklen_t len = sizeof soError;
            if (ready == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) == 0 && soError == 0)
                rc = 0;
            else if (ready == 0)
                error += " (time-out)";
            else if (soError != 0)
                error += std::string(" (") + std::strerror(soError) + ")";
        } else if (rc != 0) {
            error += std::string(" (") + std::strerror(errno) + ")";
        }
        if (rc == 0)
            m_fd = fd;
        else
            ::close(fd);
    }
    ::freeaddrinfo(found);
    if (m_fd >= 0)
        error.clear();
    return m_fd >= 0;
}

bool CTcpConnection::WaitFor(short events, int timeoutMs) {
    pollfd p{m_fd, events, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready == 1;
}

CTcpConnection::eResult CTcpConnection::SendAll(const void* data, size_t size, int timeoutMs) {
    iovec part{const_cast<void*>(data), size};
    return SendAllV(&part, 1, timeoutMs);
}

CTcpConnection::eResult CTcpConnection::SendAllV(iovec* parts, int count, int timeoutMs) {
    if (m_fd < 0)
        return eClosed;
    while (count > 0) {
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = static_cast<size_t>(count);
        ssize_t sent = ::sendmsg(m_fd, &message, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return errno == EPIPE || errno == ECONNRESET ? eClosed : eError;
            if (!WaitFor(POLLOUT, timeoutMs))
                return eTimeout;
            continue;
        }
        drvcore::SkipSentParts(parts, count, static_cast<size_t>(sent));
    }
    return eOk;
}

CTcpConnection::eResult CTcpConnection::ReceiveSome(void* data, size_t size, int timeoutMs,
                                                    size_t& received) {
    received = 0;
    if (m_fd < 0)
        return eClosed;
    for (;;) {
        ssize_t got = ::recv(m_fd, data, size, 0);
        if (got > 0) {
            received = static_cast<size_t>(got);
            return eOk;
        }
        if (got == 0)
            return eClosed;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return errno == ECONNRESET ? eClosed : eError;
        if (!WaitFor(POLLIN, timeoutMs))
            return eTimeout;
    }
}

CTcpConnection::eResult CTcpConnection::ReceiveExact(void* data, size_t size, int timeoutMs) {
    auto* at = static_cast<char*>(data);
    while (size > 0) {
        size_t got = 0;
        if (eResult r = ReceiveSome(at, size, timeoutMs, got); r != eOk)
            return r;
        at += got;
        size -= got;
    }
    return eOk;
}

bool CTcpConnection::WaitReadable(int timeoutMs) {
    return m_fd >= 0 && WaitFor(POLLIN, timeoutMs);
}

void CTcpConnection::DiscardPending() {
    char scrap[4096];
    while (m_fd >= 0 && ::recv(m_fd, scrap, sizeof scrap, MSG_DONTWAIT) > 0) {
    }
}

const char* CTcpConnection::Describe(eResult result) {
    switch (result) {
    case eOk:
        return "ok";
    case eTimeout:
        return "time-out";
    case eClosed:
        return "connection closed by the instrument";
    case eError:
        break;
    }
    return "network error";
}

} // namespace drvcore
