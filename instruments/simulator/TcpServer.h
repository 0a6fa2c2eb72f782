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
class CTcpServer {
public:
    // Connections served at once on one port; a further one is closed as soon as it is accepted.
    static constexpr size_t kMaxConnections = 16;

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

protected:
    virtual void Serve(CServerConnection& connection) = 0;

private:
    struct SClient {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void AcceptLoop();
    void ReapFinished();

    std::string m_address;
    std::string m_error;
    int m_port = 0;
    int m_listenFd = -1;
    int m_stopFd = -1;
    std::atomic<bool> m_running{false};
    std::thread m_acceptor;
    std::mutex m_clientsMutex;
    std::list<std::unique_ptr<SClient>> m_clients;
};

} // namespace benchsim
