#include "instruments/simulator/InstrumentHost.h"

namespace benchsim {

bool CInstrumentHost::Execute(const std::string& line, std::string& reply) {
    reply.clear();
    std::lock_guard lock(m_modelMutex);
    m_log.Add(line);
    return m_model.Execute(line, reply);
}

void CInstrumentHost::DeviceClear() {
    std::lock_guard lock(m_modelMutex);
    m_model.DeviceClear();
}

} // namespace benchsim
