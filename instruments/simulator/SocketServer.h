#pragma once

#include "instruments/simulator/InstrumentHost.h"
#include "instruments/simulator/TcpServer.h"

namespace benchsim {

// Raw SCPI over TCP (port 5025 by default): one command per line, ended by the termination
// character (a '\r' before it is dropped; empty lines are ignored); each reply is sent followed by "\n".
class CSocketServer : public CTcpServer {
public:
    static constexpr int kDefaultPort = 5025;

    explicit CSocketServer(CInstrumentHost& host, char termination = '\n');
    ~CSocketServer() override;

protected:
    void Serve(CServerConnection& connection) override;

private:
    // False when the connection must end (a fault closed or holds it).
    bool SendReply(CServerConnection& connection, const std::string& reply);

    CInstrumentHost& m_host;
    char m_termination;
};

} // namespace benchsim
