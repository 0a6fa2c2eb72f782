#pragma once

#include "instruments/simulator/InstrumentHost.h"
#include "instruments/simulator/TcpServer.h"

namespace benchsim {

// Raw SCPI over TCP (port 5025 by default): one program message per line, ended by the termination
// character (a '\r' before it is dropped; empty lines are ignored); each response is sent followed by
// "\n", in parts as it is made. A line longer than the input buffer is dropped with error -363.
class CSocketServer : public CTcpServer {
public:
    static constexpr int kDefaultPort = 5025;

    explicit CSocketServer(CInstrumentHost& host, char termination = '\n');
    ~CSocketServer() override;

protected:
    void Serve(CServerConnection& connection) override;

private:
    // Executes the message, sending its response as it is made; false when the connection must end.
    bool Answer(CServerConnection& connection, SProgramMessage& message, std::string& output);
    // False when the connection must end (a fault closed or holds it).
    bool SendPart(CServerConnection& connection, const std::string& part, bool terminate, bool first);

    CInstrumentHost& m_host;
    char m_termination;
};

} // namespace benchsim
