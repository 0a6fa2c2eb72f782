#pragma once

#include <cstddef>
#include <string>
#include <sys/uio.h>

namespace drvcore {

// A client TCP connection whose every wait is bounded: connect, send and receive each take a time-out.
class CTcpConnection {
public:
    enum eResult { eOk, eTimeout, eClosed, eError };

    CTcpConnection() = default;
    ~CTcpConnection();
    CTcpConnection(const CTcpConnection&) = delete;
    CTcpConnection& operator=(const CTcpConnection&) = delete;

    bool Connect(const std::string& host, int port, int timeoutMs, std::string& error);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    eResult SendAll(const void* data, size_t size, int timeoutMs);
    eResult SendAllV(iovec* parts, int count, int timeoutMs);
    // Receives at least one byte (up to 'size'); 'received' tells how many.
    eResult ReceiveSome(void* data, size_t size, int timeoutMs, size_t& received);
    eResult ReceiveExact(void* data, size_t size, int timeoutMs);
    // True when input is waiting within 'timeoutMs'.
    bool WaitReadable(int timeoutMs);
    // Drops whatever input is waiting now.
    void DiscardPending();

    static const char* Describe(eResult result);

private:
    bool WaitFor(short events, int timeoutMs);

    int m_fd = -1;
};

} // namespace drvcore
