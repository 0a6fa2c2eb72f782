#include "platform/ReadOnlyFile.h"

#include "platform/Paths.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

CReadOnlyFile::~CReadOnlyFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CReadOnlyFile::Open(const QString& path) {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_status = {};
    const QByteArray name = QFile::encodeName(NormalizePath(path));
    if (name.isEmpty())
        return false;
    int fd;
    do
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_status = status;
    return true;
}

bool CReadOnlyFile::ReadAt(std::int64_t offset, char* buffer, std::int64_t n) const {
    if (m_fd < 0 || offset < 0) {
        errno = EBADF;
        return false;
    }
    // Nothing lies beyond the end of the file as it was opened.
    if (offset > Size()) {
        errno = EIO;
        return false;
    }
    n = std::min(n, Size() - offset);
    while (n > 0) {
        const ssize_t got = ::pread(m_fd, buffer, static_cast<std::size_t>(n), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            // A file cut short since it was opened reads as an input error.
            if (got == 0)
                errno = EIO;
            return false;
        }
        buffer += got;
        offset += got;
        n -= got;
    }
    return true;
}

bool CReadOnlyFile::Unchanged() const {
    struct stat now {};
    return m_fd >= 0 && ::fstat(m_fd, &now) == 0 && now.st_size == m_status.st_size &&
           now.st_mtim.tv_sec == m_status.st_mtim.tv_sec && now.st_mtim.tv_nsec == m_status.st_mtim.tv_nsec;
}

} // namespace platform
