#pragma once

#include "instruments/simulator/ServerConnection.h"

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace benchsim {

// A TCP server on one loopback address: an accepting thread, and a thread per connection that runs
// Serve. Stop (also from the destructor of every derived class) ends all of them and joins them.
// Like an instrument, it serves a fixed number of sessions at once. When all are taken, a new client
// takes the place of the session that has waited longest for its client (for a whole command, or for
// it to read its output: see CServerConnection), once that has waited the idle time; else the new
// connection is closed as soon as it is accepted. A session that is at work (executing, sending what
// its client reads, streaming to a client that reads) keeps its place.
class CTcpServer {
public:
    // Connections served at once on one port, unless a server says otherwise (MaxConnections).
    static constexpr size_t kMaxConnections = 16;
    static constexpr int kDefaultIdleMs = 10000;

    CTcpServer();
    virtual ~CTcpServer();
    CTcpServer(const CTcpServer&) = delete;
    CTcpServer& operator=(const CTcpServer&) = delete;

    // Binds 'address' (loopback only) and 'port' (0: any free port) and starts serving.
    virtual bool Start(const std::string& address, int port);
    virtual void Stop();
    bool IsRunning() const { return m_running.load(std::memory_order_acquire); }
    // The bound port (useful after Start with port 0).
    int Port() const { return m_port; }
    const std::string& Address() const { return m_address; }
    const std::string& Error() const { return m_error; }
    // How long a session must have waited for its client (for a whole command, or for its output to be
    // read) before a new client may take its place.
    void SetIdleTime(int milliseconds) { m_idleMs.store(milliseconds, std::memory_order_relaxed); }

protected:
    virtual void Serve(CServerConnection& connection) = 0;
    virtual size_t MaxConnections() const { return kMaxConnections; }

private:
    struct SClient {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> finished{false};
        std::atomic<long long> idleSince{0};
        bool givenAway = false;
    };

    void AcceptLoop();
    void ReapFinished();
    // With every session taken: ends the one that has waited longest for its client, when it has
    // waited the idle time (its thread ends and is reaped as any other). True when a place is made.
    bool GiveAwayIdleSession();

    std::string m_address;
    std::string m_error;
    int m_port = 0;
    int m_listenFd = -1;
    int m_stopFd = -1;
    std::atomic<bool> m_running{false};
    std::atomic<int> m_idleMs{kDefaultIdleMs};
    std::thread m_acceptor;
    std::mutex m_clientsMutex;
    std::list<std::unique_ptr<SClient>> m_clients;
};

} // namespace benchsim
