#pragma once

#include "instruments/simulator/InstrumentHost.h"
#include "instruments/simulator/PortmapperServer.h"
#include "instruments/simulator/SocketServer.h"
#include "instruments/simulator/Vxi11Server.h"

#include <string>

namespace benchsim {

// One simulated instrument on its own loopback address, as on a LAN: its portmapper, its VXI-11
// core channel and its raw socket port, all serving one model with one command log.
class CSimulatedInstrument {
public:
    explicit CSimulatedInstrument(IInstrumentModel& model);
    ~CSimulatedInstrument();
    CSimulatedInstrument(const CSimulatedInstrument&) = delete;
    CSimulatedInstrument& operator=(const CSimulatedInstrument&) = delete;

    // Ports 0 mean any free port. A portmapper port < 0 starts no portmapper.
    bool Start(const std::string& address, int portmapperPort, int vxi11Port, int socketPort,
               std::string& error);
    void Stop();
    // The idle time of its sessions (CTcpServer::SetIdleTime).
    void SetIdleTime(int milliseconds);

    CInstrumentHost& Host() { return m_host; }
    const std::string& Address() const { return m_address; }
    int PortmapperPort() const { return m_portmapperRunning ? m_portmapper.Port() : -1; }
    int Vxi11Port() const { return m_vxi11.Port(); }
    int SocketPort() const { return m_socket.Port(); }
    std::string Vxi11Resource() const;
    std::string SocketResource() const;

private:
    CInstrumentHost m_host;
    CVxi11Server m_vxi11;
    CSocketServer m_socket;
    CPortmapperServer m_portmapper;
    bool m_portmapperRunning = false;
    std::string m_address;
};

} // namespace benchsim
