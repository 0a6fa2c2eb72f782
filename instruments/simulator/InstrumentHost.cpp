#include "instruments/simulator/InstrumentHost.h"

namespace benchsim {

bool CInstrumentHost::Execute(const std::string& line, std::string& reply) {
    reply.clear();
    std::lock_guard lock(m_modelMutex);
    m_log.Add(line);
    return m_model.Execute(line, reply);
}

void CInstrumentHost::Begin(SProgramMessage& message, const std::string& line) {
    m_log.Add(line);
    message = SProgramMessage();
    message.text = line;
}

IInstrumentModel::eStep CInstrumentHost::Run(SProgramMessage& message, std::string& output,
                                             std::size_t limit) {
    std::lock_guard lock(m_modelMutex);
    return m_model.Run(message, output, limit);
}

void CInstrumentHost::ReportError(int code) {
    std::lock_guard lock(m_modelMutex);
    m_model.ReportError(code);
}

void CInstrumentHost::DeviceClear() {
    std::lock_guard lock(m_modelMutex);
    m_model.DeviceClear();
}

} // namespace benchsim
