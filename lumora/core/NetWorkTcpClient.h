#pragma once

#include "platform/MessageTarget.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

// The TCP link to the supply's reading stream. A receive thread reads the socket and sends every
// chunk to the owner as WM_USER+103 (wParam: the bytes, lParam: their count); when the peer closes or
// the link breaks it posts WM_USER+120 and ends. Only Close (or the destructor) closes the socket,
// after the receive thread has ended, so no thread ever uses a closed or reused socket number.
class CNetWorkTcpClient {
public:
    static constexpr std::uint16_t kDataStreamPort = 13842;
    static constexpr platform::UINT WM_TCP_DATA = platform::WM_USER + 103;
    static constexpr platform::UINT WM_TCP_CLOSED = platform::WM_USER + 120;
    static constexpr std::size_t kReceiveBytes = 10240;

    CNetWorkTcpClient() = default;
    virtual ~CNetWorkTcpClient();
    CNetWorkTcpClient(const CNetWorkTcpClient&) = delete;
    CNetWorkTcpClient& operator=(const CNetWorkTcpClient&) = delete;

    // The port the stream is served on; tests serve it on a free one.
    static void SetDataStreamPort(std::uint16_t port);
    static std::uint16_t DataStreamPort();

    // Connects to the dotted IPv4 address and starts the receive thread; 1 or 0. A link still open is
    // closed first.
    int Connect(const std::string& address, platform::CMessageTarget* owner);
    // Sends all bytes; the number sent (fewer on a failure).
    std::size_t Send(const unsigned char* data, std::size_t n);
    // Ends the receive thread and closes the socket. On the owner's thread it serves the owner's
    // messages while it waits, as the receive thread may be sending one.
    void Close();

    bool IsConnected() const { return m_connected.load(std::memory_order_acquire); }
    bool ReceiveThreadRunning() const { return m_threadRunning.load(std::memory_order_acquire); }
    // True once the peer closed the link or it broke while the receive thread read it.
    bool LinkLost() const { return m_linkLost.load(std::memory_order_acquire); }

private:
    void ReceiveThreadProc();

    int m_socket = -1;
    platform::CMessageTarget* m_owner = nullptr;
    std::thread m_receiveThread;
    std::atomic<bool> m_threadRunning{false};
    std::atomic<bool> m_threadFinished{false};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_linkLost{false};
    std::atomic<bool> m_closing{false};
};
