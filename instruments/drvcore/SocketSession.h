#pragma once

#include "instruments/drvcore/Session.h"
#include "instruments/drvcore/TcpConnection.h"
#include "instruments/drvcore/VisaResource.h"

namespace drvcore {

// Raw SCPI over TCP: a byte stream; replies end at the termination character.
class CSocketSession : public CSession {
public:
    CSocketSession(const CVisaResource& resource, const SSessionOptions& options);

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return m_connection.IsOpen(); }
    bool Write(std::string_view message) override;
    // A raw socket has no device clear: pending input is dropped.
    bool Clear() override;
    bool MarksMessageEnd() const override { return false; }
    bool WaitForInput(int ms) override { return m_connection.WaitReadable(ms); }

protected:
    long long ReadRaw(char* data, size_t size, bool& end) override;

private:
    std::string m_host;
    int m_port;
    CTcpConnection m_connection;
};

} // namespace drvcore
