#pragma once

#include <csignal>
#include <sys/resource.h>

// A disk that fills up: while the guard lives, no file of this process grows past 'bytes' (a write
// beyond fails with EFBIG instead of raising SIGXFSZ). Unlike /dev/full it also fails writes to
// regular files, so a test can check that a good file survives a failed save.
namespace testsupport {

class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;
    ~CFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool IsSet() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_set = false;
};

} // namespace testsupport
