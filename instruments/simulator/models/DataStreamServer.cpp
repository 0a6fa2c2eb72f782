#include "DataStreamServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace benchsim {
namespace {

constexpr int POLL_MS = 10;
constexpr std::size_t FRAMES_PER_SEND = 4096;
const unsigned char START_REQUEST[4] = {0xA5, 0x5A, 0x00, 0x00};
const unsigned char GO_COMMAND[4] = {0x2E, 0xB1, 0x00, 0x00};

void PutWord(unsigned char* at, std::uint32_t word) {
    at[0] = static_cast<unsigned char>(word);
    at[1] = static_cast<unsigned char>(word >> 8);
    at[2] = static_cast<unsigned char>(word >> 16);
    at[3] = static_cast<unsigned char>(word >> 24);
}

// Reads exactly n bytes unless the server stops or the peer goes away.
bool ReadExactly(int socket, unsigned char* data, std::size_t n, const std::atomic<bool>& stop) {
    std::size_t got = 0;
    while (got < n) {
        if (stop)
            return false;
        pollfd pfd{socket, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, POLL_MS * 5);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        const ssize_t r = ::recv(socket, data + got, n - got, 0);
        if (r <= 0)
            return false;
        got += static_cast<std::size_t>(r);
    }
    return true;
}

bool SendAll(int socket, const unsigned char* data, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::send(socket, data, n, MSG_NOSIGNAL);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        data += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

// True when the peer has closed its side (or the link broke).
bool PeerGone(int socket) {
    pollfd pfd{socket, POLLIN, 0};
    if (::poll(&pfd, 1, 0) <= 0)
        return false;
    unsigned char scratch[64];
    const ssize_t r = ::recv(socket, scratch, sizeof(scratch), MSG_DONTWAIT);
    return r == 0 || (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

} // namespace

CDataStreamServer::CDataStreamServer(CSim2280S& model) : m_model(model) {}

CDataStreamServer::~CDataStreamServer() {
    Stop();
}

void CDataStreamServer::EncodeFrame(float value, double time, unsigned char frame[FRAME_SIZE]) {
    std::memset(frame, 0, FRAME_SIZE);
    frame[0] = 'V';
    frame[1] = 'A';
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    PutWord(frame + 8, bits);
    const double seconds = std::floor(time);
    auto fraction = static_cast<std::uint32_t>(std::llround((time - seconds) * 10000.0));
    auto whole = static_cast<std::uint32_t>(seconds);
    if (fraction >= 10000) {
        fraction -= 10000;
        ++whole;
    }
    PutWord(frame + 12, whole);
    PutWord(frame + 16, fraction);
}

bool CDataStreamServer::Start(const std::string& address, std::uint16_t port, std::string& error) {
    Stop();
    m_stop = false;
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &sa.sin_addr) != 1) {
        error = "not an IPv4 address: " + address;
        return false;
    }
    // A simulated instrument never appears on a real network.
    if ((ntohl(sa.sin_addr.s_addr) >> 24) != 127) {
        error = "not a loopback address: " + address;
        return false;
    }
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0) {
        error = std::strerror(errno);
        return false;
    }
    const int yes = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&sa), sizeof(sa)) != 0 ||
        ::listen(m_listener, 8) != 0) {
        error = "data stream on " + address + ":" + std::to_string(port) + ": " + std::strerror(errno);
        ::close(m_listener);
        m_listener = -1;
        return false;
    }
    socklen_t length = sizeof(sa);
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&sa), &length);
    m_port = ntohs(sa.sin_port);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    return true;
}

void CDataStreamServer::Stop() {
    m_stop = true;
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    std::list<std::unique_ptr<SClient>> clients;
    {
        std::lock_guard lock(m_clientsMutex);
        for (const auto& client : m_clients)
            ::shutdown(client->socket, SHUT_RDWR);
        clients.swap(m_clients);
    }
    for (const auto& client : clients) {
        client->thread.join();
        ::close(client->socket);
    }
    if (m_listener >= 0) {
        ::close(m_listener);
        m_listener = -1;
    }
}

void CDataStreamServer::ReapFinished() {
    std::lock_guard lock(m_clientsMutex);
    for (auto it = m_clients.begin(); it != m_clients.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            ::close((*it)->socket);
            it = m_clients.erase(it);
        } else {
            ++it;
        }
    }
}

void CDataStreamServer::AcceptLoop() {
    while (!m_stop) {
        pollfd pfd{m_listener, POLLIN, 0};
        if (::poll(&pfd, 1, POLL_MS * 5) <= 0)
            continue;
        const int socket = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0)
            continue;
        const int yes = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof(yes));
        ++m_connections;
        ReapFinished();
        auto client = std::make_unique<SClient>();
        client->socket = socket;
        SClient& started = *client;
        std::lock_guard lock(m_clientsMutex);
        m_clients.push_back(std::move(client));
        started.thread = std::thread([this, &started] { Serve(started); });
    }
}

void CDataStreamServer::Serve(SClient& client) {
    const int socket = client.socket;
    unsigned char request[4];
    if (ReadExactly(socket, request, 4, m_stop) && std::memcmp(request, START_REQUEST, 4) == 0) {
        const bool refuse = m_refuse;
        const unsigned char reply[4] = {0, 0, 0, static_cast<unsigned char>(refuse ? 1 : 0)};
        unsigned char go[4];
        if (SendAll(socket, reply, 4) && !refuse && ReadExactly(socket, go, 4, m_stop) &&
            std::memcmp(go, GO_COMMAND, 4) == 0) {
            std::uint64_t run = 0, next = 0;
            std::vector<unsigned char> frames;
            while (!m_stop && !PeerGone(socket)) {
                if (m_dropMidFrame) {
                    unsigned char frame[FRAME_SIZE];
                    EncodeFrame(0.0f, 0.0, frame);
                    SendAll(socket, frame, FRAME_SIZE / 2);
                    break;
                }
                const auto readings = m_model.TakeStreamReadings(run, next, FRAMES_PER_SEND);
                if (readings.empty()) {
                    ::usleep(POLL_MS * 1000);
                    continue;
                }
                frames.resize(readings.size() * FRAME_SIZE);
                for (std::size_t i = 0; i < readings.size(); ++i)
                    EncodeFrame(readings[i].value, readings[i].time, frames.data() + i * FRAME_SIZE);
                if (!SendAll(socket, frames.data(), frames.size()))
                    break;
                m_framesSent += readings.size();
                if (readings.size() < FRAMES_PER_SEND)
                    ::usleep(POLL_MS * 1000);
            }
        }
    }
    // The socket stays open until the thread is joined, so that Stop never shuts down a reused number.
    ::shutdown(socket, SHUT_RDWR);
    client.finished = true;
}

} // namespace benchsim
