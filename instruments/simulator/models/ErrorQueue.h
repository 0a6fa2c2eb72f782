#pragma once

#include <deque>
#include <string>

namespace benchsim {

// The instrument's error queue: first in, first out, bounded like a real one.
class CErrorQueue {
public:
    static constexpr std::size_t CAPACITY = 32;

    void Push(int code, const std::string& message);
    // "code,"message"" of the oldest entry, removed; "0,"No error"" when empty.
    std::string Pop();
    std::size_t Count() const { return m_entries.size(); }
    void Clear() { m_entries.clear(); }

private:
    std::deque<std::pair<int, std::string>> m_entries;
};

} // namespace benchsim
