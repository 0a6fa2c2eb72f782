#pragma once

#include "instruments/drvcore/Vxi11Protocol.h"
#include "instruments/drvcore/Vxi11Session.h"
#include "instruments/simulator/InstrumentHost.h"
#include "instruments/simulator/PortmapperServer.h"
#include "instruments/simulator/SocketServer.h"
#include "instruments/simulator/Vxi11Server.h"
#include "tests/drvcore/TestModel.h"

#include <string>

namespace drvcoretest {

// The test model served over VXI-11 (with its own portmapper) and raw socket, all on free ports.
class CTestBench {
public:
    explicit CTestBench(const std::string& address = "127.0.0.1", int portmapperPort = 0)
        : m_host(m_model), m_vxi11(m_host), m_socket(m_host) {
        m_ok = m_vxi11.Start(address, 0) && m_socket.Start(address, 0) &&
               m_portmapper.Start(address, portmapperPort);
        m_portmapper.Register(drvcore::kVxi11CoreProgram, drvcore::kVxi11CoreVersion, m_vxi11.Port());
        if (m_ok && portmapperPort == 0)
            drvcore::CVxi11Session::SetPortmapperPort(m_portmapper.Port());
        m_address = address;
    }

    bool Ok() const { return m_ok; }
    std::string Vxi11Resource() const { return "TCPIP0::" + m_address + "::INSTR"; }
    std::string SocketResource() const {
        return "TCPIP0::" + m_address + "::" + std::to_string(m_socket.Port()) + "::SOCKET";
    }

    CTestModel& Model() { return m_model; }
    benchsim::CInstrumentHost& Host() { return m_host; }
    benchsim::CSocketServer& Socket() { return m_socket; }
    benchsim::CVxi11Server& Vxi11() { return m_vxi11; }
    benchsim::CPortmapperServer& Portmapper() { return m_portmapper; }

private:
    CTestModel m_model;
    benchsim::CInstrumentHost m_host;
    benchsim::CVxi11Server m_vxi11;
    benchsim::CSocketServer m_socket;
    benchsim::CPortmapperServer m_portmapper;
    std::string m_address;
    bool m_ok = false;
};

} // namespace drvcoretest
