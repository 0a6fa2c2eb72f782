#include "lumora/core/NetWorkTcpClient.h"

#include "platform/PumpingWait.h"

#include <QThread>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {
std::atomic<std::uint16_t> g_dataStreamPort{CNetWorkTcpClient::kDataStreamPort};
} // namespace

CNetWorkTcpClient::~CNetWorkTcpClient() {
    Close();
}

void CNetWorkTcpClient::SetDataStreamPort(std::uint16_t port) {
    g_dataStreamPort.store(port, std::memory_order_relaxed);
}

std::uint16_t CNetWorkTcpClient::DataStreamPort() {
    return g_dataStreamPort.load(std::memory_order_relaxed);
}

int CNetWorkTcpClient::Connect(const std::string& address, platform::CMessageTarget* owner) {
    Close();
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(DataStreamPort());
    if (::inet_pton(AF_INET, address.c_str(), &peer.sin_addr) != 1)
        return 0;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    int rc;
    do
        rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer));
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return 0;
    }
    m_socket = fd;
    m_owner = owner;
    m_closing.store(false, std::memory_order_relaxed);
    m_linkLost.store(false, std::memory_order_relaxed);
    m_threadFinished.store(false, std::memory_order_relaxed);
    m_connected.store(true, std::memory_order_release);
    m_threadRunning.store(true, std::memory_order_release);
    m_receiveThread = std::thread([this] { ReceiveThreadProc(); });
    return 1;
}

std::size_t CNetWorkTcpClient::Send(const unsigned char* data, std::size_t n) {
    if (m_socket < 0)
        return 0;
    std::size_t sent = 0;
    while (sent < n) {
        const ssize_t w = ::send(m_socket, data + sent, n - sent, MSG_NOSIGNAL);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            break;
        sent += static_cast<std::size_t>(w);
    }
    return sent;
}

void CNetWorkTcpClient::ReceiveThreadProc() {
    std::vector<unsigned char> buffer(kReceiveBytes + 1);
    for (;;) {
        const ssize_t n = ::recv(m_socket, buffer.data(), kReceiveBytes, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A link ended by Close is no loss; anything else is.
            if (!m_closing.load(std::memory_order_acquire)) {
                m_linkLost.store(true, std::memory_order_release);
                platform::PostMessage(m_owner, WM_TCP_CLOSED, 0, 0);
            }
            break;
        }
        buffer[static_cast<std::size_t>(n)] = 0;
        platform::SendMessage(m_owner, WM_TCP_DATA, reinterpret_cast<platform::WPARAM>(buffer.data()), n);
    }
    m_connected.store(false, std::memory_order_release);
    m_threadRunning.store(false, std::memory_order_release);
    m_threadFinished.store(true, std::memory_order_release);
}

void CNetWorkTcpClient::Close() {
    if (m_socket < 0)
        return;
    m_closing.store(true, std::memory_order_release);
    // Wakes the receive thread out of recv; the socket number stays ours until it has ended.
    ::shutdown(m_socket, SHUT_RDWR);
    if (m_receiveThread.joinable()) {
        if (m_owner != nullptr && QThread::currentThread() == m_owner->TargetThread())
            platform::JoinPumping(m_receiveThread, m_threadFinished);
        else
            m_receiveThread.join();
    }
    ::close(m_socket);
    m_socket = -1;
    m_connected.store(false, std::memory_order_release);
}
