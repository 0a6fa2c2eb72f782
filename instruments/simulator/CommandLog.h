#pragma once

#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace benchsim {

// Every command line an instrument received, in order. Safe to use from any thread; tests read it
// in-process, and it can also be written to a file as it grows. In memory it keeps the newest lines.
class CCommandLog {
public:
    CCommandLog() = default;
    ~CCommandLog();
    CCommandLog(const CCommandLog&) = delete;
    CCommandLog& operator=(const CCommandLog&) = delete;

    void Add(const std::string& line);
    std::vector<std::string> Lines() const;
    size_t Size() const;
    void Clear();
    // Appends each further line to 'path' (one per line, flushed at once); false if it cannot open.
    bool WriteTo(const std::string& path);

private:
    static constexpr size_t kMaxLines = 1000000;
    static constexpr size_t kMaxBytes = 64 * 1024 * 1024;

    mutable std::mutex m_mutex;
    std::deque<std::string> m_lines;
    size_t m_bytes = 0;
    std::FILE* m_file = nullptr;
};

} // namespace benchsim
