#include "SimulatedBench.h"

#include "instruments/drvcore/Vxi11Session.h"

namespace benchsim {
namespace {

constexpr int ATTEMPTS = 8;

} // namespace

CSimulatedBench::SOptions CSimulatedBench::TestOptions(double timeScale) {
    SOptions options;
    options.portmapperPort = 0;
    options.portmapperFallback = false;
    options.socketPort = 0;
    options.streamPort = 0;
    options.timeScale = timeScale;
    return options;
}

CSimulatedBench::CSimulatedBench(const SOptions& options)
    : m_options(options), m_supplyInstrument(std::make_unique<CSimulatedInstrument>(m_supply)),
      m_meterInstrument(std::make_unique<CSimulatedInstrument>(m_meter)), m_stream(m_supply) {
    m_supply.SetTimeScale(options.timeScale);
    m_meter.SetTimeScale(options.timeScale);
    m_supplyInstrument->SetIdleTime(options.idleMs);
    m_meterInstrument->SetIdleTime(options.idleMs);
    m_stream.SetIdleTime(options.idleMs);
}

CSimulatedBench::~CSimulatedBench() {
    Stop();
}

bool CSimulatedBench::StartInstruments(int portmapperPort, std::string& error) {
    if (!m_supplyInstrument->Start(m_options.supplyAddress, portmapperPort, m_options.vxi11Port,
                                   m_options.socketPort, error))
        return false;
    // Both portmappers answer on one port number, as drvcore asks every host on the same port.
    const int shared = m_supplyInstrument->PortmapperPort();
    if (!m_meterInstrument->Start(m_options.meterAddress, portmapperPort < 0 ? -1 : shared,
                                  m_options.vxi11Port, m_options.socketPort, error)) {
        m_supplyInstrument->Stop();
        return false;
    }
    m_portmapperPort = shared;
    return true;
}

bool CSimulatedBench::Start(std::string& error) {
    Stop();
    bool started = false;
    if (m_options.portmapperPort != 0) {
        started = StartInstruments(m_options.portmapperPort, error);
        if (!started && m_options.portmapperPort > 0 && m_options.portmapperFallback) {
            const std::string first = error;
            for (int i = 0; i < ATTEMPTS && !started; ++i)
                started = StartInstruments(0, error);
            if (started)
                error = first;
        }
    } else {
        for (int i = 0; i < ATTEMPTS && !started; ++i)
            started = StartInstruments(0, error);
    }
    if (!started)
        return false;
    if (!m_stream.Start(m_options.supplyAddress, static_cast<std::uint16_t>(m_options.streamPort), error)) {
        Stop();
        return false;
    }
    if (m_options.configureDrvcore && m_portmapperPort > 0 && m_portmapperPort != 111)
        drvcore::CVxi11Session::SetPortmapperPort(m_portmapperPort);
    return true;
}

void CSimulatedBench::Stop() {
    m_stream.Stop();
    m_supplyInstrument->Stop();
    m_meterInstrument->Stop();
    m_portmapperPort = -1;
}

} // namespace benchsim
