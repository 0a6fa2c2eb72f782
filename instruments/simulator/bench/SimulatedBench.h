#pragma once

#include "instruments/simulator/bench/SimulatedInstrument.h"
#include "instruments/simulator/models/DataStreamServer.h"
#include "instruments/simulator/models/Sim2280S.h"
#include "instruments/simulator/models/SimDMM7510.h"

#include <memory>
#include <string>

namespace benchsim {

// Where and how the simulated bench serves.
struct SBenchOptions {
    std::string supplyAddress = "127.0.0.1";
    std::string meterAddress = "127.0.0.2";
    // 111 as on a LAN; 0 a free port, the same on both addresses; -1 none. When 111 cannot be
    // bound and 'portmapperFallback' is set, a free port is used instead.
    int portmapperPort = 111;
    bool portmapperFallback = true;
    int vxi11Port = 0;
    int socketPort = CSocketServer::kDefaultPort; // 0: a free port per instrument
    int streamPort = CDataStreamServer::DEFAULT_PORT;
    double timeScale = 1.0;
    // How long a session must have waited for its client before a new client may take its place
    // when all are taken (CTcpServer).
    int idleMs = CTcpServer::kDefaultIdleMs;
    // Point this process's VXI-11 sessions at the bench's portmapper when it is not on 111.
    bool configureDrvcore = true;
};

// The whole simulated bench in one process: the power supply with its data stream on one
// loopback address and the multimeter on another, each over VXI-11 and raw socket.
class CSimulatedBench {
public:
    using SOptions = SBenchOptions;

    // Options for tests: free ports everywhere, the instruments' time sped up.
    static SOptions TestOptions(double timeScale = 100.0);

    explicit CSimulatedBench(const SOptions& options = SOptions());
    ~CSimulatedBench();
    CSimulatedBench(const CSimulatedBench&) = delete;
    CSimulatedBench& operator=(const CSimulatedBench&) = delete;

    bool Start(std::string& error);
    void Stop();

    CSim2280S& Supply() { return m_supply; }
    CSimDMM7510& Meter() { return m_meter; }
    CSimulatedInstrument& SupplyInstrument() { return *m_supplyInstrument; }
    CSimulatedInstrument& MeterInstrument() { return *m_meterInstrument; }
    // Command logs and fault switches of each instrument.
    CInstrumentHost& SupplyHost() { return m_supplyInstrument->Host(); }
    CInstrumentHost& MeterHost() { return m_meterInstrument->Host(); }
    CDataStreamServer& Stream() { return m_stream; }
    int PortmapperPort() const { return m_portmapperPort; }
    const SOptions& Options() const { return m_options; }

private:
    bool StartInstruments(int portmapperPort, std::string& error);

    SOptions m_options;
    CSim2280S m_supply;
    CSimDMM7510 m_meter;
    std::unique_ptr<CSimulatedInstrument> m_supplyInstrument;
    std::unique_ptr<CSimulatedInstrument> m_meterInstrument;
    CDataStreamServer m_stream;
    int m_portmapperPort = -1;
};

} // namespace benchsim
