#include "instruments/drvcore/SocketSession.h"

namespace drvcore {

CSocketSession::CSocketSession(const CVisaResource& resource, const SSessionOptions& options)
    : CSession(options), m_host(resource.Host()), m_port(resource.Port()) {}

bool CSocketSession::Open() {
    return m_connection.Connect(m_host, m_port, m_options.timeoutMs, m_error);
}

void CSocketSession::Close() {
    DropUnread();
    m_connection.Close();
}

bool CSocketSession::Write(std::string_view message) {
    const auto result = m_connection.SendAll(message.data(), message.size(), m_options.timeoutMs);
    if (result != CTcpConnection::eOk) {
        m_error = std::string("send: ") + CTcpConnection::Describe(result);
        Close();
        return false;
    }
    return true;
}

long long CSocketSession::ReadRaw(char* data, size_t size, bool& end) {
    size_t received = 0;
    const auto result = m_connection.ReceiveSome(data, size, m_options.timeoutMs, received);
    if (result != CTcpConnection::eOk) {
        m_error = std::string("receive: ") + CTcpConnection::Describe(result);
        Close();
        return -1;
    }
    return static_cast<long long>(received);
}

bool CSocketSession::Clear() {
    if (!IsOpen())
        return Fail("not connected");
    DropUnread();
    m_connection.DiscardPending();
    return true;
}

} // namespace drvcore
