#include "instruments/simulator/TcpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace benchsim {

namespace {
constexpr int kSocketBufferBytes = 8 * 1024 * 1024;
}

CTcpServer::CTcpServer() = default;

CTcpServer::~CTcpServer() {
    Stop();
}

bool CTcpServer::Start(const std::string& address, int port) {
    CTcpServer::Stop();
    m_address = address;
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<uint16_t>(port));
    if (::inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1 ||
        (ntohl(where.sin_addr.s_addr) >> 24) != 127) {
        m_error = "not a loopback address: " + address;
        return false;
    }
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
        ::listen(m_listenFd, 16) != 0) {
        m_error = "cannot listen on " + address + ":" + std::to_string(port) + ": " + std::strerror(errno);
        ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    socklen_t length = sizeof where;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&where), &length);
    m_port = ntohs(where.sin_port);
    m_stopFd = ::eventfd(0, EFD_CLOEXEC);
    m_running.store(true, std::memory_order_release);
    m_acceptor = std::thread(&CTcpServer::AcceptLoop, this);
    return true;
}

void CTcpServer::Stop() {
    if (m_stopFd < 0)
        return;
    const uint64_t one = 1;
    // The counter stays non-zero, so every poll on it keeps waking until the fd is closed.
    [[maybe_unused]] ssize_t rc = ::write(m_stopFd, &one, sizeof one);
    if (m_acceptor.joinable())
        m_acceptor.join();
    std::list<std::unique_ptr<SClient>> clients;
    {
        std::lock_guard lock(m_clientsMutex);
        clients.swap(m_clients);
    }
    for (auto& client : clients) {
        ::shutdown(client->fd, SHUT_RDWR);
        client->thread.join();
        ::close(client->fd);
    }
    ::close(m_listenFd);
    ::close(m_stopFd);
    m_listenFd = -1;
    m_stopFd = -1;
    m_running.store(false, std::memory_order_release);
}

void CTcpServer::ReapFinished() {
    std::list<std::unique_ptr<SClient>> finished;
    {
        std::lock_guard lock(m_clientsMutex);
        for (auto it = m_clients.begin(); it != m_clients.end();) {
            if ((*it)->finished.load(std::memory_order_acquire)) {
                finished.push_back(std::move(*it));
                it = m_clients.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& client : finished) {
        client->thread.join();
        ::close(client->fd);
    }
}

bool CTcpServer::GiveAwayIdleSession() {
    const long long now = CServerConnection::NowMs();
    const long long idleMs = m_idleMs.load(std::memory_order_relaxed);
    SClient* longest = nullptr;
    long long since = 0;
    for (const auto& client : m_clients) {
        if (client->givenAway)
            continue;
        const long long idle = client->idleSince.load(std::memory_order_acquire);
        if (idle != 0 && now - idle >= idleMs && (longest == nullptr || idle < since)) {
            longest = client.get();
            since = idle;
        }
    }
    if (longest == nullptr)
        return false;
    longest->givenAway = true;
    ::shutdown(longest->fd, SHUT_RDWR);
    return true;
}

void CTcpServer::AcceptLoop() {
    pollfd p[2] = {{m_listenFd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(p, 2, 1000);
        if (ready < 0 && errno != EINTR)
            return;
        if (p[1].revents != 0)
            return;
        ReapFinished();
        if (ready <= 0 || (p[0].revents & POLLIN) == 0)
            continue;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        {
            std::lock_guard lock(m_clientsMutex);
            std::size_t serving = 0;
            for (const auto& client : m_clients)
                serving += client->givenAway ? 0 : 1;
            if (serving >= MaxConnections() && !GiveAwayIdleSession()) {
                // Like an instrument out of sessions: the connection is closed at once.
                ::close(fd);
                continue;
            }
        }
        int size = kSocketBufferBytes;
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto client = std::make_unique<SClient>();
        client->fd = fd;
        SClient* raw = client.get();
        std::lock_guard lock(m_clientsMutex);
        m_clients.push_back(std::move(client));
        raw->thread = std::thread([this, raw] {
            CServerConnection connection(raw->fd, m_stopFd, &raw->idleSince);
            Serve(connection);
            ::shutdown(raw->fd, SHUT_RDWR);
            raw->finished.store(true, std::memory_order_release);
        });
    }
}

} // namespace benchsim
