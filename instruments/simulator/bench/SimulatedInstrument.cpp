#include "SimulatedInstrument.h"

#include "instruments/drvcore/Vxi11Protocol.h"

namespace benchsim {

CSimulatedInstrument::CSimulatedInstrument(IInstrumentModel& model)
    : m_host(model), m_vxi11(m_host), m_socket(m_host) {}

CSimulatedInstrument::~CSimulatedInstrument() {
    Stop();
}

bool CSimulatedInstrument::Start(const std::string& address, int portmapperPort, int vxi11Port,
                                 int socketPort, std::string& error) {
    m_address = address;
    if (!m_vxi11.Start(address, vxi11Port)) {
        error = "VXI-11 on " + address + ": " + m_vxi11.Error();
        return false;
    }
    if (!m_socket.Start(address, socketPort)) {
        error = "socket port " + std::to_string(socketPort) + " on " + address + ": " + m_socket.Error();
        Stop();
        return false;
    }
    if (portmapperPort >= 0) {
        if (!m_portmapper.Start(address, portmapperPort)) {
            error = "portmapper port " + std::to_string(portmapperPort) + " on " + address + ": " +
                    m_portmapper.Error();
            Stop();
            return false;
        }
        m_portmapper.Register(drvcore::kVxi11CoreProgram, drvcore::kVxi11CoreVersion, m_vxi11.Port());
        m_portmapperRunning = true;
    }
    return true;
}

void CSimulatedInstrument::SetIdleTime(int milliseconds) {
    m_vxi11.SetIdleTime(milliseconds);
    m_socket.SetIdleTime(milliseconds);
}

void CSimulatedInstrument::Stop() {
    m_portmapper.Stop();
    m_portmapperRunning = false;
    m_socket.Stop();
    m_vxi11.Stop();
}

std::string CSimulatedInstrument::Vxi11Resource() const {
    return "TCPIP0::" + m_address + "::INSTR";
}

std::string CSimulatedInstrument::SocketResource() const {
    return "TCPIP0::" + m_address + "::" + std::to_string(m_socket.Port()) + "::SOCKET";
}

} // namespace benchsim
