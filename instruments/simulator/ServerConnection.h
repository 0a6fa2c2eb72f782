#pragma once

#include <atomic>
#include <cstddef>
#include <sys/uio.h>

namespace benchsim {

// One accepted connection. Every wait also watches the server's stop signal, so a server can stop
// while a client idles or a fault holds the connection. A connection waits for its client from the
// moment a read must wait until a whole command has come in (the server says so with
// CommandReceived), and from the moment a send must wait until the whole of it has gone out, or until
// the client is seen to take some of the output that waits for it (a slow reader of a large block is
// at work): bytes that trickle in without making a command, or output the client does not read, do
// not count as progress. 'idleSince' (when given) holds the steady-clock millisecond the wait began, and 0
// while the connection is at work, so that the server can give the place of a session that makes no progress
// away.
class CServerConnection {
public:
    CServerConnection(int fd, int stopFd, std::atomic<long long>* idleSince = nullptr)
        : m_fd(fd), m_stopFd(stopFd), m_idleSince(idleSince) {}

    // The steady clock in milliseconds, never 0.
    static long long NowMs();

    // At least one byte, or -1 when the peer closed, an error occurred or the server stops.
    long long ReadSome(char* data, size_t size);
    // A whole command has come in: the connection is at work again.
    void CommandReceived();
    bool ReadExact(char* data, size_t size);
    bool SendAll(const char* data, size_t size);
    bool SendAllV(iovec* parts, int count);
    // Sleeps up to 'ms'; false when the server stops meanwhile.
    bool Sleep(int ms);
    // Sleeps up to 'ms' without reading; false when the server stops or the peer hangs up meanwhile.
    bool Pause(int ms);
    // False once the peer has closed or reset the connection.
    bool PeerOpen();
    // Waits until the peer's end has acknowledged every byte sent (they are in its receive queue, to be
    // read however its reader ends the link); false when the server stops or the peer hangs up first.
    bool WaitAcknowledged();
    // Holds the connection, ignoring input, until the peer closes or the server stops.
    void HoldUntilClosed();
    // Ends the connection at once (the peer sees it closed).
    void Drop();

private:
    // 1: ready, 0: time-out, -1: stop or error.
    int Wait(short events, int timeoutMs);
    // The connection waits for its client from now, unless it already did.
    void StartWaiting();
    // Waits until more output may be sent: 1, or -1 when the server stops or the connection fails.
    // Each time the client has taken some of the output queued for it, its wait starts anew.
    int WaitForRoom();

    int m_fd;
    int m_stopFd;
    std::atomic<long long>* m_idleSince;
};

} // namespace benchsim
