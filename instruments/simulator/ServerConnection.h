#pragma once

#include <atomic>
#include <cstddef>
#include <sys/uio.h>

namespace benchsim {

// One accepted connection. Every wait also watches the server's stop signal, so a server can stop
// while a client idles or a fault holds the connection. While a read waits for the client, the
// connection is idle: 'idleSince' (when given) holds the steady-clock millisecond it began waiting,
// and 0 while the connection is busy, so that the server can give an idle session's place away.
class CServerConnection {
public:
    CServerConnection(int fd, int stopFd, std::atomic<long long>* idleSince = nullptr)
        : m_fd(fd), m_stopFd(stopFd), m_idleSince(idleSince) {}

    // The steady clock in milliseconds, never 0.
    static long long NowMs();

    // At least one byte, or -1 when the peer closed, an error occurred or the server stops.
    long long ReadSome(char* data, size_t size);
    bool ReadExact(char* data, size_t size);
    bool SendAll(const char* data, size_t size);
    bool SendAllV(iovec* parts, int count);
    // Sleeps up to 'ms'; false when the server stops meanwhile.
    bool Sleep(int ms);
    // Sleeps up to 'ms' without reading; false when the server stops or the peer hangs up meanwhile.
    bool Pause(int ms);
    // False once the peer has closed or reset the connection.
    bool PeerOpen();
    // Holds the connection, ignoring input, until the peer closes or the server stops.
    void HoldUntilClosed();
    // Ends the connection at once (the peer sees it closed).
    void Drop();

private:
    // 1: ready, 0: time-out, -1: stop or error.
    int Wait(short events, int timeoutMs);

    int m_fd;
    int m_stopFd;
    std::atomic<long long>* m_idleSince;
};

} // namespace benchsim
