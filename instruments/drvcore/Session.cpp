#include "instruments/drvcore/Session.h"

#include <algorithm>
#include <cstring>

namespace drvcore {

long long CSession::Read(char* data, size_t size, bool& end) {
    end = false;
    if (!m_unread.empty()) {
        const size_t n = std::min(size, m_unread.size());
        std::memcpy(data, m_unread.data(), n);
        m_unread.erase(0, n);
        return static_cast<long long>(n);
    }
    return ReadRaw(data, size, end);
}

void CSession::Unread(const char* data, size_t size) {
    m_unread.insert(0, data, size);
}

bool CSession::Fail(const std::string& why) {
    m_error = why;
    return false;
}

} // namespace drvcore
