#include "instruments/simulator/CommandLog.h"

namespace benchsim {

CCommandLog::~CCommandLog() {
    if (m_file != nullptr)
        std::fclose(m_file);
}

void CCommandLog::Add(const std::string& line) {
    std::lock_guard lock(m_mutex);
    m_lines.push_back(line);
    m_bytes += line.size();
    // A client that sends without end must not grow the log without bound: the oldest lines go.
    while (m_lines.size() > kMaxLines || (m_bytes > kMaxBytes && m_lines.size() > 1)) {
        m_bytes -= m_lines.front().size();
        m_lines.pop_front();
    }
    if (m_file != nullptr) {
        std::fwrite(line.data(), 1, line.size(), m_file);
        std::fputc('\n', m_file);
        std::fflush(m_file);
    }
}

std::vector<std::string> CCommandLog::Lines() const {
    std::lock_guard lock(m_mutex);
    return {m_lines.begin(), m_lines.end()};
}

size_t CCommandLog::Size() const {
    std::lock_guard lock(m_mutex);
    return m_lines.size();
}

void CCommandLog::Clear() {
    std::lock_guard lock(m_mutex);
    m_lines.clear();
    m_bytes = 0;
}

bool CCommandLog::WriteTo(const std::string& path) {
    std::lock_guard lock(m_mutex);
    if (m_file != nullptr)
        std::fclose(m_file);
    m_file = std::fopen(path.c_str(), "a");
    return m_file != nullptr;
}

} // namespace benchsim
