#include "ErrorQueue.h"

namespace benchsim {

void CErrorQueue::Push(int code, const std::string& message) {
    if (m_entries.size() >= CAPACITY) {
        // A full queue keeps its oldest errors and marks the overflow in the last place.
        m_entries.back() = {-350, "Queue overflow"};
        return;
    }
    m_entries.emplace_back(code, message);
}

std::string CErrorQueue::Pop() {
    if (m_entries.empty())
        return "0,\"No error\"";
    const auto [code, message] = m_entries.front();
    m_entries.pop_front();
    return std::to_string(code) + ",\"" + message + "\"";
}

} // namespace benchsim
